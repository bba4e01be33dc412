// Hand-built test file records for the records and record window tests: values are
// placed at their documented offsets directly, independent of the encoders under test.
#pragma once

#include "core/base/day_time.h"
#include "support/fixture_bytes.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kapsorel::test {

// A sample tail record of `version` (105 bytes for 4, 101 bytes without capacity before).
inline std::vector<std::uint8_t> sampleBytes(int version, double time, std::uint8_t step, float voltage, float current,
                                             float capacity, float temperature, float cell0 = 0.0f)
{
    std::vector<std::uint8_t> b(version >= 4 ? 105 : 101, 0);
    putF64(b, 0, time);
    putU8(b, 8, step);
    putF32(b, 9, voltage);
    putF32(b, 13, current);
    if (version >= 4) {
        putF32(b, 17, capacity);
        putF32(b, 21, temperature);
        putF32(b, 25, cell0);
    } else {
        putF32(b, 17, temperature);
        putF32(b, 21, cell0);
    }
    return b;
}

inline std::vector<std::uint8_t> markerBytes(int version, std::uint8_t reason)
{
    std::vector<std::uint8_t> b(version >= 4 ? 105 : 101, 0);
    putU8(b, 8, 254);
    putU8(b, 9, reason);
    return b;
}

inline std::vector<std::uint8_t> resumeBytes(double resumeTime, std::uint8_t step, double interruptionTime,
                                             std::uint8_t reason)
{
    std::vector<std::uint8_t> b(105, 0);
    putF64(b, 0, resumeTime);
    putU8(b, 8, 255);
    putU8(b, 9, step);
    putF64(b, 10, interruptionTime);
    putU8(b, 18, reason);
    return b;
}

// The fixed part of a file of `version` with N steps: header fields at their offsets,
// step i started at `start` + i seconds with status 12 and description "K<i>", and for
// versions 3 and later the reserved block, the count 10 and variables P[i] = i + 1.
inline std::vector<std::uint8_t> fixedPart(int version, std::uint8_t n, double start)
{
    const std::size_t stepsEnd = 199 + 145 * static_cast<std::size_t>(n);
    std::vector<std::uint8_t> b(version >= 3 ? stepsEnd + 23 : stepsEnd, 0);
    putU8(b, 0, static_cast<std::uint8_t>(version));
    putU8(b, 1, 2);
    putU8(b, 2, n);
    putF64(b, 5, start);
    putText(b, 13, "Nov\xE1k"); // "Novák"
    putText(b, 44, "Stanice 1");
    putText(b, 65, "A12");
    putText(b, 86, "NiCd 20");
    putText(b, 117, "Kapacitn\xED zkou\x9Aka"); // "Kapacitní zkouška"
    putText(b, 148, "pozn\xE1mka");             // "poznámka"
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t o = 199 + 145 * i;
        putF64(b, o, start + static_cast<double>(i) / 86400.0);
        putU8(b, o + 8, static_cast<std::uint8_t>(i % 11));
        putU8(b, o + 9, 12);
        putText(b, o + 104, "K" + std::to_string(i));
    }
    if (version >= 3) {
        putU8(b, stepsEnd + 12, 10);
        for (std::size_t i = 0; i < 10; ++i)
            putU8(b, stepsEnd + 13 + i, static_cast<std::uint8_t>(i + 1));
    }
    return b;
}

inline void append(std::vector<std::uint8_t>& file, const std::vector<std::uint8_t>& rec)
{
    file.insert(file.end(), rec.begin(), rec.end());
}

inline double dayTimeOf(int y, int mo, int d, int h, int mi, int s = 0)
{
    return toDayTime(LocalDateTime{y, mo, d, h, mi, s, 0});
}

inline double plusSeconds(double t, double s)
{
    return t + s / 86400.0;
}

} // namespace kapsorel::test
