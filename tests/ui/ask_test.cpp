#include "ui/ask.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

using kapsorel::ui::ask;
using kapsorel::ui::AskAnswer;

class AskTest : public QObject {
    Q_OBJECT

    // Runs `act` on the question box once it is open.
    static void whenOpen(const std::function<void(QDialog*)>& act)
    {
        QTimer::singleShot(0, [act] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(box);
            act(box);
        });
    }

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
            auto* b = box->findChild<QPushButton*>(button);
            QVERIFY(b);
            b->click();
        });
        const AskAnswer answer = ask(&owner, QStringLiteral("Stanice 3"), QStringLiteral("Uložit?"), withCancel);
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
    }
};

QTEST_MAIN(AskTest)
#include "ask_test.moc"
