// Waiting on the GUI thread without freezing it.
#pragma once

namespace kapsorel::ui {

// Processes pending events for `ms` milliseconds (the window stays alive while it waits).
void waitProcessingEvents(int ms);

} // namespace kapsorel::ui
