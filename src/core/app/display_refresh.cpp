#include "core/app/display_refresh.h"

#include "core/base/atomic_order.h"

namespace kapsorel {

DisplayRefresh::DisplayRefresh(Station& station, UiBridge& ui, Clock& clock, std::function<bool()> keepRunning)
    : station_(station), ui_(ui), clock_(clock), keepRunning_(std::move(keepRunning))
{
}

void DisplayRefresh::pass()
{
    if (keepRunning_())
        ui_.refreshDisplay();
    // The mark is released once its row is in, so the engine records no further step start
    // before it; a mark set after this pass looked is left for the next pass.
    station_.run.takeStepMark([this](std::uint8_t step) {
        if (keepRunning_())
            ui_.addStepRow(step);
    });
    // The screen takes every sample appended so far in each refresh.
    station_.run.newSample.store(0, kRelaxed);
    clock_.sleepMs(1000);
}

} // namespace kapsorel
