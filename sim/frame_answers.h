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

// The raw reading that a channel's ADC hardware gives for `value`.
inline std::int16_t rawReading(const AdcTransfer& hardware, double value)
{
    const double raw = std::round(value / hardware.constant - hardware.offset);
    if (!std::isfinite(raw))
        return 0;
    return static_cast<std::int16_t>(std::clamp(raw, -32768.0, 32767.0));
}

// What the module reports for a raw reading through the calibration record at
// `recordAddress` of its settings memory: (raw + offset) x constant.
inline double calibratedReading(const SettingsMemory& memory, std::size_t recordAddress, std::int16_t raw)
{
    const auto record = memory.read(recordAddress, 8);
    if (!record)
        return 0;
    return (raw + le::getI16(*record, 2)) * static_cast<double>(le::getSingle(*record, 4));
}

// Answer of a channel reading: "MN" and "MC" give the calibrated value as a Single, "Mn",
// "Mz" and "Mc" the raw ADC reading of the channel's hardware.
inline void putChannelReading(ModuleFrame& f, const SettingsMemory& memory, std::size_t recordAddress,
                              const AdcTransfer& hardware, char command, double value)
{
    const std::int16_t raw = rawReading(hardware, value);
    if (command == 'N' || command == 'C')
        putAnswerSingle(f, static_cast<float>(calibratedReading(memory, recordAddress, raw)));
    else
        putAnswerU16(f, static_cast<std::uint16_t>(raw));
}

} // namespace kapsorel::sim
