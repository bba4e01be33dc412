#include "core/app/start_workflow.h"

#include "core/base/atomic_order.h"

namespace kapsorel {

namespace {

StartOutcome fromTestStart(const BatteryTestStartOutcome& o)
{
    return StartOutcome{o.started, false, o.messages};
}

} // namespace

bool StartWorkflow::begin(Kind kind, StartPlan plan)
{
    if (runtime_.station().run.runActive())
        return false;
    bool idle = false;
    if (!starting_.compare_exchange_strong(idle, true, std::memory_order_acq_rel))
        return false;
    std::lock_guard lock(planMutex_);
    kind_ = kind;
    plan_ = std::move(plan);
    return true;
}

bool StartWorkflow::beginStart(StartPlan plan)
{
    return begin(Kind::Start, std::move(plan));
}

bool StartWorkflow::beginResume(StartPlan plan, std::uint8_t step)
{
    if (!begin(Kind::Resume, std::move(plan)))
        return false;
    std::lock_guard lock(planMutex_);
    resumeStep_ = step;
    return true;
}

bool StartWorkflow::beginManual(StartPlan plan, const ManualRun& manual)
{
    if (!begin(Kind::Manual, std::move(plan)))
        return false;
    std::lock_guard lock(planMutex_);
    manual_ = manual;
    return true;
}

std::string StartWorkflow::runChecks()
{
    return startChecks(runtime_.station(), runtime_.powerCommands());
}

bool StartWorkflow::asksToResume() const
{
    return runtime_.station().run.stopReason() != StopReason::None;
}

StartOutcome StartWorkflow::startNew(const StartPlan& plan)
{
    if (runtime_.station().run.runActive())
        return StartOutcome{false, false, {kRunAlreadyActive}};
    if (Status resolved =
            resolveProcedure(runtime_, plan.types, plan.request.procedureNumber, plan.request.batteryIndex);
        !resolved)
        return StartOutcome{false, false, {resolved.error()}};
    return fromTestStart(startNewTest(runtime_, plan.types, plan.request));
}

StartOutcome StartWorkflow::resumeAt(const StartPlan& plan, std::uint8_t step)
{
    auto& run = runtime_.station().run;
    if (run.runActive())
        return StartOutcome{false, false, {kRunAlreadyActive}};
    // The reason stays in place until the resume went ahead: one that cannot leaves the
    // test interrupted, so the next Start offers it again.
    const StopReason stopReason = run.takeStopReason();
    const Status resumed = resumeTest(runtime_, plan.types, plan.procedures, step);
    if (!resumed) {
        if (!run.runActive())
            run.setStopReason(stopReason);
        return StartOutcome{false, false, {resumed.error()}};
    }
    return StartOutcome{true, true, {}};
}

StartOutcome StartWorkflow::runStart(ResumeAnswer answer)
{
    StartPlan plan;
    {
        std::lock_guard lock(planMutex_);
        plan = plan_;
    }
    auto& run = runtime_.station().run;
    // "Ne": a new test; the old file keeps its interruption marker. The reason is cleared
    // when the new run starts, so a start that fails still offers the old test next time.
    if (run.stopReason() == StopReason::None || answer == ResumeAnswer::NewTest)
        return startNew(plan);
    if (answer == ResumeAnswer::Cancel)
        return {};
    return resumeAt(plan, runtime_.testFile().interruptedStep().value_or(run.currentStep.load(kRelaxed)));
}

StartOutcome StartWorkflow::runResume()
{
    StartPlan plan;
    std::uint8_t step = 0;
    {
        std::lock_guard lock(planMutex_);
        plan = plan_;
        step = resumeStep_;
    }
    return resumeAt(plan, step);
}

StartOutcome StartWorkflow::runManual()
{
    StartPlan plan;
    ManualRun manual;
    {
        std::lock_guard lock(planMutex_);
        plan = plan_;
        manual = manual_;
    }
    return fromTestStart(startManualTest(runtime_, plan.types, manual, plan.request));
}

void StartWorkflow::finish()
{
    starting_.store(false, std::memory_order_release);
}

bool StartWorkflow::stop()
{
    return runtime_.station().run.abort(StopReason::OperatorStop);
}

StartOutcome StartWorkflow::startNow(StartPlan plan, const std::function<ResumeAnswer()>& answer)
{
    if (!beginStart(std::move(plan)))
        return StartOutcome{false, false, {kRunAlreadyActive}};
    StartOutcome out;
    if (std::string m = runChecks(); !m.empty())
        out.messages.push_back(std::move(m));
    const ResumeAnswer a = asksToResume() && answer ? answer() : ResumeAnswer::NewTest;
    StartOutcome started = runStart(a);
    out.started = started.started;
    out.resumed = started.resumed;
    out.messages.insert(out.messages.end(), started.messages.begin(), started.messages.end());
    finish();
    return out;
}

StartOutcome StartWorkflow::resumeNow(StartPlan plan, std::uint8_t step)
{
    if (!beginResume(std::move(plan), step))
        return StartOutcome{false, false, {kRunAlreadyActive}};
    StartOutcome out = runResume();
    finish();
    return out;
}

StartOutcome StartWorkflow::manualNow(StartPlan plan, const ManualRun& manual)
{
    if (!beginManual(std::move(plan), manual))
        return StartOutcome{false, false, {kRunAlreadyActive}};
    StartOutcome out = runManual();
    finish();
    return out;
}

} // namespace kapsorel
