// "Převod času": a duration typed as hours, minutes and seconds for a "Doba" value field.
#pragma once

#include "core/app/config_file.h"
#include "core/definitions/condition_text.h"

#include <QDialog>
#include <optional>

class QSpinBox;

namespace kapsorel::ui {

class TimeConversionWindow final : public QDialog {
    Q_OBJECT
  public:
    explicit TimeConversionWindow(ConfigFile& config, QWidget* parent = nullptr);

    // Shows the dialog modally with `start`; the entry after "OK", nothing after "Zruš".
    std::optional<TimeEntry> ask(const TimeEntry& start);
    TimeEntry entry() const;

  private:
    ConfigFile& config_;
    QSpinBox* hours_ = nullptr;
    QSpinBox* minutes_ = nullptr;
    QSpinBox* seconds_ = nullptr;
};

} // namespace kapsorel::ui
