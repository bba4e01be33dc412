// Where the definition files lie under the station home.
#pragma once

#include <filesystem>
#include <string>

namespace kapsorel {

// home / "Postupy"
std::filesystem::path procedureFolder(const std::filesystem::path& home);
// home / "Postupy" / "Postupy.idx"
std::filesystem::path procedureIndexPath(const std::filesystem::path& home);
// home / "Postupy" / "%3.3d.psp"
std::filesystem::path procedureFilePath(const std::filesystem::path& home, int number);
// home / "Postupy" / "Baterie.cfg"
std::filesystem::path batteryFilePath(const std::filesystem::path& home);

// The procedure's file name: the number formatted "%3.3d" and ".psp" (7 -> "007.psp").
std::string procedureFileName(int number);

} // namespace kapsorel
