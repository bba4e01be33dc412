#include "core/app/config_file.h"
#include "support/fake_clock.h"
#include "support/temp_home.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>
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

} // namespace

TEST(ConfigFile, WritingKeepsEveryForeignLineByteForByte)
{
    const std::string original = "; station file\r\n"
                                 "[Nastaveni]\r\n"
                                 "IP_adr_vyk = 127.0.0.9\r\n"
                                 "Neznamy=ponechat\r\n"
                                 "Stanice=Linka 1\r\n"
                                 "\r\n"
                                 "; next section\r\n"
                                 "[TFmain]\r\n"
                                 "Left=10\r\n";
    ConfigFile cfg = parse(original);
    EXPECT_TRUE(cfg.usesCrlf());
    EXPECT_EQ(cfg.encoding(), ConfigFile::Encoding::Utf8);
    EXPECT_EQ(text(cfg.toBytes()), original);

    cfg.writeString("Nastaveni", "IP_adr_vyk", "127.0.0.2"); // in place
    cfg.writeInt("Nastaveni", "DNB_KO", -60);                // new key at the end of its section
    cfg.writeBool("RUN", "Flag", true);                      // new section at the end of the file
    cfg.writeInt("TFmain", "Top", 20);                       // new key in the last section

    EXPECT_EQ(text(cfg.toBytes()), "; station file\r\n"
                                   "[Nastaveni]\r\n"
                                   "IP_adr_vyk = 127.0.0.2\r\n"
                                   "Neznamy=ponechat\r\n"
                                   "Stanice=Linka 1\r\n"
                                   "DNB_KO=-60\r\n"
                                   "\r\n"
                                   "; next section\r\n"
                                   "[TFmain]\r\n"
                                   "Left=10\r\n"
                                   "Top=20\r\n"
                                   "\r\n"
                                   "[RUN]\r\n"
                                   "Flag=1\r\n");
}

TEST(ConfigFile, NewFileIsUtf8WithLf)
{
    ConfigFile cfg;
    EXPECT_FALSE(cfg.modified());
    cfg.writeString("Nastaveni", "Stanice", "Stanička");
    cfg.writeInt("Nastaveni", "Ikony", 2);
    cfg.writeString("RUN", "Test", "/data/a.tst");
    EXPECT_TRUE(cfg.modified());
    EXPECT_EQ(text(cfg.toBytes()), "[Nastaveni]\nStanice=Stanička\nIkony=2\n\n[RUN]\nTest=/data/a.tst\n");
    EXPECT_EQ(cfg.encoding(), ConfigFile::Encoding::Utf8);
}

TEST(ConfigFile, Windows1250FileIsReadAndWrittenBackInWindows1250)
{
    // "Stanice=Žlutá" and a comment "; poznámka" in Windows-1250: not valid UTF-8.
    const std::string original = "; pozn\xE1mka\r\n[Nastaveni]\r\nStanice=\x8Elut\xE1\r\nUziv=Nov\xE1k\r\n";
    ConfigFile cfg = parse(original);
    EXPECT_EQ(cfg.encoding(), ConfigFile::Encoding::Windows1250);
    EXPECT_EQ(cfg.readString("Nastaveni", "Stanice", ""), "Žlutá");
    EXPECT_EQ(cfg.readString("Nastaveni", "Uziv", ""), "Novák");
    EXPECT_EQ(text(cfg.toBytes()), original);

    cfg.writeString("Nastaveni", "Uziv", "Šťastný");
    EXPECT_EQ(text(cfg.toBytes()), "; pozn\xE1mka\r\n[Nastaveni]\r\nStanice=\x8Elut\xE1\r\nUziv=\x8A\x9D"
                                   "astn\xFD\r\n");
}

TEST(ConfigFile, Utf8FileStaysUtf8AndKeepsItsByteOrderMark)
{
    const std::string original = "\xEF\xBB\xBF[Nastaveni]\nStanice=Žlutá\n";
    ConfigFile cfg = parse(original);
    EXPECT_EQ(cfg.encoding(), ConfigFile::Encoding::Utf8);
    EXPECT_FALSE(cfg.usesCrlf());
    EXPECT_EQ(cfg.readString("nastaveni", "stanice", ""), "Žlutá");
    cfg.writeString("Nastaveni", "Uziv", "Čermák");
    EXPECT_EQ(text(cfg.toBytes()), "\xEF\xBB\xBF[Nastaveni]\nStanice=Žlutá\nUziv=Čermák\n");
}

TEST(ConfigFile, NamesCompareWithoutCaseIncludingCzechLetters)
{
    ConfigFile cfg = parse("[NASTAVENI]\nip_ADR_vyk=127.0.0.5\n[Šablona]\nČíslo=7\n");
    EXPECT_EQ(cfg.readString("Nastaveni", "IP_adr_vyk", ""), "127.0.0.5");
    EXPECT_EQ(cfg.readInt("šABLONA", "čÍSLO", 0), 7);

    cfg.writeString("nastaveni", "IP_ADR_VYK", "127.0.0.6");
    EXPECT_EQ(text(cfg.toBytes()), "[NASTAVENI]\nip_ADR_vyk=127.0.0.6\n[Šablona]\nČíslo=7\n");
}

TEST(ConfigFile, MissingSectionsKeysAndUnreadableNumbersGiveTheDefault)
{
    ConfigFile cfg = parse("[A]\nText=abc\nNum=12x\nEmpty=\nBig=2147483648\n; Hidden=1\nGlobal\n");
    struct Case {
        const char* section;
        const char* key;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"B", "Text", 5},    // no such section
        {"A", "Missing", 5}, // no such key
        {"A", "Text", 5},    // not a number
        {"A", "Num", 5},     // trailing garbage
        {"A", "Empty", 5},   // empty value
        {"A", "Big", 5},     // beyond 32 bits
        {"A", "Hidden", 5},  // a comment is no key
    };
    for (const Case& c : cases)
        EXPECT_EQ(cfg.readInt(c.section, c.key, 5), c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(cfg.readString("A", "Missing", "def"), "def");
    EXPECT_EQ(cfg.readString("A", "Empty", "def"), "");
    EXPECT_FALSE(cfg.hasKey("A", "Hidden"));
    EXPECT_TRUE(cfg.hasSection("a"));
    EXPECT_FALSE(cfg.hasSection("B"));
}

TEST(ConfigFile, IntegersAndBooleans)
{
    ConfigFile cfg = parse("[N]\nneg=-16777203\npos=+42\nsp =  7  \nhex=$FF\nhex2=0xFF00000D\nb0=0\nb1=1\nb5=5\n");
    EXPECT_EQ(cfg.readInt("N", "neg", 0), -16777203);
    EXPECT_EQ(cfg.readInt("N", "pos", 0), 42);
    EXPECT_EQ(cfg.readInt("N", "sp", 0), 7);
    EXPECT_EQ(cfg.readInt("N", "hex", 0), 255);
    EXPECT_EQ(cfg.readInt("N", "hex2", 0), -16777203);
    EXPECT_FALSE(cfg.readBool("N", "b0", true));
    EXPECT_TRUE(cfg.readBool("N", "b1", false));
    EXPECT_TRUE(cfg.readBool("N", "b5", false));
    EXPECT_TRUE(cfg.readBool("N", "none", true));

    ConfigFile out;
    out.writeInt("N", "min", INT32_MIN);
    out.writeBool("N", "f", false);
    EXPECT_EQ(text(out.toBytes()), "[N]\nmin=-2147483648\nf=0\n");
    EXPECT_EQ(ConfigFile::fromBytes(std::span<const std::uint8_t>(out.toBytes())).readInt("N", "min", 0), INT32_MIN);
}

TEST(ConfigFile, ValuesRoundTripAndCannotBreakTheLine)
{
    const std::string values[] = {"", "plain", "  padded  ", "\"quoted\"", "'single'", "a\"b", "x=y; z", "Žluťoučký"};
    for (const std::string& v : values) {
        ConfigFile cfg;
        cfg.writeString("S", "K", v);
        ConfigFile back = ConfigFile::fromBytes(std::span<const std::uint8_t>(cfg.toBytes()));
        EXPECT_EQ(back.readString("S", "K", "?"), v) << text(cfg.toBytes());
    }

    ConfigFile cfg;
    cfg.writeString("S", "K", "one\r\n[Evil]\nKey=1");
    EXPECT_EQ(text(cfg.toBytes()), "[S]\nK=one  [Evil] Key=1\n");
    EXPECT_FALSE(cfg.hasSection("Evil"));
}

TEST(ConfigFile, QuotedValueInTheFileLosesItsQuotes)
{
    ConfigFile cfg = parse("[S]\nA=\"  x  \"\nB='y'\nC=\"z\n");
    EXPECT_EQ(cfg.readString("S", "A", ""), "  x  ");
    EXPECT_EQ(cfg.readString("S", "B", ""), "y");
    EXPECT_EQ(cfg.readString("S", "C", ""), "\"z");
}

TEST(ConfigFile, FirstOfDuplicateSectionsAndKeysWins)
{
    ConfigFile cfg = parse("[S]\nK=1\nK=2\n[S]\nK=3\nL=4\n");
    EXPECT_EQ(cfg.readInt("S", "K", 0), 1);
    EXPECT_FALSE(cfg.hasKey("S", "L"));
    cfg.writeInt("S", "K", 9);
    cfg.writeInt("S", "M", 5);
    EXPECT_EQ(text(cfg.toBytes()), "[S]\nK=9\nK=2\nM=5\n[S]\nK=3\nL=4\n");
}

TEST(ConfigFile, LookupsAfterAddedLinesFindTheSectionsWhereTheyNowAre)
{
    // Each read below follows a write that moved the section it asks for, or created it.
    ConfigFile cfg = parse("[A]\nK=1\n[B]\nK=2\n");
    EXPECT_EQ(cfg.readInt("B", "K", 0), 2);
    cfg.writeInt("A", "L", 3);
    EXPECT_EQ(cfg.readInt("B", "K", 0), 2);
    EXPECT_EQ(cfg.readInt("C", "K", 0), 0);
    cfg.writeInt("C", "K", 4);
    EXPECT_EQ(cfg.readInt("C", "K", 0), 4);
    cfg.writeInt("A", "M", 5);
    EXPECT_EQ(cfg.readInt("C", "K", 0), 4);
    cfg.writeInt("B", "K", 6);
    EXPECT_EQ(text(cfg.toBytes()), "[A]\nK=1\nL=3\nM=5\n[B]\nK=6\n\n[C]\nK=4\n");
}

TEST(ConfigFile, LastLineWithoutLineEnding)
{
    ConfigFile cfg = parse("[S]\r\nK=1");
    EXPECT_EQ(cfg.readInt("S", "K", 0), 1);
    cfg.writeInt("S", "K", 2);
    EXPECT_EQ(text(cfg.toBytes()), "[S]\r\nK=2");
    cfg.writeInt("S", "L", 3);
    EXPECT_EQ(text(cfg.toBytes()), "[S]\r\nK=2\r\nL=3\r\n");
    cfg.writeInt("T", "M", 4);
    EXPECT_EQ(text(cfg.toBytes()), "[S]\r\nK=2\r\nL=3\r\n\r\n[T]\r\nM=4\r\n");
}

TEST(ConfigFile, WritingTheSameValueChangesNothing)
{
    ConfigFile cfg = parse("[S]\nK = 1\n");
    cfg.writeInt("S", "K", 1);
    EXPECT_FALSE(cfg.modified());
    EXPECT_EQ(text(cfg.toBytes()), "[S]\nK = 1\n");
}

TEST(ConfigFile, OddNamesAreWrittenSoTheyReadBack)
{
    ConfigFile cfg;
    cfg.writeInt("Se]ct\nion", "Ke=y", 1);
    cfg.writeInt("S", ";Key", 2);
    EXPECT_EQ(cfg.readInt("Se]ct\nion", "Ke=y", 0), 1);
    EXPECT_EQ(cfg.readInt("S", ";Key", 0), 2);
    EXPECT_EQ(text(cfg.toBytes()), "[Se_ct_ion]\nKe_y=1\n\n[S]\n_Key=2\n");
}

TEST(ConfigFile, FileIsCreatedByTheFirstSaveAfterAWrite)
{
    test::TempHome home;
    const auto path = home / "Kapsorel.ini";
    auto loaded = ConfigFile::load(path);
    ASSERT_TRUE(loaded.ok());
    ConfigFile& cfg = loaded.value();
    EXPECT_EQ(cfg.readString("Nastaveni", "Stanice", "Stanice"), "Stanice");
    ASSERT_TRUE(cfg.save().ok());
    EXPECT_FALSE(std::filesystem::exists(path));

    cfg.writeString("Nastaveni", "Stanice", "A");
    ASSERT_TRUE(cfg.save().ok());
    EXPECT_EQ(home.readText("Kapsorel.ini"), "[Nastaveni]\nStanice=A\n");
    EXPECT_FALSE(cfg.modified());
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".tmp"));

    // Nothing written since: the file is left alone.
    std::filesystem::remove(path);
    ASSERT_TRUE(cfg.save().ok());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ConfigFile, LoadKeepsTheFileAsItIsAndSaveWritesOnlyTheChange)
{
    test::TempHome home;
    const std::string original = "; keep\r\n[Nastaveni]\r\nStanice=Star\xE1\r\nX=1\r\n";
    home.writeText("k.ini", original);
    auto loaded = ConfigFile::load(home / "k.ini");
    ASSERT_TRUE(loaded.ok());
    loaded->writeString("Nastaveni", "Stanice", "Nová");
    ASSERT_TRUE(loaded->save().ok());
    EXPECT_EQ(home.readText("k.ini"), "; keep\r\n[Nastaveni]\r\nStanice=Nov\xE1\r\nX=1\r\n");
}

TEST(ConfigFile, UnreadableFileFailsWithTheMessage)
{
    test::TempHome home;
    const auto path = home / "loop.ini";
    std::filesystem::create_symlink(path, path); // exists, yet never opens
    test::FakeClock clock;
    auto loaded = ConfigFile::load(path, clock);
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.error(), "Soubor " + path.string() + " nelze otevřít (smyčka symbolických odkazů)");
}

TEST(ConfigFile, StationLoadTellsAMissingFileFromOneThatCannotBeRead)
{
    test::TempHome home;
    test::FakeClock clock;

    // Missing: defaults, and the first save creates the file.
    ConfigFile fresh = ConfigFile::loadForStation(home / "new.ini", clock);
    EXPECT_FALSE(fresh.readOnly());
    EXPECT_EQ(fresh.unreadableReason(), "");
    fresh.writeInt("RUN", "Test_ukoncen", 0);
    ASSERT_TRUE(fresh.save(clock).ok());
    EXPECT_EQ(home.readText("new.ini"), "[RUN]\nTest_ukoncen=0\n");

    // A folder of that name: defaults in memory, and no save ever reaches the disk.
    const auto path = home / "Kapsorel.ini";
    std::filesystem::create_directory(path);
    home.writeText("Kapsorel.ini/inside", "kept");
    ConfigFile cfg = ConfigFile::loadForStation(path, clock);
    ASSERT_TRUE(cfg.readOnly());
    const std::string reason = "Soubor " + path.string() + " nelze otevřít (je to složka)";
    EXPECT_EQ(cfg.unreadableReason(), reason);
    EXPECT_EQ(cfg.readString("Nastaveni", "Stanice", "Stanice"), "Stanice");
    cfg.writeString("Nastaveni", "Stanice", "A");
    EXPECT_EQ(cfg.readString("Nastaveni", "Stanice", ""), "A"); // the run goes on in memory
    for (int i = 0; i < 2; ++i) {
        const Status saved = cfg.save(clock);
        ASSERT_FALSE(saved.ok());
        EXPECT_EQ(saved.error(), reason);
    }
    ConfigFile moved = std::move(cfg);
    EXPECT_TRUE(moved.readOnly());
    EXPECT_FALSE(moved.save(clock).ok());
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(home.readText("Kapsorel.ini/inside"), "kept");
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".tmp"));
}

TEST(ConfigFile, SaveWithoutAPathFails)
{
    ConfigFile cfg;
    cfg.writeInt("S", "K", 1);
    EXPECT_FALSE(cfg.save().ok());
}

TEST(ConfigFile, WritesFromSeveralThreadsAllLand)
{
    ConfigFile cfg = parse("[A]\n");
    auto writer = [&cfg](const std::string& section) {
        for (int i = 0; i < 200; ++i)
            cfg.writeInt(section, "K" + std::to_string(i), i);
    };
    std::thread t1(writer, "A");
    std::thread t2(writer, "B");
    t1.join();
    t2.join();
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(cfg.readInt("A", "K" + std::to_string(i), -1), i);
        EXPECT_EQ(cfg.readInt("B", "K" + std::to_string(i), -1), i);
    }
}
