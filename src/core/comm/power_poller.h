// TH_VYK's loop body: one status poll of the power module and what follows from it
// (live values, lost-module abort, error alarm, faults display).
#pragma once

#include "core/base/clock.h"
#include "core/comm/status_channel.h"
#include "core/comm/status_decoders.h"
#include "core/station/power_commands.h"
#include "core/station/station.h"
#include "core/station/ui_bridge.h"

#include <functional>

namespace kapsorel {

constexpr int kFailedPollsToAbort = 6;

class PowerPoller {
  public:
    PowerPoller(Station& station, StatusChannel& channel, PowerCommands& power, UiBridge& ui, Clock& clock,
                std::function<bool()> keepRunning);

    // One pass of the loop: request, wait up to 1000 ms, act on the answer or its absence.
    void pollOnce();
    // Releases the socket (the thread's last act before its ended flag).
    void release() { channel_.release(); }
    // Receive limit of one poll (1000 ms on the station; tests shorten it).
    void setReceiveLimitMs(int ms) { receiveLimitMs_ = ms; }

    int failedPolls() const { return failed_; }

  private:
    void onNoAnswer();
    void onAnswer();

    Station& station_;
    UiBridge& ui_;
    Clock& clock_;
    std::function<bool()> keepRunning_;
    StatusChannel& channel_;
    PowerCommands& power_;
    StatusBuffer buffer_{};
    int receiveLimitMs_ = kStatusReceiveLimitMs;
    int failed_ = 0;
};

} // namespace kapsorel
