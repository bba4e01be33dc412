// What a settings image may hold: the power settings' Singles finite and within their fields,
// the ADC constants finite, the section counts within the grids; hostile settings files refused
// with the field named and nothing taken; values kept exactly while their fields still show
// them; a cell grid batch merged around the user's changes.
#include "core/base/bytes.h"
#include "core/service/cell_grid.h"
#include "core/service/measure_settings_jobs.h"
#include "core/service/settings_checks.h"
#include "core/service/settings_file.h"
#include "settings_file_fixture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace kapsorel {
namespace {

using test::Bytes;

const float kNan = std::nanf("");
const float kInf = INFINITY;

TEST(PowerSettingsChecks, EverySingleMustBeFiniteAndWithinItsField)
{
    ASSERT_TRUE(checkPowerSettings(test::powerImages(1).settings).ok());
    for (const PowerSettingsSingle& field : kPowerSettingsSingles) {
        const struct {
            float value;
            const char* why; // nullptr: taken
        } cases[] = {{kNan, "není konečné číslo (nan)"},
                     {kInf, "není konečné číslo (inf)"},
                     {-kInf, "není konečné číslo (-inf)"},
                     {1e30f, "= 1e+30 je mimo rozsah -1e+09 až 1e+09"},
                     {-2e9f, "je mimo rozsah"},
                     {2e6f, nullptr},
                     {-1e9f, nullptr},
                     {0.123f, nullptr}};
        for (const auto& c : cases) {
            PowerSettingsBlock b = test::powerImages(1).settings;
            b.*field.value = c.value;
            const Status s = checkPowerSettings(b);
            SCOPED_TRACE(std::string(field.name) + " = " + std::to_string(c.value));
            ASSERT_EQ(s.ok(), c.why == nullptr) << s.error();
            if (c.why) {
                const std::string named =
                    std::string("nastavení výkonového modulu: „") + field.caption + "“ (" + field.name + ") ";
                EXPECT_EQ(s.error().rfind(named, 0), 0u) << s.error();
                EXPECT_NE(s.error().find(c.why), std::string::npos) << s.error();
            }
        }
    }
}

TEST(AdcChecks, TheInterpretedConstantsMustBeFinite)
{
    for (std::size_t k = 0; k < PowerAdcImage::kRecords; ++k) {
        for (float bad : {kNan, kInf, -kInf}) {
            PowerAdcImage image = test::powerImages(1).adc;
            image.records[k].constant = bad;
            const Status s = checkPowerAdc(image);
            // Record 6 is carried, not interpreted: whatever it holds goes through.
            ASSERT_EQ(s.ok(), k == 6) << k;
            if (k < 6) {
                EXPECT_EQ(s.error().rfind("kalibrace výkonového modulu, záznam " + std::to_string(k) +
                                              ": „Konstanta“ není konečné číslo",
                                          0),
                          0u)
                    << s.error();
            }
        }
    }
    for (std::size_t k = 0; k < CellAdcTable::kRecords; ++k) {
        CellAdcTable table = test::measureImages(1).cells;
        table.records[k].constant = kNan;
        const Status s = checkCellTable(table);
        ASSERT_FALSE(s.ok()) << k;
        EXPECT_EQ(s.error().rfind("kalibrace měřícího modulu, záznam " + std::to_string(k) + ":", 0), 0u) << s.error();
    }
    CellAdcTable spare = test::measureImages(1).cells;
    spare.spare = {0xFF, 0xFF};
    EXPECT_TRUE(checkCellTable(spare).ok());
}

// Bytes of a Single at `at`.
void putSingle(Bytes& file, std::size_t at, float v)
{
    ByteWriter w;
    w.single(v);
    const auto bytes = w.take();
    std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
}

// Offsets inside a power-only file: the section starts at 2 with network (35) and ports (23).
constexpr std::size_t kSettingsAt = 2 + 35 + 23;
constexpr std::size_t kAdcAt = kSettingsAt + 41;
constexpr std::size_t kSectionsAt = kAdcAt + 58;
// Inside a measurement-only file: the cell records after network and ports.
constexpr std::size_t kCellsAt = 2 + 35 + 23;

Bytes randomBytes(std::size_t n, std::uint8_t byte1)
{
    std::mt19937 random(602);
    Bytes b(n);
    for (auto& x : b)
        x = static_cast<std::uint8_t>(random() & 0xFF);
    b[1] = byte1;
    return b;
}

TEST(HostileSettingsFiles, AreRefusedWithTheFieldNamedAndNothingTaken)
{
    struct Case {
        const char* what;
        Bytes file;
        SettingsOpen which;
        std::vector<std::string> named; // a part of each message, in order
        bool power = false;             // the section taken all the same
        bool measure = false;
    };
    auto power = [](auto patch) {
        Bytes f = test::powerOnlyFile(5);
        patch(f);
        return f;
    };
    auto measure = [](auto patch) {
        Bytes f = test::measureOnlyFile(6);
        patch(f);
        return f;
    };
    const Case cases[] = {
        {"constant +inf, record 0",
         power([](Bytes& f) { putSingle(f, kAdcAt + 4, kInf); }),
         SettingsOpen::Power,
         {"kalibrace výkonového modulu, záznam 0: „Konstanta“ není konečné číslo (inf)"}},
        {"constant NaN, record 5",
         power([](Bytes& f) { putSingle(f, kAdcAt + 5 * 8 + 4, kNan); }),
         SettingsOpen::Power,
         {"záznam 5: „Konstanta“ není konečné číslo (nan)"}},
        {"pdiff_pr NaN",
         power([](Bytes& f) { putSingle(f, kSettingsAt, kNan); }),
         SettingsOpen::Power,
         {"„Diference proudu vybíjení“ (pdiff_pr) není konečné číslo"}},
        {"pfet_cur 1e30",
         power([](Bytes& f) { putSingle(f, kSettingsAt + 4, 1e30f); }),
         SettingsOpen::All,
         {"„Proud fety max.“ (pfet_cur) = 1e+30", "Neni m. modul"}},
        {"counts 200/200",
         power([](Bytes& f) { f[kSectionsAt] = f[kSectionsAt + 1] = 200; }),
         SettingsOpen::Power,
         {"„Počet odporů“ = 200 je mimo rozsah 0 až 9"}},
        {"banks 8",
         power([](Bytes& f) { f[kSectionsAt + 1] = 8; }),
         SettingsOpen::Power,
         {"„Počet odporníků“ = 8 je mimo rozsah 0 až 7"}},
        {"an unused conductance NaN",
         power([](Bytes& f) { putSingle(f, kSectionsAt + 2 + 9 * 4, kNan); }),
         SettingsOpen::Power,
         {"vodivost odporu 10 není konečné číslo"}},
        {"cell constant NaN",
         measure([](Bytes& f) { putSingle(f, kCellsAt + 3 * 8 + 4, kNan); }),
         SettingsOpen::Measure,
         {"kalibrace měřícího modulu, záznam 3: „Konstanta“"}},
        {"battery record constant -inf, power refused, measurement kept apart",
         [] {
             Bytes f = test::powerFirstFile(5, 6);
             putSingle(f, 234 + 35 + 23 + 20 * 8 + 4, -kInf);
             return f;
         }(),
         SettingsOpen::All,
         {"záznam 20: „Konstanta“ není konečné číslo (-inf)"},
         true},
        {"random 602 bytes with byte 1 = 1",
         randomBytes(602, 1),
         SettingsOpen::All,
         {"není soubor nastavení (délka 602 B"}},
        {"random 602 bytes with byte 1 = 2",
         randomBytes(602, 2),
         SettingsOpen::Measure,
         {"není soubor nastavení (délka 602 B"}},
        {"478 bytes with no second marker",
         [] {
             Bytes f = test::powerFirstFile(5, 6);
             f[233] = 0;
             return f;
         }(),
         SettingsOpen::Power,
         {"není soubor nastavení (za sekcí výkonového modulu je bajt 0 místo 2)"}},
        {"power-only length with a measurement marker",
         [] {
             Bytes f = test::powerOnlyFile(5);
             f[1] = 2;
             return f;
         }(),
         SettingsOpen::Measure,
         {"není soubor nastavení (délka 234 B neodpovídá první sekci měřícího modulu)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SettingsLoad load = loadSettingsImage(c.file, c.which, "zly.bts");
        ASSERT_EQ(load.messages.size(), c.named.size());
        for (std::size_t i = 0; i < c.named.size(); ++i) {
            EXPECT_NE(load.messages[i].find(c.named[i]), std::string::npos) << load.messages[i];
            if (c.named[i].rfind("Neni", 0) != 0) {
                EXPECT_EQ(load.messages[i].rfind("Soubor nastavení zly.bts : ", 0), 0u) << load.messages[i];
            }
        }
        EXPECT_EQ(load.power.has_value(), c.power);
        EXPECT_EQ(load.measure.has_value(), c.measure);
        EXPECT_EQ(load.loaded, (c.power ? blocks::kPowerModule : 0) | (c.measure ? blocks::kMeasureModule : 0));
    }
}

TEST(KeptValues, AFieldStillShowingWhatItShowedGivesTheValueBackExactly)
{
    const struct {
        float kept;
        double shown;
        double entered;
        float want;
    } cases[] = {
        {1.05f, 1.0, 1.0, 1.05f},                              // one decimal: 1.05 shows 1.0 (the float is 1.0499...)
        {0.123f, 0.12, 0.12, 0.123f},                          // two decimals
        {2e6f, 2e6, 2e6, 2e6f},       {1.05f, 1.0, 1.1, 1.1f}, // the user typed another value
        {0.123f, 0.12, 0.0, 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keptOrEntered(c.kept, c.shown, c.entered), c.want) << c.kept << " " << c.entered;
}

TEST(KeptValues, AConfigurationByteKeepsBitsTheChoicesDoNotShow)
{
    // 0x00 and 0xF7 unpack to choices the panel shows; unchanged choices keep the byte.
    EXPECT_EQ(i2cConfigKeeping(0x00, unpackI2cConfig(0x00)), std::optional<std::uint8_t>(0x00));
    EXPECT_EQ(i2cConfigKeeping(0xF7, unpackI2cConfig(0xF7)), std::optional<std::uint8_t>(0xF7));
    EXPECT_EQ(i2cConfigKeeping(0xF7, {0, 0}), std::optional<std::uint8_t>(0x90));
    EXPECT_EQ(i2cConfigKeeping(0x94, {2, 1}), std::optional<std::uint8_t>(0x99));
    const SpiRegisters odd{0x2B, 0x47}; // bit 0 of register 0 and register 1's low bits
    EXPECT_EQ(spiConfigKeeping(odd, unpackSpiConfig(odd)), std::optional<SpiRegisters>(odd));
    EXPECT_EQ(spiConfigKeeping(odd, {1, 1, 1}), (std::optional<SpiRegisters>(SpiRegisters{0x12, 0x24})));
    EXPECT_FALSE(spiConfigKeeping(odd, {16, 0, 0}));
}

TEST(CellGridBatch, TheUsersChangesWhileItRanAreKept)
{
    CellGrid before{};
    before[0].selected = true;
    before[1].selected = true;
    before[0].address = 208;
    before[1].address = 208;
    CellGrid after = before; // "Načti" read both records
    after[0].address = 210;
    after[0].constant = 0.5f;
    after[1].address = 212;
    after[1].constant = 0.25f;
    CellGrid now = before; // meanwhile: row 2's "Adr." filled, row 3 selected and its "Vmin" set
    now[1].address = 99;
    now[2].selected = true;
    now[2].vMin = 1.5;
    const CellGrid merged = mergeBatch(now, before, after);
    EXPECT_EQ(merged[0].address, std::optional<long>(210));
    EXPECT_EQ(merged[0].constant, std::optional<float>(0.5f));
    EXPECT_EQ(merged[1].address, std::optional<long>(99)) << "the user's cell wins";
    EXPECT_EQ(merged[1].constant, std::optional<float>(0.25f)) << "the batch's other cell comes in";
    EXPECT_TRUE(merged[2].selected);
    EXPECT_EQ(merged[2].vMin, std::optional<double>(1.5));
}

TEST(CellGridBatch, ANonFiniteConstantIsNeverWritten)
{
    CellGrid grid{};
    grid[4].selected = true;
    grid[4].address = 208;
    grid[4].config = 152;
    grid[4].offset = 0;
    grid[4].constant = kNan;
    const auto records = cellRecordsToWrite(grid, selectedRows(grid));
    ASSERT_FALSE(records.ok());
    EXPECT_NE(records.error().find("záznam 4"), std::string::npos) << records.error();
}

TEST(BothModules, TheStatusLineNamesEachHalfThatFailed)
{
    EXPECT_EQ(bothModulesMessage("", ""), "");
    EXPECT_EQ(bothModulesMessage("A", ""), "Výkonový modul: A");
    EXPECT_EQ(bothModulesMessage("", "B"), "Měřící modul: B");
    EXPECT_EQ(bothModulesMessage("A", "B"), "Výkonový modul: A\nMěřící modul: B");
}

} // namespace
} // namespace kapsorel
