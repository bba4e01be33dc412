// A test procedure as the editor and the procedure files hold it: a note and up to
// 200 steps, each with two values, texts and a start and an end condition.
#pragma once

#include "core/definitions/step_value.h"
#include "core/station/limits.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kapsorel {

constexpr int kTermsPerCondition = 4;
constexpr std::size_t kConditionTermSize = 18;
constexpr std::size_t kProcedureStepSize = 291;
constexpr std::size_t kProcedureHeaderSize = 152; // count, note, 50 reserved bytes

// Text limits (characters) of the stored fields.
constexpr std::size_t kProcedureNameMax = 30;
constexpr std::size_t kNoteCapacity = 100;
constexpr std::size_t kNoteTyped = 96;
constexpr std::size_t kStepTextCapacity = 50;
constexpr std::size_t kDescriptionCapacity = 30;

// Which condition of a step: the start condition ("Podmínka před") or the end
// condition ("Podmínka ukončení").
constexpr int kStartCondition = 0;
constexpr int kEndCondition = 1;

// One 18-byte condition term.
struct ConditionTerm {
    std::uint8_t variable = 0; // condition variable code 0-16
    std::uint8_t relation = 0; // relation code 0-4
    StepValue value;
    std::uint8_t joiner = 0;              // 0 end / not used, 1 OR (first term: used), 2 AND
    std::array<std::uint8_t, 10> spare{}; // kept as read, no meaning

    bool operator==(const ConditionTerm&) const = default;
};

using Condition = std::array<ConditionTerm, kTermsPerCondition>;

// A condition is used when its first term's joiner is not 0.
inline bool conditionUsed(const Condition& c)
{
    return c[0].joiner != 0;
}

// One 291-byte step. The 50 reserved bytes at its end are not kept: they are written as zero.
struct ProcedureStep {
    std::uint16_t recordInterval = 0; // "Perioda", seconds; 0 = no samples
    std::uint8_t type = 0;            // step type code 0-10
    StepValue value1;
    StepValue value2;
    std::uint8_t printNumber = 0;  // "Tisk"
    std::uint8_t reportNumber = 0; // "Rep."
    std::string text;              // step text (UTF-8), at most 50 characters
    std::string description;       // "Popis" (UTF-8), at most 30 characters
    Condition startCondition{};
    Condition endCondition{};

    Condition& condition(int which) { return which == kStartCondition ? startCondition : endCondition; }
    const Condition& condition(int which) const { return which == kStartCondition ? startCondition : endCondition; }

    bool operator==(const ProcedureStep&) const = default;
};

// The editor's buffer: the note and the steps in execution order (the step count is
// steps.size()).
struct Procedure {
    std::string note; // "Poznámka" (UTF-8), at most 100 characters
    std::vector<ProcedureStep> steps;

    bool operator==(const Procedure&) const = default;
};

} // namespace kapsorel
