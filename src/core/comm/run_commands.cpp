#include "core/comm/run_commands.h"

#include "core/base/atomic_order.h"
#include "core/base/numbers.h"

namespace kapsorel {

namespace {

// Fills the header of a command; a negative `param` leaves the parameter byte as it is.
void fill(ModuleFrame& f, char group, char command, int param, std::uint16_t payloadLength)
{
    f.setCommand(group, command);
    if (param >= 0)
        f.setParam(static_cast<std::uint8_t>(param));
    f.setPayloadLength(payloadLength);
}

} // namespace

void commandCharge(ModuleLink& power, LiveValues& live, float voltage, float current)
{
    {
        auto exchange = power.begin();
        auto& f = exchange.frame();
        fill(f, 'P', 'C', 0, 9);
        f.putU8(0, 1);
        f.putSingle(1, current);
        f.putSingle(5, voltage);
        exchange.exchange(1);
    }
    live.chargingOn.store(1, kRelaxed);
    live.driveOn.store(1, kRelaxed);
    live.diagramRedraw.store(1, kRelaxed);
}

void commandChargeSetPoints(ModuleLink& power, float voltage, float current)
{
    auto exchange = power.begin();
    auto& f = exchange.frame();
    fill(f, 'P', 'T', 0, 8);
    f.putSingle(0, current);
    f.putSingle(4, voltage);
    exchange.exchange(1);
}

void commandDischarge(ModuleLink& power, LiveValues& live, float current)
{
    {
        auto exchange = power.begin();
        auto& f = exchange.frame();
        fill(f, 'P', 'D', 0, 5);
        f.putU8(0, 1);
        f.putSingle(1, current);
        exchange.exchange(1);
    }
    live.dischargingOn.store(1, kRelaxed);
    live.driveOn.store(1, kRelaxed);
    live.diagramRedraw.store(1, kRelaxed);
}

void commandStop(ModuleLink& power, LiveValues& live)
{
    {
        auto exchange = power.begin();
        fill(exchange.frame(), 'P', 'S', 0, 0);
        exchange.exchange(1);
    }
    live.chargingOn.store(0, kRelaxed);
    live.dischargingOn.store(0, kRelaxed);
    live.driveOn.store(0, kRelaxed);
    live.diagramRedraw.store(1, kRelaxed);
}

void commandProcedureEnd(ModuleLink& power)
{
    auto exchange = power.begin();
    fill(exchange.frame(), 'P', 'K', 0, 0);
    exchange.exchange(1);
}

void commandRunIndicator(ModuleLink& power, bool running)
{
    auto exchange = power.begin();
    fill(exchange.frame(), 'P', 'L', running ? 1 : 0, 0);
    exchange.exchange(1);
}

void commandSignal(ModuleLink& power, std::uint8_t ledSeconds, std::uint8_t sirenSeconds)
{
    auto exchange = power.begin();
    auto& f = exchange.frame();
    fill(f, 'P', 'A', -1, 2);
    f.putU8(0, ledSeconds);
    f.putU8(1, sirenSeconds);
    exchange.exchange(1);
}

void commandSignalAck(ModuleLink& power)
{
    auto exchange = power.begin();
    auto& f = exchange.frame();
    fill(f, 'P', 'a', 0, 2);
    f.putU8(0, 1);
    f.putU8(1, 1);
    exchange.exchange(1);
}

void commandNewTest(ModuleLink& power)
{
    auto exchange = power.begin();
    fill(exchange.frame(), 'P', 'E', 0, 0);
    exchange.exchange(1);
}

TemperatureCheck commandTemperatureCheck(ModuleLink& power)
{
    auto exchange = power.begin();
    auto& f = exchange.frame();
    fill(f, 'M', 'T', 0, 0);
    TemperatureCheck check;
    // After a failed exchange the payload area still holds an older answer: only a real
    // answer says anything about the sensor.
    if (exchange.exchange(1) == ExchangeOutcome::Answered) {
        check.answered = true;
        const std::size_t length = f.payloadLength();
        if (length >= 4)
            check.reading = f.single(0);
        check.sensorFault = length >= 5 && f.u8(4) != 0;
    }
    return check;
}

std::uint8_t commandSourceSetPoints(ModuleLink& power, float voltage, float current)
{
    auto exchange = power.begin();
    auto& f = exchange.frame();
    fill(f, 'Z', 'X', 0, 8);
    f.putSingle(0, voltage);
    f.putSingle(4, current);
    exchange.exchange(1);
    return f.status();
}

} // namespace kapsorel
