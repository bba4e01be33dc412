// The power module's service requests of the "  Sekce  " and "  Ostatní  " tabs: each button's
// request (command letters, parameter byte, payload in the module's byte order) and the
// reading of their answers. A value is taken from an answer only when the answer's payload
// length covers it; the status byte is reported separately for the buttons that show it.
#pragma once

#include "core/service/settings_requests.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kapsorel {

// The load elements: resistors 1-10 and resistor banks 1-8 switched by one 24-bit mask.
constexpr std::size_t kLoadElements = 24;

// "RO": the mask as 32 bits, little-endian, bits 24-31 zero.
ModuleCommand switchMaskRequest(std::uint32_t mask);
// "RR": relay number and state (1 on, 0 off).
ModuleCommand relayRequest(std::uint8_t relay, bool on);
namespace relay {
constexpr std::uint8_t kSource = 0;  // "Zdroj", "Stykač ON"/"Stykač OFF"
constexpr std::uint8_t kLoad = 1;    // "Zátěž"
constexpr std::uint8_t kMeasure = 5; // "M.nap."
} // namespace relay

// The source: "ZX" set points, "ZD" DAC value, "Zd" DAC read, "Zr" register, "Zz" on/off of
// the "  Sekce  " panel, "ZZ" on/off of "  Zdroj  ", "Zn"/"Zi" readings, "ZN"/"ZI" set points.
ModuleCommand sourceSetRequest(float volts, float amperes);
ModuleCommand dacWriteRequest(std::uint16_t value);
ModuleCommand dacReadRequest();
ModuleCommand sourceRegisterRequest(std::uint8_t reg);
ModuleCommand sourceSwitchRequest(bool on);
ModuleCommand sourcePowerRequest(bool on);
ModuleCommand sourceVoltageRequest();
ModuleCommand sourceCurrentRequest();
ModuleCommand sourceVoltageSetRequest(float volts);
ModuleCommand sourceCurrentSetRequest(float amperes);
// "ZS" (Status1), "Zs" (Status2), "Zc" (Control), "Zt" (Teplota): one byte each.
ModuleCommand sourceByteRequest(char command);
// "ZW": register and one or two data bytes, the parameter byte their number.
ModuleCommand sourceRegisterWriteRequest(std::uint8_t reg, const std::vector<std::uint8_t>& data);
// "ZR": register; one byte.
ModuleCommand sourceRegisterReadRequest(std::uint8_t reg);
// "ZF": state, on time, off time ("Reflex").
ModuleCommand reflexRequest(std::uint8_t state, std::uint16_t onTime, std::uint16_t offTime);

// Fans: "FZ"/"FV" with the fan number (1-4) as parameter byte, "FG" fan number and register.
ModuleCommand fanSwitchRequest(std::uint8_t fan, bool on);
ModuleCommand fanRegisterRequest(std::uint8_t fan, std::uint8_t reg);
// I2C: "Iw" address and data byte, "IW" address, register and value.
ModuleCommand i2cByteRequest(std::uint8_t address, std::uint8_t data);
ModuleCommand i2cRegisterRequest(std::uint8_t address, std::uint8_t reg, std::uint8_t value);

// Readings of the resistance measurement: "MN" channel 0, "MC".
ModuleCommand channelVoltageRequest();
ModuleCommand channelCurrentRequest();

// "PQ": DAC regulation steps, the current before the voltage.
namespace dac_step {
constexpr std::uint8_t kSet0 = 255;
constexpr std::uint8_t kStep = 253;
constexpr std::uint8_t kStop = 0;
constexpr std::uint8_t kSet1 = 254;
} // namespace dac_step
ModuleCommand dacStepRequest(std::uint8_t code, float amperes, float volts);
// "ZK": the DAC's calibration ("Kalibrace" beside "DAC konstanta"), no payload.
ModuleCommand dacCalibrationRequest();

// Which requests drive the module's hardware (refused while a test runs); the others read.
bool drivesHardware(const ModuleCommand& command);
extern const char* const kDriveDuringTestText;

// One exchange of a service button as it came back.
struct ServiceAnswer {
    bool answered = false;             // the module answered (whatever its status)
    std::uint8_t status = 0;           // the answer's status byte
    std::vector<std::uint8_t> payload; // exactly the answer's payload
    std::string failure;               // why there is no answer

    bool good() const { return answered && status == 0; }
    // Values at the start of the payload, when the payload holds them.
    std::optional<float> single() const;
    std::optional<std::uint8_t> byte() const;
    std::optional<std::uint16_t> u16() const;
    std::optional<std::int16_t> i16() const;
};

// One exchange on an exchange the caller holds; a failed connection gives `failure`.
ServiceAnswer exchangeService(ModuleExchange& exchange, const ModuleCommand& command, std::uint8_t disconnectAfter);

// The fan "Status" button's six "FG" answers (registers 5, 0, 1, 2, 3, 4) as shown: "Status"
// and "Konfig" as "0x" and two hexadecimal digits, the speeds as the byte x 50; a value only
// when the answer carries it. Every answer with a status other than 0 adds "Error: N", with
// or without a value.
struct FanStatusView {
    std::array<std::optional<std::string>, 6> values;
    std::vector<std::string> errors;
};
FanStatusView fanStatusView(const std::vector<ServiceAnswer>& answers);

} // namespace kapsorel
