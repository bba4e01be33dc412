// "Soubor" → "Export CSV" in the main window: the current test is exported off the GUI
// thread with the item disabled until it ends, the outcome is reported, and a cancelled
// export leaves no file.
#include "core/records/csv_export.h"
#include "demo_definitions.h"
#include "support/long_test_file.h"
#include "support/qt/messages.h"
#include "support/temp_home.h"
#include "ui/main/csv_export_action.h"
#include "ui/main/main_window.h"

#include <QAction>
#include <QMenu>
#include <QTest>

using namespace kapsorel;
using test::messages;

class MainWindowExportTest : public QObject {
    Q_OBJECT

    static void setUpHome(const test::TempHome& home)
    {
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\nData_adr=" +
                                           (home / "Data").string() + "\n");
        std::filesystem::create_directories(home / "Data");
    }

  private slots:
    void theItemSitsInTheFileMenu()
    {
        test::TempHome home;
        setUpHome(home);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto* item = w.findChild<QAction*>(QStringLiteral("TBXexportcsv"));
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("Export CSV"));
        auto* file = w.findChild<QAction*>(QStringLiteral("TBXSubSoubor"));
        QVERIFY(file && file->menu());
        QVERIFY(file->menu()->actions().contains(item));
    }

    void withoutATestThereIsNothingToExport()
    {
        test::TempHome home;
        setUpHome(home);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        w.findChild<QAction*>(QStringLiteral("TBXexportcsv"))->trigger();
        QVERIFY(messages(w).contains(QString::fromUtf8(ui::CsvExportAction::kNothingToExport)));
    }

    void exportsTheCurrentTestWithTheItemOffUntilItEnds()
    {
        test::TempHome home;
        setUpHome(home);
        const test::LongTestSpec spec{.samples = 40'000, .steps = 2};
        test::writeLongTestFile(home / "Data" / "t.tst", spec);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        QVERIFY(w.openTestFileAt(home / "Data" / "t.tst"));
        auto* exporter = w.findChild<ui::CsvExportAction*>(QStringLiteral("csvExport"));
        QVERIFY(exporter);
        auto* item = w.findChild<QAction*>(QStringLiteral("TBXexportcsv"));
        bool done = false;
        exporter->exportTo(home / "Data" / "t.csv", [&] { done = true; });
        QVERIFY(!item->isEnabled());
        // A second export while one runs is not started.
        bool secondDone = false;
        exporter->exportTo(home / "Data" / "second.csv", [&] { secondDone = true; });
        QVERIFY(secondDone);
        QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
        QVERIFY(item->isEnabled());
        QVERIFY(!std::filesystem::exists(home / "Data" / "second.csv"));
        const std::string csv = home.readText("Data/t.csv");
        QCOMPARE(static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')), spec.samples + 1);
        QVERIFY(std::filesystem::exists(home / "Data" / "t_steps.csv"));
        const QString reported = messages(w).join(QStringLiteral("|"));
        QVERIFY2(reported.contains(QStringLiteral("Exportováno vzorků: 40000")), qPrintable(reported));
    }

    // An output that is the test file (by its name, through a link, or the steps file beside
    // a "*.csv" output that is a link to it) is refused with its message; the test stays whole.
    void anExportOverTheTestFileIsRefused()
    {
        test::TempHome home;
        setUpHome(home);
        test::writeLongTestFile(home / "Data" / "t.tst", {.samples = 50});
        std::filesystem::create_symlink("t.tst", home / "Data" / "link.csv");
        std::filesystem::create_symlink("t.tst", home / "Data" / "x_steps.csv");
        const auto before = home.readBytes("Data/t.tst");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        QVERIFY(w.openTestFileAt(home / "Data" / "t.tst"));
        auto* exporter = w.findChild<ui::CsvExportAction*>(QStringLiteral("csvExport"));
        for (const char* out : {"t.tst", "link.csv", "x.csv"}) {
            bool done = false;
            exporter->exportTo(home / "Data" / out, [&] { done = true; });
            QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
            const QString last = messages(w).isEmpty() ? QString() : messages(w).back();
            QVERIFY2(last.startsWith(QString::fromUtf8(csv_export_messages::kSameAsInput)), qPrintable(last));
            QVERIFY(home.readBytes("Data/t.tst") == before);
        }
        QVERIFY(std::filesystem::is_symlink(home / "Data" / "link.csv"));
        QVERIFY(!std::filesystem::exists(home / "Data" / "x.csv"));
    }

    void aCancelledExportLeavesNoFile()
    {
        test::TempHome home;
        setUpHome(home);
        test::writeLongTestFile(home / "Data" / "t.tst", {.samples = 100'000});
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        QVERIFY(w.openTestFileAt(home / "Data" / "t.tst"));
        auto* exporter = w.findChild<ui::CsvExportAction*>(QStringLiteral("csvExport"));
        bool done = false;
        exporter->exportTo(home / "Data" / "t.csv", [&] { done = true; });
        exporter->cancel();
        QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
        QVERIFY(!std::filesystem::exists(home / "Data" / "t.csv"));
        QVERIFY(!std::filesystem::exists(home / "Data" / "t_steps.csv"));
        QVERIFY(messages(w).contains(QString::fromUtf8(csv_export_messages::kCancelled)));
        QVERIFY(w.findChild<QAction*>(QStringLiteral("TBXexportcsv"))->isEnabled());
    }
};

QTEST_MAIN(MainWindowExportTest)
#include "main_window_export_test.moc"
