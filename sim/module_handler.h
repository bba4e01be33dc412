// What a simulated module does with the frames it receives: one answer frame per TCP request,
// and its status answer for the UDP status poll. Also the answer statuses the modules use.
#pragma once

#include "core/comm/module_frame.h"

#include <cstdint>
#include <optional>
#include <span>

namespace kapsorel::sim {

class SettingsMemory;

namespace answer_status {
constexpr std::uint8_t kOk = 0;
constexpr std::uint8_t kUnknownCommand = 2; // group/command letters the module does not know
constexpr std::uint8_t kBadPayload = 3;     // payload too short or values out of range
constexpr std::uint8_t kBadAddress = 4;     // settings memory range outside the memory
constexpr std::uint8_t kBadFrame = 5;       // start byte is not '#'
} // namespace answer_status

class ModuleHandler {
  public:
    virtual ~ModuleHandler() = default;
    virtual ModuleFrame answer(const FrameHeader& request, std::span<const std::uint8_t> payload) = 0;
    virtual ModuleFrame status() = 0;
};

// An answer echoing the request's letters, with the status and an empty payload.
ModuleFrame answerFrame(const FrameHeader& request, std::uint8_t status = answer_status::kOk);

// "SR" and "SW" over the settings memory; nothing for other commands.
std::optional<ModuleFrame> answerSettingsCommand(SettingsMemory& memory, const FrameHeader& request,
                                                 std::span<const std::uint8_t> payload);

} // namespace kapsorel::sim
