// The main window's "Soubor" items without modules: "Otevři" reads a test file into the
// panel and the data window, "Ulož" writes a copy with the panel's battery number and
// note, "Archivuj soubor" copies the file into the archive, and none of them touches the
// test file while a test runs.
#include "core/records/battery_test_reader.h"
#include "demo_definitions.h"
#include "support/qt/messages.h"
#include "support/qt/modal_answer.h"
#include "support/recorded_test.h"
#include "support/temp_home.h"
#include "ui/main/main_window.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

using namespace kapsorel;
using test::messages;

namespace {

// A finished test of two steps with three samples, written by the recorder itself; with
// `stopped`, the operator stopped it in step 0 instead.
std::filesystem::path writeTest(const test::TempHome& home, const std::string& procedure = "Ukázka (3 minuty)",
                                bool stopped = false)
{
    test::RecordedTest recorded;
    recorded.stepCount = 2;
    recorded.procedureName = procedure;
    recorded.note = "první";
    recorded.voltage = 24.0f;
    recorded.voltageRise = 1.0f;
    recorded.stopped = stopped;
    return test::recordTest(home / "Data", recorded);
}

} // namespace

class MainWindowFilesTest : public QObject {
    Q_OBJECT

    void setUpHome(const test::TempHome& home, bool withArchive)
    {
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        std::string ini =
            "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\nData_adr=" + (home / "Data").string() +
            "\nArch_adr=" + (home / "Archiv").string() + "\n";
        home.writeText("Kapsorel.ini", ini);
        if (withArchive)
            std::filesystem::create_directories(home / "Archiv");
    }

  private slots:
    void openShowsTheTestInThePanelAndTheDataWindow()
    {
        test::TempHome home;
        setUpHome(home, true);
        const auto path = writeTest(home);
        QVERIFY(!path.empty());
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        QVERIFY(w.openTestFileAt(path));
        QVERIFY(w.windowTitle().endsWith(QString::fromStdString(path.string())));
        QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("Lcislo_bat"))->text(), QStringLiteral("A12"));
        QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("Lpoznamka"))->text(), QStringLiteral("první"));
        auto* grid = w.findChild<QTableView*>(QStringLiteral("gdata"));
        QVERIFY(grid);
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(grid->model()->index(2, 2).data().toString().trimmed(), QStringLiteral("27,0"));

        // A file that is not a test file is reported and the open one stays.
        home.writeText("Data/cizi.tst", "ne");
        QVERIFY(!w.openTestFileAt(home / "Data" / "cizi.tst"));
        QVERIFY(w.windowTitle().endsWith(QString::fromStdString(path.string())));
        QCOMPARE(grid->model()->rowCount(), 3);
        QVERIFY(!messages(w).isEmpty());
    }

    void saveWritesACopyWithThePanelsNumberAndNote()
    {
        test::TempHome home;
        setUpHome(home, true);
        const auto path = writeTest(home);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        QVERIFY(w.openTestFileAt(path));
        w.findChild<QLineEdit*>(QStringLiteral("Lcislo_bat"))->setText(QStringLiteral("B7"));
        w.findChild<QLineEdit*>(QStringLiteral("Lpoznamka"))->setText(QStringLiteral("kopie"));
        bool done = false;
        w.saveTestFileTo(home / "Data" / "kopie.tst", [&] { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
        const auto copy = readTestFile(home.readBytes("Data/kopie.tst"));
        QVERIFY(copy.ok());
        QCOMPARE(QString::fromStdString(copy->head.header.batteryNumber), QStringLiteral("B7"));
        QCOMPARE(QString::fromStdString(copy->head.header.note), QStringLiteral("kopie"));
        QCOMPARE(copy->tail.size(), std::size_t{3});
        // The source stays the current test and keeps its own number.
        QVERIFY(w.windowTitle().endsWith(QString::fromStdString(path.string())));
        QCOMPARE(readTestFile(home.readBytes(std::filesystem::relative(path, home.path())))->head.header.batteryNumber,
                 std::string("A12"));
    }

    void archiveCopiesOrSaysWhyNot()
    {
        for (const bool withArchive : {true, false}) {
            test::TempHome home;
            setUpHome(home, withArchive);
            const auto path = writeTest(home);
            ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
            w.show();
            QVERIFY(w.openTestFileAt(path));
            bool done = false;
            w.archiveTestFile([&] { done = true; });
            // Until the copy reports back, the refresh keeps the file items off and a second
            // press of any of them does nothing.
            w.refreshDisplay();
            for (const char* item : {"TBXOtevri", "TBXUloz", "TBXItem1"})
                QVERIFY2(!w.findChild<QAction*>(QString::fromLatin1(item))->isEnabled(), item);
            bool secondDone = false;
            w.archiveTestFile([&] { secondDone = true; });
            QVERIFY(secondDone);
            QVERIFY(!w.openTestFileAt(path));
            QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
            QVERIFY(w.findChild<QAction*>(QStringLiteral("TBXItem1"))->isEnabled());
            const auto archived = home / "Archiv" / path.filename();
            QCOMPARE(std::filesystem::exists(archived), withArchive);
            if (!withArchive)
                QVERIFY(messages(w).contains(QStringLiteral("Archivaci nelze provést - adresář ") +
                                             QString::fromStdString((home / "Archiv").string()) +
                                             QStringLiteral(" neexistuje")));
        }
    }

    void aResumeWhoseProcedureIsGoneKeepsTheTestInterrupted()
    {
        test::TempHome home;
        setUpHome(home, true);
        const auto path = writeTest(home, "Postup, který už není", /*stopped=*/true);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        QVERIFY(w.openTestFileAt(path));
        auto& run = w.runtime().station().run;
        QCOMPARE(run.stopReason(), StopReason::OperatorStop);
        const auto before = home.readBytes(std::filesystem::relative(path, home.path()));

        for (int attempt = 0; attempt < 2; ++attempt) {
            const auto answer = test::answerNextModal(QStringLiteral("ask_ano"));
            auto* start = w.findChild<QAction*>(QStringLiteral("TBXrun"));
            start->setEnabled(true); // no refresh runs here to enable it
            start->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(messages(w).count(QStringLiteral("Postup nenalezen")) == attempt + 1, 15000);
            QVERIFY(answer.opened());
            // Still interrupted: the next Start asks again, and nothing was written.
            QTRY_COMPARE_WITH_TIMEOUT(run.stopReason(), StopReason::OperatorStop, 5000);
            QCOMPARE(run.phase(), RunPhase::Idle);
            QCOMPARE(home.readBytes(std::filesystem::relative(path, home.path())), before);
        }
    }

    void whileATestRunsTheFileIsLeftAlone()
    {
        test::TempHome home;
        setUpHome(home, true);
        const auto path = writeTest(home);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        QVERIFY(w.openTestFileAt(path));
        const auto before = home.readBytes(std::filesystem::relative(path, home.path()));
        w.runtime().station().run.setPhase(RunPhase::StepRunning);
        QVERIFY(!w.openTestFileAt(home / "Data" / "jiny.tst"));
        bool done = false;
        w.saveTestFileTo(path, [&] { done = true; });
        QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
        QCOMPARE(home.readBytes(std::filesystem::relative(path, home.path())), before);
        QVERIFY(messages(w).contains(QString::fromUtf8(test_file_messages::kRunActiveOpen)));
        QVERIFY(messages(w).contains(QString::fromUtf8(test_file_messages::kRunActiveSave)));
        w.runtime().station().run.setPhase(RunPhase::Idle);
    }
};

QTEST_MAIN(MainWindowFilesTest)
#include "main_window_files_test.moc"
