// A spin box for a number with decimals that shows and reads its text the way the whole
// program does (the current locale formats of core), not by Qt's own locale: the value
// text has the program's decimal separator, and what the user types is read by the
// program's number parse.
#pragma once

#include <QDoubleSpinBox>

namespace kapsorel::ui {

class DecimalBox final : public QDoubleSpinBox {
    Q_OBJECT
  public:
    explicit DecimalBox(QWidget* parent = nullptr);

    QString textFromValue(double value) const override;
    double valueFromText(const QString& text) const override;
    // Acceptable: a number within the range with no more decimals than the box has.
    // Intermediate: a start that can still become one (empty, a sign, a number below the
    // minimum). Invalid: anything else, so the key that made it is refused.
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

  private:
    QString bare(const QString& text) const;
};

} // namespace kapsorel::ui
