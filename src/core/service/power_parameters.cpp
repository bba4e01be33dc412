#include "core/service/power_parameters.h"

#include "core/base/bytes.h"
#include "core/service/settings_requests.h"

#include <string>

namespace kapsorel {

namespace {

constexpr const char* kBlockName = "parametry zdroje";

} // namespace

std::vector<std::uint8_t> encodePowerParameters(const PowerParameters& parameters)
{
    ByteWriter w;
    w.u8(parameters.firstSourceDelaySeconds);
    w.single(parameters.checkMinVoltage);
    return w.take();
}

Result<PowerParameters> decodePowerParameters(std::span<const std::uint8_t> payload)
{
    if (payload.size() < kPowerParametersLength)
        return Error{"Nenačteno: " + std::string(kBlockName) + " – modul vrátil " + std::to_string(payload.size()) +
                     " B místo " + std::to_string(kPowerParametersLength) + " B"};
    ByteReader r(payload);
    PowerParameters p;
    p.firstSourceDelaySeconds = r.u8();
    p.checkMinVoltage = r.single();
    return p;
}

Result<PowerParameters> readPowerParameters(ModuleLink& power)
{
    ModuleExchange exchange = power.begin();
    fillReadRequest(exchange.frame(), kPowerParametersAddress, kPowerParametersLength);
    const ExchangeOutcome outcome = exchange.exchange(kClose);
    auto payload =
        checkCommandAnswer(outcome, exchange.frame(), kPowerParametersLength, "Nenačteno: " + std::string(kBlockName));
    if (!payload)
        return Error{payload.error()};
    return decodePowerParameters(payload.value());
}

Status writePowerParameters(ModuleLink& power, const PowerParameters& parameters)
{
    ModuleExchange exchange = power.begin();
    return writeSettings(exchange, kPowerParametersAddress, kPowerParametersWriteParam,
                         encodePowerParameters(parameters), kClose, kBlockName);
}

} // namespace kapsorel
