// "Soubor" → "Historie baterie": the window lists the battery's tests of the data and archive
// folders oldest first with their results (a test copied to the archive once), the table
// fills the window's width, "Otevři" opens the chosen test in the main window, and "Tisk",
// enabled only with a row chosen, prints the chosen test's chart report, leaving the open
// test and a run alone.
#include "core/records/history_index.h"
#include "demo_definitions.h"
#include "support/long_test_file.h"
#include "support/qt/messages.h"
#include "support/qt/modal_answer.h"
#include "support/qt/program_output.h"
#include "support/qt/widgets.h"
#include "support/temp_home.h"
#include "ui/main/battery_history_window.h"
#include "ui/main/main_window.h"

#include <QAction>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace kapsorel;
using test::snap;

namespace {

void writeTest(const std::filesystem::path& path, const std::string& battery, DayTime start, std::size_t samples = 5)
{
    test::LongTestSpec spec{.samples = samples, .steps = 2, .start = start};
    BatteryTestHeader header = test::longTestHeader(spec);
    header.batteryNumber = battery;
    test::writeTestFile(path, header, 0, spec.samples,
                        [&spec](std::size_t i) { return test::longTestSample(spec, i); });
}

// A station whose data folder holds two tests of "A12" (one of them also copied to the
// archive) and one of "B7", and whose archive holds an older test of "A12".
void setUpStation(const test::TempHome& home)
{
    QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
    std::filesystem::create_directories(home / "Data");
    std::filesystem::create_directories(home / "Archiv");
    home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\nData_adr=" +
                                       (home / "Data").string() + "\nArch_adr=" + (home / "Archiv").string() + "\n");
    writeTest(home / "Data" / "new.tst", "A12", 45010.5);
    std::filesystem::copy_file(home / "Data" / "new.tst", home / "Archiv" / "new.tst");
    writeTest(home / "Archiv" / "old.tst", "A12", 45001.25);
    writeTest(home / "Data" / "other.tst", "B7", 45005.0);
}

// Opens the history window from the main window's menu and looks up "A12".
ui::BatteryHistoryWindow* historyOfA12(ui::MainWindow& w)
{
    auto* item = w.findChild<QAction*>(QStringLiteral("TBXhistorie"));
    if (!item)
        return nullptr;
    item->trigger();
    auto* window = w.findChild<ui::BatteryHistoryWindow*>(QStringLiteral("batteryHistory"));
    if (!window)
        return nullptr;
    window->findChild<QLineEdit*>(QStringLiteral("historyBattery"))->setText(QStringLiteral("A12"));
    bool done = false;
    window->find([&] { done = true; });
    if (!QTest::qWaitFor([&] { return done; }, 20000))
        return nullptr;
    return window;
}

} // namespace

class BatteryHistoryWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void listsTheBatterysTestsAndOpensTheChosenOne()
    {
        test::TempHome home;
        setUpStation(home);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        auto* item = w.findChild<QAction*>(QStringLiteral("TBXhistorie"));
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("Historie baterie"));
        QVERIFY(w.findChild<QAction*>(QStringLiteral("TBXSubSoubor"))->menu()->actions().contains(item));
        item->trigger();
        auto* window = w.findChild<ui::BatteryHistoryWindow*>(QStringLiteral("batteryHistory"));
        QVERIFY(window);
        QVERIFY(window->isVisible());

        window->findChild<QLineEdit*>(QStringLiteral("historyBattery"))->setText(QStringLiteral("A12"));
        bool done = false;
        window->find([&] { done = true; });
        QVERIFY(!window->findChild<QPushButton*>(QStringLiteral("historyFind"))->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
        QVERIFY(window->findChild<QPushButton*>(QStringLiteral("historyFind"))->isEnabled());

        auto* table = window->findChild<QTableWidget*>(QStringLiteral("historyTable"));
        QCOMPARE(table->rowCount(), 2); // the archived copy of new.tst is not listed again
        QCOMPARE(table->item(0, 5)->text(), QStringLiteral("Archiv: old.tst"));
        QCOMPARE(table->item(1, 5)->text(), QStringLiteral("new.tst"));
        QCOMPARE(table->item(1, 0)->text(), QStringLiteral("25.3.2023 12:00:00"));
        QCOMPARE(table->item(1, 2)->text(), QStringLiteral("Dlouhý test"));
        QCOMPARE(table->item(1, 4)->text(), QString::fromUtf8(historyResultText(HistoryResult::Interrupted)));
        QVERIFY(std::filesystem::exists(historyStorePath(home / "Data")));

        // The last column reaches the table's right edge, also when the window grows.
        for (const int width : {820, 1200}) {
            window->resize(width, 360);
            QTest::qWait(50);
            const QHeaderView* header = table->horizontalHeader();
            const int last = table->columnCount() - 1;
            QCOMPARE(header->sectionViewportPosition(last) + header->sectionSize(last), table->viewport()->width());
        }
        window->resize(820, 360);
        snap(*window, "hist-window");

        table->selectRow(1);
        window->findChild<QPushButton*>(QStringLiteral("historyOpen"))->click();
        QVERIFY(w.windowTitle().endsWith(QString::fromStdString((home / "Data" / "new.tst").string())));
    }

    void printingALongTestShowsItsProgressAndCanBeCancelled()
    {
        test::TempHome home;
        setUpStation(home);
        // The newest test of "A12", long enough that reading it takes many pieces.
        writeTest(home / "Data" / "long.tst", "A12", 45020.0, 200'000);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        auto* window = historyOfA12(w);
        QVERIFY(window);
        auto* table = window->findChild<QTableWidget*>(QStringLiteral("historyTable"));
        auto* print = window->findChild<QPushButton*>(QStringLiteral("historyPrint"));
        table->selectRow(table->rowCount() - 1);

        // "Zrušit" as soon as the GUI thread takes events during the read, on the progress
        // shown over the history window. The read may (rarely, on a busy machine) end
        // before that; then its preview is closed and the cancel tried once more.
        bool cancelled = false;
        for (int attempt = 0; attempt < 5 && !cancelled; ++attempt) {
            QTimer::singleShot(0, window, [window] {
                auto* progress = window->findChild<QProgressDialog*>(QStringLiteral("openProgress"));
                QVERIFY(progress);
                progress->findChild<QPushButton*>()->click();
            });
            print->click();
            auto* dialog = w.findChild<QPrintPreviewDialog*>(QStringLiteral("nahled"));
            cancelled = dialog == nullptr;
            if (dialog) {
                dialog->close();
                QTRY_VERIFY(!w.findChild<QPrintPreviewDialog*>(QStringLiteral("nahled")));
            }
        }
        QVERIFY(cancelled);
        QVERIFY(test::messages(w).contains(QString::fromUtf8(test_file_messages::kOpenCancelled)));
        QVERIFY(!w.runtime().testFile().hasTestFile());
        QVERIFY(w.samples().empty());
    }

    // Runs pdfinfo and pdftotext, so it comes last: under ThreadSanitizer a process that
    // has started another may start no thread after it.
    void printsTheChosenTestsChartReport()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        test::TempHome home;
        setUpStation(home);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        auto* window = historyOfA12(w);
        QVERIFY(window);
        auto* table = window->findChild<QTableWidget*>(QStringLiteral("historyTable"));
        auto* print = window->findChild<QPushButton*>(QStringLiteral("historyPrint"));
        QVERIFY(print);
        QCOMPARE(print->text(), QStringLiteral("&Tisk"));
        QVERIFY(!print->isEnabled());

        // The newest test is open in the main window and a test runs (as far as the window
        // can tell); the archived test is printed all the same and both stay as they are.
        table->selectRow(1);
        window->findChild<QPushButton*>(QStringLiteral("historyOpen"))->click();
        const QString openTitle = w.windowTitle();
        QVERIFY(openTitle.endsWith(QString::fromStdString((home / "Data" / "new.tst").string())));
        const std::size_t openSamples = w.samples().size();
        SharedRunState& runState = w.runtime().station().run;
        runState.setPhase(RunPhase::StepRunning);
        table->selectRow(0);
        QVERIFY(print->isEnabled());
        snap(*window, "hist-chosen");
        print->click();
        auto* dialog = w.findChild<QPrintPreviewDialog*>(QStringLiteral("nahled"));
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QTest::qWait(200);
        snap(*dialog, "hist-preview");
        auto* exportPdf = dialog->findChild<QAction*>(QStringLiteral("act_export_pdf"));
        QVERIFY(exportPdf);
        QString written;
        {
            const test::ModalAnswer save([&written](QDialog* d) {
                auto* files = qobject_cast<QFileDialog*>(d);
                QVERIFY(files);
                written = files->selectedFiles().value(0);
                static_cast<QDialog*>(files)->accept();
            });
            exportPdf->trigger();
            QVERIFY(save.opened());
        }
        QVERIFY(!written.isEmpty());
        const QString info = test::programOutput(QStringLiteral("pdfinfo"), {written});
        QVERIFY2(info.contains(QStringLiteral("Pages:")), qPrintable(info));
        const QString text =
            test::programOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), written, QStringLiteral("-")});
        QVERIFY2(text.contains(QStringLiteral("A12 - ") + table->item(0, 0)->text()), qPrintable(text));
        QVERIFY2(!text.contains(table->item(1, 0)->text()), qPrintable(text));
        dialog->close();
        QTRY_VERIFY(!w.findChild<QPrintPreviewDialog*>(QStringLiteral("nahled")));
        QCOMPARE(w.windowTitle(), openTitle);
        QCOMPARE(w.samples().size(), openSamples);
        QCOMPARE(w.runtime().testFile().currentPath(), home / "Data" / "new.tst");
        QVERIFY(test::messages(w).isEmpty());
        runState.setPhase(RunPhase::Idle);

        // Without a chosen row there is nothing to print.
        table->clearSelection();
        QVERIFY(!print->isEnabled());
    }
};

QTEST_MAIN(BatteryHistoryWindowTest)
#include "battery_history_window_test.moc"
