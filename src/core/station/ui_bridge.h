// How workers reach the screen: every call runs on the user-interface thread while the
// calling worker waits for it. Core code talks only to this interface; the Qt side
// implements it, tests record the calls.
#pragma once

#include <cstdint>
#include <string>

namespace kapsorel {

class UiBridge {
  public:
    virtual ~UiBridge() = default;

    // A message box with the text (connection errors, file errors, "IP adr").
    virtual void showMessage(const std::string& text) = 0;

    // Power poller: the run was stopped because the power module stopped answering.
    virtual void runStoppedOnLostModule() = 0;
    // Power poller: a new module error during a run; `text` is the error's alarm text.
    virtual void errorAlarm(const std::string& text) = 0;
    // Power poller: the fault bits differ from those last shown.
    virtual void faultsChanged(std::uint16_t faultBits) = 0;

    // Run engine: the status bar's step field ("3 - Nabíjení").
    virtual void statusText(const std::string& text) = 0;
    // Run engine: a signalling step's banner text (alarm sound and banner).
    virtual void signallingPrompt(const std::string& text) = 0;
    // Run engine: a choice step's question.
    virtual void questionPrompt(const std::string& text) = 0;
    // Run engine: the run has ended; hand control back to the operator.
    virtual void runEnded() = 0;

    // Display refresh: one once-a-second refresh of the screen.
    virtual void refreshDisplay() = 0;
    // Display refresh: the step `step` has started; its row goes into the steps table.
    virtual void addStepRow(std::uint8_t step) = 0;
};

// Does nothing; for a station without a screen.
class NullUiBridge final : public UiBridge {
  public:
    void showMessage(const std::string&) override {}
    void runStoppedOnLostModule() override {}
    void errorAlarm(const std::string&) override {}
    void faultsChanged(std::uint16_t) override {}
    void statusText(const std::string&) override {}
    void signallingPrompt(const std::string&) override {}
    void questionPrompt(const std::string&) override {}
    void runEnded() override {}
    void refreshDisplay() override {}
    void addStepRow(std::uint8_t) override {}
};

} // namespace kapsorel
