#include "ui/main/session_end_signals.h"

#include "ui/main/main_window.h"

#include <QMessageBox>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kapsorel::ui {

namespace {

constexpr std::array<int, 2> kSessionEndSignals{SIGTERM, SIGHUP};

// The write end of the installed object's socket pair, read by the handler.
std::atomic<int> writeEnd{-1};
std::array<struct sigaction, kSessionEndSignals.size()> previous{};

extern "C" void onSessionEndSignal(int signal)
{
    const int saved = errno;
    const int fd = writeEnd.load();
    if (fd >= 0) {
        const auto byte = static_cast<char>(signal);
        [[maybe_unused]] const auto written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

} // namespace

SessionEndSignals::SessionEndSignals(MainWindow& window) : QObject(&window), window_(window)
{
    if (writeEnd.load() >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_.data()) != 0)
        return;
    // Non-blocking on both ends: a flood of signals never blocks the handler, the reader
    // drains what is there.
    for (const int fd : fds_)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    notifier_ = new QSocketNotifier(fds_[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SessionEndSignals::onSignal);
    writeEnd.store(fds_[0]);

    struct sigaction action {};
    action.sa_handler = onSessionEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    installed_ = true;
    for (std::size_t i = 0; i < kSessionEndSignals.size(); ++i)
        installed_ = ::sigaction(kSessionEndSignals[i], &action, &previous[i]) == 0 && installed_;
}

SessionEndSignals::~SessionEndSignals()
{
    if (fds_[0] < 0)
        return;
    for (std::size_t i = 0; i < kSessionEndSignals.size(); ++i)
        ::sigaction(kSessionEndSignals[i], &previous[i], nullptr);
    writeEnd.store(-1);
    delete notifier_;
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void SessionEndSignals::onSignal()
{
    std::array<char, 64> bytes{};
    while (::read(fds_[1], bytes.data(), bytes.size()) > 0) {
    }
    window_.endSession();
}

void MainWindow::reportUnsavedSettings(const std::string& error)
{
    if (sessionEnding_)
        std::fprintf(stderr, "Kapsorel: %s\n", error.c_str());
    else
        QMessageBox::warning(this, QString::fromStdString(runtime_->settings().stationName),
                             QString::fromStdString(error));
}

} // namespace kapsorel::ui
