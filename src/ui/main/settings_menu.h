// The windows of the main window's "Nastavení" menu: the definition editors ("Postupy",
// "Baterie") open modally with the user's rights and the main window refills its lists
// afterwards; "Nastavení modulů" shows the one module settings window; "Upgrade FW" opens
// the firmware upgrade modally for an expert or service user; "Nastavení programu" opens the
// program settings window modally and recolours the cell bars afterwards. It also sets up the
// main window's reports (ReportsMenu), which use the same battery types.
#pragma once

#include "core/app/station_runtime.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/procedure_index.h"

#include <QObject>
#include <functional>

class QWidget;

namespace kapsorel::ui {

struct MainActions;

class SettingsMenu final : public QObject {
    Q_OBJECT
  public:
    // What the editors work on, asked for at each opening (the main window reloads its
    // index and table after an editor has closed).
    struct Definitions {
        ProcedureIndex* index = nullptr;
        const BatteryTable* types = nullptr;
        bool serviceRights = false;
    };

    SettingsMenu(MainActions& actions, StationRuntime& runtime, std::function<Definitions()> definitions,
                 QWidget* owner);

    void openProcedureEditor();
    // Not modal: shown again (and raised) when it is already open.
    void showModuleSettings();
    void openBatteryTypes();
    void openFirmwareUpgrade();
    // The window is made at the first opening and kept.
    void openProgramSettings();

  signals:
    // A definition editor has closed: procedures or battery types may have changed.
    void closed();

  private:
    StationRuntime& runtime_;
    std::function<Definitions()> definitions_;
    QWidget* owner_;
};

} // namespace kapsorel::ui
