// What the modules last reported (and what the commands last set): the station's
// shared snapshot of the hardware. Every field is an atomic of its width, so readers
// on other threads see each field either old or new; the 20 cells are written one by one.
#pragma once

#include "core/station/limits.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace kapsorel {

constexpr float kDeltaCurrentUnavailable = 1000.0f;

// commFault bits.
constexpr std::uint8_t kCommFaultMeasurement = 0x01;
constexpr std::uint8_t kCommFaultPower = 0x02;

// Every expected module counts as not answering until its first good poll: the power
// module alone for hardware kind nonzero, both modules otherwise.
constexpr std::uint8_t initialCommFault(std::uint8_t hardwareKind)
{
    return hardwareKind != 0 ? kCommFaultPower : static_cast<std::uint8_t>(kCommFaultPower | kCommFaultMeasurement);
}

struct LiveValues {
    std::atomic<float> batteryVoltage{0.0f};
    std::atomic<float> current{0.0f};
    std::atomic<float> capacity{0.0f};
    std::atomic<float> batteryTemperature{0.0f};
    std::atomic<float> moduleTemperature{0.0f};
    std::atomic<float> powerModuleVoltage{0.0f};
    std::atomic<float> sourceVoltage{0.0f};
    std::array<std::atomic<float>, kCellCount> cellVoltage{};
    std::atomic<float> deltaCurrent{0.0f};
    std::atomic<std::int16_t> headCode{-1};
    std::atomic<std::uint8_t> hardwareKind{0};
    std::atomic<std::uint8_t> powerSwVersion{0};
    std::atomic<std::uint8_t> errorType{0};
    std::atomic<std::uint8_t> lastAlarmedError{0};
    std::atomic<std::uint16_t> faultBits{0};
    std::atomic<std::uint16_t> shownFaultBits{0};
    std::atomic<std::uint8_t> commFault{3};
    std::atomic<std::uint8_t> ledSeconds{0};
    std::atomic<std::uint8_t> sirenSeconds{0};
    std::atomic<std::uint8_t> signalLatch{0};
    std::atomic<std::uint8_t> settleCountdown{0};
    std::atomic<std::uint8_t> chargingOn{0};
    std::atomic<std::uint8_t> dischargingOn{0};
    std::atomic<std::uint8_t> driveOn{0};
    std::atomic<std::uint8_t> diagramRedraw{0};

    // Program-start values for a station whose configured hardware kind is `hardwareKind`:
    // every expected module counts as not answering until its first good poll.
    void reset(std::uint8_t configuredKind);
};

} // namespace kapsorel
