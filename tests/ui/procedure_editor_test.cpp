// The procedure editor as a service technician uses it: a new procedure with a step of
// every type, a refused value, a condition through the conditions window, saved and
// opened again; check mode with a battery type that lacks a variable; the main window's
// lists after the editor has closed.
#include "core/definitions/battery_table.h"
#include "core/definitions/condition_text.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/procedure_index.h"
#include "core/definitions/step_types.h"
#include "demo_definitions.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "support/temp_home.h"
#include "ui/definitions/conditions_window.h"
#include "ui/definitions/procedure_editor_window.h"
#include "ui/definitions/step_grid.h"
#include "ui/main/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <iterator>

using namespace kapsorel;
using test::answerNextModal;
using test::snap;

namespace {

// Types `text` into a grid cell the way the keyboard does: the cell's editor opens, takes
// the text and commits it.
void typeInto(QTableWidget& grid, int row, int column, const QString& text)
{
    grid.setCurrentCell(row, column);
    grid.editItem(grid.item(row, column));
    QWidget* editor = grid.viewport()->findChild<QComboBox*>();
    if (!editor)
        editor = grid.viewport()->findChild<QLineEdit*>();
    if (auto* box = qobject_cast<QComboBox*>(editor))
        box->setCurrentIndex(box->findText(text));
    else if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setText(text);
    QVERIFY2(editor && editor != &grid, "no cell editor opened");
    emit grid.itemDelegate()->commitData(editor);
    emit grid.itemDelegate()->closeEditor(editor);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

test::ModalAnswer answerName(const QString& name)
{
    return test::ModalAnswer([name](QDialog* d) {
        auto* input = qobject_cast<QInputDialog*>(d);
        QVERIFY(input);
        input->setTextValue(name);
        input->accept();
    });
}

std::vector<std::uint8_t> readAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The demo station's procedures and battery types in a temporary home, loaded as the editor
// takes them.
struct DemoDefinitions {
    test::TempHome home;
    bool ready = demo::writeDemoDefinitions(home.path()).ok();
    ConfigFile config = ConfigFile::loadForStation(home / "Kapsorel.ini");
    ProcedureIndex index{home.path()};
    BatteryTable types;

    DemoDefinitions() { ready = ready && index.load().ok() && types.load(home.path()).ok(); }
};

} // namespace

class ProcedureEditorTest : public QObject {
    Q_OBJECT

  private slots:
    void aNewProcedureWithEveryStepTypeIsSavedAndReadBackTheSame()
    {
        test::TempHome home;
        ConfigFile config = ConfigFile::loadForStation(home / "Kapsorel.ini");
        ProcedureIndex index(home.path());
        QVERIFY(index.load().ok());
        BatteryTable types;
        std::vector<QStringList> shown;
        std::filesystem::path file;
        {
            ui::ProcedureEditorWindow editor(index, types, config, /*serviceRights=*/true);
            editor.setWindowModality(Qt::NonModal); // the boxes it opens are the modal ones here
            editor.show();
            auto* add = editor.findChild<QPushButton*>(QStringLiteral("btn_padd"));
            {
                const auto named = answerName(QStringLiteral("Formování"));
                add->click();
                QVERIFY(named.opened());
            }
            {
                // The same name again is refused.
                const auto named = answerName(QStringLiteral("Formování"));
                const auto refused = answerNextModal(QStringLiteral("zprava_ok"));
                add->click();
                QVERIFY(refused.opened());
                QCOMPARE(refused.text(), QStringLiteral("Takový postup již existuje"));
            }
            QCOMPARE(index.size(), 1);
            auto* list = editor.findChild<QTableWidget*>(QStringLiteral("gpostupy"));
            list->setCurrentCell(0, 1);
            QCOMPARE(editor.state().procedureNumber(), 0);
            QVERIFY(editor.windowTitle().startsWith(QStringLiteral("Postupy - ")));

            ui::StepGrid& grid = editor.grid();
            auto* addStep = editor.findChild<QPushButton*>(QStringLiteral("btn_kadd"));
            for (int t = 0; t < kStepTypeCount; ++t) {
                if (t > 0)
                    grid.setCurrentCell(t - 1, 2);
                addStep->click();
                QCOMPARE(grid.rowCount(), t + 1);
                typeInto(grid, t, 2, QString::fromUtf8(kStepTypes[static_cast<std::size_t>(t)].name));
                QCOMPARE(int(editor.state().procedure().steps[static_cast<std::size_t>(t)].type), t);
            }
            // The headers follow the current row's type.
            grid.setCurrentCell(0, 3);
            QCOMPARE(grid.horizontalHeaderItem(3)->text(), QString::fromUtf8(kStepTypes[0].header1));

            // A charge current over the maximum is refused with its message; 22,4 passes.
            {
                const auto refused = answerNextModal(QStringLiteral("zprava_ok"));
                typeInto(grid, 0, 4, QStringLiteral("22,6"));
                QTRY_VERIFY(refused.opened());
                QCOMPARE(refused.text(), QStringLiteral("Maximum je 22"));
            }
            // The cell opens again with what was typed; Esc leaves it as it was.
            QLineEdit* retry = nullptr;
            QTRY_VERIFY((retry = grid.viewport()->findChild<QLineEdit*>()) != nullptr);
            QCOMPARE(retry->text(), QStringLiteral("22,6"));
            QTest::keyClick(retry, Qt::Key_Escape);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            typeInto(grid, 0, 4, QStringLiteral("22,4"));
            QCOMPARE(editor.state().procedure().steps[0].value2.single(), 22.4f);

            // The end condition through the conditions window: U >= 28,8 V.
            {
                const auto conditions = test::ModalAnswer([](QDialog* d) {
                    QCOMPARE(d->objectName(), QStringLiteral("TFpodminky"));
                    d->findChild<QComboBox*>(QStringLiteral("op0"))->setCurrentIndex(1);
                    d->findChild<QComboBox*>(QStringLiteral("prom0"))->setCurrentIndex(1);
                    d->findChild<QComboBox*>(QStringLiteral("rel0"))->setCurrentIndex(4);
                    auto* value = d->findChild<QLineEdit*>(QStringLiteral("shod0"));
                    QVERIFY(value->isVisibleTo(d));
                    value->setFocus();
                    QTest::keyClicks(value, QStringLiteral("28x,8"));
                    QCOMPARE(value->text().size(), 4); // "x" refused, "," the decimal separator
                    snap(*d, "podminky");
                    d->findChild<QPushButton*>(QStringLiteral("BOK"))->click();
                });
                emit grid.conditionCellOpened(0, 6);
                QVERIFY(conditions.opened());
            }
            const Condition& end = editor.state().procedure().steps[0].endCondition;
            QCOMPARE(int(end[0].variable), 1);
            QCOMPARE(int(end[0].relation), 4);
            QCOMPARE(end[0].value.single(), 28.8f);
            QCOMPARE(grid.item(0, 6)->text(), QString::fromStdString(ConditionText(end, nullptr)));

            // "Volba" shows its question in column 6; a double click there opens its end
            // condition, which starts as the default "Volba tl." > 0.
            const int choice = static_cast<int>(StepType::Choice);
            {
                const auto conditions = test::ModalAnswer([](QDialog* d) {
                    QCOMPARE(d->objectName(), QStringLiteral("TFpodminky"));
                    QCOMPARE(d->findChild<QComboBox*>(QStringLiteral("prom0"))->currentText(),
                             QStringLiteral("Volba tl."));
                    d->findChild<QComboBox*>(QStringLiteral("rel0"))->setCurrentIndex(4);
                    d->findChild<QPushButton*>(QStringLiteral("BOK"))->click();
                });
                QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                                   grid.visualItemRect(grid.item(choice, 6)).center());
                QVERIFY(conditions.opened());
            }
            QCOMPARE(int(editor.state().procedure().steps[static_cast<std::size_t>(choice)].endCondition[0].relation),
                     4);
            QVERIFY(!grid.item(choice, 6)->text().contains(QStringLiteral("Tl")));

            auto* save = editor.findChild<QPushButton*>(QStringLiteral("btn_kuloz"));
            QVERIFY(save->isEnabled());
            snap(editor, "postupy");
            save->click();
            QVERIFY(!save->isEnabled());
            for (int r = 0; r < grid.rowCount(); ++r) {
                QStringList row;
                for (int c = 0; c < grid.columnCount(); ++c)
                    row << grid.item(r, c)->text();
                shown.push_back(row);
            }
            file = index.procedurePath(0);
            const auto bytes = serializeProcedure(editor.state().procedure());
            QVERIFY(bytes.ok());
            QCOMPARE(readAll(file), bytes.value());
            QVERIFY(editor.close()); // nothing unsaved: no question
        }
        const auto saved = readAll(file);
        ui::ProcedureEditorWindow again(index, types, config, true);
        QCOMPARE(again.state().procedureNumber(), 0);
        ui::StepGrid& grid = again.grid();
        QCOMPARE(grid.rowCount(), int(shown.size()));
        for (int r = 0; r < grid.rowCount(); ++r)
            for (int c = 0; c < grid.columnCount(); ++c)
                QCOMPARE(grid.item(r, c)->text(), shown[static_cast<std::size_t>(r)][c]);
        again.findChild<QPushButton*>(QStringLiteral("btn_kuloz"))->click();
        QCOMPARE(readAll(file), saved);
    }

    void checkModeShowsWhatABatteryTypeLacksInRed()
    {
        test::TempHome home;
        ConfigFile config = ConfigFile::loadForStation(home / "Kapsorel.ini");
        ProcedureIndex index(home.path());
        QVERIFY(index.load().ok());
        QVERIFY(index.addProcedure("Nabití").ok());
        Procedure p;
        ProcedureStep charge;
        charge.type = static_cast<std::uint8_t>(StepType::Charge);
        charge.recordInterval = 60;
        QVERIFY(setStepCell(charge, StepColumn::Value1, "#U1", true).ok());
        QVERIFY(setStepCell(charge, StepColumn::Value2, "#I1", true).ok());
        p.steps.push_back(charge);
        QVERIFY(index.saveProcedure(0, p).ok());
        BatteryType lacking;
        lacking.name = "Bez U1";
        lacking.allowedProcedures = {0};
        lacking.variables = {BatteryVariable{"Proud", "I1", 5.0f}};
        BatteryTable types;
        QVERIFY(types.assign({lacking}).ok());

        ui::ProcedureEditorWindow editor(index, types, config, true);
        editor.show();
        auto* check = editor.findChild<QCheckBox*>(QStringLiteral("Lkontrola"));
        check->setChecked(true);
        auto* cbat = editor.findChild<QComboBox*>(QStringLiteral("Cbat"));
        QVERIFY(cbat->isVisible());
        QCOMPARE(cbat->count(), 1);
        ui::StepGrid& grid = editor.grid();
        QCOMPARE(grid.item(0, 3)->text(), QStringLiteral("???"));
        QCOMPARE(grid.item(0, 3)->background().color(), QColor(Qt::red));
        QVERIFY(grid.item(0, 4)->text().contains(QStringLiteral("5")));
        QVERIFY(grid.item(0, 4)->background().color() != QColor(Qt::red));
        QVERIFY(!(grid.item(0, 4)->flags() & Qt::ItemIsEditable));
        for (const char* b : {"btn_kadd", "btn_kdel", "bcopy", "btn_padd", "btn_pdel"})
            QVERIFY2(!editor.findChild<QPushButton*>(QString::fromLatin1(b))->isEnabled(), b);
        snap(editor, "postupy_kontrola");
        check->setChecked(false);
        QVERIFY(!cbat->isVisible());
        QCOMPARE(grid.item(0, 3)->text(), QStringLiteral("#U1"));
        QVERIFY(editor.findChild<QPushButton*>(QStringLiteral("btn_kadd"))->isEnabled());

        // A double click on a value cell picks a variable from the list into it.
        const auto picked = test::ModalAnswer([](QDialog* d) {
            auto* list = d->findChild<QTableWidget*>(QStringLiteral("gseznam_pr"));
            QVERIFY(list);
            const auto ids = list->findItems(QStringLiteral("I1"), Qt::MatchExactly);
            QVERIFY(!ids.isEmpty());
            const QPoint at = list->visualItemRect(ids.front()).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        });
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, grid.visualItemRect(grid.item(0, 3)).center());
        QVERIFY(picked.opened());
        QCOMPARE(grid.item(0, 3)->text(), QStringLiteral("#I1"));
        QVERIFY(editor.state().stepsModified());
    }

    void withoutServiceRightsTheEditorOnlyShows()
    {
        DemoDefinitions demo;
        QVERIFY(demo.ready);
        ui::ProcedureEditorWindow editor(demo.index, demo.types, demo.config, /*serviceRights=*/false);
        editor.show();
        QVERIFY(editor.grid().rowCount() > 0);
        QVERIFY(!editor.findChild<QPushButton*>(QStringLiteral("btn_kadd"))->isVisible());
        QVERIFY(!editor.findChild<QLineEdit*>(QStringLiteral("pozn"))->isEnabled());
        for (int c = 1; c < editor.grid().columnCount(); ++c)
            QVERIFY(!(editor.grid().item(0, c)->flags() & Qt::ItemIsEditable));
    }

    // At the size the editor opens with, the whole "Popis" column is on screen: the grid needs no
    // scrolling to show what a step is for.
    void popisIsWhollyOnScreenAtTheDefaultSize()
    {
        DemoDefinitions demo;
        QVERIFY(demo.ready);
        ui::ProcedureEditorWindow editor(demo.index, demo.types, demo.config, true);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        ui::StepGrid& grid = editor.grid();
        const int popis = grid.columnCount() - 1;
        const int left = grid.horizontalHeader()->sectionViewportPosition(popis);
        const int right = left + grid.columnWidth(popis);
        QVERIFY2(left >= 0 && right <= grid.viewport()->width(),
                 qPrintable(QStringLiteral("Popis %1..%2 of %3").arg(left).arg(right).arg(grid.viewport()->width())));
        snap(editor, "postupy_vychozi");
    }

    // A procedure renamed in the editor is offered under its new name once it has closed.
    void theMainWindowListsWhatTheEditorChanged()
    {
        test::TempHome home;
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\nExpert=1\n");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        auto* type = w.findChild<QComboBox*>(QStringLiteral("ctyp_bat"));
        type->setCurrentIndex(type->findText(QStringLiteral("20KSX25P")));
        auto* procedures = w.findChild<QComboBox*>(QStringLiteral("cpostup"));
        QVERIFY(procedures->findText(QStringLiteral("Ukázka (3 minuty)")) >= 0);
        auto* open = w.findChild<QAction*>(QStringLiteral("TBXpostupy"));
        QVERIFY(open->isEnabled());
        const auto edited = test::ModalAnswer([](QDialog* d) {
            auto* editor = qobject_cast<ui::ProcedureEditorWindow*>(d);
            QVERIFY(editor);
            snap(*editor, "postupy_demo");
            auto* list = editor->findChild<QTableWidget*>(QStringLiteral("gpostupy"));
            const auto found = list->findItems(QStringLiteral("Ukázka (3 minuty)"), Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            found.front()->setText(QStringLiteral("Ukázka krátká"));
            editor->close();
        });
        open->trigger();
        QVERIFY(edited.opened());
        QVERIFY(procedures->findText(QStringLiteral("Ukázka krátká")) >= 0);
        QCOMPARE(procedures->findText(QStringLiteral("Ukázka (3 minuty)")), -1);
    }
};

QTEST_MAIN(ProcedureEditorTest)
#include "procedure_editor_test.moc"
