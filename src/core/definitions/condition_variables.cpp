#include "core/definitions/condition_variables.h"

namespace kapsorel {

const std::array<ConditionVariableRow, kConditionVariableCount> kConditionVariables = {{
    {"Doba", "T", "", 5},
    {"Napětí", "U", "V ", 2},
    {"Proud", "I", "A ", 2},
    {"Kapacita Ah", "C", "Ah ", 2},
    {"Nap. článku", "Ub", "V", 3},
    {"Volba tl.", "Tl", "", 1},
    {"Pom. pr. 0", "P0", "", 1},
    {"Pom. pr. 1", "P1", "", 1},
    {"Pom. pr. 2", "P2", "", 1},
    {"Pom. pr. 3", "P3", "", 1},
    {"Pom. pr. 4", "P4", "", 1},
    {"Pom. pr. 5", "P5", "", 1},
    {"Pom. pr. 6", "P6", "", 1},
    {"Pom. pr. 7", "P7", "", 1},
    {"Pom. pr. 8", "P8", "", 1},
    {"Pom. pr. 9", "P9", "", 1},
    {"Delta pr.", "dI", "A ", 2},
}};

const std::array<const char*, kRelationCount> kRelationSymbols = {"=", "<", "<=", ">", ">="};

const std::array<const char*, 2> kFirstJoinerNames = {"nepoužívat", "používat"};
const std::array<const char*, 3> kJoinerNames = {"konec", "OR", "AND"};

} // namespace kapsorel
