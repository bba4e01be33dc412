// The module settings window's menu "Soubor" against kapsorel-sim: both modules saved into a
// settings file and opened in a fresh window (every page equal, the loaded blocks writable),
// a cut file refused with the fields unchanged, a file that is no settings file replaced
// only when the user says so.
#include "core/base/bytes.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "support/sim_process.h"
#include "support/sim_station.h"
#include "support/temp_home.h"
#include "support/windows/station_windows.h"
#include "ui/main/main_window.h"
#include "ui/service/module_settings_window.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <cmath>
#include <fstream>
#include <functional>
#include <random>

using namespace kapsorel;
using test::widget;

namespace {

// Triggers a "Soubor" item and picks `path` in its file dialog.
void fileItem(QWidget& window, const char* item, const std::filesystem::path& path)
{
    const test::ModalAnswer chosen([path](QDialog* box) {
        auto* dialog = qobject_cast<QFileDialog*>(box);
        QVERIFY(dialog);
        QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("bts"));
        // Typed into the name field, as a user would (a selection in the list follows the
        // folder's listing, which may not be read yet).
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(QString::fromStdString(path.string()));
        box->accept(); // QFileDialog::accept, which takes the selected file
    });
    window.findChild<QAction*>(QString::fromLatin1(item))->trigger();
    QVERIFY2(chosen.opened(), item);
}

// What the pages of both modules show, for comparing two windows.
QStringList shown(QWidget& w)
{
    QStringList values;
    for (const char* name : {"pipadr", "pmaska", "muziv", "mbrana", "konst_I2C_AD_0", "konst_I2C_AD_4",
                             "konst_SPI_AD_0", "mkonst_c", "mkonst_i2"})
        values << QString::number(
            widget<QLineEdit>(w, name)->text().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(), 'g', 8);
    for (const char* name : {"pfan_dobeh", "offs_I2C_AD_1", "offs_SPI_AD_0", "moffs_i1", "ptcp2", "mudpport2"})
        values << QString::number(widget<QSpinBox>(w, name)->value());
    for (const char* name : {"max_tp", "odp_del"})
        values << QString::number(widget<QDoubleSpinBox>(w, name)->value());
    return values;
}

std::vector<char> fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::filesystem::path& path, const std::vector<char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void putSingle(std::vector<char>& file, std::size_t at, float v)
{
    ByteWriter w;
    w.single(v);
    for (std::size_t i = 0; i < 4; ++i)
        file[at + i] = static_cast<char>(w.data()[i]);
}

} // namespace

class SettingsFileMenuTest : public QObject {
    Q_OBJECT

    static void readAll(ui::ModuleSettingsWindow& s)
    {
        auto* tabs = widget<QTabWidget>(s, "PageControl1");
        s.findChild<QAction*>(QStringLiteral("NactiVse"))->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(tabs->isEnabled(), 20000);
        QCOMPARE(widget<QLabel>(s, "lstatus")->text(), QString());
    }

  private slots:
    void savesBothModulesAndOpensThemInAFreshWindow()
    {
        test::SimProcess sim;
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = test::openModuleSettings(w);
        readAll(s);
        // Fields of every kind changed without writing them: the file takes what is shown.
        widget<QSpinBox>(s, "pfan_dobeh")->setValue(77);
        widget<QDoubleSpinBox>(s, "max_tp")->setValue(66.5);
        widget<QLineEdit>(s, "konst_I2C_AD_4")->setText(QStringLiteral("0.0012345"));
        widget<QSpinBox>(s, "offs_SPI_AD_0")->setValue(-12);
        widget<QLineEdit>(s, "mkonst_i2")->setText(QStringLiteral("1.25"));
        const QStringList before = shown(s);

        const auto path = home / "stanice.bts";
        fileItem(s, "SUlozVse", path);
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(path) && widget<QLabel>(s, "lstatus")->text().isEmpty(),
                                 10000);
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(path).size(), std::size_t{478}, 10000);

        ui::ModuleSettingsWindow fresh(w.runtime());
        QVERIFY(shown(fresh) != before);
        fileItem(fresh, "SOtevriVse", path);
        QCOMPARE(widget<QLabel>(fresh, "lstatus")->text(), QString());
        QCOMPARE(shown(fresh), before);

        // The loaded blocks count as known: the fresh window may write them.
        sim.command("clear frames");
        QTest::mouseClick(widget<QPushButton>(fresh, "nuloz"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(widget<QPushButton>(fresh, "nuloz")->isEnabled(), 15000);
        QCOMPARE(widget<QLabel>(fresh, "lstatus")->text(), QString());
        QCOMPARE(sim.frames("power").size(), std::size_t{1});
    }

    void aCutFileIsRefusedAndChangesNoField()
    {
        test::TempHome home;
        test::SimProcess sim;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = test::openModuleSettings(w);
        readAll(s);
        widget<QSpinBox>(s, "pfan_dobeh")->setValue(4321);
        const QStringList before = shown(s);
        const auto path = home / "kratky.bts";
        {
            std::ofstream out(path, std::ios::binary);
            std::vector<char> bytes(120, 9);
            bytes[0] = 2;
            bytes[1] = 1;
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        for (const char* item : {"SOtevriV", "SOtevriVse"}) {
            fileItem(s, item, path);
            QVERIFY2(
                widget<QLabel>(s, "lstatus")->text().contains(QStringLiteral("není soubor nastavení (délka 120 B")),
                item);
            QCOMPARE(shown(s), before);
        }
        // A power-only file holds no measurement section.
        const auto power = home / "vykon.bts";
        fileItem(s, "SUlozV", power);
        QTRY_VERIFY2_WITH_TIMEOUT(fileBytes(power).size() == 234, qPrintable(widget<QLabel>(s, "lstatus")->text()),
                                  10000);
        QCOMPARE(widget<QLabel>(s, "lstatus")->text(), QString());
        fileItem(s, "SOtevriM", power);
        QCOMPARE(widget<QLabel>(s, "lstatus")->text(), QStringLiteral("Neni m. modul"));
    }

    void aFileThatIsNoSettingsFileIsReplacedOnlyOnYes()
    {
        test::TempHome home;
        test::SimProcess sim;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto& s = test::openModuleSettings(w);
        readAll(s);
        const auto path = home / "poznamky.bts";
        home.writeText("poznamky.bts", "nejsou to nastaveni\n");
        const auto text = fileBytes(path);

        const struct {
            const char* button;
            std::size_t size;
        } answers[] = {{"ask_ne", text.size()}, {"ask_ano", 234}};
        for (const auto& a : answers) {
            // The question comes once the save has looked at the file, after the dialog.
            fileItem(s, "SUlozV", path);
            const auto question =
                test::answerNextModal(QString::fromLatin1(a.button), std::chrono::milliseconds(15000));
            QTRY_VERIFY_WITH_TIMEOUT(question.opened(), 15000);
            QVERIFY(question.text().contains(QStringLiteral("není soubor nastavení")));
            QTRY_COMPARE_WITH_TIMEOUT(fileBytes(path).size(), a.size, 10000);
        }
        QVERIFY(fileBytes(path) != text);
    }

    // Hostile files: each open shows a message naming what is wrong, changes no field, leaves
    // the file as it was and makes nothing known, so the writes that follow send nothing.
    void hostileFilesAreRefusedNothingWrittenNothingSent()
    {
        test::TempHome home;
        test::SimProcess sim;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        // A good file of both modules as read; the hostile ones open in a window that read nothing.
        auto& reader = test::openModuleSettings(w);
        readAll(reader);
        const auto good = home / "dobry.bts";
        fileItem(reader, "SUlozVse", good);
        QTRY_COMPARE_WITH_TIMEOUT(fileBytes(good).size(), std::size_t{478}, 10000);
        const std::vector<char> base = fileBytes(good);
        ui::ModuleSettingsWindow s(w.runtime());
        auto* status = widget<QLabel>(s, "lstatus");
        // Power section at 2: network, ports, then the settings block, the ADC image, the sections.
        constexpr std::size_t settings = 2 + 35 + 23;
        constexpr std::size_t adc = settings + 41;
        constexpr std::size_t sections = adc + 58;
        constexpr std::size_t cells = 234 + 35 + 23; // measurement section at 234
        std::mt19937 random(602);
        std::vector<char> noise(602);
        for (char& c : noise)
            c = static_cast<char>(random() & 0xFF);
        noise[1] = 1;
        struct Case {
            const char* what;
            std::function<void(std::vector<char>&)> spoil;
            const char* item;
            const char* message;
        };
        const Case cases[] = {
            {"constant +inf", [&](auto& f) { putSingle(f, adc + 4, INFINITY); }, "SOtevriV",
             "záznam 0: „Konstanta“ není konečné číslo (inf)"},
            {"constant NaN", [&](auto& f) { putSingle(f, adc + 5 * 8 + 4, std::nanf("")); }, "SOtevriV",
             "záznam 5: „Konstanta“ není konečné číslo (nan)"},
            {"pdiff_pr NaN", [&](auto& f) { putSingle(f, settings, std::nanf("")); }, "SOtevriV", "(pdiff_pr)"},
            {"pfet_cur 1e30", [&](auto& f) { putSingle(f, settings + 4, 1e30f); }, "SOtevriV",
             "(pfet_cur) = 1e+30 je mimo rozsah"},
            {"counts 200/200", [&](auto& f) { f[sections] = f[sections + 1] = static_cast<char>(200); }, "SOtevriV",
             "„Počet odporů“ = 200"},
            {"both sections spoilt",
             [&](auto& f) {
                 putSingle(f, settings + 4, 1e30f);
                 putSingle(f, cells + 4, -INFINITY);
             },
             "SOtevriVse", "kalibrace měřícího modulu, záznam 0: „Konstanta“ není konečné číslo (-inf)"},
            {"cell constant NaN", [&](auto& f) { putSingle(f, cells + 7 * 8 + 4, std::nanf("")); }, "SOtevriM",
             "kalibrace měřícího modulu, záznam 7"},
            {"random 602 bytes, byte 1 = 1", [&](auto& f) { f = noise; }, "SOtevriVse",
             "není soubor nastavení (délka 602 B"},
        };
        const QStringList before = shown(s);
        const auto path = home / "zly.bts";
        for (const Case& c : cases) {
            std::vector<char> bytes = base;
            c.spoil(bytes);
            writeBytes(path, bytes);
            status->clear();
            fileItem(s, c.item, path);
            QVERIFY2(status->text().contains(QString::fromUtf8(c.message)), qPrintable(status->text()));
            QCOMPARE(shown(s), before);
            QCOMPARE(fileBytes(path), bytes);
            // Nothing became known: both whole-module writes are refused before any request.
            sim.command("clear frames");
            for (const char* write : {"UlozV", "UlozM"}) {
                status->clear();
                s.findChild<QAction*>(QString::fromLatin1(write))->trigger();
                QTRY_VERIFY_WITH_TIMEOUT(widget<QTabWidget>(s, "PageControl1")->isEnabled(), 15000);
                QVERIFY2(!status->text().isEmpty(), c.what);
            }
            QVERIFY2(sim.frames("power").empty() && sim.frames("measure").empty(), c.what);
        }
        QCOMPARE(fileBytes(good), base);
    }
};

QTEST_MAIN(SettingsFileMenuTest)
#include "settings_file_menu_test.moc"
