// Module settings files (".bts"): one section per module, each the module's settings images
// byte for byte behind a one-byte marker. Saving puts a section into a new file or into the
// settings file chosen (the other module's section kept), opening takes a section out of it;
// the functions return the images or the exact message to show, and never touch a module.
#pragma once

#include "core/base/clock.h"
#include "core/base/files.h"
#include "core/base/result.h"
#include "core/service/settings_images.h"
#include "core/service/write_guard.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kapsorel {

// A module as a settings file names it: the value is the marker of its section.
enum class SettingsModule : std::uint8_t { Power = 1, Measure = 2 };

namespace settings_file {
// Data of a section: power = network, ports, settings, ADC image, sections; measurement =
// network, ports, cell ADC table.
constexpr std::size_t kPowerSectionSize = NetworkBlock::kSize + PortsBlock::kSize + PowerSettingsBlock::kSize +
                                          PowerAdcImage::kSize + SectionsBlock::kSize;                     // 231
constexpr std::size_t kMeasureSectionSize = NetworkBlock::kSize + PortsBlock::kSize + CellAdcTable::kSize; // 244
// Byte 0 (which writer began the file), byte 1 (the first section's marker), then the first
// section and one byte: the second section's marker or 0.
constexpr std::size_t kFirstSectionOffset = 2;
constexpr std::size_t kPowerOnlySize = kFirstSectionOffset + kPowerSectionSize + 1;                  // 234
constexpr std::size_t kMeasureOnlySize = kFirstSectionOffset + kMeasureSectionSize + 1;              // 247
constexpr std::size_t kBothSize = kFirstSectionOffset + kPowerSectionSize + 1 + kMeasureSectionSize; // 478
constexpr std::uint8_t kNoSecondSection = 0;

// The file dialogs' filter and default extension.
extern const char* const kFilter;
extern const char* const kExtension;
} // namespace settings_file

// "Neni v. modul" / "Neni m. modul": the file holds no section of that module.
std::string noSectionMessage(SettingsModule module);

// The blocks a loaded section makes known to the write guard: every block of the module,
// the whole ADC image (all six records, record 6 and the spare bytes) or all 23 cell records.
BlockSet sectionBlocks(SettingsModule module);

// A section's data, exactly kPowerSectionSize / kMeasureSectionSize bytes.
std::vector<std::uint8_t> encodePowerSection(const PowerImages& images);
std::vector<std::uint8_t> encodeMeasureSection(const MeasureImages& images);
// Decoding also checks the values (settings_checks.h).
Result<PowerImages> decodePowerSection(std::span<const std::uint8_t> data);
Result<MeasureImages> decodeMeasureSection(std::span<const std::uint8_t> data);

// What a save writes: one module's section or both ("Ulož vše": power first, then
// measurement).
struct SettingsSections {
    std::optional<PowerImages> power;
    std::optional<MeasureImages> measure;
};

// --- file images in memory ----------------------------------------------------------------

// Ok when `file` is one of the four settings file layouts (234, 247 or 478 bytes, byte 1 a
// marker, the byte after the first section 0 or the other marker as the size says); else
// why it is not.
Status checkSettingsImage(std::span<const std::uint8_t> file);

// A new file holding the sections (power first when both are given).
Result<std::vector<std::uint8_t>> freshSettingsImage(const SettingsSections& sections);

// The file after the sections are put into an existing settings file: a section already
// there is overwritten in place, a missing one is appended after the first, every other
// byte stays. Refused (with the reason) when `file` is no settings file.
Result<std::vector<std::uint8_t>> updatedSettingsImage(std::span<const std::uint8_t> file,
                                                       const SettingsSections& sections);

// Where the module's section data starts in the file, or the refusal: "Neni v. modul" /
// "Neni m. modul" when the file holds no section of the module, else a message naming
// `source` when byte 1 is no marker or the file ends before the section does.
Result<std::size_t> findSection(std::span<const std::uint8_t> file, SettingsModule module, std::string_view source);

// What an open took out of a file. Images only for the sections loaded; `messages` to show
// in order (a refusal of one section does not stop the other of "Otevři vše").
struct SettingsLoad {
    std::optional<PowerImages> power;
    std::optional<MeasureImages> measure;
    BlockSet loaded = 0; // for WriteGuard::markKnown once the images are taken over
    std::vector<std::string> messages;
};

// Which sections an open reads: "Otevři v. modul", "Otevři m. modul", "Otevři vše".
enum class SettingsOpen : std::uint8_t { Power, Measure, All };

// Reads the sections from a file image; `source` names the file in messages. A file that is
// none of the four layouts (checkSettingsImage) gives one message and no section; a section
// whose values its fields cannot hold (settings_checks.h) is refused with the field named.
SettingsLoad loadSettingsImage(std::span<const std::uint8_t> file, SettingsOpen which, std::string_view source);

// --- files ------------------------------------------------------------------------------

// The outcome of a save: ok, or the message to show. `offerReplace` is set when the file
// exists but is no settings file: the caller may ask replaceQuestion() and, on "Ano", call
// replaceSettingsFile.
struct SettingsSave {
    Status status;
    bool offerReplace = false;
};

// The question offering to replace a file that is no settings file.
std::string replaceQuestion(const std::filesystem::path& path);

// "Ulož v. modul", "Ulož m. modul", "Ulož vše": creates the file or puts the sections into
// the settings file there. The file is written whole and replaced atomically.
SettingsSave saveSettingsFile(const std::filesystem::path& path, const SettingsSections& sections,
                              FileStore& store = DiskFileStore::instance(), Clock& clock = SystemClock::instance());

// Replaces whatever the file holds by a new settings file with the sections.
Status replaceSettingsFile(const std::filesystem::path& path, const SettingsSections& sections,
                           FileStore& store = DiskFileStore::instance(), Clock& clock = SystemClock::instance());

// "Otevři v. modul", "Otevři m. modul", "Otevři vše" on a file.
SettingsLoad openSettingsFile(const std::filesystem::path& path, SettingsOpen which,
                              FileStore& store = DiskFileStore::instance(), Clock& clock = SystemClock::instance());

} // namespace kapsorel
