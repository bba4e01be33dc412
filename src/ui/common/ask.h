// The station's one question box: buttons "Ano", "Ne" and optionally "Zruš", titled with
// the station name, opening about 100 px right of and below its owner's top-left corner.
#pragma once

#include <QString>

class QWidget;

namespace kapsorel::ui {

enum class AskAnswer { Yes, No, Cancel };

// Modal; closing the box without a button counts as Cancel.
AskAnswer ask(QWidget* owner, const QString& stationName, const QString& message, bool withCancel);

} // namespace kapsorel::ui
