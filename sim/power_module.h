// The simulated power module: run-time commands that drive the battery model, signalling,
// the service commands, its settings memory and its status answer.
#pragma once

#include "battery_model.h"
#include "module_handler.h"
#include "settings_memory.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace kapsorel::sim {

struct PowerModuleState {
    std::uint8_t version = 18;
    std::uint8_t hardwareKind = 0;
    std::uint8_t errorType = 0;
    std::uint16_t faultBits = 0;
    std::uint8_t ledSeconds = 0;
    std::uint8_t sirenSeconds = 0;
    bool tempSensorFault = false;
    std::optional<double> moduleTemperature; // fixed by the control interface, else modelled
    float sourceVoltage = 36.0f;             // "ZX" set points
    float sourceCurrent = 22.0f;
    bool sourceOn = false;
    std::uint8_t runIndicator = 0;                   // "PL"
    int newTests = 0;                                // "PE"
    int procedureEnds = 0;                           // "PK"
    int acknowledgements = 0;                        // "Pa"
    std::uint32_t switchMask = 0;                    // "RO"
    std::uint8_t relays = 0;                         // "RR", bit per relay
    std::uint16_t dac = 0;                           // "ZD"
    std::uint8_t fans = 0;                           // "FZ"/"FV", bit per fan 1-4
    std::array<std::uint8_t, 256> sourceRegisters{}; // "ZW", read by "ZR"
    std::uint8_t reflexState = 0;                    // "ZF"
    std::uint16_t reflexOn = 0;
    std::uint16_t reflexOff = 0;
    std::uint8_t i2cAddress = 0; // last "Iw"/"IW" target and bytes
    std::uint8_t i2cRegister = 0;
    std::uint8_t i2cValue = 0;
    std::uint8_t dacStepCode = 0; // last "PQ"
    float dacStepCurrent = 0;
    float dacStepVoltage = 0;
    bool loadDrawing = false;    // the switched load elements discharge the battery
    bool sourceCharging = false; // the source switched on charges it
};

class PowerModule : public ModuleHandler {
  public:
    PowerModule(BatteryModel& battery, SettingsMemory memory);

    ModuleFrame answer(const FrameHeader& request, std::span<const std::uint8_t> payload) override;
    ModuleFrame status() override;

    // Called once a real second: the LED and siren seconds count down.
    void tickSecond();

    PowerModuleState& state() { return state_; }
    const PowerModuleState& state() const { return state_; }
    double moduleTemperature() const;
    SettingsMemory& memory() { return memory_; }
    // The ADC hardware of channel k; the factory calibration records describe it exactly.
    void setAdcTransfer(std::size_t k, AdcTransfer transfer)
    {
        if (k < hardware_.size())
            hardware_[k] = transfer;
    }

  private:
    ModuleFrame runCommand(const FrameHeader& request, std::span<const std::uint8_t> payload);
    // The service commands, one handler per command group: the source ("Z"), the fans ("F"),
    // the I2C bus ("I"), the load elements and relays ("R"), the measurements ("M"), the SPI
    // registers and the ADC calibration image ("S", "X").
    ModuleFrame serviceCommand(const FrameHeader& request, std::span<const std::uint8_t> payload);
    ModuleFrame sourceCommand(const FrameHeader& request, std::span<const std::uint8_t> payload);
    // What the source's register `reg` holds, in its units (0 for a register not modelled).
    double sourceRegister(std::uint8_t reg) const;
    ModuleFrame fanCommand(const FrameHeader& request, std::span<const std::uint8_t> payload);
    ModuleFrame i2cCommand(const FrameHeader& request, std::span<const std::uint8_t> payload);
    ModuleFrame loadCommand(const FrameHeader& request, std::span<const std::uint8_t> payload);
    ModuleFrame measureCommand(const FrameHeader& request, std::span<const std::uint8_t> payload);
    ModuleFrame memoryCommand(const FrameHeader& request);
    double channelValue(int channel) const;
    // The load elements of the switch mask draw V x (sum of their conductances) from the battery.
    void applyLoad();
    void applySource(bool on);
    ModuleFrame fanRegister(const FrameHeader& request, std::span<const std::uint8_t> payload);

    BatteryModel& battery_;
    SettingsMemory memory_;
    std::vector<AdcTransfer> hardware_;
    PowerModuleState state_;
};

} // namespace kapsorel::sim
