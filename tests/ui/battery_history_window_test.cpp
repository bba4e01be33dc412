// "Soubor" → "Historie baterie": the window lists the battery's tests of the data and archive
// folders oldest first with their results, and "Otevři" opens the chosen one in the main
// window.
#include "core/records/history_index.h"
#include "demo_definitions.h"
#include "support/long_test_file.h"
#include "support/temp_home.h"
#include "ui/main/battery_history_window.h"
#include "ui/main/tfmain.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace kapsorel;

namespace {

void writeTest(const std::filesystem::path& path, const std::string& battery, DayTime start)
{
    test::LongTestSpec spec{.samples = 5, .steps = 2, .start = start};
    BatteryTestHeader header = test::longTestHeader(spec);
    header.batteryNumber = battery;
    test::writeTestFile(path, header, 0, spec.samples,
                        [&spec](std::size_t i) { return test::longTestSample(spec, i); });
}

} // namespace

class BatteryHistoryWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void listsTheBatterysTestsAndOpensTheChosenOne()
    {
        test::TempHome home;
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        std::filesystem::create_directories(home / "Data");
        std::filesystem::create_directories(home / "Archiv");
        home.writeText("Kapsorel.ini",
                       "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\nData_adr=" + (home / "Data").string() +
                           "\nArch_adr=" + (home / "Archiv").string() + "\n");
        writeTest(home / "Data" / "new.tst", "A12", 45010.5);
        writeTest(home / "Archiv" / "old.tst", "A12", 45001.25);
        writeTest(home / "Data" / "other.tst", "B7", 45005.0);

        ui::TFmain w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
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
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 5)->text(), QStringLiteral("Archiv: old.tst"));
        QCOMPARE(table->item(1, 5)->text(), QStringLiteral("new.tst"));
        QCOMPARE(table->item(1, 0)->text(), QStringLiteral("25.3.2023 12:00:00"));
        QCOMPARE(table->item(1, 2)->text(), QStringLiteral("Dlouhý test"));
        QCOMPARE(table->item(1, 4)->text(), QString::fromUtf8(historyResultText(HistoryResult::Interrupted)));
        QVERIFY(std::filesystem::exists(historyStorePath(home / "Data")));

        table->selectRow(1);
        window->findChild<QPushButton*>(QStringLiteral("historyOpen"))->click();
        QVERIFY(w.windowTitle().endsWith(QString::fromStdString((home / "Data" / "new.tst").string())));
    }
};

QTEST_MAIN(BatteryHistoryWindowTest)
#include "battery_history_window_test.moc"
