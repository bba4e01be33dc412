// The main window's choice rules: the battery family items, which battery types the panel
// lists for a head code and family, and which family items a hardware kind shows.
#pragma once

#include "core/definitions/battery_type.h"
#include "core/station/battery_family.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kapsorel {

// The family after the operator chose `chosen` while `current` was selected: "NiCd" and
// "NiCd - PB" select themselves (again); "PB" chosen while selected leaves no family.
BatteryFamily familyAfterChoice(BatteryFamily current, BatteryFamily chosen);

// The head filter the battery types are listed with after a family change: the current
// head code for "NiCd", none (-1) otherwise.
std::int16_t headFilterForFamily(BatteryFamily family, std::int16_t headCode);

// Names of the battery types to list, in table order without repeats: those of the head
// `head` (any head when `head` <= 0) whose chemistry matches the family (NiCd types for
// "NiCd", Pb types otherwise; a type with an invalid chemistry byte never). With no head filter and nothing listed:
// "N/A" alone.
std::vector<std::string> listedBatteryTypes(const std::vector<BatteryType>& types, std::int16_t head,
                                            BatteryFamily family);

// Which family items a hardware kind shows: kind 0 "NiCd" and "NiCd - PB", kind 1 none of
// the three (and the source voltage); other kinds change nothing.
struct FamilyItemsShown {
    bool nicd = true;           // "NiCd" and "NiCd - PB"
    bool pb = false;            // "PB"
    bool sourceVoltage = false; // the source voltage label
};
std::optional<FamilyItemsShown> familyItemsForHardwareKind(std::uint8_t kind);

} // namespace kapsorel
