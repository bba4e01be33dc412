// Names of the settings blocks and the refusals of writes.
#include "core/service/write_guard.h"

#include <bit>

namespace kapsorel {

const char* const kWriteDuringTestText = "Během testu nelze zapisovat do modulu";

std::string blockName(BlockSet single)
{
    using namespace blocks;
    if (single == kPowerNetwork)
        return "síť výkonového modulu";
    if (single == kPowerPorts)
        return "porty výkonového modulu";
    if (single == kPowerSettings)
        return "nastavení výkonového modulu";
    if (single == kPowerSections)
        return "sekce výkonového modulu";
    if (single == kPowerAdcSpare)
        return "rezerva kalibrace výkonového modulu";
    if (single == kMeasureNetwork)
        return "síť měřícího modulu";
    if (single == kMeasurePorts)
        return "porty měřícího modulu";
    if (single == kMeasureHeadType)
        return "typ hlavy měřícího modulu";
    const unsigned bit = static_cast<unsigned>(std::countr_zero(single));
    if (bit >= kPowerAdcFirstBit && bit < kPowerAdcFirstBit + 6)
        return "kalibrace výkonového modulu, záznam " + std::to_string(bit - kPowerAdcFirstBit);
    if (bit >= kCellFirstBit && bit < kCellFirstBit + 23)
        return "kalibrace měřícího modulu, záznam " + std::to_string(bit - kCellFirstBit);
    return "blok " + std::to_string(bit);
}

Status WriteGuard::allowWrite(BlockSet set) const
{
    const BlockSet missing = set & ~known_.load(std::memory_order_relaxed);
    if (missing == 0)
        return {};
    const BlockSet first = missing & (~missing + 1);
    return Error{"Nezapsáno: " + blockName(first) + " – nejdříve je načtěte z modulu nebo ze souboru nastavení"};
}

Status WriteGate::allow(BlockSet set) const
{
    if (auto running = stillAllowed(); !running)
        return running;
    return guard_.allowWrite(set);
}

Status WriteGate::stillAllowed() const
{
    if (run_.runActive())
        return Error{kWriteDuringTestText};
    return {};
}

} // namespace kapsorel
