#include "core/base/files.h"
#include "support/fake_clock.h"
#include "support/temp_home.h"

#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kapsorel;

namespace {

// One hostile thing at the name a whole-file read opens, and what the read must answer:
// refused at once (no retries) with the reason, never blocking or aborting.
struct HostileRead {
    const char* name;
    std::function<void(const test::TempHome&, const std::filesystem::path&)> plant;
    std::uint64_t cap;
    const char* why; // the reason in the message
};

const HostileRead kHostileReads[] = {
    {"missing", [](auto&, auto&) {}, kDefaultReadCap, "soubor neexistuje"},
    {"a pipe (would block for ever)", [](auto&, const auto& p) { ::mkfifo(p.c_str(), 0644); }, kDefaultReadCap,
     "není to obyčejný soubor"},
    {"a link to /dev/zero (would never end)",
     [](auto&, const auto& p) { std::filesystem::create_symlink("/dev/zero", p); }, kDefaultReadCap,
     "není to obyčejný soubor"},
    {"a folder", [](auto&, const auto& p) { std::filesystem::create_directory(p); }, kDefaultReadCap, "je to složka"},
    {"a loop of links", [](auto&, const auto& p) { std::filesystem::create_symlink(p, p); }, kDefaultReadCap,
     "smyčka symbolických odkazů"},
    {"larger than its format allows",
     [](const auto& home, const auto& p) { home.writeBytes(p.filename().string(), std::vector<std::uint8_t>(4097)); },
     4096, "soubor je příliš velký"},
};

} // namespace

TEST(HostileReads, EachIsRefusedAtOnceWithItsReason)
{
    for (const HostileRead& c : kHostileReads) {
        test::TempHome home;
        const auto path = home / "Kapsorel.usr";
        c.plant(home, path);
        test::FakeClock clock;
        const auto r = readFileRetrying(path, clock, c.cap);
        ASSERT_FALSE(r.ok()) << c.name;
        EXPECT_EQ(r.error(), "Soubor " + path.string() + " nelze otevřít (" + c.why + ")") << c.name;
        EXPECT_EQ(clock.sleeps(), 0) << c.name;
    }
}

TEST(HostileReads, ASparseFileClaimingGigabytesIsRefusedByItsCap)
{
    test::TempHome home;
    const auto path = home / "Baterie.cfg";
    home.writeBytes("Baterie.cfg", {1, 2, 3});
    std::filesystem::resize_file(path, std::uint64_t{8} << 30);
    test::FakeClock clock;
    const auto r = readFileRetrying(path, clock);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error(), cannotOpenMessage(path, EFBIG));
}

// Only failures that can pass are tried again: a file shared or locked elsewhere, an
// interrupted call. The rule itself, on failures that the machine cannot be made to give.
TEST(HostileReads, OnlyTransientFailuresAreTriedAgain)
{
    struct Case {
        int err;
        bool transient;
    };
    const Case cases[] = {{EAGAIN, true},  {EBUSY, true},   {EINTR, true},   {ETXTBSY, true}, {ENOLCK, true},
                          {EACCES, false}, {ENOENT, false}, {EROFS, false},  {EISDIR, false}, {ELOOP, false},
                          {EPERM, false},  {ENOSPC, false}, {ENOTDIR, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(transientFileError(c.err), c.transient) << c.err;
        test::FakeClock clock;
        int calls = 0;
        const int last = retryingTransient(clock, [&] {
            ++calls;
            return c.err;
        });
        EXPECT_EQ(last, c.err);
        EXPECT_EQ(calls, c.transient ? kOpenAttempts : 1) << c.err;
        EXPECT_EQ(clock.sleptMs(), c.transient ? (kOpenAttempts - 1) * kOpenRetryMs : 0) << c.err;
    }
    test::FakeClock clock;
    int calls = 0;
    EXPECT_EQ(retryingTransient(clock, [&] { return ++calls < 3 ? EBUSY : 0; }), 0);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(clock.sleeps(), 2);
}

// A file the user may not read fails at once with the reason (an unwritable archive folder
// used to block 9 s). Run as another user in a child process, since root may read anything.
TEST(HostileReads, AFileThatMayNotBeReadFailsAtOnce)
{
    test::TempHome home;
    home.writeText("Kapsorel.usr", "x");
    ::chmod((home / "Kapsorel.usr").c_str(), 0600);
    ::chmod(home.path().c_str(), 0755);
    const auto path = home / "Kapsorel.usr";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(10);
        test::FakeClock clock;
        const auto r = readFileRetrying(path, clock);
        const bool refused = !r.ok() && r.error() == cannotOpenMessage(path) + " (přístup odepřen)";
        const bool unwritable = !writeFileRetrying(home / "new.cfg", {1}, clock).ok();
        ::_exit(refused && unwritable && clock.sleeps() == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
