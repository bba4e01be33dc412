// The module settings window against kapsorel-sim: a power module settings round trip, a
// two-point calibration of a cell, failed reads that change nothing and refuse the write.
#include "core/base/bytes.h"
#include "core/service/measure_settings_jobs.h"
#include "support/qt/widgets.h"
#include "support/sim_process.h"
#include "support/sim_station.h"
#include "support/temp_home.h"
#include "support/windows/station_windows.h"
#include "ui/main/main_window.h"
#include "ui/service/module_settings_window.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

using namespace kapsorel;
using test::snap;
using test::widget;

namespace {

// Clicks a button, checks it is disabled while its job runs and waits until it is back.
void clickJob(QWidget& root, const char* name)
{
    auto* b = widget<QPushButton>(root, name);
    QVERIFY(b->isEnabled());
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY2(!b->isEnabled(), name);
    QTRY_VERIFY_WITH_TIMEOUT(b->isEnabled(), 15000);
}

std::size_t connections(test::SimProcess& sim, const char* module)
{
    return static_cast<std::size_t>(std::stoul(sim.value(std::string("connections ") + module)));
}

// Singles as the simulator's "memory" command takes them: little-endian hexadecimal.
std::string singlesHex(std::initializer_list<float> values)
{
    ByteWriter w;
    for (float v : values)
        w.single(v);
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t b : w.data()) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

// The blocks of a module's settings memory that its whole-module write covers.
std::vector<std::string> memoryBlocks(test::SimProcess& sim, const char* module)
{
    const std::vector<std::pair<int, int>> blocks =
        module == std::string("power")
            ? std::vector<std::pair<int, int>>{{53, 35}, {120, 23}, {300, 41}, {200, 58}, {1000, 74}}
            : std::vector<std::pair<int, int>>{{53, 35}, {120, 23}, {200, 186}};
    std::vector<std::string> out;
    for (const auto& [at, length] : blocks)
        out.push_back(
            sim.value("memory " + std::string(module) + " " + std::to_string(at) + " " + std::to_string(length)));
    return out;
}

// Triggers a menu item of "Nastavení" and waits until its sequence is over.
void runMenu(QWidget& s, const char* item)
{
    auto* tabs = widget<QTabWidget>(s, "PageControl1");
    s.findChild<QAction*>(QString::fromLatin1(item))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(tabs->isEnabled() && !widget<QProgressBar>(s, "progress")->isVisible(), 30000);
}

// The command letters of a request frame.
std::string command(const std::vector<std::uint8_t>& frame)
{
    return {static_cast<char>(frame[1]), static_cast<char>(frame[2])};
}

} // namespace

class ModuleSettingsWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void readsChangesWritesAndReadsBackThePowerSettings()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = test::openModuleSettings(w);
        QCOMPARE(s.windowTitle(), QStringLiteral("Nastavení - Zkušebna"));
        QVERIFY(s.isVisible());

        // Both modules read whole, with the progress bar, then every tab for a look.
        auto* tabs = widget<QTabWidget>(s, "PageControl1");
        s.findChild<QAction*>(QStringLiteral("NactiVse"))->trigger();
        QVERIFY(!tabs->isEnabled());
        QVERIFY(widget<QProgressBar>(s, "progress")->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(tabs->isEnabled() && !widget<QProgressBar>(s, "progress")->isVisible(), 20000);
        QCOMPARE(widget<QLabel>(s, "lstatus")->text(), QString());
        QCOMPARE(widget<QLineEdit>(s, "pipadr")->text(), QString::fromStdString(sim.powerAddress()));
        const char* const pages[][2] = {{"PageControl1", "net"},
                                        {"pmodul", "power"},
                                        {"pkalibrace", "pcal"},
                                        {"mmodul", "measure"},
                                        {"mkalibrace", "mcal"}};
        for (const auto& page : pages) {
            auto* t = widget<QTabWidget>(s, page[0]);
            for (int i = 0; i < t->count(); ++i) {
                if (page[0] != std::string("PageControl1")) {
                    tabs->setCurrentWidget(page[0][0] == 'p' ? widget<QTabWidget>(s, "pmodul")
                                                             : widget<QTabWidget>(s, "mmodul"));
                    if (page[0] == std::string("pkalibrace"))
                        widget<QTabWidget>(s, "pmodul")->setCurrentWidget(t);
                    if (page[0] == std::string("mkalibrace"))
                        widget<QTabWidget>(s, "mmodul")->setCurrentWidget(t);
                }
                t->setCurrentIndex(i);
                snap(s, QStringLiteral("%1_%2").arg(QString::fromLatin1(page[1])).arg(i));
            }
        }

        // One field changed and written; the read over a fresh connection brings it back.
        auto* runOn = widget<QSpinBox>(s, "pfan_dobeh");
        auto* maxTemperature = widget<QDoubleSpinBox>(s, "max_tp");
        const int before = runOn->value();
        const double temperature = maxTemperature->value();
        runOn->setValue(before + 7);
        sim.command("clear frames");
        clickJob(s, "nuloz");
        QCOMPARE(widget<QLabel>(s, "lstatus")->text(), QString());
        const auto written = sim.frames("power");
        QCOMPARE(written.size(), std::size_t{1});
        QCOMPARE(written[0][2], std::uint8_t{'W'});
        QCOMPARE(written[0][3], std::uint8_t{1}); // parameter byte of the settings block
        runOn->setValue(1);
        maxTemperature->setValue(temperature + 3);
        const std::size_t opened = connections(sim, "power");
        clickJob(s, "nnacti");
        QCOMPARE(connections(sim, "power"), opened + 1);
        QCOMPARE(runOn->value(), before + 7);
        QCOMPARE(maxTemperature->value(), temperature);

        // Power module only: the measurement module's tabs go.
        s.applyHardwareKind(1);
        QVERIFY(!tabs->isTabVisible(1) && !tabs->isTabVisible(3));
        s.applyHardwareKind(0);
        QVERIFY(tabs->isTabVisible(1) && tabs->isTabVisible(3));
    }

    void calibratesACellThroughTheGrid()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = test::openModuleSettings(w);
        // Cell 1's ADC hardware differs from the record the module holds.
        QCOMPARE(sim.command("adc measure 0 100 0.0001"), std::string("OK"));
        auto* grid = widget<QTableWidget>(s, "Gclanky");
        grid->item(1, 1)->setCheckState(Qt::Checked);
        widget<QDoubleSpinBox>(s, "umin")->setValue(1.0);
        widget<QDoubleSpinBox>(s, "umax")->setValue(1.5);
        QTest::mouseClick(widget<QPushButton>(s, "v_vmin"), Qt::LeftButton);
        QTest::mouseClick(widget<QPushButton>(s, "v_vmax"), Qt::LeftButton);
        clickJob(s, "cnacti");
        QCOMPARE(sim.command("set cell 1 1.0"), std::string("OK"));
        clickJob(s, "v_min");
        QCOMPARE(sim.command("set cell 1 1.5"), std::string("OK"));
        clickJob(s, "v_max");
        QVERIFY(!grid->item(1, 6)->text().isEmpty());
        QVERIFY(grid->item(2, 6)->text().isEmpty()); // row 2 is not selected
        QTest::mouseClick(widget<QPushButton>(s, "ckalibrace"), Qt::LeftButton);
        QCOMPARE(widget<QLabel>(s, "lstatus")->text(), QString());
        clickJob(s, "culoz");
        QCOMPARE(widget<QLabel>(s, "lstatus")->text(), QString());

        ModuleLink measure{"mer"};
        measure.setEndpoint(sim.measureAddress(), sim.tcpPort());
        for (double volts : {1.0, 1.25, 1.5}) {
            QCOMPARE(sim.command("set cell 1 " + std::to_string(volts)), std::string("OK"));
            const auto value = measureChannel(measure, 0);
            QVERIFY(value.ok());
            QVERIFY2(std::abs(*value - volts) < 1e-3, qPrintable(QString::number(double(*value))));
        }
    }

    void aFailedReadChangesNoFieldAndTheWriteIsRefused()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.runtime().powerLink().setReadLimitMs(500);
        auto& s = test::openModuleSettings(w);
        auto* runOn = widget<QSpinBox>(s, "pfan_dobeh");
        auto* status = widget<QLabel>(s, "lstatus");
        const struct {
            const char* on;
            const char* off;
        } faults[] = {{"status power SR 4", "status power SR 0"}, {"silent power on", "silent power off"}};
        for (const auto& f : faults) {
            runOn->setValue(4321);
            QCOMPARE(sim.command(f.on), std::string("OK"));
            clickJob(s, "nnacti");
            QCOMPARE(sim.command(f.off), std::string("OK"));
            QVERIFY2(!status->text().isEmpty(), f.on);
            QCOMPARE(runOn->value(), 4321);
            // Nothing was ever read, so nothing is written.
            sim.command("clear frames");
            status->clear();
            clickJob(s, "nuloz");
            QVERIFY(!status->text().isEmpty());
            QVERIFY(sim.frames("power").empty());
        }
    }

    // "Konfig" fills the image but not the pages: no page "Ulož" and no "Ulož v. modul" may then
    // send a record nobody read; the record that was read goes with the bytes read.
    void konfigOpensNoWriteOfARecordNotRead()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = test::openModuleSettings(w);
        auto* status = widget<QLabel>(s, "lstatus");
        const std::string records = sim.value("memory power 200 58");
        clickJob(s, "knacti_n1"); // "Napětí 2 ": record 1
        sim.command("clear frames");
        clickJob(s, "bkonfig");
        QCOMPARE(status->text(), QString());
        for (const char* page : {"kuloz_pr", "kuloz_n0", "kuloz_n2", "kuloz_izol"}) {
            status->clear();
            clickJob(s, page);
            QVERIFY2(status->text().startsWith(QStringLiteral("Nezapsáno: kalibrace výkonového modulu")), page);
        }
        status->clear();
        runMenu(s, "UlozV");
        QVERIFY(!status->text().isEmpty()); // refused: the empty network fields, the unread blocks
        auto frames = sim.frames("power");
        QCOMPARE(frames.size(), std::size_t{1});
        QCOMPARE(command(frames[0]), std::string("XC"));
        clickJob(s, "kuloz_n1");
        QCOMPARE(status->text(), QString());
        frames = sim.frames("power");
        QCOMPARE(frames.size(), std::size_t{2});
        QCOMPARE(command(frames[1]), std::string("SW"));
        QCOMPARE(frames[1][3], std::uint8_t{12});
        QCOMPARE(sim.value("memory power 200 58"), records);
    }

    // Values a field rounds (1.05 with one decimal, 0.123 with two), one the old field range
    // clipped (2e6), configuration bytes with bits no choice shows, a conductance whose
    // reciprocal does not come back exactly: a read and a write back leave both modules'
    // memories byte for byte as they were; a field the user changes is written as entered.
    void aReadAndAWriteBackSendTheBytesRead()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = test::openModuleSettings(w);
        auto* status = widget<QLabel>(s, "lstatus");
        for (const std::string& poke :
             {"memory power 300 = " + singlesHex({0.123f, 1.05f}), "memory power 328 = " + singlesHex({2e6f}),
              std::string("memory power 201 = 00"), std::string("memory power 240 = 2b47"),
              "memory power 1002 = " + singlesHex({0.0123f}), std::string("memory measure 361 = f3")})
            QCOMPARE(sim.command(poke), std::string("OK"));
        const auto power = memoryBlocks(sim, "power");
        const auto measure = memoryBlocks(sim, "measure");
        runMenu(s, "NactiVse");
        QCOMPARE(status->text(), QString());
        QCOMPARE(widget<QDoubleSpinBox>(s, "pfet_cur")->value(), 1.0); // 1.05 shown with one decimal
        sim.command("clear frames");
        runMenu(s, "UlozVse");
        QCOMPARE(status->text(), QString());
        QCOMPARE(sim.frames("power").size(), std::size_t{5});
        QCOMPARE(sim.frames("measure").size(), std::size_t{2 + 23});
        QCOMPARE(memoryBlocks(sim, "power"), power);
        QCOMPARE(memoryBlocks(sim, "measure"), measure);
        // Each page's own "Ulož" the same.
        for (const char* button : {"nuloz", "kuloz_n0", "kuloz_pr", "suloz", "muloz_c"})
            clickJob(s, button);
        QCOMPARE(status->text(), QString());
        QCOMPARE(memoryBlocks(sim, "power"), power);
        QCOMPARE(memoryBlocks(sim, "measure"), measure);
        // A changed field goes as entered, its neighbours as read.
        widget<QDoubleSpinBox>(s, "pfet_cur")->setValue(2.5);
        clickJob(s, "nuloz");
        QCOMPARE(sim.value("memory power 300 8"), singlesHex({0.123f, 2.5f}));
        QCOMPARE(sim.value("memory power 328 4"), singlesHex({2e6f}));
    }

    // The head type is written only once it was read: no "TH 00" from a window that read nothing.
    void theHeadTypeIsWrittenOnlyOnceRead()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = test::openModuleSettings(w);
        auto* status = widget<QLabel>(s, "lstatus");
        sim.command("clear frames");
        clickJob(s, "muloz_hlava");
        QVERIFY(status->text().contains(QStringLiteral("typ hlavy")));
        QVERIFY(sim.frames("measure").empty());
        clickJob(s, "mnacti_hlava");
        widget<QSpinBox>(s, "mtyp_h")->setValue(5);
        clickJob(s, "muloz_hlava");
        QCOMPARE(status->text(), QString());
        const auto frames = sim.frames("measure");
        QCOMPARE(frames.size(), std::size_t{2});
        QCOMPARE(command(frames[0]), std::string("Th"));
        QCOMPARE(command(frames[1]), std::string("TH"));
        QCOMPARE(frames[1][6], std::uint8_t{5});
    }

    // "Načti vše" and "Ulož vše" run the measurement module's half when the power module's
    // failed; the status line says which half failed.
    void bothModulesRunTheMeasurementHalfAfterAPowerFailure()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.runtime().powerLink().setReadLimitMs(300);
        auto& s = test::openModuleSettings(w);
        auto* status = widget<QLabel>(s, "lstatus");
        QCOMPARE(sim.command("silent power on"), std::string("OK"));
        sim.command("clear frames");
        runMenu(s, "NactiVse");
        QVERIFY2(status->text().startsWith(QStringLiteral("Výkonový modul: Nenačteno")), qPrintable(status->text()));
        QVERIFY(!status->text().contains(QStringLiteral("Měřící modul")));
        QCOMPARE(sim.frames("measure").size(), std::size_t{2 + 23});
        QCOMPARE(widget<QLineEdit>(s, "mipadr")->text(), QString::fromStdString(sim.measureAddress()));
        QCOMPARE(sim.command("silent power off"), std::string("OK"));
        // The power module was never read: its half is refused, the measurement's is written.
        const auto measure = memoryBlocks(sim, "measure");
        sim.command("clear frames");
        runMenu(s, "UlozVse");
        QVERIFY2(status->text().startsWith(QStringLiteral("Výkonový modul: ")), qPrintable(status->text()));
        QVERIFY(!status->text().contains(QStringLiteral("Měřící modul")));
        QVERIFY(sim.frames("power").empty());
        QCOMPARE(sim.frames("measure").size(), std::size_t{2 + 23});
        QCOMPARE(memoryBlocks(sim, "measure"), measure);
        snap(s, "both_modules_after_power_failure");
    }

    // A batch on the cell grid brings back its answers around what the user changed meanwhile.
    void aCellBatchKeepsTheUsersChangesMadeWhileItRan()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.runtime().measureLink().setReadLimitMs(3000);
        auto& s = test::openModuleSettings(w);
        auto* grid = widget<QTableWidget>(s, "Gclanky");
        grid->item(1, 1)->setCheckState(Qt::Checked);
        grid->item(2, 1)->setCheckState(Qt::Checked);
        QCOMPARE(sim.command("delay measure 600"), std::string("OK"));
        auto* read = widget<QPushButton>(s, "cnacti");
        QTest::mouseClick(read, Qt::LeftButton);
        QVERIFY(!read->isEnabled());
        // Row 2 unselected and row 1's "Adr." filled while the records are on their way.
        grid->item(2, 1)->setCheckState(Qt::Unchecked);
        widget<QSpinBox>(s, "cadr")->setValue(77);
        QTest::mouseClick(widget<QPushButton>(s, "v_adr"), Qt::LeftButton);
        QVERIFY(!read->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(read->isEnabled(), 15000);
        QCOMPARE(sim.command("delay measure 0"), std::string("OK"));
        QCOMPARE(grid->item(1, 2)->text(), QStringLiteral("77"));
        QCOMPARE(grid->item(1, 3)->text(), QStringLiteral("152")); // the record's "CF" came in
        QCOMPARE(grid->item(2, 1)->checkState(), Qt::Unchecked);
        QCOMPARE(grid->item(2, 3)->text(), QStringLiteral("152")); // row 2 was read all the same
    }
};

QTEST_MAIN(ModuleSettingsWindowTest)
#include "module_settings_window_test.moc"
