// The power module commands over the module's TCP link: each exchanges one frame and
// closes the connection; charge, discharge and stop also set the live drive indicators.
#pragma once

#include "core/comm/module_link.h"
#include "core/station/live_values.h"
#include "core/station/power_commands.h"

namespace kapsorel {

class LinkPowerCommands final : public PowerCommands {
  public:
    LinkPowerCommands(ModuleLink& power, LiveValues& live) : power_(power), live_(live) {}

    void charge(float voltage, float current) override;
    void chargeSetPoints(float voltage, float current) override;
    void discharge(float current) override;
    void stop() override;
    void procedureEnd() override;
    void runIndicator(bool running) override;
    void signal(std::uint8_t ledSeconds, std::uint8_t sirenSeconds) override;
    void signalAck() override;
    void newTest() override;
    TemperatureCheck temperatureCheck() override;

  private:
    ModuleLink& power_;
    LiveValues& live_;
};

} // namespace kapsorel
