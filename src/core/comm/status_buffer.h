// The buffer a status poller receives a module's status answer into: shared by the UDP
// exchange (status_socket.h) and the decoders (status_decoders.h), which need no sockets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kapsorel {

constexpr std::size_t kStatusBufferSize = 128;

using StatusBuffer = std::array<std::uint8_t, kStatusBufferSize>;

} // namespace kapsorel
