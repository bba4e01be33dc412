// The power module's service pages of the module settings window against kapsorel-sim: load
// elements switched through the grids, the resistance measurement and its "Ulož", the fans
// page, the DAC page and the hardware kind's variant, drive commands refused while a test
// runs; every request checked in the simulator's frame log.
#include "core/base/bytes.h"
#include "core/service/power_service_requests.h"
#include "support/qt/widgets.h"
#include "support/sim_process.h"
#include "support/sim_station.h"
#include "support/temp_home.h"
#include "support/windows/station_windows.h"
#include "ui/main/main_window.h"
#include "ui/service/module_settings_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

using namespace kapsorel;
using test::widget;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes frame(char group, char command, std::uint8_t param, const Bytes& payload = {})
{
    ByteWriter w;
    w.u8('#');
    w.u8(static_cast<std::uint8_t>(group));
    w.u8(static_cast<std::uint8_t>(command));
    w.u8(param);
    w.u16(static_cast<std::uint16_t>(payload.size()));
    for (std::uint8_t b : payload)
        w.u8(b);
    return w.take();
}

Bytes mask(std::uint32_t m)
{
    ByteWriter w;
    w.u32(m);
    return frame('R', 'O', 0, w.take());
}

// Clicks a button of a job, checks its control is disabled meanwhile and waits until it is back.
void clickJob(QWidget& root, const char* name, QWidget* control = nullptr)
{
    auto* b = widget<QAbstractButton>(root, name);
    QWidget* disabled = control ? control : b;
    QVERIFY2(b->isEnabled() && disabled->isEnabled(), name);
    // The status line is cleared or set by the job's outcome.
    b->click(); // also on a page not shown
    QVERIFY2(!disabled->isEnabled(), name);
    QTRY_VERIFY_WITH_TIMEOUT(disabled->isEnabled(), 15000);
}

QString status(QWidget& s)
{
    return widget<QLabel>(s, "lstatus")->text();
}

// A number as a cell shows it, whatever the decimal separator.
double shownNumber(const QTableWidgetItem* item)
{
    return QString(item->text()).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
}

} // namespace

class PowerServiceWindowTest : public QObject {
    Q_OBJECT

    static ui::ModuleSettingsWindow& open(ui::MainWindow& w)
    {
        auto* settings = &test::openModuleSettings(w);
        auto* module = widget<QTabWidget>(*settings, "pmodul");
        widget<QTabWidget>(*settings, "PageControl1")->setCurrentWidget(module);
        return *settings;
    }

    static void snap(QWidget& w, const char* name)
    {
        const QByteArray dir = qgetenv("KAPSOREL_SCREENSHOTS");
        QTest::qWait(50); // pending layout requests first
        if (!dir.isEmpty())
            w.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/svc-") + QString::fromLatin1(name) +
                          QStringLiteral(".png"));
    }

  private slots:
    void switchesLoadElementsAndStoresAMeasuredResistance()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = open(w);
        auto* module = widget<QTabWidget>(s, "pmodul");
        module->setCurrentIndex(module->count() - 2);
        QCOMPARE(module->tabText(module->currentIndex()), QStringLiteral("  Sekce  "));

        // "Ulož" of the measurement before any element was switched on stores nothing.
        widget<QPushButton>(s, "bulozr")->click();
        QVERIFY(!status(s).isEmpty());

        clickJob(s, "snacti");
        QCOMPARE(status(s), QString());
        auto* resistors = widget<QTableWidget>(s, "Aodpory");
        auto* banks = widget<QTableWidget>(s, "Aodporniky");
        QCOMPARE(widget<QSpinBox>(s, "poc_odporu")->value(), 9);
        QCOMPARE(resistors->rowCount(), 9);
        QCOMPARE(banks->rowCount(), 4);
        QCOMPARE(shownNumber(resistors->item(1, 1)), 2.0);
        snap(s, "sekce");

        auto* elements = resistors->parentWidget();
        sim.command("clear frames");
        clickJob(s, "fet_o1", elements);
        QCOMPARE(widget<QPushButton>(s, "fet_o1")->text(), QStringLiteral("Vypni"));
        QVERIFY(!widget<QSpinBox>(s, "poc_odporu")->isEnabled());
        QCOMPARE(sim.number("power.discharging"), 1.0);
        // Without "Multi" the one on goes off first; with it, one mask and both on.
        clickJob(s, "fet_o2", elements);
        QCOMPARE(widget<QPushButton>(s, "fet_o1")->text(), QStringLiteral("Zapni"));
        widget<QCheckBox>(s, "cb_multi")->setChecked(true);
        clickJob(s, "fet_k1", elements);
        QCOMPARE(sim.frames("power"), (std::vector<Bytes>{mask(0), mask(1), mask(0), mask(2), mask(2 | 1u << 9)}));
        QCOMPARE(resistors->item(1, 0)->background().color(), QColor(Qt::red));

        // The source on, "Změř" with "Zdroj": 36 V / 22 A, stored into bank 1's row.
        widget<QDoubleSpinBox>(s, "ss_nap")->setValue(30.0);
        widget<QDoubleSpinBox>(s, "ss_proud")->setValue(12.0);
        w.runtime().station().live.hardwareKind.store(0);
        clickJob(s, "bnastav");
        clickJob(s, "bzdroj_on");
        clickJob(s, "bzmer");
        QCOMPARE(widget<QLabel>(s, "lodpor")->text(), QStringLiteral("  2.50Ohm"));
        widget<QPushButton>(s, "bulozr")->click();
        QCOMPARE(shownNumber(banks->item(0, 1)), 2.5);

        // A failed reading: "ERR", and "Ulož" then stores 0.
        QCOMPARE(sim.command("silent power on"), std::string("OK"));
        w.runtime().powerLink().setReadLimitMs(300);
        clickJob(s, "bzmer");
        QCOMPARE(sim.command("silent power off"), std::string("OK"));
        QCOMPARE(widget<QLabel>(s, "lodpor")->text(), QStringLiteral("ERR"));
        widget<QPushButton>(s, "bulozr")->click();
        QCOMPARE(shownNumber(banks->item(0, 1)), 0.0);

        // "Vypni vše": every element off and the counts free again.
        clickJob(s, "bvypni_vse", elements);
        QVERIFY(widget<QSpinBox>(s, "poc_odporu")->isEnabled());
        QCOMPARE(sim.number("power.switch_mask"), 0.0);
        // Bank 1's row gone: its "Ulož" is refused and nothing changes.
        widget<QSpinBox>(s, "poc_odporniku")->setValue(0);
        widget<QPushButton>(s, "bulozr")->click();
        QVERIFY(status(s).contains(QStringLiteral("Odporník 1")));

        // "Ulož" of the tab: the counts and conductances, 0 for the zero resistance.
        sim.command("clear frames");
        clickJob(s, "suloz");
        QCOMPARE(status(s), QString());
        const auto written = sim.frames("power");
        QCOMPARE(written.size(), std::size_t{1});
        QCOMPARE(written[0][9], std::uint8_t{9});  // resistors
        QCOMPARE(written[0][10], std::uint8_t{0}); // banks
    }

    void refusesDriveCommandsWhileATestRuns()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = open(w);
        w.runtime().station().run.setPhase(RunPhase::StepRunning);
        sim.command("clear frames");
        for (const char* button : {"bzdroj_on", "breflex", "bpq0", "bdac_posli", "bstyk_on", "bkal_dac"}) {
            widget<QLabel>(s, "lstatus")->clear();
            clickJob(s, button);
            QCOMPARE(status(s), QString::fromUtf8(kDriveDuringTestText));
        }
        widget<QCheckBox>(s, "st_zatez")->click();
        QTRY_VERIFY_WITH_TIMEOUT(widget<QCheckBox>(s, "st_zatez")->isEnabled(), 15000);
        QVERIFY(!widget<QCheckBox>(s, "st_zatez")->isChecked());
        QVERIFY(sim.frames("power").empty());
        // A reading is no drive command.
        clickJob(s, "bzn");
        QCOMPARE(sim.frames("power"), std::vector<Bytes>{frame('Z', 'n', 0)});
        w.runtime().station().run.setPhase(RunPhase::Idle);
    }

    // "  Sekce  " starts with 9 resistors and 4 banks, every button "Zapni"; the counts take
    // 0-9 and 0-7, and counts beyond them are refused from "Načti" and "Načti v. modul" alike.
    void sectionsStartWithTheUsualLoadAndRefuseCountsBeyondTheGrids()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = open(w);
        auto* resistors = widget<QTableWidget>(s, "Aodpory");
        auto* banks = widget<QTableWidget>(s, "Aodporniky");
        auto* resistorCount = widget<QSpinBox>(s, "poc_odporu");
        auto* bankCount = widget<QSpinBox>(s, "poc_odporniku");
        QCOMPARE(resistors->rowCount(), 9);
        QCOMPARE(banks->rowCount(), 4);
        for (const char* fet : {"fet_o1", "fet_o9", "fet_k1", "fet_k4"})
            QCOMPARE(widget<QPushButton>(s, fet)->text(), QStringLiteral("Zapni"));
        QCOMPARE(resistorCount->maximum(), 9);
        QCOMPARE(bankCount->maximum(), 7);
        widget<QTabWidget>(s, "pmodul")->setCurrentIndex(2);
        snap(s, "sekce-start");

        // "Multi" off and nothing on: all off first, then the one.
        sim.command("clear frames");
        clickJob(s, "fet_o1", resistors->parentWidget());
        QCOMPARE(sim.frames("power"), (std::vector<Bytes>{mask(0), mask(1)}));
        clickJob(s, "bvypni_vse", resistors->parentWidget());

        QCOMPARE(sim.command("memory power 1000 = 0a02"), std::string("OK"));
        for (const char* read : {"snacti", "NactiV"}) {
            widget<QLabel>(s, "lstatus")->clear();
            if (read == std::string("snacti")) {
                clickJob(s, read);
            } else {
                s.findChild<QAction*>(QString::fromLatin1(read))->trigger();
                QTRY_VERIFY_WITH_TIMEOUT(widget<QTabWidget>(s, "PageControl1")->isEnabled(), 15000);
            }
            QVERIFY2(status(s).contains(QStringLiteral("„Počet odporů“ = 10 je mimo rozsah 0 až 9")),
                     qPrintable(status(s)));
            QCOMPARE(resistorCount->value(), 9);
            QCOMPARE(bankCount->value(), 4);
        }
    }

    // A fan status answer with a bad status and no payload still says "Error: N".
    void fanStatusWithoutPayloadShowsTheError()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = open(w);
        widget<QComboBox>(s, "Cvent")->setCurrentIndex(0);
        QCOMPARE(sim.command("status power FG 3 empty"), std::string("OK"));
        clickJob(s, "bfan_status");
        QCOMPARE(status(s), QStringLiteral("Error: 3\nError: 3\nError: 3\nError: 3\nError: 3\nError: 3"));
        QCOMPARE(widget<QLineEdit>(s, "Lfstatus")->text(), QString());
        QCOMPARE(sim.command("status power FG 0"), std::string("OK"));
        clickJob(s, "bfan_status");
        QCOMPARE(status(s), QString());
        QCOMPARE(widget<QLineEdit>(s, "Lfstatus")->text(), QStringLiteral("0x00"));
    }

    // A reading that succeeds clears the message an earlier button left in the status line.
    void aGoodReadingClearsAnEarlierMessage()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = open(w);
        for (const char* reading : {"bmin_n0", "bmax_n0", "bzmer_n0", "bmin_pr", "bzmer_pr", "bzmer_izol"}) {
            clickJob(s, "kuloz_n0"); // refused: nothing read
            QVERIFY(!status(s).isEmpty());
            clickJob(s, reading);
            QVERIFY2(status(s).isEmpty(), reading);
        }
    }

    void fansAndDacPagesSendTheirRequests()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = open(w);
        auto* module = widget<QTabWidget>(s, "pmodul");
        auto* other = widget<QTabWidget>(s, "postatni");
        module->setCurrentWidget(other);
        auto* fan = widget<QComboBox>(s, "Cvent");

        // The empty fifth item: no button sends anything.
        fan->setCurrentIndex(4);
        sim.command("clear frames");
        for (const char* b : {"bfan_on", "bfan_off", "bfan_status", "bfan_posli", "bfan_duty"})
            widget<QPushButton>(s, b)->click();
        QTest::qWait(100);
        QVERIFY(sim.frames("power").empty());

        fan->setCurrentIndex(1);
        clickJob(s, "bfan_on");
        const auto opened = sim.value("connections power");
        clickJob(s, "bfan_status");
        snap(s, "ventilatory");
        const auto frames = sim.frames("power");
        QCOMPARE(frames.size(), std::size_t{7});
        QCOMPARE(frames[0], frame('F', 'Z', 2));
        QCOMPARE(frames[1], frame('F', 'G', 0, {2, 5}));
        QCOMPARE(frames[6], frame('F', 'G', 0, {2, 4}));
        QCOMPARE(std::stoul(sim.value("connections power")), std::stoul(opened) + 1);
        QVERIFY(w.runtime().powerLink().connected()); // kept open
        QCOMPARE(widget<QLineEdit>(s, "Lfstatus")->text(), QStringLiteral("0x01"));
        QCOMPARE(widget<QLineEdit>(s, "Lrpm1")->text(), QStringLiteral("3000"));
        sim.command("clear frames");
        widget<QSpinBox>(s, "Lfconf")->setValue(33);
        clickJob(s, "bfan_posli");
        QCOMPARE(sim.frames("power"),
                 (std::vector<Bytes>{frame('I', 'w', 0, {232, 2}), frame('I', 'W', 0, {54, 4, 33})}));

        other->setCurrentIndex(1);
        snap(s, "zdroj");
        other->setCurrentIndex(2);
        snap(s, "dac");
        sim.command("clear frames");
        widget<QDoubleSpinBox>(s, "PBnnap")->setValue(12.5);
        widget<QDoubleSpinBox>(s, "PBvpr")->setValue(2.0);
        clickJob(s, "bpq0");
        ByteWriter pq;
        pq.u8(255);
        pq.single(2.0f);
        pq.single(12.5f);
        QCOMPARE(sim.frames("power"), std::vector<Bytes>{frame('P', 'Q', 0, pq.take())});
        widget<QSpinBox>(s, "SEdac")->setValue(40000);
        clickJob(s, "bdac_posli");
        widget<QSpinBox>(s, "SEdac")->setValue(0);
        clickJob(s, "bdac_nacti");
        QCOMPARE(widget<QSpinBox>(s, "SEdac")->value(), 40000);
        w.runtime().station().live.powerModuleVoltage.store(27.25f);
        widget<QPushButton>(s, "bpq_nap")->click();
        QCOMPARE(widget<QDoubleSpinBox>(s, "PBnnap1")->value(), 27.25);
    }

    void hardwareKindOneSetsTheDacValueTruncated()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = open(w);
        w.runtime().station().live.hardwareKind.store(1);
        s.applyHardwareKind(1);
        auto* other = widget<QTabWidget>(s, "postatni");
        QVERIFY(!other->isTabVisible(0) && !other->isTabVisible(1) && other->isTabVisible(2));
        QVERIFY(!widget<QPushButton>(s, "bzdroj_on")->isVisibleTo(&s));
        QVERIFY(widget<QRadioButton>(s, "m_source_ad")->isChecked());
        auto* value = widget<QDoubleSpinBox>(s, "ss_nap");
        QCOMPARE(value->maximum(), 4095.0);
        value->setDecimals(2); // a value with decimals, as a typed one could reach the box
        value->setValue(13.99);
        sim.command("clear frames");
        clickJob(s, "bnastav");
        QCOMPARE(sim.frames("power"), std::vector<Bytes>{frame('Z', 'D', 0, {13, 0})});
        QCOMPARE(sim.number("power.dac"), 13.0);
        w.runtime().powerLink().disconnect();
        widget<QTabWidget>(s, "pmodul")->setCurrentIndex(2);
        snap(s, "sekce-hw1");
        s.applyHardwareKind(0);
        QVERIFY(other->isTabVisible(0));
    }
};

QTEST_MAIN(PowerServiceWindowTest)
#include "power_service_window_test.moc"
