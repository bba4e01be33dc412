// The layouts window (LayoutsWindow): new, open, save and "Ulož jako" with the closing
// question, the grid's commands and edits with their refusals, the orientation, the
// millimetre converter, and printing through its owner's hook.
#include "core/app/config_file.h"
#include "core/reports/layout_file.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "support/temp_home.h"
#include "ui/reports/layouts_window.h"

#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QFontDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <limits>
#include <utility>

using namespace kapsorel;
using test::snap;

namespace {

struct Window {
    test::TempHome home;
    ConfigFile config;
    int printed = 0;
    bool haveTest = true;
    QString chosen;
    std::unique_ptr<ui::LayoutsWindow> w;

    Window()
    {
        w = std::make_unique<ui::LayoutsWindow>(config, home / "Sestavy", QStringLiteral("Stanice 1"),
                                                [this](const ReportLayout&) {
                                                    ++printed;
                                                    return haveTest;
                                                });
        w->setFileChooser([this](QWidget*, bool, const QString&) { return chosen; });
    }
    template <class T> T* find(const char* name) { return w->findChild<T*>(QString::fromLatin1(name)); }
    void click(const char* name) { find<QPushButton>(name)->click(); }
    QTableWidget* grid() { return find<QTableWidget>("g_sestava"); }
    void type(int row, int column, const QString& text) { grid()->item(row, column)->setText(text); }
    QString cell(int row, int column) { return grid()->item(row, column)->text(); }
    void trigger(const char* name) { find<QAction>(name)->trigger(); }
};

} // namespace

class LayoutsWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void startsUntitledAndCreatesTheFolder()
    {
        Window t;
        QVERIFY(std::filesystem::is_directory(t.home / "Sestavy"));
        QCOMPARE(t.w->windowTitle(), QStringLiteral("Sestavy - Untitled.ses"));
        QVERIFY(t.w->untitled());
        QCOMPARE(t.grid()->rowCount(), 0);
        QCOMPARE(t.grid()->horizontalHeaderItem(1)->text(), QStringLiteral("Pos X [mm]"));
    }

    void editsAndRefusals()
    {
        Window t;
        t.click("btn_plus");
        QCOMPARE(t.grid()->rowCount(), 1);
        QCOMPARE(t.cell(0, 5), QStringLiteral("Arial"));
        t.type(0, 0, QStringLiteral("$B"));
        t.type(0, 1, QStringLiteral("120"));
        QCOMPARE(t.w->editing().layout().items[0].x, 120);
        {
            const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
            t.type(0, 2, QStringLiteral("70000"));
            QVERIFY(refused.opened());
            QVERIFY(refused.text().contains(QStringLiteral("65535")));
        }
        QCOMPARE(t.cell(0, 2), QStringLiteral("0"));
        {
            const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
            t.type(0, 6, QStringLiteral("x1"));
            QVERIFY(refused.opened());
        }
        QCOMPARE(t.w->editing().layout().items[0].frame, 0);
        t.type(0, 0, QStringLiteral("0123456789012345678901234567890123x"));
        QCOMPARE(t.cell(0, 0), QStringLiteral("012345678901234567890123456789"));
    }

    void movesWrapAround()
    {
        Window t;
        for (const char* text : {"A", "B", "C"}) {
            t.click("btn_plus");
            t.type(t.grid()->rowCount() - 1, 0, QString::fromLatin1(text));
        }
        t.grid()->setCurrentCell(2, 0);
        t.click("btn_dn");
        QCOMPARE(t.cell(0, 0) + t.cell(1, 0) + t.cell(2, 0), QStringLiteral("CAB"));
        QCOMPARE(t.grid()->currentRow(), 0);
        t.click("btn_up");
        QCOMPARE(t.cell(0, 0) + t.cell(1, 0) + t.cell(2, 0), QStringLiteral("ABC"));
        t.grid()->setCurrentCell(0, 0);
        t.click("btn_up");
        QCOMPARE(t.cell(0, 0) + t.cell(1, 0) + t.cell(2, 0), QStringLiteral("BCA"));
        t.grid()->setCurrentCell(1, 0);
        t.click("btn_minus");
        QCOMPARE(t.cell(0, 0) + t.cell(1, 0), QStringLiteral("BA"));
    }

    void saveOpenAndTheQuestion()
    {
        Window t;
        t.click("btn_plus");
        t.type(0, 0, QStringLiteral("Protokol"));
        t.find<QRadioButton>("rb_sirku")->click();
        t.chosen = QString::fromStdString((t.home / "Sestavy" / "prvni.ses").string());
        t.trigger("mi_uloz");
        QCOMPARE(t.w->windowTitle(), QStringLiteral("Sestavy - prvni.ses"));
        QVERIFY(!t.w->editing().modified());
        const auto saved = loadLayoutFile(t.chosen.toStdString());
        QVERIFY(saved.ok());
        QCOMPARE(saved->orientation, PageOrientation::Landscape);
        QCOMPARE(saved->items.size(), std::size_t{1});

        // A changed orientation alone asks before "Nový"; "Zruš" keeps everything.
        t.find<QRadioButton>("rb_vysku")->click();
        QVERIFY(t.w->editing().modified());
        {
            const auto cancel = test::answerNextModal(QStringLiteral("ask_zrus"));
            t.trigger("mi_novy");
            QVERIFY(cancel.opened());
            QCOMPARE(cancel.text().trimmed(), QStringLiteral("Provedeny změny v sestavě.  Uložit?"));
        }
        QCOMPARE(t.grid()->rowCount(), 1);

        // "Ano" on an untitled layout whose "Ulož jako" is cancelled cancels "Nový" too.
        {
            const auto no = test::answerNextModal(QStringLiteral("ask_ne"));
            t.trigger("mi_novy");
        }
        QVERIFY(t.w->untitled());
        t.click("btn_plus");
        t.chosen.clear();
        {
            const auto yes = test::answerNextModal(QStringLiteral("ask_ano"));
            t.trigger("mi_novy");
            QVERIFY(yes.opened());
        }
        QCOMPARE(t.grid()->rowCount(), 1);
        QVERIFY(t.w->editing().modified());

        // Open the saved file after dropping the changes.
        t.chosen = QString::fromStdString((t.home / "Sestavy" / "prvni.ses").string());
        {
            const auto no = test::answerNextModal(QStringLiteral("ask_ne"));
            t.trigger("mi_otevri");
        }
        QCOMPARE(t.cell(0, 0), QStringLiteral("Protokol"));
        QVERIFY(t.find<QRadioButton>("rb_sirku")->isChecked());
    }

    // "Sestavy" cannot be a folder where a file of that name lies: the window says so and
    // is not to be shown.
    void closesWhenItsFolderCannotBeMade()
    {
        test::TempHome home;
        home.writeText("Sestavy", "soubor, ne složka");
        ConfigFile config;
        std::unique_ptr<ui::LayoutsWindow> w;
        {
            const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
            w = std::make_unique<ui::LayoutsWindow>(config, home / "Sestavy", QStringLiteral("Stanice 1"),
                                                    ui::LayoutsWindow::PrintLayout{});
            QVERIFY(refused.opened());
            QCOMPARE(refused.text(),
                     QStringLiteral("Nelze vytvořit : ") + QString::fromStdString((home / "Sestavy").string()));
        }
        QVERIFY(!w->folderReady());
        QVERIFY(w->close());
        QCOMPARE(config.readString("Sestavy", "Soubor", "nic"), std::string("nic"));
        QCOMPARE(home.readText("Sestavy"), std::string("soubor, ne složka"));
    }

    void closingOffersCancelAndRemembersTheFile()
    {
        Window t;
        t.click("btn_plus");
        {
            const auto cancel = test::answerNextModal(QStringLiteral("ask_zrus"));
            QVERIFY(!t.w->close());
            QVERIFY(cancel.opened());
        }
        t.chosen = QString::fromStdString((t.home / "Sestavy" / "druha.ses").string());
        {
            const auto yes = test::answerNextModal(QStringLiteral("ask_ano"));
            QVERIFY(t.w->close());
        }
        QCOMPARE(QString::fromStdString(t.config.readString("Sestavy", "Soubor", "")), t.chosen);
        ui::LayoutsWindow again(t.config, t.home / "Sestavy", QStringLiteral("Stanice 1"), {});
        QCOMPARE(again.windowTitle(), QStringLiteral("Sestavy - druha.ses"));
        QCOMPARE(again.findChild<QTableWidget*>(QStringLiteral("g_sestava"))->rowCount(), 1);
    }

    void fullAndDamagedLayoutsAreRefused()
    {
        Window t;
        ReportLayout full;
        full.items.resize(255);
        QVERIFY(saveLayoutFile((t.home / "Sestavy" / "plna.ses").string(), full).ok());
        t.chosen = QString::fromStdString((t.home / "Sestavy" / "plna.ses").string());
        t.trigger("mi_otevri");
        QCOMPARE(t.grid()->rowCount(), 255);
        {
            const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
            t.click("btn_plus");
            QVERIFY(refused.opened());
        }
        QCOMPARE(t.grid()->rowCount(), 255);

        auto bytes = encodeLayout(full);
        bytes.resize(259 + 92 * 3);
        t.home.writeBytes("Sestavy/kratka.ses", bytes);
        t.chosen = QString::fromStdString((t.home / "Sestavy" / "kratka.ses").string());
        {
            const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
            t.trigger("mi_otevri");
            QVERIFY(refused.opened());
            QVERIFY(refused.text().contains(QStringLiteral("zkrácený")));
        }
        QCOMPARE(t.w->windowTitle(), QStringLiteral("Sestavy - plna.ses"));
        QCOMPARE(t.grid()->rowCount(), 255);
    }

    // Hostile ".ses" files, opened with "Otevři" and remembered from the last session: each
    // is refused with a message, the window keeps what it had, and nothing is written over
    // the file, not even by the "Ulož" and the closing that follow.
    void hostileFilesAreRefusedAndNothingIsWritten()
    {
        ReportLayout two;
        two.items.resize(2);
        two.items[0].text = "A";
        const auto good = encodeLayout(two);
        struct Case {
            const char* name;
            std::vector<std::uint8_t> bytes;
            const char* said;
        };
        const auto damaged = [&](std::size_t at, std::uint8_t value) {
            auto b = good;
            b[at] = value;
            return b;
        };
        const Case cases[] = {
            {"empty", {}, "zkrácený"},
            {"header cut", std::vector<std::uint8_t>(good.begin(), good.begin() + 100), "zkrácený"},
            {"count beyond the items", damaged(layout_format::kCountOffset, 200), "zkrácený"},
            {"orientation 9", damaged(1, 9), "orientace"},
            {"text longer than its field", damaged(layout_format::kHeaderSize + layout_format::kTextOffset, 250),
             "položka 1"},
            {"font name longer than its field",
             damaged(layout_format::kHeaderSize + layout_format::kItemSize + layout_format::kFontOffset, 90),
             "položka 2"},
        };
        for (const Case& c : cases) {
            const QByteArray name(c.name);
            Window t;
            ReportLayout mine;
            mine.items.resize(1);
            mine.items[0].text = "moje";
            QVERIFY(saveLayoutFile((t.home / "Sestavy" / "moje.ses").string(), mine).ok());
            t.chosen = QString::fromStdString((t.home / "Sestavy" / "moje.ses").string());
            t.trigger("mi_otevri");
            t.home.writeBytes("Sestavy/zla.ses", c.bytes);
            const QString hostile = QString::fromStdString((t.home / "Sestavy" / "zla.ses").string());

            t.chosen = hostile;
            {
                const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
                t.trigger("mi_otevri");
                QVERIFY2(refused.opened(), name.constData());
                QVERIFY2(refused.text().contains(QString::fromUtf8(c.said)), qPrintable(refused.text()));
            }
            QCOMPARE(t.w->windowTitle(), QStringLiteral("Sestavy - moje.ses"));
            QCOMPARE(t.cell(0, 0), QStringLiteral("moje"));
            t.type(0, 0, QStringLiteral("změněno"));
            t.trigger("mi_uloz");
            QVERIFY(t.home.readBytes("Sestavy/zla.ses") == c.bytes);
            QCOMPARE(loadLayoutFile((t.home / "Sestavy" / "moje.ses").string())->items[0].text, std::string("změněno"));

            // The last session's layout, refused as the window is made: an untitled layout.
            t.config.writeString("Sestavy", "Soubor", hostile.toStdString());
            std::unique_ptr<ui::LayoutsWindow> again;
            {
                const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
                again = std::make_unique<ui::LayoutsWindow>(t.config, t.home / "Sestavy", QStringLiteral("Stanice 1"),
                                                            ui::LayoutsWindow::PrintLayout{});
                QVERIFY2(refused.opened(), name.constData());
                QVERIFY(refused.text().contains(QString::fromUtf8(c.said)));
            }
            QVERIFY(again->untitled());
            QCOMPARE(again->windowTitle(), QStringLiteral("Sestavy - Untitled.ses"));
            QVERIFY(again->close());
            QVERIFY(t.home.readBytes("Sestavy/zla.ses") == c.bytes);
        }
    }

    // A font size a file holds, even the most negative 32-bit one, reaches the font dialog
    // as a size it can show.
    void fontDialogShowsTheClampedSize()
    {
        Window t;
        ReportLayout layout;
        layout.items.resize(3);
        layout.items[0].fontSize = std::numeric_limits<std::int32_t>::min();
        layout.items[1].fontSize = -12;
        layout.items[2].fontSize = std::numeric_limits<std::int32_t>::max();
        QVERIFY(saveLayoutFile((t.home / "Sestavy" / "pisma.ses").string(), layout).ok());
        t.chosen = QString::fromStdString((t.home / "Sestavy" / "pisma.ses").string());
        t.trigger("mi_otevri");
        QCOMPARE(t.grid()->rowCount(), 3);
        for (const auto& [row, points] : {std::pair{0, 1000}, std::pair{1, 12}, std::pair{2, 1000}}) {
            int shown = 0;
            {
                const test::ModalAnswer look([&shown](QDialog* d) {
                    auto* dialog = qobject_cast<QFontDialog*>(d);
                    QVERIFY(dialog);
                    shown = dialog->currentFont().pointSize();
                    dialog->reject();
                });
                emit t.grid()->cellDoubleClicked(row, 5);
                QVERIFY(look.opened());
            }
            QCOMPARE(shown, points);
        }
        QVERIFY(!t.w->editing().modified());
    }

    void colourCellsTakeTheDialogsChoice()
    {
        Window t;
        t.click("btn_plus");
        {
            const test::ModalAnswer pick([](QDialog* d) {
                auto* dialog = qobject_cast<QColorDialog*>(d);
                QVERIFY(dialog);
                QCOMPARE(dialog->objectName(), QStringLiteral("dlg_barva"));
                dialog->setCurrentColor(QColor(255, 128, 0));
                dialog->accept();
            });
            emit t.grid()->cellDoubleClicked(0, 9);
            QVERIFY(pick.opened());
        }
        QCOMPARE(t.w->editing().layout().items[0].fillColour, 0x000080FFu);
        QCOMPARE(t.grid()->item(0, 9)->background().color(), QColor(255, 128, 0));
        QVERIFY(t.w->editing().modified());
        {
            const test::ModalAnswer cancelled([](QDialog* d) { d->reject(); });
            emit t.grid()->cellDoubleClicked(0, 10);
            QVERIFY(cancelled.opened());
        }
        QCOMPARE(t.w->editing().layout().items[0].frameColour, 0u);
    }

    void converterAndPrint()
    {
        Window t;
        t.find<QDoubleSpinBox>("ed_mm")->setValue(25.5);
        QCOMPARE(t.find<QLabel>("lb_jednotky")->text(), QStringLiteral("= 96"));
        t.click("btn_tisk");
        QCOMPARE(t.printed, 1);
        t.haveTest = false;
        {
            const auto refused = test::answerNextModal(QStringLiteral("zprava_ok"));
            t.trigger("mi_tisk");
            QVERIFY(refused.opened());
            QCOMPARE(refused.text(), QStringLiteral("Nelze"));
        }
    }

    void screenshot()
    {
        Window t;
        const char* texts[] = {"Zkušební protokol", "$B", "$D", "#K04 Ah", "#C04 %", "#R04", "#B04"};
        for (const char* text : texts) {
            t.click("btn_plus");
            const int row = t.grid()->rowCount() - 1;
            t.type(row, 0, QString::fromUtf8(text));
            t.type(row, 1, QString::number(20 + row * 10));
            t.type(row, 6, QStringLiteral("66"));
        }
        t.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.w.get()));
        snap(*t.w, "rep-sestavy");
        t.w->hide();
        QCOMPARE(t.grid()->rowCount(), 7);
    }
};

QTEST_MAIN(LayoutsWindowTest)
#include "layouts_window_test.moc"
