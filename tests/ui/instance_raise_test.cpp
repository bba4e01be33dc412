// A second start for the same power module brings the running window forward over the
// instance lock's socket: the running window leaves its minimized state and is shown, the
// asker learns that it did; a lock held by no window (or no lock at all) answers nothing.
#include "core/app/instance_lock.h"
#include "ui/main/instance_raise.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <future>
#include <unistd.h>

using namespace kapsorel;

namespace {

std::string lockName(const char* what)
{
    return InstanceLock::nameFor("127.0.0.2-raise" + std::to_string(::getpid()) + "-" + what);
}

// The second instance asks from a thread of its own, as a process of its own would: the
// window's event loop must run meanwhile.
std::future<bool> askFromAnotherThread(const InstanceLock& lock, int timeoutMs = 5000)
{
    const QString socket = QString::fromStdString(lock.socketName());
    return std::async(std::launch::async,
                      [socket, timeoutMs] { return ui::askRunningInstanceToRaise(socket, timeoutMs); });
}

bool ready(const std::future<bool>& f)
{
    return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

} // namespace

class InstanceRaiseTest : public QObject {
    Q_OBJECT

  private slots:
    void secondStartBringsTheMinimizedWindowForward()
    {
        InstanceLock lock(lockName("window"));
        QVERIFY(lock.acquire());
        QWidget window;
        window.setWindowTitle(QStringLiteral("Kapsorel - Zkušebna"));
        window.showMinimized();
        QTRY_VERIFY(window.isMinimized());
        auto* raiser = new ui::InstanceRaiser(lock, window);
        QVERIFY(raiser->listening());
        QSignalSpy raised(raiser, &ui::InstanceRaiser::raised);

        // The second instance cannot take the lock, and asks instead.
        InstanceLock second(lock.name());
        QVERIFY(!second.acquire());
        auto asked = askFromAnotherThread(second);
        QTRY_VERIFY_WITH_TIMEOUT(ready(asked), 10000);
        QVERIFY(asked.get());
        QCOMPARE(raised.count(), 1);
        QVERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());

        // Again, while it is in front already.
        auto again = askFromAnotherThread(second);
        QTRY_VERIFY_WITH_TIMEOUT(ready(again), 10000);
        QVERIFY(again.get());
        QCOMPARE(raised.count(), 2);
    }

    void nobodyToAskAnswersFalse()
    {
        // No holder at all.
        InstanceLock free(lockName("free"));
        auto none = askFromAnotherThread(free, 500);
        QTRY_VERIFY_WITH_TIMEOUT(ready(none), 10000);
        QVERIFY(!none.get());

        // A holder without a window (the lock alone, as before its window exists): the
        // request waits in the backlog and the asker gives up after its time.
        InstanceLock held(lockName("held"));
        QVERIFY(held.acquire());
        auto unanswered = askFromAnotherThread(held, 500);
        QTRY_VERIFY_WITH_TIMEOUT(ready(unanswered), 10000);
        QVERIFY(!unanswered.get());
    }
};

QTEST_MAIN(InstanceRaiseTest)
#include "instance_raise_test.moc"
