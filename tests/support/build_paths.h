// Where the tests find the build's programs and the source tree. The paths are compiled into one
// generated source (build_paths.cpp in the build folder), so no other test unit carries an
// absolute path and a clone in another folder reuses its compiled objects.
#pragma once

#include <filesystem>

namespace kapsorel::test {

std::filesystem::path simulatorPath();
std::filesystem::path exportToolPath();
std::filesystem::path sourceDir();
// The station program itself; empty in a build without the windows.
std::filesystem::path programPath();

} // namespace kapsorel::test
