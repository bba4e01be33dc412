// What the main window takes at its creation besides the station settings: the
// report-layout menu entries and the version label.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kapsorel {

constexpr std::size_t kLayoutMenuItems = 10;

// File names of the report layouts ("*.ses", any letter case) in the folder "Sestavy"
// of the station home, in name order without regard to case, at most the first ten.
// A missing folder gives none.
std::vector<std::string> findReportLayouts(const std::filesystem::path& home);

// "SW: 1.08-NN" with the power module's firmware version byte (0 until the first poll).
std::string versionLabel(std::uint8_t powerSwVersion);

} // namespace kapsorel
