// The operator's work by keyboard alone: Tab through the panel in the order of the work to
// Start, the demo test from Start to its end with keys only (the question answered with
// Tab and Enter), Stop's question by key, the menus' Alt letters, and the names a screen
// reader gives the live values and the diagram's buttons.
#include "core/records/battery_test_reader.h"
#include "support/demo_station.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "ui/main/main_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

using namespace kapsorel;
using test::snap;
using test::widget;

namespace {

constexpr int kLong = 120000; // ms: a run step on the 10x clock

QWidget* focused()
{
    return QApplication::focusWidget();
}

// Moves a focused list with the arrow keys until it shows `text`.
bool keyTo(QComboBox* box, const QString& text)
{
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < box->count() && box->currentText() != text; ++i)
        QTest::keyClick(box, Qt::Key_Down);
    return box->currentText() == text;
}

QWidget* buttonOf(ui::MainWindow& w, const char* action)
{
    return widget<QToolBar>(w, "TBXToolbar")->widgetForAction(widget<QAction>(w, action));
}

} // namespace

class KeyboardOperationTest : public QObject {
    Q_OBJECT

  private slots:
    void demoFromStartToTheEndByKeyboard()
    {
        test::DemoStation station;
        QVERIFY(station.ready);
        ui::MainWindow w(station.home.path(), station.ini(), station.clock);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_VERIFY_WITH_TIMEOUT(widget<QLabel>(w, "panel1")->text() != QStringLiteral("COMM"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(widget<QAction>(w, "TBXrun")->isEnabled(), 20000);

        auto* types = widget<QComboBox>(w, "ctyp_bat");
        auto* procedures = widget<QComboBox>(w, "cpostup");
        auto* number = widget<QLineEdit>(w, "Lcislo_bat");
        auto* operators = widget<QComboBox>(w, "cmeril");
        auto* note = widget<QLineEdit>(w, "Lpoznamka");
        QWidget* start = buttonOf(w, "TBXrun");

        // The panel's first field has the focus; Tab follows the work to Start.
        types->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(focused(), static_cast<QWidget*>(types));
        QVERIFY(keyTo(types, QStringLiteral("20KSX25P")));
        QTest::keyClick(focused(), Qt::Key_Tab);
        QCOMPARE(focused(), static_cast<QWidget*>(procedures));
        QVERIFY(keyTo(procedures, QStringLiteral("Ukázka (3 minuty)")));
        QTest::keyClick(focused(), Qt::Key_Tab);
        QCOMPARE(focused(), static_cast<QWidget*>(number));
        QTest::keyClicks(focused(), QStringLiteral("KL-7"));
        QTest::keyClick(focused(), Qt::Key_Tab);
        QCOMPARE(focused(), static_cast<QWidget*>(operators));
        // The demo station names its operators: "Měřil" is not blank.
        QCOMPARE(operators->currentText(), QStringLiteral("Novák"));
        QTest::keyClick(focused(), Qt::Key_Tab);
        QCOMPARE(focused(), static_cast<QWidget*>(note));
        QTest::keyClicks(focused(), QStringLiteral("z klavesnice"));
        QTest::keyClick(focused(), Qt::Key_Tab);
        QCOMPARE(focused(), start);
        snap(w, "keyboard-start-focused");

        // Space on the focused Start starts the test.
        QTest::keyClick(focused(), Qt::Key_Space);
        auto& run = w.runtime().station().run;
        QTRY_VERIFY_WITH_TIMEOUT(run.phase() != RunPhase::Idle, 20000);
        const BatteryTestHeader header = w.runtime().testFile().header();
        QCOMPARE(QString::fromStdString(header.procedureName), QStringLiteral("Ukázka (3 minuty)"));
        QCOMPARE(QString::fromStdString(header.batteryNumber), QStringLiteral("KL-7"));
        QCOMPARE(QString::fromStdString(header.operatorName), QStringLiteral("Novák"));
        QCOMPARE(QString::fromStdString(header.note), QStringLiteral("z klavesnice"));

        // The choice step's question takes the focus on "OK"; Tab and Enter answer "Konec".
        auto* ok = widget<QPushButton>(w, "bvol_ok");
        auto* end = widget<QPushButton>(w, "bvol_ko");
        QTRY_VERIFY_WITH_TIMEOUT(widget<QFrame>(w, "bvolba")->isVisible(), kLong);
        QTRY_COMPARE(focused(), static_cast<QWidget*>(ok));
        snap(w, "keyboard-question");
        QTest::keyClick(focused(), Qt::Key_Tab);
        QCOMPARE(focused(), static_cast<QWidget*>(end));
        QTest::keyClick(focused(), Qt::Key_Return);
        QTRY_VERIFY(!widget<QFrame>(w, "bvolba")->isVisible());

        // The rest of the procedure runs to its end.
        QTRY_COMPARE_WITH_TIMEOUT(run.phase(), RunPhase::Idle, kLong);
        QCOMPARE(run.stopReason(), StopReason::None);
        const auto file = w.runtime().testFile().currentPath();
        QVERIFY(!file.empty());
        const auto read = readTestFile(station.home.readBytes(std::filesystem::relative(file, station.home.path())));
        QVERIFY2(read.ok(), read.error().c_str());
        QVERIFY(read.value().head.steps.size() > 0);
        QTRY_VERIFY(widget<QAction>(w, "TBXrun")->isEnabled());
        snap(w, "keyboard-ended");
    }

    void shortcutsAreShownAndStopStillAsks()
    {
        test::DemoStation station;
        QVERIFY(station.ready);
        ui::MainWindow w(station.home.path(), station.ini(), station.clock);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const std::pair<const char*, QString> keys[] = {{"TBXrun", QStringLiteral("Start (F5)")},
                                                        {"TBXrucne", QStringLiteral("Ručně (F6)")},
                                                        {"TBXstop", QStringLiteral("Stop (F8)")}};
        for (const auto& [name, tip] : keys)
            QCOMPARE(widget<QAction>(w, name)->toolTip(), tip);

        QTRY_VERIFY_WITH_TIMEOUT(widget<QLabel>(w, "panel1")->text() != QStringLiteral("COMM"), 20000);
        test::choose(widget<QComboBox>(w, "ctyp_bat"), QStringLiteral("20KSX25P"));
        test::choose(widget<QComboBox>(w, "cpostup"), QStringLiteral("Ukázka (3 minuty)"));
        widget<QLineEdit>(w, "Lcislo_bat")->setText(QStringLiteral("F5"));
        QTRY_VERIFY_WITH_TIMEOUT(widget<QAction>(w, "TBXrun")->isEnabled(), 20000);
        QTest::keyClick(&w, Qt::Key_F5);
        auto& run = w.runtime().station().run;
        QTRY_VERIFY_WITH_TIMEOUT(run.phase() != RunPhase::Idle, 20000);
        QTRY_VERIFY(widget<QAction>(w, "TBXstop")->isEnabled());

        // F8 asks "Opravdu přerušit proces?": Esc keeps the test running, Enter (Ano) stops it.
        {
            QString asked;
            auto answer = test::ModalAnswer([&](QDialog* box) {
                asked = box->objectName();
                QTest::keyClick(box, Qt::Key_Escape);
            });
            QTest::keyClick(&w, Qt::Key_F8);
            QVERIFY(answer.opened());
            QCOMPARE(asked, QStringLiteral("ask"));
            QCOMPARE(answer.text(), QStringLiteral("\nOpravdu přerušit proces?  \n"));
        }
        QVERIFY(run.phase() != RunPhase::Idle);
        QCOMPARE(run.stopReason(), StopReason::None);
        w.activateWindow(); // back from the box
        QVERIFY(QTest::qWaitForWindowActive(&w));
        {
            auto answer = test::ModalAnswer([](QDialog* box) { QTest::keyClick(box, Qt::Key_Return); });
            QTest::keyClick(&w, Qt::Key_F8);
            QVERIFY(answer.opened());
        }
        QCOMPARE(run.stopReason(), StopReason::OperatorStop);
        QTRY_COMPARE_WITH_TIMEOUT(run.phase(), RunPhase::Idle, kLong);
    }

    void menusHaveAltLettersAndValuesHaveNames()
    {
        test::DemoStation station;
        QVERIFY(station.ready);
        // The tool buttons show the letter; Alt with it opens the menu (each on a window
        // of its own, as an operator opens one menu at a time).
        const std::pair<const char*, QString> menus[] = {{"TBXSubSoubor", QStringLiteral("&Soubor")},
                                                         {"TBXSubNastaveni", QStringLiteral("&Nastavení")}};
        for (const auto& [name, text] : menus) {
            ui::MainWindow menuWindow(station.home.path(), station.ini(), station.clock, false);
            menuWindow.show();
            QVERIFY(QTest::qWaitForWindowActive(&menuWindow));
            auto* button = qobject_cast<QToolButton*>(buttonOf(menuWindow, name));
            QVERIFY(button);
            QCOMPARE(button->text(), text);
            QMenu* menu = widget<QAction>(menuWindow, name)->menu();
            bool shown = false;
            connect(menu, &QMenu::aboutToShow, menu, [&shown, menu] {
                shown = true;
                QTimer::singleShot(0, menu, &QMenu::close);
            });
            QTest::keyClick(&menuWindow, text.at(1).toLower().toLatin1(), Qt::AltModifier);
            QTRY_VERIFY2(shown, name);
            QCOMPARE(widget<QAction>(menuWindow, name)->text(), text.mid(1));
        }

        ui::MainWindow w(station.home.path(), station.ini(), station.clock, false);
        const std::pair<const char*, QString> spoken[] = {
            {"lnap", QStringLiteral("Napětí baterie")},     {"lproud", QStringLiteral("Proud")},
            {"lkapacita", QStringLiteral("Kapacita (Ah)")}, {"lteplota", QStringLiteral("Teplota baterie")},
            {"otepl", QStringLiteral("Teplota modulu")},    {"lclanek1", QStringLiteral("Článek 1")},
            {"lclanek20", QStringLiteral("Článek 20")}};
        for (const auto& [name, text] : spoken)
            QCOMPARE(widget<QLabel>(w, name)->accessibleName(), text);
        for (const char* name : {"balarm", "bvol_ok", "bvol_ko"})
            QVERIFY2(!widget<QPushButton>(w, name)->accessibleName().isEmpty(), name);
    }
};

QTEST_MAIN(KeyboardOperationTest)
#include "keyboard_operation_test.moc"
