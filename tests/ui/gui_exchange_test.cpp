#include <QApplication>
#include <QTest>
#include <QTimer>
#include <thread>

#include "core/comm/module_link.h"
#include "support/sim_process.h"

using namespace kapsorel;

// An exchange made from the GUI thread keeps the event loop turning while it waits.
class GuiExchangeTest : public QObject {
    Q_OBJECT

private slots:
    void timersFireWhileAnExchangeWaitsForASilentModule()
    {
        test::SimProcess sim;
        ModuleLink link("vyk");
        link.setEndpoint(sim.powerAddress(), sim.tcpPort());
        link.setReadLimitMs(800);
        link.setWaitHook(std::this_thread::get_id(),
                         [] { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10); });
        sim.value("silent power on");

        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(50);
        auto lock = link.lock();
        link.frame().setCommand('P', 'S');
        link.frame().setPayloadLength(0);
        QCOMPARE(int(link.exchange(1)), int(ExchangeOutcome::ReadFailed));
        QVERIFY2(ticks >= 8, qPrintable(QString::number(ticks)));
    }
};

QTEST_MAIN(GuiExchangeTest)
#include "gui_exchange_test.moc"
