// Start, Ručně and Stop in the main window, driving the core start workflow: each press
// takes the panel's values, the exchanges run as jobs on the power module's runner, the
// resume question is asked between them, and the buttons, the panel and the file items
// follow the workflow's state (disabled from the press until the run runs or the start
// has failed).
#pragma once

#include "core/app/start_workflow.h"
#include "core/app/station_runtime.h"

#include <QObject>
#include <functional>

namespace kapsorel::ui {

class OperatorPanel;
struct MainActions;

class RunControls final : public QObject {
    Q_OBJECT
  public:
    // `plan` builds a StartPlan from the panel and the definitions at the moment of a press.
    RunControls(StationRuntime& runtime, MainActions& actions, OperatorPanel& panel, std::function<StartPlan()> plan,
                QWidget* owner);

    StartWorkflow& workflow() { return workflow_; }

    void start();
    void manual();
    void stop();
    // The interrupted-test check's Ano when the program starts.
    void resume(std::uint8_t step);

    // Buttons, panel and file items as the workflow and the run state say.
    void updateButtons();
    // The engine's run end (told while its state is still being reset): Start, Ručně and
    // the panel come back, Stop goes.
    void runEnded();

  signals:
    // A test started (new: the tables start empty) or resumed.
    void started(bool resumed);
    // A message for the operator.
    void message(const std::string& text);
    // The start image changes (an interrupted test shows the resume image).
    void iconsChanged();

  private:
    template <class Result> void job(std::function<Result()> work, std::function<void(const Result&)> done);
    void afterStart(const StartOutcome& outcome);

    StationRuntime& runtime_;
    MainActions& actions_;
    OperatorPanel& panel_;
    std::function<StartPlan()> plan_;
    QWidget* owner_;
    StartWorkflow workflow_;
};

} // namespace kapsorel::ui
