// The modules' default ports.
#pragma once

#include <cstdint>

namespace kapsorel {

constexpr std::uint16_t kDefaultTcpPort = 9760;
constexpr std::uint16_t kDefaultUdpPort = 30305;

} // namespace kapsorel
