// The display refresh's handover of step marks from the engine to the screen, on threads.
#include "core/app/display_refresh.h"
#include "support/fake_clock.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace kapsorel;

namespace {

// A screen that keeps the step rows it was given, and notes any row whose mark was gone
// by the time the row was added (the engine could have recorded the next start already).
class StepRowScreen final : public UiBridge {
  public:
    explicit StepRowScreen(const SharedRunState& run) : run_(run) {}

    void showMessage(const std::string&) override {}
    void runStoppedOnLostModule() override {}
    void errorAlarm(const std::string&) override {}
    void faultsChanged(std::uint16_t) override {}
    void statusText(const std::string&) override {}
    void signallingPrompt(const std::string&) override {}
    void questionPrompt(const std::string&) override {}
    void runEnded() override {}
    void refreshDisplay() override {}
    void addStepRow(std::uint8_t step) override
    {
        if (run_.stepMark.load() != step)
            ++markGoneEarly;
        rows.push_back(step);
    }

    std::vector<std::uint8_t> rows; // written by the refresh thread only
    int markGoneEarly = 0;

  private:
    const SharedRunState& run_;
};

TEST(DisplayRefresh, EveryStepMarkIsHandedToTheScreenOnceAndInOrder)
{
    // The engine's side of the handover: wait until the last mark was taken, then set the
    // next one (as a step start is recorded), many times over while the refresh runs.
    constexpr int kMarks = 5000;
    Station station;
    StepRowScreen screen(station.run);
    test::FakeClock clock; // the refresh's one-second sleep returns at once
    std::atomic<bool> refreshing{true};
    DisplayRefresh refresh(station, screen, clock, [&] { return refreshing.load(); });
    std::thread worker([&] {
        while (refreshing.load())
            refresh.pass();
    });

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    const auto waitUntilTaken = [&] {
        while (station.run.stepMark.load(std::memory_order_acquire) != kNoStepMark) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::yield();
        }
        return true;
    };
    std::vector<std::uint8_t> handed;
    bool inTime = true;
    for (int k = 0; k < kMarks && inTime; ++k) {
        inTime = waitUntilTaken();
        if (!inTime)
            break;
        const auto step = static_cast<std::uint8_t>(k % kMaxSteps);
        handed.push_back(step);
        station.run.stepMark.store(step, std::memory_order_release);
    }
    inTime = inTime && waitUntilTaken();
    refreshing = false;
    worker.join();

    ASSERT_TRUE(inTime) << "marks handed before the deadline: " << handed.size();
    EXPECT_EQ(screen.rows.size(), handed.size());
    EXPECT_TRUE(screen.rows == handed); // none lost, none twice, in order
    EXPECT_EQ(screen.markGoneEarly, 0);
}

} // namespace
