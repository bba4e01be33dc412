// The simulated measurement module: 20 cell voltages, battery voltage and temperature and the
// measuring head, from the battery model; its settings memory and service commands.
#pragma once

#include "battery_model.h"
#include "module_handler.h"
#include "settings_memory.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace kapsorel::sim {

class MeasureModule : public ModuleHandler {
  public:
    MeasureModule(BatteryModel& battery, SettingsMemory memory);

    ModuleFrame answer(const FrameHeader& request, std::span<const std::uint8_t> payload) override;
    ModuleFrame status() override;

    std::uint8_t headCode() const { return headCode_; }
    void setHeadCode(std::uint8_t code) { headCode_ = code; }
    // The battery voltage the module reports (status and channel 20): the model's, or a
    // fixed reading that may differ from what the power module measures.
    double batteryVoltage() const { return fixedBatteryVoltage_ ? *fixedBatteryVoltage_ : battery_.voltage(); }
    void setBatteryVoltage(std::optional<double> volts) { fixedBatteryVoltage_ = volts; }
    SettingsMemory& memory() { return memory_; }
    // The ADC hardware of channel k; the factory calibration records describe it exactly.
    void setAdcTransfer(std::size_t k, AdcTransfer transfer)
    {
        if (k < hardware_.size())
            hardware_[k] = transfer;
    }

  private:
    double channelValue(int channel) const;

    BatteryModel& battery_;
    SettingsMemory memory_;
    std::vector<AdcTransfer> hardware_;
    std::uint8_t headCode_ = 1;
    std::optional<double> fixedBatteryVoltage_;
};

} // namespace kapsorel::sim
