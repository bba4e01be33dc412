// The settings window's module jobs: a core function returning a Result or Status runs on
// the module's job runner while its control is disabled, and its outcome comes back on the
// GUI thread; a sequence's progress reaches a progress bar through the GUI queue.
#pragma once

#include "core/base/result.h"
#include "core/service/service_progress.h"
#include "ui/common/gui_queue.h"
#include "ui/common/module_job.h"

#include <QPointer>
#include <QProgressBar>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

namespace kapsorel::ui {

// `done` gets the job's outcome unless the job threw or the control is gone.
template <class R, class Job, class Done>
void runServiceJob(ModuleJobRunner& runner, QWidget* control, Job job, Done done)
{
    runModuleJob<std::optional<R>>(
        runner, control, [job = std::move(job)](ModuleLink& link) -> std::optional<R> { return job(link); },
        [done = std::move(done)](const std::optional<R>& r) {
            if (r)
                done(*r);
        });
}

// A whole-module read or write: on success the images the job hands back replace `images`
// and `after` runs; the job's message (empty after success) goes to `message`, and `then`
// learns whether it succeeded. `images` must live as long as `control`.
template <class Images, class Job>
void runModuleSequence(ModuleJobRunner& runner, QWidget* control, Job job, Images& images, std::function<void()> after,
                       std::function<void(const QString&)> message, std::function<void(bool)> then)
{
    runServiceJob<Result<Images>>(runner, control, std::move(job),
                                  [&images, after = std::move(after), message = std::move(message),
                                   then = std::move(then)](const Result<Images>& r) {
                                      if (!r.ok()) {
                                          message(QString::fromStdString(r.error()));
                                          return then(false);
                                      }
                                      images = *r;
                                      if (after)
                                          after();
                                      message(QString());
                                      then(true);
                                  });
}

// A progress callback for a job that moves `bar` on the GUI thread.
inline ServiceProgress progressTo(QProgressBar* bar)
{
    QPointer<QProgressBar> guard(bar);
    return [guard, toGui = appGuiQueue().poster()](std::size_t done, std::size_t total) {
        toGui([guard, done, total] {
            if (!guard)
                return;
            guard->setRange(0, static_cast<int>(total));
            guard->setValue(static_cast<int>(done));
        });
    };
}

} // namespace kapsorel::ui
