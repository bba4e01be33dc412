#include "core/engine/condition_evaluator.h"

#include "core/base/atomic_order.h"
#include "core/base/day_time.h"
#include "core/definitions/condition_variables.h"

#include <cmath>
#include <cstdlib>

namespace kapsorel {

bool compareRelation(double value, std::uint8_t relation, double threshold)
{
    switch (relation) {
    case kRelEqual:
        return value == threshold;
    case kRelLess:
        return value < threshold;
    case kRelLessEqual:
        return value <= threshold;
    case kRelGreater:
        return value > threshold;
    case kRelGreaterEqual:
        return value >= threshold;
    default:
        return false;
    }
}

ConditionEvaluator::ConditionEvaluator(const RunProcedure& run, const LiveValues& live, const SharedRunState& state)
    : run_(run), live_(live), state_(state)
{
}

void ConditionEvaluator::clearAllCounters()
{
    voltage_.store(0, kRelaxed);
    current_.store(0, kRelaxed);
    deltaCurrent_.store(0, kRelaxed);
}

void ConditionEvaluator::clearVoltageAndCurrentCounters()
{
    voltage_.store(0, kRelaxed);
    current_.store(0, kRelaxed);
}

double ConditionEvaluator::elapsedStepSeconds() const
{
    // The absolute difference: a step start a moment after the condition time counts as
    // that moment. The display counts the same whole seconds (display_model.cpp).
    const long long whole =
        std::llabs(elapsedWholeSeconds(state_.stepStartTime.load(kRelaxed), state_.conditionTime.load(kRelaxed)));
    return static_cast<double>(whole) - static_cast<double>(state_.resumeSeconds.load(kRelaxed));
}

double ConditionEvaluator::quantity(std::uint8_t variable, bool& known) const
{
    known = true;
    switch (variable) {
    case kVarTime:
        return elapsedStepSeconds();
    case kVarVoltage:
        return live_.batteryVoltage.load(kRelaxed);
    case kVarCurrent:
        return live_.current.load(kRelaxed);
    case kVarCapacity:
        return live_.capacity.load(kRelaxed);
    case kVarCellVoltage: {
        float lowest = 100.0f;
        for (const auto& cell : live_.cellVoltage) {
            const float v = cell.load(kRelaxed);
            if (v < lowest)
                lowest = v;
        }
        return lowest;
    }
    case kVarAnswer:
        return state_.questionAnswer.load(std::memory_order_acquire);
    case kVarDeltaCurrent:
        return live_.deltaCurrent.load(kRelaxed);
    default:
        if (variable >= kVarAux0 && variable <= kVarAux9)
            return state_.variables[static_cast<std::size_t>(variable - kVarAux0)].load(kRelaxed);
        known = false;
        return 0.0;
    }
}

bool ConditionEvaluator::debounce(std::atomic<std::uint8_t>& counter, std::uint8_t limit, bool holds)
{
    if (!holds) {
        counter.store(0, kRelaxed);
        return false;
    }
    const std::uint8_t c = counter.load(kRelaxed);
    if (c < limit) {
        counter.store(static_cast<std::uint8_t>(c + 1), kRelaxed);
        return false;
    }
    return true;
}

bool ConditionEvaluator::evaluateCondition(int step, int which)
{
    if (live_.settleCountdown.load(kRelaxed) != 0)
        return false;
    if (step < 0 || step >= run_.stepCount || step >= kMaxSteps)
        return false;
    const RunCondition& condition = run_.steps[static_cast<std::size_t>(step)].condition(which);

    bool result = false;
    for (const RunConditionTerm& term : condition) {
        bool known = false;
        const double value = quantity(term.variable, known);
        bool holds = known && term.relation < kRelationCount &&
                     compareRelation(value, term.relation, static_cast<double>(term.threshold));
        if (known && term.relation < kRelationCount) {
            switch (term.variable) {
            case kVarVoltage:
                holds = debounce(voltage_, kVoltageDebounceLimit, holds);
                break;
            case kVarCurrent:
                holds = debounce(current_, kCurrentDebounceLimit, holds);
                break;
            case kVarDeltaCurrent:
                holds = debounce(deltaCurrent_, kDeltaCurrentDebounceLimit, holds);
                break;
            default:
                break;
            }
        }
        switch (term.joiner) {
        case kJoinEnd:
            return result;
        case kJoinOr:
            result = result || holds;
            break;
        case kJoinAnd:
            result = result && holds;
            break;
        default:
            break;
        }
    }
    return result;
}

} // namespace kapsorel
