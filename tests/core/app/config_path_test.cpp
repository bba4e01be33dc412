#include "core/app/config_path.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

using namespace kapsorel;

TEST(ConfigPath, RulesTable)
{
    const std::set<std::string> existing = {"/etc/stanice1.ini", "rel.ini"};
    const FileExists exists = [&](const std::filesystem::path& p) { return existing.count(p.string()) > 0; };
    const std::filesystem::path exeDir = "/opt/kapsorel";

    struct Case {
        std::vector<std::string> args;
        std::string path;
        std::optional<std::string> message;
    };
    const Case cases[] = {
        {{}, "/opt/kapsorel/Kapsorel.ini", std::nullopt},
        {{"/etc/stanice1.ini"}, "/etc/stanice1.ini", std::nullopt},
        {{"rel.ini"}, "rel.ini", std::nullopt},
        {{"/etc/chybi.ini"}, "/opt/kapsorel/Kapsorel.ini", "INI file neexistuje:/etc/chybi.ini"},
        {{""}, "/opt/kapsorel/Kapsorel.ini", "INI file neexistuje:"},
        {{"/etc/stanice1.ini", "rel.ini"}, "/opt/kapsorel/Kapsorel.ini", std::nullopt},
        {{"/etc/chybi.ini", "x", "y"}, "/opt/kapsorel/Kapsorel.ini", std::nullopt},
    };
    for (const Case& c : cases) {
        const ConfigPathChoice choice = chooseConfigPath(c.args, exeDir, exists);
        EXPECT_EQ(choice.path.string(), c.path) << c.args.size();
        EXPECT_EQ(choice.message, c.message) << c.args.size();
    }
}

TEST(ConfigPath, RealFileSystemCountsFilesButNotFolders)
{
    test::TempHome home;
    home.writeText("stanice.ini", "");
    std::filesystem::create_directory(home / "slozka.ini");

    EXPECT_EQ(chooseConfigPath({(home / "stanice.ini").string()}, home.path()).path, home / "stanice.ini");
    const ConfigPathChoice folder = chooseConfigPath({(home / "slozka.ini").string()}, home.path());
    EXPECT_EQ(folder.path, home / "Kapsorel.ini");
    EXPECT_EQ(folder.message, "INI file neexistuje:" + (home / "slozka.ini").string());
}

TEST(ConfigPath, ExecutableDirectoryIsTheTestsOwnFolder)
{
    const auto dir = executableDirectory(nullptr);
    EXPECT_TRUE(std::filesystem::is_directory(dir));
    EXPECT_TRUE(dir.is_absolute());
}
