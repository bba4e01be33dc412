// The power module commands a test sends, as the run engine, the start of a test and the
// power poller reach them. The station implements them over the module's TCP link (with
// the live drive indicators); tests record them.
#pragma once

#include <cstdint>

namespace kapsorel {

// "MT": whether the module answered and, only then, what it said of its sensor.
struct TemperatureCheck {
    bool answered = false;
    float reading = 0;
    bool sensorFault = false;
};

class PowerCommands {
  public:
    virtual ~PowerCommands() = default;

    virtual void charge(float voltage, float current) = 0;                       // "PC"
    virtual void chargeSetPoints(float voltage, float current) = 0;              // "PT"
    virtual void discharge(float current) = 0;                                   // "PD"
    virtual void stop() = 0;                                                     // "PS"
    virtual void procedureEnd() = 0;                                             // "PK"
    virtual void runIndicator(bool running) = 0;                                 // "PL"
    virtual void signal(std::uint8_t ledSeconds, std::uint8_t sirenSeconds) = 0; // "PA"
    virtual void signalAck() = 0;                                                // "Pa"
    virtual void newTest() = 0;                                                  // "PE"
    virtual TemperatureCheck temperatureCheck() = 0;                             // "MT"
};

} // namespace kapsorel
