#include "core/base/program_version.h"
#include "core/base/rotating_log.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>

using namespace kapsorel;

TEST(RotatingLog, KeepsTheNewestLinesWithinTheLimitAndDropsTheOldestFile)
{
    test::TempHome home;
    // Lines of 9 bytes with their line end: three fit in 30 bytes, the fourth starts a file.
    RotatingLog log(home / "log/diag.log", 30, 2);
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(log.append("radek " + std::to_string(i) + "!").ok());
    EXPECT_EQ(home.readText("log/diag.log"), "radek 9!\n");
    EXPECT_EQ(home.readText("log/diag.log.1"), "radek 6!\nradek 7!\nradek 8!\n");
    EXPECT_EQ(home.readText("log/diag.log.2"), "radek 3!\nradek 4!\nradek 5!\n");
    EXPECT_FALSE(std::filesystem::exists(home / "log/diag.log.3"));
}

TEST(RotatingLog, ALineLongerThanTheLimitStillLandsInAFileOfItsOwn)
{
    test::TempHome home;
    RotatingLog log(home / "diag.log", 8, 1);
    ASSERT_TRUE(log.append("kratky").ok());
    ASSERT_TRUE(log.append("mnohem delsi radek").ok());
    EXPECT_EQ(home.readText("diag.log"), "mnohem delsi radek\n");
    EXPECT_EQ(home.readText("diag.log.1"), "kratky\n");
}

TEST(RotatingLog, AFolderInTheWayIsReported)
{
    test::TempHome home;
    std::filesystem::create_directories(home / "diag.log");
    RotatingLog log(home / "diag.log", 100, 1);
    EXPECT_FALSE(log.append("x").ok());
}

TEST(ProgramVersion, IsTheProjectsVersion)
{
    EXPECT_EQ(programVersion(), std::to_string(programVersionMajor()) + "." + std::to_string(programVersionMinor()));
    EXPECT_EQ(versionLine("kapsorel-check"), "kapsorel-check " + programVersion());
    EXPECT_GE(programVersionMajor(), 1);
}
