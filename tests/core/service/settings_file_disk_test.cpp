// Settings files on disk: the save sequences of the menu "Soubor", files written whole and
// replaced, a file that is no settings file refused and replaced only on request, the whole
// ADC image carried both ways, and what an open makes known to the write guard.
#include "core/service/settings_file.h"
#include "settings_file_fixture.h"
#include "support/fake_clock.h"
#include "support/temp_home.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kapsorel {
namespace {

using test::Bytes;

// The disk's store, with every operation recorded; a replace can be made to fail.
class RecordingStore final : public FileStore {
  public:
    Status writeAt(const std::filesystem::path& path, std::uint64_t offset, const Bytes& data) override
    {
        calls.push_back("writeAt");
        return writeAtSynced(path, offset, data);
    }
    Status replace(const std::filesystem::path& path, const Bytes& data, Clock& clock) override
    {
        calls.push_back("replace " + std::to_string(data.size()));
        if (failReplace)
            return Error{"disk full"};
        return writeFileRetrying(path, data, clock);
    }
    Result<Bytes> read(const std::filesystem::path& path, Clock& clock) override
    {
        calls.push_back("read");
        return readFileRetrying(path, clock);
    }

    std::vector<std::string> calls;
    bool failReplace = false;
};

struct SettingsFileDisk : ::testing::Test {
    SettingsSave save(const SettingsSections& sections) { return saveSettingsFile(file, sections, store, clock); }
    SettingsLoad open(SettingsOpen which) { return openSettingsFile(file, which, store, clock); }

    test::TempHome home;
    test::FakeClock clock;
    RecordingStore store;
    std::filesystem::path file = home / "nastaveni.bts";
};

const SettingsSections kPower3{test::powerImages(3), std::nullopt};
const SettingsSections kPower5{test::powerImages(5), std::nullopt};
const SettingsSections kMeasure4{std::nullopt, test::measureImages(4)};
const SettingsSections kMeasure6{std::nullopt, test::measureImages(6)};
const SettingsSections kBoth36{test::powerImages(3), test::measureImages(6)};

TEST_F(SettingsFileDisk, SaveSequencesGiveTheFourLayouts)
{
    struct Case {
        std::vector<SettingsSections> saves;
        Bytes want;
        const char* what;
    };
    const Case cases[] = {
        {{kPower3}, test::powerOnlyFile(3), "Ulož v. modul into a new file"},
        {{kMeasure4}, test::measureOnlyFile(4), "Ulož m. modul into a new file"},
        {{kBoth36}, test::powerFirstFile(3, 6), "Ulož vše into a new file"},
        {{kMeasure4, kPower3}, test::measureFirstFile(4, 3), "measurement, then power"},
        {{kPower3, kMeasure4}, test::powerFirstFile(3, 4), "power, then measurement"},
        {{kPower3, kPower5}, test::powerOnlyFile(5), "power twice"},
        {{kBoth36, kPower5}, test::powerFirstFile(5, 6), "power over a both-file"},
        {{kMeasure4, kPower3, kMeasure6}, test::measureFirstFile(6, 3), "measurement over a measurement-first file"},
        {{kMeasure4, kBoth36}, test::measureFirstFile(6, 3), "Ulož vše over a measurement-only file"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(file);
        for (const auto& sections : c.saves) {
            const SettingsSave saved = save(sections);
            ASSERT_TRUE(saved.status.ok()) << c.what << ": " << saved.status.error();
            EXPECT_FALSE(saved.offerReplace) << c.what;
        }
        EXPECT_EQ(home.readBytes("nastaveni.bts"), c.want) << c.what;
    }
}

TEST_F(SettingsFileDisk, FilesAreWrittenWholeThroughReplace)
{
    ASSERT_TRUE(save(kPower3).status.ok());
    ASSERT_TRUE(save(kMeasure4).status.ok());
    const std::vector<std::string> want = {"replace 234", "read", "replace 478"};
    EXPECT_EQ(store.calls, want) << "a new file is not read first; an existing one is never written in place";
}

TEST_F(SettingsFileDisk, AFailedReplaceLeavesTheOldFile)
{
    ASSERT_TRUE(save(kPower3).status.ok());
    store.failReplace = true;
    for (const auto& sections : {kPower5, kMeasure4, kBoth36}) {
        const SettingsSave saved = save(sections);
        EXPECT_EQ(saved.status.error(), "disk full");
        EXPECT_FALSE(saved.offerReplace);
        EXPECT_EQ(home.readBytes("nastaveni.bts"), test::powerOnlyFile(3));
    }
}

TEST_F(SettingsFileDisk, ASaveIntoAFileThatIsNoSettingsFileIsRefusedAndMayReplaceIt)
{
    const std::vector<Bytes> foreign = {{}, {1, 2, 3}, Bytes(234, 0x41), Bytes(478, 0), Bytes(600, 1)};
    for (const auto& old : foreign) {
        home.writeBytes("nastaveni.bts", old);
        for (const auto& sections : {kPower3, kMeasure4, kBoth36}) {
            const SettingsSave saved = save(sections);
            ASSERT_FALSE(saved.status.ok()) << old.size();
            EXPECT_TRUE(saved.offerReplace) << old.size();
            EXPECT_EQ(saved.status.error().rfind("Soubor " + file.string() + " není soubor nastavení (", 0), 0u)
                << saved.status.error();
            EXPECT_EQ(home.readBytes("nastaveni.bts"), old) << "a refused save changes nothing";
        }
        EXPECT_EQ(replaceQuestion(file), "Soubor " + file.string() + " není soubor nastavení. Nahradit ho?");
        ASSERT_TRUE(replaceSettingsFile(file, kMeasure4, store, clock).ok());
        EXPECT_EQ(home.readBytes("nastaveni.bts"), test::measureOnlyFile(4)) << old.size();
    }
}

TEST_F(SettingsFileDisk, ReplacingWritesAFreshFileOfTheSections)
{
    struct Case {
        SettingsSections sections;
        Bytes want;
    };
    const Case cases[] = {{kPower5, test::powerOnlyFile(5)},
                          {kMeasure6, test::measureOnlyFile(6)},
                          {kBoth36, test::powerFirstFile(3, 6)}};
    for (const auto& c : cases) {
        home.writeBytes("nastaveni.bts", test::measureFirstFile(1, 2));
        ASSERT_TRUE(replaceSettingsFile(file, c.sections, store, clock).ok());
        EXPECT_EQ(home.readBytes("nastaveni.bts"), c.want);
    }
    EXPECT_FALSE(replaceSettingsFile(file, {}, store, clock).ok());
    EXPECT_EQ(home.readBytes("nastaveni.bts"), test::powerFirstFile(3, 6));
}

// Every record of the ADC image, record 6 and the two spare bytes go into the file and come
// back unchanged, and a load makes each of them known, so that a loaded calibration can be
// written to the module.
TEST_F(SettingsFileDisk, TheWholeAdcImageGoesBothWays)
{
    PowerImages images = test::powerImages(11);
    for (std::size_t k = 0; k < PowerAdcImage::kRecords; ++k) {
        images.adc.records[k].config0 = static_cast<std::uint8_t>(0x40 + k);
        images.adc.records[k].offset = static_cast<std::int16_t>(-100 * static_cast<int>(k) - 1);
        images.adc.records[k].constant = 0.001f * static_cast<float>(k + 1);
    }
    images.adc.spare = {0xA5, 0x5A};
    ASSERT_TRUE(save({images, test::measureImages(2)}).status.ok());
    const Bytes onDisk = home.readBytes("nastaveni.bts");
    const Bytes adc = images.adc.encode();
    EXPECT_TRUE(std::equal(adc.begin(), adc.end(), onDisk.begin() + 2 + 35 + 23 + 41));

    for (SettingsOpen which : {SettingsOpen::Power, SettingsOpen::All}) {
        const SettingsLoad load = open(which);
        ASSERT_TRUE(load.power.has_value());
        for (std::size_t k = 0; k < PowerAdcImage::kRecords; ++k) {
            EXPECT_EQ(load.power->adc.records[k], images.adc.records[k]) << "record " << k;
            if (k < PowerAdcImage::kUsedRecords) {
                EXPECT_NE(load.loaded & blocks::powerAdcRecord(k), 0u) << "record " << k;
            }
        }
        EXPECT_EQ(load.power->adc.spare, images.adc.spare);
        EXPECT_NE(load.loaded & blocks::kPowerAdcSpare, 0u);
        EXPECT_EQ(*load.power, images);
    }
}

TEST_F(SettingsFileDisk, ALoadMakesItsModuleWritableAndOnlyThat)
{
    struct Case {
        SettingsSections saved;
        SettingsOpen which;
        bool powerWritable;
        bool measureWritable;
    };
    const Case cases[] = {
        {kBoth36, SettingsOpen::All, true, true},       {kBoth36, SettingsOpen::Power, true, false},
        {kBoth36, SettingsOpen::Measure, false, true},  {kMeasure4, SettingsOpen::All, false, true},
        {kPower3, SettingsOpen::Measure, false, false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(replaceSettingsFile(file, c.saved, store, clock).ok());
        WriteGuard guard;
        guard.markKnown(open(c.which).loaded);
        EXPECT_EQ(guard.allowWrite(blocks::kPowerModule).ok(), c.powerWritable);
        EXPECT_EQ(guard.allowWrite(blocks::kMeasureModule).ok(), c.measureWritable);
    }
}

TEST_F(SettingsFileDisk, AMissingFileIsReportedOnceAndLoadsNothing)
{
    for (SettingsOpen which : {SettingsOpen::Power, SettingsOpen::Measure, SettingsOpen::All}) {
        const SettingsLoad load = open(which);
        EXPECT_FALSE(load.power || load.measure);
        EXPECT_EQ(load.loaded, 0u);
        EXPECT_EQ(load.messages, std::vector<std::string>{cannotOpenMessage(file, ENOENT)});
    }
}

TEST(SettingsFileDialog, FilterAndExtension)
{
    EXPECT_STREQ(settings_file::kFilter, "Nastavení|*.bts|Vše|*.*");
    EXPECT_STREQ(settings_file::kExtension, ".bts");
}

} // namespace
} // namespace kapsorel
