// A private D-Bus daemon started for one test, and on it a stand-in for systemd-logind
// whose Manager.Inhibit hands out the write end of a pipe: the test keeps the read end
// and sees end-of-file once every holder has closed the lock.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QStringList>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

namespace kapsorel::test {

// `dbus-daemon --session` on a socket of its own; stopped with the object. Started with a
// plain fork and exec, which ThreadSanitizer follows (QProcess's vfork-like start, made
// while the station's threads run, leaves TSan with a wrong picture of what came before).
class PrivateBus {
  public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool running() const { return !address_.isEmpty(); }
    // A new connection to the bus under `name`.
    QDBusConnection connect(const QString& name)
    {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

  private:
    pid_t daemon_ = -1;
    QString address_;
    QStringList names_;
};

class FakeLogind final : public QDBusVirtualObject {
  public:
    struct Request {
        QStringList arguments;
        int readEnd = -1; // end-of-file here once the lock is closed everywhere
    };

    ~FakeLogind() override
    {
        for (const auto& r : requests_)
            ::close(r.readEnd);
    }

    // Registers the service's manager object on `bus`.
    bool registerOn(QDBusConnection bus)
    {
        return bus.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), this) &&
               bus.registerService(QStringLiteral("org.freedesktop.login1"));
    }

    QString introspect(const QString&) const override
    {
        return QStringLiteral("<interface name=\"org.freedesktop.login1.Manager\"><method name=\"Inhibit\">"
                              "<arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
                              "<arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
                              "<arg type=\"h\" direction=\"out\"/></method></interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.interface() != QStringLiteral("org.freedesktop.login1.Manager") ||
            message.member() != QStringLiteral("Inhibit"))
            return false;
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return false;
        Request r;
        for (const QVariant& a : message.arguments())
            r.arguments << a.toString();
        r.readEnd = ends[0];
        {
            const std::lock_guard lock(mutex_);
            requests_.push_back(r);
        }
        {
            const QDBusUnixFileDescriptor lock(ends[1]); // a copy of its own
            ::close(ends[1]);
            connection.send(message.createReply(QVariant::fromValue(lock)));
        }
        return true;
    }

    // The Inhibit calls so far (the bus may deliver them on a thread of its own).
    std::vector<Request> requests() const
    {
        const std::lock_guard lock(mutex_);
        return requests_;
    }

    // True when the lock of request `i` has been closed by everyone holding it.
    bool closed(std::size_t i) const
    {
        const int fd = requests().at(i).readEnd;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0)
            return false;
        char c;
        return ::read(fd, &c, 1) == 0;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
};

} // namespace kapsorel::test
