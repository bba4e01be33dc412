#include "core/app/station_settings.h"

#include "core/base/numbers.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <type_traits>

namespace kapsorel {

namespace {

// The one list of the settings. The order is the order of writing; `Expert` and `UM_HLAV`
// are read here but never written by saveStationSettings (the user level changes only
// for the session, and the panel position is kept by the program settings window).
constexpr SettingDeclaration kDeclarations[] = {
    {"IP_adr_vyk", TextSetting{&StationSettings::powerModuleAddress, kDefaultPowerModuleAddress}, true},
    {"IP_adr_mer", TextSetting{&StationSettings::measurementModuleAddress, kDefaultMeasurementModuleAddress}, true},
    {"TCP_Port_vyk", PortSetting{&StationSettings::powerModuleTcpPort, kDefaultTcpPort}, true},
    {"TCP_Port_mer", PortSetting{&StationSettings::measurementModuleTcpPort, kDefaultTcpPort}, true},
    {"UDP_Port_vyk", PortSetting{&StationSettings::powerModuleUdpPort, kDefaultUdpPort}, true},
    {"UDP_Port_mer", PortSetting{&StationSettings::measurementModuleUdpPort, kDefaultUdpPort}, true},
    {"Stanice", TextSetting{&StationSettings::stationName, "Stanice"}, true},
    {"Data_adr", HomeFolderSetting{&StationSettings::dataFolder, "Data"}, true},
    {"Arch_adr", TextSetting{&StationSettings::archiveFolder, ""}, true},
    {"Uziv", TextSetting{&StationSettings::operatorName, ""}, true},
    {"DNB_OK_MIN", ThresholdSetting{&StationSettings::cellOkMinimum, 100}, true},
    {"DNB_OK_MAX", ThresholdSetting{&StationSettings::cellOkMaximum, 156}, true},
    {"DNB_KO", ThresholdSetting{&StationSettings::cellFailLimit, -60}, true},
    {"BOK_MIN", ColourSetSetting{&StationSettings::cellBelowOkColours, {-16777203, 14145535, 9211135}}, true},
    {"BOK_MAX", ColourSetSetting{&StationSettings::cellAboveOkColours, {32768, 65280, 65280}}, true},
    {"BKO", ColourSetSetting{&StationSettings::cellBelowLimitColours, {255, 9211135, 255}}, true},
    {"BOST", ColourSetSetting{&StationSettings::cellOtherColours, {-16777203, 14351581, 4974955}}, true},
    {"Expert", LowByteSetting{&StationSettings::userLevel, 0}, false},
    {"Ikony", LowByteSetting{&StationSettings::iconSize, 0}, true},
    {"ERR_SIR", LowByteSetting{&StationSettings::faultSignallingSeconds, 0}, true},
    {"TYP_HW", LowByteSetting{&StationSettings::hardwareKind, 0}, true},
    {"TYP_BAT", TextSetting{&StationSettings::batteryTypeName, ""}, true},
    {"C_POSTUP", TextSetting{&StationSettings::procedureName, ""}, true},
    {"UM_HLAV", IntegerSetting{&StationSettings::panelPosition, 0}, false},
};

constexpr const char* kColourSuffixes[] = {"0", "1", "2"};

std::int32_t CellColourSet::*const kColourParts[] = {&CellColourSet::frame, &CellColourSet::background,
                                                     &CellColourSet::bar};

template <class... F> struct Overloaded : F... {
    using F::operator()...;
};
template <class... F> Overloaded(F...) -> Overloaded<F...>;

// The default of one declaration; a home folder without a home stays empty.
void applyDefault(const SettingDeclaration& d, StationSettings& s, const std::filesystem::path* home)
{
    std::visit(Overloaded{
                   [&](const TextSetting& k) { s.*k.field = k.fallback; },
                   [&](const HomeFolderSetting& k) { s.*k.field = home ? (*home / k.homeSubfolder).string() : ""; },
                   [&](const PortSetting& k) { s.*k.field = k.fallback; },
                   [&](const LowByteSetting& k) { s.*k.field = k.fallback; },
                   [&](const IntegerSetting& k) { s.*k.field = k.fallback; },
                   [&](const ThresholdSetting& k) { s.*k.field = thresholdFromStored(k.fallbackHundredths); },
                   [&](const ColourSetSetting& k) { s.*k.field = k.fallback; },
               },
               d.kind);
}

// Reads one declaration's value over `s`, which holds the defaults.
void readSetting(const ConfigFile& c, const SettingDeclaration& d, StationSettings& s)
{
    const char* n = kSettingsSection;
    std::visit(Overloaded{
                   [&](const TextSetting& k) { s.*k.field = c.readString(n, d.key, s.*k.field); },
                   [&](const HomeFolderSetting& k) { s.*k.field = c.readString(n, d.key, s.*k.field); },
                   [&](const PortSetting& k) {
                       const std::int32_t v = c.readInt(n, d.key, k.fallback);
                       s.*k.field = (v < 0 || v > 0xFFFF) ? k.fallback : static_cast<std::uint16_t>(v);
                   },
                   [&](const LowByteSetting& k) {
                       s.*k.field = static_cast<std::uint8_t>(c.readInt(n, d.key, k.fallback) & 0xFF);
                   },
                   [&](const IntegerSetting& k) { s.*k.field = c.readInt(n, d.key, k.fallback); },
                   [&](const ThresholdSetting& k) {
                       s.*k.field = thresholdFromStored(c.readInt(n, d.key, k.fallbackHundredths));
                   },
                   [&](const ColourSetSetting& k) {
                       CellColourSet& set = s.*k.field;
                       for (std::size_t i = 0; i < std::size(kColourParts); ++i)
                           set.*kColourParts[i] =
                               c.readInt(n, std::string(d.key) + kColourSuffixes[i], k.fallback.*kColourParts[i]);
                   },
               },
               d.kind);
}

void writeSetting(ConfigFile& c, const SettingDeclaration& d, const StationSettings& s)
{
    const char* n = kSettingsSection;
    std::visit(Overloaded{
                   [&](const TextSetting& k) { c.writeString(n, d.key, s.*k.field); },
                   [&](const HomeFolderSetting& k) { c.writeString(n, d.key, s.*k.field); },
                   [&](const PortSetting& k) { c.writeInt(n, d.key, s.*k.field); },
                   [&](const LowByteSetting& k) { c.writeInt(n, d.key, s.*k.field); },
                   [&](const IntegerSetting& k) { c.writeInt(n, d.key, s.*k.field); },
                   [&](const ThresholdSetting& k) { c.writeInt(n, d.key, thresholdToStored(s.*k.field)); },
                   [&](const ColourSetSetting& k) {
                       const CellColourSet& set = s.*k.field;
                       for (std::size_t i = 0; i < std::size(kColourParts); ++i)
                           c.writeInt(n, std::string(d.key) + kColourSuffixes[i], set.*kColourParts[i]);
                   },
               },
               d.kind);
}

// The declaration of `field`. Every field of StationSettings is declared (a test checks
// it), so a miss is a programming error.
template <class T> const SettingDeclaration& declarationOf(T StationSettings::*field)
{
    for (const SettingDeclaration& d : kDeclarations) {
        const bool same = std::visit(
            [&](const auto& k) {
                if constexpr (std::is_same_v<decltype(k.field), T StationSettings::*>)
                    return k.field == field;
                else
                    return false;
            },
            d.kind);
        if (same)
            return d;
    }
    std::abort();
}

} // namespace

StationSettings::StationSettings()
{
    for (const SettingDeclaration& d : kDeclarations)
        applyDefault(d, *this, nullptr);
}

std::span<const SettingDeclaration> stationSettingDeclarations()
{
    return kDeclarations;
}

std::vector<std::string> settingKeys(const SettingDeclaration& declaration)
{
    if (!std::holds_alternative<ColourSetSetting>(declaration.kind))
        return {declaration.key};
    std::vector<std::string> keys;
    for (const char* suffix : kColourSuffixes)
        keys.push_back(std::string(declaration.key) + suffix);
    return keys;
}

float thresholdFromStored(std::int32_t hundredths)
{
    return static_cast<float>(hundredths) / 100.0f;
}

std::int32_t thresholdToStored(float volts)
{
    if (std::isnan(volts))
        return 0;
    const double scaled = roundHalfEven(static_cast<double>(volts) * 100.0);
    if (scaled <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (scaled >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(scaled);
}

StationSettings defaultStationSettings(const std::filesystem::path& home)
{
    StationSettings s;
    for (const SettingDeclaration& d : kDeclarations)
        applyDefault(d, s, &home);
    return s;
}

StationSettings loadStationSettings(const ConfigFile& c, const std::filesystem::path& home)
{
    StationSettings s = defaultStationSettings(home);
    for (const SettingDeclaration& d : kDeclarations)
        readSetting(c, d, s);
    return s;
}

void saveStationSettings(ConfigFile& c, const StationSettings& s)
{
    for (const SettingDeclaration& d : kDeclarations)
        if (d.written)
            writeSetting(c, d, s);
}

std::string readPowerModuleAddress(const ConfigFile& c)
{
    StationSettings s;
    readSetting(c, declarationOf(&StationSettings::powerModuleAddress), s);
    return s.powerModuleAddress;
}

std::int32_t readPanelPosition(const ConfigFile& c)
{
    StationSettings s;
    readSetting(c, declarationOf(&StationSettings::panelPosition), s);
    return s.panelPosition;
}

void writePanelPosition(ConfigFile& c, std::int32_t position)
{
    StationSettings s;
    s.panelPosition = position;
    writeSetting(c, declarationOf(&StationSettings::panelPosition), s);
}

LastTest readLastTest(const ConfigFile& c)
{
    LastTest t;
    t.path = c.readString(kRunSection, "Test", "");
    t.completed = c.readInt(kRunSection, "Test_ukoncen", 1);
    return t;
}

void writeLastTest(ConfigFile& c, const std::string& testPath, bool completed)
{
    c.writeString(kRunSection, "Test", testPath);
    c.writeInt(kRunSection, "Test_ukoncen", completed ? 1 : 0);
}

} // namespace kapsorel
