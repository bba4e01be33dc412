#include "core/engine/run_engine.h"

#include "core/base/atomic_order.h"
#include "core/base/numbers.h"
#include "core/definitions/step_types.h"

#include <cmath>

namespace kapsorel {

namespace {

constexpr int kStepPassMs = 100;
constexpr int kIdlePassMs = 1000;
constexpr int kWaitSliceMs = 50;
constexpr std::uint8_t kSettlePolls = 60;

std::int16_t roundToI16(float v)
{
    return static_cast<std::int16_t>(roundHalfEvenToInt(v));
}

} // namespace

std::uint8_t signalSeconds(float value)
{
    return static_cast<std::uint8_t>(roundHalfEvenToInt(value) & 0xFF);
}

RunEngine::RunEngine(Station& station, const RunProcedure& procedure, RunRecorder& recorder,
                     ConditionEvaluator& conditions, PowerCommands& power, UiBridge& ui, Clock& clock,
                     std::function<bool()> keepRunning)
    : station_(station), procedure_(procedure), recorder_(recorder), conditions_(conditions), power_(power), ui_(ui),
      clock_(clock), keepRunning_(std::move(keepRunning))
{
}

void RunEngine::report(const Status& st, const char* kind)
{
    if (st.ok() || !reported_.insert(kind).second)
        return;
    if (keepRunning_())
        ui_.showMessage(st.error());
}

void RunEngine::pass()
{
    if (inPhase(RunPhase::Start))
        start();
    if (inPhase(RunPhase::StepStart))
        stepStart();
    if (inPhase(RunPhase::StepRunning))
        stepRunning();
    if (inPhase(RunPhase::RunEnd))
        runEnd();
    if (inPhase(RunPhase::StepDone))
        stepDone();
    if (inPhase(RunPhase::ProcedureEnd))
        procedureEnd();
    if (inPhase(RunPhase::Abort))
        abortRun();
    if (inPhase(RunPhase::Idle))
        clock_.sleepMs(kIdlePassMs);
}

void RunEngine::start()
{
    reported_.clear();
    sampledAt_ = 0;
    station_.run.runStartTime.store(recorder_.testStart(), kRelaxed);
    station_.live.capacity.store(0.0f, kRelaxed);
    moveTo(RunPhase::Start, RunPhase::StepStart);
}

void RunEngine::stepStart()
{
    auto& run = station_.run;
    const std::uint8_t current = run.currentStep.load(kRelaxed);
    if (current >= procedure_.stepCount) {
        moveTo(RunPhase::StepStart, RunPhase::ProcedureEnd);
        return;
    }
    const RunStep& step = procedure_.steps[current];
    std::uint32_t resume = run.resumeSeconds.load(kRelaxed);
    DayTime stepStart = 0;
    bool continued = false;
    if (resume != 0) {
        // An interrupted step is continued with the start and the outcome of its start
        // condition that its result record keeps. A step that never started is started
        // afresh: it has no interruption of its own to exclude.
        const StoredStepStart stored = recorder_.storedStepStart(current);
        if (stored.start > 0) {
            continued = true;
            proceed_ = stored.performed;
            driveMode_ = DriveMode::Neither;
            stepStart = stored.start;
            run.stepStartTime.store(stepStart, kRelaxed);
        } else {
            resume = 0;
            run.resumeSeconds.store(0, kRelaxed);
        }
    }
    if (!continued) {
        stepStart = current == 0 ? run.runStartTime.load(kRelaxed) : clock_.now();
        run.stepStartTime.store(stepStart, kRelaxed);
        if (keepRunning_())
            ui_.statusText(std::to_string(current + 1) + " - " + stepTypeName(step.type));
        proceed_ = true;
        if (step.hasCondition(kStartCondition))
            proceed_ = conditions_.evaluateCondition(current, kStartCondition);
        while (run.stepMark.load(std::memory_order_acquire) != kNoStepMark && keepRunning_())
            clock_.sleepMs(kWaitSliceMs);
        report(recorder_.recordStepStart(proceed_), "start");
    }
    nextRecordTime_ = addSeconds(stepStart, resume);
    sampledAt_ = 0;
    run.recordCounter.store(0, kRelaxed);
    recordedStep_ = current;
    if (!moveTo(RunPhase::StepStart, RunPhase::StepRunning))
        return;
    if (proceed_)
        performAction(step);
}

void RunEngine::performAction(const RunStep& step)
{
    auto& live = station_.live;
    auto& run = station_.run;
    const std::uint32_t resume = run.resumeSeconds.load(kRelaxed);
    const std::uint8_t current = run.currentStep.load(kRelaxed);
    switch (static_cast<StepType>(step.type)) {
    case StepType::Charge:
        live.settleCountdown.store(kSettlePolls, kRelaxed);
        conditions_.clearAllCounters();
        integrating_ = true;
        if (driveMode_ == DriveMode::Charging) {
            power_.chargeSetPoints(step.value1, step.value2);
        } else {
            driveMode_ = DriveMode::Charging;
            if (resume == 0)
                live.capacity.store(0.0f, kRelaxed);
            lastIntegration_ = clock_.now();
            power_.charge(step.value1, step.value2);
        }
        break;
    case StepType::Discharge:
        conditions_.clearVoltageAndCurrentCounters();
        integrating_ = true;
        if (driveMode_ != DriveMode::Discharging) {
            driveMode_ = DriveMode::Discharging;
            if (resume == 0)
                live.capacity.store(0.0f, kRelaxed);
            lastIntegration_ = clock_.now();
        }
        power_.discharge(step.value2);
        break;
    case StepType::EndOfCharge:
    case StepType::EndOfDischarge:
        integrating_ = false;
        live.capacity.store(0.0f, kRelaxed);
        driveMode_ = DriveMode::Neither;
        power_.stop();
        break;
    case StepType::Signalling: {
        const std::uint8_t led = signalSeconds(step.value1);
        const std::uint8_t siren = signalSeconds(step.value2);
        live.signalLatch.store(1, kRelaxed);
        live.ledSeconds.store(led, kRelaxed);
        live.sirenSeconds.store(siren, kRelaxed);
        if (live.commFault.load(kRelaxed) == 0)
            power_.signal(led, siren);
        if (keepRunning_())
            ui_.signallingPrompt(step.text);
        break;
    }
    case StepType::Pause:
        break;
    case StepType::Choice:
        run.questionAnswer.store(0, kRelaxed);
        run.jumpTarget.store(-1, kRelaxed);
        if (keepRunning_())
            ui_.questionPrompt(step.text);
        break;
    case StepType::Jump: {
        const auto a = static_cast<std::int16_t>(roundToI16(step.value1) - 1);
        if (a > 0) {
            run.jumpTarget.store(a, kRelaxed);
        } else {
            const std::int16_t r = roundToI16(step.value2);
            if (r != 0)
                run.jumpTarget.store(static_cast<std::int16_t>(current + r), kRelaxed);
        }
        const std::int16_t target = run.jumpTarget.load(kRelaxed);
        if (target < 0 || target >= procedure_.stepCount) {
            run.jumpTarget.store(-1, kRelaxed);
            moveTo(RunPhase::StepRunning, RunPhase::RunEnd);
        }
        break;
    }
    case StepType::Variable: {
        const long long i = roundHalfEvenToInt(step.value1);
        if (i >= 0 && i < kAuxVariableCount) {
            run.variables[static_cast<std::size_t>(i)].store(
                static_cast<std::uint8_t>(roundHalfEvenToInt(step.value2) & 0xFF), kRelaxed);
            run.variablesChanged.store(1, kRelaxed);
        }
        break;
    }
    case StepType::VoltageCheck: {
        const long long i = roundHalfEvenToInt(step.value2);
        if (i >= 0 && i < kAuxVariableCount) {
            auto& var = run.variables[static_cast<std::size_t>(i)];
            var.store(0, kRelaxed);
            for (const auto& cell : live.cellVoltage) {
                if (!(cell.load(kRelaxed) > step.value1)) {
                    var.store(1, kRelaxed);
                    break;
                }
            }
        }
        break;
    }
    case StepType::End:
        run.jumpTarget.store(-1, kRelaxed);
        moveTo(RunPhase::StepRunning, RunPhase::ProcedureEnd);
        break;
    }
}

void RunEngine::stepRunning()
{
    auto& run = station_.run;
    auto& live = station_.live;
    const std::uint8_t current = run.currentStep.load(kRelaxed);
    if (current >= procedure_.stepCount) {
        moveTo(RunPhase::StepRunning, RunPhase::StepDone);
        return;
    }
    const RunStep& step = procedure_.steps[current];
    const DayTime now = clock_.now();
    run.conditionTime.store(now, kRelaxed);

    if (step.recordInterval > 0 && now > nextRecordTime_) {
        if (live.commFault.load(kRelaxed) == 0) {
            const Status written = recorder_.appendSample();
            if (written)
                sampledAt_ = now;
            report(written, "sample");
        }
        const std::uint32_t k = run.recordCounter.load(kRelaxed) + 1;
        run.recordCounter.store(k, kRelaxed);
        nextRecordTime_ =
            addSeconds(run.stepStartTime.load(kRelaxed), static_cast<double>(run.resumeSeconds.load(kRelaxed)) +
                                                             static_cast<double>(step.recordInterval) * k);
    }

    if (!step.hasCondition(kEndCondition) || conditions_.evaluateCondition(current, kEndCondition)) {
        const std::int16_t target = run.jumpTarget.load(kRelaxed);
        const auto next = static_cast<std::uint8_t>(target >= 0 ? (target & 0xFF) : current + 1);
        // An Abort that came first keeps the step as it is: the resume offers this step.
        if (!moveTo(RunPhase::StepRunning, RunPhase::StepDone))
            return;
        run.currentStep.store(next, kRelaxed);
        if (target >= 0)
            run.jumpTarget.store(-1, kRelaxed);
        return;
    }

    clock_.sleepMs(kStepPassMs);
    if (integrating_)
        integrate(clock_.now());
}

void RunEngine::integrate(DayTime t)
{
    auto& live = station_.live;
    const double capacity = live.capacity.load(kRelaxed);
    const double current = std::fabs(live.current.load(kRelaxed));
    live.capacity.store(static_cast<float>(capacity + current * (t - lastIntegration_) * 24.0), kRelaxed);
    lastIntegration_ = t;
}

void RunEngine::runEnd()
{
    auto& live = station_.live;
    driveMode_ = DriveMode::Neither;
    integrating_ = false;
    if (live.commFault.load(kRelaxed) == 0) {
        power_.stop();
        if (live.commFault.load(kRelaxed) == 0)
            power_.runIndicator(false);
    }
    live.chargingOn.store(0, kRelaxed);
    live.dischargingOn.store(0, kRelaxed);
    live.driveOn.store(0, kRelaxed);
    live.diagramRedraw.store(1, kRelaxed);
    if (keepRunning_())
        ui_.runEnded();
    // A resumed run reports its write failures afresh.
    reported_.clear();
    moveTo(RunPhase::RunEnd, RunPhase::Idle);
}

void RunEngine::stepDone()
{
    auto& run = station_.run;
    run.stepEndHandshake.store(1, kRelaxed);
    report(recorder_.recordStepEnd(recordedStep_, proceed_), "end");
    run.stepEndHandshake.store(0, kRelaxed);
    run.resumeSeconds.store(0, kRelaxed);
    moveTo(RunPhase::StepDone, RunPhase::StepStart);
}

void RunEngine::procedureEnd()
{
    power_.procedureEnd();
    report(recorder_.recordCompletion(), "completion");
    moveTo(RunPhase::ProcedureEnd, RunPhase::RunEnd);
}

void RunEngine::abortRun()
{
    // A stop that comes in the pass that wrote a sample, or before the next pass took a new
    // condition time, finds the last sample already written: only the marker follows.
    const DayTime conditionTime = station_.run.conditionTime.load(kRelaxed);
    const bool sampled = sampledAt_ > 0 && sampledAt_ == conditionTime;
    report(recorder_.recordInterruption(!sampled), "interruption");
    moveTo(RunPhase::Abort, RunPhase::RunEnd);
}

} // namespace kapsorel
