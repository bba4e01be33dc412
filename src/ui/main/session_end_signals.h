// Ends the program along its ordinary exit path when the session ends (SIGTERM, SIGHUP:
// logout, system shutdown). The signal handler only writes a byte into a socket pair; a
// notifier on the GUI thread reads it and closes the main window without the questions a
// running test would give, so the test stays resumable as after a power cut, the settings
// are saved and the shutdown log is written.
#pragma once

#include <QObject>
#include <array>

class QSocketNotifier;

namespace kapsorel::ui {

class MainWindow;

class SessionEndSignals final : public QObject {
    Q_OBJECT
  public:
    // Installs the handlers for `window`; one object at a time in the process.
    explicit SessionEndSignals(MainWindow& window);
    // Puts the previous handlers back.
    ~SessionEndSignals() override;
    SessionEndSignals(const SessionEndSignals&) = delete;
    SessionEndSignals& operator=(const SessionEndSignals&) = delete;

    // False when the socket pair or a handler could not be set up (the default action stays).
    bool installed() const { return installed_; }

  private:
    void onSignal();

    MainWindow& window_;
    std::array<int, 2> fds_{-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    bool installed_ = false;
};

} // namespace kapsorel::ui
