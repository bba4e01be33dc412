// Numbers, dates and times on the windows follow the program's one set of locale
// formats: the manual start dialog shows and reads its values with the decimal separator
// of the system, as the main window's value labels, its start date and time, the data
// table and the graph's axes do. Each case runs under a decimal comma (Czech) and under
// a point; with KAPSOREL_SCREENSHOTS set to a folder the windows are saved there.
#include "core/records/sample_table.h"
#include "demo_definitions.h"
#include "support/locale_scope.h"
#include "support/qt/widgets.h"
#include "support/recorded_test.h"
#include "support/temp_home.h"
#include "ui/main/main_window.h"
#include "ui/main/manual_test_window.h"
#include "ui/records/graph_window.h"

#include <QAbstractItemModel>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

using namespace kapsorel;
using test::snap;

Q_DECLARE_METATYPE(kapsorel::LocaleFormats)

namespace {

// A finished one-step test started on 5 March 2024 at 7:09:00 with samples of 25.0 V and
// 3.5 A, written by the recorder itself.
std::filesystem::path writeTest(const test::TempHome& home)
{
    test::RecordedTest recorded;
    recorded.samples = 2;
    recorded.voltage = 25.0f;
    recorded.current = 3.5f;
    return test::recordTest(home / "Data", recorded);
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
        ui::ManualTestWindow dialog(config);
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
        ui::ManualTestWindow dialog(config);
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
        ui::ManualTestWindow dialog(config);
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

    void mainWindowLabelsTablesAndStartTime_data()
    {
        addFormatsColumns();
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("capacity");
        QTest::addColumn<QString>("temperature");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("tableVoltage");
        QTest::newRow("comma") << test::commaFormats() << " 24,0V"
                               << " 12,3A"
                               << " 1,23V"
                               << "    0,0Ah"
                               << " 21,5°C"
                               << "5.3.2024"
                               << "7:09:00"
                               << "25,0";
        QTest::newRow("point") << test::pointFormats() << " 24.0V"
                               << " 12.3A"
                               << " 1.23V"
                               << "    0.0Ah"
                               << " 21.5°C"
                               << "03/05/2024"
                               << "07:09:00 AM"
                               << "25.0";
    }

    void mainWindowLabelsTablesAndStartTime()
    {
        QFETCH(LocaleFormats, formats);
        QFETCH(QString, voltage);
        QFETCH(QString, current);
        QFETCH(QString, cell);
        QFETCH(QString, capacity);
        QFETCH(QString, temperature);
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(QString, tableVoltage);
        test::LocaleScope scope(formats);
        test::TempHome home;
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\nStanice=Zkušebna\n"
                                       "Data_adr=" +
                                           (home / "Data").string() + "\n");
        const auto path = writeTest(home);
        QVERIFY(!path.empty());
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.resize(1000, 700);
        w.show();
        // Before the first refresh: what the refresh counts as shown.
        QCOMPARE(w.diagram().valueLabel("lkapacita")->text(), capacity);

        auto& live = w.runtime().station().live;
        live.commFault = 0;
        live.headCode = 0;
        live.batteryVoltage = 24.04f;
        live.current = 12.3f;
        live.batteryTemperature = 21.5f;
        live.cellVoltage[1] = 1.234f;
        w.refreshDisplay();
        QCOMPARE(w.diagram().valueLabel("lnap")->text(), voltage);
        QCOMPARE(w.diagram().valueLabel("lproud")->text(), current);
        QCOMPARE(w.diagram().valueLabel("lteplota")->text(), temperature);
        QCOMPARE(w.diagram().cellLabel(1)->text(), cell);

        QVERIFY(w.openTestFileAt(path));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("Ldatum"))->text(), date);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("Lcas"))->text(), time);
        auto* grid = w.findChild<QTableView*>(QStringLiteral("gdata"));
        QVERIFY(grid);
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(grid->model()->data(grid->model()->index(0, sample_col::kVoltage)).toString(), tableVoltage);
        snap(w, QStringLiteral("main_") + QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(w.close());
    }

    void graphAxisNumbers_data()
    {
        addFormatsColumns();
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("negative");
        QTest::newRow("comma") << test::commaFormats() << "1,56"
                               << "-0,65";
        QTest::newRow("point") << test::pointFormats() << "1.56"
                               << "-0.65";
    }

    void graphAxisNumbers()
    {
        QFETCH(LocaleFormats, formats);
        QFETCH(QString, left);
        QFETCH(QString, negative);
        test::LocaleScope scope(formats);
        test::TempHome home;
        ConfigFile config(home / "Kapsorel.ini");
        SampleTable samples;
        ui::GraphWindow g(samples, config);
        g.resize(900, 500);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.setThresholds({-0.60f, 1.00f, 1.56f});
        const struct {
            double lower, upper;
            const QString& label;
            QColor colour;
        } cases[] = {{1.50, 1.60, left, QColor(0, 128, 0)}, {-0.70, -0.50, negative, Qt::red}};
        for (const auto& c : cases) {
            g.setLeftRange(c.lower, c.upper);
            g.redraw();
            QString seen;
            bool found = false;
            for (const auto& [text, colour] : g.leftLabels()) {
                seen += text + QLatin1Char(' ');
                if (text == c.label) {
                    found = true;
                    QCOMPARE(colour, c.colour);
                }
            }
            QVERIFY2(found, qPrintable(c.label + QStringLiteral(" not in ") + seen));
        }
        g.showRange(3500, 3700);
        g.redraw();
        QVERIFY2(g.bottomLabels().contains(QStringLiteral("01:00:00")), qPrintable(g.bottomLabels().join(u'|')));
    }
};

QTEST_MAIN(LocaleTextsTest)
#include "locale_texts_test.moc"
