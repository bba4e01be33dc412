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
    s.Data_adr = (home / "Data").string();
    s.DNB_OK_MIN = thresholdFromStored(kDefaultOkMin);
    s.DNB_OK_MAX = thresholdFromStored(kDefaultOkMax);
    s.DNB_KO = thresholdFromStored(kDefaultKo);
    return s;
}

StationSettings loadStationSettings(const ConfigFile& c, const std::filesystem::path& home)
{
    const StationSettings d = defaultStationSettings(home);
    StationSettings s = d;
    const char* n = kSettingsSection;
    s.IP_adr_vyk = c.readString(n, "IP_adr_vyk", d.IP_adr_vyk);
    s.IP_adr_mer = c.readString(n, "IP_adr_mer", d.IP_adr_mer);
    s.TCP_Port_vyk = readPort(c, "TCP_Port_vyk", d.TCP_Port_vyk);
    s.TCP_Port_mer = readPort(c, "TCP_Port_mer", d.TCP_Port_mer);
    s.UDP_Port_vyk = readPort(c, "UDP_Port_vyk", d.UDP_Port_vyk);
    s.UDP_Port_mer = readPort(c, "UDP_Port_mer", d.UDP_Port_mer);
    s.Stanice = c.readString(n, "Stanice", d.Stanice);
    s.Data_adr = c.readString(n, "Data_adr", d.Data_adr);
    s.Arch_adr = c.readString(n, "Arch_adr", d.Arch_adr);
    s.Uziv = c.readString(n, "Uziv", d.Uziv);
    s.DNB_OK_MIN = thresholdFromStored(c.readInt(n, "DNB_OK_MIN", kDefaultOkMin));
    s.DNB_OK_MAX = thresholdFromStored(c.readInt(n, "DNB_OK_MAX", kDefaultOkMax));
    s.DNB_KO = thresholdFromStored(c.readInt(n, "DNB_KO", kDefaultKo));
    s.BOK_MIN = readColours(c, "BOK_MIN", d.BOK_MIN);
    s.BOK_MAX = readColours(c, "BOK_MAX", d.BOK_MAX);
    s.BKO = readColours(c, "BKO", d.BKO);
    s.BOST = readColours(c, "BOST", d.BOST);
    s.Expert = readLowByte(c, "Expert", d.Expert);
    s.Ikony = readLowByte(c, "Ikony", d.Ikony);
    s.ERR_SIR = readLowByte(c, "ERR_SIR", d.ERR_SIR);
    s.TYP_HW = readLowByte(c, "TYP_HW", d.TYP_HW);
    s.TYP_BAT = c.readString(n, "TYP_BAT", d.TYP_BAT);
    s.C_POSTUP = c.readString(n, "C_POSTUP", d.C_POSTUP);
    s.UM_HLAV = readPanelPosition(c);
    return s;
}

void saveStationSettings(ConfigFile& c, const StationSettings& s)
{
    const char* n = kSettingsSection;
    c.writeString(n, "IP_adr_vyk", s.IP_adr_vyk);
    c.writeString(n, "IP_adr_mer", s.IP_adr_mer);
    c.writeInt(n, "TCP_Port_vyk", s.TCP_Port_vyk);
    c.writeInt(n, "TCP_Port_mer", s.TCP_Port_mer);
    c.writeInt(n, "UDP_Port_vyk", s.UDP_Port_vyk);
    c.writeInt(n, "UDP_Port_mer", s.UDP_Port_mer);
    c.writeString(n, "Stanice", s.Stanice);
    c.writeString(n, "Data_adr", s.Data_adr);
    c.writeString(n, "Arch_adr", s.Arch_adr);
    c.writeString(n, "Uziv", s.Uziv);
    c.writeInt(n, "DNB_OK_MIN", thresholdToStored(s.DNB_OK_MIN));
    c.writeInt(n, "DNB_OK_MAX", thresholdToStored(s.DNB_OK_MAX));
    c.writeInt(n, "DNB_KO", thresholdToStored(s.DNB_KO));
    writeColours(c, "BOK_MIN", s.BOK_MIN);
    writeColours(c, "BOK_MAX", s.BOK_MAX);
    writeColours(c, "BKO", s.BKO);
    writeColours(c, "BOST", s.BOST);
    c.writeInt(n, "Ikony", s.Ikony);
    c.writeInt(n, "ERR_SIR", s.ERR_SIR);
    c.writeInt(n, "TYP_HW", s.TYP_HW);
    c.writeString(n, "TYP_BAT", s.TYP_BAT);
    c.writeString(n, "C_POSTUP", s.C_POSTUP);
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
    t.Test = c.readString(kRunSection, "Test", "");
    t.Test_ukoncen = c.readInt(kRunSection, "Test_ukoncen", 1);
    return t;
}

void writeLastTest(ConfigFile& c, const std::string& testPath, bool completed)
{
    c.writeString(kRunSection, "Test", testPath);
    c.writeInt(kRunSection, "Test_ukoncen", completed ? 1 : 0);
}

} // namespace kapsorel
