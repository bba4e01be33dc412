// A log file that never grows past a limit: when a line would take it over `maxBytes` the
// file moves to ".1" (".1" to ".2" and so on, the oldest dropped) and a new one begins.
// Used for the program's diagnostic log in the station folder.
#pragma once

#include "core/base/result.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace kapsorel {

class RotatingLog {
  public:
    RotatingLog(std::filesystem::path path, std::uint64_t maxBytes, int keptFiles);

    // Appends `line` and a line end (the file and its folder are created when missing).
    Status append(const std::string& line);

    const std::filesystem::path& path() const { return path_; }
    // The path of the n-th older file (n >= 1).
    std::filesystem::path older(int n) const;

  private:
    void rotate();

    std::filesystem::path path_;
    std::uint64_t maxBytes_;
    int keptFiles_;
};

} // namespace kapsorel
