#include "core/definitions/step_types.h"

namespace kapsorel {

namespace {
constexpr auto C = ColumnKind::ConditionEditor;
constexpr auto T = ColumnKind::TextEditor;
} // namespace

// clang-format off
const std::array<StepTypeRow, kStepTypeCount> kStepTypes = {{
    {"Nabíjení", "Napětí[V]", "Proud[A]", "Podmínka před", "Podmínka ukončení", C, C, true, true, true,
     {0xBB, 0xDD, 0xFF}, 2, 2, 36.0f, 22.0f},
    {"Vybíjení", "", "Proud[A]", "Podmínka před", "Podmínka ukončení", C, C, true, false, true,
     {0xFF, 0xC1, 0xC1}, 2, 2, 0.0f, 60.0f},
    {"Konec nab.", "M. n.[V]", "", "Podmínka před", "Podmínka ukončení", C, C, false, true, false,
     {0xE1, 0xF0, 0xFF}, 3, 0, 0.0f, 0.0f},
    {"Konec vyb.", "", "", "Podmínka před", "Podmínka ukončení", C, C, false, false, false, {0xFF, 0xE1, 0xE1}, 0,
     0, 0.0f, 0.0f},
    {"Signalizace", "LED[s]", "Sir.[s]", "Podmínka před", "Text", C, T, false, true, true, {0xEB, 0xFF, 0xD7}, 1,
     1, 255.0f, 255.0f},
    {"Pauza", "", "", "Podmínka před", "Podmínka ukončení", C, C, true, false, false, {0xFF, 0xFF, 0xFF}, 0, 0,
     0.0f, 0.0f},
    {"Volba", "Krok OK", "Krok KO", "Podmínka před", "Text", C, T, false, true, true, {0xEB, 0xFF, 0xD7}, 1, 1,
     255.0f, 255.0f},
    {"Krok", "Abs.", "Rel.", "Podmínka před", "", C, T, false, true, true, {0xE8, 0xBF, 0xF7}, 1, 1, 255.0f,
     255.0f},
    {"Promenna", "Promenna", "Hodnota", "Podmínka před", "", C, T, false, true, true, {0xEB, 0xFF, 0xD7}, 1, 1,
     9.0f, 255.0f},
    {"Kontrola nap.", "Napětí[V]", "Promenna", "Podmínka před", "", C, T, false, true, true, {0xFD, 0xF8, 0xCE}, 3,
     1, 2.0f, 9.0f},
    {"Konec", "", "", "Podmínka před", "", C, T, false, false, false, {0xFF, 0x93, 0xFF}, 0, 0, 0.0f, 0.0f},
}};
// clang-format on

bool stepTypeKeepsText(std::uint8_t type)
{
    return type == static_cast<std::uint8_t>(StepType::Signalling) ||
           type == static_cast<std::uint8_t>(StepType::Choice);
}

const char* stepTypeName(std::uint8_t type)
{
    return type < kStepTypeCount ? kStepTypes[type].name : "";
}

} // namespace kapsorel
