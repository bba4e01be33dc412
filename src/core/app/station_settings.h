// The station's settings (section "Nastaveni" of the configuration file) with their
// defaults, loaded when the main window is created and written back at exit; and the
// marker of the last test (section "RUN").
#pragma once

#include "core/app/config_file.h"
#include "core/comm/ports.h"
#include "core/records/run_marker.h"

#include <cstdint>
#include <filesystem>
#include <string>

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

// A plain value: whoever shares it between threads decides how.
struct StationSettings {
    // Module hosts and ports (IP_adr_vyk, IP_adr_mer, TCP_Port_vyk/_mer, UDP_Port_vyk/_mer).
    std::string powerModuleAddress = kDefaultPowerModuleAddress;
    std::string measurementModuleAddress = kDefaultMeasurementModuleAddress;
    std::uint16_t powerModuleTcpPort = kDefaultTcpPort;
    std::uint16_t measurementModuleTcpPort = kDefaultTcpPort;
    std::uint16_t powerModuleUdpPort = kDefaultUdpPort;
    std::uint16_t measurementModuleUdpPort = kDefaultUdpPort;
    std::string stationName = "Stanice"; // Stanice: window captions, question boxes, test file header
    std::string dataFolder;              // Data_adr: defaults to the folder "Data" of the station home
    std::string archiveFolder;           // Arch_adr: empty means no archive
    std::string operatorName;            // Uziv: operator selected when the program last ended
    // Cell voltage thresholds in volts, stored as hundredths of a volt (DNB_OK_MIN, DNB_OK_MAX, DNB_KO).
    float cellOkMinimum = 1.00f;
    float cellOkMaximum = 1.56f;
    float cellFailLimit = -0.60f; // below it a cell is bad
    // Cell colour sets (keys with suffixes 0, 1, 2).
    CellColourSet cellBelowOkColours{-16777203, 14145535, 9211135}; // BOK_MIN: below cellOkMinimum
    CellColourSet cellAboveOkColours{32768, 65280, 65280};          // BOK_MAX: above cellOkMaximum
    CellColourSet cellBelowLimitColours{255, 9211135, 255};         // BKO: below cellFailLimit
    CellColourSet cellOtherColours{-16777203, 14351581, 4974955};   // BOST: any other cell
    std::uint8_t userLevel = 0;              // Expert: 0 operator, 1 expert, 2 service; never written
    std::uint8_t iconSize = 0;               // Ikony: toolbar icons 0 small, 1 medium, 2 large
    std::uint8_t faultSignallingSeconds = 0; // ERR_SIR: signalling on a power module fault
    std::uint8_t hardwareKind = 0;           // TYP_HW: 0 power and measurement module, 1 power module only
    std::string batteryTypeName;             // TYP_BAT: battery type selected when the program last ended
    std::string procedureName;               // C_POSTUP: procedure selected when the program last ended
    std::int32_t panelPosition = 0;          // UM_HLAV: operator panel 0 top, 1 left; kept by the settings window

    bool operator==(const StationSettings&) const = default;
};

// Every key at its default; `home` is the station home (the executable's folder).
StationSettings defaultStationSettings(const std::filesystem::path& home);

// Reads every key of "Nastaveni"; a missing key or a value out of its range takes the default.
StationSettings loadStationSettings(const ConfigFile& config, const std::filesystem::path& home);

// Writes the settings in their fixed order (addresses, ports, station, folders,
// operator, thresholds, colours, icon size, fault signalling, hardware kind, battery
// type, procedure). `Expert` and `UM_HLAV` are not written here.
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
