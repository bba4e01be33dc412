#include "ui/main/run_controls.h"

#include "ui/common/ask.h"
#include "ui/common/gui_queue.h"
#include "ui/main/main_actions.h"
#include "ui/main/manual_test_window.h"
#include "ui/main/operator_panel.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QToolBar>
#include <memory>

namespace kapsorel::ui {

namespace {

constexpr const char* kStopQuestion = "Opravdu přerušit proces?  ";
constexpr const char* kResumeQuestion = "Proces byl přerušen. Pokračovat?\nAno - pokračovat v přerušeném testu\nNe - "
                                        "spustit test od začátku\nZruš - nedělat nic";

ResumeAnswer resumeAnswerOf(AskAnswer a)
{
    return a == AskAnswer::Yes  ? ResumeAnswer::Resume
           : a == AskAnswer::No ? ResumeAnswer::NewTest
                                : ResumeAnswer::Cancel;
}

} // namespace

RunControls::RunControls(StationRuntime& runtime, MainActions& actions, OperatorPanel& panel,
                         std::function<StartPlan()> plan, QWidget* owner)
    : QObject(owner), runtime_(runtime), actions_(actions), panel_(panel), plan_(std::move(plan)), owner_(owner),
      workflow_(runtime)
{
    connect(actions_.run, &QAction::triggered, this, &RunControls::start);
    connect(actions_.manual, &QAction::triggered, this, &RunControls::manual);
    connect(actions_.stop, &QAction::triggered, this, &RunControls::stop);
    // Tab goes on from the panel's last field to Start, Ručně and Stop.
    QWidget* previous = panel_.lastField();
    for (QAction* a : {actions_.run, actions_.manual, actions_.stop})
        if (QWidget* button = actions_.toolbar->widgetForAction(a)) {
            QWidget::setTabOrder(previous, button);
            previous = button;
        }
}

template <class Result> void RunControls::job(std::function<Result()> work, std::function<void(const Result&)> done)
{
    // The workflow lives as long as this object, which outlives the runner's jobs (the
    // runtime and its runners go first when the window closes).
    QPointer<RunControls> self(this);
    runtime_.powerJobs().post(
        [self, work = std::move(work), done = std::move(done), toGui = appGuiQueue().poster()](ModuleLink&) {
            auto result = std::make_shared<Result>();
            try {
                *result = work();
            } catch (...) {
                // The default result says nothing happened; the start still finishes.
            }
            toGui([self, done, result] {
                if (self)
                    done(*result);
            });
        });
}

void RunControls::updateButtons()
{
    const bool starting = workflow_.starting();
    const bool active = runtime_.station().run.runActive();
    actions_.setRunButtons(!starting && !active, active && !starting, !starting);
    panel_.setEnabled(!starting && !active);
}

void RunControls::runEnded()
{
    const bool starting = workflow_.starting();
    actions_.setRunButtons(!starting, false, !starting);
    panel_.setEnabled(!starting);
}

void RunControls::start()
{
    if (!workflow_.beginStart(plan_()))
        return;
    updateButtons();
    job<std::string>([this] { return workflow_.runChecks(); },
                     [this](const std::string& checkMessage) {
                         if (!checkMessage.empty())
                             emit message(checkMessage);
                         ResumeAnswer answer = ResumeAnswer::NewTest;
                         if (workflow_.asksToResume())
                             answer =
                                 resumeAnswerOf(ask(owner_, QString::fromStdString(runtime_.settings().stationName),
                                                    QString::fromUtf8(kResumeQuestion), /*withCancel=*/true));
                         if (answer == ResumeAnswer::Cancel) {
                             workflow_.finish();
                             updateButtons();
                             return;
                         }
                         job<StartOutcome>([this, answer] { return workflow_.runStart(answer); },
                                           [this](const StartOutcome& o) { afterStart(o); });
                     });
}

void RunControls::resume(std::uint8_t step)
{
    if (!workflow_.beginResume(plan_(), step))
        return;
    updateButtons();
    job<StartOutcome>([this] { return workflow_.runResume(); }, [this](const StartOutcome& o) { afterStart(o); });
}

void RunControls::manual()
{
    if (workflow_.busy())
        return;
    ManualTestWindow dialog(runtime_.config(), owner_);
    const std::optional<ManualRun> run = dialog.ask();
    if (!run || !workflow_.beginManual(plan_(), *run))
        return;
    updateButtons();
    job<StartOutcome>([this] { return workflow_.runManual(); }, [this](const StartOutcome& o) { afterStart(o); });
}

void RunControls::afterStart(const StartOutcome& outcome)
{
    workflow_.finish();
    for (const auto& m : outcome.messages)
        emit message(m);
    if (outcome.started)
        emit started(outcome.resumed);
    updateButtons();
    emit iconsChanged();
}

void RunControls::stop()
{
    if (ask(owner_, QString::fromStdString(runtime_.settings().stationName), QString::fromUtf8(kStopQuestion), false) !=
        AskAnswer::Yes)
        return;
    // A run already past the point of interruption ends by itself; the buttons stay.
    if (!workflow_.stop())
        return;
    actions_.setRunButtons(true, false, true);
    emit iconsChanged();
}

} // namespace kapsorel::ui
