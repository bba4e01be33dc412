#include "core/app/start_state.h"
#include "core/station/live_values.h"
#include "support/temp_home.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace kapsorel;

TEST(StartState, LayoutMenuListsTheFirstTenLayoutFiles)
{
    test::TempHome home;
    EXPECT_TRUE(findReportLayouts(home.path()).empty()); // no folder

    for (const char* name : {"k.ses", "B.SES", "a.ses", "c.ses", "d.ses", "e.ses", "f.ses", "g.ses", "h.ses", "i.ses",
                             "j.ses", "notes.txt", "x.ses.bak"})
        home.writeText(std::string("Sestavy/") + name, "");
    std::filesystem::create_directory(home / "Sestavy" / "dir.ses");

    const std::vector<std::string> expected = {"a.ses", "B.SES", "c.ses", "d.ses", "e.ses",
                                               "f.ses", "g.ses", "h.ses", "i.ses", "j.ses"};
    EXPECT_EQ(findReportLayouts(home.path()), expected);
}

TEST(StartState, VersionLabel)
{
    EXPECT_EQ(versionLabel(0), "SW: 1.08-00");
    EXPECT_EQ(versionLabel(7), "SW: 1.08-07");
    EXPECT_EQ(versionLabel(123), "SW: 1.08-123");
}

TEST(StartState, EveryExpectedModuleStartsAsNotAnswering)
{
    EXPECT_EQ(initialCommFault(0), 3);
    EXPECT_EQ(initialCommFault(1), kCommFaultPower);
}
