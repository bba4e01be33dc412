// Numbers on the windows follow the program's one set of locale formats: the manual
// start dialog shows and reads its values with the decimal separator of the system. Each
// case runs under a decimal comma (Czech) and under a point; with KAPSOREL_SCREENSHOTS
// set to a folder the windows are saved there.
#include "support/locale_scope.h"
#include "support/temp_home.h"
#include "ui/main/tfrucne.h"

#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QTest>

using namespace kapsorel;

Q_DECLARE_METATYPE(kapsorel::LocaleFormats)

namespace {

void snap(QWidget& w, const QString& name)
{
    const QByteArray dir = qgetenv("KAPSOREL_SCREENSHOTS");
    if (!dir.isEmpty())
        w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void addFormatsColumns()
{
    QTest::addColumn<LocaleFormats>("formats");
}

} // namespace

class LocaleTextsTest : public QObject {
    Q_OBJECT

  private slots:
    // The dialog names itself, without the station.
    void manualDialogCaption()
    {
        test::TempHome home;
        ConfigFile config(home / "Kapsorel.ini");
        ui::TFRucne dialog(config);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Ruční spuštění"));
    }

    void manualDialogShowsItsValuesWithTheSeparator_data()
    {
        addFormatsColumns();
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("discharge");
        QTest::newRow("comma") << test::commaFormats() << "36,0"
                               << "1,0"
                               << "12,5";
        QTest::newRow("point") << test::pointFormats() << "36.0"
                               << "1.0"
                               << "12.5";
    }

    void manualDialogShowsItsValuesWithTheSeparator()
    {
        QFETCH(LocaleFormats, formats);
        QFETCH(QString, voltage);
        QFETCH(QString, current);
        QFETCH(QString, discharge);
        test::LocaleScope scope(formats);
        test::TempHome home;
        ConfigFile config(home / "Kapsorel.ini");
        ui::TFRucne dialog(config);
        dialog.show();
        auto* nap = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("ss_nap"));
        auto* proud = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("ss_proud"));
        QVERIFY(nap && proud);
        QCOMPARE(nap->text(), voltage);
        QCOMPARE(proud->text(), current);
        snap(dialog, QStringLiteral("rucne_") + QString::fromLatin1(QTest::currentDataTag()));
        dialog.findChild<QRadioButton*>(QStringLiteral("RadioGroup1_1"))->setChecked(true);
        proud->setValue(12.5);
        QCOMPARE(proud->text(), discharge);
    }

    void manualDialogReadsWhatIsTyped_data()
    {
        addFormatsColumns();
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        const LocaleFormats comma = test::commaFormats();
        const LocaleFormats point = test::pointFormats();
        QTest::newRow("comma: comma") << comma << "12,5" << 12.5 << "12,5";
        QTest::newRow("comma: point") << comma << "12.5" << 12.5 << "12,5";
        QTest::newRow("comma: whole") << comma << "7" << 7.0 << "7,0";
        QTest::newRow("comma: second decimal refused") << comma << "3,55" << 3.5 << "3,5";
        QTest::newRow("comma: second separator refused") << comma << "1,2,3" << 1.2 << "1,2";
        QTest::newRow("comma: above the limit refused") << comma << "25" << 2.0 << "2,0";
        QTest::newRow("comma: letters refused") << comma << "4x" << 4.0 << "4,0";
        QTest::newRow("point: point") << point << "12.5" << 12.5 << "12.5";
        QTest::newRow("point: whole") << point << "7" << 7.0 << "7.0";
        // A comma groups thousands under a point: the key is refused, so "3,5" types 35,
        // which is above the 22 A limit and refused too.
        QTest::newRow("point: comma refused") << point << "3,5" << 3.0 << "3.0";
    }

    void manualDialogReadsWhatIsTyped()
    {
        QFETCH(LocaleFormats, formats);
        QFETCH(QString, typed);
        QFETCH(double, value);
        QFETCH(QString, shown);
        test::LocaleScope scope(formats);
        test::TempHome home;
        ConfigFile config(home / "Kapsorel.ini");
        ui::TFRucne dialog(config);
        dialog.show();
        auto* proud = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("ss_proud"));
        QVERIFY(proud);
        QCOMPARE(proud->maximum(), 22.0); // charging
        proud->selectAll();
        QTest::keyClick(proud, Qt::Key_Delete);
        QTest::keyClicks(proud, typed);
        QCOMPARE(proud->value(), value);
        QCOMPARE(double(dialog.values().current), double(float(value)));
        proud->interpretText();
        proud->setValue(proud->value());
        QCOMPARE(proud->text(), shown);
    }
};

QTEST_MAIN(LocaleTextsTest)
#include "locale_texts_test.moc"
