// The program's version, set once in the top CMakeLists.txt (project VERSION): what every
// executable's --version prints, what the package is named with and what the main window's
// version label shows; and the name the desktop knows the program by.
#pragma once

#include <string>

namespace kapsorel {

// The desktop entry's name without ".desktop", also the icon's name and the AppStream id.
constexpr const char* kDesktopId = "org.kapsorel.Kapsorel";

int programVersionMajor();
int programVersionMinor();
// "1.8"
std::string programVersion();
// "<program> 1.8", the first line of --version.
std::string versionLine(const std::string& program);

} // namespace kapsorel
