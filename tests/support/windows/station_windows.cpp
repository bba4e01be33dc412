#include "support/windows/station_windows.h"

#include "support/qt/widgets.h"
#include "ui/main/main_window.h"
#include "ui/service/module_settings_window.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace kapsorel::test {

void startDemo(ui::MainWindow& w, const QString& number)
{
    w.show();
    // The head the simulator reports selects the NiCd types (and refills the lists).
    QTRY_VERIFY_WITH_TIMEOUT(widget<QLabel>(w, "panel1")->text() != QStringLiteral("COMM"), 20000);
    choose(widget<QComboBox>(w, "ctyp_bat"), QStringLiteral("20KSX25P"));
    choose(widget<QComboBox>(w, "cpostup"), QStringLiteral("Ukázka (3 minuty)"));
    widget<QLineEdit>(w, "Lcislo_bat")->setText(number);
    auto* start = widget<QAction>(w, "TBXrun");
    QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), 20000);
    start->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(w.runtime().station().run.phase() != RunPhase::Idle, 20000);
    QCOMPARE(QString::fromStdString(w.runtime().testFile().header().procedureName),
             QStringLiteral("Ukázka (3 minuty)"));
}

ui::ModuleSettingsWindow& openModuleSettings(ui::MainWindow& w)
{
    widget<QAction>(w, "TBXmoduly")->trigger();
    auto* settings = w.findChild<ui::ModuleSettingsWindow*>();
    if (!settings)
        qFatal("no module settings window");
    return *settings;
}

} // namespace kapsorel::test
