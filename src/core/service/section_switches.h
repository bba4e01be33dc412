// The load elements of the "  Sekce  " tab: which resistors and resistor banks are on (as
// the window switched them; never read back from the module), the masks a click sends, the
// resistance measured for the element last switched on and the sections block taken from
// the grids.
#pragma once

#include "core/base/result.h"
#include "core/service/power_service_requests.h"
#include "core/service/settings_blocks.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kapsorel {

// A row of one of the two grids: resistor r or bank r (from 1).
struct SectionRow {
    bool bank = false;
    std::size_t row = 0;
    bool operator==(const SectionRow&) const = default;
};

class SectionSwitches {
  public:
    // Element i is resistor i + 1 for i < resistors, else bank i - resistors + 1.
    static std::optional<SectionRow> rowOf(std::size_t element, std::size_t resistors, std::size_t banks);
    static std::optional<std::size_t> elementOf(const SectionRow& row, std::size_t resistors, std::size_t banks);

    bool on(std::size_t element) const { return element < kLoadElements && on_[element]; }
    std::uint32_t mask() const;
    bool anyOn() const { return mask() != 0; }

    // A click on an element's "FET" button: the masks to send, in order. Switching on
    // without `multi` first sends every element off (even when none was on), then the one.
    std::vector<std::uint32_t> click(std::size_t element, bool multi, std::size_t resistors, std::size_t banks);
    // "Vypni vše": the mask with every element off.
    std::uint32_t allOff();
    // The row of the element last switched on (none until one is).
    const std::optional<SectionRow>& lastSwitched() const { return last_; }

  private:
    std::array<bool, kLoadElements> on_{};
    std::optional<SectionRow> last_;
};

// The resistance measurement: U and I as read (none when the reading failed), the texts to
// show and the resistance kept for "Ulož" (0 when no resistance could be computed).
struct ResistanceResult {
    std::string voltageText;
    std::string currentText;
    std::string resistanceText; // "%6.2fOhm" or "ERR"
    float ohms = 0;
};
ResistanceResult resistanceFrom(std::optional<float> volts, std::optional<float> amperes);

// Where "Ulož" beside the result writes: the last switched element's row while that row is
// still in its grid, or the message why nothing is written.
Result<SectionRow> resistanceTarget(const std::optional<SectionRow>& last, std::size_t resistors, std::size_t banks);

// The block "Ulož" writes: the counts and, for each shown row, 1 / resistance (0 for 0); a
// row still showing the resistance of the block's conductance keeps that conductance exactly,
// and the rows beyond the counts keep the block's bytes.
SectionsBlock sectionsFromGrids(const SectionsBlock& previous, const std::vector<float>& resistorOhms,
                                const std::vector<float>& bankOhms);

} // namespace kapsorel
