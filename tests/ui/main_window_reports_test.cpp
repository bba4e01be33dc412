// The main window's reports: " Tisk" previews the chart report of the open test (with the
// texts of "Texty.cfg" and the graph window's series), a "Tisk" menu entry previews the
// test with its own copy of a layout file while the layouts window keeps what it has open,
// "Sestavy" opens the layouts window, and without a test each says "Nelze".
#include "core/reports/layout_file.h"
#include "core/reports/report_texts.h"
#include "demo_definitions.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "support/recorded_test.h"
#include "support/temp_home.h"
#include "ui/main/main_window.h"
#include "ui/main/reports_menu.h"
#include "ui/reports/layouts_window.h"
#include "ui/reports/report_output.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace kapsorel;
using test::snap;

namespace {

// A test of two steps, the first printed as row 1 and numbered "Rep." 4 by the demo
// procedure's own step table as the recorder writes it.
std::filesystem::path writeTest(const test::TempHome& home)
{
    test::RecordedTest recorded;
    recorded.stepCount = 2;
    recorded.note = "první";
    recorded.voltage = 24.0f;
    recorded.voltageRise = 1.0f;
    return test::recordTest(home / "Data", recorded);
}

void setUpHome(const test::TempHome& home)
{
    QVERIFY(demo::writeDemoDefinitions(home.path()).ok());
    // The station's only layout is the test's own, so it is the first "Tisk" entry.
    std::filesystem::remove(home / "Sestavy" / demo::kDemoLayoutFileName);
    home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\nData_adr=" +
                                       (home / "Data").string() + "\n");
    ReportLayout layout;
    LayoutItem item;
    item.text = "$B";
    item.width = 200;
    item.height = 30;
    item.frame = 1;
    layout.items = {item};
    std::filesystem::create_directories(home / "Sestavy");
    QVERIFY(saveLayoutFile((home / "Sestavy" / "protokol.ses").string(), layout).ok());
    QVERIFY(
        writeReportTexts(reportTextsPath(home.path()), {{"P0", 0, "Text pro P0 = 0", ReportTextPosition::Page, 10, 4}})
            .ok());
}

QPrintPreviewDialog* preview(QWidget& w)
{
    return w.findChild<QPrintPreviewDialog*>(QStringLiteral("nahled"));
}

} // namespace

class MainWindowReportsTest : public QObject {
    Q_OBJECT

  private slots:
    void withoutATestEachSaysNelze()
    {
        test::TempHome home;
        setUpHome(home);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        for (const char* name : {"TBXTisk", "ttisk0"}) {
            auto* action = w.findChild<QAction*>(QString::fromLatin1(name));
            QVERIFY(action);
            QVERIFY(action->isEnabled());
            const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
            action->trigger();
            QVERIFY(refused.opened());
            QCOMPARE(refused.text(), QStringLiteral("Nelze"));
            QVERIFY(!preview(w));
        }
    }

    // "Sestavy" where the folder cannot be made: the message, and no layouts window; once the
    // folder can be made, the window opens.
    void layoutsWindowClosesWhenItsFolderCannotBeMade()
    {
        test::TempHome home;
        setUpHome(home);
        std::filesystem::remove_all(home / "Sestavy");
        home.writeText("Sestavy", "soubor, ne složka");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        auto* menu = w.findChild<ui::ReportsMenu*>();
        QVERIFY(menu);
        {
            const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
            w.findChild<QAction*>(QStringLiteral("TBXsestavy"))->trigger();
            QVERIFY(refused.opened());
            QVERIFY(refused.text().startsWith(QStringLiteral("Nelze vytvořit : ")));
        }
        QVERIFY(!w.findChild<ui::LayoutsWindow*>());

        std::filesystem::remove(home / "Sestavy");
        ui::LayoutsWindow* layouts = menu->showLayouts();
        QVERIFY(layouts);
        QVERIFY(layouts->isVisible());
        QVERIFY(std::filesystem::is_directory(home / "Sestavy"));
    }

    void layoutEntryPrintsItsOwnCopy()
    {
        test::TempHome home;
        setUpHome(home);
        const auto path = writeTest(home);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        QVERIFY(w.openTestFileAt(path));
        QCOMPARE(w.findChild<QAction*>(QStringLiteral("ttisk0"))->text(), QStringLiteral("protokol.ses"));

        w.findChild<QAction*>(QStringLiteral("TBXsestavy"))->trigger();
        auto* layouts = w.findChild<ui::LayoutsWindow*>();
        QVERIFY(layouts);
        QVERIFY(layouts->isVisible());
        layouts->findChild<QPushButton*>(QStringLiteral("btn_plus"))->click();
        layouts->findChild<QTableWidget*>(QStringLiteral("g_sestava"))
            ->item(0, 0)
            ->setText(QStringLiteral("rozpracováno"));

        w.findChild<QAction*>(QStringLiteral("ttisk0"))->trigger();
        QPrintPreviewDialog* dialog = preview(w);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        // The layouts window still holds its own unsaved layout.
        QVERIFY(layouts->editing().modified());
        QCOMPARE(layouts->editing().layout().items.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(layouts->editing().layout().items[0].text), QStringLiteral("rozpracováno"));
        QVERIFY(layouts->untitled());
        dialog->close();
        QTRY_VERIFY(!preview(w));

        auto* menu = w.findChild<ui::ReportsMenu*>();
        QVERIFY(menu);
        const auto copy = loadLayoutFile((home / "Sestavy" / "protokol.ses").string());
        const auto document = menu->layoutDocument(*copy);
        QVERIFY(document);
        QCOMPARE(QString::fromStdString(document->pages[0].labels.at(0).text), QStringLiteral("A12"));

        {
            const auto no = test::answerNextModal(QStringLiteral("ask_ne"));
            layouts->close();
        }
    }

    void chartReportPreviewWithTexts()
    {
        test::TempHome home;
        setUpHome(home);
        const auto path = writeTest(home);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        QVERIFY(w.openTestFileAt(path));
        auto* menu = w.findChild<ui::ReportsMenu*>();
        QVERIFY(menu);
        const auto document = menu->chartDocument();
        QVERIFY(document);
        QCOMPARE(document->orientation, PageOrientation::Landscape);
        QCOMPARE(document->fileName, QStringLiteral("A12_2024-03-05.pdf"));
        const auto& labels = document->pages.at(0).labels;
        QCOMPARE(QString::fromStdString(labels.at(0).text), QStringLiteral("A12 - 5.3.2024 7:09:00"));
        const auto text = std::find_if(labels.begin(), labels.end(),
                                       [](const ReportLabel& l) { return l.text == "Text pro P0 = 0"; });
        QVERIFY(text != labels.end());
        QCOMPARE(text->rect.x, 10);
        QCOMPARE(text->rect.y, 4);
        // The graph window's series: twenty cells, voltage, current (drawn wider), ...
        QVERIFY(document->lines.size() > 21);
        QCOMPARE(document->lines[20].penWidth, 2);
        QCOMPARE(document->lines[0].penWidth, 1);

        w.findChild<QAction*>(QStringLiteral("TBXTisk"))->trigger();
        QPrintPreviewDialog* dialog = preview(w);
        QVERIFY(dialog);
        auto* exportPdf = dialog->findChild<QAction*>(QStringLiteral("act_export_pdf"));
        QVERIFY(exportPdf);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QTest::qWait(200);
        snap(*dialog, "rep-preview");
        // "Export PDF" offers the battery number and start date in the data folder.
        QString offered;
        {
            const test::ModalAnswer save([&offered](QDialog* d) {
                auto* files = qobject_cast<QFileDialog*>(d);
                QVERIFY(files);
                offered = files->selectedFiles().value(0);
                static_cast<QDialog*>(files)->accept();
            });
            exportPdf->trigger();
            QVERIFY(save.opened());
        }
        QCOMPARE(QFileInfo(offered).fileName(), QStringLiteral("A12_2024-03-05.pdf"));
        QCOMPARE(QFileInfo(offered).absolutePath(),
                 QFileInfo(QString::fromStdString((home / "Data").string())).absoluteFilePath());
        QFile pdf(offered);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QCOMPARE(pdf.read(5), QByteArray("%PDF-"));
        dialog->close();
    }
};

QTEST_MAIN(MainWindowReportsTest)
#include "main_window_reports_test.moc"
