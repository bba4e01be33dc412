// What the modules last reported (and what the commands last set): the station's
// shared snapshot of the hardware. Every field is an atomic of its width, so readers
// on other threads see each field either old or new; the 20 cells are written one by one.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "core/station/limits.h"

namespace kapsorel {

constexpr float kDeltaCurrentUnavailable = 1000.0f;

// CommFault bits.
constexpr std::uint8_t kCommFaultMeasurement = 0x01;
constexpr std::uint8_t kCommFaultPower = 0x02;

// Every expected module counts as not answering until its first good poll: the power
// module alone for hardware kind nonzero, both modules otherwise.
constexpr std::uint8_t initialCommFault(std::uint8_t hardwareKind)
{
    return hardwareKind != 0 ? kCommFaultPower : static_cast<std::uint8_t>(kCommFaultPower | kCommFaultMeasurement);
}

struct LiveValues {
    std::atomic<float> BatteryVoltage{0.0f};
    std::atomic<float> Current{0.0f};
    std::atomic<float> Capacity{0.0f};
    std::atomic<float> BatteryTemperature{0.0f};
    std::atomic<float> ModuleTemperature{0.0f};
    std::atomic<float> PowerModuleVoltage{0.0f};
    std::atomic<float> SourceVoltage{0.0f};
    std::array<std::atomic<float>, kCellCount> CellVoltage{};
    std::atomic<float> DeltaCurrent{0.0f};
    std::atomic<std::int16_t> HeadCode{-1};
    std::atomic<std::uint8_t> HardwareKind{0};
    std::atomic<std::uint8_t> PowerSwVersion{0};
    std::atomic<std::uint8_t> ErrorType{0};
    std::atomic<std::uint8_t> LastAlarmedError{0};
    std::atomic<std::uint16_t> FaultBits{0};
    std::atomic<std::uint16_t> ShownFaultBits{0};
    std::atomic<std::uint8_t> CommFault{3};
    std::atomic<std::uint8_t> LedSeconds{0};
    std::atomic<std::uint8_t> SirenSeconds{0};
    std::atomic<std::uint8_t> SignalLatch{0};
    std::atomic<std::uint8_t> SettleCountdown{0};
    std::atomic<std::uint8_t> ChargingOn{0};
    std::atomic<std::uint8_t> DischargingOn{0};
    std::atomic<std::uint8_t> DriveOn{0};
    std::atomic<std::uint8_t> DiagramRedraw{0};

    // Program-start values for a station whose configured hardware kind is `hardwareKind`:
    // every expected module counts as not answering until its first good poll.
    void reset(std::uint8_t hardwareKind);
};

}  // namespace kapsorel
