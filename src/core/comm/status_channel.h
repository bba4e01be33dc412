// Where a poller gets its module's status from: one request and one answer per poll.
// The station polls over UDP; tests hand the pollers prepared answers.
#pragma once

#include "core/comm/module_link.h"
#include "core/comm/status_decoders.h"
#include "core/comm/status_socket.h"

#include <cstddef>

namespace kapsorel {

class StatusChannel {
  public:
    virtual ~StatusChannel() = default;
    // Sends the request held in the first bytes of `buffer` and waits at most `limitMs`
    // for the answer, which goes into `buffer` (`received` bytes of it).
    virtual PollOutcome poll(StatusBuffer& buffer, std::size_t& received, int limitMs) = 0;
    // Drops the connection; the next poll opens a new one.
    virtual void release() = 0;
};

// The module's UDP status port, at the address and port its link is configured with.
class UdpStatusChannel final : public StatusChannel {
  public:
    explicit UdpStatusChannel(const ModuleLink& link) : link_(link) {}

    PollOutcome poll(StatusBuffer& buffer, std::size_t& received, int limitMs) override
    {
        return socket_.poll(link_.address(), link_.udpPort(), buffer.data(), kFrameHeaderSize, buffer, received,
                            limitMs);
    }
    void release() override { socket_.release(); }

  private:
    const ModuleLink& link_;
    StatusSocket socket_;
};

} // namespace kapsorel
