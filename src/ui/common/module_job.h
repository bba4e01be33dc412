// Hands a module exchange from a window to the module's job runner: the control that
// started it is disabled until the job has ended, and the job's result comes back to the
// window on the GUI thread. The window never waits for the module.
#pragma once

#include "core/comm/module_jobs.h"
#include "ui/common/gui_queue.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

namespace kapsorel {

// Runs `job` with the module's link off the GUI thread, then `done` with its result on
// the GUI thread. `control` (may be null) is disabled meanwhile; if it is gone by then,
// `done` is not called. A job that throws gives a default-constructed result.
template <class Result>
void runModuleJob(ModuleJobRunner& runner, QWidget* control, std::function<Result(ModuleLink&)> job,
                  std::function<void(const Result&)> done)
{
    QPointer<QWidget> guard(control);
    const bool guarded = control != nullptr;
    if (control)
        control->setEnabled(false);
    runner.post([guard, guarded, job = std::move(job), done = std::move(done),
                 toGui = ui::appGuiQueue().poster()](ModuleLink& link) {
        auto result = std::make_shared<Result>();
        try {
            *result = job(link);
        } catch (...) {
            // The control comes back either way; the default result says nothing happened.
        }
        toGui([guard, guarded, done, result] {
            if (guarded && !guard)
                return;
            if (guard)
                guard->setEnabled(true);
            if (done)
                done(*result);
        });
    });
}

} // namespace kapsorel
