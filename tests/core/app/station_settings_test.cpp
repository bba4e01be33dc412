#include "core/app/station_settings.h"
#include "core/app/stored_colour.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

using namespace kapsorel;

namespace {

std::string text(const std::vector<std::uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

ConfigFile parse(const std::string& s)
{
    return ConfigFile::fromBytes(std::string_view(s));
}

std::vector<std::string> keysInOrder(const ConfigFile& cfg)
{
    std::vector<std::string> keys;
    std::istringstream in(text(cfg.toBytes()));
    std::string line;
    while (std::getline(in, line))
        if (const auto eq = line.find('='); eq != std::string::npos)
            keys.push_back(line.substr(0, eq));
    return keys;
}

using KeyValues = std::vector<std::pair<std::string, std::string>>;

template <class... F> struct Overloaded : F... {
    using F::operator()...;
};
template <class... F> Overloaded(F...) -> Overloaded<F...>;

// Sets the field of `d` to a value other than its default; returns the file's text for it.
KeyValues setOtherValue(const SettingDeclaration& d, StationSettings& s)
{
    const std::string key = d.key;
    return std::visit(
        Overloaded{
            [&](const TextSetting& k) -> KeyValues {
                s.*k.field = "jiný " + key;
                return {{key, s.*k.field}};
            },
            [&](const HomeFolderSetting& k) -> KeyValues {
                s.*k.field = "/jinam/" + key;
                return {{key, s.*k.field}};
            },
            [&](const PortSetting& k) -> KeyValues {
                s.*k.field = static_cast<std::uint16_t>(k.fallback + 17);
                return {{key, std::to_string(s.*k.field)}};
            },
            [&](const LowByteSetting& k) -> KeyValues {
                s.*k.field = static_cast<std::uint8_t>(k.fallback + 3);
                return {{key, std::to_string(s.*k.field)}};
            },
            [&](const IntegerSetting& k) -> KeyValues {
                s.*k.field = k.fallback + 1;
                return {{key, std::to_string(s.*k.field)}};
            },
            [&](const ThresholdSetting& k) -> KeyValues {
                const std::int32_t stored = k.fallbackHundredths + 7;
                s.*k.field = thresholdFromStored(stored);
                return {{key, std::to_string(stored)}};
            },
            [&](const ColourSetSetting& k) -> KeyValues {
                const CellColourSet c{k.fallback.frame + 1, k.fallback.background + 2, k.fallback.bar + 3};
                s.*k.field = c;
                return {{key + "0", std::to_string(c.frame)},
                        {key + "1", std::to_string(c.background)},
                        {key + "2", std::to_string(c.bar)}};
            },
        },
        d.kind);
}

std::string fileWith(const KeyValues& values)
{
    std::string file = "[Nastaveni]\n";
    for (const auto& [key, value] : values)
        file += key + "=" + value + "\n";
    return file;
}

} // namespace

TEST(StationSettings, EmptyFileGivesEveryDefault)
{
    const StationSettings s = loadStationSettings(parse(""), "/station");
    EXPECT_EQ(s.powerModuleAddress, "127.0.0.2");
    EXPECT_EQ(s.measurementModuleAddress, "127.0.0.3");
    EXPECT_EQ(s.powerModuleTcpPort, 9760);
    EXPECT_EQ(s.measurementModuleTcpPort, 9760);
    EXPECT_EQ(s.powerModuleUdpPort, 30305);
    EXPECT_EQ(s.measurementModuleUdpPort, 30305);
    EXPECT_EQ(s.stationName, "Stanice");
    EXPECT_EQ(s.dataFolder, "/station/Data");
    EXPECT_EQ(s.archiveFolder, "");
    EXPECT_EQ(s.operatorName, "");
    EXPECT_FLOAT_EQ(s.cellOkMinimum, 1.00f);
    EXPECT_FLOAT_EQ(s.cellOkMaximum, 1.56f);
    EXPECT_FLOAT_EQ(s.cellFailLimit, -0.60f);
    EXPECT_EQ(s.cellBelowOkColours, (CellColourSet{-16777203, 14145535, 9211135}));
    EXPECT_EQ(s.cellAboveOkColours, (CellColourSet{32768, 65280, 65280}));
    EXPECT_EQ(s.cellBelowLimitColours, (CellColourSet{255, 9211135, 255}));
    EXPECT_EQ(s.cellOtherColours, (CellColourSet{-16777203, 14351581, 4974955}));
    EXPECT_EQ(s.userLevel, 0);
    EXPECT_EQ(s.iconSize, 0);
    EXPECT_EQ(s.faultSignallingSeconds, 0);
    EXPECT_EQ(s.hardwareKind, 0);
    EXPECT_EQ(s.batteryTypeName, "");
    EXPECT_EQ(s.procedureName, "");
    EXPECT_EQ(s.panelPosition, 0);
    EXPECT_EQ(s, defaultStationSettings("/station"));
}

TEST(StationSettings, ThresholdsAreHundredthsOnDiskAndVoltsInMemory)
{
    ConfigFile cfg = parse("[Nastaveni]\nDNB_KO=-60\nDNB_OK_MIN=95\nDNB_OK_MAX=160\n");
    StationSettings s = loadStationSettings(cfg, "/h");
    EXPECT_FLOAT_EQ(s.cellFailLimit, -0.60f);
    EXPECT_FLOAT_EQ(s.cellOkMinimum, 0.95f);
    EXPECT_FLOAT_EQ(s.cellOkMaximum, 1.60f);

    saveStationSettings(cfg, s);
    EXPECT_EQ(cfg.readInt("Nastaveni", "DNB_KO", 0), -60);
    EXPECT_EQ(cfg.readInt("Nastaveni", "DNB_OK_MIN", 0), 95);
    EXPECT_EQ(cfg.readInt("Nastaveni", "DNB_OK_MAX", 0), 160);

    s.cellOkMaximum = 1.237f;
    saveStationSettings(cfg, s);
    EXPECT_EQ(cfg.readInt("Nastaveni", "DNB_OK_MAX", 0), 124);
}

TEST(StationSettings, ThresholdRoundingGoesHalfToEven)
{
    struct Case {
        float volts;
        std::int32_t stored;
    };
    const Case cases[] = {
        {1.237f, 124},  {-0.60f, -60}, {1.56f, 156},  {0.125f, 12},       {0.375f, 38},
        {-0.125f, -12}, {0.0f, 0},     {1.234f, 123}, {3e10f, INT32_MAX}, {-3e10f, INT32_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(thresholdToStored(c.volts), c.stored) << c.volts;
    for (std::int32_t h : {-60, 0, 1, 100, 156, 999, -32768, 100000})
        EXPECT_EQ(thresholdToStored(thresholdFromStored(h)), h) << h;
}

TEST(StationSettings, SaveWritesTheKeysInTheirOrderWithoutExpert)
{
    ConfigFile cfg;
    StationSettings s = defaultStationSettings("/h");
    s.userLevel = 2;
    s.panelPosition = 1;
    saveStationSettings(cfg, s);
    const std::vector<std::string> expected = {
        "IP_adr_vyk", "IP_adr_mer", "TCP_Port_vyk", "TCP_Port_mer", "UDP_Port_vyk", "UDP_Port_mer",
        "Stanice",    "Data_adr",   "Arch_adr",     "Uziv",         "DNB_OK_MIN",   "DNB_OK_MAX",
        "DNB_KO",     "BOK_MIN0",   "BOK_MIN1",     "BOK_MIN2",     "BOK_MAX0",     "BOK_MAX1",
        "BOK_MAX2",   "BKO0",       "BKO1",         "BKO2",         "BOST0",        "BOST1",
        "BOST2",      "Ikony",      "ERR_SIR",      "TYP_HW",       "TYP_BAT",      "C_POSTUP"};
    EXPECT_EQ(keysInOrder(cfg), expected);
    EXPECT_FALSE(cfg.hasKey("Nastaveni", "Expert"));
    EXPECT_EQ(cfg.readInt("Nastaveni", "BOK_MIN0", 0), -16777203);
}

TEST(StationSettings, SaveKeepsExpertAndForeignLinesAndRoundTrips)
{
    ConfigFile cfg = parse("[Nastaveni]\r\nExpert=2\r\n; komentář\r\nJiny=5\r\n");
    StationSettings s = loadStationSettings(cfg, "/h");
    EXPECT_EQ(s.userLevel, 2);
    s.powerModuleAddress = "127.4.5.6";
    s.measurementModuleTcpPort = 9000;
    s.stationName = "Linka Č. 2";
    s.operatorName = "Novák";
    s.cellOkMinimum = 1.1f;
    s.cellOtherColours.bar = encodeRgb(1, 2, 3);
    s.iconSize = 2;
    s.faultSignallingSeconds = 30;
    s.hardwareKind = 1;
    s.batteryTypeName = "KPH 80";
    s.procedureName = "Formování";
    s.userLevel = 0; // a level chosen while running is not stored
    saveStationSettings(cfg, s);
    const StationSettings back = loadStationSettings(cfg, "/h");
    StationSettings expected = s;
    expected.userLevel = 2;
    EXPECT_EQ(back, expected);
    EXPECT_EQ(cfg.readInt("Nastaveni", "Jiny", 0), 5);
    EXPECT_TRUE(
        text(cfg.toBytes()).starts_with("[Nastaveni]\r\nExpert=2\r\n; komentář\r\nJiny=5\r\nIP_adr_vyk=127.4.5.6\r\n"));
}

TEST(StationSettings, OutOfRangeValues)
{
    ConfigFile cfg = parse("[Nastaveni]\nTCP_Port_vyk=70000\nTCP_Port_mer=-1\nUDP_Port_vyk=0\n"
                           "Expert=258\nIkony=-1\nERR_SIR=300\nTYP_HW=x\n");
    const StationSettings s = loadStationSettings(cfg, "/h");
    EXPECT_EQ(s.powerModuleTcpPort, 9760);
    EXPECT_EQ(s.measurementModuleTcpPort, 9760);
    EXPECT_EQ(s.powerModuleUdpPort, 0); // kept: the transport puts the default port in its place
    EXPECT_EQ(s.userLevel, 2);          // the low byte
    EXPECT_EQ(s.iconSize, 255);
    EXPECT_EQ(s.faultSignallingSeconds, 44);
    EXPECT_EQ(s.hardwareKind, 0);
}

TEST(StationSettingDeclarations, EveryDeclaredSettingIsReadAndWrittenUnderItsOwnKeys)
{
    for (const SettingDeclaration& d : stationSettingDeclarations()) {
        SCOPED_TRACE(d.key);
        StationSettings expected = defaultStationSettings("/h");
        const KeyValues stored = setOtherValue(d, expected);
        ASSERT_NE(expected, defaultStationSettings("/h"));

        // Read: a file holding only this setting changes exactly its field.
        EXPECT_EQ(loadStationSettings(parse(fileWith(stored)), "/h"), expected);

        // Written: under the same keys and the same text, and read back unchanged.
        ConfigFile saved;
        saveStationSettings(saved, expected);
        for (const auto& [key, value] : stored) {
            if (d.written) {
                EXPECT_EQ(saved.readString("Nastaveni", key, "<chybí>"), value) << key;
            } else {
                EXPECT_FALSE(saved.hasKey("Nastaveni", key)) << key;
            }
        }
        if (d.written) {
            EXPECT_EQ(loadStationSettings(saved, "/h"), expected);
        }
    }
}

TEST(StationSettingDeclarations, RoundTripOverEverySettingAtOnce)
{
    StationSettings changed = defaultStationSettings("/h");
    for (const SettingDeclaration& d : stationSettingDeclarations())
        setOtherValue(d, changed);

    ConfigFile cfg;
    saveStationSettings(cfg, changed);
    StationSettings expected = changed;
    expected.userLevel = 0;     // Expert is never written
    expected.panelPosition = 0; // UM_HLAV is kept by the program settings window
    EXPECT_EQ(loadStationSettings(cfg, "/h"), expected);

    // Every field is declared: each one moved away from its default.
    const StationSettings d = defaultStationSettings("/h");
    EXPECT_NE(changed.powerModuleAddress, d.powerModuleAddress);
    EXPECT_NE(changed.measurementModuleAddress, d.measurementModuleAddress);
    EXPECT_NE(changed.powerModuleTcpPort, d.powerModuleTcpPort);
    EXPECT_NE(changed.measurementModuleTcpPort, d.measurementModuleTcpPort);
    EXPECT_NE(changed.powerModuleUdpPort, d.powerModuleUdpPort);
    EXPECT_NE(changed.measurementModuleUdpPort, d.measurementModuleUdpPort);
    EXPECT_NE(changed.stationName, d.stationName);
    EXPECT_NE(changed.dataFolder, d.dataFolder);
    EXPECT_NE(changed.archiveFolder, d.archiveFolder);
    EXPECT_NE(changed.operatorName, d.operatorName);
    EXPECT_NE(changed.cellOkMinimum, d.cellOkMinimum);
    EXPECT_NE(changed.cellOkMaximum, d.cellOkMaximum);
    EXPECT_NE(changed.cellFailLimit, d.cellFailLimit);
    EXPECT_NE(changed.cellBelowOkColours, d.cellBelowOkColours);
    EXPECT_NE(changed.cellAboveOkColours, d.cellAboveOkColours);
    EXPECT_NE(changed.cellBelowLimitColours, d.cellBelowLimitColours);
    EXPECT_NE(changed.cellOtherColours, d.cellOtherColours);
    EXPECT_NE(changed.userLevel, d.userLevel);
    EXPECT_NE(changed.iconSize, d.iconSize);
    EXPECT_NE(changed.faultSignallingSeconds, d.faultSignallingSeconds);
    EXPECT_NE(changed.hardwareKind, d.hardwareKind);
    EXPECT_NE(changed.batteryTypeName, d.batteryTypeName);
    EXPECT_NE(changed.procedureName, d.procedureName);
    EXPECT_NE(changed.panelPosition, d.panelPosition);
}

TEST(StationSettingDeclarations, EachKeyOnceAndOnlyExpertAndPanelPositionUnwritten)
{
    std::vector<std::string> keys;
    std::vector<std::string> unwritten;
    for (const SettingDeclaration& d : stationSettingDeclarations()) {
        for (const std::string& k : settingKeys(d)) {
            std::string lower;
            for (char ch : k)
                lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            EXPECT_EQ(std::count(keys.begin(), keys.end(), lower), 0) << k; // keys ignore case in the file
            keys.push_back(lower);
        }
        if (!d.written)
            unwritten.push_back(d.key);
    }
    EXPECT_EQ(keys.size(), 32u); // 24 settings, four of them colour sets of three keys
    EXPECT_EQ(unwritten, (std::vector<std::string>{"Expert", "UM_HLAV"}));
}

TEST(StationSettings, DefaultConstructedHoldsTheDeclaredDefaultsWithoutAFolder)
{
    StationSettings expected = defaultStationSettings("/h");
    expected.dataFolder.clear();
    EXPECT_EQ(StationSettings{}, expected);
}

TEST(StationSettings, PowerModuleAddressAndPanelPosition)
{
    EXPECT_EQ(readPowerModuleAddress(parse("")), "127.0.0.2");
    EXPECT_EQ(readPowerModuleAddress(parse("[nastaveni]\nip_adr_vyk=127.1.1.1\n")), "127.1.1.1");

    ConfigFile cfg;
    EXPECT_EQ(readPanelPosition(cfg), 0);
    writePanelPosition(cfg, 1);
    EXPECT_EQ(readPanelPosition(cfg), 1);
    EXPECT_EQ(loadStationSettings(cfg, "/h").panelPosition, 1);
}

TEST(StationSettings, LastTestMarker)
{
    ConfigFile cfg;
    LastTest t = readLastTest(cfg);
    EXPECT_EQ(t.path, "");
    EXPECT_EQ(t.completed, 1);
    EXPECT_EQ(t.completed, 1);

    writeLastTest(cfg, "/data/B1_001.tst", false);
    t = readLastTest(cfg);
    EXPECT_EQ(t.path, "/data/B1_001.tst");
    EXPECT_EQ(t.completed, 0);
    EXPECT_EQ(t.completed, 0);
    EXPECT_EQ(text(cfg.toBytes()), "[RUN]\nTest=/data/B1_001.tst\nTest_ukoncen=0\n");

    writeLastTest(cfg, "/data/B1_001.tst", true);
    EXPECT_EQ(readLastTest(cfg).completed, 1);
}

TEST(StoredColour, DecodesAndEncodesBothKinds)
{
    struct Case {
        std::int32_t value;
        StoredColour colour;
    };
    using K = StoredColour::Kind;
    const Case cases[] = {
        {14145535, {K::Rgb, 0xFF, 0xD7, 0xD7, 0}}, {9211135, {K::Rgb, 0xFF, 0x8C, 0x8C, 0}},
        {32768, {K::Rgb, 0x00, 0x80, 0x00, 0}},    {65280, {K::Rgb, 0x00, 0xFF, 0x00, 0}},
        {255, {K::Rgb, 0xFF, 0x00, 0x00, 0}},      {14351581, {K::Rgb, 0xDD, 0xFC, 0xDA, 0}},
        {4974955, {K::Rgb, 0x6B, 0xE9, 0x4B, 0}},  {-16777203, {K::System, 0, 0, 0, 13}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeColour(c.value), c.colour) << c.value;
        EXPECT_EQ(encodeColour(c.colour), c.value) << c.value;
    }
    EXPECT_EQ(encodeSystemColour(13), -16777203);
    EXPECT_EQ(encodeRgb(0xFF, 0xD7, 0xD7), 14145535);
    // Another high byte: the three low bytes still give the colour.
    EXPECT_EQ(decodeColour(0x02123456), (StoredColour{K::Rgb, 0x56, 0x34, 0x12, 0}));
}
