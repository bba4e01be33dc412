// The module settings window against kapsorel-sim: a power module settings round trip, a
// two-point calibration of a cell, failed reads that change nothing and refuse the write.
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
};

QTEST_MAIN(ModuleSettingsWindowTest)
#include "module_settings_window_test.moc"
