#include "core/app/station_folder.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

using namespace kapsorel;

TEST(StationFolder, RulesTable)
{
    // An installed program in /usr/bin, a build in /src/build/src.
    const std::set<std::string> existing = {"/usr/share/kapsorel/demo/Kapsorel.ini",
                                            "/home/op/.local/share/kapsorel/Kapsorel.ini"};
    const FileExists exists = [&](const std::filesystem::path& p) { return existing.count(p.string()) > 0; };
    using S = StationSource;
    struct Case {
        const char* what;
        StationFolderInputs in;
        std::string folder;
        S source;
        bool installed;
        bool firstStart;
    };
    const std::string fresh = "/home/new/.local/share/kapsorel", used = "/home/op/.local/share/kapsorel";
    const Case cases[] = {
        {"build, nothing named",
         {std::nullopt, std::nullopt, "/src/build/src", fresh, std::nullopt},
         "/src/build/src",
         S::BesideProgram,
         false,
         false},
        {"build, option",
         {"/srv/st1", std::nullopt, "/src/build/src", fresh, std::nullopt},
         "/srv/st1",
         S::CommandLine,
         false,
         false},
        {"build, environment",
         {std::nullopt, "/srv/st2", "/src/build/src", fresh, std::nullopt},
         "/srv/st2",
         S::Environment,
         false,
         false},
        {"option before environment",
         {"/srv/st1", "/srv/st2", "/usr/bin", fresh, std::nullopt},
         "/srv/st1",
         S::CommandLine,
         true,
         false},
        {"empty option and environment count as unset",
         {"", "", "/src/build/src", fresh, std::nullopt},
         "/src/build/src",
         S::BesideProgram,
         false,
         false},
        {"build ignores a remembered folder",
         {std::nullopt, std::nullopt, "/src/build/src", fresh, "/srv/x"},
         "/src/build/src",
         S::BesideProgram,
         false,
         false},
        {"installed, first start",
         {std::nullopt, std::nullopt, "/usr/bin", fresh, std::nullopt},
         fresh,
         S::UserData,
         true,
         true},
        {"installed, station there",
         {std::nullopt, std::nullopt, "/usr/bin", used, std::nullopt},
         used,
         S::UserData,
         true,
         false},
        {"installed, remembered folder",
         {std::nullopt, std::nullopt, "/usr/bin", fresh, "/srv/st3"},
         "/srv/st3",
         S::Remembered,
         true,
         false},
        {"installed, environment before remembered",
         {std::nullopt, "/srv/st2", "/usr/bin", fresh, "/srv/st3"},
         "/srv/st2",
         S::Environment,
         true,
         false},
        {"installed, empty remembered",
         {std::nullopt, std::nullopt, "/usr/bin", fresh, ""},
         fresh,
         S::UserData,
         true,
         true},
        {"copied folder without share",
         {std::nullopt, std::nullopt, "/opt/kapsorel", fresh, std::nullopt},
         "/opt/kapsorel",
         S::BesideProgram,
         false,
         false},
    };
    for (const Case& c : cases) {
        const StationFolderChoice choice = chooseStationFolder(c.in, exists);
        EXPECT_EQ(choice.folder.string(), c.folder) << c.what;
        EXPECT_EQ(choice.source, c.source) << c.what;
        EXPECT_EQ(choice.installed, c.installed) << c.what;
        EXPECT_EQ(choice.firstStart, c.firstStart) << c.what;
    }
}

TEST(StationFolder, CommandLineTable)
{
    struct Case {
        std::vector<std::string> args;
        bool help, version;
        std::optional<std::string> station;
        std::vector<std::string> rest;
        bool error;
    };
    const Case cases[] = {
        {{}, false, false, std::nullopt, {}, false},
        {{"--help"}, true, false, std::nullopt, {}, false},
        {{"-h"}, true, false, std::nullopt, {}, false},
        {{"--version"}, false, true, std::nullopt, {}, false},
        {{"-V"}, false, true, std::nullopt, {}, false},
        {{"--station", "/srv/st"}, false, false, "/srv/st", {}, false},
        {{"--station=/srv/st", "jina.ini"}, false, false, "/srv/st", {"jina.ini"}, false},
        {{"jina.ini"}, false, false, std::nullopt, {"jina.ini"}, false},
        {{"--", "--station"}, false, false, std::nullopt, {"--station"}, false},
        {{"--station"}, false, false, std::nullopt, {}, true},
        {{"--station", ""}, false, false, std::nullopt, {}, true},
        {{"--station="}, false, false, std::nullopt, {}, true},
        {{"--stanice", "x"}, false, false, std::nullopt, {"x"}, true},
        {{"-platform", "offscreen", "--help"}, true, false, std::nullopt, {"offscreen"}, true},
    };
    for (const Case& c : cases) {
        const ProgramCommandLine got = parseProgramCommandLine(c.args);
        const std::string what = c.args.empty() ? "(none)" : c.args.front();
        EXPECT_EQ(got.help, c.help) << what;
        EXPECT_EQ(got.version, c.version) << what;
        EXPECT_EQ(got.station, c.station) << what;
        EXPECT_EQ(got.rest, c.rest) << what;
        EXPECT_EQ(got.error.has_value(), c.error) << what;
        if (got.error) {
            EXPECT_NE(got.error->find("Usage: kapsorel"), std::string::npos) << what;
        }
    }
    EXPECT_NE(programHelpText().find("--station FOLDER"), std::string::npos);
    EXPECT_NE(programHelpText().find("KAPSOREL_STATION"), std::string::npos);
}

TEST(StationFolder, DemoCopyKeepsWhatIsThereAndTheFolderIsRemembered)
{
    test::TempHome home;
    home.writeText("demo/Kapsorel.ini", "[Nastaveni]\nStanice=Demo\n");
    home.writeText("demo/Postupy/Postupy.idx", "idx");
    home.writeText("station/Kapsorel.ini", "[Nastaveni]\nStanice=Moje\n");

    ASSERT_TRUE(createStationFrom(home / "demo", home / "station").ok());
    EXPECT_EQ(home.readText("station/Kapsorel.ini"), "[Nastaveni]\nStanice=Moje\n");
    EXPECT_EQ(home.readText("station/Postupy/Postupy.idx"), "idx");

    const Status missing = createStationFrom(home / "chybi", home / "jinde");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error().find("chybi"), std::string::npos);

    EXPECT_EQ(readRememberedStationFolder(home / "data"), std::nullopt);
    ASSERT_TRUE(rememberStationFolder(home / "data", home / "station").ok());
    EXPECT_EQ(readRememberedStationFolder(home / "data"), (home / "station").string());
}

TEST(StationFolder, InstalledDemoLiesUnderShare)
{
    EXPECT_EQ(installedDemoFolder("/usr/bin"), std::filesystem::path("/usr/share/kapsorel/demo"));
    EXPECT_EQ(installedDemoFolder("/tmp/root/usr/bin/"), std::filesystem::path("/tmp/root/usr/share/kapsorel/demo"));
}
