// The power module's service requests and their answers.
#include "core/service/power_service_requests.h"

#include "core/base/bytes.h"

#include <algorithm>
#include <cstdio>

namespace kapsorel {
namespace {

ModuleCommand request(char group, char command, std::uint8_t param = 0, std::vector<std::uint8_t> payload = {})
{
    return {group, command, param, std::move(payload), 0};
}

std::vector<std::uint8_t> singles(std::initializer_list<float> values)
{
    ByteWriter w;
    for (float v : values)
        w.single(v);
    return w.take();
}

bool is(const ModuleCommand& c, char group, char command)
{
    return c.group == group && c.command == command;
}

} // namespace

const char* const kDriveDuringTestText = "Během testu nelze ovládat výkonový modul";

ModuleCommand switchMaskRequest(std::uint32_t mask)
{
    ByteWriter w;
    w.u32(mask & 0x00FFFFFFu);
    return request('R', 'O', 0, w.take());
}

ModuleCommand relayRequest(std::uint8_t relay, bool on)
{
    return request('R', 'R', 0, {relay, static_cast<std::uint8_t>(on ? 1 : 0)});
}

ModuleCommand sourceSetRequest(float volts, float amperes)
{
    return request('Z', 'X', 0, singles({volts, amperes}));
}

ModuleCommand dacWriteRequest(std::uint16_t value)
{
    ByteWriter w;
    w.u16(value);
    return request('Z', 'D', 0, w.take());
}

ModuleCommand dacReadRequest()
{
    return request('Z', 'd');
}

ModuleCommand sourceRegisterRequest(std::uint8_t reg)
{
    return request('Z', 'r', 2, {reg});
}

ModuleCommand sourceSwitchRequest(bool on)
{
    return request('Z', 'z', on ? 1 : 0);
}

ModuleCommand sourcePowerRequest(bool on)
{
    return request('Z', 'Z', on ? 1 : 0);
}

ModuleCommand sourceVoltageRequest()
{
    return request('Z', 'n');
}

ModuleCommand sourceCurrentRequest()
{
    return request('Z', 'i');
}

ModuleCommand sourceVoltageSetRequest(float volts)
{
    return request('Z', 'N', 0, singles({volts}));
}

ModuleCommand sourceCurrentSetRequest(float amperes)
{
    return request('Z', 'I', 0, singles({amperes}));
}

ModuleCommand sourceByteRequest(char command)
{
    return request('Z', command);
}

ModuleCommand sourceRegisterWriteRequest(std::uint8_t reg, const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> payload{reg};
    payload.insert(payload.end(), data.begin(), data.end());
    return request('Z', 'W', static_cast<std::uint8_t>(data.size()), std::move(payload));
}

ModuleCommand sourceRegisterReadRequest(std::uint8_t reg)
{
    return request('Z', 'R', 0, {reg});
}

ModuleCommand reflexRequest(std::uint8_t state, std::uint16_t onTime, std::uint16_t offTime)
{
    ByteWriter w;
    w.u8(state);
    w.u16(onTime);
    w.u16(offTime);
    return request('Z', 'F', 0, w.take());
}

ModuleCommand fanSwitchRequest(std::uint8_t fan, bool on)
{
    return request('F', on ? 'Z' : 'V', fan);
}

ModuleCommand fanRegisterRequest(std::uint8_t fan, std::uint8_t reg)
{
    return request('F', 'G', 0, {fan, reg});
}

ModuleCommand i2cByteRequest(std::uint8_t address, std::uint8_t data)
{
    return request('I', 'w', 0, {address, data});
}

ModuleCommand i2cRegisterRequest(std::uint8_t address, std::uint8_t reg, std::uint8_t value)
{
    return request('I', 'W', 0, {address, reg, value});
}

ModuleCommand channelVoltageRequest()
{
    return request('M', 'N', 0, {0});
}

ModuleCommand channelCurrentRequest()
{
    return request('M', 'C');
}

ModuleCommand dacStepRequest(std::uint8_t code, float amperes, float volts)
{
    ByteWriter w;
    w.u8(code);
    w.single(amperes);
    w.single(volts);
    return request('P', 'Q', 0, w.take());
}

ModuleCommand dacCalibrationRequest()
{
    return request('Z', 'K');
}

bool drivesHardware(const ModuleCommand& c)
{
    static const char* const kDrives[] = {"RO", "RR", "ZX", "ZD", "Zz", "ZZ", "ZN", "ZI",
                                          "ZW", "ZF", "FZ", "FV", "Iw", "IW", "PQ", "ZK"};
    return std::any_of(std::begin(kDrives), std::end(kDrives), [&c](const char* d) { return is(c, d[0], d[1]); });
}

std::optional<float> ServiceAnswer::single() const
{
    if (payload.size() < 4)
        return std::nullopt;
    return le::getSingle(payload, 0);
}

std::optional<std::uint8_t> ServiceAnswer::byte() const
{
    if (payload.empty())
        return std::nullopt;
    return payload[0];
}

std::optional<std::uint16_t> ServiceAnswer::u16() const
{
    if (payload.size() < 2)
        return std::nullopt;
    return le::getU16(payload, 0);
}

std::optional<std::int16_t> ServiceAnswer::i16() const
{
    if (payload.size() < 2)
        return std::nullopt;
    return le::getI16(payload, 0);
}

ServiceAnswer exchangeService(ModuleExchange& exchange, const ModuleCommand& command, std::uint8_t disconnectAfter)
{
    ModuleFrame& frame = exchange.frame();
    frame.setCommand(command.group, command.command);
    frame.setParam(command.param);
    for (std::size_t i = 0; i < command.payload.size(); ++i)
        frame.putU8(i, command.payload[i]);
    frame.setPayloadLength(static_cast<std::uint16_t>(std::min(command.payload.size(), kFramePayloadCapacity)));
    const ExchangeOutcome outcome = exchange.exchange(disconnectAfter);
    ServiceAnswer a;
    if (outcome != ExchangeOutcome::Answered) {
        a.failure = std::string{command.group, command.command} + ": " + exchangeFailureText(outcome);
        return a;
    }
    a.answered = true;
    a.status = frame.status();
    // The length the answer claims, never more than its buffer holds.
    const std::size_t length = std::min<std::size_t>(frame.payloadLength(), kFramePayloadCapacity);
    const auto p = frame.payload().first(length);
    a.payload.assign(p.begin(), p.end());
    return a;
}

FanStatusView fanStatusView(const std::vector<ServiceAnswer>& answers)
{
    FanStatusView view;
    for (std::size_t i = 0; i < view.values.size() && i < answers.size(); ++i) {
        const ServiceAnswer& a = answers[i];
        if (!a.answered)
            continue;
        if (const auto v = a.byte()) {
            char text[16];
            if (i == 0 || i == 5)
                std::snprintf(text, sizeof text, "0x%02X", unsigned{*v});
            else
                std::snprintf(text, sizeof text, "%u", unsigned{*v} * 50u);
            view.values[i] = text;
        }
        if (a.status != 0)
            view.errors.push_back("Error: " + std::to_string(a.status));
    }
    return view;
}

} // namespace kapsorel
