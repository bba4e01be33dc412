#include "power_module.h"

#include "frame_answers.h"
#include "status_encoding.h"

#include <algorithm>
#include <cmath>

namespace kapsorel::sim {

namespace {

using namespace answer_status;

constexpr std::size_t kCurrentAdcRecord = address::kAdcRecords + 8 * 5;
// The ADC calibration records "XC" answers with: six records of 8 bytes and what follows them.
constexpr std::uint16_t kAdcImageSize = 58;
// The insulation resistance "MI" reports, kOhm: a sound battery.
constexpr float kInsulationKiloOhm = 1000.0f;

// The source's registers "Zr" reads, each a value in hundredths.
namespace source_register {
constexpr std::uint8_t kVoltageNominal = 80;
constexpr std::uint8_t kCurrentNominal = 82;
constexpr std::uint8_t kVoltageMaximum = 84;
constexpr std::uint8_t kCurrentMaximum = 86;
constexpr std::uint8_t kVoltageSetPoint = 112;
constexpr std::uint8_t kCurrentSetPoint = 114;
} // namespace source_register

// The source's fixed ratings: its maxima and nominal values (V, A).
constexpr double kSourceVoltageMaximum = 36.0;
constexpr double kSourceCurrentMaximum = 25.0;
constexpr double kSourceVoltageNominal = 30.0;
constexpr double kSourceCurrentNominal = 22.0;

} // namespace

PowerModule::PowerModule(BatteryModel& battery, SettingsMemory memory)
    : battery_(battery), memory_(std::move(memory)), hardware_(adcTransfers(memory_, address::kAdcRecords, 6))
{
}

double PowerModule::moduleTemperature() const
{
    if (state_.moduleTemperature)
        return *state_.moduleTemperature;
    return 28.0 + 0.3 * std::abs(battery_.current());
}

ModuleFrame PowerModule::status()
{
    PowerStatus s;
    s.swVersion = state_.version;
    s.hardwareKind = state_.hardwareKind;
    s.current = static_cast<float>(battery_.current());
    s.moduleVoltage = static_cast<float>(battery_.voltage());
    s.sourceVoltage = state_.sourceVoltage;
    s.batteryTemperature = static_cast<float>(battery_.temperature());
    s.ledSeconds = state_.ledSeconds;
    s.sirenSeconds = state_.sirenSeconds;
    s.errorType = state_.errorType;
    s.faultBits = state_.faultBits;
    s.moduleTemperature = static_cast<float>(moduleTemperature());
    return encodePowerStatus(s);
}

void PowerModule::tickSecond()
{
    if (state_.ledSeconds > 0)
        --state_.ledSeconds;
    if (state_.sirenSeconds > 0)
        --state_.sirenSeconds;
}

ModuleFrame PowerModule::answer(const FrameHeader& request, std::span<const std::uint8_t> payload)
{
    if (request.start != kFrameStart)
        return answerFrame(request, kBadFrame);
    if (auto settings = answerSettingsCommand(memory_, request, payload))
        return *settings;
    if (request.group == 'P' || (request.group == 'M' && request.command == 'T'))
        return runCommand(request, payload);
    return serviceCommand(request, payload);
}

ModuleFrame PowerModule::runCommand(const FrameHeader& request, std::span<const std::uint8_t> payload)
{
    ByteReader r(payload);
    ModuleFrame f = answerFrame(request);
    switch (commandKey(request.group, request.command)) {
    case commandKey('P', 'C'): {
        const std::uint8_t on = r.u8();
        const float current = r.single();
        const float voltage = r.single();
        if (!r.ok() || !usableSingle(current) || !usableSingle(voltage))
            return answerFrame(request, kBadPayload);
        if (on)
            battery_.charge(current, voltage);
        else
            battery_.stop();
        return f;
    }
    case commandKey('P', 'T'): {
        const float current = r.single();
        const float voltage = r.single();
        if (!r.ok() || !usableSingle(current) || !usableSingle(voltage))
            return answerFrame(request, kBadPayload);
        battery_.setChargePoints(current, voltage);
        return f;
    }
    case commandKey('P', 'D'): {
        const std::uint8_t on = r.u8();
        const float current = r.single();
        if (!r.ok() || !usableSingle(current))
            return answerFrame(request, kBadPayload);
        if (on)
            battery_.discharge(current);
        else
            battery_.stop();
        return f;
    }
    case commandKey('P', 'S'):
        battery_.stop();
        return f;
    case commandKey('P', 'K'):
        ++state_.procedureEnds;
        return f;
    case commandKey('P', 'L'):
        state_.runIndicator = request.param;
        return f;
    case commandKey('P', 'A'): {
        const std::uint8_t led = r.u8();
        const std::uint8_t siren = r.u8();
        if (!r.ok())
            return answerFrame(request, kBadPayload);
        state_.ledSeconds = led;
        state_.sirenSeconds = siren;
        return f;
    }
    case commandKey('P', 'a'):
        state_.ledSeconds = 0;
        state_.sirenSeconds = 0;
        ++state_.acknowledgements;
        return f;
    case commandKey('P', 'E'):
        ++state_.newTests;
        return f;
    case commandKey('P', 'Q'): { // DAC regulation test steps: code, current, voltage
        const std::uint8_t code = r.u8();
        const float current = r.single();
        const float voltage = r.single();
        if (!r.ok())
            return answerFrame(request, kBadPayload);
        state_.dacStepCode = code;
        state_.dacStepCurrent = current;
        state_.dacStepVoltage = voltage;
        return f;
    }
    case commandKey('M', 'T'):
        f.putSingle(0, static_cast<float>(battery_.temperature()));
        f.putU8(4, state_.tempSensorFault ? 1 : 0);
        f.setPayloadLength(5);
        return f;
    default:
        return answerFrame(request, kUnknownCommand);
    }
}

double PowerModule::channelValue(int channel) const
{
    switch (channel) {
    case 0:
    case 2:
        return battery_.voltage();
    case 1:
        return state_.sourceVoltage;
    case 3:
    case 4:
        return 0.2; // insulation divider voltages of a sound battery
    default:
        return 0.0;
    }
}

void PowerModule::applyLoad()
{
    const auto block = memory_.read(address::kSectionsBlock, 74);
    double siemens = 0;
    if (block) {
        const std::size_t resistors = std::min<std::size_t>((*block)[0], 10);
        const std::size_t banks = std::min<std::size_t>((*block)[1], 8);
        for (std::size_t i = 0; i < resistors + banks; ++i) {
            if ((state_.switchMask >> i & 1u) == 0)
                continue;
            const std::size_t at = i < resistors ? 2 + 4 * i : 42 + 4 * (i - resistors);
            const float g = le::getSingle(*block, at);
            if (std::isfinite(g) && g > 0)
                siemens += g;
        }
    }
    const double current = battery_.voltage() * siemens;
    if (current > 0) {
        battery_.discharge(current);
        state_.loadDrawing = true;
    } else if (state_.loadDrawing) {
        battery_.stop();
        state_.loadDrawing = false;
    }
}

void PowerModule::applySource(bool on)
{
    state_.sourceOn = on;
    if (on) {
        battery_.charge(state_.sourceCurrent, state_.sourceVoltage);
        state_.sourceCharging = true;
    } else if (state_.sourceCharging) {
        battery_.stop();
        state_.sourceCharging = false;
    }
}

// A fan controller's registers: 5 status, 0/1 speed and 2/3 fault speed in units of 50 RPM,
// 4 configuration.
ModuleFrame PowerModule::fanRegister(const FrameHeader& request, std::span<const std::uint8_t> payload)
{
    ByteReader r(payload);
    const std::uint8_t fan = r.u8();
    const std::uint8_t reg = r.u8();
    if (!r.ok() || fan < 1 || fan > 5)
        return answerFrame(request, kBadPayload);
    const bool running = fan <= 4 && (state_.fans >> (fan - 1) & 1u) != 0;
    std::uint8_t value = 0;
    switch (reg) {
    case 0:
    case 1:
        value = running ? 60 : 0;
        break;
    case 2:
    case 3:
        value = 10;
        break;
    case 4:
        value = state_.i2cAddress == 54 && state_.i2cRegister == 4 ? state_.i2cValue : 10;
        break;
    case 5:
        value = running ? 0x01 : 0x00;
        break;
    default:
        return answerFrame(request, kBadPayload);
    }
    ModuleFrame f = answerFrame(request);
    putAnswerU8(f, value);
    return f;
}

ModuleFrame PowerModule::serviceCommand(const FrameHeader& request, std::span<const std::uint8_t> payload)
{
    switch (request.group) {
    case 'Z':
        return sourceCommand(request, payload);
    case 'F':
        return fanCommand(request, payload);
    case 'I':
        return i2cCommand(request, payload);
    case 'R':
        return loadCommand(request, payload);
    case 'M':
        return measureCommand(request, payload);
    case 'S':
    case 'X':
        return memoryCommand(request);
    default:
        return answerFrame(request, kUnknownCommand);
    }
}

ModuleFrame PowerModule::sourceCommand(const FrameHeader& request, std::span<const std::uint8_t> payload)
{
    ByteReader r(payload);
    ModuleFrame f = answerFrame(request);
    switch (request.command) {
    case 'X': {
        const float voltage = r.single();
        const float current = r.single();
        if (!r.ok() || !usableSingle(voltage) || !usableSingle(current))
            return answerFrame(request, kBadPayload);
        state_.sourceVoltage = voltage;
        state_.sourceCurrent = current;
        return f;
    }
    case 'N':
    case 'I': {
        const float v = r.single();
        if (!r.ok() || !usableSingle(v))
            return answerFrame(request, kBadPayload);
        (request.command == 'N' ? state_.sourceVoltage : state_.sourceCurrent) = v;
        return f;
    }
    case 'n':
        putAnswerSingle(f, state_.sourceVoltage);
        return f;
    case 'i':
        putAnswerSingle(f, state_.sourceOn ? state_.sourceCurrent : 0.0f);
        return f;
    case 'z':
    case 'Z':
        applySource(request.param != 0);
        return f;
    case 'r': {
        const std::uint8_t reg = r.u8();
        if (!r.ok())
            return answerFrame(request, kBadPayload);
        putAnswerU16(f, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(sourceRegister(reg) * 100))));
        return f;
    }
    case 'D': {
        const std::uint16_t dac = r.u16();
        if (!r.ok())
            return answerFrame(request, kBadPayload);
        state_.dac = dac;
        return f;
    }
    case 'd':
        putAnswerU16(f, state_.dac);
        return f;
    case 'S':
    case 's':
    case 'c':
        putAnswerU8(f, state_.sourceOn ? 0x01 : 0x00);
        return f;
    case 't':
        putAnswerU8(f, static_cast<std::uint8_t>(std::clamp(moduleTemperature(), 0.0, 255.0)));
        return f;
    case 'R': {
        const std::uint8_t reg = r.u8();
        if (!r.ok())
            return answerFrame(request, kBadPayload);
        putAnswerU8(f, state_.sourceRegisters[reg]);
        return f;
    }
    case 'W': {
        const std::uint8_t reg = r.u8();
        if (!r.ok() || request.param < 1 || request.param > 2 || r.remaining() < request.param)
            return answerFrame(request, kBadPayload);
        for (std::uint8_t i = 0; i < request.param; ++i)
            state_.sourceRegisters[static_cast<std::uint8_t>(reg + i)] = r.u8();
        return f;
    }
    case 'F': {
        const std::uint8_t on = r.u8();
        const std::uint16_t onTime = r.u16();
        const std::uint16_t offTime = r.u16();
        if (!r.ok())
            return answerFrame(request, kBadPayload);
        state_.reflexState = on;
        state_.reflexOn = onTime;
        state_.reflexOff = offTime;
        return f;
    }
    case 'K': // the DAC calibration
        return f;
    default:
        return answerFrame(request, kUnknownCommand);
    }
}

double PowerModule::sourceRegister(std::uint8_t reg) const
{
    switch (reg) {
    case source_register::kVoltageSetPoint:
        return state_.sourceVoltage;
    case source_register::kCurrentSetPoint:
        return state_.sourceCurrent;
    case source_register::kVoltageMaximum:
        return kSourceVoltageMaximum;
    case source_register::kCurrentMaximum:
        return kSourceCurrentMaximum;
    case source_register::kVoltageNominal:
        return kSourceVoltageNominal;
    case source_register::kCurrentNominal:
        return kSourceCurrentNominal;
    default:
        return 0.0;
    }
}

ModuleFrame PowerModule::fanCommand(const FrameHeader& request, std::span<const std::uint8_t> payload)
{
    switch (request.command) {
    case 'Z':
    case 'V': {
        if (request.param < 1 || request.param > 4)
            return answerFrame(request, kBadPayload);
        const auto bit = static_cast<std::uint8_t>(1u << (request.param - 1));
        state_.fans = static_cast<std::uint8_t>(request.command == 'Z' ? state_.fans | bit : state_.fans & ~bit);
        return answerFrame(request);
    }
    case 'G':
        return fanRegister(request, payload);
    default:
        return answerFrame(request, kUnknownCommand);
    }
}

ModuleFrame PowerModule::i2cCommand(const FrameHeader& request, std::span<const std::uint8_t> payload)
{
    if (request.command != 'w' && request.command != 'W')
        return answerFrame(request, kUnknownCommand);
    ByteReader r(payload);
    const std::uint8_t address = r.u8();
    const std::uint8_t first = r.u8();
    const std::uint8_t value = request.command == 'W' ? r.u8() : first;
    if (!r.ok())
        return answerFrame(request, kBadPayload);
    state_.i2cAddress = address;
    state_.i2cRegister = request.command == 'W' ? first : 0;
    state_.i2cValue = value;
    return answerFrame(request);
}

ModuleFrame PowerModule::loadCommand(const FrameHeader& request, std::span<const std::uint8_t> payload)
{
    ByteReader r(payload);
    switch (request.command) {
    case 'O': {
        const std::uint32_t mask = r.u32();
        if (!r.ok())
            return answerFrame(request, kBadPayload);
        state_.switchMask = mask & 0x00FFFFFFu;
        applyLoad();
        return answerFrame(request);
    }
    case 'R': {
        const std::uint8_t relay = r.u8();
        const std::uint8_t on = r.u8();
        if (!r.ok() || relay > 7)
            return answerFrame(request, kBadPayload);
        const auto bit = static_cast<std::uint8_t>(1u << relay);
        state_.relays = static_cast<std::uint8_t>(on ? state_.relays | bit : state_.relays & ~bit);
        return answerFrame(request);
    }
    default:
        return answerFrame(request, kUnknownCommand);
    }
}

ModuleFrame PowerModule::measureCommand(const FrameHeader& request, std::span<const std::uint8_t> payload)
{
    ModuleFrame f = answerFrame(request);
    switch (request.command) {
    case 'c':
    case 'C':
        putChannelReading(f, memory_, kCurrentAdcRecord, hardware_[5], request.command, battery_.current());
        return f;
    case 'n':
    case 'N': {
        ByteReader r(payload);
        const std::uint8_t channel = r.u8();
        if (!r.ok() || channel > 4)
            return answerFrame(request, kBadPayload);
        putChannelReading(f, memory_, address::kAdcRecords + 8u * channel, hardware_[channel], request.command,
                          channelValue(channel));
        return f;
    }
    case 'S':
        return status();
    case 'I':
        putAnswerSingle(f, kInsulationKiloOhm);
        return f;
    default:
        return answerFrame(request, kUnknownCommand);
    }
}

ModuleFrame PowerModule::memoryCommand(const FrameHeader& request)
{
    ModuleFrame f = answerFrame(request);
    switch (commandKey(request.group, request.command)) {
    case commandKey('S', 'r'): // an SPI register: always 0
        putAnswerU8(f, 0);
        return f;
    case commandKey('S', 'w'):
        return f;
    case commandKey('X', 'C'): { // the ADC calibration records
        const auto image = memory_.read(address::kAdcRecords, kAdcImageSize);
        std::copy(image->begin(), image->end(), f.payload().begin());
        f.setPayloadLength(kAdcImageSize);
        return f;
    }
    default:
        return answerFrame(request, kUnknownCommand);
    }
}

} // namespace kapsorel::sim
