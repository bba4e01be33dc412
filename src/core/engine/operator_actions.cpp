#include "core/engine/operator_actions.h"

#include "core/base/numbers.h"

namespace kapsorel {

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

void answer(SharedRunState& run, const RunProcedure& procedure, std::uint8_t code, bool ok)
{
    const std::uint8_t current = run.currentStep.load(relaxed);
    const RunStep& step = procedure.steps[current < kMaxSteps ? current : 0];
    const float target = ok ? step.value1 : step.value2;
    // The target first: whoever sees the answer (acquire) sees its target too.
    run.jumpTarget.store(static_cast<std::int16_t>(roundHalfEvenToInt(target) - 1), relaxed);
    run.questionAnswer.store(code, std::memory_order_release);
}

} // namespace

void answerQuestionOk(SharedRunState& run, const RunProcedure& procedure)
{
    answer(run, procedure, 1, true);
}

void answerQuestionEnd(SharedRunState& run, const RunProcedure& procedure)
{
    answer(run, procedure, 2, false);
}

bool alarmBannerClicked(LiveValues& live, PowerCommands& power)
{
    if (live.commFault.load(relaxed) != 0) {
        live.ledSeconds.store(0, relaxed);
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
