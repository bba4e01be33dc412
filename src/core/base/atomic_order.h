// The memory order of values shared between threads without a lock (live values, run
// state bytes, handshake bytes): each is written in one piece and read on its own, so
// relaxed order is enough. Hand-over points that publish other data say acquire/release
// where they are.
#pragma once

#include <atomic>

namespace kapsorel {

inline constexpr auto kRelaxed = std::memory_order_relaxed;

} // namespace kapsorel
