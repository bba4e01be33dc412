// Runs an io_context until an asynchronous operation has finished or a time limit
// passes, calling an optional hook between short slices (a GUI thread passes one that
// repaints, so the window stays alive while it waits).
#pragma once

#include <asio.hpp>
#include <functional>

namespace kapsorel {

using WaitHook = std::function<void()>;

// Returns true when `done` became true within `limitMs`.
bool runUntil(asio::io_context& io, const bool& done, int limitMs, const WaitHook& hook = {});

// Lets every pending handler of `io` finish (after the sockets were closed or cancelled).
void drain(asio::io_context& io);

}  // namespace kapsorel
