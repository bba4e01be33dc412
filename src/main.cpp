// The station program: finds its configuration, makes sure it is the only instance for
// its power module, and runs the main window.
#include <QApplication>
#include <QMessageBox>

#include "core/app/config_file.h"
#include "core/app/config_path.h"
#include "core/app/instance_lock.h"
#include "core/app/station_settings.h"
#include "ui/tfmain.h"

int main(int argc, char** argv)
{
    using namespace kapsorel;
    QApplication app(argc, argv);

    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    const auto home = executableDirectory(argv[0]);
    const ConfigPathChoice choice = chooseConfigPath(args, home);
    if (choice.message)
        QMessageBox::warning(nullptr, QStringLiteral("Kapsorel"), QString::fromStdString(*choice.message));

    const auto config = ConfigFile::load(choice.path);
    const std::string powerAddress =
        config.ok() ? readPowerModuleAddress(config.value()) : std::string(kDefaultPowerModuleAddress);
    InstanceLock lock(InstanceLock::nameFor(powerAddress));
    if (!lock.acquire())
        return 0;

    ui::TFmain window(home, choice.path);
    window.show();
    return app.exec();
}
