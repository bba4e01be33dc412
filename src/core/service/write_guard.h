// Which settings blocks the window may write: a block goes to a module only once it was read
// from that module (or loaded from a settings file), so a write never sends the all-zero
// images of a window that has read nothing; and no write goes out while a test runs.
#pragma once

#include "core/base/result.h"
#include "core/station/run_state.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kapsorel {

// A set of settings blocks, one bit each.
using BlockSet = std::uint64_t;

namespace blocks {
constexpr BlockSet kPowerNetwork = 1ull << 0;
constexpr BlockSet kPowerPorts = 1ull << 1;
constexpr BlockSet kPowerSettings = 1ull << 2;
constexpr BlockSet kPowerSections = 1ull << 3;
constexpr unsigned kPowerAdcFirstBit = 4; // records 0-5, and bit 10 for record 6 and the spare bytes
constexpr BlockSet powerAdcRecord(std::size_t k)
{
    return 1ull << (kPowerAdcFirstBit + k);
}
constexpr BlockSet kPowerAdcSpare = 1ull << 10;
constexpr BlockSet kPowerAdcImage = (0x7Full << kPowerAdcFirstBit);
constexpr BlockSet kMeasureNetwork = 1ull << 11;
constexpr BlockSet kMeasurePorts = 1ull << 12;
constexpr unsigned kCellFirstBit = 13; // records 0-22
constexpr BlockSet cellRecord(std::size_t k)
{
    return 1ull << (kCellFirstBit + k);
}
constexpr BlockSet kCellTable = (0x7FFFFFull << kCellFirstBit);
// The measurement module's head type ("Typ hlavy"): known once read from the module.
constexpr BlockSet kMeasureHeadType = 1ull << 36;
constexpr BlockSet kPowerModule = kPowerNetwork | kPowerPorts | kPowerSettings | kPowerSections | kPowerAdcImage;
constexpr BlockSet kMeasureModule = kMeasureNetwork | kMeasurePorts | kCellTable;
} // namespace blocks

// The name of one block as the messages show it.
std::string blockName(BlockSet single);

// The message of a write refused while a test runs.
extern const char* const kWriteDuringTestText;

// The blocks known since the window was created. Written by the window's thread, read by the
// jobs that write: the set is one atomic.
class WriteGuard {
  public:
    // After a successful read from the module or a load from a settings file.
    void markKnown(BlockSet set) { known_.fetch_or(set, std::memory_order_relaxed); }
    bool known(BlockSet set) const { return (known_.load(std::memory_order_relaxed) & set) == set; }
    void forget() { known_.store(0, std::memory_order_relaxed); }

    // Ok when every block of `set` is known; else the message naming the first one that is not.
    Status allowWrite(BlockSet set) const;

  private:
    std::atomic<BlockSet> known_{0};
};

// What every write of the settings window passes: the run state (no write while a test runs)
// and the blocks known.
class WriteGate {
  public:
    WriteGate(const SharedRunState& run, const WriteGuard& guard) : run_(run), guard_(guard) {}

    // Before a series: no test runs and every block of `set` is known.
    Status allow(BlockSet set) const;
    // Before each write of a series: no test runs.
    Status stillAllowed() const;

  private:
    const SharedRunState& run_;
    const WriteGuard& guard_;
};

} // namespace kapsorel
