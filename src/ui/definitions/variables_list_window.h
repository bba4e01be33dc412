// "Seznam proměnných": every battery variable of every battery type in one table. The
// procedure editor opens it to pick the variable a value cell refers to, or (in its
// check mode) only to inform.
#pragma once

#include "core/app/config_file.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/variables_list.h"

#include <QDialog>
#include <optional>
#include <string>

class QTableWidget;

namespace kapsorel::ui {

class VariablesListWindow final : public QDialog {
    Q_OBJECT
  public:
    // `informationOnly`: the list only informs, a double click closes it without a pick.
    VariablesListWindow(ConfigFile& config, const BatteryTable& types, bool informationOnly, QWidget* parent = nullptr);

    // Opens the list modally; the reference "#" + ID of the row double-clicked (or
    // chosen with Enter), nothing when the list only informs or was closed otherwise.
    static std::optional<std::string> pick(QWidget* parent, ConfigFile& config, const BatteryTable& types,
                                           bool informationOnly);

    const std::optional<std::string>& picked() const { return picked_; }
    // Stores the column count and widths and the placement.
    void done(int result) override;

  private:
    void fill();
    void choose(int row);

    ConfigFile& config_;
    VariablesList list_;
    std::string pickResult_;
    std::optional<std::string> picked_;
    QTableWidget* grid_ = nullptr;
};

} // namespace kapsorel::ui
