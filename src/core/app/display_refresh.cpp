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
    // The screen has taken the step mark and the new samples: the engine may go on.
    station_.run.stepMark.store(kNoStepMark, kRelaxed);
    station_.run.newSample.store(0, kRelaxed);
    clock_.sleepMs(1000);
}

} // namespace kapsorel
