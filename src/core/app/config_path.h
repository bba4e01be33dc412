// Where the configuration file is: the one file named on the command line, or
// "Kapsorel.ini" beside the executable. Also the other fixed names of the station home.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kapsorel {

constexpr const char* kConfigFileName = "Kapsorel.ini";
constexpr const char* kUserListFileName = "Kapsorel.usr";
constexpr const char* kShutdownLogFileName = "Kapsorel.log";
constexpr const char* kAlarmFileName = "Alarm.wav";
constexpr const char* kLayoutFolderName = "Sestavy";

struct ConfigPathChoice {
    std::filesystem::path path;
    std::optional<std::string> message; // to show the user before going on
};

using FileExists = std::function<bool(const std::filesystem::path&)>;

// `args` are the command-line arguments without the program name. Exactly one that
// names an existing file: that file. Exactly one that does not: the default, with the
// message "INI file neexistuje:" + argument. None, or two or more: the default, silently.
ConfigPathChoice chooseConfigPath(const std::vector<std::string>& args, const std::filesystem::path& exeDir,
                                  const FileExists& exists);

// The same against the file system: an existing entry that is not a folder counts as a file.
ConfigPathChoice chooseConfigPath(const std::vector<std::string>& args, const std::filesystem::path& exeDir);

// Folder of the running executable (from /proc/self/exe; `argv0` when that is unavailable).
std::filesystem::path executableDirectory(const char* argv0);

} // namespace kapsorel
