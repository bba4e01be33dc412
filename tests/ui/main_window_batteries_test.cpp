// "Baterie" from the main window: the battery types window opens modally, with editing
// only for the expert or service user, and the operator panel's lists follow what it
// saved once it closes, unless a run holds the choice.
#include "core/definitions/battery_table.h"
#include "demo_definitions.h"
#include "support/qt/modal_answer.h"
#include "support/temp_home.h"
#include "ui/definitions/battery_types_window.h"
#include "ui/main/main_window.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace kapsorel;

class MainWindowBatteriesTest : public QObject {
    Q_OBJECT

    static QAction* action(QWidget& w, const char* name) { return w.findChild<QAction*>(QString::fromLatin1(name)); }

  private slots:
    void listsFollowTheSavedBatteryTypes_data()
    {
        QTest::addColumn<bool>("expert");
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("listed");
        QTest::newRow("expert, no run") << true << false << true;
        QTest::newRow("expert, run active") << true << true << false;
        QTest::newRow("operator") << false << false << false;
    }

    void listsFollowTheSavedBatteryTypes()
    {
        QFETCH(bool, expert);
        QFETCH(bool, running);
        QFETCH(bool, listed);
        test::TempHome home;
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        home.writeText("Kapsorel.ini", std::string("[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\n") +
                                           (expert ? "Expert=1\n" : ""));
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto* types = w.findChild<QComboBox*>(QStringLiteral("ctyp_bat"));
        auto* procedures = w.findChild<QComboBox*>(QStringLiteral("cpostup"));
        const QString before = types->currentText();
        procedures->setCurrentIndex(procedures->findText(QStringLiteral("Ukázka (3 minuty)")));
        QCOMPARE(procedures->currentText(), QStringLiteral("Ukázka (3 minuty)"));
        const int count = types->count();
        auto& run = w.runtime().station().run;
        if (running)
            run.setPhase(RunPhase::StepRunning);

        QAction* batteries = action(w, "TBXbaterie");
        QVERIFY(batteries->isEnabled());
        bool editable = false;
        test::ModalAnswer answer([&](QDialog* box) {
            QVERIFY(qobject_cast<ui::BatteryTypesWindow*>(box));
            auto* add = box->findChild<QPushButton*>(QStringLiteral("btn_badd"));
            editable = !add->isHidden();
            if (!editable)
                return;
            add->click();
            auto* grid = box->findChild<QTableView*>(QStringLiteral("gbaterie"));
            QAbstractItemModel* m = grid->model();
            const int row = m->rowCount() - 1;
            QVERIFY(m->setData(m->index(row, 1), QStringLiteral("Nová baterie")));
            QVERIFY(m->setData(m->index(row, 2), QStringLiteral("NiCd")));
            box->findChild<QPushButton*>(QStringLiteral("btn_buloz"))->click();
        });
        batteries->trigger();
        QVERIFY(answer.opened());
        QCOMPARE(editable, expert);

        BatteryTable saved;
        QVERIFY(saved.load(home.path()).ok());
        QCOMPARE(saved.findByName("Nová baterie") >= 0, expert);
        QCOMPARE(types->findText(QStringLiteral("Nová baterie")) >= 0, listed);
        QCOMPARE(types->count(), count + (listed ? 1 : 0));
        // The choice stays.
        QCOMPARE(types->currentText(), before);
        QCOMPARE(procedures->currentText(), QStringLiteral("Ukázka (3 minuty)"));
        run.setPhase(RunPhase::Idle);
    }
};

QTEST_MAIN(MainWindowBatteriesTest)
#include "main_window_batteries_test.moc"
