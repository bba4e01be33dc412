// The station's settings (section "Nastaveni" of the configuration file) with their
// defaults, loaded when the main window is created and written back at exit; and the
// marker of the last test (section "RUN").
#pragma once

#include "core/app/config_file.h"
#include "core/comm/ports.h"
#include "core/records/run_marker.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace kapsorel {

constexpr const char* kSettingsSection = "Nastaveni";
constexpr const char* kRunSection = "RUN";

constexpr const char* kDefaultPowerModuleAddress = "127.0.0.2";
constexpr const char* kDefaultMeasurementModuleAddress = "127.0.0.3";

// One cell colour set (keys suffixed 0, 1, 2): frame, background, bar.
struct CellColourSet {
    std::int32_t frame = 0;
    std::int32_t background = 0;
    std::int32_t bar = 0;

    bool operator==(const CellColourSet&) const = default;
};

// A plain value: whoever shares it between threads decides how. A default-constructed
// value holds every declared default (the data folder stays empty: its default needs the
// station home, see defaultStationSettings).
struct StationSettings {
    StationSettings();

    // Module hosts and ports (IP_adr_vyk, IP_adr_mer, TCP_Port_vyk/_mer, UDP_Port_vyk/_mer).
    std::string powerModuleAddress;
    std::string measurementModuleAddress;
    std::uint16_t powerModuleTcpPort{};
    std::uint16_t measurementModuleTcpPort{};
    std::uint16_t powerModuleUdpPort{};
    std::uint16_t measurementModuleUdpPort{};
    std::string stationName;   // Stanice: window captions, question boxes, test file header
    std::string dataFolder;    // Data_adr: defaults to the folder "Data" of the station home
    std::string archiveFolder; // Arch_adr: empty means no archive
    std::string operatorName;  // Uziv: operator selected when the program last ended
    // Cell voltage thresholds in volts, stored as hundredths of a volt (DNB_OK_MIN, DNB_OK_MAX, DNB_KO).
    float cellOkMinimum{};
    float cellOkMaximum{};
    float cellFailLimit{}; // below it a cell is bad
    // Cell colour sets (keys with suffixes 0, 1, 2).
    CellColourSet cellBelowOkColours;      // BOK_MIN: below cellOkMinimum
    CellColourSet cellAboveOkColours;      // BOK_MAX: above cellOkMaximum
    CellColourSet cellBelowLimitColours;   // BKO: below cellFailLimit
    CellColourSet cellOtherColours;        // BOST: any other cell
    std::uint8_t userLevel{};              // Expert: 0 operator, 1 expert, 2 service; never written
    std::uint8_t iconSize{};               // Ikony: toolbar icons 0 small, 1 medium, 2 large
    std::uint8_t faultSignallingSeconds{}; // ERR_SIR: signalling on a power module fault
    std::uint8_t hardwareKind{};           // TYP_HW: 0 power and measurement module, 1 power module only
    std::string batteryTypeName;           // TYP_BAT: battery type selected when the program last ended
    std::string procedureName;             // C_POSTUP: procedure selected when the program last ended
    std::int32_t panelPosition{};          // UM_HLAV: operator panel 0 top, 1 left; kept by the settings window
    // "Přerušení procesu": opening a test file skips its resume records, so the time axis keeps
    // the interruptions. Never stored: every program start has it off.
    bool ignoreInterruptions = false;

    bool operator==(const StationSettings&) const = default;
};

// How each setting lies in the configuration file. Every setting of "Nastaveni" is
// declared once, in stationSettingDeclarations(): its key, the field it fills, its kind
// (which says how the value is stored), its default, and whether saving writes it.
// Loading and saving both walk that one list, so a key cannot be read under one name and
// written under another.

// Text as it stands.
struct TextSetting {
    std::string StationSettings::*field;
    const char* fallback;
};
// Text naming a folder; the default is a subfolder of the station home.
struct HomeFolderSetting {
    std::string StationSettings::*field;
    const char* homeSubfolder;
};
// A TCP or UDP port: an integer 0-65535; anything else reads as the default.
struct PortSetting {
    std::uint16_t StationSettings::*field;
    std::uint16_t fallback;
};
// An integer of which only the low byte is used.
struct LowByteSetting {
    std::uint8_t StationSettings::*field;
    std::uint8_t fallback;
};
// An integer as it stands.
struct IntegerSetting {
    std::int32_t StationSettings::*field;
    std::int32_t fallback;
};
// Volts in memory, hundredths of a volt in the file (see thresholdToStored).
struct ThresholdSetting {
    float StationSettings::*field;
    std::int32_t fallbackHundredths;
};
// Three colours under the key followed by "0", "1" and "2": frame, background, bar.
struct ColourSetSetting {
    CellColourSet StationSettings::*field;
    CellColourSet fallback;
};

using SettingKind = std::variant<TextSetting, HomeFolderSetting, PortSetting, LowByteSetting, IntegerSetting,
                                 ThresholdSetting, ColourSetSetting>;

struct SettingDeclaration {
    const char* key; // verbatim as in the file; a colour set's keys add the suffixes 0, 1, 2
    SettingKind kind;
    bool written; // whether saveStationSettings writes it
};

// Every setting of "Nastaveni", in the order saveStationSettings writes them.
std::span<const SettingDeclaration> stationSettingDeclarations();

// The configuration keys of one declaration: the key, or a colour set's three keys.
std::vector<std::string> settingKeys(const SettingDeclaration& declaration);

// Every key at its default; `home` is the station home (the executable's folder).
StationSettings defaultStationSettings(const std::filesystem::path& home);

// Reads every key of "Nastaveni"; a missing key or a value out of its range takes the default.
StationSettings loadStationSettings(const ConfigFile& config, const std::filesystem::path& home);

// Writes the declared settings in their order (addresses, ports, station, folders,
// operator, thresholds, colours, icon size, fault signalling, hardware kind, battery
// type, procedure). `Expert` and `UM_HLAV` are declared as not written.
void saveStationSettings(ConfigFile& config, const StationSettings& settings);

// The power module address alone, as the single-instance lock needs it before anything else.
std::string readPowerModuleAddress(const ConfigFile& config);

// Position of the operator panel, kept by the program settings window.
std::int32_t readPanelPosition(const ConfigFile& config);
void writePanelPosition(ConfigFile& config, std::int32_t position);

// Thresholds: hundredths of a volt on disk, volts in memory; volts are rounded to the
// nearest hundredth with halves to even (1.237 V -> 124).
float thresholdFromStored(std::int32_t hundredths);
std::int32_t thresholdToStored(float volts);

// The last test started ("RUN" / "Test") and whether it completed ("Test_ukoncen").
LastTest readLastTest(const ConfigFile& config);
// At a test's start: the path and 0; at its completion: the path and 1.
void writeLastTest(ConfigFile& config, const std::string& testPath, bool completed);

} // namespace kapsorel
