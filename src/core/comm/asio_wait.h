// Runs an io_context until an asynchronous operation has finished or a time limit passes.
#pragma once

#include <asio.hpp>

namespace kapsorel {

// Returns true when `done` became true within `limitMs`.
bool runUntil(asio::io_context& io, const bool& done, int limitMs);

// Lets every pending handler of `io` finish (after the sockets were closed or cancelled).
void drain(asio::io_context& io);

} // namespace kapsorel
