// The run state that the engine, the main window, the resume and the power poller share.
// Plain atomics; state transitions go through transition() so an Abort set by another
// thread is never overwritten. RunState itself is the hand-over point: whoever starts or
// resumes a run prepares the procedure and the test file first and then sets the state
// with release order, and the engine reads it with acquire order before it reads them.
#pragma once

#include "core/base/atomic_order.h"
#include "core/base/day_time.h"
#include "core/station/limits.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace kapsorel {

enum class RunStateCode : std::uint8_t {
    Idle = 0,
    Start = 1,
    StepStart = 2,
    StepRunning = 3,
    RunEnd = 4,
    StepDone = 5,
    ProcedureEnd = 6,
    Abort = 7,
};

enum class StopReasonCode : std::uint8_t {
    None = 0,
    PowerModuleLost = 1,
    OperatorStop = 2,
    PowerModuleError = 3,
};

// `step mark` when no step start waits to be shown; steps go up to 199.
constexpr std::uint8_t kNoStepMark = 255;

struct SharedRunState {
    std::atomic<std::uint8_t> runState{0};
    std::atomic<std::uint8_t> stopReason{0};
    std::atomic<std::uint8_t> currentStep{0};
    std::atomic<DayTime> runStartTime{0.0};
    std::atomic<DayTime> stepStartTime{0.0};
    std::atomic<DayTime> conditionTime{0.0};
    std::atomic<std::uint32_t> recordCounter{0};
    std::atomic<std::uint32_t> resumeSeconds{0};
    std::atomic<std::uint32_t> totalInterruptionSeconds{0};
    std::atomic<std::int16_t> jumpTarget{-1};
    std::atomic<std::uint8_t> questionAnswer{0};
    std::array<std::atomic<std::uint8_t>, kAuxVariableCount> variables{};
    std::atomic<std::uint8_t> variablesChanged{0};
    std::atomic<std::uint8_t> stepMark{kNoStepMark};
    std::atomic<std::uint8_t> stepEndHandshake{0};
    std::atomic<std::uint8_t> newSample{0};

    RunStateCode state() const { return static_cast<RunStateCode>(runState.load(std::memory_order_acquire)); }
    bool runActive() const { return runState.load(std::memory_order_acquire) != 0; }

    // Moves from `from` to `to` only if the state is still `from`; false when another
    // thread changed it meanwhile (an Abort, say).
    bool transition(RunStateCode from, RunStateCode to)
    {
        auto expected = static_cast<std::uint8_t>(from);
        return runState.compare_exchange_strong(expected, static_cast<std::uint8_t>(to), std::memory_order_acq_rel);
    }

    // Aborts an active run with the reason unless an Abort is already set; returns
    // whether this call set it. The reason is in place before the state says Abort, so
    // the engine always records the right one; aborters take turns. A run in Procedure
    // end or Run end is past the point of interruption (its completion and archive copy
    // are under way, or the station is being switched off) and is not aborted.
    bool abort(StopReasonCode reason)
    {
        std::lock_guard guard(abortMutex_);
        const auto previous = stopReason.load(kRelaxed);
        auto cur = runState.load(std::memory_order_acquire);
        while (abortable(cur)) {
            stopReason.store(static_cast<std::uint8_t>(reason), std::memory_order_release);
            if (runState.compare_exchange_weak(cur, static_cast<std::uint8_t>(RunStateCode::Abort),
                                               std::memory_order_acq_rel))
                return true;
        }
        stopReason.store(previous, kRelaxed);
        return false;
    }

  private:
    static bool abortable(std::uint8_t state)
    {
        const auto s = static_cast<RunStateCode>(state);
        return s != RunStateCode::Idle && s != RunStateCode::Abort && s != RunStateCode::ProcedureEnd &&
               s != RunStateCode::RunEnd;
    }

    std::mutex abortMutex_;
};

} // namespace kapsorel
