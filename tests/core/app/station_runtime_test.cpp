#include "core/app/station_runtime.h"
#include "support/fake_clock.h"
#include "support/recording_ui.h"
#include "support/temp_home.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace kapsorel;

namespace {

// The user's file: the resume marker, a window section and a line the program does not know.
const std::string kUserFile = "; stanice 3\r\n[Nastaveni]\r\nIP_adr_vyk=127.0.0.9\r\nCizi=1\r\n"
                              "[RUN]\r\nTest=/data/B12.tst\r\nTest_ukoncen=0\r\n[TFmain]\r\nLcislo_bat=B12\r\n";

struct UnreadableCase {
    const char* name;
    bool needsPermissions; // root reads any file regardless of its mode
    std::string why;
    std::function<void(const test::TempHome&, const std::filesystem::path&)> make;
    // Gives the file back as the user left it, or fails the test.
    std::function<void(const test::TempHome&, const std::filesystem::path&)> expectUntouched;
};

void PrintTo(const UnreadableCase& c, std::ostream* os)
{
    *os << c.name;
}

const UnreadableCase kUnreadable[] = {
    {"folder", false, "je to složka",
     [](const test::TempHome& home, const std::filesystem::path& path) {
         std::filesystem::create_directory(path);
         home.writeText("Kapsorel.ini/Kapsorel.ini", kUserFile);
     },
     [](const test::TempHome& home, const std::filesystem::path& path) {
         EXPECT_TRUE(std::filesystem::is_directory(path));
         EXPECT_EQ(home.readText("Kapsorel.ini/Kapsorel.ini"), kUserFile);
     }},
    {"symlink_loop", false, "smyčka symbolických odkazů",
     [](const test::TempHome&, const std::filesystem::path& path) { std::filesystem::create_symlink(path, path); },
     [](const test::TempHome&, const std::filesystem::path& path) {
         EXPECT_TRUE(std::filesystem::is_symlink(path));
         EXPECT_EQ(std::filesystem::read_symlink(path), path);
     }},
    {"no_permission", true, "přístup odepřen",
     [](const test::TempHome& home, const std::filesystem::path& path) {
         home.writeText("Kapsorel.ini", kUserFile);
         std::filesystem::permissions(path, std::filesystem::perms::none);
     },
     [](const test::TempHome& home, const std::filesystem::path& path) {
         EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::none);
         std::filesystem::permissions(path, std::filesystem::perms::owner_read);
         EXPECT_EQ(home.readText("Kapsorel.ini"), kUserFile);
     }},
};

class UnreadableConfiguration : public ::testing::TestWithParam<UnreadableCase> {};

constexpr uid_t kNobody = 65534;

// Runs the current test again in this test program started as the user "nobody" (root reads
// a file of any mode, so a case about permissions needs another user). Returns the child's
// exit status: 0 when the test passed there; its output goes to this program's output.
int runCurrentTestAsNobody()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filter = std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name();
    char* argv[] = {exe.data(), filter.data(), nullptr};
    // Everything the child needs is built before the fork; its temporary folder is one
    // that user may write.
    std::vector<std::string> vars{"TMPDIR=/tmp"};
    for (char** v = environ; *v != nullptr; ++v)
        if (std::string(*v).rfind("TMPDIR=", 0) != 0)
            vars.emplace_back(*v);
    std::vector<char*> envp;
    for (auto& v : vars)
        envp.push_back(v.data());
    envp.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(126);
        ::execve(exe.c_str(), argv, envp.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

TEST_P(UnreadableConfiguration, RunsOnDefaultsSaysWhyOnceAndNeverWritesTheFile)
{
    const UnreadableCase& c = GetParam();
    if (c.needsPermissions && ::geteuid() == 0) {
        EXPECT_EQ(runCurrentTestAsNobody(), 0) << "the case as the user nobody failed (126: could not drop "
                                                  "the privileges, 127: could not start this test program)";
        return;
    }
    test::TempHome home;
    const auto path = home / "Kapsorel.ini";
    c.make(home, path);
    test::RecordingUi ui;
    test::FakeClock clock;
    {
        StationRuntime runtime(home.path(), path, ui, clock);
        const std::string message =
            unreadableConfigMessage("Soubor " + path.string() + " nelze otevřít (" + c.why + ")");
        EXPECT_NE(message.find("výchozí adresy výkonového modulu 127.0.0.2"), std::string::npos);
        EXPECT_EQ(ui.calls(), std::vector<std::string>{"message " + message});
        EXPECT_EQ(runtime.settings().powerModuleAddress, kDefaultPowerModuleAddress);
        EXPECT_TRUE(runtime.config().readOnly());

        // A test start and end mark the run, the close saves the settings, the exit logs.
        ConfigRunMarker marker(runtime.config());
        EXPECT_TRUE(marker.markTest((home / "B1.tst").string(), 0).ok());
        EXPECT_EQ(marker.lastTest().path, (home / "B1.tst").string());
        EXPECT_TRUE(marker.markTest((home / "B1.tst").string(), 1).ok());
        runtime.settings().stationName = "Nová";
        EXPECT_TRUE(runtime.saveSettings().ok());
        runtime.shutdown({});
    }
    EXPECT_EQ(ui.calls().size(), 1u);
    c.expectUntouched(home, path);
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".tmp"));
    EXPECT_EQ(home.readText("Kapsorel.log"), "Konec:\nRun_th\nMea_th\nVyk_th\nSync_th\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, UnreadableConfiguration, ::testing::ValuesIn(kUnreadable),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(StationRuntime, MissingConfigurationIsCreatedByTheSaveWithoutAMessage)
{
    test::TempHome home;
    test::RecordingUi ui;
    test::FakeClock clock;
    StationRuntime runtime(home.path(), home / "Kapsorel.ini", ui, clock);
    EXPECT_FALSE(runtime.config().readOnly());
    ASSERT_TRUE(runtime.saveSettings().ok());
    runtime.shutdown({});
    EXPECT_EQ(ui.calls(), std::vector<std::string>{});
    EXPECT_NE(home.readText("Kapsorel.ini").find("IP_adr_vyk=127.0.0.2\n"), std::string::npos);
}
