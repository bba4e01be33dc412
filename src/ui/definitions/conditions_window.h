// "Podmínky": the four terms of a step's start or end condition, edited row by row.
#pragma once

#include "core/app/config_file.h"
#include "core/base/result.h"
#include "core/definitions/condition_editor.h"

#include <QDialog>
#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QPushButton;

namespace kapsorel::ui {

class ConditionValueField;

class ConditionsWindow final : public QDialog {
    Q_OBJECT
  public:
    explicit ConditionsWindow(ConfigFile& config, QWidget* parent = nullptr);

    // What "OK" does with the rows: stores them, or refuses with the message to show
    // (the window then stays open).
    using Apply = std::function<Status(const ConditionRows&)>;

    // Shows the rows modally; true after an "OK" that `apply` took. In check mode "OK"
    // is disabled and the window only shows.
    bool edit(const ConditionRows& rows, const Apply& apply, bool okEnabled = true);
    ConditionRows rows() const;
    void setRows(const ConditionRows& rows);

  private:
    struct Row {
        QComboBox* joiner = nullptr;
        QComboBox* variable = nullptr;
        QComboBox* relation = nullptr;
        ConditionValueField* value = nullptr;
        QPushButton* time = nullptr;
    };

    void showControls(int row);
    void enterTime(int row);
    void accept() override;

    ConfigFile& config_;
    std::array<Row, kTermsPerCondition> rows_{};
    QPushButton* ok_ = nullptr;
    Apply apply_;
};

} // namespace kapsorel::ui
