#include "core/records/sample_table.h"
#include "core/records/step_table.h"
#include "core/station/live_values.h"
#include "support/battery_test_fixtures.h"

#include <gtest/gtest.h>
#include <memory>

using namespace kapsorel;
using namespace kapsorel::test;

namespace {

SampleRecord sample(std::uint8_t step, float voltage, float current)
{
    SampleRecord s;
    s.step = step;
    s.voltage = voltage;
    s.current = current;
    return s;
}

} // namespace

TEST(SampleTable, ShowsMeasuredValuesInTheTablesPrecision)
{
    SampleRecord s = sample(4, 28.749f, 10.05f);
    s.temperature = 21.96f;
    s.cells[0] = 1.2349f;
    s.cells[19] = 1.355f;
    SampleTable t;
    t.add(s, 125);
    EXPECT_DOUBLE_EQ(t.shown(0, sample_col::kTime), 125.0);
    EXPECT_DOUBLE_EQ(t.shown(0, sample_col::kVoltage), 28.7);
    // 10.05f is 10.0500001907…: shown as 10.1, as printf rounds the stored value.
    EXPECT_DOUBLE_EQ(t.shown(0, sample_col::kCurrent), 10.1);
    EXPECT_DOUBLE_EQ(t.shown(0, sample_col::kTemperature), 22.0);
    EXPECT_DOUBLE_EQ(t.shown(0, sample_col::kFirstCell), 1.23);
    // 1.355f is 1.35500001907…: 1.36.
    EXPECT_DOUBLE_EQ(t.shown(0, sample_col::kFirstCell + 19), 1.36);
    EXPECT_DOUBLE_EQ(t.shown(0, sample_col::kStep), 5.0);
}

TEST(SampleTable, TestAxisCountsWholeSecondsWithoutInterruptions)
{
    const double start = dayTimeOf(2024, 3, 5, 7, 9);
    EXPECT_EQ(testAxisSeconds(start, plusSeconds(start, 600), 0), 600);
    EXPECT_EQ(testAxisSeconds(start, plusSeconds(start, 10.6), 0), 10);
    EXPECT_EQ(testAxisSeconds(start, plusSeconds(start, 910), 300), 610);
    EXPECT_EQ(testAxisSeconds(start, plusSeconds(start, -5), 0), 5);
    // 36000 s taken from days must not come out as 35999.
    for (int s = 0; s < 86400; s += 7)
        ASSERT_EQ(testAxisSeconds(start, start + s / 86400.0, 0), s) << s;
}

TEST(SampleTable, ColumnHeadersAndDecimals)
{
    EXPECT_EQ(SampleTable::header(0), "Čas");
    EXPECT_EQ(SampleTable::header(1), "Proud");
    EXPECT_EQ(SampleTable::header(2), "Napětí");
    EXPECT_EQ(SampleTable::header(3), "Teplota");
    EXPECT_EQ(SampleTable::header(4), "Bat1");
    EXPECT_EQ(SampleTable::header(23), "Bat20");
    EXPECT_EQ(SampleTable::header(24), "Krok");
    EXPECT_EQ(SampleTable::decimals(1), 1);
    EXPECT_EQ(SampleTable::decimals(23), 2);
    EXPECT_EQ(SampleTable::decimals(24), -1);
    EXPECT_EQ(StepTable::header(3), "Kapacita");
    EXPECT_EQ(StepTable::header(24), "Popis");
    EXPECT_EQ(StepTable::header(26), "Rep.");
    EXPECT_EQ(StepTable::header(27), "Akce");
}

TEST(DeltaCurrent, ThirtiethNewestSampleWithInterval10AndWindow300)
{
    const DeltaCurrentStep charge{2, kChargeStepType, 10, 28.8f};
    SampleTable t;
    for (int i = 0; i < 29; ++i) {
        t.add(sample(2, 28.7f, 12.0f - 0.1f * static_cast<float>(i)), i * 10);
        EXPECT_EQ(deltaCurrentFromTable(t, charge, 300, 9.0f), kDeltaCurrentUnavailable) << i;
    }
    t.add(sample(2, 28.7f, 9.2f), 290);
    // 30 rows: the oldest (current 12.0) is the 30th newest.
    EXPECT_FLOAT_EQ(deltaCurrentFromTable(t, charge, 300, 9.0f), 3.0f);
    t.add(sample(2, 28.7f, 9.1f), 300);
    // Now the second row (11.9) is the 30th newest.
    EXPECT_FLOAT_EQ(deltaCurrentFromTable(t, charge, 300, 9.0f), 2.9f);
}

TEST(DeltaCurrent, UsesTheValuesAsTheTableShowsThem)
{
    // Value 1 is 28.8f (28.7999992…), so the threshold is just below 28.6.
    const DeltaCurrentStep charge{0, kChargeStepType, 10, 28.8f};
    const std::uint32_t window = 15; // m = 1: the newest sample
    // Voltage 28.54 shows as 28.5: not above the threshold.
    SampleTable t;
    t.add(sample(0, 28.54f, 5.04f), 0);
    EXPECT_EQ(deltaCurrentFromTable(t, charge, window, 4.0f), kDeltaCurrentUnavailable);
    // 28.56 shows as 28.6, above it; the current 5.04 shows as 5.0.
    SampleTable u;
    u.add(sample(0, 28.56f, 5.04f), 0);
    EXPECT_FLOAT_EQ(deltaCurrentFromTable(u, charge, window, 4.0f), 1.0f);
}

TEST(DeltaCurrent, OnlyTheStepsOfTheProcedureHaveOne)
{
    // Every step charges with interval 10 and every row belongs to the step asked about,
    // so only where the step lies decides. The run's step number goes up to 255 (past the
    // last step at the procedure's end, or where a choice points beyond it).
    auto procedure = std::make_unique<RunProcedure>();
    for (RunStep& s : procedure->steps) {
        s.type = kChargeStepType;
        s.recordInterval = 10;
        s.value1 = 28.8f;
    }
    struct Case {
        std::uint8_t stepCount;
        std::uint8_t step;
        float expected;
    };
    const Case cases[] = {{200, 0, 3.0f},
                          {200, 199, 3.0f},
                          {200, 200, kDeltaCurrentUnavailable},
                          {200, 255, kDeltaCurrentUnavailable},
                          {3, 2, 3.0f},
                          {3, 3, kDeltaCurrentUnavailable}};
    for (const Case& c : cases) {
        procedure->stepCount = c.stepCount;
        SampleTable t;
        t.add(sample(c.step, 28.7f, 12.0f), 0);
        t.add(sample(c.step, 28.7f, 11.0f), 10);
        // Window 20: the second newest row, current 12.0.
        EXPECT_FLOAT_EQ(deltaCurrentOfStep(t, *procedure, c.step, 20, 9.0f), c.expected)
            << int(c.step) << " of " << int(c.stepCount);
    }
}

struct DeltaCase {
    const char* name;
    DeltaCurrentStep step;
    std::uint32_t window;
};

class DeltaCurrentUnavailable : public ::testing::TestWithParam<DeltaCase> {};

TEST_P(DeltaCurrentUnavailable, Stays1000)
{
    SampleTable t;
    for (int i = 0; i < 100; ++i)
        t.add(sample(1, 30.0f, 2.0f), i);
    const auto& c = GetParam();
    EXPECT_EQ(deltaCurrentFromTable(t, c.step, c.window, 1.0f), kDeltaCurrentUnavailable);
}

INSTANTIATE_TEST_SUITE_P(Cases, DeltaCurrentUnavailable,
                         ::testing::Values(DeltaCase{"discharge", {1, 1, 10, 28.8f}, 300},
                                           DeltaCase{"pause", {1, 5, 10, 28.8f}, 300},
                                           DeltaCase{"no_interval", {1, 0, 0, 28.8f}, 300},
                                           DeltaCase{"interval_equals_window", {1, 0, 300, 28.8f}, 300},
                                           DeltaCase{"interval_above_window", {1, 0, 400, 28.8f}, 300},
                                           DeltaCase{"no_window", {1, 0, 10, 28.8f}, 0},
                                           DeltaCase{"other_step", {2, 0, 10, 28.8f}, 300}),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(StepTable, StepRowsMeasureFromTheTestStartAndInterruptionRowsCarryTheirSeconds)
{
    const double start = dayTimeOf(2024, 3, 5, 7, 9);
    StepResult r = StepResult::notStarted();
    r.start = plusSeconds(start, 3725);
    StepTable t;
    t.addStep(1, r, start, true);
    t.addInterruption(1, 600);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_FALSE(t.row(0).interruption);
    EXPECT_EQ(t.row(0).seconds, 3725);
    EXPECT_EQ(t.row(0).stepIndex, 1);
    EXPECT_TRUE(t.row(1).interruption);
    EXPECT_EQ(t.row(1).seconds, 600);
    EXPECT_STREQ(kInterruptionRowText, "Přerušení");
}
