// The fixed table of the eleven step types (SGKROK): names, the step grid's headers,
// editor kinds, editable flags, row colours and value maxima.
#pragma once

#include <array>
#include <cstdint>

namespace kapsorel {

enum class StepType : std::uint8_t {
    Charge = 0,         // "Nabíjení"
    Discharge = 1,      // "Vybíjení"
    EndOfCharge = 2,    // "Konec nab."
    EndOfDischarge = 3, // "Konec vyb."
    Signalling = 4,     // "Signalizace"
    Pause = 5,          // "Pauza"
    Choice = 6,         // "Volba"
    Jump = 7,           // "Krok"
    Variable = 8,       // "Promenna"
    VoltageCheck = 9,   // "Kontrola nap."
    End = 10,           // "Konec"
};

constexpr int kStepTypeCount = 11;

// What a step grid column 5 or 6 opens: the condition editor or plain text editing.
enum class ColumnKind : std::uint8_t { ConditionEditor, TextEditor };

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

// One step type. Kinds: 0 = value not used (stored with format 0), 1 = whole number
// with maximum, 2 = value whose rounded form has a maximum, 3 = value without maximum;
// the kind is also the default format code of a value typed into that column.
struct StepTypeRow {
    const char* name;
    const char* header1; // value 1 column ("" = empty header)
    const char* header2; // value 2 column
    const char* header5; // start condition column
    const char* header6; // end condition or text column
    ColumnKind column5;
    ColumnKind column6;
    bool intervalEditable;
    bool value1Editable;
    bool value2Editable;
    Rgb rowColour;
    std::uint8_t kind1;
    std::uint8_t kind2;
    float max1;
    float max2;

    // Only types whose column 6 is a condition column have an end condition.
    bool hasEndCondition() const { return column6 == ColumnKind::ConditionEditor; }
};

extern const std::array<StepTypeRow, kStepTypeCount> kStepTypes;

// True for the step types that keep a step text ("Signalizace" and "Volba").
bool stepTypeKeepsText(std::uint8_t type);

// The type's name, or "" for a code outside the table.
const char* stepTypeName(std::uint8_t type);

} // namespace kapsorel
