// The Qt side of the worker bridge: each call from a worker runs on the GUI thread and
// the worker waits for it. Calls made on the GUI thread itself run directly.
#pragma once

#include "core/station/ui_bridge.h"
#include "ui/common/gui_queue.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace kapsorel::ui {

class QtUiBridge final : public QObject, public UiBridge {
    Q_OBJECT
  public:
    // `target` carries out the actions on the GUI thread; it must outlive the bridge's use.
    explicit QtUiBridge(UiBridge& target, QObject* parent = nullptr);
    // Without a target yet (the station is built before its window): messages are held
    // until `attach`, the other calls have nothing to change yet and are dropped.
    explicit QtUiBridge(QObject* parent = nullptr);
    // GUI thread, before the workers start.
    void attach(UiBridge& target);

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
    void addStepRow(std::uint8_t step) override;

    // Runs `action` on the GUI thread and waits for it (handed over through a GuiQueue,
    // so a TSan build checks what the action reads). Returns without it once the bridge
    // is closed or gone.
    void call(const std::function<void()>& action);
    // Workers waiting inside a call right now.
    int callsWaiting() const { return waiting_.load(); }

  signals:
    // The run engine's calls that concern the operator, emitted on the GUI thread once the
    // window has carried them out, while the engine still waits.
    void signallingPrompted(const QString& text);
    void questionPrompted(const QString& text);
    void runFinished();

  private:
    void call(const std::function<void(UiBridge&)>& action);

    UiBridge* target_ = nullptr; // read and written on the GUI thread only
    GuiQueue* queue_;
    std::vector<std::string> held_;
    std::atomic<bool> closed_{false};
    std::atomic<int> waiting_{0};
};

} // namespace kapsorel::ui
