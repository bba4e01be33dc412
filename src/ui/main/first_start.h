// The installed program's first start without a station in the user's data folder: it
// offers to create the demo station there or to choose another folder (remembered for the
// next starts), or to end.
#pragma once

#include "core/app/station_folder.h"

#include <QString>
#include <filesystem>
#include <optional>

class QWidget;

namespace kapsorel::ui {

enum class FirstStartChoice { Demo, Folder, Quit };

// The question box (objectName "prvni_spusteni"): "Vytvořit ukázkovou stanici" is the
// default button, Esc or closing the box ends the program.
FirstStartChoice askFirstStart(const QString& folder, QWidget* parent = nullptr);

// Carries out the first start for `choice` (a UserData choice with firstStart): the station
// folder to run with, or none when the user ends here. Failures are shown in a message box.
std::optional<std::filesystem::path> runFirstStart(const StationFolderChoice& choice,
                                                   const std::filesystem::path& demoFolder,
                                                   const std::filesystem::path& userDataDir);

} // namespace kapsorel::ui
