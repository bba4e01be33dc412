// Keeps the computer from going to sleep while a test runs: a systemd-logind
// "sleep:idle" inhibitor lock, held as a file descriptor for as long as the run is on.
// Without logind (no system bus, or no "org.freedesktop.login1" on it) nothing happens
// and nothing is reported: the station then simply has no such lock.
#pragma once

#include <QDBusConnection>
#include <QObject>

namespace kapsorel::ui {

class SleepInhibitor final : public QObject {
    Q_OBJECT
  public:
    explicit SleepInhibitor(QDBusConnection bus = QDBusConnection::systemBus(), QObject* parent = nullptr);
    ~SleepInhibitor() override;
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    // Called whenever the run may have started or ended: asks logind for the lock once per
    // run (the answer comes later, without waiting), and closes it when the run is over.
    void hold(bool runActive);

    bool held() const { return fd_ >= 0; }
    // A request is on its way to logind.
    bool pending() const { return pending_ > 0; }

  private:
    void release();

    QDBusConnection bus_;
    int fd_ = -1;
    bool wanted_ = false;
    bool asked_ = false; // asked during this run (a refused request is not repeated)
    int pending_ = 0;
    unsigned generation_ = 0; // requests of an earlier run do not count
};

} // namespace kapsorel::ui
