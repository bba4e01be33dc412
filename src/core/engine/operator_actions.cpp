#include "core/engine/operator_actions.h"

#include "core/base/atomic_order.h"
#include "core/base/numbers.h"
#include "core/definitions/step_types.h"

namespace kapsorel {

namespace {

bool answer(SharedRunState& run, const RunProcedure& procedure, std::uint8_t code, bool ok)
{
    const std::uint8_t current = run.currentStep.load(kRelaxed);
    if (!run.runActive() || current >= procedure.stepCount || current >= kMaxSteps ||
        procedure.steps[current].type != static_cast<std::uint8_t>(StepType::Choice))
        return false;
    const RunStep& step = procedure.steps[current];
    const float target = ok ? step.value1 : step.value2;
    // The target first: whoever sees the answer (acquire) sees its target too.
    run.jumpTarget.store(static_cast<std::int16_t>(roundHalfEvenToInt(target) - 1), kRelaxed);
    run.questionAnswer.store(code, std::memory_order_release);
    return true;
}

} // namespace

bool answerQuestionOk(SharedRunState& run, const RunProcedure& procedure)
{
    return answer(run, procedure, 1, true);
}

bool answerQuestionEnd(SharedRunState& run, const RunProcedure& procedure)
{
    return answer(run, procedure, 2, false);
}

bool alarmBannerClicked(LiveValues& live, PowerCommands& power)
{
    if (live.commFault.load(kRelaxed) != 0) {
        live.ledSeconds.store(0, kRelaxed);
        return false;
    }
    power.signalAck();
    return true;
}

std::string temperatureSensorCheck(PowerCommands& power)
{
    const TemperatureCheck check = power.temperatureCheck();
    return check.answered && check.sensorFault ? "Porucha teplotního čidla" : "";
}

} // namespace kapsorel
