// TH_SYNC's loop body: once a second the screen takes the new step mark and samples
// and redraws the live values (through the UI bridge), then the handshakes are released.
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
