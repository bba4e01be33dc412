#include "support/qt/fake_notifications.h"

#include <QDBusArgument>
#include <QDBusMetaType>

namespace kapsorel::test {

namespace {

const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

} // namespace

bool FakeNotifications::registerOn(QDBusConnection bus)
{
    return bus.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), this) &&
           bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

QString FakeNotifications::introspect(const QString&) const
{
    return QStringLiteral("<interface name=\"org.freedesktop.Notifications\">"
                          "<method name=\"GetCapabilities\"><arg type=\"as\" direction=\"out\"/></method>"
                          "<method name=\"Notify\"><arg type=\"s\" direction=\"in\"/><arg type=\"u\" direction=\"in\"/>"
                          "<arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
                          "<arg type=\"s\" direction=\"in\"/><arg type=\"as\" direction=\"in\"/>"
                          "<arg type=\"a{sv}\" direction=\"in\"/><arg type=\"i\" direction=\"in\"/>"
                          "<arg type=\"u\" direction=\"out\"/></method></interface>");
}

bool FakeNotifications::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    if (message.interface() != kInterface)
        return false;
    if (message.member() == QStringLiteral("GetCapabilities")) {
        connection.send(message.createReply(capabilities_));
        return true;
    }
    const QVariantList a = message.arguments();
    if (message.member() != QStringLiteral("Notify") || message.signature() != QStringLiteral("susssasa{sv}i")) {
        connection.send(message.createErrorReply(QDBusError::InvalidArgs, message.signature()));
        return true;
    }
    Notice n;
    n.appName = a[0].toString();
    n.replacesId = a[1].toUInt();
    n.appIcon = a[2].toString();
    n.summary = a[3].toString();
    n.body = a[4].toString();
    n.hints = qdbus_cast<QVariantMap>(a[6]);
    n.expireTimeout = a[7].toInt();
    {
        const std::lock_guard lock(mutex_);
        n.id = n.replacesId != 0 ? n.replacesId : nextId_++;
        notices_.push_back(n);
    }
    connection.send(message.createReply(n.id));
    return true;
}

} // namespace kapsorel::test
