// The sleep lock against a stand-in logind on a private bus: taken once per run, closed
// when the run ends, and nothing at all where there is no logind.
#include "support/qt/fake_logind.h"
#include "support/temp_home.h"
#include "ui/main/main_window.h"
#include "ui/main/sleep_inhibitor.h"

#include <QTest>

using namespace kapsorel;

class SleepInhibitorTest : public QObject {
    Q_OBJECT

  private slots:
    void lockIsTakenForTheRunAndClosedAtItsEnd()
    {
        test::PrivateBus bus;
        QVERIFY(bus.running());
        test::FakeLogind logind;
        QVERIFY(logind.registerOn(bus.connect(QStringLiteral("logind"))));
        ui::SleepInhibitor inhibitor(bus.connect(QStringLiteral("station")));
        QVERIFY(!inhibitor.held());

        inhibitor.hold(true);
        QTRY_VERIFY_WITH_TIMEOUT(inhibitor.held(), 20000);
        QCOMPARE(logind.requests().size(), 1u);
        QCOMPARE(logind.requests()[0].arguments,
                 (QStringList{QStringLiteral("sleep:idle"), QStringLiteral("Kapsorel"),
                              QStringLiteral("Probíhá test baterie"), QStringLiteral("block")}));
        QVERIFY(!logind.closed(0));
        inhibitor.hold(true); // the run goes on: no second lock
        QVERIFY(!inhibitor.pending());
        QCOMPARE(logind.requests().size(), 1u);

        inhibitor.hold(false);
        QVERIFY(!inhibitor.held());
        QTRY_VERIFY_WITH_TIMEOUT(logind.closed(0), 20000);

        // The next run takes a new lock; ending the program closes it too.
        {
            ui::SleepInhibitor next(bus.connect(QStringLiteral("station2")));
            next.hold(true);
            QTRY_VERIFY_WITH_TIMEOUT(next.held(), 20000);
            QCOMPARE(logind.requests().size(), 2u);
        }
        QTRY_VERIFY_WITH_TIMEOUT(logind.closed(1), 20000);
    }

    void runEndingBeforeTheAnswerKeepsNoLock()
    {
        test::PrivateBus bus;
        QVERIFY(bus.running());
        test::FakeLogind logind;
        QVERIFY(logind.registerOn(bus.connect(QStringLiteral("logind"))));
        ui::SleepInhibitor inhibitor(bus.connect(QStringLiteral("station")));
        inhibitor.hold(true);
        inhibitor.hold(false);
        QTRY_VERIFY_WITH_TIMEOUT(!inhibitor.pending(), 20000);
        QVERIFY(!inhibitor.held());
        QTRY_VERIFY_WITH_TIMEOUT(logind.closed(0), 20000);
    }

    void withoutLogindNothingHappens()
    {
        test::PrivateBus bus;
        QVERIFY(bus.running());
        ui::SleepInhibitor noName(bus.connect(QStringLiteral("station")));
        noName.hold(true);
        QTRY_VERIFY_WITH_TIMEOUT(!noName.pending(), 20000);
        QVERIFY(!noName.held());
        noName.hold(true); // refused once, not asked again during the run
        QVERIFY(!noName.pending());
        noName.hold(false);

        const QDBusConnection none = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/kapsorel-bus"), QStringLiteral("none"));
        QVERIFY(!none.isConnected());
        ui::SleepInhibitor noBus(none);
        noBus.hold(true);
        QVERIFY(!noBus.pending());
        QVERIFY(!noBus.held());
        noBus.hold(false);
        QDBusConnection::disconnectFromBus(QStringLiteral("none"));
    }

    void mainWindowReleasesTheLockWhenTheRunIsOver()
    {
        test::PrivateBus bus;
        QVERIFY(bus.running());
        test::FakeLogind logind;
        QVERIFY(logind.registerOn(bus.connect(QStringLiteral("logind"))));
        test::TempHome home;
        home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\n");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.setSleepInhibitorBus(bus.connect(QStringLiteral("station")));
        auto& run = w.runtime().station().run;
        const std::pair<const char*, std::function<void()>> ends[] = {{"run ended", [&] { w.runEnded(); }},
                                                                      {"refresh with no run", [&] {
                                                                           run.setPhase(RunPhase::Idle);
                                                                           w.refreshDisplay();
                                                                       }}};
        for (std::size_t i = 0; i < std::size(ends); ++i) {
            run.setPhase(RunPhase::StepRunning);
            w.sleepInhibitor().hold(true); // as a start does
            QTRY_VERIFY_WITH_TIMEOUT(w.sleepInhibitor().held(), 20000);
            w.refreshDisplay(); // a running test keeps it
            QVERIFY(w.sleepInhibitor().held());
            ends[i].second();
            QVERIFY2(!w.sleepInhibitor().held(), ends[i].first);
            QTRY_VERIFY_WITH_TIMEOUT(logind.closed(i), 20000);
        }
        run.setPhase(RunPhase::Idle);
    }
};

QTEST_MAIN(SleepInhibitorTest)
#include "sleep_inhibitor_test.moc"
