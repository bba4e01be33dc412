#include "ui/common/app_icons.h"

#include <QHash>

// The images live in a static library: register them before first use.
static void registerIconResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}

namespace kapsorel::ui {

namespace {

QString glyphOf(const QString& item)
{
    static const QHash<QString, QString> glyphs = {
        {QStringLiteral("TBXrun"), QStringLiteral("start")},
        {QStringLiteral("TBXrun_resume"), QStringLiteral("resume")},
        {QStringLiteral("TBXstop"), QStringLiteral("stop")},
        {QStringLiteral("TBXrucne"), QStringLiteral("manual")},
        {QStringLiteral("TBXSubSoubor"), QStringLiteral("file")},
        {QStringLiteral("TBXKroky"), QStringLiteral("table")},
        {QStringLiteral("TBXData"), QStringLiteral("table")},
        {QStringLiteral("TBXGraf"), QStringLiteral("graph")},
        {QStringLiteral("TBXTisk"), QStringLiteral("print")},
        {QStringLiteral("TBXSubNastaveni"), QStringLiteral("settings")},
        {QStringLiteral("TBXporucha"), QStringLiteral("fault")},
    };
    return glyphs.value(item);
}

} // namespace

QSize toolbarIconSize(int size)
{
    switch (size) {
    case 1:
        return {32, 32};
    case 2:
        return {48, 48};
    default:
        return {20, 20};
    }
}

QString toolbarIconPath(const QString& item, int size)
{
    const QString glyph = glyphOf(item);
    if (glyph.isEmpty())
        return {};
    static const char* const sets[] = {"small", "medium", "large"};
    return QStringLiteral(":/icons/%1/%2.svg").arg(QString::fromLatin1(sets[size < 0 || size > 2 ? 0 : size]), glyph);
}

QIcon toolbarIcon(const QString& item, int size)
{
    registerIconResources();
    const QString path = toolbarIconPath(item, size);
    return path.isEmpty() ? QIcon() : QIcon(path);
}

QIcon appIcon(bool fault)
{
    registerIconResources();
    return QIcon(fault ? QStringLiteral(":/icons/app_fault.svg") : QStringLiteral(":/icons/app_normal.svg"));
}

} // namespace kapsorel::ui
