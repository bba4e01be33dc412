#include "measure_module.h"

#include "frame_answers.h"
#include "status_encoding.h"

namespace kapsorel::sim {

namespace {
using namespace answer_status;
constexpr int kChannels = 23; // 20 cells, battery voltage, insulation AD1 and AD2
} // namespace

MeasureModule::MeasureModule(BatteryModel& battery, SettingsMemory memory)
    : battery_(battery), memory_(std::move(memory)), hardware_(adcTransfers(memory_, address::kAdcRecords, kChannels))
{
}

ModuleFrame MeasureModule::status()
{
    MeasureStatus s;
    for (std::size_t i = 0; i < s.cells.size(); ++i)
        s.cells[i] = static_cast<float>(battery_.cellVoltage(static_cast<int>(i) + 1));
    s.batteryVoltage = static_cast<float>(batteryVoltage());
    s.batteryTemperature = static_cast<float>(battery_.temperature());
    s.headCode = headCode_;
    return encodeMeasureStatus(s);
}

double MeasureModule::channelValue(int channel) const
{
    if (channel < 20)
        return battery_.cellVoltage(channel + 1);
    if (channel == 20)
        return batteryVoltage();
    return 0.2; // insulation divider voltages of a sound battery
}

ModuleFrame MeasureModule::answer(const FrameHeader& request, std::span<const std::uint8_t> payload)
{
    if (request.start != kFrameStart)
        return answerFrame(request, kBadFrame);
    if (auto settings = answerSettingsCommand(memory_, request, payload))
        return *settings;
    ByteReader r(payload);
    ModuleFrame f = answerFrame(request);
    switch (commandKey(request.group, request.command)) {
    case commandKey('M', 'S'):
        return status();
    case commandKey('T', 'T'):
        putAnswerSingle(f, static_cast<float>(battery_.temperature()));
        return f;
    case commandKey('T', 'h'):
        putAnswerU8(f, headCode_);
        return f;
    case commandKey('T', 'H'): {
        const std::uint8_t head = r.u8();
        if (!r.ok())
            return answerFrame(request, kBadPayload);
        headCode_ = head;
        return f;
    }
    case commandKey('M', 'n'):
    case commandKey('M', 'z'):
    case commandKey('M', 'N'): {
        const std::uint8_t channel = r.u8();
        if (!r.ok() || channel >= kChannels)
            return answerFrame(request, kBadPayload);
        putChannelReading(f, memory_, address::kAdcRecords + 8u * channel, hardware_[channel], request.command,
                          channelValue(channel));
        return f;
    }
    default:
        return answerFrame(request, kUnknownCommand);
    }
}

} // namespace kapsorel::sim
