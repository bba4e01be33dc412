#include "ui/common/ask.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using kapsorel::ui::ask;
using kapsorel::ui::AskAnswer;

class AskTest : public QObject {
    Q_OBJECT

    // Runs `act` on the question box once it is open (waiting up to 5 s for it). Whatever
    // goes wrong in there, the box is closed afterwards, so the test fails instead of
    // waiting on a box nobody answers; `opened` tells whether it was found.
    void whenOpen(const std::function<void(QDialog*)>& act)
    {
        opened_ = false;
        auto* poll = new QTimer(this);
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        connect(poll, &QTimer::timeout, this, [this, poll, started, act] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!box && started->elapsed() < 5000)
                return;
            poll->stop();
            poll->deleteLater();
            if (!box)
                return;
            opened_ = true;
            act(box);
            if (box->isVisible())
                box->reject();
        });
        poll->start(10);
    }

    bool opened_ = false;

  private slots:
    void answersFollowTheButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("withCancel");
        QTest::addColumn<int>("expected");
        QTest::newRow("Ano") << "ask_ano" << false << int(AskAnswer::Yes);
        QTest::newRow("Ne") << "ask_ne" << true << int(AskAnswer::No);
        QTest::newRow("Zruš") << "ask_zrus" << true << int(AskAnswer::Cancel);
    }

    void answersFollowTheButtons()
    {
        QFETCH(QString, button);
        QFETCH(bool, withCancel);
        QFETCH(int, expected);
        QMainWindow owner;
        owner.move(200, 150);
        owner.show();
        QPoint boxPos;
        QString title, text;
        bool hasCancel = false;
        whenOpen([&](QDialog* box) {
            boxPos = box->pos();
            title = box->windowTitle();
            text = box->findChild<QLabel*>(QStringLiteral("ask_text"))->text();
            hasCancel = box->findChild<QPushButton*>(QStringLiteral("ask_zrus")) != nullptr;
            if (auto* b = box->findChild<QPushButton*>(button))
                b->click();
        });
        const AskAnswer answer = ask(&owner, QStringLiteral("Stanice 3"), QStringLiteral("Uložit?"), withCancel);
        QVERIFY(opened_);
        QCOMPARE(int(answer), expected);
        QCOMPARE(title, QStringLiteral("Stanice 3"));
        QCOMPARE(text, QStringLiteral("\nUložit?\n"));
        QCOMPARE(hasCancel, withCancel);
        QCOMPARE(boxPos, owner.frameGeometry().topLeft() + QPoint(100, 100));
    }

    void closingWithoutAButtonCountsAsCancel()
    {
        whenOpen([](QDialog* box) { box->reject(); });
        QCOMPARE(int(ask(nullptr, QStringLiteral("S"), QStringLiteral("?"), false)), int(AskAnswer::Cancel));
        QVERIFY(opened_);
    }
};

QTEST_MAIN(AskTest)
#include "ask_test.moc"
