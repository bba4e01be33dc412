// Settings file images in memory: the sections' data, the four layouts a save produces, where
// an open finds each section, and the refusals of short files and of files that are no
// settings files.
#include "core/service/settings_file.h"
#include "settings_file_fixture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kapsorel {
namespace {

using test::Bytes;

TEST(SettingsFileLayout, SizesFollowTheBlocks)
{
    struct Case {
        std::size_t got;
        std::size_t want;
        const char* what;
    };
    const Case cases[] = {
        {settings_file::kPowerSectionSize, 35 + 23 + 41 + 58 + 74, "power section"},
        {settings_file::kMeasureSectionSize, 35 + 23 + 186, "measurement section"},
        {settings_file::kPowerOnlySize, test::powerOnlyFile(1).size(), "power only"},
        {settings_file::kMeasureOnlySize, test::measureOnlyFile(1).size(), "measurement only"},
        {settings_file::kBothSize, test::powerFirstFile(1, 2).size(), "both"},
        {settings_file::kBothSize, test::measureFirstFile(1, 2).size(), "both, measurement first"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(SettingsFileLayout, SectionDataIsTheBlocksInOrderAndReadsBack)
{
    for (unsigned seed : {0u, 17u, 90u}) {
        EXPECT_EQ(encodePowerSection(test::powerImages(seed)), test::powerData(seed)) << seed;
        EXPECT_EQ(encodeMeasureSection(test::measureImages(seed)), test::measureData(seed)) << seed;
        auto power = decodePowerSection(test::powerData(seed));
        ASSERT_TRUE(power.ok()) << power.error();
        EXPECT_EQ(power.value(), test::powerImages(seed));
        auto measure = decodeMeasureSection(test::measureData(seed));
        ASSERT_TRUE(measure.ok()) << measure.error();
        EXPECT_EQ(measure.value(), test::measureImages(seed));
    }
    EXPECT_FALSE(decodePowerSection(Bytes(230)).ok());
    EXPECT_FALSE(decodeMeasureSection(Bytes(245)).ok());
}

TEST(SettingsFileLayout, AFreshFileHasTheLayoutOfItsSections)
{
    struct Case {
        SettingsSections sections;
        Bytes want;
        const char* what;
    };
    const Case cases[] = {
        {{test::powerImages(5), std::nullopt}, test::powerOnlyFile(5), "Ulož v. modul"},
        {{std::nullopt, test::measureImages(8)}, test::measureOnlyFile(8), "Ulož m. modul"},
        {{test::powerImages(5), test::measureImages(8)}, test::powerFirstFile(5, 8), "Ulož vše"},
    };
    for (const auto& c : cases) {
        auto file = freshSettingsImage(c.sections);
        ASSERT_TRUE(file.ok()) << file.error();
        EXPECT_EQ(file.value(), c.want) << c.what;
        EXPECT_TRUE(checkSettingsImage(file.value()).ok()) << c.what;
    }
    EXPECT_FALSE(freshSettingsImage({}).ok()) << "a save with no section writes nothing";
}

TEST(SettingsFileLayout, PuttingASectionKeepsTheOtherAndUpdatesInPlace)
{
    struct Case {
        Bytes before;
        SettingsSections sections;
        Bytes want;
        const char* what;
    };
    const Case cases[] = {
        {test::powerOnlyFile(1),
         {std::nullopt, test::measureImages(2)},
         test::powerFirstFile(1, 2),
         "measurement appended after the power section"},
        {test::measureOnlyFile(2),
         {test::powerImages(1), std::nullopt},
         test::measureFirstFile(2, 1),
         "power appended after the measurement section, found at 247"},
        {test::powerOnlyFile(1), {test::powerImages(3), std::nullopt}, test::powerOnlyFile(3), "power in place"},
        {test::measureOnlyFile(2),
         {std::nullopt, test::measureImages(4)},
         test::measureOnlyFile(4),
         "measurement in place"},
        {test::powerFirstFile(1, 2),
         {test::powerImages(3), std::nullopt},
         test::powerFirstFile(3, 2),
         "power in place, measurement kept"},
        {test::powerFirstFile(1, 2),
         {std::nullopt, test::measureImages(4)},
         test::powerFirstFile(1, 4),
         "measurement in place at 234, power kept"},
        {test::measureFirstFile(2, 1),
         {test::powerImages(3), std::nullopt},
         test::measureFirstFile(2, 3),
         "power in place at 247, measurement kept"},
        {test::measureFirstFile(2, 1),
         {test::powerImages(5), test::measureImages(6)},
         test::measureFirstFile(6, 5),
         "Ulož vše into a measurement-first file keeps its order"},
        {test::measureOnlyFile(2),
         {test::powerImages(5), test::measureImages(6)},
         test::measureFirstFile(6, 5),
         "Ulož vše into a measurement-only file"},
    };
    for (const auto& c : cases) {
        auto after = updatedSettingsImage(c.before, c.sections);
        ASSERT_TRUE(after.ok()) << c.what << ": " << after.error();
        EXPECT_EQ(after.value(), c.want) << c.what;
    }
}

// Files a save must not write into: the reason names what is wrong.
struct Foreign {
    Bytes file;
    std::string reason;
    const char* what;
};

std::vector<Foreign> foreignFiles()
{
    auto with = [](Bytes b, std::size_t at, std::uint8_t v) {
        b.at(at) = v;
        return b;
    };
    Bytes cut = test::powerFirstFile(1, 2);
    cut.resize(400);
    return {
        {{}, "délka 0 B", "empty"},
        {{2}, "délka 1 B", "one byte"},
        {Bytes(100, 0x41), "délka 100 B", "a text file"},
        {cut, "délka 400 B", "a cut two-section file"},
        {with(test::powerOnlyFile(1), 1, 0), "bajt 1 je 0", "no first marker"},
        {with(test::powerFirstFile(1, 2), 1, 7), "bajt 1 je 7", "a foreign first marker"},
        {with(test::powerOnlyFile(1), 1, 2), "neodpovídá první sekci měřícího modulu", "234 B but measurement first"},
        {with(test::measureOnlyFile(1), 1, 1), "neodpovídá první sekci výkonového modulu", "247 B but power first"},
        {with(test::powerOnlyFile(1), 233, 2), "je bajt 2 místo 0", "one section but a second marker"},
        {with(test::powerFirstFile(1, 2), 233, 0), "je bajt 0 místo 2", "two sections without the second marker"},
        {with(test::measureFirstFile(1, 2), 246, 2), "je bajt 2 místo 1", "the same marker twice"},
    };
}

TEST(SettingsFileLayout, AFileThatIsNoSettingsFileIsNotWrittenInto)
{
    for (const auto& c : foreignFiles()) {
        const Status checked = checkSettingsImage(c.file);
        ASSERT_FALSE(checked.ok()) << c.what;
        EXPECT_NE(checked.error().find(c.reason), std::string::npos) << c.what << ": " << checked.error();
        auto updated = updatedSettingsImage(c.file, {test::powerImages(3), std::nullopt});
        EXPECT_FALSE(updated.ok()) << c.what;
    }
}

// What each open finds in each layout: the seeds of the sections it loads (0 = none) and the
// messages in order.
TEST(SettingsFileLayout, OpenFindsEachSectionOrSaysItIsNotThere)
{
    struct Case {
        Bytes file;
        SettingsOpen which;
        unsigned power;
        unsigned measure;
        std::vector<std::string> messages;
        const char* what;
    };
    const Case cases[] = {
        {test::powerOnlyFile(1), SettingsOpen::Power, 1, 0, {}, "power only, Otevři v. modul"},
        {test::powerOnlyFile(1), SettingsOpen::Measure, 0, 0, {"Neni m. modul"}, "power only, Otevři m. modul"},
        {test::powerOnlyFile(1), SettingsOpen::All, 1, 0, {"Neni m. modul"}, "power only, Otevři vše"},
        {test::measureOnlyFile(2), SettingsOpen::Power, 0, 0, {"Neni v. modul"}, "measurement only, v. modul"},
        {test::measureOnlyFile(2), SettingsOpen::Measure, 0, 2, {}, "measurement only, m. modul"},
        {test::measureOnlyFile(2), SettingsOpen::All, 0, 2, {"Neni v. modul"}, "measurement only, Otevři vše"},
        {test::powerFirstFile(3, 4), SettingsOpen::All, 3, 4, {}, "power first, Otevři vše"},
        {test::powerFirstFile(3, 4), SettingsOpen::Measure, 0, 4, {}, "power first, m. modul at 234"},
        {test::measureFirstFile(4, 3), SettingsOpen::Power, 3, 0, {}, "measurement first, v. modul at 247"},
        {test::measureFirstFile(4, 3), SettingsOpen::All, 3, 4, {}, "measurement first, Otevři vše"},
    };
    for (const auto& c : cases) {
        const SettingsLoad load = loadSettingsImage(c.file, c.which, "a.bts");
        EXPECT_EQ(load.messages, c.messages) << c.what;
        ASSERT_EQ(load.power.has_value(), c.power != 0) << c.what;
        ASSERT_EQ(load.measure.has_value(), c.measure != 0) << c.what;
        BlockSet want = 0;
        if (c.power != 0) {
            EXPECT_EQ(*load.power, test::powerImages(c.power)) << c.what;
            want |= blocks::kPowerModule;
        }
        if (c.measure != 0) {
            EXPECT_EQ(*load.measure, test::measureImages(c.measure)) << c.what;
            want |= blocks::kMeasureModule;
        }
        EXPECT_EQ(load.loaded, want) << c.what;
    }
}

// A file cut short is none of the four layouts: it is refused whole before any section is
// taken (as a save refuses it), even when the section asked for would be complete.
TEST(SettingsFileLayout, AShortFileIsRefusedBeforeAnythingIsLoaded)
{
    struct Case {
        Bytes file;
        std::size_t length;
        SettingsOpen which;
        const char* what;
    };
    const Case cases[] = {
        {test::powerOnlyFile(1), 0, SettingsOpen::Power, "empty"},
        {test::powerOnlyFile(1), 1, SettingsOpen::All, "one byte"},
        {test::powerOnlyFile(1), 2, SettingsOpen::Power, "markers only"},
        {test::powerOnlyFile(1), 232, SettingsOpen::Power, "power section less its last byte"},
        {test::powerOnlyFile(1), 233, SettingsOpen::Power, "power section without the end byte"},
        {test::measureOnlyFile(2), 245, SettingsOpen::Measure, "measurement less its last byte"},
        {test::measureOnlyFile(2), 100, SettingsOpen::Power, "measurement first ends before 246"},
        {test::powerFirstFile(1, 2), 477, SettingsOpen::All, "second section less its last byte"},
        {test::measureFirstFile(2, 1), 300, SettingsOpen::All, "second power section cut"},
    };
    for (const auto& c : cases) {
        const Bytes cut(c.file.begin(), c.file.begin() + static_cast<std::ptrdiff_t>(c.length));
        const SettingsLoad load = loadSettingsImage(cut, c.which, "a.bts");
        EXPECT_FALSE(load.power || load.measure) << c.what;
        ASSERT_EQ(load.messages.size(), 1u) << c.what;
        EXPECT_EQ(load.messages[0].rfind(
                      "Soubor nastavení a.bts : není soubor nastavení (délka " + std::to_string(c.length) + " B", 0),
                  0u)
            << c.what << ": " << load.messages[0];
        EXPECT_EQ(load.loaded, 0u) << c.what;
    }
}

TEST(SettingsFileLayout, AFileWithoutAMarkerAtByteOneIsNoSettingsFile)
{
    for (std::uint8_t first : {std::uint8_t{0}, std::uint8_t{3}, std::uint8_t{0xFF}}) {
        Bytes file = test::powerFirstFile(1, 2);
        file[1] = first;
        const SettingsLoad load = loadSettingsImage(file, SettingsOpen::All, "x.bts");
        EXPECT_FALSE(load.power || load.measure) << int(first);
        EXPECT_EQ(load.loaded, 0u);
        ASSERT_EQ(load.messages.size(), 1u) << int(first);
        EXPECT_EQ(load.messages[0], "Soubor nastavení x.bts : není soubor nastavení (bajt 1 je " +
                                        std::to_string(first) + " místo značky sekce 1 nebo 2)");
    }
}

} // namespace
} // namespace kapsorel
