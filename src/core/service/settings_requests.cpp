// Filling and checking the settings memory requests and the settings window's other commands.
#include "core/service/settings_requests.h"

#include <algorithm>

namespace kapsorel {

namespace {

std::string readFailure(std::string_view block, const std::string& why)
{
    return "Nenačteno: " + std::string(block) + " – " + why;
}

std::string writeFailure(std::string_view block, const std::string& why)
{
    return "Nezapsáno: " + std::string(block) + " – " + why;
}

std::string statusText(std::uint8_t status)
{
    return "modul hlásí chybu " + std::to_string(status);
}

std::vector<std::uint8_t> payloadOf(const ModuleFrame& answer)
{
    const auto payload = answer.payload().first(std::min<std::size_t>(answer.payloadLength(), kFramePayloadCapacity));
    return {payload.begin(), payload.end()};
}

} // namespace

void fillReadRequest(ModuleFrame& frame, std::uint16_t address, std::uint8_t length)
{
    frame.setCommand('S', 'R');
    frame.setParam(0);
    frame.putU16(0, address);
    frame.putU8(2, length);
    frame.setPayloadLength(3);
}

bool fillWriteRequest(ModuleFrame& frame, std::uint16_t address, std::uint8_t param, std::span<const std::uint8_t> data)
{
    if (data.size() > 255 || data.size() + 3 > kFramePayloadCapacity)
        return false;
    frame.setCommand('S', 'W');
    frame.setParam(param);
    frame.putU16(0, address);
    frame.putU8(2, static_cast<std::uint8_t>(data.size()));
    std::copy(data.begin(), data.end(), frame.payload().begin() + 3);
    frame.setPayloadLength(static_cast<std::uint16_t>(data.size() + 3));
    return true;
}

std::string exchangeFailureText(ExchangeOutcome outcome)
{
    switch (outcome) {
    case ExchangeOutcome::Answered:
        return "bez chyby";
    case ExchangeOutcome::NoAddress:
        return "chybí adresa modulu";
    case ExchangeOutcome::NotConnected:
        return "modul není připojen";
    case ExchangeOutcome::WriteFailed:
        return "příkaz nelze odeslat";
    case ExchangeOutcome::ReadFailed:
        return "modul neodpověděl";
    case ExchangeOutcome::AnswerTooLong:
        return "odpověď modulu je příliš dlouhá";
    }
    return "neznámá chyba";
}

Result<std::vector<std::uint8_t>> checkReadAnswer(ExchangeOutcome outcome, const ModuleFrame& answer,
                                                  std::size_t length, std::string_view block)
{
    if (outcome != ExchangeOutcome::Answered)
        return Error{readFailure(block, exchangeFailureText(outcome))};
    if (answer.status() != 0)
        return Error{readFailure(block, statusText(answer.status()))};
    if (answer.payloadLength() != length)
        return Error{readFailure(block, "modul vrátil " + std::to_string(answer.payloadLength()) + " B místo " +
                                            std::to_string(length) + " B")};
    return payloadOf(answer);
}

Status checkWriteAnswer(ExchangeOutcome outcome, const ModuleFrame& answer, std::string_view block)
{
    if (outcome != ExchangeOutcome::Answered)
        return Error{writeFailure(block, exchangeFailureText(outcome))};
    if (answer.status() != 0)
        return Error{writeFailure(block, statusText(answer.status()))};
    return {};
}

Result<std::vector<std::uint8_t>> checkCommandAnswer(ExchangeOutcome outcome, const ModuleFrame& answer,
                                                     std::size_t minPayload, std::string_view what)
{
    const std::string prefix = std::string(what) + ": ";
    if (outcome != ExchangeOutcome::Answered)
        return Error{prefix + exchangeFailureText(outcome)};
    if (answer.status() != 0)
        return Error{prefix + statusText(answer.status())};
    if (answer.payloadLength() < minPayload)
        return Error{prefix + "modul vrátil " + std::to_string(answer.payloadLength()) + " B místo " +
                     std::to_string(minPayload) + " B"};
    return payloadOf(answer);
}

Result<std::vector<std::uint8_t>> readSettings(ModuleExchange& exchange, std::uint16_t address, std::uint8_t length,
                                               std::uint8_t disconnectAfter, std::string_view block)
{
    fillReadRequest(exchange.frame(), address, length);
    const ExchangeOutcome outcome = exchange.exchange(disconnectAfter);
    return checkReadAnswer(outcome, exchange.frame(), length, block);
}

Status writeSettings(ModuleExchange& exchange, std::uint16_t address, std::uint8_t param,
                     std::span<const std::uint8_t> data, std::uint8_t disconnectAfter, std::string_view block)
{
    if (!fillWriteRequest(exchange.frame(), address, param, data))
        return Error{writeFailure(block, "blok je příliš dlouhý")};
    const ExchangeOutcome outcome = exchange.exchange(disconnectAfter);
    return checkWriteAnswer(outcome, exchange.frame(), block);
}

Result<std::vector<std::uint8_t>> sendCommand(ModuleExchange& exchange, const ModuleCommand& command,
                                              std::uint8_t disconnectAfter, std::string_view what)
{
    ModuleFrame& frame = exchange.frame();
    frame.setCommand(command.group, command.command);
    frame.setParam(command.param);
    for (std::size_t i = 0; i < command.payload.size(); ++i)
        frame.putU8(i, command.payload[i]);
    frame.setPayloadLength(static_cast<std::uint16_t>(std::min(command.payload.size(), kFramePayloadCapacity)));
    const ExchangeOutcome outcome = exchange.exchange(disconnectAfter);
    return checkCommandAnswer(outcome, frame, command.answerPayload, what);
}

} // namespace kapsorel
