#include "ui/main/definition_windows.h"

#include "ui/definitions/tfpostupy.h"
#include "ui/main/main_actions.h"

#include <QAction>

namespace kapsorel::ui {

DefinitionWindows::DefinitionWindows(MainActions& actions, ConfigFile& config, std::function<Definitions()> definitions,
                                     QWidget* owner)
    : QObject(owner), config_(config), definitions_(std::move(definitions)), owner_(owner)
{
    connect(actions.procedures, &QAction::triggered, this, &DefinitionWindows::openProcedureEditor);
}

void DefinitionWindows::openProcedureEditor()
{
    const Definitions d = definitions_();
    if (!d.index || !d.types)
        return;
    {
        TFpostupy editor(*d.index, *d.types, config_, d.serviceRights, owner_);
        editor.exec();
    }
    emit closed();
}

} // namespace kapsorel::ui
