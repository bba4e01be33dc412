// Small helpers the simulated modules share to read request payloads and fill answers.
#pragma once

#include "core/base/bytes.h"
#include "core/comm/module_frame.h"
#include "settings_memory.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

namespace kapsorel::sim {

constexpr int commandKey(char group, char command)
{
    return (static_cast<unsigned char>(group) << 8) | static_cast<unsigned char>(command);
}

inline bool usableSingle(float v)
{
    return std::isfinite(v) && v >= 0.0f;
}

inline void putAnswerSingle(ModuleFrame& f, float v)
{
    f.putSingle(0, v);
    f.setPayloadLength(4);
}

inline void putAnswerU8(ModuleFrame& f, std::uint8_t v)
{
    f.putU8(0, v);
    f.setPayloadLength(1);
}

inline void putAnswerU16(ModuleFrame& f, std::uint16_t v)
{
    f.putU16(0, v);
    f.setPayloadLength(2);
}

// The raw ADC reading that the calibration record at `recordAddress` turns into `value`:
// (raw + offset) x constant = value.
inline std::int16_t rawReading(const SettingsMemory& memory, std::size_t recordAddress, double value)
{
    const auto record = memory.read(recordAddress, 8);
    if (!record)
        return 0;
    const double offset = le::getI16(*record, 2);
    const double constant = le::getSingle(*record, 4);
    if (!std::isfinite(constant) || constant == 0.0)
        return 0;
    const double raw = std::round(value / constant - offset);
    return static_cast<std::int16_t>(std::clamp(raw, -32768.0, 32767.0));
}

// Answer of a channel reading: "MN" gives the value as a Single, "Mn" and "Mz" the raw
// ADC reading of the channel's calibration record.
inline void putChannelReading(ModuleFrame& f, const SettingsMemory& memory, std::size_t adcRecords, char command,
                              std::uint8_t channel, double value)
{
    if (command == 'N')
        putAnswerSingle(f, static_cast<float>(value));
    else
        putAnswerU16(f, static_cast<std::uint16_t>(rawReading(memory, adcRecords + 8u * channel, value)));
}

} // namespace kapsorel::sim
