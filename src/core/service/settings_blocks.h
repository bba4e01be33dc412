// The modules' settings images that the settings window reads with "SR" and writes with "SW":
// byte-exact working copies of the blocks of a module's settings memory, decoded and encoded
// field by field. Every block keeps the bytes it does not interpret, so a write sends back
// what the last read brought.
#pragma once

#include "core/base/result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kapsorel {

// Where a block lies in a module's settings memory, how much a read and a write carry, and
// the "SW" parameter byte of its write.
struct BlockPlace {
    std::uint16_t address = 0;
    std::uint8_t readLength = 0;
    std::uint8_t writeLength = 0;
    std::uint8_t writeParam = 0;
};

using Octets = std::array<std::uint8_t, 4>;

// The module's network settings (35 bytes at 53, the same layout in both modules).
struct NetworkBlock {
    static constexpr std::size_t kSize = 35;
    static constexpr std::uint16_t kAddress = 53;

    Octets address{};
    Octets mask{};
    Octets gateway{};
    Octets dns1{};
    Octets dns2{};
    Octets addressAgain{}; // written as `address`, never shown
    Octets maskAgain{};    // written as `mask`, never shown
    std::array<std::uint8_t, 7> spare{};

    static Result<NetworkBlock> decode(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> encode() const;
    bool operator==(const NetworkBlock&) const = default;
};

// The user name and the second ports (23 bytes at 120; a write sends the first 13).
struct PortsBlock {
    static constexpr std::size_t kSize = 23;
    static constexpr std::size_t kWrittenSize = 13;
    static constexpr std::uint16_t kAddress = 120;
    static constexpr std::size_t kUserCapacity = 9;

    std::array<std::uint8_t, kUserCapacity> user{}; // 8-bit characters, zero-terminated when shorter
    std::uint16_t tcpPort2 = 0;
    std::uint16_t udpPort1 = 0;
    std::uint16_t udpPort2 = 0; // shown, never written
    std::array<std::uint8_t, 8> spare{};

    static Result<PortsBlock> decode(std::span<const std::uint8_t> bytes);
    // All 23 bytes, as a settings file keeps them.
    std::vector<std::uint8_t> encode() const;
    // The 13 bytes a write sends.
    std::vector<std::uint8_t> encodeWritten() const;
    bool operator==(const PortsBlock&) const = default;
};

// The power module's regulation and protection settings (41 bytes at 300).
struct PowerSettingsBlock {
    static constexpr std::size_t kSize = 41;
    static constexpr std::uint16_t kAddress = 300;

    float dischargeCurrentDiff = 0; // pdiff_pr
    float fetCurrentMax = 0;        // pfet_cur
    std::uint8_t sourceI2cAddress = 0;
    std::uint8_t fanConfig = 0;
    std::uint16_t fanRunOnSeconds = 0;
    float chargeCurrentDiff = 0; // pdiff_zd
    float voltageDiff = 0;       // pdiff_nap
    float maxTemperature = 0;
    float insulationMinKohm = 0;
    float dividerKohm = 0;
    float dacConstant = 0;
    std::uint8_t firstSourceDelaySeconds = 0;
    float checkMinVoltage = 0;

    static Result<PowerSettingsBlock> decode(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> encode() const;
    bool operator==(const PowerSettingsBlock&) const = default;
};

// The power module's load resistors and resistor banks (74 bytes at 1000), kept as
// conductances in siemens.
struct SectionsBlock {
    static constexpr std::size_t kSize = 74;
    static constexpr std::uint16_t kAddress = 1000;
    static constexpr std::size_t kResistors = 10;
    static constexpr std::size_t kBanks = 8;
    // The counts the window takes: one resistor and one bank of the block stay unused.
    static constexpr std::size_t kMaxResistorCount = 9;
    static constexpr std::size_t kMaxBankCount = 7;

    std::uint8_t resistorCount = 0;
    std::uint8_t bankCount = 0;
    std::array<float, kResistors> resistors{};
    std::array<float, kBanks> banks{};

    static Result<SectionsBlock> decode(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> encode() const;
    bool operator==(const SectionsBlock&) const = default;
};

// Resistance shown for a stored conductance and the conductance stored for a typed
// resistance: 1 / x, and 0 for 0.
float resistanceFromConductance(float siemens);
float conductanceFromResistance(float ohms);

namespace place {
// Power module.
constexpr BlockPlace kPowerNetwork{NetworkBlock::kAddress, NetworkBlock::kSize, NetworkBlock::kSize, 2};
constexpr BlockPlace kPowerPorts{PortsBlock::kAddress, PortsBlock::kSize, PortsBlock::kWrittenSize, 0};
constexpr BlockPlace kPowerSettings{PowerSettingsBlock::kAddress, PowerSettingsBlock::kSize, PowerSettingsBlock::kSize,
                                    1};
constexpr BlockPlace kPowerSections{SectionsBlock::kAddress, SectionsBlock::kSize, SectionsBlock::kSize, 0};
// Measurement module.
constexpr BlockPlace kMeasureNetwork{NetworkBlock::kAddress, NetworkBlock::kSize, NetworkBlock::kSize, 0};
constexpr BlockPlace kMeasurePorts{PortsBlock::kAddress, PortsBlock::kSize, PortsBlock::kWrittenSize, 0};
} // namespace place

} // namespace kapsorel
