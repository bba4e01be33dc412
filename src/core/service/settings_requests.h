// The settings memory requests "SR" (read) and "SW" (write) and the other single exchanges of
// the settings window, with the checks of their answers: a read is taken only when the module
// answered with status 0 and exactly the bytes asked for; a write only counts when the module
// answered it with status 0. Failures come back as the text to show, naming the block.
#pragma once

#include "core/base/result.h"
#include "core/comm/module_link.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kapsorel {

constexpr std::uint8_t kKeepOpen = 0;
constexpr std::uint8_t kClose = 1;

// "SR": parameter byte 0, payload address (16-bit) and length (byte).
void fillReadRequest(ModuleFrame& frame, std::uint16_t address, std::uint8_t length);
// "SW": the block's parameter byte, payload address, length and the data bytes. False (the
// frame untouched) when the data do not fit the frame or a length byte.
bool fillWriteRequest(ModuleFrame& frame, std::uint16_t address, std::uint8_t param,
                      std::span<const std::uint8_t> data);

// Why an exchange gave no usable answer, as shown after the block's name.
std::string exchangeFailureText(ExchangeOutcome outcome);

// The answer of an "SR" of `length` bytes: its payload, or the text "Nenačteno: <block> – ...".
Result<std::vector<std::uint8_t>> checkReadAnswer(ExchangeOutcome outcome, const ModuleFrame& answer,
                                                  std::size_t length, std::string_view block);
// The answer of an "SW": ok, or the text "Nezapsáno: <block> – ...".
Status checkWriteAnswer(ExchangeOutcome outcome, const ModuleFrame& answer, std::string_view block);
// The answer of another command that must carry at least `minPayload` bytes.
Result<std::vector<std::uint8_t>> checkCommandAnswer(ExchangeOutcome outcome, const ModuleFrame& answer,
                                                     std::size_t minPayload, std::string_view what);

// One "SR" on an exchange that the caller holds.
Result<std::vector<std::uint8_t>> readSettings(ModuleExchange& exchange, std::uint16_t address, std::uint8_t length,
                                               std::uint8_t disconnectAfter, std::string_view block);
// One "SW" on an exchange that the caller holds.
Status writeSettings(ModuleExchange& exchange, std::uint16_t address, std::uint8_t param,
                     std::span<const std::uint8_t> data, std::uint8_t disconnectAfter, std::string_view block);

// A command with its parameter byte and payload, checked like checkCommandAnswer.
struct ModuleCommand {
    char group = 0;
    char command = 0;
    std::uint8_t param = 0;
    std::vector<std::uint8_t> payload;
    std::size_t answerPayload = 0; // bytes the answer must carry at least
};
Result<std::vector<std::uint8_t>> sendCommand(ModuleExchange& exchange, const ModuleCommand& command,
                                              std::uint8_t disconnectAfter, std::string_view what);

} // namespace kapsorel
