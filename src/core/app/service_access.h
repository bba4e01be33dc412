// The user level of the main window: "Expert" and the hidden service sequence of four
// clicks on the circuit diagram that, completed before "Expert" is checked, gives the
// service level.
#pragma once

#include <cstdint>

namespace kapsorel {

enum class DiagramElement : std::uint8_t { Load, Source, DischargeSwitch, ChargeSwitch, Battery, Other };

class ServiceAccess {
  public:
    explicit ServiceAccess(std::uint8_t level = 0) : level_(level) {}

    // 0 operator, 1 expert, 2 service.
    std::uint8_t level() const { return level_; }
    // Clicks of the sequence made so far (0-4).
    int progress() const { return progress_; }

    // A click on a diagram element: the next one in its place advances the sequence, one
    // of the sequence's elements out of its place starts it again; other clicks change
    // nothing. Returns whether the sequence advanced (the version label then changes its grey).
    bool click(DiagramElement element);

    // "Expert" checked: service level when the sequence is complete (and it starts
    // again), expert level otherwise. Unchecked: operator level, sequence cleared.
    void setExpert(bool checked);

  private:
    std::uint8_t level_ = 0;
    int progress_ = 0;
};

} // namespace kapsorel
