#include "core/app/display_model.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kapsorel {
namespace {

StationSettings thresholds()
{
    StationSettings s;
    s.cellFailLimit = -0.60f;
    s.cellOkMinimum = 1.00f;
    s.cellOkMaximum = 1.56f;
    return s;
}

TEST(CellBar, PositionAndColourSetFollowTheThresholds)
{
    const StationSettings s = thresholds();
    struct Case {
        float v;
        int position;
        CellColourSet colours;
        const char* label;
    };
    const Case cases[] = {
        {-0.61f, 20, s.cellBelowLimitColours, "-0,61V"}, {1.234f, 203, s.cellOtherColours, " 1,23V"},
        {1.57f, 250, s.cellAboveOkColours, " 1,57V"},    {0.50f, 130, s.cellBelowOkColours, " 0,50V"},
        {-0.60f, 20, s.cellBelowOkColours, "-0,60V"},    {1.56f, 236, s.cellOtherColours, " 1,56V"},
    };
    for (const auto& c : cases) {
        const CellBar bar = cellBar(c.v, s);
        EXPECT_EQ(bar.position, c.position) << c.v;
        EXPECT_EQ(bar.colours, c.colours) << c.v;
        EXPECT_EQ(bar.label, c.label) << c.v;
    }
}

TEST(HeadPanel, TextByHeadCodeFamilyAndFault)
{
    struct Case {
        std::int16_t head;
        BatteryFamily family;
        std::uint8_t comm;
        const char* text;
    };
    const Case cases[] = {
        {-1, BatteryFamily::NiCd, 1, "COMM"}, {0, BatteryFamily::NiCd, 0, "NC"}, {17, BatteryFamily::NiCd, 0, "17"},
        {0, BatteryFamily::NiCdPb, 0, "NC"},  {0, BatteryFamily::Pb, 2, "COM"},  {0, BatteryFamily::Pb, 0, "PB"},
        {-1, BatteryFamily::Pb, 2, "COMM"},   {5, BatteryFamily::None, 0, "5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(headPanelText(c.head, c.family, c.comm), c.text) << c.head;
}

DisplaySnapshot answering()
{
    DisplaySnapshot s;
    s.cells.fill(1.2f);
    s.batteryVoltage = 24.0f;
    s.current = 0.0f;
    s.headCode = 3;
    s.commFault = 0;
    s.ledSeconds = 0;
    return s;
}

TEST(DisplayModel, FirstRefreshWritesEverythingTheNextOnlyChanges)
{
    DisplayModel model;
    DisplaySnapshot s = answering();
    DisplayUpdate u = model.refresh(s);
    ASSERT_TRUE(u.voltage);
    EXPECT_EQ(*u.voltage, (LabelText{" 24,0V", false}));
    ASSERT_TRUE(u.current);
    EXPECT_EQ(u.current->text, "  0,0A");
    EXPECT_EQ(u.changedCells.size(), kCellCount);
    EXPECT_EQ(u.headText, "3");
    EXPECT_EQ(u.refillBatteryTypes, std::int16_t{3});
    EXPECT_EQ(u.applyHardwareKind, std::uint8_t{0});
    EXPECT_EQ(u.enableStart, true);

    s.cells[4] = 1.3f;
    u = model.refresh(s);
    EXPECT_FALSE(u.voltage);
    EXPECT_FALSE(u.current);
    EXPECT_FALSE(u.headText);
    EXPECT_FALSE(u.refillBatteryTypes);
    EXPECT_FALSE(u.applyHardwareKind);
    EXPECT_EQ(u.changedCells, std::vector<int>{4});
}

TEST(DisplayModel, LostModulesShowRedDashesAndTheUnchangedValueAgainOnReturn)
{
    DisplayModel model;
    DisplaySnapshot s = answering();
    model.refresh(s);

    s.commFault = kCommFaultMeasurement;
    s.headCode = -1;
    DisplayUpdate u = model.refresh(s);
    EXPECT_EQ(u.voltage, (LabelText{"---", true}));
    EXPECT_FALSE(u.current); // the power module still answers
    EXPECT_EQ(u.headText, "COMM");

    s.commFault = 0;
    s.headCode = 3;
    u = model.refresh(s);
    EXPECT_EQ(u.voltage, (LabelText{" 24,0V", false}));
    EXPECT_EQ(u.headText, "3");

    s.commFault = kCommFaultPower;
    u = model.refresh(s);
    EXPECT_EQ(u.current, (LabelText{"---", true}));
    s.commFault = 0;
    u = model.refresh(s);
    EXPECT_EQ(u.current, (LabelText{"  0,0A", false}));
}

TEST(DisplayModel, ServiceLevelShowsMoreDecimals)
{
    DisplayModel model;
    DisplaySnapshot s = answering();
    s.userLevel = 2;
    s.capacity = 1.23456f;
    s.current = 2.345f;
    const DisplayUpdate u = model.refresh(s);
    EXPECT_EQ(u.voltage->text, "24,00V");
    EXPECT_EQ(u.current->text, " 2,35A");
    EXPECT_EQ(u.capacity->text, "   1,2346Ah");

    DisplayModel operatorModel;
    s.userLevel = 0;
    const DisplayUpdate o = operatorModel.refresh(s);
    EXPECT_EQ(o.capacity->text, "    1,2Ah");
}

TEST(DisplayModel, PbHeadShowsTheVersionAndSourceVoltageOnlyForKindOne)
{
    DisplayModel model;
    DisplaySnapshot s = answering();
    s.family = BatteryFamily::Pb;
    s.headCode = 0;
    s.powerSwVersion = 7;
    s.sourceVoltage = 27.5f;
    DisplayUpdate u = model.refresh(s);
    EXPECT_EQ(u.headText, "PB");
    EXPECT_EQ(u.versionText, "SW: 1.08-07");
    EXPECT_FALSE(u.refillBatteryTypes);
    EXPECT_FALSE(u.source);

    s.hardwareKind = 1;
    u = model.refresh(s);
    EXPECT_EQ(u.applyHardwareKind, std::uint8_t{1});
    EXPECT_EQ(u.source, (LabelText{" 27,5V", false}));
}

TEST(DisplayModel, ElapsedTimesWhileRunningWithTheSettlingMark)
{
    DisplayModel model;
    DisplaySnapshot s = answering();
    EXPECT_FALSE(model.refresh(s).stepTime);

    s.phase = RunPhase::StepRunning;
    s.stepSeconds = 307;
    s.totalSeconds = 123 * 3600 + 59;
    s.settleCountdown = 12;
    DisplayUpdate u = model.refresh(s);
    EXPECT_EQ(u.stepTime, "00:05:07!");
    EXPECT_EQ(u.totalTime, "123:00:59");
    EXPECT_FALSE(u.enableStart); // a running test leaves the buttons alone
    s.settleCountdown = 0;
    u = model.refresh(s); // written every pass, even unchanged
    EXPECT_EQ(u.stepTime, "00:05:07");
}

TEST(DisplayModel, BannerAndButtonsByLedSecondsCommFaultAndUserLevel)
{
    struct Case {
        std::uint8_t led;
        std::uint8_t comm;
        std::uint8_t level;
        bool hide;
        std::optional<bool> enable;
    };
    const Case cases[] = {
        {0, 0, 0, true, true},         {5, 0, 0, false, true},        {0, 1, 0, true, false},
        {0, 2, 1, true, std::nullopt}, {0, 3, 2, true, std::nullopt},
    };
    for (const auto& c : cases) {
        DisplayModel model;
        DisplaySnapshot s = answering();
        s.ledSeconds = c.led;
        s.commFault = c.comm;
        s.userLevel = c.level;
        const DisplayUpdate u = model.refresh(s);
        EXPECT_EQ(u.hideBanner, c.hide);
        EXPECT_EQ(u.enableStart, c.enable) << int(c.comm) << " " << int(c.level);
    }
}

TEST(DisplaySnapshot, ElapsedTimesExcludeResumeAndInterruptionSeconds)
{
    Station station;
    station.run.setPhase(RunPhase::StepRunning);
    const DayTime start = 45000.0;
    station.run.runStartTime = start;
    station.run.stepStartTime = start + 100.0 / kSecondsPerDay;
    station.run.conditionTime = start + 500.0 / kSecondsPerDay;
    station.run.resumeSeconds = 30;
    station.run.totalInterruptionSeconds = 50;
    station.live.settleCountdown = 4;
    const DisplaySnapshot s = takeDisplaySnapshot(station, 2);
    EXPECT_EQ(s.stepSeconds, 370);
    EXPECT_EQ(s.totalSeconds, 450);
    EXPECT_EQ(s.userLevel, 2);
    EXPECT_EQ(s.settleCountdown, 4);
}

// Step and total time as the status bar shows them, from the run state's times: whole
// seconds truncated as the step time condition counts them, never below zero.
TEST(DisplaySnapshot, StepAndTotalTimeAreTruncatedWholeSecondsAndNeverNegative)
{
    struct Case {
        const char* what;
        double stepStartAfterRun; // seconds
        double conditionAfterRun; // seconds; NaN: the engine has not taken a condition time yet (0)
        std::uint32_t resume;
        std::uint32_t interruptions;
        const char* step;
        const char* total;
    };
    const double unset = std::nan("");
    const Case cases[] = {
        {"x.4 s", 0.0, 12.4, 0, 0, "00:00:12", "00:00:12"},
        {"x.5 s", 0.0, 12.5, 0, 0, "00:00:12", "00:00:12"},
        {"x.9 s", 0.0, 12.9, 0, 0, "00:00:12", "00:00:12"},
        {"a hair under an hour", 0.0, 3599.9, 0, 0, "00:59:59", "00:59:59"},
        {"a whole number of seconds", 100.0, 700.0, 0, 0, "00:10:00", "00:11:40"},
        {"second step, fractions apart", 100.6, 161.5, 0, 0, "00:01:00", "00:02:41"},
        {"step start a moment in the future", 30.0, 29.3, 0, 0, "00:00:00", "00:00:29"},
        {"run start a moment in the future", 0.0, -0.7, 0, 0, "00:00:00", "00:00:00"},
        {"more resume seconds than elapsed", 100.0, 150.9, 60, 60, "00:00:00", "00:01:30"},
        {"resume seconds excluded", 100.0, 400.9, 60, 90, "00:04:00", "00:05:10"},
        {"resumed, no condition time yet", 100.0, unset, 60, 60, "00:00:00", "00:00:00"},
    };
    for (const Case& c : cases) {
        Station station;
        const DayTime runStart = 45000.0;
        station.run.setPhase(RunPhase::StepStart);
        station.run.runStartTime = runStart;
        station.run.stepStartTime = runStart + c.stepStartAfterRun / kSecondsPerDay;
        station.run.conditionTime =
            std::isnan(c.conditionAfterRun) ? 0.0 : runStart + c.conditionAfterRun / kSecondsPerDay;
        station.run.resumeSeconds = c.resume;
        station.run.totalInterruptionSeconds = c.interruptions;
        DisplayModel model;
        const DisplayUpdate u = model.refresh(takeDisplaySnapshot(station, 0));
        EXPECT_EQ(u.stepTime, std::optional<std::string>(c.step)) << c.what;
        EXPECT_EQ(u.totalTime, std::optional<std::string>(c.total)) << c.what;
    }
}

} // namespace
} // namespace kapsorel
