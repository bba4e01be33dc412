// The write guard: blocks must be known before they are written, and nothing is written while
// a test runs.
#include "core/service/write_guard.h"

#include <gtest/gtest.h>

namespace kapsorel {
namespace {

TEST(WriteGuard, ABlockIsWritableOnlyOnceReadOrLoaded)
{
    WriteGuard guard;
    EXPECT_FALSE(guard.allowWrite(blocks::kPowerSettings).ok());
    guard.markKnown(blocks::kPowerSettings);
    EXPECT_TRUE(guard.allowWrite(blocks::kPowerSettings).ok());
    EXPECT_FALSE(guard.allowWrite(blocks::kPowerModule).ok()) << "the rest of the module is still unknown";
    guard.markKnown(blocks::powerAdcRecord(2));
    EXPECT_FALSE(guard.allowWrite(blocks::kPowerAdcImage).ok()) << "one page's record is not the whole image";
    guard.markKnown(blocks::kPowerModule);
    EXPECT_TRUE(guard.allowWrite(blocks::kPowerModule).ok());
    EXPECT_FALSE(guard.allowWrite(blocks::cellRecord(22)).ok());
    guard.forget();
    EXPECT_FALSE(guard.allowWrite(blocks::kPowerSettings).ok());
}

TEST(WriteGuard, TheRefusalNamesTheFirstUnknownBlock)
{
    WriteGuard guard;
    guard.markKnown(blocks::kMeasureNetwork | blocks::kMeasurePorts);
    const auto refused = guard.allowWrite(blocks::kMeasureModule);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().find("kalibrace měřícího modulu, záznam 0"), std::string::npos) << refused.error();
}

TEST(WriteGate, EveryRunPhaseButIdleRefusesWrites)
{
    WriteGuard guard;
    guard.markKnown(blocks::kPowerModule);
    SharedRunState run;
    const WriteGate gate(run, guard);
    for (RunPhase phase : {RunPhase::Start, RunPhase::StepStart, RunPhase::StepRunning, RunPhase::RunEnd,
                           RunPhase::StepDone, RunPhase::ProcedureEnd, RunPhase::Abort}) {
        run.setPhase(phase);
        const auto refused = gate.allow(blocks::kPowerSettings);
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error(), kWriteDuringTestText);
        EXPECT_FALSE(gate.stillAllowed().ok());
    }
    run.setPhase(RunPhase::Idle);
    EXPECT_TRUE(gate.allow(blocks::kPowerSettings).ok());
}

} // namespace
} // namespace kapsorel
