// What a TFTP transfer reported, kept for the firmware tests' checks; can cancel the transfer
// when a given progress is reached.
#pragma once

#include "core/comm/tftp_send.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

namespace kapsorel::test {

class RecordingEvents : public TftpSendEvents {
  public:
    void log(const std::string& line) override { lines.push_back(line); }
    void progressShown(bool shown) override { shownChanges.push_back(shown); }
    void progress(int percent) override
    {
        percents.push_back(percent);
        if (cancelAtPercent >= 0 && percent >= cancelAtPercent)
            cancel.store(true);
    }

    std::size_t count(const std::string& prefix) const
    {
        return static_cast<std::size_t>(
            std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
    }

    std::vector<std::string> lines;
    std::vector<bool> shownChanges;
    std::vector<int> percents;
    int cancelAtPercent = -1;
    std::atomic<bool> cancel{false};
};

// Short waits so that the tests of many attempts stay quick; the order of things is the same.
inline TftpTimings quickTimings()
{
    return {.requestReceiveMs = 40, .requestPauseMs = 10, .dataReceiveMs = 60};
}

} // namespace kapsorel::test
