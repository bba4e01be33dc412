// What the operator's clicks and the Start press do to a run, as plain functions the
// main window calls: the question's "OK" / "Konec", the alarm banner click and the
// temperature sensor check at Start.
#pragma once

#include <string>

#include "core/app/station.h"
#include "core/definitions/run_procedure.h"

namespace kapsorel {

// "OK": question answer 1, jump target from the current step's value 1 ("Krok OK").
void answerQuestionOk(SharedRunState& run, const RunProcedure& procedure);
// "Konec": question answer 2, jump target from the current step's value 2 ("Krok KO").
void answerQuestionEnd(SharedRunState& run, const RunProcedure& procedure);

// Alarm banner click. With both modules answering it sends "Pa" and returns true: hide
// the banner now. Otherwise it only clears LedSeconds and returns false: the display
// refresh hides the banner.
bool alarmBannerClicked(Station& station);

// "MT" at Start: the message to show when the sensor reports a fault (the start goes
// on either way), else empty.
std::string temperatureSensorCheck(Station& station);

}  // namespace kapsorel
