// The values the once-a-second refresh writes: the diagram's value labels and cell bars,
// and the status bar's nine panels (head, step, step time, total time).
#pragma once

#include "core/app/display_model.h"
#include "core/station/station.h"

#include <QObject>
#include <array>
#include <string>

class QLabel;
class QMainWindow;

namespace kapsorel::ui {

class CircuitDiagram;

class LiveDisplay final : public QObject {
    Q_OBJECT
  public:
    // Builds the status bar of `window` and writes into `diagram`'s labels.
    LiveDisplay(QMainWindow& window, CircuitDiagram& diagram);

    // Writes what one refresh changed; cell bars take the threshold colours, one wide bar
    // (cell 1's) in families without cell bars.
    void apply(const DisplayUpdate& update, const Station& station, const StationSettings& settings,
               BatteryFamily family);
    // The step panel (number and step type).
    void showStepText(const std::string& text);
    // The current change at the service level.
    void showDeltaCurrent(float amperes);

    // A value label's text and colour (red marks a module that does not answer).
    static void setLabel(QLabel* label, const LabelText& text);

  private:
    CircuitDiagram& diagram_;
    std::array<QLabel*, 9> panels_{};
};

} // namespace kapsorel::ui
