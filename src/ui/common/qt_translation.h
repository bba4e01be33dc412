// Qt's own texts (file and print dialogs, standard buttons, context menus) in Czech, as
// the program's own texts are: Qt's Czech catalogue from Debian's qt6-translations-l10n.
#pragma once

class QCoreApplication;

namespace kapsorel::ui {

// Installs the catalogue on `app`; false when it is not installed (Qt then speaks English).
bool installQtCzechTranslation(QCoreApplication& app);

} // namespace kapsorel::ui
