#include "support/qt/fake_logind.h"

#include "support/wait_until.h"

#include <csignal>
#include <string>
#include <sys/wait.h>

namespace kapsorel::test {

PrivateBus::PrivateBus()
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return;
    daemon_ = ::fork();
    if (daemon_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::execlp("dbus-daemon", "dbus-daemon", "--session", "--print-address", "--nofork", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    // Its first line is the bus address.
    std::string printed;
    if (daemon_ > 0)
        waitUntil(
            [&] {
                pollfd p{out[0], POLLIN, 0};
                if (::poll(&p, 1, 200) <= 0)
                    return false;
                char chunk[256];
                const ssize_t n = ::read(out[0], chunk, sizeof chunk);
                if (n <= 0)
                    return true; // it ended without a word
                printed.append(chunk, static_cast<std::size_t>(n));
                return printed.find('\n') != std::string::npos;
            },
            std::chrono::seconds(20), std::chrono::milliseconds(0));
    ::close(out[0]);
    address_ = QString::fromStdString(printed.substr(0, printed.find('\n'))).trimmed();
}

PrivateBus::~PrivateBus()
{
    for (const auto& name : names_)
        QDBusConnection::disconnectFromBus(name);
    if (daemon_ > 0) {
        ::kill(daemon_, SIGKILL);
        ::waitpid(daemon_, nullptr, 0);
    }
}

} // namespace kapsorel::test
