#include "ui/common/window_placement.h"

namespace kapsorel::ui {

void restorePlacement(QWidget& window, const ConfigFile& config, const std::string& section)
{
    const int width = config.readInt(section, "Width", 0);
    const int height = config.readInt(section, "Height", 0);
    if (width <= 0 || height <= 0)
        return;
    window.move(config.readInt(section, "Left", window.x()), config.readInt(section, "Top", window.y()));
    window.resize(width, height);
    const int state = config.readInt(section, "State", 0);
    if (state == 2)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    else if (state == 1)
        window.setWindowState(window.windowState() | Qt::WindowMinimized);
}

void savePlacement(const QWidget& window, ConfigFile& config, const std::string& section)
{
    const QRect r = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    config.writeInt(section, "Left", r.x());
    config.writeInt(section, "Top", r.y());
    config.writeInt(section, "Width", r.width());
    config.writeInt(section, "Height", r.height());
    config.writeInt(section, "State", window.isMaximized() ? 2 : (window.isMinimized() ? 1 : 0));
}

} // namespace kapsorel::ui
