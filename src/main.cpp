// The station program: answers --help and --version without a display, finds the station
// folder and its configuration, makes sure it is the only instance for its power module
// (a second start brings the running window forward), and runs the main window.
#include "core/app/config_file.h"
#include "core/app/config_path.h"
#include "core/app/instance_lock.h"
#include "core/app/station_folder.h"
#include "core/app/station_runtime.h"
#include "core/app/station_settings.h"
#include "core/base/locale_formats.h"
#include "core/base/program_version.h"
#include "ui/common/diagnostic_log.h"
#include "ui/common/qt_translation.h"
#include "ui/common/qt_ui_bridge.h"
#include "ui/main/desktop_notifier.h"
#include "ui/main/first_start.h"
#include "ui/main/instance_raise.h"
#include "ui/main/main_window.h"
#include "ui/main/session_end_signals.h"

#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

std::vector<std::string> argumentsOf(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::optional<std::string> environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace kapsorel;
    // Before Qt: no display is needed to read these.
    if (const ProgramCommandLine early = parseProgramCommandLine(argumentsOf(argc, argv)); early.help) {
        std::fputs(programHelpText().c_str(), stdout);
        return 0;
    } else if (early.version) {
        std::printf("%s\n", versionLine("kapsorel").c_str());
        return 0;
    }
    // Numbers, dates and times as the system writes them, for the whole program: taken
    // here, before any window or worker exists.
    setLocaleFormats(LocaleFormats::fromSystem());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kapsorel"));
    QApplication::setApplicationVersion(QString::fromStdString(programVersion()));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
    ui::installQtCzechTranslation(app);

    // Qt has taken its own options (-platform and the like) out of argv.
    const ProgramCommandLine commandLine = parseProgramCommandLine(argumentsOf(argc, argv));
    if (commandLine.error) {
        std::fputs(commandLine.error->c_str(), stderr);
        return 2;
    }
    const auto exeDir = executableDirectory(argv[0]);
    const std::filesystem::path userData =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
    const StationFolderChoice station = chooseStationFolder({commandLine.station, environmentValue("KAPSOREL_STATION"),
                                                             exeDir, userData, readRememberedStationFolder(userData)});
    std::filesystem::path home = station.folder;
    if (station.firstStart) {
        const auto chosen = ui::runFirstStart(station, installedDemoFolder(exeDir), userData);
        if (!chosen)
            return 0;
        home = *chosen;
    }
    ui::installDiagnosticLog(home);

    const ConfigPathChoice choice = chooseConfigPath(commandLine.rest, home);
    // Before any window: a box of its own, its text shown as written (a file name is no markup).
    const auto warn = [](const std::string& text) {
        qWarning("%s", text.c_str());
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Kapsorel"), QString::fromStdString(text));
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
    if (choice.message)
        warn(*choice.message);

    // Read once: the lock and the station take the same address. A file that cannot be
    // read leaves the defaults, and the main window's creation tells the user so.
    ConfigFile config = ConfigFile::loadForStation(choice.path);
    InstanceLock lock(InstanceLock::nameFor(readPowerModuleAddress(config)));
    if (!lock.acquire()) {
        // Another instance of this user: its window comes to the front. Another user's: the
        // station stays theirs, and this user is told who holds it.
        const auto holder = lock.holder();
        if (holder && holder->uid != ::getuid())
            warn(heldByAnotherUserMessage(lock.name(), *holder));
        else if (!ui::askRunningInstanceToRaise(QString::fromStdString(lock.socketName())))
            std::fprintf(stderr, "kapsorel: the station %s already runs; its window did not answer\n",
                         lock.name().c_str());
        return 0;
    }
    if (!lock.error().empty())
        qWarning("%s", lock.error().c_str());

    // The station first, then its window; the bridge carries the workers' calls to it.
    auto bridge = std::make_unique<ui::QtUiBridge>();
    auto runtime = std::make_unique<StationRuntime>(home, std::move(config), *bridge);
    ui::MainWindow window(std::move(bridge), std::move(runtime));
    // A second start for this station brings this window forward.
    new ui::InstanceRaiser(lock, window); // the window owns it
    // Logout and system shutdown end the program along the same path as its close.
    ui::SessionEndSignals sessionEnd(window);
    // The end of a test, an interruption and a wait for the operator on the desktop too.
    ui::DesktopNotifier notifier(window.bridge(), window.runtime());
    window.show();
    return app.exec();
}
