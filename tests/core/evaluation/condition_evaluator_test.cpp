// Start and end conditions evaluated pass by pass against live values and the run
// state, with a fake clock driving the step time.
#include "core/definitions/condition_variables.h"
#include "core/engine/condition_evaluator.h"
#include "support/fake_clock.h"

#include <gtest/gtest.h>

using namespace kapsorel;
using kapsorel::test::FakeClock;

namespace {

RunConditionTerm term(std::uint8_t var, std::uint8_t rel, float threshold, std::uint8_t joiner)
{
    return {var, rel, threshold, joiner};
}

struct Station {
    RunProcedure run;
    LiveValues live;
    SharedRunState state;
    FakeClock clock;
    ConditionEvaluator eval{run, live, state};

    Station()
    {
        run.stepCount = 2;
        live.settleCountdown = 0;
        state.stepStartTime = clock.now();
        state.conditionTime = clock.now();
    }

    void setEnd(std::initializer_list<RunConditionTerm> terms, int step = 0)
    {
        std::size_t i = 0;
        for (const auto& t : terms)
            run.steps[static_cast<std::size_t>(step)].endCondition[i++] = t;
    }

    // One Step running pass: 100 ms later, the condition time taken, the end condition evaluated.
    bool pass(int step = 0)
    {
        clock.advanceMs(100);
        state.conditionTime = clock.now();
        return eval.evaluateCondition(step, kEndCondition);
    }

    // The pass number (1-based) on which the end condition first holds, 0 when not within `limit`.
    int firstTruePass(int limit)
    {
        for (int i = 1; i <= limit; ++i)
            if (pass())
                return i;
        return 0;
    }
};

} // namespace

TEST(ConditionEvaluation, VoltageTermHoldsOnTheEleventhConsecutivePass)
{
    Station s;
    s.setEnd({term(kVarVoltage, kRelGreaterEqual, 28.8f, kJoinOr)});
    s.live.batteryVoltage = 28.8f;
    for (int i = 1; i <= 10; ++i) {
        EXPECT_FALSE(s.pass()) << i;
        EXPECT_EQ(s.eval.voltageCounter(), i);
    }
    EXPECT_TRUE(s.pass());
    EXPECT_TRUE(s.pass());
    EXPECT_EQ(s.eval.voltageCounter(), kVoltageDebounceLimit);
}

TEST(ConditionEvaluation, OnePassBelowStartsTheCountAgain)
{
    Station s;
    s.setEnd({term(kVarVoltage, kRelGreaterEqual, 28.8f, kJoinOr)});
    s.live.batteryVoltage = 28.9f;
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(s.pass());
    s.live.batteryVoltage = 28.7f;
    EXPECT_FALSE(s.pass());
    EXPECT_EQ(s.eval.voltageCounter(), 0);
    s.live.batteryVoltage = 28.8f;
    EXPECT_EQ(s.firstTruePass(20), 11);
}

TEST(ConditionEvaluation, DebounceLimitsPerQuantity)
{
    const struct {
        std::uint8_t var;
        std::atomic<float> LiveValues::*field;
        int firstTrue;
    } cases[] = {
        {kVarVoltage, &LiveValues::batteryVoltage, 11},
        {kVarCurrent, &LiveValues::current, 11},
        {kVarDeltaCurrent, &LiveValues::deltaCurrent, 31},
        {kVarCapacity, &LiveValues::capacity, 1},
    };
    for (const auto& c : cases) {
        Station s;
        s.setEnd({term(c.var, kRelGreater, 1.0f, kJoinOr)});
        (s.live.*c.field) = 2.0f;
        EXPECT_EQ(s.firstTruePass(50), c.firstTrue) << int(c.var);
    }
}

TEST(ConditionEvaluation, TimeNeverHoldsWhileSettling)
{
    Station s;
    s.setEnd({term(kVarTime, kRelGreaterEqual, 3600.0f, kJoinOr)});
    s.live.settleCountdown = 60;
    s.clock.advanceMs(2 * 3600 * 1000);
    EXPECT_FALSE(s.pass());
    s.live.settleCountdown = 1;
    EXPECT_FALSE(s.pass());
    s.live.settleCountdown = 0;
    EXPECT_TRUE(s.pass());
}

TEST(ConditionEvaluation, SettlingLeavesCountersAlone)
{
    Station s;
    s.setEnd({term(kVarVoltage, kRelGreaterEqual, 28.8f, kJoinOr)});
    s.live.batteryVoltage = 28.8f;
    for (int i = 0; i < 4; ++i)
        s.pass();
    ASSERT_EQ(s.eval.voltageCounter(), 4);
    s.live.settleCountdown = 30;
    s.live.batteryVoltage = 10.0f; // would reset the counter if looked at
    EXPECT_FALSE(s.pass());
    EXPECT_EQ(s.eval.voltageCounter(), 4);
}

TEST(ConditionEvaluation, StepTimeInWholeSecondsLessResumeSeconds)
{
    Station s;
    s.setEnd({term(kVarTime, kRelGreaterEqual, 3600.0f, kJoinOr)});
    s.clock.advanceMs(3599 * 1000);
    s.state.conditionTime = s.clock.now();
    EXPECT_DOUBLE_EQ(s.eval.elapsedStepSeconds(), 3599.0);
    EXPECT_FALSE(s.eval.evaluateCondition(0, kEndCondition));
    s.clock.advanceMs(999);
    s.state.conditionTime = s.clock.now();
    EXPECT_FALSE(s.eval.evaluateCondition(0, kEndCondition)); // 3599.999 s truncates
    s.clock.advanceMs(1);
    s.state.conditionTime = s.clock.now();
    EXPECT_TRUE(s.eval.evaluateCondition(0, kEndCondition)); // exactly one hour

    // A resumed step does not count its interruption; the value may go below zero.
    s.state.resumeSeconds = 600;
    EXPECT_DOUBLE_EQ(s.eval.elapsedStepSeconds(), 3000.0);
    EXPECT_FALSE(s.eval.evaluateCondition(0, kEndCondition));
    s.state.resumeSeconds = 4000;
    EXPECT_DOUBLE_EQ(s.eval.elapsedStepSeconds(), -400.0);
}

TEST(ConditionEvaluation, ChoiceAnswerHoldsWithoutDebounce)
{
    Station s;
    s.setEnd({term(kVarAnswer, kRelGreater, 0.0f, kJoinOr)});
    EXPECT_FALSE(s.pass());
    EXPECT_FALSE(s.pass());
    s.state.questionAnswer = 2;
    EXPECT_TRUE(s.pass());
}

TEST(ConditionEvaluation, LowestCellVoltage)
{
    Station s;
    s.setEnd({term(kVarCellVoltage, kRelLess, 1.0f, kJoinOr)});
    EXPECT_TRUE(s.pass()); // no cells connected: all read 0 V
    for (auto& c : s.live.cellVoltage)
        c = 1.3f;
    EXPECT_FALSE(s.pass());
    s.live.cellVoltage[17] = 0.9f;
    EXPECT_TRUE(s.pass());
    bool known = false;
    for (auto& c : s.live.cellVoltage)
        c = 150.0f;
    EXPECT_EQ(s.eval.quantity(kVarCellVoltage, known), 100.0);
    EXPECT_TRUE(known);
}

TEST(ConditionEvaluation, CurrentAndAuxiliaryVariable)
{
    Station s;
    s.setEnd({term(kVarCurrent, kRelLess, 0.5f, kJoinOr), term(kVarAux0 + 3, kRelEqual, 1.0f, kJoinAnd)});
    s.live.current = 0.2f;
    s.state.variables[3] = 1;
    EXPECT_EQ(s.firstTruePass(20), 11);
    s.state.variables[3] = 0;
    EXPECT_FALSE(s.pass());
    EXPECT_EQ(s.eval.currentCounter(), kCurrentDebounceLimit); // the current term still held
    s.state.variables[3] = 1;
    EXPECT_TRUE(s.pass());
}

TEST(ConditionEvaluation, TwoVoltageTermsAdvanceOneCounterTwice)
{
    Station s;
    s.setEnd({term(kVarVoltage, kRelGreaterEqual, 20.0f, kJoinOr), term(kVarVoltage, kRelLessEqual, 30.0f, kJoinAnd)});
    s.live.batteryVoltage = 25.0f;
    EXPECT_FALSE(s.pass());
    EXPECT_EQ(s.eval.voltageCounter(), 2);
    EXPECT_EQ(s.firstTruePass(20), 5); // sixth pass overall

    // One holding, one failing: the failing term resets the shared counter every time.
    Station t;
    t.setEnd({term(kVarVoltage, kRelGreaterEqual, 20.0f, kJoinOr), term(kVarVoltage, kRelGreater, 30.0f, kJoinOr)});
    t.live.batteryVoltage = 25.0f;
    EXPECT_EQ(t.firstTruePass(100), 0);
    EXPECT_EQ(t.eval.voltageCounter(), 0);
}

TEST(ConditionEvaluation, FalseTermInAnyConditionResetsTheCounter)
{
    Station s;
    s.setEnd({term(kVarVoltage, kRelGreaterEqual, 28.8f, kJoinOr)});
    s.run.steps[1].startCondition[0] = term(kVarVoltage, kRelLess, 10.0f, kJoinOr);
    s.live.batteryVoltage = 29.0f;
    for (int i = 0; i < 9; ++i)
        s.pass();
    ASSERT_EQ(s.eval.voltageCounter(), 9);
    EXPECT_FALSE(s.eval.evaluateCondition(1, kStartCondition));
    EXPECT_EQ(s.eval.voltageCounter(), 0);
}

TEST(ConditionEvaluation, JoinersLeftToRightWithoutPrecedence)
{
    // A, B, C, D with joiners used, OR, AND, OR: ((A or B) and C) or D.
    for (int bits = 0; bits < 16; ++bits) {
        Station s;
        s.setEnd({term(kVarAux0 + 0, kRelEqual, 1.0f, kJoinOr), term(kVarAux0 + 1, kRelEqual, 1.0f, kJoinOr),
                  term(kVarAux0 + 2, kRelEqual, 1.0f, kJoinAnd), term(kVarAux0 + 3, kRelEqual, 1.0f, kJoinOr)});
        const bool a = bits & 1, b = bits & 2, c = bits & 4, d = bits & 8;
        s.state.variables[0] = a;
        s.state.variables[1] = b;
        s.state.variables[2] = c;
        s.state.variables[3] = d;
        EXPECT_EQ(s.pass(), ((a || b) && c) || d) << bits;
    }
}

TEST(ConditionEvaluation, JoinerEdgeCases)
{
    Station s;
    s.state.variables[0] = 1;
    // A first term joined by AND contributes false.
    s.setEnd({term(kVarAux0, kRelEqual, 1.0f, kJoinAnd)});
    EXPECT_FALSE(s.pass());
    // An unknown joiner leaves the result as it is.
    s.setEnd({term(kVarAux0, kRelEqual, 1.0f, kJoinOr), term(kVarAux0, kRelEqual, 0.0f, 7)});
    EXPECT_TRUE(s.pass());
    // A joiner-0 term ends the condition, though it is computed (and moves its counter).
    s.live.batteryVoltage = 30.0f;
    s.setEnd({term(kVarAux0, kRelEqual, 0.0f, kJoinOr), term(kVarVoltage, kRelGreater, 1.0f, kJoinEnd),
              term(kVarAux0, kRelEqual, 1.0f, kJoinOr)});
    EXPECT_FALSE(s.pass());
    EXPECT_EQ(s.eval.voltageCounter(), 1);
}

TEST(ConditionEvaluation, UnknownCodesNeverHold)
{
    Station s;
    s.live.batteryVoltage = 30.0f;
    s.setEnd({term(17, kRelGreaterEqual, 0.0f, kJoinOr)});
    EXPECT_FALSE(s.pass());
    s.setEnd({term(255, kRelEqual, 0.0f, kJoinOr)});
    EXPECT_FALSE(s.pass());
    s.setEnd({term(kVarVoltage, 5, 0.0f, kJoinOr)});
    EXPECT_FALSE(s.pass());
    EXPECT_EQ(s.eval.voltageCounter(), 0);
    // Negated with OR to an unknown code: only the known term counts.
    s.state.variables[0] = 1;
    s.setEnd({term(200, kRelEqual, 0.0f, kJoinOr), term(kVarAux0, kRelEqual, 1.0f, kJoinOr)});
    EXPECT_TRUE(s.pass());
}

TEST(ConditionEvaluation, StepOutsideTheProcedureIsFalse)
{
    Station s;
    s.state.variables[0] = 1;
    s.setEnd({term(kVarAux0, kRelEqual, 1.0f, kJoinOr)}, 1);
    EXPECT_TRUE(s.eval.evaluateCondition(1, kEndCondition));
    EXPECT_FALSE(s.eval.evaluateCondition(2, kEndCondition));
    EXPECT_FALSE(s.eval.evaluateCondition(-1, kEndCondition));
    EXPECT_FALSE(s.eval.evaluateCondition(250, kEndCondition));
}

TEST(ConditionEvaluation, RelationsInRealArithmetic)
{
    const struct {
        std::uint8_t rel;
        float value;
        float threshold;
        bool holds;
    } cases[] = {
        {kRelEqual, 1.5f, 1.5f, true},     {kRelEqual, 1.5000001f, 1.5f, false}, {kRelLess, 1.0f, 2.0f, true},
        {kRelLess, 2.0f, 2.0f, false},     {kRelLessEqual, 2.0f, 2.0f, true},    {kRelGreater, 2.0f, 2.0f, false},
        {kRelGreater, -1.0f, -2.0f, true}, {kRelGreaterEqual, 2.0f, 2.0f, true}, {kRelGreaterEqual, 1.9f, 2.0f, false},
    };
    for (const auto& c : cases) {
        Station s;
        s.live.capacity = c.value; // capacity has no debounce
        s.setEnd({term(kVarCapacity, c.rel, c.threshold, kJoinOr)});
        EXPECT_EQ(s.pass(), c.holds) << int(c.rel) << " " << c.value << " " << c.threshold;
    }
}

TEST(ConditionEvaluation, EngineClearsCounters)
{
    Station s;
    s.setEnd({term(kVarVoltage, kRelGreater, 0.0f, kJoinOr), term(kVarCurrent, kRelGreater, 0.0f, kJoinOr),
              term(kVarDeltaCurrent, kRelGreater, 0.0f, kJoinOr)});
    s.live.batteryVoltage = 1.0f;
    s.live.current = 1.0f;
    s.live.deltaCurrent = 1.0f;
    for (int i = 0; i < 3; ++i)
        s.pass();
    s.eval.clearVoltageAndCurrentCounters();
    EXPECT_EQ(s.eval.voltageCounter(), 0);
    EXPECT_EQ(s.eval.currentCounter(), 0);
    EXPECT_EQ(s.eval.deltaCurrentCounter(), 3);
    s.eval.clearAllCounters();
    EXPECT_EQ(s.eval.deltaCurrentCounter(), 0);
}
