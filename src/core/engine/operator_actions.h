// What the operator's clicks and the Start press do to a run, as plain functions the
// main window calls: the question's "OK" / "Konec", the alarm banner click and the
// temperature sensor check at Start.
#pragma once

#include "core/definitions/run_procedure.h"
#include "core/station/live_values.h"
#include "core/station/power_commands.h"
#include "core/station/run_state.h"

#include <string>

namespace kapsorel {

// "OK": jump target from the current step's value 1 ("Krok OK"), then question answer 1.
// Taken only while a run is active and its current step is a choice step ("Volba"); a
// click on a question left over from another test changes nothing. Returns whether taken.
bool answerQuestionOk(SharedRunState& run, const RunProcedure& procedure);
// "Konec": jump target from the current step's value 2 ("Krok KO"), then question answer 2,
// on the same terms.
bool answerQuestionEnd(SharedRunState& run, const RunProcedure& procedure);

// Alarm banner click. With both modules answering it sends "Pa" and returns true: hide
// the banner now. Otherwise it only clears LedSeconds and returns false: the display
// refresh hides the banner.
bool alarmBannerClicked(LiveValues& live, PowerCommands& power);

// "MT" at Start: the message to show when the module answered that its sensor is faulty
// (the start goes on either way), else empty.
std::string temperatureSensorCheck(PowerCommands& power);

} // namespace kapsorel
