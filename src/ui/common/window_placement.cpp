#include "ui/common/window_placement.h"

#include <QGuiApplication>
#include <QScreen>

namespace kapsorel::ui {

void restorePlacement(QWidget& window, const ConfigFile& config, const std::string& section)
{
    const int width = config.readInt(section, "Width", 0);
    const int height = config.readInt(section, "Height", 0);
    if (width <= 0 || height <= 0)
        return;
    QRect r(config.readInt(section, "Left", window.x()), config.readInt(section, "Top", window.y()), width, height);
    // A placement whose title row lies on no screen (a monitor that is gone) comes back
    // onto the primary screen, no larger than it.
    const QRect titleRow(r.topLeft(), QSize(r.width(), 1));
    const QScreen* primary = QGuiApplication::primaryScreen();
    bool visible = false;
    for (const QScreen* screen : QGuiApplication::screens())
        visible = visible || screen->availableGeometry().intersects(titleRow);
    if (primary && !visible) {
        const QRect area = primary->availableGeometry();
        r.setSize(r.size().boundedTo(area.size()));
        r.moveTopLeft(area.topLeft());
    }
    window.move(r.topLeft());
    window.resize(r.size());
    const int state = config.readInt(section, "State", 0);
    if (state == 2)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    else if (state == 1)
        window.setWindowState(window.windowState() | Qt::WindowMinimized);
}

void savePlacement(const QWidget& window, ConfigFile& config, const std::string& section)
{
    // Left and Top are the frame's corner, as move() takes them back; the size is the
    // inside, as resize() takes it back. A maximised window keeps its normal placement.
    const QRect r = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    const QPoint frameOffset = window.geometry().topLeft() - window.pos();
    config.writeInt(section, "Left", r.x() - frameOffset.x());
    config.writeInt(section, "Top", r.y() - frameOffset.y());
    config.writeInt(section, "Width", r.width());
    config.writeInt(section, "Height", r.height());
    config.writeInt(section, "State", window.isMaximized() ? 2 : (window.isMinimized() ? 1 : 0));
}

} // namespace kapsorel::ui
