// kapsorel-export, the command-line export: its help, and an exit code for each outcome.
#include "core/records/csv_export.h"
#include "support/build_paths.h"
#include "support/long_test_file.h"
#include "support/temp_home.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace kapsorel::test {
namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ToolRun runExport(const TempHome& home, const std::vector<std::string>& args)
{
    std::string command = "'" + test::exportToolPath().string() + "'";
    for (const auto& a : args)
        command += " '" + a + "'";
    command += " >'" + (home / "stdout").string() + "' 2>'" + (home / "stderr").string() + "' </dev/null";
    const int status = std::system(command.c_str());
    ToolRun run;
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    run.out = home.readText("stdout");
    run.err = home.readText("stderr");
    return run;
}

TEST(ExportTool, HelpNamesTheUsageAndEveryExitCode)
{
    TempHome home;
    for (const char* option : {"--help", "-h"}) {
        const ToolRun run = runExport(home, {option});
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_NE(run.out.find("Usage: kapsorel-export FILE.tst [OUT.csv]"), std::string::npos) << run.out;
        for (const char* code : {"  0  ", "  1  ", "  2  ", "  3  ", "  4  ", "  5  "})
            EXPECT_NE(run.out.find(code), std::string::npos) << code;
    }
}

TEST(ExportTool, ExitCodeTellsEachOutcome)
{
    TempHome home;
    writeLongTestFile(home / "whole.tst", LongTestSpec{.samples = 20});
    writeLongTestFile(home / "cut.tst", LongTestSpec{.samples = 20});
    std::filesystem::resize_file(home / "cut.tst", std::filesystem::file_size(home / "cut.tst") - 1);
    home.writeBytes("junk.tst", std::vector<std::uint8_t>(50, 1));
    const std::string whole = (home / "whole.tst").string();

    struct Case {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
        const char* errText; // in stderr ("" = stderr empty)
    };
    const std::vector<Case> cases{
        {"complete, named output", {whole, (home / "named.csv").string()}, 0, ""},
        {"complete, default output", {whole}, 0, ""},
        {"cut short", {(home / "cut.tst").string()}, 1, "neúplným záznamem"},
        {"no file given", {}, 2, "Usage"},
        {"three files", {whole, "a.csv", "b.csv"}, 2, "Usage"},
        {"unknown option", {"--fast", whole}, 2, "unknown option --fast"},
        {"missing test file", {(home / "none.tst").string()}, 3, "neexistuje"},
        {"no test file", {(home / "junk.tst").string()}, 3, "junk.tst"},
        {"unwritable output", {whole, (home / "no" / "t.csv").string()}, 4, "Nelze zapsat soubor"},
    };
    for (const auto& c : cases) {
        const ToolRun run = runExport(home, c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n" << run.err;
        if (*c.errText == '\0')
            EXPECT_EQ(run.err, "") << c.name;
        else
            EXPECT_NE(run.err.find(c.errText), std::string::npos) << c.name << "\n" << run.err;
    }
    EXPECT_TRUE(std::filesystem::exists(home / "named.csv"));
    EXPECT_TRUE(std::filesystem::exists(home / "named_steps.csv"));
    EXPECT_TRUE(std::filesystem::exists(home / "whole.csv"));
    EXPECT_TRUE(std::filesystem::exists(home / "whole_steps.csv"));
    EXPECT_TRUE(std::filesystem::exists(home / "cut.csv"));
}

// An output that is the test file itself is refused with its own exit code, and the test
// file keeps every byte: the same name, a test file named "*.csv" exported to its default
// output (itself), an output that links to it, a hard link to it, and the steps file beside
// the output linking to it.
TEST(ExportTool, AnOutputThatIsTheInputIsRefused)
{
    TempHome home;
    writeLongTestFile(home / "t.tst", LongTestSpec{.samples = 20});
    std::filesystem::copy_file(home / "t.tst", home / "t.csv");
    std::filesystem::create_symlink(home / "t.tst", home / "link.csv");
    std::filesystem::create_hard_link(home / "t.tst", home / "hard.csv");
    std::filesystem::create_symlink(home / "t.tst", home / "x_steps.csv");
    const auto before = home.readBytes("t.tst");
    const std::string t = (home / "t.tst").string();
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string input;
    };
    const std::vector<Case> cases{
        {"same name", {t, t}, "t.tst"},
        {"*.csv test file, default output", {(home / "t.csv").string()}, "t.csv"},
        {"output links to the input", {t, (home / "link.csv").string()}, "t.tst"},
        {"output is a hard link of the input", {t, (home / "hard.csv").string()}, "t.tst"},
        {"steps file links to the input", {t, (home / "x.csv").string()}, "t.tst"},
    };
    for (const auto& c : cases) {
        const ToolRun run = runExport(home, c.args);
        EXPECT_EQ(run.exitCode, 5) << c.name << "\n" << run.err;
        EXPECT_NE(run.err.find(csv_export_messages::kSameAsInput), std::string::npos) << c.name << "\n" << run.err;
        EXPECT_EQ(home.readBytes(c.input), before) << c.name;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(home / "link.csv"));
    EXPECT_FALSE(std::filesystem::exists(home / "x.csv"));
}

} // namespace
} // namespace kapsorel::test
