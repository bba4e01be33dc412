// A window's placement (position, size, state) in its section of the configuration file.
#pragma once

#include "core/app/config_file.h"

#include <QWidget>
#include <string>

namespace kapsorel::ui {

// Keys "Left", "Top", "Width", "Height" and "State" (0 normal, 1 minimised, 2 maximised);
// nothing changes when the section has no size. Every window keeps its placement this way.
void restorePlacement(QWidget& window, const ConfigFile& config, const std::string& section);
void savePlacement(const QWidget& window, ConfigFile& config, const std::string& section);

} // namespace kapsorel::ui
