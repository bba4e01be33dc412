// Evaluation of a running step's start or end condition against the live values and
// the shared run state, with the debounce counters of voltage, current and its change.
#pragma once

#include "core/base/atomic_order.h"
#include "core/definitions/run_procedure.h"
#include "core/station/live_values.h"
#include "core/station/run_state.h"

#include <atomic>
#include <cstdint>

namespace kapsorel {

constexpr std::uint8_t kVoltageDebounceLimit = 10;
constexpr std::uint8_t kCurrentDebounceLimit = 10;
constexpr std::uint8_t kDeltaCurrentDebounceLimit = 30;

// One per run engine (the counters belong to it, not to the process).
//
// Rules: while SettleCountdown is not 0 every condition is false and no counter moves.
// Terms are taken left to right without precedence; a term with joiner 0 ends the
// condition (it is still computed and may move its counter). "Napětí", "Proud" and
// "Delta pr." count as true only after 10, 10 and 30 consecutive holding evaluations
// per quantity (the 11th / 31st holds); a false term of that quantity resets its counter.
// A term with a variable code above 16 or a relation code above 4 never holds (it
// evaluates false and moves no counter). A step index beyond the step count is false.
class ConditionEvaluator {
  public:
    ConditionEvaluator(const RunProcedure& run, const LiveValues& live, const SharedRunState& state);

    // which: kStartCondition (0) or kEndCondition (1).
    bool evaluateCondition(int step, int which);

    // A charging step clears all three counters, a discharging step voltage and current.
    void clearAllCounters();
    void clearVoltageAndCurrentCounters();

    std::uint8_t voltageCounter() const { return voltage_.load(kRelaxed); }
    std::uint8_t currentCounter() const { return current_.load(kRelaxed); }
    std::uint8_t deltaCurrentCounter() const { return deltaCurrent_.load(kRelaxed); }

    // The value a condition variable stands for now (exposed for the displays and tests);
    // false in `known` for codes above 16.
    double quantity(std::uint8_t variable, bool& known) const;
    // Whole seconds of the current step: condition time − step start time, less the
    // resume seconds.
    double elapsedStepSeconds() const;

  private:
    bool debounce(std::atomic<std::uint8_t>& counter, std::uint8_t limit, bool holds);

    const RunProcedure& run_;
    const LiveValues& live_;
    const SharedRunState& state_;
    std::atomic<std::uint8_t> voltage_{0};
    std::atomic<std::uint8_t> current_{0};
    std::atomic<std::uint8_t> deltaCurrent_{0};
};

// value <relation> threshold in real arithmetic ("=" exact); false for relation codes above 4.
bool compareRelation(double value, std::uint8_t relation, double threshold);

} // namespace kapsorel
