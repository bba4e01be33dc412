// Module settings file images from the fuzzer: every open must refuse or load without reading
// past the data; a file that is none of the layouts gives one refusal and nothing; a section
// it loads must be the file's bytes at the place it was found, pass the value checks, and
// putting the loaded sections back into a settings file must change nothing.
#include "core/service/settings_checks.h"
#include "core/service/settings_file.h"

#include <algorithm>
#include <cstdlib>

using namespace kapsorel;

namespace {

void sameBytes(std::span<const std::uint8_t> file, SettingsModule module, const std::vector<std::uint8_t>& data)
{
    auto at = findSection(file, module, "fuzz");
    if (!at || *at + data.size() > file.size() ||
        !std::equal(data.begin(), data.end(), file.begin() + static_cast<std::ptrdiff_t>(*at)))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    for (SettingsOpen which : {SettingsOpen::Power, SettingsOpen::Measure}) {
        const SettingsLoad one = loadSettingsImage(file, which, "fuzz");
        if (one.messages.size() + (one.power ? 1u : 0u) + (one.measure ? 1u : 0u) != 1u)
            std::abort();
    }
    const SettingsLoad load = loadSettingsImage(file, SettingsOpen::All, "fuzz");
    const BlockSet want = (load.power ? sectionBlocks(SettingsModule::Power) : 0) |
                          (load.measure ? sectionBlocks(SettingsModule::Measure) : 0);
    const bool layout = checkSettingsImage(file).ok();
    const std::size_t outcomes = load.messages.size() + (load.power ? 1u : 0u) + (load.measure ? 1u : 0u);
    if (load.loaded != want || outcomes != (layout ? 2u : 1u) || (!layout && (load.power || load.measure)))
        std::abort();
    if ((load.power && !checkPowerImages(*load.power).ok()) ||
        (load.measure && !checkMeasureImages(*load.measure).ok()))
        std::abort();
    if (load.power)
        sameBytes(file, SettingsModule::Power, encodePowerSection(*load.power));
    if (load.measure)
        sameBytes(file, SettingsModule::Measure, encodeMeasureSection(*load.measure));

    const SettingsSections sections{load.power, load.measure};
    if (layout && (load.power || load.measure)) {
        auto again = updatedSettingsImage(file, sections);
        if (!again || !std::equal(again->begin(), again->end(), file.begin(), file.end()))
            std::abort();
    }
    if (load.power || load.measure) {
        auto fresh = freshSettingsImage(sections);
        if (!fresh || !checkSettingsImage(fresh.value()).ok())
            std::abort();
        const SettingsLoad back = loadSettingsImage(fresh.value(), SettingsOpen::All, "fuzz");
        if (back.loaded != load.loaded)
            std::abort();
    }
    return 0;
}
