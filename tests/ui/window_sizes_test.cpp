// Every window fits a 1366×768 screen at 100 %: opened from the main window as the operator
// and the service user open them, each window's size and the least size its layout needs
// stay inside what such a screen leaves for a window (its panel and the title bar taken off).
#include "support/demo_station.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "ui/main/main_window.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTest>

using namespace kapsorel;
using test::snap;
using test::widget;

namespace {

// 1366×768 less a desktop panel of 40 px and a title bar of 30 px.
constexpr QSize kRoom(1366, 768 - 40 - 30);

QString fits(const QWidget& w)
{
    const QSize size = w.size(), least = w.minimumSizeHint().expandedTo(w.minimumSize());
    if (size.width() <= kRoom.width() && size.height() <= kRoom.height() && least.width() <= kRoom.width() &&
        least.height() <= kRoom.height())
        return {};
    return QStringLiteral("%1: %2×%3, needs %4×%5")
        .arg(w.objectName())
        .arg(size.width())
        .arg(size.height())
        .arg(least.width())
        .arg(least.height());
}

} // namespace

class WindowSizesTest : public QObject {
    Q_OBJECT

  private slots:
    void everyWindowFits()
    {
        test::DemoStation station;
        QVERIFY(station.ready);
        // The service level: every item of "Nastavení" is there.
        {
            ConfigFile config = ConfigFile::loadForStation(station.ini());
            config.writeInt("Nastaveni", "Expert", 2);
            QVERIFY(config.save().ok());
        }
        ui::MainWindow w(station.home.path(), station.ini(), station.clock, false);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QStringList misfits;
        if (const QString m = fits(w); !m.isEmpty())
            misfits << m;

        // Modal windows: measured while they are up.
        for (const char* action : {"TBXpostupy", "TBXbaterie", "TBXprogram", "TBXfw", "TBXrucne"}) {
            QString measured;
            auto answer = test::ModalAnswer([&](QDialog* d) {
                QTest::qWait(50);
                measured = fits(*d);
                snap(*d, QStringLiteral("size-") + d->objectName());
                d->reject();
            });
            QAction* a = widget<QAction>(w, action);
            if (!a->isEnabled() || !a->isVisible())
                continue;
            a->trigger();
            QVERIFY2(answer.opened(), action);
            if (!measured.isEmpty())
                misfits << measured;
        }
        // Windows that stay open beside the main window.
        for (const char* action : {"TBXData", "TBXKroky", "TBXGraf", "TBXmoduly", "TBXhistorie"})
            widget<QAction>(w, action)->trigger();
        QApplication::processEvents();
        int windows = 0;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (!top->isVisible() || top == &w)
                continue;
            ++windows;
            snap(*top, QStringLiteral("size-") + top->objectName());
            if (const QString m = fits(*top); !m.isEmpty())
                misfits << m;
        }
        QVERIFY(windows >= 5);
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(WindowSizesTest)
#include "window_sizes_test.moc"
