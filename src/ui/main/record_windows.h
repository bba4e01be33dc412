// The data, steps and graph windows of the main window: created with it, kept until exit,
// fed once per refresh from the sample and step tables that this part owns.
#pragma once

#include "core/app/config_file.h"
#include "core/app/record_feed.h"
#include "core/app/station_runtime.h"
#include "core/records/sample_table.h"
#include "core/records/step_table.h"
#include "core/station/battery_family.h"

#include <QObject>
#include <string>

class QWidget;

namespace kapsorel::ui {

class DataWindow;
class GraphWindow;
class StepsWindow;

class RecordWindows final : public QObject {
    Q_OBJECT
  public:
    enum class Window { Steps, Graph, Data };

    RecordWindows(StationRuntime& runtime, QWidget* mainWindow);

    SampleTable& samples() { return samples_; }
    StepTable& steps() { return steps_; }

    // Shows one window with the cell columns and series of `family`.
    void open(Window window, BatteryFamily family);
    // A refresh pass: the samples taken from the recorder, then one insertion per window
    // for what was added.
    SampleFeedResult feed(StationRuntime& runtime, bool takeSamples);
    // The row of a step that started, handed over by the display refresh.
    void addStepRow(StationRuntime& runtime, std::uint8_t step);
    // After the tables were emptied or filled from a file.
    void reload();
    // A new test: empty tables.
    void clear();
    void setStationName(const std::string& station);
    void saveState();

  private:
    void appendAdded();

    SampleTable samples_;
    StepTable steps_;
    DataWindow* data_ = nullptr;
    GraphWindow* graph_ = nullptr;
    StepsWindow* stepsWindow_ = nullptr;
    std::size_t fedSamples_ = 0;
    std::size_t fedSteps_ = 0;
};

} // namespace kapsorel::ui
