// A stand-in desktop notification server ("org.freedesktop.Notifications") for a private
// bus (support/qt/fake_logind.h starts one): records every Notify call and answers it
// with a new id, and names the capabilities it was given.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QStringList>
#include <QVariantMap>
#include <mutex>
#include <vector>

namespace kapsorel::test {

class FakeNotifications final : public QDBusVirtualObject {
  public:
    struct Notice {
        QString appName;
        uint replacesId = 0;
        QString appIcon;
        QString summary;
        QString body;
        QVariantMap hints;
        int expireTimeout = 0;
        uint id = 0; // the id answered
    };

    explicit FakeNotifications(QStringList capabilities = {QStringLiteral("body")})
        : capabilities_(std::move(capabilities))
    {
    }

    bool registerOn(QDBusConnection bus);

    QString introspect(const QString&) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

    // The Notify calls so far (the bus may deliver them on a thread of its own).
    std::vector<Notice> notices() const
    {
        const std::lock_guard lock(mutex_);
        return notices_;
    }

  private:
    QStringList capabilities_;
    mutable std::mutex mutex_;
    std::vector<Notice> notices_;
    uint nextId_ = 1;
};

} // namespace kapsorel::test
