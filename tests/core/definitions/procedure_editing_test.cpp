// The editor's step operations, the step grid's row texts and the start preparation by names.
#include "core/definitions/procedure_editing.h"
#include "core/definitions/step_types.h"
#include "core/definitions/value_text.h"

#include <gtest/gtest.h>

using namespace kapsorel;

namespace {

ProcedureStep chargeStep()
{
    ProcedureStep s;
    s.type = 0;
    s.recordInterval = 60;
    s.value1 = parseValueText(2, "#U1").value;
    s.value2 = StepValue::number(2, 2.5f);
    s.printNumber = 1;
    s.reportNumber = 4;
    s.description = "Nabíjení";
    s.endCondition[0] = {1, 4, StepValue::number(2, 28.8f), 1, {}};
    return s;
}

} // namespace

TEST(StepGridRow, CellsByStepType)
{
    const StepGridRow row = stepGridRow(chargeStep(), 2, nullptr);
    EXPECT_EQ(row, (StepGridRow{"3", "60", "Nabíjení", "#U1", " 2,5", "", "U>=28,8 V ", "1", "4", "Nabíjení"}));

    BatteryType withoutU1;
    withoutU1.name = "Pb";
    EXPECT_EQ(stepGridRow(chargeStep(), 0, &withoutU1)[3], "???");

    ProcedureStep signal;
    signal.type = static_cast<std::uint8_t>(StepType::Signalling);
    signal.recordInterval = 30; // not shown for this type
    signal.value1 = StepValue::number(1, 10.0f);
    signal.text = "Hotovo";
    signal.endCondition[0] = {5, 3, StepValue::number(2, 0.0f), 1, {}}; // kept but not shown
    const StepGridRow s = stepGridRow(signal, 0, nullptr);
    EXPECT_EQ(s[1], "");
    EXPECT_EQ(s[3], "10");
    EXPECT_EQ(s[6], "Hotovo");
}

TEST(ProcedureSteps, AppendCopiesAndLimits)
{
    Procedure p;
    ASSERT_TRUE(appendStepCopies(p, 0, 0)); // an empty procedure gets one empty step
    ASSERT_EQ(p.steps.size(), 1u);
    p.steps[0] = chargeStep();
    p.steps.push_back(ProcedureStep{});
    ASSERT_TRUE(appendStepCopies(p, 0, 1));
    ASSERT_EQ(p.steps.size(), 4u);
    EXPECT_EQ(p.steps[2], p.steps[0]); // conditions and all
    EXPECT_FALSE(appendStepCopies(p, 2, 1));
    EXPECT_FALSE(appendStepCopies(p, 0, 9));

    p.steps.resize(199);
    EXPECT_TRUE(appendStepCopies(p, 0, 0));
    auto st = appendStepCopies(p, 0, 0);
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error(), "Postup může mít nejvýše 200 kroků");
    EXPECT_EQ(p.steps.size(), 200u);
}

TEST(ProcedureSteps, MoveAndRemove)
{
    Procedure p;
    p.steps.resize(3);
    for (int i = 0; i < 3; ++i)
        p.steps[static_cast<std::size_t>(i)].printNumber = static_cast<std::uint8_t>(i);
    EXPECT_FALSE(moveStepUp(p, 0));
    EXPECT_FALSE(moveStepDown(p, 2));
    EXPECT_TRUE(moveStepDown(p, 0));
    EXPECT_EQ(p.steps[1].printNumber, 0);
    EXPECT_TRUE(moveStepUp(p, 2));
    EXPECT_EQ(p.steps[1].printNumber, 2);
    removeStep(p, 0);
    ASSERT_EQ(p.steps.size(), 2u);
    EXPECT_EQ(p.steps[0].printNumber, 2);
    removeStep(p, 5);
    EXPECT_EQ(p.steps.size(), 2u);
}

TEST(ProcedureSteps, ChangingTheTypeEmptiesWhatItCannotEdit)
{
    ProcedureStep s = chargeStep();
    changeStepType(s, static_cast<std::uint8_t>(StepType::EndOfDischarge));
    EXPECT_EQ(s.type, 3);
    EXPECT_EQ(s.recordInterval, 0);
    EXPECT_EQ(s.value1, StepValue{});
    EXPECT_EQ(s.value2, StepValue{});
    EXPECT_EQ(s.endCondition[0].joiner, 1); // conditions stay

    ProcedureStep d = chargeStep();
    changeStepType(d, static_cast<std::uint8_t>(StepType::Discharge));
    EXPECT_EQ(d.recordInterval, 60);
    EXPECT_EQ(d.value1, StepValue{});
    EXPECT_EQ(d.value2.single(), 2.5f);
}
