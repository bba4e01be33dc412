// The " Baterie " page of the program settings window: the three cell voltage thresholds and
// the twelve colour buttons of the cell bars (rows below OK minimum, above OK maximum, below
// the fault limit and any other cell; columns frame, background, bar).
#pragma once

#include "core/app/station_settings.h"

#include <QWidget>
#include <array>

class QPushButton;

namespace kapsorel::ui {

class DecimalBox;

class BatteryPage final : public QWidget {
    Q_OBJECT
  public:
    explicit BatteryPage(QWidget* parent = nullptr);

    // The controls take the settings' values.
    void fill(const StationSettings& settings);
    // The settings take the controls' values.
    void store(StationSettings& settings) const;

  signals:
    void accepted();
    void rejected();

  private:
    void setColour(QPushButton* button, std::int32_t stored);
    void chooseColour(QPushButton* button);

    DecimalBox* okMinimum_ = nullptr;
    DecimalBox* okMaximum_ = nullptr;
    DecimalBox* failLimit_ = nullptr;
    // Rows BOK_MIN, BOK_MAX, BKO, BOST; columns 0, 1, 2.
    std::array<std::array<QPushButton*, 3>, 4> colours_{};
};

} // namespace kapsorel::ui
