#include "core/app/worker_control.h"
#include "support/temp_home.h"
#include "support/wait_until.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace kapsorel;
using namespace std::chrono_literals;

namespace {

// Limit for everything a test waits for here.
constexpr auto kLimit = 10s;

void shortSleep()
{
    std::this_thread::sleep_for(5ms);
}

template <class Done> bool within(Done&& done)
{
    return test::waitUntil(std::forward<Done>(done), kLimit, 1ms);
}

// Stands in for a worker inside a synchronous call into the GUI: it stays blocked
// until the GUI thread (here the wait hook) serves it, or the limit passes.
class GuiCall {
  public:
    void enterAndWait()
    {
        std::unique_lock lock(m_);
        entered_ = true;
        cv_.notify_all();
        cv_.wait_for(lock, kLimit, [this] { return served_; });
    }
    bool waitUntilEntered()
    {
        std::unique_lock lock(m_);
        return cv_.wait_for(lock, kLimit, [this] { return entered_; });
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

// The messages a worker reported, as the user would see them.
class Reports {
  public:
    Worker::FailureReport sink()
    {
        return [this](const std::string& m) {
            std::lock_guard lock(m_);
            messages_.push_back(m);
        };
    }
    std::vector<std::string> messages() const
    {
        std::lock_guard lock(m_);
        return messages_;
    }

  private:
    mutable std::mutex m_;
    std::vector<std::string> messages_;
};

} // namespace

TEST(Worker, LoopsUntilStoppedThenReportsEnded)
{
    Worker w("Run_th");
    EXPECT_TRUE(w.ended()); // nothing running yet
    std::atomic<int> passes{0};
    std::atomic<bool> inPass{false};
    w.start([&] {
        inPass = true;
        ++passes;
        shortSleep();
        inPass = false;
    });
    EXPECT_TRUE(w.keepRunning());
    ASSERT_TRUE(within([&] { return passes.load() >= 3; }));
    EXPECT_FALSE(w.ended());
    w.requestStop();
    // Ended means the loop is over: seen before any join, no pass is running and none
    // starts afterwards.
    ASSERT_TRUE(within([&] { return w.ended(); }));
    const int atEnd = passes.load();
    const bool passRunning = inPass.load();
    w.join();
    EXPECT_FALSE(passRunning);
    EXPECT_EQ(passes.load(), atEnd);
}

TEST(Worker, AThrowingPassNeverEndsTheThread)
{
    Worker w("Mea_th");
    std::atomic<int> passes{0};
    w.start([&] {
        if (++passes % 2 == 1)
            throw std::runtime_error("module gone");
    });
    ASSERT_TRUE(within([&] { return passes.load() >= 4; }));
    EXPECT_FALSE(w.ended());
    EXPECT_GE(w.failedPasses(), 2u);
    w.requestStop();
    w.join();
    EXPECT_TRUE(w.ended());
}

TEST(Worker, FirstFailureOfEachKindIsReported)
{
    Worker w("Run_th");
    Reports reports;
    std::atomic<int> passes{0};
    w.start(
        [&] {
            switch (passes++) {
            case 0:
            case 1:
            case 3:
                throw std::runtime_error("Soubor testu nelze zapsat");
            case 2:
            case 5:
                throw std::logic_error("krok 300 neexistuje");
            case 4:
                throw 42;
            default:
                shortSleep();
            }
        },
        reports.sink());
    ASSERT_TRUE(within([&] { return passes.load() >= 8; }));
    w.requestStop();
    w.join();
    EXPECT_EQ(w.failedPasses(), 6u);
    EXPECT_EQ(reports.messages(), (std::vector<std::string>{"Chyba vlákna Run_th: Soubor testu nelze zapsat",
                                                            "Chyba vlákna Run_th: krok 300 neexistuje",
                                                            "Chyba vlákna Run_th: neznámá výjimka"}));
}

TEST(Worker, ManyDifferentFailuresAreReportedUpToALimit)
{
    Worker w("Vyk_th");
    Reports reports;
    std::atomic<int> passes{0};
    w.start(
        [&] {
            const int n = passes++;
            if (n < 20)
                throw std::runtime_error("chyba " + std::to_string(n));
            shortSleep();
        },
        reports.sink());
    ASSERT_TRUE(within([&] { return passes.load() >= 21; }));
    w.requestStop();
    w.join();
    EXPECT_EQ(w.failedPasses(), 20u);
    const auto messages = reports.messages();
    ASSERT_EQ(messages.size(), Worker::kMaxReportedFailures);
    EXPECT_EQ(messages.front(), "Chyba vlákna Vyk_th: chyba 0");
    EXPECT_EQ(messages.back(), "Chyba vlákna Vyk_th: chyba " + std::to_string(Worker::kMaxReportedFailures - 1));
}

TEST(Workers, EveryWorkerReportsItsFailuresUnderItsOwnName)
{
    Workers workers;
    Reports reports;
    std::atomic<int> failed{0};
    const auto failOnce = [&](const char* what) {
        return [&failed, what, thrown = std::make_shared<std::atomic<bool>>(false)] {
            if (!thrown->exchange(true)) {
                ++failed;
                throw std::runtime_error(what);
            }
            shortSleep();
        };
    };
    workers.start({.mea = failOnce("mea"), .vyk = failOnce("vyk"), .run = failOnce("run"), .sync = failOnce("sync")},
                  reports.sink());
    ASSERT_TRUE(within([&] { return failed.load() >= 4 && reports.messages().size() >= 4; }));
    workers.requestStop();
    auto messages = reports.messages();
    std::sort(messages.begin(), messages.end());
    EXPECT_EQ(messages, (std::vector<std::string>{"Chyba vlákna Mea_th: mea", "Chyba vlákna Run_th: run",
                                                  "Chyba vlákna Sync_th: sync", "Chyba vlákna Vyk_th: vyk"}));
}

TEST(Worker, DestroyingARunningWorkerStopsAndJoinsIt)
{
    // The pass holds `alive` and sits in a long pass when the worker is destroyed: only a
    // destructor that waits for the thread's end returns after that pass has finished
    // and the thread has let go of it.
    std::atomic<int> passes{0};
    std::atomic<bool> inPass{false};
    auto alive = std::make_shared<int>(0);
    const std::weak_ptr<int> held = alive;
    {
        Worker w("Sync_th");
        w.start([&inPass, &passes, alive] {
            inPass = true;
            ++passes;
            std::this_thread::sleep_for(50ms);
            inPass = false;
        });
        alive.reset();
        ASSERT_TRUE(within([&] { return inPass.load(); }));
    }
    EXPECT_FALSE(inPass.load());
    EXPECT_TRUE(held.expired());
    EXPECT_GE(passes.load(), 1);
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
    ASSERT_TRUE(call.waitUntilEntered());

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
    ASSERT_TRUE(within([&] { return runPasses.load() > 0; }));
    workers.shutdown(home / "no-such-folder" / "Kapsorel.log", {});
    EXPECT_FALSE(std::filesystem::exists(home / "no-such-folder"));
    EXPECT_TRUE(workers.TH_RUN.ended());
    EXPECT_TRUE(workers.TH_SYNC.ended());
}

// The log is saved whole as a new file each line: another name of the old log's file (a
// hard link someone made to it) keeps its bytes, and a link planted at the log's temporary
// names leads nowhere.
TEST(Workers, ShutdownLogIsSavedAsANewFileNeverIntoTheOldOne)
{
    test::TempHome home;
    home.writeText("Kapsorel.log", "precious");
    std::filesystem::create_hard_link(home / "Kapsorel.log", home / "other");
    home.writeText("victim", "kept");
    std::filesystem::create_symlink(home / "victim", home / "Kapsorel.log.tmp");
    Workers workers;
    workers.shutdown(home / "Kapsorel.log", {});
    EXPECT_EQ(home.readText("Kapsorel.log"), "Konec:\nRun_th\nMea_th\nVyk_th\nSync_th\n");
    EXPECT_EQ(home.readText("other"), "precious");
    EXPECT_EQ(home.readText("victim"), "kept");
    EXPECT_EQ(test::namesIn(home.path()),
              (std::vector<std::string>{"Kapsorel.log", "Kapsorel.log.tmp", "other", "victim"}));
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
    EXPECT_EQ(closeRefusal(RunPhase::Idle), std::nullopt);
    for (RunPhase phase : {RunPhase::Start, RunPhase::StepStart, RunPhase::StepRunning, RunPhase::RunEnd,
                           RunPhase::StepDone, RunPhase::ProcedureEnd, RunPhase::Abort})
        EXPECT_EQ(closeRefusal(phase), "Proces je spuštěn, nelze ukončit") << int(phase);
}
