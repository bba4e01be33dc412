// The installed program from the Debian package, unpacked into a temporary root (the folder
// KAPSOREL_PACKAGE_ROOT names; scripts/package-test sets it): the first start's choice,
// answered by keyboard, makes the demo station from the package's own demo files, and the
// package's program runs offscreen on it, answers a second start by bringing its window
// forward, and ends on SIGTERM along its ordinary exit path.
#include "core/app/config_file.h"
#include "core/app/instance_lock.h"
#include "core/app/station_folder.h"
#include "support/qt/modal_answer.h"
#include "support/temp_home.h"
#include "ui/main/first_start.h"
#include "ui/main/instance_raise.h"

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <unistd.h>

using namespace kapsorel;

class PackageWindowTest : public QObject {
    Q_OBJECT

    std::filesystem::path root_;

  private slots:
    void initTestCase()
    {
        root_ = qEnvironmentVariable("KAPSOREL_PACKAGE_ROOT").toStdString();
        QVERIFY2(!root_.empty(), "KAPSOREL_PACKAGE_ROOT names the unpacked package");
        QVERIFY(std::filesystem::is_regular_file(root_ / "usr/bin/kapsorel"));
    }

    void firstStartMakesTheDemoStationAndThePackagedProgramRunsOnIt()
    {
        const std::filesystem::path exeDir = root_ / "usr/bin";
        test::TempHome home;
        const std::filesystem::path userData = home / "data/kapsorel";
        // The rule the program follows: installed, nothing named, nothing there yet.
        const StationFolderChoice choice =
            chooseStationFolder({std::nullopt, std::nullopt, exeDir, userData, std::nullopt});
        QVERIFY(choice.installed);
        QVERIFY(choice.firstStart);
        QCOMPARE(choice.folder, userData);

        // Enter takes the default button, "Vytvořit ukázkovou stanici".
        QString asked;
        auto answer = test::ModalAnswer([&](QDialog* box) {
            asked = box->objectName();
            QTest::keyClick(box, Qt::Key_Return);
        });
        const auto station = ui::runFirstStart(choice, installedDemoFolder(exeDir), userData);
        QVERIFY(answer.opened());
        QCOMPARE(asked, QStringLiteral("prvni_spusteni"));
        QVERIFY(station.has_value());
        QCOMPARE(*station, userData);
        for (const char* file :
             {"Kapsorel.ini", "Kapsorel.usr", "Postupy/Postupy.idx", "Postupy/Baterie.cfg", "Sestavy/Protokol.ses"})
            QVERIFY2(std::filesystem::is_regular_file(userData / file), file);

        // Module addresses of its own, so no other station on this machine shares its lock.
        const std::string power = "127.0.9." + std::to_string(10 + ::getpid() % 200);
        {
            ConfigFile config = ConfigFile::loadForStation(userData / "Kapsorel.ini");
            config.writeString("Nastaveni", "IP_adr_vyk", power);
            config.writeString("Nastaveni", "IP_adr_mer", "127.0.9.250");
            QVERIFY(config.save().ok());
        }

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), QString::fromStdString(home.path().string()));
        env.remove(QStringLiteral("KAPSOREL_STATION"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QString::fromStdString((exeDir / "kapsorel").string()),
                      {QStringLiteral("--station"), QString::fromStdString(userData.string())});
        QVERIFY(program.waitForStarted());

        // The window is up once it answers on its instance lock.
        const QString socket = QString::fromStdString(InstanceLock(InstanceLock::nameFor(power)).socketName());
        QTRY_VERIFY_WITH_TIMEOUT(ui::askRunningInstanceToRaise(socket, 500), 30000);

        // A second start of the packaged program for the same station: exit status 0 at once.
        QProcess second;
        second.setProcessEnvironment(env);
        second.start(QString::fromStdString((exeDir / "kapsorel").string()),
                     {QStringLiteral("--station"), QString::fromStdString(userData.string())});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(program.state(), QProcess::Running);

        // The session's end: the ordinary exit path saves the settings and writes the
        // shutdown log in the station folder.
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(std::filesystem::is_regular_file(userData / "Kapsorel.log"), program.readAll().constData());
        QVERIFY(ConfigFile::loadForStation(userData / "Kapsorel.ini").readString("TFmain", "Lcislo_bat", "?") != "?");
    }
};

QTEST_MAIN(PackageWindowTest)
#include "package_window_test.moc"
