// The main window without modules: the battery type and procedure chosen last time, the
// faults display, the hidden service sequence and the toolbar's image sizes.
#include "core/definitions/battery_table.h"
#include "demo_definitions.h"
#include "support/temp_home.h"
#include "ui/common/app_icons.h"
#include "ui/main/faults_window.h"
#include "ui/main/main_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

using namespace kapsorel;

namespace {

// The demo procedures, offered by two NiCd types in opposite orders.
void writeDefinitions(const test::TempHome& home)
{
    QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
    BatteryType a;
    a.head = 1;
    a.name = "Typ A";
    a.allowedProcedures = {demo::kCapacityTestNumber, demo::kShortDemoNumber};
    BatteryType b = a;
    b.name = "Typ B";
    b.allowedProcedures = {demo::kShortDemoNumber, demo::kCapacityTestNumber};
    BatteryTable table;
    QVERIFY(table.assign({a, b}).ok());
    QVERIFY(table.save(home.path()).ok());
}

QImage imageOf(const QIcon& icon)
{
    return icon.pixmap(QSize(48, 48)).toImage();
}

} // namespace

class MainWindowPanelTest : public QObject {
    Q_OBJECT

    static QAction* action(QWidget& w, const char* name) { return w.findChild<QAction*>(QString::fromLatin1(name)); }

  private slots:
    void lastChoiceIsSelectedWhenNoTestWasInterrupted_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("procedure");
        QTest::newRow("both stored") << QStringLiteral("TYP_BAT=Typ B\nC_POSTUP=Kapacitní test\n")
                                     << QStringLiteral("Typ B") << QStringLiteral("Kapacitní test");
        QTest::newRow("type only") << QStringLiteral("TYP_BAT=Typ B\n") << QStringLiteral("Typ B")
                                   << QStringLiteral("Ukázka (3 minuty)");
        QTest::newRow("none stored") << QString() << QStringLiteral("Typ A") << QStringLiteral("Kapacitní test");
        QTest::newRow("type no longer defined") << QStringLiteral("TYP_BAT=Typ X\nC_POSTUP=Ukázka (3 minuty)\n")
                                                << QStringLiteral("Typ A") << QStringLiteral("Ukázka (3 minuty)");
    }

    void lastChoiceIsSelectedWhenNoTestWasInterrupted()
    {
        QFETCH(QString, ini);
        QFETCH(QString, type);
        QFETCH(QString, procedure);
        test::TempHome home;
        writeDefinitions(home);
        home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\n" + ini.toStdString());
        {
            ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
            auto* types = w.findChild<QComboBox*>(QStringLiteral("ctyp_bat"));
            auto* procedures = w.findChild<QComboBox*>(QStringLiteral("cpostup"));
            QCOMPARE(types->currentText(), QStringLiteral("Typ A")); // before the first show
            w.show();
            QTRY_COMPARE(types->currentText(), type);
            QTRY_COMPARE(procedures->currentText(), procedure);
            QVERIFY(w.close());
        }
        // Stored again at exit.
        const std::string saved = home.readText("Kapsorel.ini");
        for (const std::string& line : {"TYP_BAT=" + type.toStdString(), "C_POSTUP=" + procedure.toStdString()}) {
            const std::size_t at = saved.find(line);
            QVERIFY2(at != std::string::npos && (saved[at + line.size()] == '\r' || saved[at + line.size()] == '\n'),
                     line.c_str());
        }
    }

    // "Expert" changes the number formats, not the operator's choice; a head that changes
    // during a run refills the lists once the run has ended.
    void theChoiceStaysOnExpertAndTheListsFollowTheHeadAfterTheRun()
    {
        test::TempHome home;
        writeDefinitions(home);
        home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\n");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& live = w.runtime().station().live;
        auto* types = w.findChild<QComboBox*>(QStringLiteral("ctyp_bat"));
        auto* procedures = w.findChild<QComboBox*>(QStringLiteral("cpostup"));
        live.headCode = 1;
        w.refreshDisplay();
        types->setCurrentIndex(types->findText(QStringLiteral("Typ B")));
        procedures->setCurrentIndex(procedures->findText(QStringLiteral("Kapacitní test")));
        for (bool checked : {true, false}) {
            action(w, "u_exp")->setChecked(checked);
            w.refreshDisplay();
            QCOMPARE(types->currentText(), QStringLiteral("Typ B"));
            QCOMPARE(procedures->currentText(), QStringLiteral("Kapacitní test"));
        }

        auto& run = w.runtime().station().run;
        run.setPhase(RunPhase::StepRunning);
        live.headCode = 2; // no type of head 2
        w.refreshDisplay();
        QCOMPARE(types->currentText(), QStringLiteral("Typ B"));
        run.setPhase(RunPhase::Idle);
        w.refreshDisplay();
        QCOMPARE(types->count(), 0);
    }

    // The banners are sized by one rule, cut to 50 characters, and never cover a value.
    void bannersLeaveEveryValueReadable()
    {
        test::TempHome home;
        home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\n");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        const QString longText(60, QLatin1Char('x'));
        w.signallingPrompt(longText.toStdString());
        auto* alarm = w.findChild<QPushButton*>(QStringLiteral("balarm"));
        auto* question = w.findChild<QFrame*>(QStringLiteral("bvolba"));
        QCOMPARE(alarm->text(), longText.left(50));
        w.questionPrompt(longText.left(50).toStdString());
        QVERIFY(question->isVisible());
        QCOMPARE(question->width(), alarm->width()); // the same text, the same width
        QVERIFY(!question->geometry().intersects(alarm->geometry()));

        const char* values[] = {"lnap", "lproud", "lkapacita", "lteplota", "otepl"};
        for (QSize size : {QSize(1000, 680), QSize(760, 520), QSize(1400, 900)}) {
            w.resize(size);
            QTRY_VERIFY(w.diagram().size() != QSize());
            QApplication::processEvents();
            for (const char* name : values) {
                const QLabel* l = w.diagram().valueLabel(name);
                QVERIFY2(!alarm->geometry().intersects(l->geometry()), name);
                QVERIFY2(!question->geometry().intersects(l->geometry()), name);
            }
            QVERIFY(alarm->geometry().right() <= w.diagram().width());
        }

        // An error alarm hands Start and Ručně back and takes Stop away.
        w.errorAlarm("Chyba zdroje");
        QVERIFY(action(w, "TBXrun")->isEnabled());
        QVERIFY(action(w, "TBXrucne")->isEnabled());
        QVERIFY(!action(w, "TBXstop")->isEnabled());
        QCOMPARE(alarm->text(), QStringLiteral("Chyba zdroje"));
    }

    void faultsWindowFollowsTheFaultBits()
    {
        test::TempHome home;
        home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\n");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        auto* bar = w.findChild<QToolBar*>(QStringLiteral("TBXPoruchy"));
        QAction* button = action(w, "TBXporucha");
        QVERIFY(!bar->isVisible());
        QVERIFY(!button->isVisible());
        const QImage normal = imageOf(ui::appIcon(false));
        const QImage fault = imageOf(ui::appIcon(true));
        QVERIFY(normal != fault);

        w.faultsChanged(0x0011);
        ui::FaultsWindow* faults = w.findChild<ui::FaultsWindow*>();
        QVERIFY(faults);
        QVERIFY(faults->isVisible());
        if (const QByteArray dir = qgetenv("KAPSOREL_SCREENSHOTS"); !dir.isEmpty())
            faults->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/poruchy.png"));
        QCOMPARE(faults->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText(),
                 QStringLiteral("Porucha AD izolace\nPřekročeny meze teploty"));
        QVERIFY(bar->isVisible());
        QVERIFY(button->isVisible());
        QCOMPARE(imageOf(w.windowIcon()), fault);
        QCOMPARE(faults->windowTitle(), QStringLiteral("Poruchy - Stanice"));
        QVERIFY(button->isChecked());
        faults->close();
        QVERIFY(!button->isChecked());
        button->trigger();
        QVERIFY(faults->isVisible());
        QVERIFY(button->isChecked());

        w.faultsChanged(0x0004);
        QCOMPARE(faults->text(), QStringLiteral("Porucha teplotního čidla 1"));
        w.faultsChanged(0);
        QVERIFY(!faults->isVisible());
        QVERIFY(!bar->isVisible());
        QVERIFY(!button->isVisible());
        QCOMPARE(imageOf(w.windowIcon()), normal);
    }

    void hiddenServiceSequenceGivesLevelTwo_data()
    {
        using E = ui::CircuitDiagram::Element;
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<int>("level");
        const auto seq = [](std::initializer_list<E> es) {
            QList<int> out;
            for (E e : es)
                out << int(e);
            return out;
        };
        QTest::newRow("in order") << seq({E::Load, E::Source, E::DischargeSwitch, E::ChargeSwitch}) << 2;
        QTest::newRow("battery clicks between")
            << seq({E::Load, E::Battery, E::Source, E::DischargeSwitch, E::Battery, E::ChargeSwitch}) << 2;
        QTest::newRow("one out of place")
            << seq({E::Load, E::Source, E::Load, E::DischargeSwitch, E::ChargeSwitch}) << 1;
        QTest::newRow("incomplete") << seq({E::Load, E::Source, E::DischargeSwitch}) << 1;
        QTest::newRow("none") << QList<int>{} << 1;
    }

    void hiddenServiceSequenceGivesLevelTwo()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(int, level);
        test::TempHome home;
        home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\n");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QLabel* version = w.diagram().valueLabel("lver");
        for (int c : clicks) {
            const auto element = ui::CircuitDiagram::Element(c);
            const QColor before = version->palette().color(QPalette::WindowText);
            QTest::mouseClick(&w.diagram(), Qt::LeftButton, {}, w.diagram().elementRect(element).center());
            // Only a click in its place changes the version label's grey.
            if (level == 2 && element != ui::CircuitDiagram::Element::Battery)
                QVERIFY(version->palette().color(QPalette::WindowText) != before);
        }
        QAction* modules = action(w, "TBXmoduly");
        QVERIFY(!modules->isVisible());
        action(w, "u_exp")->trigger();
        QCOMPARE(int(w.userLevel()), level);
        QCOMPARE(modules->isVisible(), level == 2);
        QCOMPARE(modules->text(), QStringLiteral("Nastavení modulů"));
        QCOMPARE(w.diagram().valueLabel("ldpr")->isVisible(), level == 2);
        QVERIFY(action(w, "TBXfw")->isVisible());

        // Unchecking goes back to the operator and starts the sequence afresh.
        action(w, "u_exp")->trigger();
        QCOMPARE(int(w.userLevel()), 0);
        QVERIFY(!modules->isVisible());
        QVERIFY(!action(w, "TBXfw")->isVisible());
        action(w, "u_exp")->trigger();
        QCOMPARE(int(w.userLevel()), 1);
    }

    void iconSizesAndTheResumeImage()
    {
        test::TempHome home;
        home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\n");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto* toolbar = w.findChild<QToolBar*>(QStringLiteral("TBXToolbar"));
        QAction* start = action(w, "TBXrun");
        auto& run = w.runtime().station().run;
        QList<int> widths;
        for (int size = 0; size <= 2; ++size) {
            w.runtime().settings().iconSize = static_cast<std::uint8_t>(size);
            run.setStopReason(StopReason::None);
            w.applyIconSize();
            QCOMPARE(toolbar->iconSize(), ui::toolbarIconSize(size));
            widths << toolbar->iconSize().width();
            const QImage normal = start->icon().pixmap(toolbar->iconSize()).toImage();
            QCOMPARE(normal, ui::toolbarIcon(QStringLiteral("TBXrun"), size).pixmap(toolbar->iconSize()).toImage());
            run.setStopReason(StopReason::OperatorStop);
            w.applyIconSize();
            const QImage resume = start->icon().pixmap(toolbar->iconSize()).toImage();
            QVERIFY2(resume != normal, "the Start item keeps its image while a stopped test waits");
            QCOMPARE(resume,
                     ui::toolbarIcon(QStringLiteral("TBXrun_resume"), size).pixmap(toolbar->iconSize()).toImage());
        }
        QVERIFY(widths[0] < widths[1]);
        QVERIFY(widths[1] < widths[2]);
        run.setStopReason(StopReason::None);
    }
};

QTEST_MAIN(MainWindowPanelTest)
#include "main_window_panel_test.moc"
