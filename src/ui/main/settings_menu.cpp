#include "ui/main/settings_menu.h"

#include "ui/definitions/battery_types_window.h"
#include "ui/definitions/procedure_editor_window.h"
#include "ui/main/main_actions.h"
#include "ui/main/main_window.h"
#include "ui/main/operator_panel.h"
#include "ui/main/reports_menu.h"
#include "ui/service/firmware_upgrade_window.h"
#include "ui/service/module_settings_window.h"
#include "ui/settings/program_settings_window.h"

#include <QAction>
#include <QComboBox>

namespace kapsorel::ui {

SettingsMenu::SettingsMenu(MainActions& actions, StationRuntime& runtime, std::function<Definitions()> definitions,
                           QWidget* owner)
    : QObject(owner), runtime_(runtime), definitions_(std::move(definitions)), owner_(owner)
{
    connect(actions.procedures, &QAction::triggered, this, &SettingsMenu::openProcedureEditor);
    connect(actions.modules, &QAction::triggered, this, &SettingsMenu::showModuleSettings);
    connect(actions.batteries, &QAction::triggered, this, &SettingsMenu::openBatteryTypes);
    connect(actions.firmware, &QAction::triggered, this, &SettingsMenu::openFirmwareUpgrade);
    connect(actions.program, &QAction::triggered, this, &SettingsMenu::openProgramSettings);
    // The reports share the battery types the editors are handed.
    new ReportsMenu(
        actions, runtime,
        [this] {
            const Definitions d = definitions_();
            return d.types ? d.types->types() : std::vector<BatteryType>{};
        },
        owner);
}

void SettingsMenu::openProcedureEditor()
{
    const Definitions d = definitions_();
    if (!d.index || !d.types)
        return;
    {
        ProcedureEditorWindow editor(*d.index, *d.types, runtime_.config(), d.serviceRights, owner_);
        editor.exec();
    }
    emit closed();
}

void SettingsMenu::openBatteryTypes()
{
    const Definitions d = definitions_();
    if (!d.index)
        return;
    {
        // It reads the files itself: its unsaved changes never reach the running program.
        BatteryTypesWindow editor(d.index->home(), runtime_.config(), d.serviceRights, owner_);
        editor.exec();
    }
    emit closed();
}

void SettingsMenu::openFirmwareUpgrade()
{
    // The item is shown to expert and service users only; a stray trigger changes nothing.
    if (!definitions_().serviceRights)
        return;
    FirmwareUpgradeWindow upgrade(runtime_, owner_);
    upgrade.setWindowTitle(QStringLiteral("Upgrade FW - ") + QString::fromStdString(runtime_.settings().stationName));
    upgrade.exec();
}

void SettingsMenu::showModuleSettings()
{
    auto* w = owner_->findChild<ModuleSettingsWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!w)
        w = new ModuleSettingsWindow(runtime_, owner_);
    w->setWindowTitle(QStringLiteral("Nastavení - ") + QString::fromStdString(runtime_.settings().stationName));
    w->show();
    w->raise();
}

void SettingsMenu::openProgramSettings()
{
    auto* main = qobject_cast<MainWindow*>(owner_);
    auto* w = owner_->findChild<ProgramSettingsWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!w) {
        ProgramSettingsHost host;
        host.operators = [this] {
            std::vector<std::string> names;
            if (auto* box = owner_->findChild<QComboBox*>(QStringLiteral("cmeril")))
                for (int i = 0; i < box->count(); ++i)
                    names.push_back(box->itemText(i).toStdString());
            return names;
        };
        host.selectedOperator = [this] {
            auto* box = owner_->findChild<QComboBox*>(QStringLiteral("cmeril"));
            return box ? box->currentText().toStdString() : std::string();
        };
        host.setOperators = [this](const std::vector<std::string>& names, const std::string& select) {
            if (auto* panel = owner_->findChild<OperatorPanel*>())
                panel->setOperators(names, select);
        };
        if (main) {
            host.applyIconSize = [main] { main->applyIconSize(); };
            host.applyPanelPosition = [main] { main->applyPanelPosition(); };
        }
        w = new ProgramSettingsWindow(runtime_, std::move(host), owner_);
    }
    w->prepare(main ? main->userLevel() : 0);
    w->exec();
    if (main)
        main->layOutDiagram(); // every cell bar in the new thresholds and colours
}

} // namespace kapsorel::ui
