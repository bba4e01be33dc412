// Desktop notifications from the main window's runs against kapsorel-sim, received by a
// stand-in notification server on a private bus: the question, the signalling step and
// the end of the demo run; the operator's stop; and a run on a bus with no server.
#include "support/demo_station.h"
#include "support/qt/fake_logind.h"
#include "support/qt/fake_notifications.h"
#include "support/qt/messages.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "support/temp_home.h"
#include "support/windows/station_windows.h"
#include "ui/main/desktop_notifier.h"
#include "ui/main/main_window.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <mutex>

using namespace kapsorel;
using test::startDemo;
using test::widget;

namespace {

constexpr int kLong = 120000; // ms: generous deadline for a run step on the 10x clock

QVariant urgency(NoticeUrgency u)
{
    return QVariant::fromValue(static_cast<uchar>(u));
}

// What Qt logs meanwhile (a missing server must not fill the log).
std::mutex logMutex;
QStringList logged;

void keepLog(QtMsgType, const QMessageLogContext&, const QString& text)
{
    const std::lock_guard lock(logMutex);
    logged << text;
}

} // namespace

class DesktopNotifierTest : public QObject {
    Q_OBJECT

    // Stops the run from the toolbar, answering "Ano", and waits for it to end.
    static void stopRun(ui::MainWindow& w)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!w.samples().empty(), kLong);
        const auto asked = test::answerNextModal(QStringLiteral("ask_ano"));
        w.findChild<QAction*>(QStringLiteral("TBXstop"))->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(w.runtime().station().run.phase(), RunPhase::Idle, kLong);
        QVERIFY(w.findChild<QAction*>(QStringLiteral("TBXrun"))->isEnabled());
    }

  private slots:
    void demoRunNotifiesQuestionSignallingAndEnd()
    {
        test::DemoStation station;
        QVERIFY(station.ready);
        ui::MainWindow w(station.home.path(), station.ini(), station.clock);
        test::PrivateBus bus;
        QVERIFY(bus.running());
        // A server that reads markup: the battery's "&" reaches it as an entity.
        test::FakeNotifications server({QStringLiteral("body"), QStringLiteral("body-markup")});
        QVERIFY(server.registerOn(bus.connect(QStringLiteral("notifications"))));
        ui::DesktopNotifier notifier(w.bridge(), w.runtime(), bus.connect(QStringLiteral("station")));
        startDemo(w, QStringLiteral("A&12"));

        // The choice step (step 5) waits for the answer.
        QTRY_VERIFY_WITH_TIMEOUT(widget<QFrame>(w, "bvolba")->isVisible(), 3 * kLong);
        QTRY_COMPARE_WITH_TIMEOUT(server.notices().size(), 1u, 20000);
        const auto asked = server.notices()[0];
        QCOMPARE(asked.appName, QStringLiteral("Kapsorel"));
        QCOMPARE(asked.replacesId, 0u);
        QCOMPARE(asked.summary, QStringLiteral("Test čeká na odpověď"));
        QCOMPARE(asked.body, QStringLiteral("Opakovat ukázku?\nBaterie A&amp;12, stanice Zkušebna, krok 5"));
        QCOMPARE(asked.hints.value(QStringLiteral("urgency")), urgency(NoticeUrgency::Critical));
        // The server groups the notices under the program's desktop entry and icon.
        QCOMPARE(asked.hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("org.kapsorel.Kapsorel"));
        QCOMPARE(asked.appIcon, QStringLiteral("org.kapsorel.Kapsorel"));
        QCOMPARE(asked.expireTimeout, -1);
        QTest::mouseClick(widget<QPushButton>(w, "bvol_ko"), Qt::LeftButton);

        // The signalling step (6), then the end (the last step, 7); each notice of the
        // run replaces the one before it.
        QTRY_COMPARE_WITH_TIMEOUT(w.runtime().station().run.phase(), RunPhase::Idle, kLong);
        QTRY_COMPARE_WITH_TIMEOUT(server.notices().size(), 3u, 20000);
        QTRY_VERIFY(!notifier.busy());
        const auto signalled = server.notices()[1];
        QCOMPARE(signalled.summary, QStringLiteral("Stanice volá obsluhu"));
        QCOMPARE(signalled.body, QStringLiteral("Ukázka dokončena\nBaterie A&amp;12, stanice Zkušebna, krok 6"));
        QCOMPARE(signalled.hints.value(QStringLiteral("urgency")), urgency(NoticeUrgency::Critical));
        QCOMPARE(signalled.replacesId, asked.id);
        const auto ended = server.notices()[2];
        QCOMPARE(ended.summary, QStringLiteral("Test skončil"));
        QCOMPARE(ended.body,
                 QStringLiteral("Test baterie doběhl do konce.\nBaterie A&amp;12, stanice Zkušebna, krok 7"));
        QCOMPARE(ended.hints.value(QStringLiteral("urgency")), urgency(NoticeUrgency::Normal));
        QCOMPARE(ended.replacesId, asked.id);
        QVERIFY(test::messages(w).isEmpty());
    }

    void stopFromTheWindowNotifiesTheInterruption()
    {
        test::DemoStation station;
        QVERIFY(station.ready);
        ui::MainWindow w(station.home.path(), station.ini(), station.clock);
        test::PrivateBus bus;
        QVERIFY(bus.running());
        test::FakeNotifications server; // plain text bodies
        QVERIFY(server.registerOn(bus.connect(QStringLiteral("notifications"))));
        ui::DesktopNotifier notifier(w.bridge(), w.runtime(), bus.connect(QStringLiteral("station")));
        startDemo(w, QStringLiteral("B&7"));
        stopRun(w);

        QTRY_COMPARE_WITH_TIMEOUT(server.notices().size(), 1u, 20000);
        const auto stopped = server.notices()[0];
        QCOMPARE(stopped.summary, QStringLiteral("Test přerušen"));
        QCOMPARE(stopped.body, QStringLiteral("Test přerušila obsluha.\nBaterie B&7, stanice Zkušebna, krok 1"));
        QCOMPARE(stopped.hints.value(QStringLiteral("urgency")), urgency(NoticeUrgency::Normal));
        QCOMPARE(stopped.replacesId, 0u);
    }

    void withoutAServerTheRunEndsAsAlwaysAndNothingIsLogged()
    {
        test::DemoStation station;
        QVERIFY(station.ready);
        const test::TempHome& home = station.home;
        ui::MainWindow w(station.home.path(), station.ini(), station.clock);
        test::PrivateBus bus;
        QVERIFY(bus.running());
        const QtMessageHandler previous = qInstallMessageHandler(keepLog);
        // No session bus named by the environment: none is launched for a notification.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(QString::fromStdString(home.path().string())));
        QVERIFY(!ui::DesktopNotifier::sessionBus().isConnected());
        // A bus named that is not there.
        qputenv("DBUS_SESSION_BUS_ADDRESS",
                "unix:path=" + QFile::encodeName(QString::fromStdString((home / "no-bus").string())));
        const QDBusConnection missing = ui::DesktopNotifier::sessionBus();
        QVERIFY(!missing.isConnected());
        // A bus without a notification server, and the bus that is not there.
        ui::DesktopNotifier onBus(w.bridge(), w.runtime(), bus.connect(QStringLiteral("station")));
        ui::DesktopNotifier noBus(w.bridge(), w.runtime(), missing);
        startDemo(w, QStringLiteral("C1"));
        stopRun(w);
        QTRY_VERIFY_WITH_TIMEOUT(!onBus.busy(), 20000);
        QVERIFY(!noBus.busy());
        qInstallMessageHandler(previous);
        QVERIFY(test::messages(w).isEmpty());
        const std::lock_guard lock(logMutex);
        for (const QString& line : logged)
            QVERIFY2(!line.contains(QStringLiteral("Notif")) && !line.contains(QStringLiteral("DBus")),
                     qPrintable(line));
    }
};

QTEST_MAIN(DesktopNotifierTest)
#include "desktop_notifier_test.moc"
