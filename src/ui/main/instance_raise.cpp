#include "ui/main/instance_raise.h"

#include "core/app/instance_lock.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <fcntl.h>

namespace kapsorel::ui {

namespace {

const QByteArray kRequest = QByteArrayLiteral("raise\n");
const QByteArray kAnswer = QByteArrayLiteral("raised\n");

} // namespace

InstanceRaiser::InstanceRaiser(const InstanceLock& lock, QWidget& window) : QObject(&window), window_(window)
{
    if (!lock.held())
        return;
    // The server gets a copy of the lock's socket: closing the server leaves the lock held.
    const int fd = ::fcntl(lock.descriptor(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return;
    server_ = new QLocalServer(this);
    if (!server_->listen(qintptr(fd))) {
        delete server_;
        server_ = nullptr;
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, &InstanceRaiser::takeRequest);
}

bool InstanceRaiser::listening() const
{
    return server_ != nullptr && server_->isListening();
}

void InstanceRaiser::takeRequest()
{
    while (QLocalSocket* client = server_->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            if (!client->canReadLine())
                return;
            if (client->readLine() == kRequest) {
                window_.setWindowState((window_.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
                window_.show();
                window_.raise();
                window_.activateWindow();
                client->write(kAnswer);
                emit raised();
            }
            client->disconnectFromServer();
        });
    }
}

bool askRunningInstanceToRaise(const QString& socketName, int timeoutMs)
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(socketName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    return socket.readLine() == kAnswer;
}

} // namespace kapsorel::ui
