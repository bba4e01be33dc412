#include "core/comm/asio_wait.h"

#include <chrono>

namespace kapsorel {

bool runUntil(asio::io_context& io, const bool& done, int limitMs)
{
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(limitMs);
    io.restart();
    while (!done) {
        const auto now = clock::now();
        if (now >= deadline)
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        io.run_for(left);
        if (io.stopped())
            io.restart();
    }
    return done;
}

void drain(asio::io_context& io)
{
    io.restart();
    io.run();
    io.restart();
}

} // namespace kapsorel
