// A UI bridge that records each call as a line of text, for tests of the workers.
#pragma once

#include "core/station/ui_bridge.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace kapsorel::test {

class RecordingUi final : public UiBridge {
  public:
    void showMessage(const std::string& t) override { add("message " + t); }
    void runStoppedOnLostModule() override { add("stopped"); }
    void errorAlarm(const std::string& t) override { add("alarm " + t); }
    void faultsChanged(std::uint16_t b) override { add("faults " + std::to_string(b)); }
    void statusText(const std::string& t) override { add("status " + t); }
    void signallingPrompt(const std::string& t) override { add("signal " + t); }
    void questionPrompt(const std::string& t) override { add("question " + t); }
    void runEnded() override
    {
        add("ended");
        if (onRunEnded)
            onRunEnded();
    }
    void refreshDisplay() override { add("refresh"); }
    void addStepRow(std::uint8_t step) override { add("step " + std::to_string(step)); }

    // Runs inside the run-end call, on the engine's thread.
    std::function<void()> onRunEnded;

    std::vector<std::string> calls() const
    {
        std::lock_guard g(mutex_);
        return calls_;
    }
    void clear()
    {
        std::lock_guard g(mutex_);
        calls_.clear();
    }

  private:
    void add(std::string line)
    {
        std::lock_guard g(mutex_);
        calls_.push_back(std::move(line));
    }

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

} // namespace kapsorel::test
