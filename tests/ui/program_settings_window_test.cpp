// The program settings window: each page's "OK" takes its edits and "Zruš" leaves them, the
// users page writes "Kapsorel.usr" and refills the main window's operator list, the texts
// grid round trip through "Texty.cfg" with its checked cells and the save question, icon
// size and panel position applied at once, the bars recoloured, and the power module
// parameters read and written against kapsorel-sim.
#include "core/app/user_list.h"
#include "core/reports/report_texts.h"
#include "support/battery_test_fixtures.h"
#include "support/qt/messages.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "support/sim_process.h"
#include "support/temp_home.h"
#include "ui/common/decimal_box.h"
#include "ui/main/main_window.h"
#include "ui/settings/power_parameters_page.h"
#include "ui/settings/program_settings_window.h"
#include "ui/settings/texts_page.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <sstream>

using namespace kapsorel;
using test::snap;
using test::widget;

namespace {

void click(QWidget& root, const char* name)
{
    widget<QPushButton>(root, name)->click();
}

void writeIni(const test::TempHome& home, const std::string& extra = {}, const test::SimProcess* sim = nullptr)
{
    std::ostringstream ini;
    ini << "[Nastaveni]\nStanice=Zkušebna\n";
    if (sim)
        ini << "IP_adr_vyk=" << sim->powerAddress() << "\nIP_adr_mer=" << sim->measureAddress()
            << "\nTCP_Port_vyk=" << sim->tcpPort() << "\nTCP_Port_mer=" << sim->tcpPort() << "\n";
    else
        ini << "IP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\n";
    ini << extra;
    home.writeText("Kapsorel.ini", ini.str());
}

// Opens "Nastavení programu" from the main window and runs `act` on the window while it is up.
bool throughMenu(ui::MainWindow& w, const std::function<void(QDialog*)>& act)
{
    test::ModalAnswer answer(act);
    w.findChild<QAction*>(QStringLiteral("TBXprogram"))->trigger();
    return answer.opened();
}

QStringList operatorsOf(QWidget& main)
{
    auto* box = widget<QComboBox>(main, "cmeril");
    QStringList names;
    for (int i = 0; i < box->count(); ++i)
        names << box->itemText(i);
    return names;
}

ui::ProgramSettingsWindow& programSettings(ui::MainWindow& w)
{
    auto* s = w.findChild<ui::ProgramSettingsWindow*>();
    if (!s)
        qFatal("no program settings window");
    return *s;
}

} // namespace

class ProgramSettingsWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void menuItemOpensTheWindowAndEveryPageIsShown()
    {
        test::TempHome home;
        writeIni(home, "Expert=2\n");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        QVERIFY(w.findChild<QAction*>(QStringLiteral("TBXprogram"))->isEnabled());
        bool sawParameters = false;
        QVERIFY(throughMenu(w, [&](QDialog* d) {
            QCOMPARE(d->objectName(), QStringLiteral("TFnastaveni_programu"));
            QCOMPARE(d->windowTitle(), QStringLiteral("Nastavení programu - Zkušebna"));
            auto* pages = widget<QTabWidget>(*d, "PageControl1");
            const char* const names[] = {"adresar", "uzivatele", "baterie", "texty", "ostatni", "parametry"};
            for (int i = 0; i < pages->count(); ++i) {
                pages->setCurrentIndex(i);
                QVERIFY(pages->isTabVisible(i));
                snap(*d, QStringLiteral("prog-%1").arg(QString::fromLatin1(names[i])));
            }
            sawParameters = pages->tabText(5) == QStringLiteral("  Parametry  ");
            QVERIFY(!widget<QComboBox>(*d, "Ctyphw")->isHidden());
            pages->setCurrentIndex(2);
        }));
        QVERIFY(sawParameters);
        // The page shown last is kept with the placement.
        QCOMPARE(w.runtime().config().readInt("TFnastaveni_programu", "Stranka", -1), 2);
    }

    void serviceOnlyControlsFollowTheUserLevel()
    {
        test::TempHome home;
        writeIni(home, "Expert=0\n");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        QVERIFY(throughMenu(w, [&](QDialog* d) {
            auto* pages = widget<QTabWidget>(*d, "PageControl1");
            QVERIFY(!pages->isTabVisible(pages->indexOf(widget<QWidget>(*d, "TSparametry"))));
            QVERIFY(widget<QComboBox>(*d, "Ctyphw")->isHidden());
            QVERIFY(widget<QLabel>(*d, "LDruhHW")->isHidden());
        }));
        auto& s = programSettings(w);
        s.prepare(1);
        QVERIFY(!widget<QComboBox>(s, "Ctyphw")->isHidden());
        auto* pages = widget<QTabWidget>(s, "PageControl1");
        QVERIFY(!pages->isTabVisible(pages->indexOf(widget<QWidget>(s, "TSparametry"))));
    }

    void usersOkWritesTheFileAndRefillsTheOperatorList()
    {
        test::TempHome home;
        writeIni(home, "Uziv=Dvořák\n");
        QVERIFY(writeUserList(home / "Kapsorel.usr", {"Adam", "Bureš", "Cibulka", "Dvořák", "Eliáš"}).ok());
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        QCOMPARE(widget<QComboBox>(w, "cmeril")->currentText(), QStringLiteral("Dvořák"));
        const auto before = home.readBytes("Kapsorel.usr");

        // "Zruš" leaves the file and the list.
        QVERIFY(throughMenu(w, [&](QDialog* d) {
            auto* grid = widget<QTableWidget>(*d, "guziv");
            QCOMPARE(grid->rowCount(), 5);
            grid->setCurrentCell(0, 0);
            click(*d, "uziv_minus");
            click(*d, "uziv_zrus");
        }));
        QCOMPARE(home.readBytes("Kapsorel.usr"), before);
        QCOMPARE(operatorsOf(w).size(), 5);

        // Two of five removed, one added with 35 characters: four records, the name cut to 29.
        const QString longName = QStringLiteral("Žaneta Příliš Dlouhé Jméno Operáto");
        QCOMPARE(longName.size(), 34);
        const QString name35 = longName + QStringLiteral("r");
        QVERIFY(throughMenu(w, [&](QDialog* d) {
            auto* grid = widget<QTableWidget>(*d, "guziv");
            QCOMPARE(grid->rowCount(), 5);
            widget<QTabWidget>(*d, "PageControl1")->setCurrentWidget(widget<QWidget>(*d, "TSuzivatele"));
            snap(*d, QStringLiteral("prog-uzivatele-rows"));
            grid->setCurrentCell(1, 0);
            click(*d, "uziv_minus");
            grid->setCurrentCell(2, 0); // "Dvořák" after the removal
            click(*d, "uziv_minus");
            click(*d, "uziv_plus");
            grid->item(3, 0)->setText(name35);
            click(*d, "uziv_ok");
        }));
        const auto read = readUserList(home / "Kapsorel.usr");
        const std::vector<std::string> expected = {"Adam", "Cibulka", "Eliáš", name35.left(29).toStdString()};
        QCOMPARE(read.names, expected);
        QCOMPARE(home.readBytes("Kapsorel.usr").size(), 4 * kUserRecordSize);
        QCOMPARE(operatorsOf(w), (QStringList{QStringLiteral("Adam"), QStringLiteral("Cibulka"),
                                              QStringLiteral("Eliáš"), name35.left(29)}));
        // The selected operator is gone: the first entry is selected.
        QCOMPARE(widget<QComboBox>(w, "cmeril")->currentText(), QStringLiteral("Adam"));
    }

    void batteryOkRecoloursTheBarsAndZrusLeavesTheSettings()
    {
        test::TempHome home;
        writeIni(home);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        const StationSettings before = w.runtime().settings();
        // 0 V cells lie below the OK minimum (the fault limit is -0.60 V).
        QCOMPARE(before.cellFailLimit, -0.6f);
        QCOMPARE(w.diagram().cellBar(0).colours, before.cellBelowOkColours);
        QVERIFY(before.cellBelowOkColours != before.cellOtherColours);

        QVERIFY(throughMenu(w, [&](QDialog* d) {
            widget<ui::DecimalBox>(*d, "PBnb_ok_min")->setValue(-0.5);
            click(*d, "baterie_zrus");
        }));
        QCOMPARE(w.runtime().settings(), before);
        QCOMPARE(w.diagram().cellBar(0).colours, before.cellBelowOkColours);

        QVERIFY(throughMenu(w, [&](QDialog* d) {
            QCOMPARE(widget<ui::DecimalBox>(*d, "PBnb_ko")->value(), -0.6);
            QCOMPARE(widget<ui::DecimalBox>(*d, "PBnb_ok_min")->value(), 1.0);
            widget<ui::DecimalBox>(*d, "PBnb_ok_min")->setValue(-0.5);
            click(*d, "baterie_ok");
        }));
        QCOMPARE(w.runtime().settings().cellOkMinimum, -0.5f);
        QCOMPARE(w.runtime().settings().cellFailLimit, -0.6f);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(w.diagram().cellBar(i).colours, before.cellOtherColours);
        // The program writes the thresholds at its end.
        QVERIFY(w.runtime().saveSettings().ok());
        const std::string ini = home.readText("Kapsorel.ini");
        QVERIFY(ini.find("DNB_OK_MIN=-50") != std::string::npos);
    }

    void foldersAndOtherPages()
    {
        test::TempHome home;
        writeIni(home, "Expert=1\n");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        const std::string data = (home.path() / "Jinde").string();

        QVERIFY(throughMenu(w, [&](QDialog* d) {
            widget<QLineEdit>(*d, "Ldataadr")->setText(QString::fromStdString(data));
            click(*d, "adresar_zrus");
        }));
        QVERIFY(w.runtime().settings().dataFolder != data);
        QVERIFY(throughMenu(w, [&](QDialog* d) {
            widget<QLineEdit>(*d, "Ldataadr")->setText(QString::fromStdString(data));
            widget<QLineEdit>(*d, "Ldataarch")->setText(QStringLiteral("/tmp/archiv"));
            click(*d, "adresar_ok");
        }));
        QCOMPARE(w.runtime().settings().dataFolder, data);
        QCOMPARE(w.runtime().dataFolder(), std::filesystem::path(data));
        QCOMPARE(w.runtime().archiveFolder(), std::filesystem::path("/tmp/archiv"));

        // Icon size at once, put back by "Zruš"; the panel position at once.
        auto* toolbar = w.findChild<QToolBar*>();
        QVERIFY(toolbar);
        const QSize small = toolbar->iconSize();
        QVERIFY(throughMenu(w, [&](QDialog* d) {
            widget<QComboBox>(*d, "CBikony")->setCurrentIndex(2);
            QVERIFY(toolbar->iconSize().width() > small.width());
            widget<QComboBox>(*d, "Lum_hl")->setCurrentIndex(1);
            QCOMPARE(readPanelPosition(w.runtime().config()), 1);
            widget<QSpinBox>(*d, "terr_sir")->setValue(42);
            click(*d, "ostatni_zrus");
        }));
        QCOMPARE(toolbar->iconSize(), small);
        QVERIFY(w.runtime().settings().faultSignallingSeconds != 42);
        QCOMPARE(w.runtime().settings().panelPosition, 1);

        QVERIFY(throughMenu(w, [&](QDialog* d) {
            widget<QComboBox>(*d, "CBikony")->setCurrentIndex(1);
            widget<QSpinBox>(*d, "terr_sir")->setValue(42);
            widget<QComboBox>(*d, "Ctyphw")->setCurrentIndex(1);
            widget<QCheckBox>(*d, "lprpr")->setChecked(true);
            click(*d, "ostatni_ok");
        }));
        QCOMPARE(w.runtime().settings().iconSize, std::uint8_t{1});
        QVERIFY(toolbar->iconSize().width() > small.width());
        QCOMPARE(w.runtime().settings().faultSignallingSeconds, std::uint8_t{42});
        QCOMPARE(w.runtime().station().errorSirenSeconds.load(), std::uint8_t{42});
        QCOMPARE(w.runtime().settings().hardwareKind, std::uint8_t{1});
        QVERIFY(w.runtime().settings().ignoreInterruptions);
    }

    void textsRoundTripWithCheckedCellsAndTheSaveQuestion()
    {
        test::TempHome home;
        writeIni(home);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        const auto file = reportTextsPath(home.path());
        QVERIFY(throughMenu(w, [&](QDialog* d) {
            auto* grid = widget<QTableWidget>(*d, "gtexty");
            QCOMPARE(grid->rowCount(), 0);
            click(*d, "texty_plus");
            click(*d, "texty_plus");
            grid->item(0, 0)->setText(QStringLiteral("P1"));
            grid->item(0, 2)->setText(QStringLiteral("Kapacitní zkouška"));
            grid->item(1, 0)->setText(QStringLiteral("P2"));
            grid->item(1, 3)->setText(QStringLiteral("Poznámka"));
            // 300 does not fit "Hodnota": refused, the cell keeps its value.
            {
                auto refusal = test::answerNextModal(QStringLiteral("zprava_ok"));
                grid->item(1, 1)->setText(QStringLiteral("300"));
                QVERIFY(refusal.opened());
                QVERIFY(refusal.text().contains(QStringLiteral("Hodnota")));
            }
            QCOMPARE(grid->item(1, 1)->text(), QStringLiteral("0"));
            {
                auto refusal = test::answerNextModal(QStringLiteral("zprava_ok"));
                grid->item(1, 3)->setText(QStringLiteral("Strana"));
                QVERIFY(refusal.opened());
            }
            QCOMPARE(grid->item(1, 3)->text(), QStringLiteral("Poznámka"));
            grid->item(1, 1)->setText(QStringLiteral("255"));
            grid->item(1, 4)->setText(QStringLiteral("12"));
            // "^" moves the second row up.
            grid->setCurrentCell(1, 0);
            click(*d, "texty_nahoru");
            QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("P2"));
            widget<QTabWidget>(*d, "PageControl1")->setCurrentWidget(widget<QWidget>(*d, "TStexty"));
            snap(*d, QStringLiteral("prog-texty-rows"));
            click(*d, "texty_ok");
        }));
        auto texts = readReportTexts(file);
        QVERIFY(texts.ok());
        QCOMPARE(texts->size(), std::size_t{2});
        QCOMPARE((*texts)[0], (ReportText{"P2", 255, "", ReportTextPosition::Note, 12, 0}));
        QCOMPARE((*texts)[1].text, std::string("Kapacitní zkouška"));
        const auto saved = home.readBytes("Postupy/Texty.cfg");
        QCOMPARE(saved.size(), 2 + 2 * kReportTextRecordSize);

        // Edits, "Zruš", answered "Ne": the file stays and the grid shows it again.
        QVERIFY(throughMenu(w, [&](QDialog* d) {
            auto* grid = widget<QTableWidget>(*d, "gtexty");
            QCOMPARE(grid->rowCount(), 2);
            grid->setCurrentCell(0, 0);
            click(*d, "texty_minus");
            auto question = test::answerNextModal(QStringLiteral("ask_ne"));
            click(*d, "texty_zrus");
            QVERIFY(question.opened());
            QVERIFY(question.text().contains(QStringLiteral("Provedeny změny v textech.  Uložit?  ")));
            QCOMPARE(grid->rowCount(), 2);
        }));
        QCOMPARE(home.readBytes("Postupy/Texty.cfg"), saved);

        // Edits closed with another page's "OK", answered "Ano": saved.
        QVERIFY(throughMenu(w, [&](QDialog* d) {
            click(*d, "texty_plus");
            auto question = test::answerNextModal(QStringLiteral("ask_ano"));
            click(*d, "adresar_ok");
            QVERIFY(question.opened());
        }));
        QCOMPARE(home.readBytes("Postupy/Texty.cfg").size(), 2 + 3 * kReportTextRecordSize);
    }

    void aShortTextsFileIsRefusedWithAMessage()
    {
        test::TempHome home;
        writeIni(home);
        std::filesystem::create_directories(home.path() / "Postupy");
        home.writeBytes("Postupy/Texty.cfg", {2, 0, 1, 'P'});
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.show();
        auto refusal = test::answerNextModal(QStringLiteral("zprava_ok"));
        ui::ProgramSettingsWindow s(w.runtime(), {}, &w);
        QVERIFY(refusal.opened());
        QVERIFY(refusal.text().contains(QStringLiteral("Texty.cfg")));
        QCOMPARE(widget<QTableWidget>(s, "gtexty")->rowCount(), 0);
        QCOMPARE(home.readBytes("Postupy/Texty.cfg").size(), std::size_t{4});
    }

    void interruptionsCheckBoxDecidesHowATestFileOpens()
    {
        using namespace kapsorel::test;
        test::TempHome home;
        writeIni(home);
        const double start = dayTimeOf(2024, 3, 5, 7, 9);
        auto file = fixedPart(4, 1, start);
        append(file, sampleBytes(4, plusSeconds(start, 10), 0, 24.0f, 5.0f, 0.25f, 20.0f, 1.2f));
        append(file, markerBytes(4, 1));
        append(file, resumeBytes(plusSeconds(start, 700), 0, plusSeconds(start, 100), 1));
        append(file, sampleBytes(4, plusSeconds(start, 710), 0, 24.5f, 5.0f, 0.5f, 20.0f, 1.3f));
        home.writeBytes("zkouska.tst", file);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        const auto interruptionRows = [&] {
            const auto& rows = w.steps().rows();
            return std::count_if(rows.begin(), rows.end(), [](const StepRow& r) { return r.interruption; });
        };

        QVERIFY(!w.runtime().settings().ignoreInterruptions); // off at every start
        QVERIFY(w.openTestFileAt(home / "zkouska.tst"));
        QCOMPARE(interruptionRows(), 1);
        QCOMPARE(w.samples().size(), std::size_t{2});
        const auto axisWithout = w.samples().row(1).x;

        QVERIFY(throughMenu(w, [&](QDialog* d) {
            QVERIFY(!widget<QCheckBox>(*d, "lprpr")->isChecked());
            widget<QCheckBox>(*d, "lprpr")->setChecked(true);
            click(*d, "ostatni_ok");
        }));
        QVERIFY(w.openTestFileAt(home / "zkouska.tst"));
        QCOMPARE(interruptionRows(), 0);
        // The interruption stays on the time axis.
        QCOMPARE(w.samples().row(1).x, axisWithout + 600);
    }

    void powerParametersReadAndWriteAgainstTheSimulator()
    {
        test::SimProcess sim;
        test::TempHome home;
        writeIni(home, "Expert=2\n", &sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        w.runtime().applySettings();
        QVERIFY(throughMenu(w, [](QDialog*) {}));
        auto& s = programSettings(w);
        s.prepare(2);
        s.show();
        auto* pages = widget<QTabWidget>(s, "PageControl1");
        pages->setCurrentWidget(widget<QWidget>(s, "TSparametry"));
        auto* read = widget<QPushButton>(s, "parametry_nacti");
        auto* write = widget<QPushButton>(s, "parametry_uloz");
        auto* delay = widget<QSpinBox>(s, "Pzdelay");
        auto* voltage = widget<ui::DecimalBox>(s, "pmin_nap");
        QVERIFY(widget<QLabel>(s, "parametry_poznamka")->text().contains(QStringLiteral("336")));
        QVERIFY(!write->isEnabled());

        // A failed read (status 4): a message, the fields and "Ulož" unchanged.
        QCOMPARE(sim.command("status power SR 4"), std::string("OK"));
        delay->setValue(3);
        {
            auto refusal = test::answerNextModal(QStringLiteral("zprava_ok"), std::chrono::milliseconds(15000));
            read->click();
            QVERIFY(!read->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(refusal.opened(), 15000);
            QVERIFY(refusal.text().startsWith(QStringLiteral("Nenačteno")));
        }
        QTRY_VERIFY_WITH_TIMEOUT(read->isEnabled(), 15000);
        QCOMPARE(delay->value(), 3);
        QVERIFY(!write->isEnabled());
        QCOMPARE(sim.command("status power SR 0"), std::string("OK"));

        sim.command("clear frames");
        read->click();
        QTRY_VERIFY_WITH_TIMEOUT(write->isEnabled(), 15000);
        QCOMPARE(delay->value(), 10);
        QCOMPARE(voltage->value(), 1.0);
        snap(s, QStringLiteral("prog-parametry-read"));
        delay->setValue(25);
        voltage->setValue(0.7);
        write->click();
        QVERIFY(!write->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(write->isEnabled(), 15000);
        const auto frames = sim.frames("power");
        QCOMPARE(frames.size(), std::size_t{2});
        const std::vector<std::uint8_t> request = {'#', 'S', 'R', 0, 3, 0, 0x50, 0x01, 5};
        QCOMPARE(frames[0], request);
        QCOMPARE(frames[1].size(), std::size_t{6 + 8});
        QCOMPARE(frames[1][1], std::uint8_t{'S'});
        QCOMPARE(frames[1][2], std::uint8_t{'W'});
        QCOMPARE(frames[1][3], std::uint8_t{1});
        QCOMPARE(frames[1][4], std::uint8_t{8});
        QCOMPARE(frames[1][6], std::uint8_t{0x50});
        QCOMPARE(frames[1][7], std::uint8_t{0x01});
        QCOMPARE(frames[1][8], std::uint8_t{5});
        QCOMPARE(frames[1][9], std::uint8_t{25});

        // A refused write is reported.
        QCOMPARE(sim.command("status power SW 3"), std::string("OK"));
        {
            auto refusal = test::answerNextModal(QStringLiteral("zprava_ok"), std::chrono::milliseconds(15000));
            write->click();
            QTRY_VERIFY_WITH_TIMEOUT(refusal.opened(), 15000);
            QVERIFY(refusal.text().startsWith(QStringLiteral("Nezapsáno")));
        }
        QTRY_VERIFY_WITH_TIMEOUT(write->isEnabled(), 15000);
        s.reject();
    }
};

QTEST_MAIN(ProgramSettingsWindowTest)
#include "program_settings_window_test.moc"
