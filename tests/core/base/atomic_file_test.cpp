#include "core/base/atomic_file.h"
#include "core/base/files.h"
#include "support/fake_clock.h"
#include "support/temp_home.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace kapsorel;
using kapsorel::test::namesIn;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& s)
{
    return {s.begin(), s.end()};
}

mode_t modeOf(const std::filesystem::path& p)
{
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
}

} // namespace

// Links planted at the names the old saves used (X.tmp, X.csv.part) lead nowhere: the file
// they point to keeps its bytes, the link stays a link, and the save lands in the target.
TEST(AtomicFile, PlantedLinksAtPredictableNamesAreNotFollowed)
{
    for (const std::string planted : {"data.cfg.tmp", "data.cfg.part", ".data.cfg.tmp"}) {
        test::TempHome home;
        home.writeText("victim", "precious");
        std::filesystem::create_symlink(home / "victim", home / planted);
        ASSERT_TRUE(writeFileRetrying(home / "data.cfg", bytesOf("new")).ok()) << planted;
        EXPECT_EQ(home.readText("victim"), "precious") << planted;
        EXPECT_TRUE(std::filesystem::is_symlink(home / planted)) << planted;
        EXPECT_EQ(home.readText("data.cfg"), "new") << planted;
        std::vector<std::string> expected{"data.cfg", planted, "victim"};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(namesIn(home.path()), expected) << planted;
    }
}

// A target that is a link (a station folder that links its configuration elsewhere) is
// saved where the link points; the link stays, chains and relative links included.
TEST(AtomicFile, ATargetThatIsALinkIsWrittenThrough)
{
    test::TempHome home;
    std::filesystem::create_directory(home / "real");
    home.writeText("real/k.ini", "old");
    std::filesystem::create_symlink("real/k.ini", home / "hop.ini");
    std::filesystem::create_symlink(home / "hop.ini", home / "k.ini");
    ASSERT_TRUE(writeFileRetrying(home / "k.ini", bytesOf("new")).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(home / "k.ini"));
    EXPECT_TRUE(std::filesystem::is_symlink(home / "hop.ini"));
    EXPECT_EQ(home.readText("real/k.ini"), "new");
    EXPECT_EQ(namesIn(home / "real"), std::vector<std::string>{"k.ini"});

    // A dangling link: the file is created where it points.
    std::filesystem::create_symlink("real/new.ini", home / "n.ini");
    ASSERT_TRUE(writeFileRetrying(home / "n.ini", bytesOf("x")).ok());
    EXPECT_EQ(home.readText("real/new.ini"), "x");
    EXPECT_TRUE(std::filesystem::is_symlink(home / "n.ini"));

    // A loop of links is refused at once with the reason, nothing written.
    std::filesystem::create_symlink(home / "loop", home / "loop");
    test::FakeClock clock;
    const Status st = writeFileRetrying(home / "loop", bytesOf("x"), clock);
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error(), cannotOpenMessage(home / "loop") + " (smyčka symbolických odkazů)");
    EXPECT_EQ(clock.sleeps(), 0);
}

// The new version keeps the old file's permissions; a new file gets the usual ones.
TEST(AtomicFile, TheOldFilesModeIsKept)
{
    test::TempHome home;
    for (mode_t mode : {0600, 0640, 0664, 0444}) {
        const auto file = home / ("m" + std::to_string(mode));
        home.writeText(file.filename().string(), "old");
        ::chmod(file.c_str(), mode);
        ASSERT_TRUE(replaceFile(file, bytesOf("new")).ok());
        EXPECT_EQ(modeOf(file), mode);
        EXPECT_EQ(home.readText(file.filename().string()), "new");
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ASSERT_TRUE(replaceFile(home / "fresh", bytesOf("x")).ok());
    EXPECT_EQ(modeOf(home / "fresh"), 0666 & ~mask);
}

// A save that does not finish (discarded, or a folder in the target's place) leaves the
// old file as it was and no temporary.
TEST(AtomicFile, AnUnfinishedSaveLeavesTheOldFileAndNoTemporary)
{
    test::TempHome home;
    home.writeText("a.bin", "old");
    {
        AtomicFileWriter out;
        ASSERT_TRUE(out.open(home / "a.bin").ok());
        ASSERT_TRUE(out.write(std::string_view("half")).ok());
        EXPECT_EQ(namesIn(home.path()).size(), 2u);
    }
    EXPECT_EQ(home.readText("a.bin"), "old");
    EXPECT_EQ(namesIn(home.path()), std::vector<std::string>{"a.bin"});

    std::filesystem::create_directory(home / "dir");
    const Status st = replaceFile(home / "dir", bytesOf("x"));
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error(), cannotOpenMessage(home / "dir") + " (je to složka)");

    const Status missing = replaceFile(home / "no" / "a.bin", bytesOf("x"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), cannotOpenMessage(home / "no" / "a.bin") + " (soubor neexistuje)");
}

// commitNew never replaces a file that exists: the name stays the first writer's.
TEST(AtomicFile, CommitNewRefusesATakenName)
{
    test::TempHome home;
    home.writeText("T_1.tst", "first");
    AtomicFileWriter out;
    ASSERT_TRUE(out.open(home / "T_1.tst").ok());
    ASSERT_TRUE(out.write(std::string_view("second")).ok());
    ASSERT_FALSE(out.commitNew().ok());
    EXPECT_EQ(out.errorNumber(), EEXIST);
    EXPECT_EQ(home.readText("T_1.tst"), "first");
    ASSERT_TRUE(out.commitNewAs(home / "T_1_2.tst").ok());
    EXPECT_EQ(home.readText("T_1_2.tst"), "second");
    EXPECT_EQ(namesIn(home.path()), (std::vector<std::string>{"T_1.tst", "T_1_2.tst"}));
}

// Writers racing on one file never share an inode: every read finds one writer's whole
// file, never a torn or mixed one, and what stays is one writer's whole file.
TEST(AtomicFile, RacingWritersLeaveOneWholeVersion)
{
    test::TempHome home;
    const auto file = home / "shared.cfg";
    constexpr int kWriters = 4;
    constexpr std::size_t kSize = 64 * 1024;
    auto version = [&](int w) { return std::vector<std::uint8_t>(kSize, static_cast<std::uint8_t>('a' + w)); };
    ASSERT_TRUE(replaceFile(file, version(0)).ok());
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        while (!done.load() || reads.load() == 0) {
            auto got = readFileRetrying(file);
            if (!got)
                continue;
            ++reads;
            const auto& d = got.value();
            if (d.size() != kSize || std::count(d.begin(), d.end(), d.front()) != static_cast<long>(kSize))
                ++torn;
        }
    });
    std::vector<std::thread> writers;
    std::atomic<int> failures{0};
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            for (int i = 0; i < 50; ++i)
                if (!replaceFile(file, version(w)))
                    ++failures;
        });
    for (auto& t : writers)
        t.join();
    done = true;
    reader.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(namesIn(home.path()), std::vector<std::string>{"shared.cfg"});
}

// The archive copy and "Ulož" stream the file through the writer: a copy of several pieces
// arrives whole, over an older copy and through a link at the target.
TEST(AtomicFile, CopyStreamsTheWholeFile)
{
    test::TempHome home;
    std::vector<std::uint8_t> big(3 * 1024 * 1024 + 17);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::uint8_t>(i * 7 + i / 4096);
    home.writeBytes("src.tst", big);
    std::filesystem::create_directory(home / "arch");
    home.writeText("arch/elsewhere.tst", "older");
    std::filesystem::create_symlink("elsewhere.tst", home / "arch" / "src.tst");
    ASSERT_TRUE(copyFileReplacing(home / "src.tst", home / "arch" / "src.tst").ok());
    EXPECT_EQ(home.readBytes("arch/elsewhere.tst"), big);
    EXPECT_TRUE(std::filesystem::is_symlink(home / "arch" / "src.tst"));

    test::FakeClock clock;
    const Status missing = copyFileReplacing(home / "none.tst", home / "arch" / "none.tst", clock);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), cannotOpenMessage(home / "none.tst") + " (soubor neexistuje)");
    EXPECT_EQ(clock.sleeps(), 0);
    EXPECT_FALSE(std::filesystem::exists(home / "arch" / "none.tst"));
}
