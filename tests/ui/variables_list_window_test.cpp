// The variables list on the demo station: its table, the pick by double click or Enter,
// the information-only use and the stored column count and widths.
#include "core/app/config_file.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/variables_list.h"
#include "demo_definitions.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "support/temp_home.h"
#include "ui/definitions/variables_list_window.h"

#include <QDialog>
#include <QHeaderView>
#include <QTableWidget>
#include <QTest>

using namespace kapsorel;
using test::snap;

namespace {

BatteryTable demoTable()
{
    BatteryTable table;
    if (!table.assign(demo::demoBatteryTypes()).ok())
        qFatal("demo battery types refused");
    return table;
}

int rowOf(const QTableWidget& grid, const QString& id, const QString& description)
{
    for (int r = 0; r < grid.rowCount(); ++r)
        if (grid.item(r, 0)->text() == id && grid.item(r, 1)->text() == description)
            return r;
    return -1;
}

} // namespace

class VariablesListWindowTest : public QObject {
    Q_OBJECT

  private slots:
    // The grid shows what core builds: the headers, every row and every value.
    void showsTheTableOfAllTypes()
    {
        const BatteryTable table = demoTable();
        const VariablesList expected = buildVariablesList(table.types());
        ConfigFile config;
        ui::VariablesListWindow w(config, table, false);
        w.show();
        snap(w, "seznam_pr");
        auto* grid = w.findChild<QTableWidget*>(QStringLiteral("gseznam_pr"));
        QVERIFY(grid);
        QCOMPARE(grid->columnCount(), int(expected.headers().size()));
        for (int c = 0; c < grid->columnCount(); ++c)
            QCOMPARE(grid->horizontalHeaderItem(c)->text(),
                     QString::fromStdString(expected.headers()[static_cast<std::size_t>(c)]));
        QCOMPARE(grid->rowCount(), int(expected.rows.size()));
        for (int r = 0; r < grid->rowCount(); ++r) {
            const VariablesListRow& row = expected.rows[static_cast<std::size_t>(r)];
            QCOMPARE(grid->item(r, 0)->text(), QString::fromStdString(row.id));
            QCOMPARE(grid->item(r, 1)->text(), QString::fromStdString(row.description));
            for (std::size_t c = 0; c < row.values.size(); ++c)
                QCOMPARE(grid->item(r, int(c) + 2)->text(), QString::fromStdString(row.values[c]));
        }
        // Every column shows its header whole.
        for (int c = 0; c < grid->columnCount(); ++c)
            QVERIFY(grid->columnWidth(c) >=
                    grid->horizontalHeader()->fontMetrics().horizontalAdvance(grid->horizontalHeaderItem(c)->text()));
    }

    void pick_data()
    {
        QTest::addColumn<bool>("informationOnly");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("expected"); // empty: nothing picked
        QTest::newRow("double click") << false << false << "I1"
                                      << "Nabíjecí proud"
                                      << "#I1";
        QTest::newRow("Enter") << false << true << "UE"
                               << "Konečné napětí"
                               << "#UE";
        QTest::newRow("information only") << true << false << "I1"
                                          << "Nabíjecí proud"
                                          << "";
        QTest::newRow("information only, Enter") << true << true << "C1"
                                                 << "Jmenovitá kapacita"
                                                 << "";
    }

    void pick()
    {
        QFETCH(bool, informationOnly);
        QFETCH(bool, enter);
        QFETCH(QString, id);
        QFETCH(QString, description);
        QFETCH(QString, expected);
        const BatteryTable table = demoTable();
        ConfigFile config;
        bool found = false;
        test::ModalAnswer answer([&](QDialog* box) {
            auto* grid = box->findChild<QTableWidget*>(QStringLiteral("gseznam_pr"));
            const int row = grid ? rowOf(*grid, id, description) : -1;
            found = row >= 0;
            if (!found)
                return;
            const QModelIndex index = grid->model()->index(row, 1);
            grid->setCurrentIndex(index);
            if (enter) {
                QTest::keyClick(grid, Qt::Key_Return);
            } else {
                const QPoint at = grid->visualRect(index).center();
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
            }
            QVERIFY(!box->isVisible()); // the pick closes the list
        });
        const std::optional<std::string> picked =
            ui::VariablesListWindow::pick(nullptr, config, table, informationOnly);
        QVERIFY(answer.opened());
        QVERIFY(found);
        QCOMPARE(picked.has_value(), !expected.isEmpty());
        if (picked)
            QCOMPARE(QString::fromStdString(*picked), expected);
    }

    // Closing keeps the column count and widths; the next list takes the widths back.
    void columnWidthsAreKept()
    {
        const BatteryTable table = demoTable();
        ConfigFile config;
        config.writeInt("TFseznam_pr", "PCW1", 260);
        config.writeInt("TFseznam_pr", "PCW3", 150); // beyond the stored count: not applied
        {
            ui::VariablesListWindow w(config, table, true);
            auto* grid = w.findChild<QTableWidget*>(QStringLiteral("gseznam_pr"));
            QCOMPARE(grid->columnWidth(1), 260);
            QVERIFY(grid->columnWidth(3) != 150);
            grid->setColumnWidth(0, 70);
            grid->setColumnWidth(3, 140);
            w.reject();
        }
        QCOMPARE(config.readInt("TFseznam_pr", "CCOUNT", 0), 4);
        QCOMPARE(config.readInt("TFseznam_pr", "PCW0", 0), 70);
        QCOMPARE(config.readInt("TFseznam_pr", "PCW3", 0), 140);
        ui::VariablesListWindow again(config, table, true);
        auto* grid = again.findChild<QTableWidget*>(QStringLiteral("gseznam_pr"));
        QCOMPARE(grid->columnWidth(0), 70);
        QCOMPARE(grid->columnWidth(1), 260);
        QCOMPARE(grid->columnWidth(3), 140);
    }
};

QTEST_MAIN(VariablesListWindowTest)
#include "variables_list_window_test.moc"
