#include "core/app/station_settings.h"

#include "core/base/numbers.h"

#include <cmath>
#include <limits>

namespace kapsorel {

namespace {

constexpr std::int32_t kDefaultOkMin = 100;
constexpr std::int32_t kDefaultOkMax = 156;
constexpr std::int32_t kDefaultKo = -60;

std::uint16_t readPort(const ConfigFile& c, const char* key, std::uint16_t def)
{
    const std::int32_t v = c.readInt(kSettingsSection, key, def);
    return (v < 0 || v > 0xFFFF) ? def : static_cast<std::uint16_t>(v);
}

std::uint8_t readLowByte(const ConfigFile& c, const char* key, std::uint8_t def)
{
    return static_cast<std::uint8_t>(c.readInt(kSettingsSection, key, def) & 0xFF);
}

CellColourSet readColours(const ConfigFile& c, const std::string& prefix, const CellColourSet& def)
{
    return {c.readInt(kSettingsSection, prefix + "0", def.frame),
            c.readInt(kSettingsSection, prefix + "1", def.background),
            c.readInt(kSettingsSection, prefix + "2", def.bar)};
}

void writeColours(ConfigFile& c, const std::string& prefix, const CellColourSet& set)
{
    c.writeInt(kSettingsSection, prefix + "0", set.frame);
    c.writeInt(kSettingsSection, prefix + "1", set.background);
    c.writeInt(kSettingsSection, prefix + "2", set.bar);
}

} // namespace

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
    s.dataFolder = (home / "Data").string();
    s.cellOkMinimum = thresholdFromStored(kDefaultOkMin);
    s.cellOkMaximum = thresholdFromStored(kDefaultOkMax);
    s.cellFailLimit = thresholdFromStored(kDefaultKo);
    return s;
}

StationSettings loadStationSettings(const ConfigFile& c, const std::filesystem::path& home)
{
    const StationSettings d = defaultStationSettings(home);
    StationSettings s = d;
    const char* n = kSettingsSection;
    s.powerModuleAddress = c.readString(n, "IP_adr_vyk", d.powerModuleAddress);
    s.measurementModuleAddress = c.readString(n, "IP_adr_mer", d.measurementModuleAddress);
    s.powerModuleTcpPort = readPort(c, "TCP_Port_vyk", d.powerModuleTcpPort);
    s.measurementModuleTcpPort = readPort(c, "TCP_Port_mer", d.measurementModuleTcpPort);
    s.powerModuleUdpPort = readPort(c, "UDP_Port_vyk", d.powerModuleUdpPort);
    s.measurementModuleUdpPort = readPort(c, "UDP_Port_mer", d.measurementModuleUdpPort);
    s.stationName = c.readString(n, "Stanice", d.stationName);
    s.dataFolder = c.readString(n, "Data_adr", d.dataFolder);
    s.archiveFolder = c.readString(n, "Arch_adr", d.archiveFolder);
    s.operatorName = c.readString(n, "Uziv", d.operatorName);
    s.cellOkMinimum = thresholdFromStored(c.readInt(n, "DNB_OK_MIN", kDefaultOkMin));
    s.cellOkMaximum = thresholdFromStored(c.readInt(n, "DNB_OK_MAX", kDefaultOkMax));
    s.cellFailLimit = thresholdFromStored(c.readInt(n, "DNB_KO", kDefaultKo));
    s.cellBelowOkColours = readColours(c, "BOK_MIN", d.cellBelowOkColours);
    s.cellAboveOkColours = readColours(c, "BOK_MAX", d.cellAboveOkColours);
    s.cellBelowLimitColours = readColours(c, "BKO", d.cellBelowLimitColours);
    s.cellOtherColours = readColours(c, "BOST", d.cellOtherColours);
    s.userLevel = readLowByte(c, "Expert", d.userLevel);
    s.iconSize = readLowByte(c, "Ikony", d.iconSize);
    s.faultSignallingSeconds = readLowByte(c, "ERR_SIR", d.faultSignallingSeconds);
    s.hardwareKind = readLowByte(c, "TYP_HW", d.hardwareKind);
    s.batteryTypeName = c.readString(n, "TYP_BAT", d.batteryTypeName);
    s.procedureName = c.readString(n, "C_POSTUP", d.procedureName);
    s.panelPosition = readPanelPosition(c);
    return s;
}

void saveStationSettings(ConfigFile& c, const StationSettings& s)
{
    const char* n = kSettingsSection;
    c.writeString(n, "IP_adr_vyk", s.powerModuleAddress);
    c.writeString(n, "IP_adr_mer", s.measurementModuleAddress);
    c.writeInt(n, "TCP_Port_vyk", s.powerModuleTcpPort);
    c.writeInt(n, "TCP_Port_mer", s.measurementModuleTcpPort);
    c.writeInt(n, "UDP_Port_vyk", s.powerModuleUdpPort);
    c.writeInt(n, "UDP_Port_mer", s.measurementModuleUdpPort);
    c.writeString(n, "Stanice", s.stationName);
    c.writeString(n, "Data_adr", s.dataFolder);
    c.writeString(n, "Arch_adr", s.archiveFolder);
    c.writeString(n, "Uziv", s.operatorName);
    c.writeInt(n, "DNB_OK_MIN", thresholdToStored(s.cellOkMinimum));
    c.writeInt(n, "DNB_OK_MAX", thresholdToStored(s.cellOkMaximum));
    c.writeInt(n, "DNB_KO", thresholdToStored(s.cellFailLimit));
    writeColours(c, "BOK_MIN", s.cellBelowOkColours);
    writeColours(c, "BOK_MAX", s.cellAboveOkColours);
    writeColours(c, "BKO", s.cellBelowLimitColours);
    writeColours(c, "BOST", s.cellOtherColours);
    c.writeInt(n, "Ikony", s.iconSize);
    c.writeInt(n, "ERR_SIR", s.faultSignallingSeconds);
    c.writeInt(n, "TYP_HW", s.hardwareKind);
    c.writeString(n, "TYP_BAT", s.batteryTypeName);
    c.writeString(n, "C_POSTUP", s.procedureName);
}

std::string readPowerModuleAddress(const ConfigFile& c)
{
    return c.readString(kSettingsSection, "IP_adr_vyk", kDefaultPowerModuleAddress);
}

std::int32_t readPanelPosition(const ConfigFile& c)
{
    return c.readInt(kSettingsSection, "UM_HLAV", 0);
}

void writePanelPosition(ConfigFile& c, std::int32_t position)
{
    c.writeInt(kSettingsSection, "UM_HLAV", position);
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
