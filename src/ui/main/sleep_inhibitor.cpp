#include "ui/main/sleep_inhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <fcntl.h>
#include <unistd.h>

namespace kapsorel::ui {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

SleepInhibitor::SleepInhibitor(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus)) {}

SleepInhibitor::~SleepInhibitor()
{
    release();
}

void SleepInhibitor::hold(bool runActive)
{
    if (!runActive) {
        wanted_ = false;
        asked_ = false;
        release();
        return;
    }
    wanted_ = true;
    if (asked_ || held() || !bus_.isConnected())
        return;
    asked_ = true;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QStringLiteral("Kapsorel") << QStringLiteral("Probíhá test baterie")
         << QStringLiteral("block");
    // Never start logind for this: a station without it runs without the lock.
    call.setAutoStartService(false);
    ++pending_;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation = generation_](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                --pending_;
                const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
                if (reply.isError() || generation != generation_ || !wanted_ || held())
                    return; // the reply's descriptor closes with it
                const QDBusUnixFileDescriptor lock = reply.value();
                if (lock.isValid())
                    fd_ = ::fcntl(lock.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
            });
}

void SleepInhibitor::release()
{
    ++generation_;
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace kapsorel::ui
