#include "support/qt/modal_answer.h"
#include "ui/common/ask.h"
#include "ui/common/refusal.h"

#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using kapsorel::ui::ask;
using kapsorel::ui::AskAnswer;
namespace test = kapsorel::test;

class AskTest : public QObject {
    Q_OBJECT

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
        const test::ModalAnswer answered([&](QDialog* box) {
            boxPos = box->pos();
            title = box->windowTitle();
            text = box->findChild<QLabel*>(QStringLiteral("ask_text"))->text();
            hasCancel = box->findChild<QPushButton*>(QStringLiteral("ask_zrus")) != nullptr;
            if (auto* b = box->findChild<QPushButton*>(button))
                b->click();
        });
        const AskAnswer answer = ask(&owner, QStringLiteral("Stanice 3"), QStringLiteral("Uložit?"), withCancel);
        QVERIFY(answered.opened());
        QCOMPARE(int(answer), expected);
        QCOMPARE(title, QStringLiteral("Stanice 3"));
        QCOMPARE(text, QStringLiteral("\nUložit?\n"));
        QCOMPARE(hasCancel, withCancel);
        QCOMPARE(boxPos, owner.frameGeometry().topLeft() + QPoint(100, 100));
    }

    // A name from a file (a procedure, a battery number) is shown as written: markup in it
    // is text, never rich text, in the question box and in the message box alike.
    void textsFromFilesAreShownAsPlainText()
    {
        const QString planted = QStringLiteral("<b>Postup</b> <img src=\"/etc/passwd\"> &amp;");
        Qt::TextFormat askFormat = Qt::AutoText;
        QString shown;
        const test::ModalAnswer answered([&](QDialog* box) {
            auto* label = box->findChild<QLabel*>(QStringLiteral("ask_text"));
            askFormat = label->textFormat();
            shown = label->text();
            box->reject();
        });
        ask(nullptr, QStringLiteral("S"), planted, false);
        QVERIFY(answered.opened());
        QCOMPARE(int(askFormat), int(Qt::PlainText));
        QCOMPARE(shown, QStringLiteral("\n") + planted + QStringLiteral("\n"));

        Qt::TextFormat refusalFormat = Qt::AutoText;
        const test::ModalAnswer refused([&](QDialog* box) {
            if (auto* m = qobject_cast<QMessageBox*>(box))
                refusalFormat = m->textFormat();
            box->accept();
        });
        kapsorel::ui::showRefusal(nullptr, planted.toStdString());
        QVERIFY(refused.opened());
        QCOMPARE(int(refusalFormat), int(Qt::PlainText));
    }

    void closingWithoutAButtonCountsAsCancel()
    {
        const test::ModalAnswer answered([](QDialog* box) { box->reject(); });
        QCOMPARE(int(ask(nullptr, QStringLiteral("S"), QStringLiteral("?"), false)), int(AskAnswer::Cancel));
        QVERIFY(answered.opened());
    }
};

QTEST_MAIN(AskTest)
#include "ask_test.moc"
