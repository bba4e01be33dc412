#include "core/station/run_state.h"

#include <gtest/gtest.h>

using namespace kapsorel;

namespace {

constexpr RunPhase kAllPhases[] = {RunPhase::Idle,   RunPhase::Start,    RunPhase::StepStart,    RunPhase::StepRunning,
                                   RunPhase::RunEnd, RunPhase::StepDone, RunPhase::ProcedureEnd, RunPhase::Abort};

} // namespace

TEST(SharedRunState, PhaseAndStopReasonKeepTheirByteValues)
{
    struct Case {
        RunPhase phase;
        int byte;
    };
    const Case phases[] = {{RunPhase::Idle, 0},         {RunPhase::Start, 1},  {RunPhase::StepStart, 2},
                           {RunPhase::StepRunning, 3},  {RunPhase::RunEnd, 4}, {RunPhase::StepDone, 5},
                           {RunPhase::ProcedureEnd, 6}, {RunPhase::Abort, 7}};
    SharedRunState run;
    EXPECT_EQ(run.phase(), RunPhase::Idle);
    EXPECT_EQ(run.stopReason(), StopReason::None);
    for (const Case& c : phases) {
        EXPECT_EQ(static_cast<int>(c.phase), c.byte);
        run.setPhase(c.phase);
        EXPECT_EQ(run.phase(), c.phase) << c.byte;
        EXPECT_EQ(run.runActive(), c.phase != RunPhase::Idle) << c.byte;
    }

    struct ReasonCase {
        StopReason reason;
        int byte;
    };
    const ReasonCase reasons[] = {{StopReason::None, 0},
                                  {StopReason::PowerModuleLost, 1},
                                  {StopReason::OperatorStop, 2},
                                  {StopReason::PowerModuleError, 3}};
    for (const ReasonCase& c : reasons) {
        EXPECT_EQ(static_cast<int>(c.reason), c.byte);
        run.setStopReason(c.reason);
        EXPECT_EQ(run.stopReason(), c.reason) << c.byte;
        EXPECT_EQ(run.takeStopReason(), c.reason) << c.byte;
        EXPECT_EQ(run.stopReason(), StopReason::None) << c.byte;
    }
}

TEST(SharedRunState, TransitionMovesOnlyFromTheExpectedPhase)
{
    for (RunPhase current : kAllPhases) {
        for (RunPhase from : kAllPhases) {
            SharedRunState run;
            run.setPhase(current);
            const bool moved = run.transition(from, RunPhase::StepDone);
            EXPECT_EQ(moved, from == current) << int(current) << " " << int(from);
            EXPECT_EQ(run.phase(), moved ? RunPhase::StepDone : current) << int(current) << " " << int(from);
        }
    }
}

TEST(SharedRunState, AbortOnlyInterruptsARunThatCanBeInterrupted)
{
    struct Case {
        RunPhase phase;
        bool aborts;
    };
    const Case cases[] = {{RunPhase::Idle, false},         {RunPhase::Start, true},   {RunPhase::StepStart, true},
                          {RunPhase::StepRunning, true},   {RunPhase::RunEnd, false}, {RunPhase::StepDone, true},
                          {RunPhase::ProcedureEnd, false}, {RunPhase::Abort, false}};
    for (const Case& c : cases) {
        SharedRunState run;
        run.setPhase(c.phase);
        run.setStopReason(StopReason::PowerModuleError);
        EXPECT_EQ(run.abort(StopReason::OperatorStop), c.aborts) << int(c.phase);
        EXPECT_EQ(run.phase(), c.aborts ? RunPhase::Abort : c.phase) << int(c.phase);
        EXPECT_EQ(run.stopReason(), c.aborts ? StopReason::OperatorStop : StopReason::PowerModuleError) << int(c.phase);
        // A second abort never overwrites the first one's reason.
        EXPECT_FALSE(run.abort(StopReason::PowerModuleLost)) << int(c.phase);
        EXPECT_EQ(run.stopReason(), c.aborts ? StopReason::OperatorStop : StopReason::PowerModuleError) << int(c.phase);
    }
}
