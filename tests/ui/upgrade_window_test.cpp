// The firmware upgrade window against kapsorel-sim's TFTP server: a ".BIN" file picked and
// sent with the progress bar up to the end and the log line by line, cancelling an upload,
// the refusal while a test runs, the file name kept, and the main window's "Upgrade FW" item.
#include "core/service/firmware_image.h"
#include "support/qt/modal_answer.h"
#include "support/qt/widgets.h"
#include "support/sim_process.h"
#include "support/sim_station.h"
#include "support/temp_home.h"
#include "ui/main/main_window.h"
#include "ui/service/firmware_upgrade_window.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using namespace kapsorel;
using test::snap;
using test::widget;

namespace {

constexpr std::uint16_t kSimTftpPort = 6969;

// A ".BIN" file of `size` image bytes; returns the image it descrambles to.
std::vector<std::uint8_t> writeBin(const test::TempHome& home, const std::string& name, std::size_t size)
{
    std::vector<std::uint8_t> file{3, 'K', 'P', 'S', 0x5A, 0x01, 0xC3, 0x10, 0x00, 0x7F, 0x80, 0x24};
    for (std::size_t i = 0; i < size; ++i)
        file.push_back(static_cast<std::uint8_t>(i * 11 + (i >> 9)));
    home.writeBytes(name, file);
    auto image = descrambleBin(file);
    return image ? *image : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> unhex(const std::string& text)
{
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

QStringList logLines(QWidget& u)
{
    return widget<QPlainTextEdit>(u, "log")->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class UpgradeWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void sendsAPickedFileWithProgressAndLog()
    {
        test::SimProcess sim({"--tftp-port", std::to_string(kSimTftpPort)});
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        const auto image = writeBin(home, "Zdroj.BIN", 400 * 512 + 77);
        ui::FirmwareUpgradeWindow u(w.runtime(), &w, {kSimTftpPort, {}});
        u.show();
        QVERIFY(QTest::qWaitForWindowExposed(&u));
        auto* bar = widget<QProgressBar>(u, "ProgressBar1");
        auto* send = widget<QPushButton>(u, "Posli");
        auto* cancel = widget<QPushButton>(u, "Prerus");
        QVERIFY(!bar->isVisible());
        QVERIFY(!cancel->isEnabled());

        widget<QLineEdit>(u, "Fname")->setText(QString::fromStdString((home / "Zdroj.BIN").string()));
        int highest = 0;
        bool snapped = false;
        connect(bar, &QProgressBar::valueChanged, &u, [&](int v) {
            highest = std::max(highest, v);
            if (v >= 40 && !snapped) {
                snapped = true;
                snap(u, QStringLiteral("fw-upload"));
            }
        });
        QTest::mouseClick(send, Qt::LeftButton);
        QVERIFY(!send->isEnabled());
        QVERIFY(cancel->isEnabled());
        QVERIFY(u.sending());
        QTRY_VERIFY_WITH_TIMEOUT(send->isEnabled(), 20000);
        QVERIFY(!u.sending());
        QVERIFY(!cancel->isEnabled());
        QCOMPARE(highest, 100);
        QVERIFY(!bar->isVisible());
        QCOMPARE(logLines(u), (QStringList{QStringLiteral("Update FW ->"),
                                           QStringLiteral("Cíl: ") + QString::fromStdString(sim.powerAddress()),
                                           QStringLiteral("Odesílání souboru Zdroj.BIN"), QStringLiteral("- - -"),
                                           QStringLiteral("Požadavek na zápis - 0"), QStringLiteral("Posílám data"),
                                           QStringLiteral("Soubor úspěšně odeslán"), QStringLiteral("Update FW -> OK"),
                                           QStringLiteral("Spojení přerušeno")}));
        QVERIFY(unhex(sim.value("tftp image")) == image);
        snap(u, QStringLiteral("fw-done"));

        // The file name is kept for the next opening.
        u.accept();
        ui::FirmwareUpgradeWindow again(w.runtime(), &w);
        QCOMPARE(widget<QLineEdit>(again, "Fname")->text(), QString::fromStdString((home / "Zdroj.BIN").string()));
    }

    void cancelEndsAnUploadThatWaits()
    {
        test::SimProcess sim({"--tftp-port", std::to_string(kSimTftpPort)});
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        writeBin(home, "fw.bin", 5000);
        // Block 1 is never acknowledged: the upload would wait 11 x 2 s.
        sim.value("tftp drop_ack 1");
        ui::FirmwareUpgradeWindow u(w.runtime(), &w, {kSimTftpPort, {}});
        u.show();
        widget<QLineEdit>(u, "Fname")->setText(QString::fromStdString((home / "fw.bin").string()));
        QTest::mouseClick(widget<QPushButton>(u, "Posli"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(logLines(u).contains(QStringLiteral("Posílám data")), 5000);
        QVERIFY(widget<QProgressBar>(u, "ProgressBar1")->isVisible());
        QTest::mouseClick(widget<QPushButton>(u, "Prerus"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(widget<QPushButton>(u, "Posli")->isEnabled(), 2000);
        const QStringList lines = logLines(u);
        QCOMPARE(lines.mid(lines.size() - 2),
                 (QStringList{QStringLiteral("Odesílání zrušeno"), QStringLiteral("Spojení přerušeno")}));
        QCOMPARE(sim.number("tftp.transfers"), 0.0);
    }

    void refusedWhileATestRuns()
    {
        test::SimProcess sim({"--tftp-port", std::to_string(kSimTftpPort)});
        test::TempHome home;
        test::writeSimStation(home, sim);
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        writeBin(home, "fw.bin", 100);
        ui::FirmwareUpgradeWindow u(w.runtime(), &w, {kSimTftpPort, {}});
        u.show();
        widget<QLineEdit>(u, "Fname")->setText(QString::fromStdString((home / "fw.bin").string()));
        w.runtime().station().run.setPhase(RunPhase::StepRunning);
        auto answer = test::answerNextModal(QStringLiteral("zprava_ok"));
        QTest::mouseClick(widget<QPushButton>(u, "Posli"), Qt::LeftButton);
        w.runtime().station().run.setPhase(RunPhase::Idle);
        QVERIFY(answer.opened());
        QVERIFY2(answer.text().contains(QStringLiteral("Během testu")), qPrintable(answer.text()));
        QVERIFY(!u.sending());
        QVERIFY(logLines(u).isEmpty());
        QCOMPARE(sim.number("tftp.requests"), 0.0);
    }

    void mainWindowItemOpensItForExpertsOnly()
    {
        test::TempHome home;
        home.writeText("Kapsorel.ini", "[Nastaveni]\nIP_adr_vyk=127.0.0.1\nIP_adr_mer=127.0.0.1\nStanice=Zkušebna\n");
        ui::MainWindow w(home.path(), home / "Kapsorel.ini", /*startWorkers=*/false);
        auto* item = w.findChild<QAction*>(QStringLiteral("TBXfw"));
        QVERIFY(item);
        QCOMPARE(int(w.userLevel()), 0);
        QVERIFY(!item->isVisible());
        {
            // An operator's trigger (the item is hidden from them) opens nothing.
            auto none = test::ModalAnswer([](QDialog*) {}, std::chrono::milliseconds(300));
            item->trigger();
            QTest::qWait(400);
            QVERIFY(!none.opened());
        }
        w.findChild<QAction*>(QStringLiteral("u_exp"))->trigger();
        QCOMPARE(int(w.userLevel()), 1);
        QVERIFY(item->isVisible());
        QVERIFY(item->isEnabled());
        QString title;
        QString object;
        auto answer = test::ModalAnswer([&](QDialog* d) {
            title = d->windowTitle();
            object = d->objectName();
            d->reject();
        });
        item->trigger();
        QVERIFY(answer.opened());
        QCOMPARE(object, QStringLiteral("TFupgrade"));
        QCOMPARE(title, QStringLiteral("Upgrade FW - Zkušebna"));
    }
};

QTEST_MAIN(UpgradeWindowTest)
#include "upgrade_window_test.moc"
