// The operator's main window against kapsorel-sim: a whole demo run driven through the
// window (refused start, start, stop, resume, question, banner, end), the refresh rules
// on the window and the manual start dialog.
#include "core/app/start_battery_test.h"
#include "core/records/battery_test_reader.h"
#include "demo_definitions.h"
#include "support/demo_station.h"
#include "support/qt/fake_logind.h"
#include "support/qt/messages.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "support/scaled_clock.h"
#include "support/sim_process.h"
#include "support/sim_station.h"
#include "support/temp_home.h"
#include "ui/main/main_window.h"
#include "ui/main/manual_test_window.h"
#include "ui/records/graph_window.h"
#include "ui/records/record_tables.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <filesystem>

using namespace kapsorel;
using test::answerNextModal;
using test::choose;
using test::messages;
using test::snap;
using test::widget;

namespace {

constexpr int kLong = 120000; // ms: generous deadline for a run step on the 10x clock

} // namespace

class MainWindowRunTest : public QObject {
    Q_OBJECT

    static QAction* action(QWidget& w, const char* name) { return w.findChild<QAction*>(QString::fromLatin1(name)); }

  private slots:
    void wholeDemoRunFromTheWindow()
    {
        test::DemoStation station;
        QVERIFY(station.ready);
        const test::TempHome& home = station.home;
        ui::MainWindow w(station.home.path(), station.ini(), station.clock);
        test::PrivateBus bus;
        QVERIFY(bus.running());
        test::FakeLogind logind;
        QVERIFY(logind.registerOn(bus.connect(QStringLiteral("logind"))));
        w.setSleepInhibitorBus(bus.connect(QStringLiteral("station")));
        w.show();
        auto& run = w.runtime().station().run;
        QTRY_COMPARE_WITH_TIMEOUT(int(w.runtime().station().live.commFault.load()), 0, 20000);
        // The head the simulator reports selects the NiCd types; "COMM" is gone.
        QTRY_VERIFY_WITH_TIMEOUT(widget<QLabel>(w, "panel1")->text() != QStringLiteral("COMM"), 20000);

        auto* types = widget<QComboBox>(w, "ctyp_bat");
        auto* procedures = widget<QComboBox>(w, "cpostup");
        auto* number = widget<QLineEdit>(w, "Lcislo_bat");
        choose(types, QStringLiteral("20KSX25P"));
        choose(procedures, QStringLiteral("Ukázka (3 minuty)"));
        QAction* start = action(w, "TBXrun");
        QAction* stop = action(w, "TBXstop");
        // Start comes on with the first refresh that sees both modules answering.
        QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), 20000);
        snap(w, "idle");
        QVERIFY(!stop->isEnabled());

        // The data, steps and graph windows open from the toolbar, captioned with the
        // station, and stay open while the test runs.
        auto* data = widget<ui::DataWindow>(w, "TFdata");
        auto* kroky = widget<ui::StepsWindow>(w, "TFkroky");
        auto* graf = widget<ui::GraphWindow>(w, "TFgraf");
        QVERIFY(data && kroky && graf);
        QVERIFY(!data->isVisible() && !kroky->isVisible() && !graf->isVisible());
        for (const char* name : {"TBXData", "TBXKroky", "TBXGraf"}) {
            QVERIFY(action(w, name)->isEnabled());
            action(w, name)->trigger();
        }
        QVERIFY(data->isVisible() && kroky->isVisible() && graf->isVisible());
        QCOMPARE(data->windowTitle(), QStringLiteral("Data - Zkušebna"));
        QCOMPARE(kroky->windowTitle(), QStringLiteral("Kroky - Zkušebna"));
        QCOMPARE(graf->windowTitle(), QStringLiteral("Graf - Zkušebna"));
        // NiCd: the cell columns and series are shown.
        QCOMPARE(data->grid()->columnWidth(sample_col::kFirstCell), ui::kCellColumnWidth);
        QVERIFY(graf->seriesVisible(graph_series::kFirstCell));

        // Without a battery number nothing starts and the buttons stay as they were.
        number->clear();
        start->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(messages(w).contains(QString::fromUtf8(kNoBatteryNumber)), 20000);
        QTRY_VERIFY(start->isEnabled());
        QCOMPARE(run.phase(), RunPhase::Idle);
        QVERIFY(!stop->isEnabled());
        QVERIFY(w.runtime().testFile().currentPath().empty());

        // Characters that cannot be in a file name are refused as they are typed.
        number->setFocus();
        QTest::keyClicks(number, QStringLiteral("A1/2|3"));
        QCOMPARE(number->text(), QStringLiteral("A123"));

        start->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(run.phase() != RunPhase::Idle, 20000);
        QTRY_VERIFY(stop->isEnabled());
        QVERIFY(!start->isEnabled());
        QVERIFY(!action(w, "TBXrucne")->isEnabled());
        QVERIFY(!widget<QWidget>(w, "Panel1")->isEnabled());
        const auto path = w.runtime().testFile().currentPath();
        QVERIFY(w.windowTitle().endsWith(QString::fromStdString(path.string())));
        QTRY_VERIFY_WITH_TIMEOUT(w.sleepInhibitor().held(), 20000); // no sleep while the test runs

        // Stop while charging, answered "Ano".
        QTRY_VERIFY_WITH_TIMEOUT(!w.samples().empty(), kLong);
        QTRY_VERIFY_WITH_TIMEOUT(w.diagram().chargingClosed(), kLong);
        snap(w, "charging");
        const auto stopAsked = answerNextModal(QStringLiteral("ask_ano"));
        stop->trigger();
        QCOMPARE(stopAsked.text(), QStringLiteral("\nOpravdu přerušit proces?  \n"));
        QCOMPARE(run.stopReason(), StopReason::OperatorStop);
        QVERIFY(start->isEnabled());
        QVERIFY(!stop->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(run.phase(), RunPhase::Idle, kLong);
        QTRY_VERIFY_WITH_TIMEOUT(logind.closed(0), 20000);
        QVERIFY(!w.sleepInhibitor().held());

        // Start again: the interrupted test is offered and resumed in the same file.
        const auto resumeAsked = answerNextModal(QStringLiteral("ask_ano"));
        start->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(resumeAsked.text().contains(QStringLiteral("Proces byl přerušen. Pokračovat?")),
                                 20000);
        QTRY_VERIFY_WITH_TIMEOUT(run.phase() != RunPhase::Idle, 20000);
        QTRY_VERIFY(stop->isEnabled());
        QCOMPARE(w.runtime().testFile().currentPath(), path);
        QTRY_VERIFY_WITH_TIMEOUT(w.sleepInhibitor().held(), 20000);

        // The question of the choice step; "Konec" goes on with the next step.
        auto* question = widget<QFrame>(w, "bvolba");
        QTRY_VERIFY_WITH_TIMEOUT(question->isVisible(), 3 * kLong);
        QCOMPARE(widget<QLabel>(w, "bvolba_text")->text(), QStringLiteral("Opakovat ukázku?"));
        snap(w, "question");
        QVERIFY(widget<QPushButton>(w, "bvol_ok")->isVisible());
        QTest::mouseClick(widget<QPushButton>(w, "bvol_ko"), Qt::LeftButton);
        QVERIFY(!question->isVisible());

        // The signalling step's banner, then the end of the run.
        auto* banner = widget<QPushButton>(w, "balarm");
        QTRY_VERIFY_WITH_TIMEOUT(banner->isVisible(), kLong);
        QCOMPARE(banner->text(), QStringLiteral("Ukázka dokončena"));
        snap(w, "banner");
        QTRY_COMPARE_WITH_TIMEOUT(run.phase(), RunPhase::Idle, kLong);
        QTRY_VERIFY(start->isEnabled());
        QVERIFY(!stop->isEnabled());
        QVERIFY(widget<QWidget>(w, "Panel1")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(logind.closed(1), 20000);
        QCOMPARE(logind.requests().size(), 2u);

        // The file agrees with the window.
        const auto bytes = home.readBytes(std::filesystem::relative(path, home.path()).string());
        const auto file = readTestFile(bytes);
        QVERIFY(file.ok());
        const BatteryTestHeader& header = file.value().head.header;
        QCOMPARE(QString::fromStdString(header.batteryNumber), number->text());
        QCOMPARE(QString::fromStdString(header.procedureName), procedures->currentText());
        QCOMPARE(QString::fromStdString(header.batteryType), types->currentText());
        QCOMPARE(QString::fromStdString(header.stationName), QStringLiteral("Zkušebna"));
        const auto& steps = file.value().head.steps;
        for (std::size_t i = 0; i + 1 < steps.size(); ++i) // every step but "Konec" started and ended
            QCOMPARE(int(steps[i].status), 12);
        std::vector<SampleRecord> fileSamples;
        int resumes = 0, markers = 0;
        for (const auto& r : file.value().tail) {
            if (const auto* s = std::get_if<SampleRecord>(&r))
                fileSamples.push_back(*s);
            resumes += std::holds_alternative<ResumeEntry>(r) ? 1 : 0;
            markers += std::holds_alternative<InterruptionMarker>(r) ? 1 : 0;
        }
        QCOMPARE(resumes, 1);
        QCOMPARE(markers, 1);
        // The data and steps windows show every row the run added, as the tables hold them;
        // the graph draws them.
        QVERIFY(!w.samples().empty());
        QCOMPARE(std::size_t(data->model()->rowCount()), w.samples().size());
        const std::size_t last = w.samples().size() - 1;
        const std::int64_t x = w.samples().row(last).x;
        QCOMPARE(data->model()->data(data->model()->index(int(last), sample_col::kTime)).toString(),
                 QStringLiteral("%1:%2:%3")
                     .arg(x / 3600, 2, 10, QLatin1Char('0'))
                     .arg(x / 60 % 60, 2, 10, QLatin1Char('0'))
                     .arg(x % 60, 2, 10, QLatin1Char('0')));
        QCOMPARE(data->model()->text(last, sample_col::kStep), QString::number(w.samples().row(last).sample.step + 1));
        QCOMPARE(data->model()->data(data->model()->index(int(last), sample_col::kVoltage)).toString(),
                 QString::asprintf("%4.1f", double(w.samples().row(last).sample.voltage))
                     .replace(QLatin1Char('.'), QLatin1Char(',')));
        QVERIFY(w.steps().size() >= steps.size() - 1);
        QCOMPARE(std::size_t(kroky->model()->rowCount()), w.steps().size());
        QCOMPARE(kroky->model()->text(0, step_col::kDescription),
                 QString::fromStdString(w.steps().row(0).result.description));
        QVERIFY(graf->drawnPoints(graph_series::kVoltage) > 0);
        snap(*data, "data");
        snap(*kroky, "kroky");
        snap(*graf, "graf_whole");
        const double end = double(w.samples().rows().back().x);
        graf->showRange(end * 0.25, end * 0.5);
        graf->redraw();
        snap(*graf, "graf_zoom");

        // Every sample the window took is in the file, in order.
        std::size_t at = 0;
        for (const auto& row : w.samples().rows()) {
            while (at < fileSamples.size() && !(fileSamples[at] == row.sample))
                ++at;
            QVERIFY2(at < fileSamples.size(), "a sample of the window is not in the file");
        }
        QVERIFY(w.close());
    }

    void manualStartKeepsItsValuesAndCancelStartsNothing()
    {
        test::TempHome home;
        home.writeText("Kapsorel.ini", "[TFRucne]\nRadioGroup1=1\nss_proud=100\nss_perioda=30\nss_cas=600\n");
        ConfigFile config = ConfigFile::loadForStation(home / "Kapsorel.ini");
        {
            ui::ManualTestWindow dialog(config);
            dialog.show();
            snap(dialog, "rucne");
            const ManualRun shown = dialog.values();
            QVERIFY(shown.discharge);
            QCOMPARE(shown.current, 10.0f);
            QCOMPARE(shown.period, std::uint16_t{30});
            QCOMPARE(shown.seconds, std::uint32_t{600});
            auto* voltage = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("ss_nap"));
            auto* current = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("ss_proud"));
            dialog.show();
            QVERIFY(!voltage->isVisible());
            QCOMPARE(current->maximum(), 60.0);
            dialog.findChild<QRadioButton*>(QStringLiteral("RadioGroup1_0"))->setChecked(true);
            QVERIFY(voltage->isVisible());
            QCOMPARE(current->maximum(), 22.0);
            QCOMPARE(current->value(), 10.0);
            dialog.hide();
            const auto cancelled = answerNextModal(QStringLiteral("LMDButton2"));
            QVERIFY(!dialog.ask().has_value());
            QVERIFY(cancelled.opened());
        }
        // The values changed in the dialog come back in a new one.
        ui::ManualTestWindow again(config);
        QVERIFY(!again.values().discharge);
        QCOMPARE(again.values().current, 10.0f);
        const auto confirmed = answerNextModal(QStringLiteral("LMDButton1"));
        const auto started = again.ask();
        QVERIFY(started.has_value());
        QCOMPARE(started->period, std::uint16_t{30});
    }

    // "Zruš" in the manual dialog opened from the window: no test file, no new test on the
    // power module, and Start and Ručně come back.
    void cancellingManualFromTheWindowStartsNothing()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        ui::MainWindow w(home.path(), home / "Kapsorel.ini");
        w.show();
        QTRY_COMPARE_WITH_TIMEOUT(int(w.runtime().station().live.commFault.load()), 0, 20000);
        widget<QLineEdit>(w, "Lcislo_bat")->setText(QStringLiteral("M1"));
        QAction* manual = action(w, "TBXrucne");
        QTRY_VERIFY_WITH_TIMEOUT(manual->isEnabled(), 20000);

        const auto cancelled = answerNextModal(QStringLiteral("LMDButton2"));
        manual->trigger();
        QVERIFY(cancelled.opened());
        QTest::qWait(500); // a start would have posted its module job by now
        w.refreshDisplay();
        QCOMPARE(w.runtime().station().run.phase(), RunPhase::Idle);
        QCOMPARE(sim.number("power.new_tests"), 0);
        QVERIFY(!std::filesystem::exists(home / "Data") || std::filesystem::is_empty(home / "Data"));
        QVERIFY(manual->isEnabled());
        QVERIFY(action(w, "TBXrun")->isEnabled());
        QVERIFY(widget<QWidget>(w, "Panel1")->isEnabled());
    }

    // The power module answers late: the refresh between the press and the running test
    // must not hand Start, Ručně, the panel or "Otevři" back, and the test that runs is the
    // one the first press chose.
    void aSlowStartCannotBeStartedTwice()
    {
        test::SimProcess sim{{"--time-scale", "10"}};
        test::TempHome home;
        test::writeSimStation(home, sim);
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        test::ScaledClock clock{10.0};
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", clock);
        w.show();
        auto& run = w.runtime().station().run;
        QTRY_COMPARE_WITH_TIMEOUT(int(w.runtime().station().live.commFault.load()), 0, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(widget<QLabel>(w, "panel1")->text() != QStringLiteral("COMM"), 20000);
        choose(widget<QComboBox>(w, "ctyp_bat"), QStringLiteral("20KSX25P"));
        choose(widget<QComboBox>(w, "cpostup"), QStringLiteral("Ukázka (3 minuty)"));
        widget<QLineEdit>(w, "Lcislo_bat")->setText(QStringLiteral("S1"));
        QAction* start = action(w, "TBXrun");
        QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), 20000);
        QCOMPARE(QString::fromStdString(sim.command("delay power 2500")), QStringLiteral("OK"));

        start->trigger();
        // Refreshes while "MT" waits for its answer, then another procedure chosen and pressed.
        for (int i = 0; i < 3; ++i) {
            w.refreshDisplay();
            QTest::qWait(300);
            QVERIFY(!start->isEnabled());
            QVERIFY(!action(w, "TBXrucne")->isEnabled());
            QVERIFY(!action(w, "TBXOtevri")->isEnabled());
            QVERIFY(!action(w, "TBXUloz")->isEnabled());
            QVERIFY(!widget<QWidget>(w, "Panel1")->isEnabled());
        }
        choose(widget<QComboBox>(w, "cpostup"), QStringLiteral("Kapacitní test"));
        start->trigger();
        action(w, "TBXrucne")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(run.phase() != RunPhase::Idle, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(action(w, "TBXstop")->isEnabled(), 20000);
        QCOMPARE(QString::fromStdString(sim.command("delay power 0")), QStringLiteral("OK"));
        w.refreshDisplay();
        QVERIFY(!start->isEnabled());
        QVERIFY(action(w, "TBXOtevri")->isEnabled()); // refuses with its message during a run

        const BatteryTestHeader header = w.runtime().testFile().header();
        QCOMPARE(QString::fromStdString(header.procedureName), QStringLiteral("Ukázka (3 minuty)"));
        QCOMPARE(int(w.runtime().procedure().stepCount), int(header.stepCount));

        const auto stopAsked = answerNextModal(QStringLiteral("ask_ano"));
        action(w, "TBXstop")->trigger();
        QVERIFY(stopAsked.opened());
        QVERIFY(start->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(run.phase(), RunPhase::Idle, kLong);
    }

    void refreshRulesOnTheWindow()
    {
        test::TempHome home;
        home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\n");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& live = w.runtime().station().live;
        const StationSettings& s = w.runtime().settings();
        live.commFault = 0;
        live.headCode = 0;
        live.batteryVoltage = 24.04f;
        live.current = 0.0f;
        live.cellVoltage[0] = -0.61f;
        live.cellVoltage[1] = 1.234f;
        live.cellVoltage[2] = 1.57f;
        w.refreshDisplay();
        QCOMPARE(w.diagram().cellBar(0).position, 20);
        QCOMPARE(w.diagram().cellBar(0).colours, s.cellBelowLimitColours);
        QCOMPARE(w.diagram().cellBar(1).position, 203);
        QCOMPARE(w.diagram().cellBar(1).colours, s.cellOtherColours);
        QCOMPARE(w.diagram().cellBar(2).position, 250);
        QCOMPARE(w.diagram().cellBar(2).colours, s.cellAboveOkColours);
        QCOMPARE(w.diagram().cellLabel(1)->text(), QStringLiteral(" 1,23V"));
        auto* lnap = w.diagram().valueLabel("lnap");
        QCOMPARE(lnap->text(), QStringLiteral(" 24,0V"));
        QCOMPARE(widget<QLabel>(w, "panel1")->text(), QStringLiteral("NC"));

        live.commFault = kCommFaultMeasurement;
        live.headCode = -1;
        w.refreshDisplay();
        QCOMPARE(lnap->text(), QStringLiteral("---"));
        QCOMPARE(lnap->palette().color(QPalette::WindowText), QColor(Qt::red));
        QCOMPARE(widget<QLabel>(w, "panel1")->text(), QStringLiteral("COMM"));
        QVERIFY(!action(w, "TBXrun")->isEnabled()); // user level 0, a module lost

        live.commFault = 0;
        live.headCode = 1;
        w.refreshDisplay();
        QCOMPARE(lnap->text(), QStringLiteral(" 24,0V"));
        QVERIFY(lnap->palette().color(QPalette::WindowText) != QColor(Qt::red));
        QCOMPARE(widget<QLabel>(w, "panel1")->text(), QStringLiteral("1"));
        QVERIFY(action(w, "TBXrun")->isEnabled());

        live.commFault = kCommFaultPower;
        w.refreshDisplay();
        QCOMPARE(w.diagram().valueLabel("lproud")->text(), QStringLiteral("---"));
        live.commFault = 0;
        w.refreshDisplay();
        QCOMPARE(w.diagram().valueLabel("lproud")->text(), QStringLiteral("  0,0A"));
    }
};

QTEST_MAIN(MainWindowRunTest)
#include "main_window_run_test.moc"
