// Where the station lives (the folder of "Kapsorel.ini", the definitions, the data and the
// logs) and what the program's command line asks for. In order: --station DIR, then
// KAPSOREL_STATION, then for a program run from a build or a copied folder the folder
// beside the executable, and for an installed program the folder remembered at its first
// start, else the user's data folder (where a first start offers the demo station).
#pragma once

#include "core/app/config_path.h"
#include "core/base/result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kapsorel {

// The file in the user's data folder that names the station folder chosen at a first start.
constexpr const char* kRememberedStationFileName = "station-folder";

struct ProgramCommandLine {
    bool help = false;
    bool version = false;
    std::optional<std::string> station; // --station DIR or --station=DIR
    std::vector<std::string> rest;      // the rest: the configuration file argument
    std::optional<std::string> error;   // a wrong command line, with the usage to print
};

// `args` without the program name. "--" ends the options. An unknown option is an error,
// but the options after it are still read (--help answers whatever stands before it).
ProgramCommandLine parseProgramCommandLine(const std::vector<std::string>& args);

// What `kapsorel --help` prints.
std::string programHelpText();

enum class StationSource { CommandLine, Environment, BesideProgram, Remembered, UserData };

struct StationFolderInputs {
    std::optional<std::string> option;      // --station
    std::optional<std::string> environment; // KAPSOREL_STATION; empty counts as unset
    std::filesystem::path exeDir;
    std::filesystem::path userDataDir;     // the desktop's per-user data folder of the program
    std::optional<std::string> remembered; // the contents of kRememberedStationFileName
};

struct StationFolderChoice {
    std::filesystem::path folder;
    StationSource source = StationSource::BesideProgram;
    // The program runs from an installation: its demo station lies in ../share/kapsorel/demo.
    bool installed = false;
    // The user's data folder holds no station yet: offer the demo station or another folder.
    bool firstStart = false;
};

StationFolderChoice chooseStationFolder(const StationFolderInputs& in, const FileExists& exists);
// The same against the file system.
StationFolderChoice chooseStationFolder(const StationFolderInputs& in);

// Where an installed program's demo station lies, seen from its executable's folder.
std::filesystem::path installedDemoFolder(const std::filesystem::path& exeDir);

// Copies the demo station (every file and folder under `demo`) into `station`, creating it;
// files already there are kept. Fails with "Nelze vytvořit : <path>" naming what failed.
Status createStationFrom(const std::filesystem::path& demo, const std::filesystem::path& station);

// Writes the remembered station folder into the user's data folder (created when missing).
Status rememberStationFolder(const std::filesystem::path& userDataDir, const std::filesystem::path& station);

// The remembered folder's text, if the file is there and names one.
std::optional<std::string> readRememberedStationFolder(const std::filesystem::path& userDataDir);

} // namespace kapsorel
