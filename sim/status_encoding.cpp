#include "status_encoding.h"

namespace kapsorel::sim {

namespace {

ModuleFrame statusHeader(std::uint8_t param, std::uint16_t payloadLength)
{
    ModuleFrame f;
    f.setCommand('M', 'S');
    f.setParam(param);
    f.setPayloadLength(payloadLength);
    return f;
}

} // namespace

ModuleFrame encodePowerStatus(const PowerStatus& s)
{
    ModuleFrame f = statusHeader(s.swVersion, kPowerStatusPayload);
    f.putU8(0, s.hardwareKind);
    f.putSingle(1, s.current);
    f.putSingle(5, s.moduleVoltage);
    f.putSingle(9, s.sourceVoltage);
    f.putSingle(21, s.batteryTemperature);
    f.putU8(25, s.ledSeconds);
    f.putU8(26, s.sirenSeconds);
    f.putU8(29, s.errorType);
    f.putSingle(31, s.moduleTemperature);
    f.putU16(30, s.faultBits);
    return f;
}

ModuleFrame encodeMeasureStatus(const MeasureStatus& s)
{
    ModuleFrame f = statusHeader(0, kMeasureStatusPayload);
    for (std::size_t i = 0; i < s.cells.size(); ++i)
        f.putSingle(4 * i, s.cells[i]);
    f.putSingle(80, s.batteryVoltage);
    f.putSingle(92, s.batteryTemperature);
    f.putU8(96, static_cast<std::uint8_t>(s.headCode));
    return f;
}

} // namespace kapsorel::sim
