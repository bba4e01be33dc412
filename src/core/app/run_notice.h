// What the station tells the desktop when a test ends, is interrupted or waits for the
// operator: the notification's summary, body and urgency, worked out from plain facts so
// that an operator in another room learns which battery on which station needs them.
#pragma once

#include "core/station/run_state.h"

#include <cstdint>
#include <string>

namespace kapsorel {

// The run engine's calls that give a notification.
enum class RunNoticeEvent : std::uint8_t {
    RunEnded,   // the run is over: completed, or interrupted when a stop reason is set
    Signalling, // a signalling step calls the operator with its banner text
    Question,   // a choice step waits for the operator's answer
};

// The notification servers' urgency levels.
enum class NoticeUrgency : std::uint8_t { Low = 0, Normal = 1, Critical = 2 };

struct RunNoticeFacts {
    RunNoticeEvent event = RunNoticeEvent::RunEnded;
    StopReason stopReason = StopReason::None; // of an ended run
    std::string batteryNumber;                // empty when the test has none
    std::string stationName;
    unsigned step = 0; // as the operator counts them (from 1); 0 when unknown
    std::string text;  // the banner's or the question's text
};

struct RunNotice {
    std::string summary;
    std::string body; // plain text
    NoticeUrgency urgency = NoticeUrgency::Normal;

    bool operator==(const RunNotice&) const = default;
};

RunNotice runNoticeFor(const RunNoticeFacts& facts);

// The step the operator sees for the engine's current step index: one more, but never past
// the procedure's last step (a completed run leaves the index after it). 0 without steps.
unsigned noticeStepNumber(std::uint8_t currentStep, std::uint8_t stepCount);

// `text` for a server that reads the body as markup: "&", "<" and ">" as entities.
std::string escapeNoticeMarkup(const std::string& text);

} // namespace kapsorel
