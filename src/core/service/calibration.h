// The two-point calibration of an ADC channel, the raw readings as the window shows them and
// the constant fields that keep a read constant's full precision.
#pragma once

#include "core/base/result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kapsorel {

// What every failed calibration shows.
extern const char* const kCalibrationErrorText; // "Error"

struct Calibration {
    std::int16_t offset = 0;
    float constant = 0;
    bool operator==(const Calibration&) const = default;
};

// From two raw readings and their reference values: span = vMax - vMin and constant =
// span / (rawMax - rawMin) as Singles, offset = vMin / constant - rawMin rounded half to
// even. "Error" for a zero span, equal readings, a zero or non-finite constant, and an
// offset that does not fit 16 bits; then nothing is to change.
Result<Calibration> twoPointCalibration(std::int16_t rawMin, std::int16_t rawMax, double vMin, double vMax);

// The raw reading a label or cell holds, taken as its low 16 bits, signed.
std::int16_t rawFromShown(long long shown);
// "Mz" readings are shown unsigned: -1 shows 65535.
std::string unsignedRawText(std::int16_t raw);
// "Mn" and "Mc" readings are shown signed.
std::string signedRawText(std::int16_t raw);

// A constant field: shown with `decimals` decimals, and while its text is still what was
// shown for `kept`, the save takes `kept` with all its digits instead of the shorter text.
std::string constantText(float constant, int decimals);
// The constant for a save: `kept` while the text is unchanged, else the typed number; nothing
// when the text is no finite number.
Result<float> constantFromField(std::string_view text, float kept, int decimals);

} // namespace kapsorel
