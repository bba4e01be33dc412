// The fixed table of the seventeen condition variables (T_PODMINKA) and the relation
// and joiner codes of a condition term.
#pragma once

#include <array>
#include <cstdint>

namespace kapsorel {

constexpr int kConditionVariableCount = 17;
constexpr std::uint8_t kVarTime = 0;        // "Doba"
constexpr std::uint8_t kVarVoltage = 1;     // "Napětí"
constexpr std::uint8_t kVarCurrent = 2;     // "Proud"
constexpr std::uint8_t kVarCapacity = 3;    // "Kapacita Ah"
constexpr std::uint8_t kVarCellVoltage = 4; // "Nap. článku"
constexpr std::uint8_t kVarAnswer = 5;      // "Volba tl."
constexpr std::uint8_t kVarAux0 = 6;        // "Pom. pr. 0" … code 15 "Pom. pr. 9"
constexpr std::uint8_t kVarAux9 = 15;
constexpr std::uint8_t kVarDeltaCurrent = 16; // "Delta pr."

struct ConditionVariableRow {
    const char* name;   // shown in the conditions window
    const char* symbol; // written by ConditionText
    const char* unit;   // appended to the value text ("" = none)
    std::uint8_t defaultFormat;
};

extern const std::array<ConditionVariableRow, kConditionVariableCount> kConditionVariables;

constexpr int kRelationCount = 5;
constexpr std::uint8_t kRelEqual = 0;
constexpr std::uint8_t kRelLess = 1;
constexpr std::uint8_t kRelLessEqual = 2;
constexpr std::uint8_t kRelGreater = 3;
constexpr std::uint8_t kRelGreaterEqual = 4;
extern const std::array<const char*, kRelationCount> kRelationSymbols; // "=", "<", "<=", ">", ">="

// Joiner of a term: 0 ends the condition (in the first term: condition not used),
// 1 = OR (first term: used), 2 = AND.
constexpr std::uint8_t kJoinEnd = 0;
constexpr std::uint8_t kJoinOr = 1;
constexpr std::uint8_t kJoinAnd = 2;

// Texts of the conditions window's joiner lists.
extern const std::array<const char*, 2> kFirstJoinerNames; // "nepoužívat", "používat"
extern const std::array<const char*, 3> kJoinerNames;      // "konec", "OR", "AND"

} // namespace kapsorel
