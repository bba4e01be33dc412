#include "core/app/display_model.h"

#include "core/app/start_state.h"
#include "core/base/atomic_order.h"
#include "core/base/day_time.h"
#include "core/base/numbers.h"
#include "core/definitions/duration_text.h"

#include <string>

namespace kapsorel {

namespace {

// Last shown values at the start: none of them is what a module reports first.
constexpr float kUnshownCell = 100.0f;
constexpr float kUnshownVoltage = 100.0f;
constexpr float kUnshownCurrent = 1000.0f;
constexpr std::int16_t kUnshownHead = -2;

std::string text(const char* format, float v)
{
    return formatNumber(format, static_cast<double>(v));
}

// An elapsed time as the status bar shows it: the whole seconds the step time condition
// counts, less the seconds the test stood interrupted, and never below 0. It would go
// below when the start lies after the engine's condition time: a new step's start is
// taken a moment after the last condition time, and a resume (or a start) clears the
// condition time to 0 until the engine's first pass, which made 0 - start (about
// -45 000 days, clamped to -2^31 s) show as "-596523:14:08".
std::int64_t shownSeconds(DayTime start, DayTime conditionTime, std::uint32_t excluded)
{
    const long long elapsed = elapsedWholeSeconds(start, conditionTime) - static_cast<long long>(excluded);
    return elapsed > 0 ? elapsed : 0;
}

std::int32_t clampSeconds(std::int64_t s)
{
    if (s > INT32_MAX)
        return INT32_MAX;
    if (s < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(s);
}

} // namespace

DisplaySnapshot takeDisplaySnapshot(const Station& station, std::uint8_t userLevel)
{
    const LiveValues& live = station.live;
    const SharedRunState& run = station.run;
    DisplaySnapshot s;
    for (std::size_t i = 0; i < kCellCount; ++i)
        s.cells[i] = live.cellVoltage[i].load(kRelaxed);
    s.batteryVoltage = live.batteryVoltage.load(kRelaxed);
    s.sourceVoltage = live.sourceVoltage.load(kRelaxed);
    s.current = live.current.load(kRelaxed);
    s.capacity = live.capacity.load(kRelaxed);
    s.batteryTemperature = live.batteryTemperature.load(kRelaxed);
    s.moduleTemperature = live.moduleTemperature.load(kRelaxed);
    s.headCode = live.headCode.load(kRelaxed);
    s.hardwareKind = live.hardwareKind.load(kRelaxed);
    s.powerSwVersion = live.powerSwVersion.load(kRelaxed);
    s.commFault = live.commFault.load(kRelaxed);
    s.ledSeconds = live.ledSeconds.load(kRelaxed);
    s.settleCountdown = live.settleCountdown.load(kRelaxed);
    s.phase = run.phase();
    s.family = station.batteryFamily();
    s.userLevel = userLevel;
    if (s.phase != RunPhase::Idle) {
        const DayTime now = run.conditionTime.load(kRelaxed);
        s.stepSeconds = shownSeconds(run.stepStartTime.load(kRelaxed), now, run.resumeSeconds.load(kRelaxed));
        s.totalSeconds =
            shownSeconds(run.runStartTime.load(kRelaxed), now, run.totalInterruptionSeconds.load(kRelaxed));
    }
    return s;
}

CellBar cellBar(float v, const StationSettings& settings)
{
    CellBar bar;
    if (v < settings.cellFailLimit)
        bar.position = 20;
    else if (v > settings.cellOkMaximum)
        bar.position = 250;
    else
        bar.position = static_cast<int>(100.0f * v) + 80;
    if (v < settings.cellFailLimit)
        bar.colours = settings.cellBelowLimitColours;
    else if (v < settings.cellOkMinimum)
        bar.colours = settings.cellBelowOkColours;
    else if (v > settings.cellOkMaximum)
        bar.colours = settings.cellAboveOkColours;
    else
        bar.colours = settings.cellOtherColours;
    bar.label = text("%5.2fV", v);
    return bar;
}

StartLabels startLabels()
{
    return {text("%7.1fAh", 0.0f), text("%5.1f°C", 0.0f), text("%5.1f°C", 0.0f), text("%5.1fV", 0.0f)};
}

CellColourSet wideBarColours()
{
    constexpr std::int32_t kSystemColour13 = -16777203;
    constexpr std::int32_t kWideBar = 11524570; // DA/D9/AF
    return {kSystemColour13, kWideBar, kWideBar};
}

std::string headPanelText(std::int16_t headCode, BatteryFamily family, std::uint8_t commFault)
{
    if (headCode == -1)
        return "COMM";
    if (family == BatteryFamily::Pb && headCode == 0)
        return commFault != 0 ? "COM" : "PB";
    if (headCode == 0)
        return "NC";
    return std::to_string(headCode);
}

void DisplayModel::reset()
{
    cells_.fill(kUnshownCell);
    voltage_ = kUnshownVoltage;
    source_ = 0.0f;
    current_ = kUnshownCurrent;
    capacity_ = 0.0f;
    temperature_ = 0.0f;
    moduleTemp_ = 0.0f;
    head_ = kUnshownHead;
    appliedKind_.reset();
}

DisplayUpdate DisplayModel::refresh(const DisplaySnapshot& s)
{
    DisplayUpdate u;
    const bool service = s.userLevel == 2;

    if (s.headCode != head_) {
        head_ = s.headCode;
        u.headText = headPanelText(s.headCode, s.family, s.commFault);
        if (s.headCode == 0 && s.family == BatteryFamily::Pb && s.commFault == 0)
            u.versionText = versionLabel(s.powerSwVersion);
        if (s.headCode > 0)
            u.refillBatteryTypes = s.headCode;
    }
    if (!appliedKind_ || *appliedKind_ != s.hardwareKind) {
        appliedKind_ = s.hardwareKind;
        u.applyHardwareKind = s.hardwareKind;
    }
    if (s.batteryVoltage != voltage_) {
        voltage_ = s.batteryVoltage;
        u.voltage = LabelText{text(service ? "%5.2fV" : "%5.1fV", s.batteryVoltage), false};
    }
    if (s.commFault != 0) {
        u.voltage = LabelText{"---", true};
        voltage_ = kUnshownVoltage;
    }
    if (s.hardwareKind == 1 && s.sourceVoltage != source_) {
        source_ = s.sourceVoltage;
        u.source = LabelText{text(service ? "%5.2fV" : "%5.1fV", s.sourceVoltage), false};
    }
    if (s.moduleTemperature != moduleTemp_) {
        moduleTemp_ = s.moduleTemperature;
        u.moduleTemp = LabelText{text("%5.1f°C", s.moduleTemperature), false};
    }
    for (std::size_t i = 0; i < kCellCount; ++i)
        if (s.cells[i] != cells_[i]) {
            cells_[i] = s.cells[i];
            u.changedCells.push_back(static_cast<int>(i));
        }
    if (s.current != current_) {
        current_ = s.current;
        u.current = LabelText{text(service ? "%5.2fA" : "%5.1fA", s.current), false};
    }
    if (s.commFault & kCommFaultPower) {
        u.current = LabelText{"---", true};
        current_ = kUnshownCurrent;
    }
    if (s.capacity != capacity_) {
        capacity_ = s.capacity;
        u.capacity = LabelText{text(service ? "%9.4fAh" : "%7.1fAh", s.capacity), false};
    }
    if (s.batteryTemperature != temperature_) {
        temperature_ = s.batteryTemperature;
        u.temperature = LabelText{text("%5.1f°C", s.batteryTemperature), false};
    }
    if (s.phase != RunPhase::Idle) {
        u.stepTime = formatDurationHms(clampSeconds(s.stepSeconds)) + (s.settleCountdown != 0 ? "!" : "");
        u.totalTime = formatDurationHms(clampSeconds(s.totalSeconds));
    }
    u.hideBanner = s.ledSeconds == 0;
    if (s.phase == RunPhase::Idle) {
        if (s.commFault == 0)
            u.enableStart = true;
        else if (s.userLevel == 0)
            u.enableStart = false;
    }
    return u;
}

} // namespace kapsorel
