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
    s.dataAdr = (home / "Data").string();
    s.dnbOkMin = thresholdFromStored(kDefaultOkMin);
    s.dnbOkMax = thresholdFromStored(kDefaultOkMax);
    s.dnbKo = thresholdFromStored(kDefaultKo);
    return s;
}

StationSettings loadStationSettings(const ConfigFile& c, const std::filesystem::path& home)
{
    const StationSettings d = defaultStationSettings(home);
    StationSettings s = d;
    const char* n = kSettingsSection;
    s.ipAdrVyk = c.readString(n, "IP_adr_vyk", d.ipAdrVyk);
    s.ipAdrMer = c.readString(n, "IP_adr_mer", d.ipAdrMer);
    s.tcpPortVyk = readPort(c, "TCP_Port_vyk", d.tcpPortVyk);
    s.tcpPortMer = readPort(c, "TCP_Port_mer", d.tcpPortMer);
    s.udpPortVyk = readPort(c, "UDP_Port_vyk", d.udpPortVyk);
    s.udpPortMer = readPort(c, "UDP_Port_mer", d.udpPortMer);
    s.stanice = c.readString(n, "Stanice", d.stanice);
    s.dataAdr = c.readString(n, "Data_adr", d.dataAdr);
    s.archAdr = c.readString(n, "Arch_adr", d.archAdr);
    s.uziv = c.readString(n, "Uziv", d.uziv);
    s.dnbOkMin = thresholdFromStored(c.readInt(n, "DNB_OK_MIN", kDefaultOkMin));
    s.dnbOkMax = thresholdFromStored(c.readInt(n, "DNB_OK_MAX", kDefaultOkMax));
    s.dnbKo = thresholdFromStored(c.readInt(n, "DNB_KO", kDefaultKo));
    s.bokMin = readColours(c, "BOK_MIN", d.bokMin);
    s.bokMax = readColours(c, "BOK_MAX", d.bokMax);
    s.bko = readColours(c, "BKO", d.bko);
    s.bost = readColours(c, "BOST", d.bost);
    s.expert = readLowByte(c, "Expert", d.expert);
    s.ikony = readLowByte(c, "Ikony", d.ikony);
    s.errSir = readLowByte(c, "ERR_SIR", d.errSir);
    s.typHw = readLowByte(c, "TYP_HW", d.typHw);
    s.typBat = c.readString(n, "TYP_BAT", d.typBat);
    s.cPostup = c.readString(n, "C_POSTUP", d.cPostup);
    s.umHlav = readPanelPosition(c);
    return s;
}

void saveStationSettings(ConfigFile& c, const StationSettings& s)
{
    const char* n = kSettingsSection;
    c.writeString(n, "IP_adr_vyk", s.ipAdrVyk);
    c.writeString(n, "IP_adr_mer", s.ipAdrMer);
    c.writeInt(n, "TCP_Port_vyk", s.tcpPortVyk);
    c.writeInt(n, "TCP_Port_mer", s.tcpPortMer);
    c.writeInt(n, "UDP_Port_vyk", s.udpPortVyk);
    c.writeInt(n, "UDP_Port_mer", s.udpPortMer);
    c.writeString(n, "Stanice", s.stanice);
    c.writeString(n, "Data_adr", s.dataAdr);
    c.writeString(n, "Arch_adr", s.archAdr);
    c.writeString(n, "Uziv", s.uziv);
    c.writeInt(n, "DNB_OK_MIN", thresholdToStored(s.dnbOkMin));
    c.writeInt(n, "DNB_OK_MAX", thresholdToStored(s.dnbOkMax));
    c.writeInt(n, "DNB_KO", thresholdToStored(s.dnbKo));
    writeColours(c, "BOK_MIN", s.bokMin);
    writeColours(c, "BOK_MAX", s.bokMax);
    writeColours(c, "BKO", s.bko);
    writeColours(c, "BOST", s.bost);
    c.writeInt(n, "Ikony", s.ikony);
    c.writeInt(n, "ERR_SIR", s.errSir);
    c.writeInt(n, "TYP_HW", s.typHw);
    c.writeString(n, "TYP_BAT", s.typBat);
    c.writeString(n, "C_POSTUP", s.cPostup);
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
