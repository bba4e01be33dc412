// The procedure resolved for one battery type, as the run engine executes it: plain
// numbers in place of variable references (built by PrepareRun).
#pragma once

#include "core/definitions/procedure.h"

#include <array>
#include <cstdint>
#include <string>

namespace kapsorel {

// A condition term with its threshold resolved; a term whose joiner is 0 has all fields 0.
struct RunConditionTerm {
    std::uint8_t variable = 0;
    std::uint8_t relation = 0;
    float threshold = 0.0f;
    std::uint8_t joiner = 0;

    bool operator==(const RunConditionTerm&) const = default;
};

using RunCondition = std::array<RunConditionTerm, kTermsPerCondition>;

struct RunStep {
    std::uint16_t recordInterval = 0;
    std::uint8_t type = 0;
    float value1 = 0.0f;
    float value2 = 0.0f;
    std::uint8_t printNumber = 0;  // "Tisk"
    std::uint8_t reportNumber = 0; // "Rep."
    std::string text;
    std::string description;
    RunCondition startCondition{};
    RunCondition endCondition{};

    const RunCondition& condition(int which) const { return which == kStartCondition ? startCondition : endCondition; }
    // A condition exists when its first term's joiner is not 0.
    bool hasCondition(int which) const { return condition(which)[0].joiner != 0; }

    bool operator==(const RunStep&) const = default;
};

struct RunProcedure {
    std::uint8_t stepCount = 0; // the first stepCount entries of steps are valid
    std::array<RunStep, kMaxSteps> steps{};
};

} // namespace kapsorel
