// Every window keeps its placement in its own section under the same keys, and a
// placement on a monitor that is gone comes back onto the screen.
#include "core/app/config_file.h"
#include "support/temp_home.h"
#include "ui/common/window_placement.h"
#include "ui/main/main_window.h"
#include "ui/main/manual_test_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace kapsorel;

class WindowPlacementTest : public QObject {
    Q_OBJECT

  private slots:
    void theMainWindowAndTheManualDialogKeepTheirPlacement()
    {
        test::TempHome home;
        home.writeText("Kapsorel.ini", "[TFmain]\nLeft=40\nTop=30\nWidth=900\nHeight=640\n"
                                       "[TFRucne]\nLeft=70\nTop=60\nWidth=420\nHeight=300\n");
        {
            ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
            w.show();
            QCOMPARE(w.size(), QSize(900, 640));
            QCOMPARE(w.pos(), QPoint(40, 30));
            w.move(55, 45);
            w.resize(880, 620);
            QVERIFY(w.close());
        }
        const ConfigFile saved = ConfigFile::loadForStation(home / "Kapsorel.ini");
        QCOMPARE(saved.readInt("TFmain", "Left", 0), 55);
        QCOMPARE(saved.readInt("TFmain", "Width", 0), 880);
        QCOMPARE(saved.readInt("TFmain", "State", -1), 0);
        QVERIFY(saved.readString("TFmain", "Placement", "").empty());

        ConfigFile config = ConfigFile::loadForStation(home / "Kapsorel.ini");
        ui::ManualTestWindow dialog(config);
        QCOMPARE(dialog.pos(), QPoint(70, 60));
        QCOMPARE(dialog.size(), QSize(420, 300));
    }

    void aPlacementOffEveryScreenComesBack()
    {
        test::TempHome home;
        home.writeText("Kapsorel.ini", "[TFdata]\nLeft=-5000\nTop=9000\nWidth=40000\nHeight=300\n");
        const ConfigFile config = ConfigFile::loadForStation(home / "Kapsorel.ini");
        QWidget window;
        ui::restorePlacement(window, config, "TFdata");
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(window.pos(), area.topLeft());
        QCOMPARE(window.width(), area.width());
        QCOMPARE(window.height(), 300);
    }
};

QTEST_MAIN(WindowPlacementTest)
#include "window_placement_test.moc"
