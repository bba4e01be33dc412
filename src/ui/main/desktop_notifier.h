// Desktop notifications ("org.freedesktop.Notifications" on the session bus) when a test
// ends, is interrupted or waits for the operator, so that an operator in another room
// knows. Sent without waiting for the server; where there is no session bus or no
// notification server nothing happens and nothing is reported.
#pragma once

#include "core/app/run_notice.h"

#include <QDBusConnection>
#include <QObject>
#include <deque>
#include <optional>

namespace kapsorel {
class StationRuntime;
}

namespace kapsorel::ui {

class QtUiBridge;

class DesktopNotifier final : public QObject {
    Q_OBJECT
  public:
    // Follows the run engine's calls through `bridge`; `runtime` gives the battery, the
    // station and the step. Both must outlive the notifier.
    DesktopNotifier(QtUiBridge& bridge, StationRuntime& runtime, QDBusConnection bus = sessionBus(),
                    QObject* parent = nullptr);

    // The user's session bus where the environment names one; otherwise a connection that
    // is not connected (no bus is started for a notification).
    static QDBusConnection sessionBus();

    // Hands `notice` to the server. Notices go one at a time, each replacing the previous
    // one of the same run; `endsRun` makes the next notice start afresh.
    void send(const RunNotice& notice, bool endsRun);

    // A call to the server is on its way, or notices wait for one.
    bool busy() const { return inFlight_ || !queue_.empty(); }

  private:
    struct Queued {
        RunNotice notice;
        unsigned run = 0;
    };

    void notify(RunNoticeEvent event, const QString& text);
    void next();
    void askCapabilities();

    StationRuntime& runtime_;
    QDBusConnection bus_;
    std::deque<Queued> queue_;
    bool inFlight_ = false;
    std::optional<bool> markup_; // whether the server reads bodies as markup, once it said
    unsigned run_ = 0;           // counts the runs that ended
    unsigned shownRun_ = 0;      // the run of the notice last shown
    uint shownId_ = 0;           // and the server's id of it; 0: none
};

} // namespace kapsorel::ui
