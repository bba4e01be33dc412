// The main window's doors to the definition editors ("Postupy", "Baterie"): each opens
// modally with the user's rights, and the main window refills its lists afterwards.
#pragma once

#include "core/app/config_file.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/procedure_index.h"

#include <QObject>
#include <functional>

class QWidget;

namespace kapsorel::ui {

struct MainActions;

class DefinitionWindows final : public QObject {
    Q_OBJECT
  public:
    // What the editors work on, asked for at each opening (the main window reloads its
    // index and table after an editor has closed).
    struct Definitions {
        ProcedureIndex* index = nullptr;
        const BatteryTable* types = nullptr;
        bool serviceRights = false;
    };

    DefinitionWindows(MainActions& actions, ConfigFile& config, std::function<Definitions()> definitions,
                      QWidget* owner);

    void openProcedureEditor();

  signals:
    // An editor has closed: procedures or battery types may have changed.
    void closed();

  private:
    ConfigFile& config_;
    std::function<Definitions()> definitions_;
    QWidget* owner_;
};

} // namespace kapsorel::ui
