#include "ui/main/record_windows.h"

#include "core/app/record_feed.h"
#include "ui/records/graph_window.h"
#include "ui/records/record_tables.h"

namespace kapsorel::ui {

RecordWindows::RecordWindows(StationRuntime& runtime, QWidget* mainWindow) : QObject(mainWindow)
{
    // Parented to the main window (own top-level windows), so they live until exit.
    data_ = new DataWindow(samples_, runtime.config(), mainWindow);
    graph_ = new GraphWindow(samples_, runtime.config(), mainWindow);
    stepsWindow_ = new StepsWindow(steps_, mainWindow);
    const StationSettings& s = runtime.settings();
    graph_->setThresholds(CellThresholds{s.cellFailLimit, s.cellOkMinimum, s.cellOkMaximum});
}

void RecordWindows::open(Window window, BatteryFamily family)
{
    if (window == Window::Graph) {
        graph_->openFor(family);
        return;
    }
    QWidget* shown = stepsWindow_;
    if (window == Window::Data) {
        data_->setFamily(family);
        shown = data_;
    } else {
        stepsWindow_->setFamily(family);
    }
    shown->show();
    shown->raise();
    shown->activateWindow();
}

SampleFeedResult RecordWindows::feed(StationRuntime& runtime, bool takeSamples)
{
    SampleFeedResult fed;
    if (takeSamples)
        fed = feedNewSamples(runtime, samples_);
    appendAdded();
    return fed;
}

void RecordWindows::addStepRow(StationRuntime& runtime, std::uint8_t step)
{
    if (feedStepRow(runtime, steps_, step))
        appendAdded();
}

void RecordWindows::appendAdded()
{
    // One insertion for what was added, whether the windows are shown or not, so opening
    // one costs nothing.
    if (samples_.size() < fedSamples_ || steps_.size() < fedSteps_) {
        reload();
        return;
    }
    if (samples_.size() != fedSamples_) {
        data_->appendRows();
        graph_->appendSamples();
        fedSamples_ = samples_.size();
    }
    if (steps_.size() != fedSteps_) {
        stepsWindow_->appendRows();
        fedSteps_ = steps_.size();
    }
}

void RecordWindows::reload()
{
    data_->reload();
    graph_->reload();
    stepsWindow_->reload();
    fedSamples_ = samples_.size();
    fedSteps_ = steps_.size();
}

void RecordWindows::clear()
{
    samples_.clear();
    steps_.clear();
    reload();
}

void RecordWindows::setStationName(const std::string& station)
{
    data_->setStationName(station);
    graph_->setStationName(station);
    stepsWindow_->setStationName(station);
}

void RecordWindows::saveState()
{
    data_->saveState();
    graph_->saveState();
}

} // namespace kapsorel::ui
