// The sets of settings images the settings window keeps for each module: what a read from a
// module or a settings file fills and what a write sends.
#pragma once

#include "core/service/adc_records.h"
#include "core/service/settings_blocks.h"

namespace kapsorel {

// Both blocks of a network tab.
struct NetworkImages {
    NetworkBlock network;
    PortsBlock ports;
    bool operator==(const NetworkImages&) const = default;
};

// Every settings image of the power module.
struct PowerImages {
    NetworkBlock network;
    PortsBlock ports;
    PowerSettingsBlock settings;
    PowerAdcImage adc;
    SectionsBlock sections;
    bool operator==(const PowerImages&) const = default;
};

// Every settings image of the measurement module.
struct MeasureImages {
    NetworkBlock network;
    PortsBlock ports;
    CellAdcTable cells;
    bool operator==(const MeasureImages&) const = default;
};

} // namespace kapsorel
