#include "core/comm/module_jobs.h"
#include "support/sim_process.h"
#include "ui/common/module_job.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <thread>

using namespace kapsorel;

// A window's exchange runs as a module job: the GUI thread goes on while the module is
// silent, the button waits disabled, and the outcome comes back on the GUI thread.
class ModuleJobTest : public QObject {
    Q_OBJECT

  private slots:
    void theGuiThreadRunsWhileAJobWaitsForASilentModule()
    {
        test::SimProcess sim;
        ModuleLink link("vyk");
        link.setEndpoint(sim.powerAddress(), sim.tcpPort());
        ModuleJobRunner runner(link);
        sim.value("silent power on");

        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(50);
        QPushButton button(QStringLiteral("Pa"));
        const auto gui = std::this_thread::get_id();
        bool doneOnGui = false;
        int outcome = -1;
        runModuleJob<int>(
            runner, &button,
            [](ModuleLink& l) {
                auto exchange = l.begin();
                exchange.frame().setCommand('P', 'a');
                exchange.frame().setPayloadLength(0);
                return static_cast<int>(exchange.exchange(1));
            },
            [&](const int& result) {
                doneOnGui = std::this_thread::get_id() == gui;
                outcome = result;
            });
        QVERIFY(!button.isEnabled());
        // The module stays silent for its whole 5 s read limit; meanwhile the timer ticks.
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 40, 4000);
        QCOMPARE(outcome, -1);
        QVERIFY(!button.isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(outcome != -1, 15000);
        QCOMPARE(outcome, static_cast<int>(ExchangeOutcome::ReadFailed));
        QVERIFY(doneOnGui);
        QVERIFY(button.isEnabled());
    }

    void aClosedWindowGetsNoAnswer()
    {
        test::SimProcess sim;
        ModuleLink link("vyk");
        link.setEndpoint(sim.powerAddress(), sim.tcpPort());
        ModuleJobRunner runner(link);
        bool called = false;
        auto* button = new QPushButton;
        runModuleJob<int>(
            runner, button, [](ModuleLink&) { return 1; }, [&](const int&) { called = true; });
        delete button;
        QTRY_COMPARE_WITH_TIMEOUT(runner.pending(), std::size_t{0}, 5000);
        QCoreApplication::processEvents();
        QVERIFY(!called);
    }
};

QTEST_MAIN(ModuleJobTest)
#include "module_job_test.moc"
