#include "core/app/run_notice.h"

#include <algorithm>

namespace kapsorel {

namespace {

// "Baterie 123, stanice Zkušebna, krok 5", leaving out what is not known.
std::string whereLine(const RunNoticeFacts& f)
{
    std::string line;
    const auto add = [&line](const std::string& piece) {
        if (!line.empty())
            line += ", ";
        line += piece;
    };
    if (!f.batteryNumber.empty())
        add("baterie " + f.batteryNumber);
    if (!f.stationName.empty())
        add("stanice " + f.stationName);
    if (f.step > 0)
        add("krok " + std::to_string(f.step));
    if (!line.empty()) // every piece starts with a lower-case ASCII letter
        line[0] = static_cast<char>(line[0] - 'a' + 'A');
    return line;
}

std::string joined(const std::string& detail, const std::string& where)
{
    if (detail.empty())
        return where;
    if (where.empty())
        return detail;
    return detail + "\n" + where;
}

} // namespace

RunNotice runNoticeFor(const RunNoticeFacts& f)
{
    RunNotice n;
    std::string detail;
    switch (f.event) {
    case RunNoticeEvent::RunEnded:
        switch (f.stopReason) {
        case StopReason::None:
            n.summary = "Test skončil";
            detail = "Test baterie doběhl do konce.";
            break;
        case StopReason::OperatorStop:
            n.summary = "Test přerušen";
            detail = "Test přerušila obsluha.";
            break;
        case StopReason::PowerModuleLost:
            n.summary = "Test přerušen";
            detail = "Výkonový modul neodpovídá.";
            n.urgency = NoticeUrgency::Critical;
            break;
        case StopReason::PowerModuleError:
            n.summary = "Test přerušen";
            detail = "Chyba výkonového modulu.";
            n.urgency = NoticeUrgency::Critical;
            break;
        }
        if (n.summary.empty()) { // a reason byte this program does not know
            n.summary = "Test přerušen";
            n.urgency = NoticeUrgency::Critical;
        }
        break;
    case RunNoticeEvent::Signalling:
        n.summary = "Stanice volá obsluhu";
        detail = f.text;
        n.urgency = NoticeUrgency::Critical;
        break;
    case RunNoticeEvent::Question:
        n.summary = "Test čeká na odpověď";
        detail = f.text;
        n.urgency = NoticeUrgency::Critical;
        break;
    }
    n.body = joined(detail, whereLine(f));
    return n;
}

unsigned noticeStepNumber(std::uint8_t currentStep, std::uint8_t stepCount)
{
    if (stepCount == 0)
        return 0;
    return std::min<unsigned>(currentStep, stepCount - 1u) + 1u;
}

std::string escapeNoticeMarkup(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace kapsorel
