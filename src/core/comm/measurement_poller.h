// TH_MEA's loop body: one status poll of the measurement module into the live values
// (cells, battery voltage and temperature, head code), only while "NiCd" is selected.
#pragma once

#include "core/app/station.h"
#include "core/base/clock.h"
#include "core/comm/status_decoders.h"
#include "core/comm/status_socket.h"

namespace kapsorel {

class MeasurementPoller {
public:
    MeasurementPoller(Station& station, Clock& clock);

    void pollOnce();
    void release() { socket_.release(); }
    // Receive limit of one poll (1000 ms on the station; tests shorten it).
    void setReceiveLimitMs(int ms) { receiveLimitMs_ = ms; }

private:
    Station& station_;
    Clock& clock_;
    StatusSocket socket_;
    StatusBuffer buffer_{};
    int receiveLimitMs_ = kStatusReceiveLimitMs;
};

}  // namespace kapsorel
