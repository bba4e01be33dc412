#include "core/comm/link_power_commands.h"

#include "core/comm/run_commands.h"

namespace kapsorel {

void LinkPowerCommands::charge(float voltage, float current)
{
    commandCharge(power_, live_, voltage, current);
}

void LinkPowerCommands::chargeSetPoints(float voltage, float current)
{
    commandChargeSetPoints(power_, voltage, current);
}

void LinkPowerCommands::discharge(float current)
{
    commandDischarge(power_, live_, current);
}

void LinkPowerCommands::stop()
{
    commandStop(power_, live_);
}

void LinkPowerCommands::procedureEnd()
{
    commandProcedureEnd(power_);
}

void LinkPowerCommands::runIndicator(bool running)
{
    commandRunIndicator(power_, running);
}

void LinkPowerCommands::signal(std::uint8_t ledSeconds, std::uint8_t sirenSeconds)
{
    commandSignal(power_, ledSeconds, sirenSeconds);
}

void LinkPowerCommands::signalAck()
{
    commandSignalAck(power_);
}

void LinkPowerCommands::newTest()
{
    commandNewTest(power_);
}

TemperatureCheck LinkPowerCommands::temperatureCheck()
{
    return commandTemperatureCheck(power_);
}

} // namespace kapsorel
