// Qt's own dialogs speak Czech once the program has installed Qt's Czech catalogue: the file
// dialog of "Otevři" in the main window and the print dialog (pictures with
// KAPSOREL_SCREENSHOTS).
#include "support/demo_station.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "ui/common/qt_translation.h"
#include "ui/main/main_window.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kapsorel;
using test::snap;

namespace {

QStringList buttonTexts(const QWidget& dialog)
{
    QStringList texts;
    for (const QPushButton* b : dialog.findChildren<QPushButton*>())
        texts << b->text().remove(QLatin1Char('&'));
    return texts;
}

} // namespace

class QtDialogsCzechTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(ui::installQtCzechTranslation(*QApplication::instance())); }

    void fileDialogOfOtevri()
    {
        test::DemoStation station;
        QVERIFY(station.ready);
        ui::MainWindow w(station.home.path(), station.ini(), station.clock, false);
        w.show();
        QStringList texts, labels;
        auto answer = test::ModalAnswer([&](QDialog* dialog) {
            QVERIFY(qobject_cast<QFileDialog*>(dialog));
            dialog->resize(760, 460);
            QTest::qWait(200); // the folder's list fills in
            snap(*dialog, "czech-file-dialog");
            texts = buttonTexts(*dialog);
            for (const QLabel* l : dialog->findChildren<QLabel*>())
                labels << l->text();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        test::widget<QAction>(w, "TBXOtevri")->trigger();
        QVERIFY(answer.opened());
        QVERIFY2(texts.contains(QStringLiteral("Otevřít")), qPrintable(texts.join(u'|')));
        QVERIFY2(texts.contains(QStringLiteral("Zrušit")), qPrintable(texts.join(u'|')));
        QVERIFY2(!texts.contains(QStringLiteral("Cancel")), qPrintable(texts.join(u'|')));
        QVERIFY2(labels.contains(QStringLiteral("Hledat v:")), qPrintable(labels.join(u'|')));
    }

    void printDialog()
    {
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog dialog(&printer);
        QStringList texts;
        QString title;
        QTimer::singleShot(0, &dialog, [&] {
            QTest::qWait(200);
            snap(dialog, "czech-print-dialog");
            texts = buttonTexts(dialog);
            title = dialog.windowTitle();
            dialog.reject();
        });
        dialog.exec();
        QCOMPARE(title, QStringLiteral("Tisk"));
        QVERIFY2(texts.contains(QStringLiteral("Tisk")), qPrintable(texts.join(u'|')));
        QVERIFY2(texts.contains(QStringLiteral("Zrušit")), qPrintable(texts.join(u'|')));
        QVERIFY2(texts.contains(QStringLiteral("Vlastnosti")), qPrintable(texts.join(u'|')));
    }
};

QTEST_MAIN(QtDialogsCzechTest)
#include "qt_dialogs_czech_test.moc"
