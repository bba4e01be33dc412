// The running window comes to the front when the program is started a second time for
// the same power module: the second instance connects to the instance lock's socket (a
// Unix socket in the abstract namespace, never a network socket), asks, and exits; the
// running instance shows its main window.
#pragma once

#include <QObject>

class QLocalServer;
class QWidget;

namespace kapsorel {
class InstanceLock;
}

namespace kapsorel::ui {

class InstanceRaiser final : public QObject {
    Q_OBJECT
  public:
    // Takes requests on the held `lock`'s socket and brings `window` forward for each.
    InstanceRaiser(const InstanceLock& lock, QWidget& window);
    bool listening() const;

  signals:
    void raised();

  private:
    void takeRequest();

    QWidget& window_;
    QLocalServer* server_ = nullptr;
};

// Asks the holder of the lock whose socket is `socketName` to bring its window to the front;
// true once it has answered that it did.
bool askRunningInstanceToRaise(const QString& socketName, int timeoutMs = 3000);

} // namespace kapsorel::ui
