// Handing work to the GUI thread: functions posted from other threads run there in order,
// a bridge call from a worker waits for its action, and nothing waits on a queue or bridge
// that is gone.
#include "core/station/ui_bridge.h"
#include "support/wait_until.h"
#include "ui/common/gui_queue.h"
#include "ui/common/qt_ui_bridge.h"

#include <QTest>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using namespace kapsorel;

namespace {

// A bridge target that notes the thread of each call.
class ThreadNotingUi final : public UiBridge {
  public:
    void showMessage(const std::string&) override {}
    void runStoppedOnLostModule() override {}
    void errorAlarm(const std::string&) override {}
    void faultsChanged(std::uint16_t) override {}
    void signallingPrompt(const std::string&) override {}
    void questionPrompt(const std::string&) override {}
    void runEnded() override {}
    void refreshDisplay() override {}
    void addStepRow(std::uint8_t) override {}
    void statusText(const std::string& text) override
    {
        onGui = std::this_thread::get_id() == gui;
        shown = text;
    }
    std::thread::id gui = std::this_thread::get_id();
    bool onGui = false;
    std::string shown;
};

} // namespace

class GuiQueueTest : public QObject {
    Q_OBJECT

  private slots:
    void postedFunctionsRunOnTheGuiThreadInOrder()
    {
        ui::GuiQueue queue;
        const auto gui = std::this_thread::get_id();
        std::vector<int> ran;
        bool allOnGui = true;
        std::thread worker([&, post = queue.poster()] {
            for (int i = 0; i < 100; ++i)
                post([&, i] {
                    allOnGui = allOnGui && std::this_thread::get_id() == gui;
                    ran.push_back(i);
                });
        });
        worker.join();
        QVERIFY(ran.empty()); // nothing runs before the GUI thread processes its events
        QTRY_COMPARE_WITH_TIMEOUT(int(ran.size()), 100, 5000);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(ran[std::size_t(i)], i);
        QVERIFY(allOnGui);
    }

    void aQueueGoneDropsWhatWaitsAndTakesNoMore()
    {
        auto queue = std::make_unique<ui::GuiQueue>();
        const ui::GuiQueue::Poster post = queue->poster();
        auto held = std::make_shared<int>(0);
        const std::weak_ptr<int> watch = held;
        bool ran = false;
        post([&ran, held] { ran = true; });
        held.reset();
        QVERIFY(!watch.expired()); // waiting in the queue
        queue.reset();
        QVERIFY(watch.expired());     // dropped with it
        post([&ran] { ran = true; }); // no queue: nothing
        QCoreApplication::processEvents();
        QVERIFY(!ran);
    }

    void aWorkersCallRunsOnTheGuiThreadWhileTheWorkerWaits()
    {
        ThreadNotingUi target;
        ui::QtUiBridge bridge(target);
        std::atomic<bool> returned{false};
        std::thread worker([&] {
            bridge.statusText("Nabíjení");
            returned = true;
        });
        QVERIFY(test::waitUntil([&] { return bridge.callsWaiting() == 1; }, std::chrono::seconds(10)));
        QVERIFY(!returned.load()); // it waits for the GUI thread
        QTRY_VERIFY_WITH_TIMEOUT(returned.load(), 10000);
        worker.join();
        QVERIFY(target.onGui);
        QCOMPARE(target.shown, std::string("Nabíjení"));
        QCOMPARE(bridge.callsWaiting(), 0);
    }

    void aWorkerWaitingOnAClosedBridgeGoesOnWithoutTheCall()
    {
        ThreadNotingUi target;
        ui::QtUiBridge bridge(target);
        std::atomic<bool> returned{false};
        std::thread worker([&] {
            bridge.statusText("Vybíjení");
            returned = true;
        });
        QVERIFY(test::waitUntil([&] { return bridge.callsWaiting() == 1; }, std::chrono::seconds(10)));
        bridge.close();
        QTRY_VERIFY_WITH_TIMEOUT(returned.load(), 10000);
        worker.join();
        QVERIFY(target.shown.empty());
        bridge.statusText("Konec"); // closed: not even on the GUI thread
        QVERIFY(target.shown.empty());
    }
};

QTEST_MAIN(GuiQueueTest)
#include "gui_queue_test.moc"
