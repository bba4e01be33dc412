// Series of service exchanges with the power module.
#include "core/service/power_service_jobs.h"

#include "core/service/section_switches.h"
#include "core/service/settings_series.h"

#include <algorithm>

namespace kapsorel {

Result<std::vector<ServiceAnswer>> runServiceSeries(ModuleLink& power, const SharedRunState& run,
                                                    const std::vector<ServiceStep>& steps)
{
    const bool drives =
        std::any_of(steps.begin(), steps.end(), [](const ServiceStep& s) { return drivesHardware(s.command); });
    if (drives && run.runActive())
        return Error{kDriveDuringTestText};
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
    if (auto counts = checkSectionCounts(*block); !counts)
        return Error{counts.error()};
    return block;
}

Status writePowerSections(ModuleLink& power, const WriteGate& gate, const SectionsBlock& block)
{
    if (auto allowed = gate.allow(blocks::kPowerSections); !allowed)
        return allowed;
    SettingsSeries series(power, {}, 1);
    const auto data = block.encode();
    return series.write(gate, place::kPowerSections, data, kClose, blockName(blocks::kPowerSections));
}

} // namespace kapsorel
