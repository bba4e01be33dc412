// A module's byte-addressed settings memory, read with "SR" and written with "SW", and the
// factory contents of the power module and the measurement module.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kapsorel::sim {

class SettingsMemory {
  public:
    static constexpr std::size_t kSize = 2048;

    SettingsMemory() : bytes_(kSize, 0) {}

    // The `length` bytes from `address`, or nothing when the range leaves the memory.
    std::optional<std::vector<std::uint8_t>> read(std::size_t address, std::size_t length) const;
    // Refused (false, nothing written) when the range leaves the memory.
    bool write(std::size_t address, std::span<const std::uint8_t> data);

  private:
    std::vector<std::uint8_t> bytes_;
};

// What a channel's ADC hardware does: a value v reads as raw v / constant - offset.
struct AdcTransfer {
    double offset = 0;
    double constant = 1;
};

// The hardware of `count` channels as the calibration records from `base` describe it: the
// factory calibration is exact.
std::vector<AdcTransfer> adcTransfers(const SettingsMemory& memory, std::size_t base, std::size_t count);

struct FactoryNetwork {
    std::string address; // the module's own dotted address
    std::uint16_t udpPort = 30305;
};

SettingsMemory powerFactoryMemory(const FactoryNetwork& network);
SettingsMemory measureFactoryMemory(const FactoryNetwork& network);

// Addresses of the blocks the program reads.
namespace address {
constexpr std::size_t kNetworkBlock = 53;
constexpr std::size_t kPortsBlock = 120;
constexpr std::size_t kAdcRecords = 200;
constexpr std::size_t kPowerSettingsBlock = 300;
constexpr std::size_t kSectionsBlock = 1000;
} // namespace address

} // namespace kapsorel::sim
