// TH_MEA's loop body: one status poll of the measurement module into the live values
// (cells, battery voltage and temperature, head code), only while "NiCd" is selected.
#pragma once

#include "core/base/clock.h"
#include "core/comm/status_channel.h"
#include "core/comm/status_decoders.h"
#include "core/station/station.h"

namespace kapsorel {

class MeasurementPoller {
  public:
    MeasurementPoller(Station& station, StatusChannel& channel, Clock& clock);

    void pollOnce();
    void release() { channel_.release(); }
    // Receive limit of one poll (1000 ms on the station; tests shorten it).
    void setReceiveLimitMs(int ms) { receiveLimitMs_ = ms; }

  private:
    Station& station_;
    Clock& clock_;
    StatusChannel& channel_;
    StatusBuffer buffer_{};
    int receiveLimitMs_ = kStatusReceiveLimitMs;
};

} // namespace kapsorel
