#include "power_module.h"

#include "frame_answers.h"
#include "status_encoding.h"

#include <cmath>

namespace kapsorel::sim {

namespace {

using namespace answer_status;

constexpr std::size_t kCurrentAdcRecord = address::kAdcRecords + 8 * 5;

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
    case commandKey('P', 'Q'): // DAC regulation test steps: accepted, nothing modelled
        return f;
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

ModuleFrame PowerModule::serviceCommand(const FrameHeader& request, std::span<const std::uint8_t> payload)
{
    ByteReader r(payload);
    ModuleFrame f = answerFrame(request);
    switch (commandKey(request.group, request.command)) {
    case commandKey('Z', 'X'): {
        const float voltage = r.single();
        const float current = r.single();
        if (!r.ok() || !usableSingle(voltage) || !usableSingle(current))
            return answerFrame(request, kBadPayload);
        state_.sourceVoltage = voltage;
        state_.sourceCurrent = current;
        return f;
    }
    case commandKey('Z', 'N'):
    case commandKey('Z', 'I'): {
        const float v = r.single();
        if (!r.ok() || !usableSingle(v))
            return answerFrame(request, kBadPayload);
        (request.command == 'N' ? state_.sourceVoltage : state_.sourceCurrent) = v;
        return f;
    }
    case commandKey('Z', 'n'):
        putAnswerSingle(f, state_.sourceVoltage);
        return f;
    case commandKey('Z', 'i'):
        putAnswerSingle(f, state_.sourceOn ? state_.sourceCurrent : 0.0f);
        return f;
    case commandKey('Z', 'z'):
    case commandKey('Z', 'Z'):
        state_.sourceOn = request.param != 0;
        return f;
    case commandKey('Z', 'r'): {
        // Source registers in hundredths: set points, maxima, nominal values.
        const std::uint8_t reg = r.u8();
        if (!r.ok())
            return answerFrame(request, kBadPayload);
        double value = 0;
        switch (reg) {
        case 112:
            value = state_.sourceVoltage;
            break;
        case 114:
            value = state_.sourceCurrent;
            break;
        case 84:
            value = 36.0;
            break;
        case 86:
            value = 25.0;
            break;
        case 80:
            value = 30.0;
            break;
        case 82:
            value = 22.0;
            break;
        default:
            break;
        }
        putAnswerU16(f, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(value * 100))));
        return f;
    }
    case commandKey('Z', 'D'): {
        const std::uint16_t dac = r.u16();
        if (!r.ok())
            return answerFrame(request, kBadPayload);
        state_.dac = dac;
        return f;
    }
    case commandKey('Z', 'd'):
        putAnswerU16(f, state_.dac);
        return f;
    case commandKey('Z', 'S'):
    case commandKey('Z', 's'):
    case commandKey('Z', 'c'):
        putAnswerU8(f, state_.sourceOn ? 0x01 : 0x00);
        return f;
    case commandKey('Z', 't'):
        putAnswerU8(f, static_cast<std::uint8_t>(std::clamp(moduleTemperature(), 0.0, 255.0)));
        return f;
    case commandKey('Z', 'R'):
    case commandKey('F', 'G'):
    case commandKey('S', 'r'):
        putAnswerU8(f, 0);
        return f;
    case commandKey('Z', 'W'):
    case commandKey('Z', 'F'):
    case commandKey('Z', 'K'):
    case commandKey('F', 'Z'):
    case commandKey('F', 'V'):
    case commandKey('I', 'w'):
    case commandKey('I', 'W'):
    case commandKey('S', 'w'):
        return f;
    case commandKey('R', 'O'): {
        const std::uint32_t mask = r.u32();
        if (!r.ok())
            return answerFrame(request, kBadPayload);
        state_.switchMask = mask & 0x00FFFFFFu;
        return f;
    }
    case commandKey('R', 'R'): {
        const std::uint8_t relay = r.u8();
        const std::uint8_t on = r.u8();
        if (!r.ok() || relay > 7)
            return answerFrame(request, kBadPayload);
        const auto bit = static_cast<std::uint8_t>(1u << relay);
        state_.relays = static_cast<std::uint8_t>(on ? state_.relays | bit : state_.relays & ~bit);
        return f;
    }
    case commandKey('M', 'c'):
    case commandKey('M', 'C'):
        putChannelReading(f, memory_, kCurrentAdcRecord, hardware_[5], request.command, battery_.current());
        return f;
    case commandKey('M', 'n'):
    case commandKey('M', 'N'): {
        const std::uint8_t channel = r.u8();
        if (!r.ok() || channel > 4)
            return answerFrame(request, kBadPayload);
        putChannelReading(f, memory_, address::kAdcRecords + 8u * channel, hardware_[channel], request.command,
                          channelValue(channel));
        return f;
    }
    case commandKey('M', 'S'):
        return status();
    case commandKey('M', 'I'):
        putAnswerSingle(f, 1000.0f); // insulation resistance, kOhm
        return f;
    case commandKey('X', 'C'): {
        const auto image = memory_.read(address::kAdcRecords, 58);
        std::copy(image->begin(), image->end(), f.payload().begin());
        f.setPayloadLength(58);
        return f;
    }
    default:
        return answerFrame(request, kUnknownCommand);
    }
}

} // namespace kapsorel::sim
