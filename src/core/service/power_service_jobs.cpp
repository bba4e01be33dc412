// Series of service exchanges with the power module.
#include "core/service/power_service_jobs.h"

#include "core/service/settings_checks.h"
#include "core/service/settings_series.h"

namespace kapsorel {

Result<std::vector<ServiceAnswer>> runServiceSeries(ModuleLink& power, const SharedRunState& run,
                                                    const std::vector<ServiceStep>& steps)
{
    for (const ServiceStep& step : steps)
        if (auto allowed = driveAllowed(step.command, run); !allowed)
            return Error{allowed.error()};
    std::vector<ServiceAnswer> answers;
    ModuleExchange exchange = power.begin();
    for (const ServiceStep& step : steps) {
        answers.push_back(exchangeService(exchange, step.command, step.disconnectAfter));
        if (!answers.back().answered) {
            exchange.close();
            break;
        }
    }
    return answers;
}

Status driveAllowed(const ModuleCommand& command, const SharedRunState& run)
{
    if (drivesHardware(command) && run.runActive())
        return Error{kDriveDuringTestText};
    return {};
}

std::vector<ServiceStep> keptSeries(std::vector<ModuleCommand> commands, bool closeAtEnd)
{
    std::vector<ServiceStep> steps;
    for (std::size_t i = 0; i < commands.size(); ++i)
        steps.push_back({std::move(commands[i]), i + 1 == commands.size() && closeAtEnd ? kClose : kKeepOpen});
    return steps;
}

Result<SectionsBlock> readPowerSections(ModuleLink& power)
{
    SettingsSeries series(power, {}, 1);
    auto bytes = series.read(place::kPowerSections, kClose, blockName(blocks::kPowerSections));
    if (!bytes)
        return Error{bytes.error()};
    auto block = SectionsBlock::decode(*bytes);
    if (!block)
        return Error{block.error()};
    return checkedRead(std::move(block), checkSections);
}

Status writePowerSections(ModuleLink& power, const WriteGate& gate, const SectionsBlock& block)
{
    if (auto values = checkedWrite(checkSections(block)); !values)
        return values;
    if (auto allowed = gate.allow(blocks::kPowerSections); !allowed)
        return allowed;
    SettingsSeries series(power, {}, 1);
    const auto data = block.encode();
    return series.write(gate, place::kPowerSections, data, kClose, blockName(blocks::kPowerSections));
}

} // namespace kapsorel
