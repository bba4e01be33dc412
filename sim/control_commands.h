// The commands of the control interface, applied to the simulator: fault injection,
// state overrides, read-out of the model and of the frames the modules received.
#pragma once

#include <string>

#include "control_server.h"

namespace kapsorel::sim {

class Simulator;

ControlReply executeControl(Simulator& sim, const std::string& line);

}  // namespace kapsorel::sim
