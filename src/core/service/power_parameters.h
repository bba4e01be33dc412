// The two power module parameters of the program settings window: five bytes at settings
// address 336, the first source setting delay (byte) and the minimum voltage at the check
// (Single). The same bytes are the last two fields of the power module settings block (41
// bytes at 300) that the module settings window reads and writes.
#pragma once

#include "core/base/result.h"
#include "core/comm/module_link.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kapsorel {

constexpr std::uint16_t kPowerParametersAddress = 336;
constexpr std::uint8_t kPowerParametersLength = 5;
// The "SW" parameter byte of the parameters' write.
constexpr std::uint8_t kPowerParametersWriteParam = 1;

struct PowerParameters {
    std::uint8_t firstSourceDelaySeconds = 10; // "Doba prvního nastavení zdroje [s]"
    float checkMinVoltage = 0.5f;              // "Min. napětí při kontrole [V]"

    bool operator==(const PowerParameters&) const = default;
};

std::vector<std::uint8_t> encodePowerParameters(const PowerParameters& parameters);
// The first five bytes of a read's payload; fewer are refused.
Result<PowerParameters> decodePowerParameters(std::span<const std::uint8_t> payload);

// "SR" of the five bytes, the connection closed after the answer. Taken only when the module
// answered with status 0 and at least five bytes; otherwise the text to show.
Result<PowerParameters> readPowerParameters(ModuleLink& power);
// "SW" of the five bytes, the connection closed after the answer; a refusal (no answer or a
// status other than 0) comes back as the text to show.
Status writePowerParameters(ModuleLink& power, const PowerParameters& parameters);

} // namespace kapsorel
