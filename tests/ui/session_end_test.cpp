// Logout and system shutdown (SIGTERM, SIGHUP) end the station program along its exit path
// without questions: a running test stays resumable, the settings and the shutdown log are
// written, and the program ends with code 0.
#include "demo_definitions.h"
#include "support/build_paths.h"
#include "support/qt/messages.h"
#include "support/sim_process.h"
#include "support/temp_home.h"
#include "support/windows/station_windows.h"
#include "ui/main/main_window.h"
#include "ui/main/session_end_signals.h"

#include <QPointer>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace kapsorel;

namespace {

constexpr const char* kShutdownLog = "Konec:\nRun_th\nMea_th\nVyk_th\nSync_th\n";

void writeStation(const test::TempHome& home, const test::SimProcess& sim)
{
    std::ostringstream ini;
    ini << "; station of the session end test\n[Nastaveni]\nIP_adr_vyk=" << sim.powerAddress()
        << "\nIP_adr_mer=" << sim.measureAddress() << "\nStanice=Zkušebna\nData_adr=" << (home / "Data").string()
        << "\n";
    home.writeText("Kapsorel.ini", ini.str());
}

} // namespace

class SessionEndTest : public QObject {
    Q_OBJECT

  private slots:
    void signalDuringARunClosesWithoutQuestionsAndLeavesTheTestResumable_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void signalDuringARunClosesWithoutQuestionsAndLeavesTheTestResumable()
    {
        QFETCH(int, signal);
        test::SimProcess sim{{"--time-scale", "10", "--capacity", "25", "--charge", "0.6"}};
        test::TempHome home;
        writeStation(home, sim);
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        QPointer<ui::MainWindow> window = new ui::MainWindow(home.path(), home / "Kapsorel.ini");
        auto* sessionEnd = new ui::SessionEndSignals(*window);
        QVERIFY(sessionEnd->installed());
        test::startDemo(*window, QStringLiteral("S1"));
        if (QTest::currentTestFailed())
            return;
        QTRY_VERIFY_WITH_TIMEOUT(!window->samples().empty(), 60000);
        const auto testPath = window->runtime().testFile().currentPath();
        QVERIFY(!testPath.empty());

        // A plain close is refused while the test runs; the session's end is not.
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        QVERIFY(!home.readText("Kapsorel.log").size());
        ::raise(signal);
        QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 10000);
        QCOMPARE(test::messages(*window).count(QStringLiteral("Proces je spuštěn, nelze ukončit")), 1);
        delete window.data();

        QCOMPARE(QString::fromStdString(home.readText("Kapsorel.log")), QString::fromLatin1(kShutdownLog));
        const std::string ini = home.readText("Kapsorel.ini");
        QVERIFY(ini.find("; station of the session end test\n") == 0);
        QVERIFY(ini.find("TYP_BAT=20KSX25P\n") != std::string::npos); // the chosen type was saved
        QVERIFY(ini.find("Test_ukoncen=0") != std::string::npos);

        // The next program start offers the test's resume.
        ui::MainWindow next(home.path(), home / "Kapsorel.ini", false);
        SampleTable samples;
        StepTable steps;
        const auto check = next.runtime().testFile().checkInterruptedTest(false, samples, steps);
        QCOMPARE(int(check.outcome), int(InterruptedTestCheck::Outcome::AskToResume));
        QCOMPARE(next.runtime().testFile().currentPath(), testPath);
        QVERIFY(QString::fromStdString(check.message).startsWith(QStringLiteral("Proces přerušen v 1.kroku")));
    }

    void programEndsWithCodeZeroOnTheSignal_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void programEndsWithCodeZeroOnTheSignal()
    {
        QFETCH(int, signal);
        test::SimProcess sim;
        test::TempHome home;
        writeStation(home, sim);
        QProcess program;
        program.start(QString::fromStdString(test::programPath().string()),
                      {QString::fromStdString((home / "Kapsorel.ini").string())});
        QVERIFY(program.waitForStarted());
        // Once the workers run, the end has workers to stop and a log to write.
        QTest::qWait(1500);
        QCOMPARE(program.state(), QProcess::Running);
        // The program keeps its shutdown log beside itself.
        const std::filesystem::path log = test::programPath().parent_path() / "Kapsorel.log";
        std::filesystem::remove(log);
        QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        std::ifstream in(log);
        std::ostringstream written;
        written << in.rdbuf();
        QCOMPARE(QString::fromStdString(written.str()), QString::fromLatin1(kShutdownLog));
        QVERIFY(home.readText("Kapsorel.ini").find("DNB_KO=") != std::string::npos); // settings written
    }
};

QTEST_MAIN(SessionEndTest)
#include "session_end_test.moc"
