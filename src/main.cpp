// The station program: finds its configuration, makes sure it is the only instance for
// its power module, and runs the main window.
#include "core/app/config_file.h"
#include "core/app/config_path.h"
#include "core/app/instance_lock.h"
#include "core/app/station_runtime.h"
#include "core/app/station_settings.h"
#include "core/base/locale_formats.h"
#include "ui/common/qt_ui_bridge.h"
#include "ui/main/desktop_notifier.h"
#include "ui/main/main_window.h"
#include "ui/main/session_end_signals.h"

#include <QApplication>
#include <QMessageBox>
#include <memory>
#include <unistd.h>

int main(int argc, char** argv)
{
    using namespace kapsorel;
    // Numbers, dates and times as the system writes them, for the whole program: taken
    // here, before any window or worker exists.
    setLocaleFormats(LocaleFormats::fromSystem());
    QApplication app(argc, argv);

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    const auto home = executableDirectory(argv[0]);
    const ConfigPathChoice choice = chooseConfigPath(args, home);
    // Before any window: a box of its own, its text shown as written (a file name is no markup).
    const auto warn = [](const std::string& text) {
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
        // Another instance of this user: it is the station, silently. Another user's: the
        // station stays theirs, and this user is told who holds it.
        const auto holder = lock.holder();
        if (holder && holder->uid != ::getuid())
            warn(heldByAnotherUserMessage(lock.name(), *holder));
        return 0;
    }

    // The station first, then its window; the bridge carries the workers' calls to it.
    auto bridge = std::make_unique<ui::QtUiBridge>();
    auto runtime = std::make_unique<StationRuntime>(home, std::move(config), *bridge);
    ui::MainWindow window(std::move(bridge), std::move(runtime));
    // Logout and system shutdown end the program along the same path as its close.
    ui::SessionEndSignals sessionEnd(window);
    // The end of a test, an interruption and a wait for the operator on the desktop too.
    ui::DesktopNotifier notifier(window.bridge(), window.runtime());
    window.show();
    return app.exec();
}
