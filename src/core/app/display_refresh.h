// TH_SYNC's loop body: once a second the screen redraws the live values and takes the new
// samples, then the row of a newly started step (through the UI bridge); the handshakes
// are released after the screen has taken what they hand over.
#pragma once

#include "core/base/clock.h"
#include "core/station/station.h"
#include "core/station/ui_bridge.h"

#include <functional>

namespace kapsorel {

class DisplayRefresh {
  public:
    DisplayRefresh(Station& station, UiBridge& ui, Clock& clock, std::function<bool()> keepRunning);

    void pass();

  private:
    Station& station_;
    UiBridge& ui_;
    Clock& clock_;
    std::function<bool()> keepRunning_;
};

} // namespace kapsorel
