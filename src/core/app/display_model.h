// What the once-a-second refresh writes on the main window. The model remembers what the
// window last showed and, from one snapshot of the station, says which texts, colours,
// bars and buttons change; the window only carries that out. Values equal to the ones
// shown are not written again, so the labels do not flicker.
#pragma once

#include "core/app/station_settings.h"
#include "core/station/battery_family.h"
#include "core/station/limits.h"
#include "core/station/station.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kapsorel {

// Everything one refresh reads, taken at once.
struct DisplaySnapshot {
    std::array<float, kCellCount> cells{};
    float batteryVoltage = 0.0f;
    float sourceVoltage = 0.0f;
    float current = 0.0f;
    float capacity = 0.0f;
    float batteryTemperature = 0.0f;
    float moduleTemperature = 0.0f;
    std::int16_t headCode = -1;
    std::uint8_t hardwareKind = 0;
    std::uint8_t powerSwVersion = 0;
    std::uint8_t commFault = 0;
    std::uint8_t ledSeconds = 0;
    std::uint8_t settleCountdown = 0;
    RunPhase phase = RunPhase::Idle;
    BatteryFamily family = BatteryFamily::NiCd;
    std::uint8_t userLevel = 0;
    // Elapsed times already measured against the engine's condition time: whole seconds,
    // truncated as the step time condition counts them, less the interruptions, at least 0.
    std::int64_t stepSeconds = 0;
    std::int64_t totalSeconds = 0;
};

// Reads the live values and the run state; `userLevel` is the window's.
DisplaySnapshot takeDisplaySnapshot(const Station& station, std::uint8_t userLevel);

// A value label's new text; `red` marks the "---" of a module that does not answer.
struct LabelText {
    std::string text;
    bool red = false;

    bool operator==(const LabelText&) const = default;
};

// One cell bar on its 0-250 scale with the colour set for its voltage and its label.
struct CellBar {
    int position = 0;
    CellColourSet colours;
    std::string label; // "%5.2fV"

    bool operator==(const CellBar&) const = default;
};

CellBar cellBar(float volts, const StationSettings& settings);

// The wide bar of a battery without cell bars: frame system colour 13, bar and
// background DA/D9/AF.
CellColourSet wideBarColours();

// The value labels' texts before the first refresh: what a new model counts as shown
// (a capacity, temperatures and a source voltage of 0), in the formats the refresh uses
// below service level.
struct StartLabels {
    std::string capacity;    // lkapacita
    std::string temperature; // lteplota
    std::string moduleTemp;  // otepl
    std::string source;      // znap
};
StartLabels startLabels();

// Head code panel text for a head code, family and communication fault.
std::string headPanelText(std::int16_t headCode, BatteryFamily family, std::uint8_t commFault);

// What one refresh changes. Unset fields leave the window as it is.
struct DisplayUpdate {
    std::optional<std::string> headText;
    std::optional<std::string> versionText;
    std::optional<std::int16_t> refillBatteryTypes; // with this head code as filter
    std::optional<std::uint8_t> applyHardwareKind;
    std::optional<LabelText> voltage;     // lnap
    std::optional<LabelText> source;      // znap
    std::optional<LabelText> moduleTemp;  // otepl
    std::optional<LabelText> current;     // lproud
    std::optional<LabelText> capacity;    // lkapacita
    std::optional<LabelText> temperature; // lteplota
    std::vector<int> changedCells;        // cells whose bar is updated, in order
    std::optional<std::string> stepTime;
    std::optional<std::string> totalTime;
    bool hideBanner = false;
    std::optional<bool> enableStart; // "Start" and "Ručně"
};

class DisplayModel {
  public:
    DisplayModel() { reset(); }
    // Values no window shows, so the first refresh writes everything.
    void reset();

    DisplayUpdate refresh(const DisplaySnapshot& s);

    // The hardware kind applied last (none at first).
    std::optional<std::uint8_t> appliedHardwareKind() const { return appliedKind_; }

  private:
    std::array<float, kCellCount> cells_{};
    float voltage_ = 0.0f;
    float source_ = 0.0f;
    float current_ = 0.0f;
    float capacity_ = 0.0f;
    float temperature_ = 0.0f;
    float moduleTemp_ = 0.0f;
    std::int16_t head_ = -2;
    std::optional<std::uint8_t> appliedKind_;
};

} // namespace kapsorel
