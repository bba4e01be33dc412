// The box that tells a user why an edit or a button was refused: modal, titled like its
// owner's window, one "OK" button.
#pragma once

#include <string>

class QWidget;

namespace kapsorel::ui {

// The box is named "zprava" and its button "zprava_ok", so automation finds both.
void showRefusal(QWidget* owner, const std::string& text);

} // namespace kapsorel::ui
