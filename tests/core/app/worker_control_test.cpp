#include "core/app/worker_control.h"
#include "support/temp_home.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>
#include <thread>

using namespace kapsorel;
using namespace std::chrono_literals;

namespace {

void shortSleep()
{
    std::this_thread::sleep_for(5ms);
}

// Stands in for a worker inside a synchronous call into the GUI: it stays blocked
// until the GUI thread (here the wait hook) serves it.
class GuiCall {
  public:
    void enterAndWait()
    {
        std::unique_lock lock(m_);
        entered_ = true;
        cv_.notify_all();
        cv_.wait(lock, [this] { return served_; });
    }
    void waitUntilEntered()
    {
        std::unique_lock lock(m_);
        cv_.wait(lock, [this] { return entered_; });
    }
    void serve()
    {
        std::lock_guard lock(m_);
        if (entered_)
            served_ = true;
        cv_.notify_all();
    }

  private:
    std::mutex m_;
    std::condition_variable cv_;
    bool entered_ = false;
    bool served_ = false;
};

} // namespace

TEST(Worker, LoopsUntilStoppedThenReportsEnded)
{
    Worker w("Run_th");
    EXPECT_TRUE(w.ended()); // nothing running yet
    std::atomic<int> passes{0};
    w.start([&] {
        ++passes;
        shortSleep();
    });
    EXPECT_TRUE(w.keepRunning());
    while (passes.load() < 3)
        shortSleep();
    EXPECT_FALSE(w.ended());
    w.requestStop();
    while (!w.ended())
        shortSleep();
    w.join();
    const int done = passes.load();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(passes.load(), done);
}

TEST(Worker, AThrowingPassNeverEndsTheThread)
{
    Worker w("Mea_th");
    std::atomic<int> passes{0};
    w.start([&] {
        if (++passes % 2 == 1)
            throw std::runtime_error("module gone");
    });
    while (passes.load() < 4)
        shortSleep();
    EXPECT_FALSE(w.ended());
    EXPECT_GE(w.failedPasses(), 2u);
    w.requestStop();
    w.join();
    EXPECT_TRUE(w.ended());
}

TEST(Worker, DestroyingARunningWorkerStopsAndJoinsIt)
{
    std::atomic<int> passes{0};
    {
        Worker w("Sync_th");
        w.start([&] {
            ++passes;
            shortSleep();
        });
        while (passes.load() == 0)
            shortSleep();
    }
    const int done = passes.load();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(passes.load(), done);
}

TEST(Workers, ShutdownLogsTheFiveLinesInOrderWhileAWorkerIsBlockedInAGuiCall)
{
    test::TempHome home;
    const auto logPath = home / "Kapsorel.log";
    Workers workers;
    GuiCall call;
    std::atomic<bool> inCall{false};
    workers.start({
        .mea = shortSleep,
        .vyk = shortSleep,
        .run =
            [&] {
                if (!inCall.exchange(true))
                    call.enterAndWait();
                shortSleep();
            },
        .sync = shortSleep,
    });
    call.waitUntilEntered();

    workers.requestStop();
    int hookCalls = 0;
    std::string logWhileBlocked;
    workers.shutdown(logPath, [&] {
        if (++hookCalls == 1)
            logWhileBlocked = home.readText("Kapsorel.log");
        call.serve();
    });

    EXPECT_GE(hookCalls, 1);
    EXPECT_EQ(logWhileBlocked, "Konec:\n"); // flushed at once, nothing else before the run engine ended
    EXPECT_EQ(home.readText("Kapsorel.log"), "Konec:\nRun_th\nMea_th\nVyk_th\nSync_th\n");
    for (const Worker* w : {&workers.TH_MEA, &workers.TH_VYK, &workers.TH_RUN, &workers.TH_SYNC}) {
        EXPECT_TRUE(w->ended()) << w->logName();
        EXPECT_FALSE(w->keepRunning()) << w->logName();
    }
}

TEST(Workers, ShutdownWithoutALogStillWaitsForEveryWorker)
{
    test::TempHome home;
    Workers workers;
    std::atomic<int> runPasses{0};
    workers.start({.mea = shortSleep,
                   .vyk = shortSleep,
                   .run =
                       [&] {
                           ++runPasses;
                           shortSleep();
                       },
                   .sync = {}});
    while (runPasses.load() == 0)
        shortSleep();
    workers.shutdown(home / "no-such-folder" / "Kapsorel.log", {});
    EXPECT_FALSE(std::filesystem::exists(home / "no-such-folder"));
    EXPECT_TRUE(workers.TH_RUN.ended());
    EXPECT_TRUE(workers.TH_SYNC.ended());
}

TEST(Workers, ShutdownRunsOnceAndCopesWithWorkersNeverStarted)
{
    test::TempHome home;
    Workers workers;
    workers.shutdown(home / "Kapsorel.log", {});
    EXPECT_EQ(home.readText("Kapsorel.log"), "Konec:\nRun_th\nMea_th\nVyk_th\nSync_th\n");
    home.writeText("Kapsorel.log", "untouched");
    workers.shutdown(home / "Kapsorel.log", {});
    EXPECT_EQ(home.readText("Kapsorel.log"), "untouched");
}

TEST(Workers, ShutdownRewritesAnOldLog)
{
    test::TempHome home;
    home.writeText("Kapsorel.log", "Konec:\nRun_th\nstare radky\nvice\nvice\nvice\n");
    Workers workers;
    workers.shutdown(home / "Kapsorel.log", {});
    EXPECT_EQ(home.readText("Kapsorel.log"), "Konec:\nRun_th\nMea_th\nVyk_th\nSync_th\n");
}

TEST(CloseRequest, RefusedWhileATestRuns)
{
    EXPECT_EQ(closeRefusal(0), std::nullopt);
    for (std::uint8_t state = 1; state <= 7; ++state)
        EXPECT_EQ(closeRefusal(state), "Proces je spuštěn, nelze ukončit") << int(state);
}
