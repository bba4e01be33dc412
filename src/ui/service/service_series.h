// The power module's service buttons as module jobs: a series of requests runs on the
// module's job runner while its control is disabled; a refusal (a test runs) or a failed
// exchange goes to `message`, the answers that came back to `done` on the GUI thread (none
// after a refusal).
#pragma once

#include "core/service/power_service_jobs.h"
#include "ui/service/service_context.h"
#include "ui/service/service_job.h"

#include <functional>
#include <vector>

namespace kapsorel::ui {

using ServiceAnswers = std::vector<ServiceAnswer>;

inline void runServiceSteps(const ServiceContext& context, QWidget* control, std::vector<ServiceStep> steps,
                            std::function<void(const QString&)> message,
                            std::function<void(const ServiceAnswers&)> done = {})
{
    const SharedRunState& run = context.run;
    runServiceJob<Result<ServiceAnswers>>(
        context.runner, control,
        [&run, steps = std::move(steps)](ModuleLink& l) { return runServiceSeries(l, run, steps); },
        [message = std::move(message), done = std::move(done)](const Result<ServiceAnswers>& r) {
            if (!r.ok()) {
                // Refused: nothing was sent, which the caller learns as no answers.
                message(qs(r.error()));
                if (done)
                    done({});
                return;
            }
            if (!r->empty() && !r->back().answered)
                message(qs(r->back().failure));
            else
                message(QString());
            if (done)
                done(*r);
        });
}

// The answer of step `i` when it came back.
inline const ServiceAnswer* answerAt(const ServiceAnswers& answers, std::size_t i)
{
    return i < answers.size() && answers[i].answered ? &answers[i] : nullptr;
}

} // namespace kapsorel::ui
