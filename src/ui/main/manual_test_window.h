// "Ruční spuštění": charge or discharge for a given time without a stored procedure. The
// five values are kept in the configuration file from one run of the program to the next.
#pragma once

#include "core/app/config_file.h"
#include "core/engine/manual_procedure.h"

#include <QDialog>
#include <optional>

class QDoubleSpinBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace kapsorel::ui {

class ManualTestWindow final : public QDialog {
    Q_OBJECT
  public:
    ManualTestWindow(ConfigFile& config, QWidget* parent = nullptr);

    // Shows the dialog modally; the run to start after "Start", nothing otherwise.
    std::optional<ManualRun> ask();
    // The values as they stand.
    ManualRun values() const;

  private:
    void applyMode();
    void store();

    ConfigFile& config_;
    QRadioButton* charge_ = nullptr;
    QRadioButton* discharge_ = nullptr;
    QLabel* voltageLabel_ = nullptr;
    QDoubleSpinBox* voltage_ = nullptr;
    QDoubleSpinBox* current_ = nullptr;
    QSpinBox* period_ = nullptr;
    QSpinBox* seconds_ = nullptr;
};

} // namespace kapsorel::ui
