// The battery types window on the demo station: adding, copying, pasting and saving
// battery types (read back from "Baterie.cfg" through core), refused edits and their
// messages, the read-only window without service rights and the question on closing.
#include "core/app/config_file.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/battery_types_editor.h"
#include "core/definitions/procedure_index.h"
#include "demo_definitions.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "support/temp_home.h"
#include "ui/definitions/battery_types_window.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <optional>

using namespace kapsorel;
using test::snap;

namespace {

template <class T> T* child(QWidget& w, const char* name)
{
    T* found = w.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

QString cell(QTableView* grid, int row, int column)
{
    return grid->model()->index(row, column).data(Qt::DisplayRole).toString();
}

std::vector<BatteryType> readBack(const test::TempHome& home)
{
    BatteryTable table;
    const FileReport report = table.load(home.path());
    if (!report.ok())
        qFatal("Baterie.cfg unreadable: %s", report.status.error().c_str());
    return table.types();
}

void showActive(QWidget& w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

// The cell editor open in the grid (one that has just closed may still wait for its
// deletion).
QLineEdit* openEditor(QTableView* grid)
{
    for (auto* e : grid->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible())
            return e;
    return nullptr;
}

// Types `text` into the cell as a user does (the editor opens on the first key) and ends
// the edit with Enter.
void typeInto(QTableView* grid, int row, int column, const QString& text)
{
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(row, column));
    grid->edit(grid->currentIndex());
    QLineEdit* editor = openEditor(grid);
    QVERIFY(editor);
    QCOMPARE(QApplication::focusWidget(), editor);
    editor->selectAll();
    // QTest types Latin letters only; other text arrives as an input method would give it.
    bool latin = true;
    for (QChar c : text)
        latin = latin && c.unicode() < 0x80;
    if (latin)
        QTest::keyClicks(editor, text);
    else
        editor->insert(text);
    const QPointer<QLineEdit> open(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    // The grid ends the edit from its event queue.
    QTRY_VERIFY(!open || !open->isVisible());
}

} // namespace

class BatteryTypesWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void addCopyPasteSaveAndReload_data()
    {
        QTest::addColumn<bool>("keys");
        QTest::newRow("buttons") << false;
        QTest::newRow("Ctrl+C and Ctrl+V") << true;
    }

    // A type added while the lead type is selected starts with its values; pasting the
    // copied NiCd type gives it those instead. Saved, the file holds exactly that.
    void addCopyPasteSaveAndReload()
    {
        QFETCH(bool, keys);
        test::TempHome home;
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        const std::vector<BatteryType> demo = demo::demoBatteryTypes();
        ConfigFile config;
        ui::BatteryTypesWindow w(home.path(), config, /*serviceRights=*/true);
        showActive(w);
        auto* types = child<QTableView>(w, "gbaterie");
        auto* variables = child<QTableView>(w, "gprop");
        auto* interval = child<QSpinBox>(w, "pdt_pr");
        auto* save = child<QPushButton>(w, "btn_buloz");
        auto* paste = child<QPushButton>(w, "bpaste");
        QCOMPARE(types->model()->rowCount(), int(demo.size()));
        QCOMPARE(cell(types, 0, 1), QString::fromStdString(demo[0].name));
        QCOMPARE(cell(types, 1, 2), QStringLiteral("Pb"));
        QCOMPARE(variables->model()->rowCount(), int(demo[0].variables.size()));
        QCOMPARE(interval->value(), int(demo[0].currentChangeInterval));
        QVERIFY(!save->isEnabled());
        QVERIFY(!paste->isEnabled());

        types->setFocus();
        if (keys)
            QTest::keyClick(types, Qt::Key_C, Qt::ControlModifier);
        else
            child<QPushButton>(w, "bcopy")->click();
        QVERIFY(paste->isEnabled());

        types->setCurrentIndex(types->model()->index(1, 1));
        QCOMPARE(w.selectedType(), 1);
        child<QPushButton>(w, "btn_badd")->click();
        QCOMPARE(w.selectedType(), 2);
        QCOMPARE(types->model()->rowCount(), 3);
        QCOMPARE(w.table().at(2).variables, demo[1].variables);
        QCOMPARE(interval->value(), 0);
        QVERIFY(save->isEnabled());

        types->setFocus();
        if (keys)
            QTest::keyClick(types, Qt::Key_V, Qt::ControlModifier);
        else
            paste->click();
        QCOMPARE(variables->model()->rowCount(), int(demo[0].variables.size()));
        QCOMPARE(interval->value(), int(demo[0].currentChangeInterval));

        typeInto(types, 2, 0, QStringLiteral("7"));
        typeInto(types, 2, 1, QStringLiteral("Nový typ"));
        QVERIFY(types->model()->setData(types->model()->index(2, 2), QStringLiteral("Pb")));
        snap(w, keys ? "baterie-pasted-keys" : "baterie-pasted");
        {
            const auto none = test::answerNextModal(QStringLiteral("zprava_ok"), std::chrono::milliseconds(200));
            save->click();
            QVERIFY(!none.opened());
        }
        QVERIFY(!save->isEnabled());

        std::vector<BatteryType> expected = demo;
        BatteryType added = demo[0];
        added.head = 7;
        added.name = "Nový typ";
        added.chemistry = kChemistryPb;
        expected.push_back(added);
        QCOMPARE(readBack(home), expected);
        w.reject();
        QVERIFY(!w.isVisible());

        ui::BatteryTypesWindow again(home.path(), config, true);
        auto* reloaded = child<QTableView>(again, "gbaterie");
        QCOMPARE(reloaded->model()->rowCount(), 3);
        QCOMPARE(cell(reloaded, 2, 0), QStringLiteral("7"));
        QCOMPARE(cell(reloaded, 2, 1), QStringLiteral("Nový typ"));
        QCOMPARE(cell(reloaded, 2, 2), QStringLiteral("Pb"));
    }

    void refusedEditShowsItsMessage_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed"); // empty: the Delete key
        QTest::addColumn<QString>("message");
        QTest::newRow("head not a number") << "gbaterie" << 0 << "abc"
                                           << "Hlava musí být celé číslo 0 až 32767";
        QTest::newRow("head too big") << "gbaterie" << 0 << "40000"
                                      << "Hlava musí být celé číslo 0 až 32767";
        QTest::newRow("chemistry cleared") << "gbaterie" << 2 << ""
                                           << "Typ baterie je NiCd nebo Pb";
        QTest::newRow("three-character ID") << "gprop" << 1 << "ABC" << QString::fromStdString(variableIdMessage());
        QTest::newRow("ID cleared") << "gprop" << 1 << "" << QString::fromStdString(variableIdMessage());
        QTest::newRow("value not a number") << "gprop" << 2 << "x1"
                                            << "Hodnota x1 není číslo";
    }

    // The value is refused: the cell and the table keep the old one, the file is not
    // touched, and the message says why.
    void refusedEditShowsItsMessage()
    {
        QFETCH(QString, grid);
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        test::TempHome home;
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        ConfigFile config;
        ui::BatteryTypesWindow w(home.path(), config, true);
        showActive(w);
        auto* view = child<QTableView>(w, grid.toLatin1().constData());
        const QString before = cell(view, 0, column);
        const std::vector<BatteryType> table = w.table().types();
        const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
        if (typed.isEmpty()) {
            view->setFocus();
            view->setCurrentIndex(view->model()->index(0, column));
            QTest::keyClick(view, Qt::Key_Delete);
        } else {
            typeInto(view, 0, column, typed);
        }
        QTRY_VERIFY(refused.opened());
        QCOMPARE(refused.text(), message);
        QCOMPARE(cell(view, 0, column), before);
        QCOMPARE(w.table().types(), table);
        QVERIFY(!child<QPushButton>(w, "btn_buloz")->isEnabled());
        if (!typed.isEmpty()) {
            // The typed text waits in the cell's editor again; Escape drops it.
            QTRY_VERIFY(openEditor(view) != nullptr);
            QLineEdit* editor = openEditor(view);
            QCOMPARE(editor->text(), typed);
            QCOMPARE(view->currentIndex(), view->model()->index(0, column));
            const QPointer<QLineEdit> open(editor);
            QTest::keyClick(editor, Qt::Key_Escape);
            QTRY_VERIFY(!open || !open->isVisible());
            QCOMPARE(cell(view, 0, column), before);
            QCOMPARE(w.table().types(), table);
        }
        if (column == 1 && grid == QStringLiteral("gprop"))
            snap(w, "baterie-refused");
    }

    void keysMoveBetweenCellsAndClearValues()
    {
        test::TempHome home;
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        ConfigFile config;
        ui::BatteryTypesWindow w(home.path(), config, true);
        showActive(w);
        auto* view = child<QTableView>(w, "gprop");
        typeInto(view, 0, 2, QStringLiteral("12,5"));
        QCOMPARE(view->currentIndex(), view->model()->index(1, 0)); // Enter went on
        QCOMPARE(w.table().at(0).variables[0].value, 12.5f);
        QTest::keyClick(view, Qt::Key_Tab);
        QCOMPARE(view->currentIndex(), view->model()->index(1, 1));
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(view->currentIndex(), view->model()->index(1, 2));
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(w.table().at(0).variables[1].value, 0.0f);
        QTest::keyClick(view, Qt::Key_Tab);
        QTest::keyClick(view, Qt::Key_Delete); // a description clears to nothing
        QCOMPARE(w.table().at(0).variables[2].description, std::string());
        QVERIFY(child<QPushButton>(w, "btn_buloz")->isEnabled());
        const auto closed = test::answerNextModal(QStringLiteral("ask_ne"));
        w.reject();
        QVERIFY(closed.opened());
    }

    void readOnlyWithoutServiceRights()
    {
        test::TempHome home;
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        const auto bytes = home.readBytes("Postupy/Baterie.cfg");
        ConfigFile config;
        ui::BatteryTypesWindow w(home.path(), config, /*serviceRights=*/false);
        showActive(w);
        snap(w, "baterie-readonly");
        for (const char* name :
             {"btn_badd", "btn_bdel", "btn_bup", "btn_bdn", "btn_bvadd", "btn_bvdel", "bcopy", "bpaste", "btn_buloz"})
            QVERIFY2(child<QPushButton>(w, name)->isHidden(), name);
        QVERIFY(child<QSpinBox>(w, "pdt_pr")->isReadOnly());
        const std::vector<BatteryType> table = w.table().types();
        for (const char* name : {"gbaterie", "gprop"}) {
            auto* view = child<QTableView>(w, name);
            for (int c = 0; c < 3; ++c) {
                const QModelIndex index = view->model()->index(0, c);
                QVERIFY(!(view->model()->flags(index) & Qt::ItemIsEditable));
                view->setFocus();
                view->setCurrentIndex(index);
                QTest::keyClick(view, Qt::Key_Delete);
                QTest::keyClicks(view, QStringLiteral("9"));
            }
        }
        auto* allowed = child<QTableView>(w, "gbpostupy");
        QVERIFY(!(allowed->model()->flags(allowed->model()->index(0, 1)) & Qt::ItemIsUserCheckable));
        QVERIFY(!allowed->model()->setData(allowed->model()->index(0, 1), Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(w.table().types(), table);
        w.reject(); // nothing to ask
        QVERIFY(!w.isVisible());
        QCOMPARE(home.readBytes("Postupy/Baterie.cfg"), bytes);
    }

    void closingWithUnsavedChangesAsks_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Ano saves") << "ask_ano" << true;
        QTest::newRow("Ne goes back to the file") << "ask_ne" << false;
    }

    void closingWithUnsavedChangesAsks()
    {
        QFETCH(QString, button);
        QFETCH(bool, saved);
        test::TempHome home;
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        const auto bytes = home.readBytes("Postupy/Baterie.cfg");
        ConfigFile config;
        ui::BatteryTypesWindow w(home.path(), config, true);
        showActive(w);
        // Changes in two types: the question covers both, not only the last shown.
        auto* types = child<QTableView>(w, "gbaterie");
        QVERIFY(types->model()->setData(types->model()->index(0, 1), QStringLiteral("Přejmenovaná")));
        types->setCurrentIndex(types->model()->index(1, 1));
        auto* allowed = child<QTableView>(w, "gbpostupy");
        QVERIFY(allowed->model()->setData(allowed->model()->index(0, 1), Qt::Checked, Qt::CheckStateRole));

        const auto answer = test::answerNextModal(button);
        w.reject();
        QVERIFY(answer.opened());
        QCOMPARE(answer.text(),
                 QStringLiteral("\n") + QString::fromStdString(batteryChangesQuestion()) + QStringLiteral("\n"));
        QVERIFY(!w.isVisible());
        const std::vector<BatteryType> file = readBack(home);
        std::vector<BatteryType> expected = demo::demoBatteryTypes();
        if (saved) {
            expected[0].name = "Přejmenovaná";
            expected[1].allowedProcedures = {0, demo::kLeadCapacityTestNumber, demo::kLeadShortDemoNumber};
        } else {
            QCOMPARE(home.readBytes("Postupy/Baterie.cfg"), bytes);
        }
        QCOMPARE(file, expected);
        QCOMPARE(w.table().types(), expected);
    }

    void markingBeyondTheLimitsIsRefused_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("message");
        QTest::newRow("an eleventh procedure") << 0 << 10 << QString::fromStdString(tooManyAllowedProceduresMessage());
        QTest::newRow("a number beyond one byte")
            << 1 << 300 << QString::fromStdString(procedureNotAllowableMessage(300));
    }

    // The file keeps ten numbers of one byte each: a mark that does not fit is refused
    // instead of being stored as another procedure or lost.
    void markingBeyondTheLimitsIsRefused()
    {
        QFETCH(int, type);
        QFETCH(int, number);
        QFETCH(QString, message);
        test::TempHome home;
        std::vector<ProcedureIndexEntry> entries;
        for (int n = 0; n <= 10; ++n)
            entries.push_back({static_cast<std::uint16_t>(n), "Postup " + std::to_string(n)});
        entries.push_back({300, "Postup 300"});
        home.writeBytes("Postupy/Postupy.idx", serializeProcedureIndex(entries));
        BatteryType full;
        full.name = "Deset postupů";
        full.allowedProcedures = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        BatteryType none;
        none.name = "Bez postupů";
        BatteryTable table;
        QVERIFY(table.assign({full, none}).ok());
        QVERIFY(table.save(home.path()).ok());
        ConfigFile config;
        ui::BatteryTypesWindow w(home.path(), config, true);
        showActive(w);
        auto* types = child<QTableView>(w, "gbaterie");
        types->setCurrentIndex(types->model()->index(type, 1));
        auto* allowed = child<QTableView>(w, "gbpostupy");
        int row = -1;
        for (int r = 0; r < allowed->model()->rowCount(); ++r)
            if (allowed->model()->index(r, 2).data().toInt() == number)
                row = r;
        QVERIFY(row >= 0);
        const QModelIndex mark = allowed->model()->index(row, 1);
        allowed->setFocus();
        allowed->setCurrentIndex(mark);
        {
            const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
            QTest::keyClick(allowed, Qt::Key_Space);
            QTRY_VERIFY(refused.opened());
            QCOMPARE(refused.text(), message);
        }
        QCOMPARE(mark.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QCOMPARE(w.table().types(), table.types());

        // Space on a mark that fits sets it.
        const QModelIndex first = allowed->model()->index(0, 1);
        allowed->setCurrentIndex(first);
        QTest::keyClick(allowed, Qt::Key_Space);
        QCOMPARE(first.data(Qt::CheckStateRole).toInt(), type == 0 ? int(Qt::Unchecked) : int(Qt::Checked));
        QCOMPARE(w.table().at(type).allows(0), type != 0);
        const auto discard = test::answerNextModal(QStringLiteral("ask_ne"));
        w.reject();
        QVERIFY(discard.opened());
    }

    void structureButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("selectedAfter");
        const QString a = QStringLiteral("20KSX25P");
        const QString b = QStringLiteral("Pb 12V 45Ah");
        QTest::newRow("down") << "btn_bdn" << 0 << QStringList{b, a} << 1;
        QTest::newRow("down from the last") << "btn_bdn" << 1 << QStringList{a, b} << 1;
        QTest::newRow("up") << "btn_bup" << 1 << QStringList{b, a} << 0;
        QTest::newRow("up from the first") << "btn_bup" << 0 << QStringList{a, b} << 0;
        QTest::newRow("remove the first") << "btn_bdel" << 0 << QStringList{b} << 0;
        QTest::newRow("remove the last") << "btn_bdel" << 1 << QStringList{a} << 0;
    }

    void structureButtons()
    {
        QFETCH(QString, button);
        QFETCH(int, selected);
        QFETCH(QStringList, names);
        QFETCH(int, selectedAfter);
        test::TempHome home;
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        ConfigFile config;
        ui::BatteryTypesWindow w(home.path(), config, true);
        showActive(w);
        auto* types = child<QTableView>(w, "gbaterie");
        types->setCurrentIndex(types->model()->index(selected, 1));
        auto* b = child<QPushButton>(w, button.toLatin1().constData());
        if (b->isEnabled())
            b->click();
        QStringList shown;
        for (int r = 0; r < types->model()->rowCount(); ++r)
            shown << cell(types, r, 1);
        QCOMPARE(shown, names);
        QCOMPARE(w.selectedType(), selectedAfter);
        QCOMPARE(types->currentIndex().row(), selectedAfter);
        // The right-hand grids show the selected type.
        const std::string selectedName = names[selectedAfter].toStdString();
        const BatteryType& shownType = w.table().at(w.table().findByName(selectedName));
        QCOMPARE(child<QTableView>(w, "gprop")->model()->rowCount(), int(shownType.variables.size()));
        QCOMPARE(child<QSpinBox>(w, "pdt_pr")->value(), int(shownType.currentChangeInterval));
        // Variables: "+" appends an empty row, "-" removes the selected one.
        auto* variables = child<QTableView>(w, "gprop");
        const int count = variables->model()->rowCount();
        child<QPushButton>(w, "btn_bvadd")->click();
        QCOMPARE(variables->model()->rowCount(), count + 1);
        QCOMPARE(variables->currentIndex().row(), count);
        variables->setCurrentIndex(variables->model()->index(0, 0));
        child<QPushButton>(w, "btn_bvdel")->click();
        QCOMPARE(variables->model()->rowCount(), count);
        QCOMPARE(cell(variables, count - 1, 1), QString());
        const auto discard = test::answerNextModal(QStringLiteral("ask_ne"));
        w.reject();
        QVERIFY(discard.opened());
    }

    // The "Typ" cell offers the two chemistries; picking one takes it.
    void chemistryIsPickedFromTheList()
    {
        test::TempHome home;
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        ConfigFile config;
        ui::BatteryTypesWindow w(home.path(), config, true);
        showActive(w);
        auto* types = child<QTableView>(w, "gbaterie");
        types->setFocus();
        types->setCurrentIndex(types->model()->index(0, 2));
        types->edit(types->currentIndex());
        auto* box = types->viewport()->findChild<QComboBox*>(QStringLiteral("typ_baterie"));
        QVERIFY(box);
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->itemText(0), QStringLiteral("NiCd"));
        QCOMPARE(box->itemText(1), QStringLiteral("Pb"));
        QCOMPARE(box->currentText(), QStringLiteral("NiCd"));
        box->setCurrentIndex(1);
        emit box->activated(1);
        QCOMPARE(w.table().at(0).chemistry, kChemistryPb);
        QVERIFY(child<QPushButton>(w, "btn_buloz")->isEnabled());
        const auto discard = test::answerNextModal(QStringLiteral("ask_ne"));
        w.reject();
        QVERIFY(discard.opened());
        QCOMPARE(w.table().at(0).chemistry, kChemistryNiCd);
    }

    // A new type without "Typ" is not written: the file stays, the window stays open.
    void savingWithoutChemistryIsRefused()
    {
        test::TempHome home;
        QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
        const auto bytes = home.readBytes("Postupy/Baterie.cfg");
        ConfigFile config;
        ui::BatteryTypesWindow w(home.path(), config, true);
        showActive(w);
        child<QPushButton>(w, "btn_badd")->click();
        const QString refusal = QString::fromStdString(chemistryMissingMessage()) + QStringLiteral(" (řádek 3)");
        {
            const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
            child<QPushButton>(w, "btn_buloz")->click();
            QVERIFY(refused.opened());
            QCOMPARE(refused.text(), refusal);
        }
        QCOMPARE(home.readBytes("Postupy/Baterie.cfg"), bytes);
        // "Ano" on closing: the same refusal, and the window stays open.
        std::optional<test::ModalAnswer> refusedOnClose;
        const test::ModalAnswer answer([&](QDialog* box) {
            refusedOnClose.emplace(test::answerNextModal(QStringLiteral("zprava_ok")));
            box->findChild<QPushButton*>(QStringLiteral("ask_ano"))->click();
        });
        w.reject();
        QVERIFY(answer.opened());
        QVERIFY(refusedOnClose && refusedOnClose->opened());
        QCOMPARE(refusedOnClose->text(), refusal);
        QVERIFY(w.isVisible());
        const auto discard = test::answerNextModal(QStringLiteral("ask_ne"));
        w.reject();
        QVERIFY(!w.isVisible());
        QCOMPARE(w.table().size(), 2);
    }
};

QTEST_MAIN(BatteryTypesWindowTest)
#include "battery_types_window_test.moc"
