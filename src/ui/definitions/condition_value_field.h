// A value field of the conditions window: takes a number or a variable reference ("#"
// and two characters) as typed, and asks for the time entry on a double click.
#pragma once

#include <QLineEdit>

namespace kapsorel::ui {

class ConditionValueField final : public QLineEdit {
    Q_OBJECT
  public:
    using QLineEdit::QLineEdit;

  signals:
    void doubleClicked();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace kapsorel::ui
