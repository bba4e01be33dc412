// The Qt side of the worker bridge: each call from a worker runs on the GUI thread and
// the worker waits for it. Calls made on the GUI thread itself run directly.
#pragma once

#include "core/station/ui_bridge.h"

#include <QObject>
#include <atomic>
#include <functional>

namespace kapsorel::ui {

class QtUiBridge final : public QObject, public UiBridge {
    Q_OBJECT
  public:
    // `target` carries out the actions on the GUI thread; it must outlive the bridge's use.
    explicit QtUiBridge(UiBridge& target, QObject* parent = nullptr);

    // Once closed, calls return at once without touching the target (the window is going).
    void close() { closed_.store(true); }

    void showMessage(const std::string& text) override;
    void runStoppedOnLostModule() override;
    void errorAlarm(const std::string& text) override;
    void faultsChanged(std::uint16_t faultBits) override;
    void statusText(const std::string& text) override;
    void signallingPrompt(const std::string& text) override;
    void questionPrompt(const std::string& text) override;
    void runEnded() override;
    void refreshDisplay() override;

    // Runs `action` on the GUI thread and waits for it.
    void call(const std::function<void()>& action);
    // Workers waiting inside a call right now.
    int callsWaiting() const { return waiting_.load(); }

  private:
    UiBridge& target_;
    std::atomic<bool> closed_{false};
    std::atomic<int> waiting_{0};
};

} // namespace kapsorel::ui
