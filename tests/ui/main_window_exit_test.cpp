#include "core/app/instance_lock.h"
#include "support/build_paths.h"
#include "support/qt/messages.h"
#include "support/sim_process.h"
#include "support/temp_home.h"
#include "support/wait_until.h"
#include "ui/main/main_window.h"

#include <QProcess>
#include <QTest>
#include <fstream>
#include <sstream>

using namespace kapsorel;

class MainWindowExitTest : public QObject {
    Q_OBJECT

    static void writeConfig(const test::TempHome& home, const test::SimProcess& sim)
    {
        std::ostringstream ini;
        ini << "; station of the exit test\r\n[Nastaveni]\r\nIP_adr_vyk=" << sim.powerAddress()
            << "\r\nIP_adr_mer=" << sim.measureAddress() << "\r\nStanice=Zkušebna 2\r\nCizi_klic=7\r\n";
        home.writeText("Kapsorel.ini", ini.str());
    }

  private slots:
    void closeWaitsForEveryWorkerEvenOneInsideAGuiCall()
    {
        test::SimProcess sim;
        test::TempHome home;
        writeConfig(home, sim);
        auto* window = new ui::MainWindow(home.path(), home / "Kapsorel.ini");
        window->show();
        // The display refresh calls into the window once a second; keep the GUI thread busy
        // (no events processed) until the refresh is waiting inside its call, then close.
        QVERIFY(test::waitUntil([&] { return window->bridge().callsWaiting() != 0; }, std::chrono::seconds(20)));
        QCOMPARE(window->bridge().callsWaiting(), 1);
        QVERIFY(window->close());
        delete window;

        QCOMPARE(QString::fromStdString(home.readText("Kapsorel.log")),
                 QStringLiteral("Konec:\nRun_th\nMea_th\nVyk_th\nSync_th\n"));
        const std::string ini = home.readText("Kapsorel.ini");
        QVERIFY(ini.find("; station of the exit test\r\n") == 0);
        QVERIFY(ini.find("Cizi_klic=7\r\n") != std::string::npos);
        QVERIFY(ini.find("Stanice=Zkušebna 2\r\n") != std::string::npos);
        QVERIFY(ini.find("DNB_KO=-60\r\n") != std::string::npos);
        QVERIFY(ini.find("Expert") == std::string::npos);
    }

    void closeIsRefusedWhileATestRuns()
    {
        test::SimProcess sim;
        test::TempHome home;
        writeConfig(home, sim);
        ui::MainWindow window(home.path(), home / "Kapsorel.ini");
        window.show();
        window.runtime().station().run.setPhase(RunPhase::StepRunning);
        QVERIFY(!window.close());
        const QStringList shown = test::messages(window);
        QVERIFY(!shown.isEmpty());
        QCOMPARE(shown.front(), QStringLiteral("Proces je spuštěn, nelze ukončit"));
        QVERIFY(!home.readText("Kapsorel.log").size());
        window.runtime().station().run.setPhase(RunPhase::Idle);
        QVERIFY(window.close());
    }

    void unreadableConfigurationIsToldOnceAndSurvivesTheExit()
    {
        test::TempHome home;
        const auto path = home / "Kapsorel.ini";
        std::filesystem::create_directory(path);
        home.writeText("Kapsorel.ini/inside", "[RUN]\r\nTest_ukoncen=0\r\n");
        auto* window = new ui::MainWindow(home.path(), path);
        window->show();
        const QString message = QString::fromStdString(
            unreadableConfigMessage("Soubor " + path.string() + " nelze otevřít (je to složka)"));
        // Every message box counts, whatever its name.
        const auto saying = [&] {
            return int(test::messages(*window, QString()).filter(QStringLiteral("nelze otevřít")).size());
        };
        const QStringList shown = test::messages(*window);
        QVERIFY(!shown.isEmpty());
        QCOMPARE(shown.front(), message);
        QCOMPARE(saying(), 1);
        // The close saves without a word (a failed save would stop here in a modal box).
        QVERIFY(window->close());
        QCOMPARE(saying(), 1);
        delete window;
        QVERIFY(std::filesystem::is_directory(path));
        QCOMPARE(QString::fromStdString(home.readText("Kapsorel.ini/inside")),
                 QStringLiteral("[RUN]\r\nTest_ukoncen=0\r\n"));
        QVERIFY(!std::filesystem::exists(path.string() + ".tmp"));
    }

    void secondInstanceForTheSameModuleEndsAtOnceWithCodeZero()
    {
        test::SimProcess sim;
        test::TempHome home;
        writeConfig(home, sim);
        const QString config = QString::fromStdString((home / "Kapsorel.ini").string());
        QProcess first;
        first.start(QString::fromStdString(test::programPath().string()), {config});
        QVERIFY(first.waitForStarted());
        // Wait until the first program holds the station's lock.
        QTRY_VERIFY_WITH_TIMEOUT(!InstanceLock(InstanceLock::nameFor(sim.powerAddress())).acquire(), 20000);
        QCOMPARE(first.state(), QProcess::Running);

        QProcess second;
        second.start(QString::fromStdString(test::programPath().string()), {config});
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        first.terminate();
        if (!first.waitForFinished(5000)) {
            first.kill();
            first.waitForFinished();
        }
    }
};

QTEST_MAIN(MainWindowExitTest)
#include "main_window_exit_test.moc"
