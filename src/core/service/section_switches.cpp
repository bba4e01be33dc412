// Load elements, their masks and the resistance measurement.
#include "core/service/section_switches.h"

#include <cmath>
#include <cstdio>

namespace kapsorel {
namespace {

std::string formatted(const char* format, float value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, static_cast<double>(value));
    return text;
}

} // namespace

std::optional<SectionRow> SectionSwitches::rowOf(std::size_t element, std::size_t resistors, std::size_t banks)
{
    if (element < resistors)
        return SectionRow{false, element + 1};
    if (element - resistors < banks && element < kLoadElements)
        return SectionRow{true, element - resistors + 1};
    return std::nullopt;
}

std::optional<std::size_t> SectionSwitches::elementOf(const SectionRow& row, std::size_t resistors, std::size_t banks)
{
    if (row.row == 0 || row.row > (row.bank ? banks : resistors))
        return std::nullopt;
    const std::size_t element = (row.bank ? resistors : 0) + row.row - 1;
    if (element >= kLoadElements)
        return std::nullopt;
    return element;
}

std::uint32_t SectionSwitches::mask() const
{
    std::uint32_t m = 0;
    for (std::size_t i = 0; i < kLoadElements; ++i)
        if (on_[i])
            m |= 1u << i;
    return m;
}

std::vector<std::uint32_t> SectionSwitches::click(std::size_t element, bool multi, std::size_t resistors,
                                                  std::size_t banks)
{
    if (element >= kLoadElements)
        return {};
    if (on_[element]) {
        on_[element] = false;
        return {mask()};
    }
    std::vector<std::uint32_t> masks;
    if (!multi)
        masks.push_back(allOff());
    on_[element] = true;
    last_ = rowOf(element, resistors, banks);
    masks.push_back(mask());
    return masks;
}

std::uint32_t SectionSwitches::allOff()
{
    on_.fill(false);
    return 0;
}

ResistanceResult resistanceFrom(std::optional<float> volts, std::optional<float> amperes)
{
    ResistanceResult r;
    r.voltageText = volts ? formatted("%6.2fV", *volts) : std::string("ERR");
    r.currentText = amperes ? formatted("%6.2fA", *amperes) : std::string("ERR");
    if (!volts || !amperes || *amperes == 0.0f) {
        r.resistanceText = "ERR";
        return r;
    }
    const float ohms = *volts / *amperes;
    if (!std::isfinite(ohms)) {
        r.resistanceText = "ERR";
        return r;
    }
    r.ohms = ohms;
    r.resistanceText = formatted("%6.2fOhm", ohms);
    return r;
}

Result<SectionRow> resistanceTarget(const std::optional<SectionRow>& last, std::size_t resistors, std::size_t banks)
{
    if (!last)
        return Error{"Není zapnutý žádný odpor ani odporník"};
    if (last->row == 0 || last->row > (last->bank ? banks : resistors))
        return Error{std::string(last->bank ? "Odporník " : "Odpor ") + std::to_string(last->row) +
                     " už v tabulce není"};
    return *last;
}

SectionsBlock sectionsFromGrids(const SectionsBlock& previous, const std::vector<float>& resistorOhms,
                                const std::vector<float>& bankOhms)
{
    SectionsBlock b = previous;
    b.resistorCount = static_cast<std::uint8_t>(std::min(resistorOhms.size(), SectionsBlock::kMaxResistorCount));
    b.bankCount = static_cast<std::uint8_t>(std::min(bankOhms.size(), SectionsBlock::kMaxBankCount));
    auto take = [](float& conductance, float ohms) {
        if (ohms != resistanceFromConductance(conductance))
            conductance = conductanceFromResistance(ohms);
    };
    for (std::size_t i = 0; i < b.resistorCount; ++i)
        take(b.resistors[i], resistorOhms[i]);
    for (std::size_t i = 0; i < b.bankCount; ++i)
        take(b.banks[i], bankOhms[i]);
    return b;
}

} // namespace kapsorel
