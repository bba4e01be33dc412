// The run state that the engine, the main window, the resume and the power poller share.
// Plain atomics; the run phase and the stop reason are reached through typed accessors,
// and phase changes go through transition() so an Abort set by another thread is never
// overwritten. The phase itself is the hand-over point: whoever starts or resumes a run
// prepares the procedure and the test file first and then sets the phase (release order),
// and the engine reads it (acquire order) before it reads them.
#pragma once

#include "core/base/atomic_order.h"
#include "core/base/day_time.h"
#include "core/station/limits.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace kapsorel {

// The run engine's phase; the numbers are the state byte's values.
enum class RunPhase : std::uint8_t {
    Idle = 0,
    Start = 1,
    StepStart = 2,
    StepRunning = 3,
    RunEnd = 4,
    StepDone = 5,
    ProcedureEnd = 6,
    Abort = 7,
};

// Why the last run stopped; the numbers are the byte of the interruption marker.
enum class StopReason : std::uint8_t {
    None = 0,
    PowerModuleLost = 1,
    OperatorStop = 2,
    PowerModuleError = 3,
};

// `step mark` when no step start waits to be shown; steps go up to 199.
constexpr std::uint8_t kNoStepMark = 255;

struct SharedRunState {
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

    RunPhase phase() const { return static_cast<RunPhase>(phase_.load(std::memory_order_acquire)); }
    bool runActive() const { return phase() != RunPhase::Idle; }

    // Sets the phase whatever it was: only where no other thread can be changing it (a
    // start or resume from Idle, a test's setup). Every other change is a transition().
    void setPhase(RunPhase phase) { phase_.store(static_cast<std::uint8_t>(phase), std::memory_order_release); }

    // Hands the step mark, when one is set, to `take` (which adds the step's row) and only
    // then clears it, and only if it still holds the step handed over. The engine sets a
    // mark only while none is set, so each mark is handed over once and none is cleared
    // unseen. Returns whether a mark was handed over.
    template <class Take> bool takeStepMark(Take&& take)
    {
        std::uint8_t mark = stepMark.load(std::memory_order_acquire);
        if (mark == kNoStepMark)
            return false;
        take(mark);
        stepMark.compare_exchange_strong(mark, kNoStepMark, std::memory_order_acq_rel);
        return true;
    }

    // Moves from `from` to `to` only if the phase is still `from`; false when another
    // thread changed it meanwhile (an Abort, say).
    bool transition(RunPhase from, RunPhase to)
    {
        auto expected = static_cast<std::uint8_t>(from);
        return phase_.compare_exchange_strong(expected, static_cast<std::uint8_t>(to), std::memory_order_acq_rel);
    }

    StopReason stopReason() const { return static_cast<StopReason>(stopReason_.load(kRelaxed)); }
    void setStopReason(StopReason reason) { stopReason_.store(static_cast<std::uint8_t>(reason), kRelaxed); }
    // Reads the reason and clears it in one step.
    StopReason takeStopReason() { return static_cast<StopReason>(stopReason_.exchange(0, kRelaxed)); }

    // Aborts an active run with the reason unless an Abort is already set; returns
    // whether this call set it. The reason is in place before the phase says Abort, so
    // the engine always records the right one; aborters take turns. A run in Procedure
    // end or Run end is past the point of interruption (its completion and archive copy
    // are under way, or the station is being switched off) and is not aborted.
    bool abort(StopReason reason)
    {
        std::lock_guard guard(abortMutex_);
        const auto previous = stopReason_.load(kRelaxed);
        auto cur = phase_.load(std::memory_order_acquire);
        while (abortable(cur)) {
            stopReason_.store(static_cast<std::uint8_t>(reason), std::memory_order_release);
            if (phase_.compare_exchange_weak(cur, static_cast<std::uint8_t>(RunPhase::Abort),
                                             std::memory_order_acq_rel))
                return true;
        }
        stopReason_.store(previous, kRelaxed);
        return false;
    }

  private:
    static bool abortable(std::uint8_t phase)
    {
        const auto p = static_cast<RunPhase>(phase);
        return p != RunPhase::Idle && p != RunPhase::Abort && p != RunPhase::ProcedureEnd && p != RunPhase::RunEnd;
    }

    std::atomic<std::uint8_t> phase_{0};
    std::atomic<std::uint8_t> stopReason_{0};
    std::mutex abortMutex_;
};

} // namespace kapsorel
