#include "core/app/station_runtime.h"

#include "core/app/config_path.h"

namespace kapsorel {

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
}

RunMarker::LastTest ConfigRunMarker::lastTest() const
{
    const auto last = readLastTest(config_);
    return LastTest{last.Test, last.Test_ukoncen};
}

Status ConfigRunMarker::markTest(const std::string& path, int completed)
{
    writeLastTest(config_, path, completed == 1);
    // A configuration that could not be read was reported at start; the test still runs.
    if (config_.readOnly())
        return {};
    return config_.save();
}

std::string unreadableConfigMessage(const std::string& reason)
{
    return reason +
           ".\nProgram běží s výchozím nastavením a konfigurační soubor až do konce nezmění."
           "\nZámek jediné instance je pojmenován podle výchozí adresy výkonového modulu " +
           kDefaultPowerModuleAddress + ".";
}

StationRuntime::StationRuntime(std::filesystem::path home, std::filesystem::path configPath, UiBridge& ui, Clock& clock)
    : StationRuntime(std::move(home), ConfigFile::loadForStation(configPath, clock), ui, clock)
{
}

StationRuntime::StationRuntime(std::filesystem::path home, ConfigFile config, UiBridge& ui, Clock& clock)
    : home_(std::move(home)), config_(std::move(config)), settings_(loadStationSettings(config_, home_)), ui_(ui),
      clock_(clock), testFile_(station_.run, station_.live, marker_, clock),
      evaluator_(procedure_, station_.live, station_.run),
      engine_(station_, procedure_, *this, evaluator_, ui, clock, [this] { return workers_.TH_RUN.keepRunning(); }),
      powerPoller_(station_, ui, clock, [this] { return workers_.TH_VYK.keepRunning(); }),
      measurementPoller_(station_, clock),
      refresh_(station_, ui, clock, [this] { return workers_.TH_SYNC.keepRunning(); })
{
    station_.power.setMessageSink([this](const std::string& m) { ui_.showMessage(m); });
    station_.measure.setMessageSink([this](const std::string& m) { ui_.showMessage(m); });
    applySettings();
    if (config_.readOnly())
        ui_.showMessage(unreadableConfigMessage(config_.unreadableReason()));
}

StationRuntime::~StationRuntime()
{
    workers_.shutdown({}, {}, clock_);
}

void StationRuntime::applySettings()
{
    station_.power.setEndpoint(settings_.IP_adr_vyk, settings_.TCP_Port_vyk);
    station_.power.setUdpPort(settings_.UDP_Port_vyk);
    station_.measure.setEndpoint(settings_.IP_adr_mer, settings_.TCP_Port_mer);
    station_.measure.setUdpPort(settings_.UDP_Port_mer);
    station_.errorSirenSeconds.store(settings_.ERR_SIR, relaxed);
    station_.live.reset(settings_.TYP_HW);
    station_.setBatteryFamily(familyForHardwareKind(settings_.TYP_HW));
    applyFolders();
}

void StationRuntime::applyFolders()
{
    std::lock_guard g(foldersMutex_);
    dataFolder_ = settings_.Data_adr;
    archiveFolder_ = settings_.Arch_adr;
}

Status StationRuntime::saveSettings()
{
    settings_.TCP_Port_vyk = station_.power.tcpPort();
    settings_.TCP_Port_mer = station_.measure.tcpPort();
    settings_.TYP_HW = station_.live.HardwareKind.load(relaxed);
    saveStationSettings(config_, settings_);
    if (config_.readOnly())
        return {};
    return config_.save(clock_);
}

void StationRuntime::startWorkers()
{
    workers_.start(Workers::Passes{
                       [this] { measurementPoller_.pollOnce(); },
                       [this] { powerPoller_.pollOnce(); },
                       [this] { engine_.pass(); },
                       [this] { refresh_.pass(); },
                   },
                   [this](const std::string& message) { ui_.showMessage(message); });
}

void StationRuntime::shutdown(const std::function<void()>& waitHook)
{
    workers_.shutdown(home_ / kShutdownLogFileName, waitHook, clock_);
    measurementPoller_.release();
    powerPoller_.release();
}

std::filesystem::path StationRuntime::dataFolder() const
{
    std::lock_guard g(foldersMutex_);
    return dataFolder_;
}

std::filesystem::path StationRuntime::archiveFolder() const
{
    std::lock_guard g(foldersMutex_);
    return archiveFolder_;
}

void StationRuntime::startRun()
{
    auto& run = station_.run;
    run.currentStep.store(0, relaxed);
    run.StopReason.store(0, relaxed);
    run.resumeSeconds.store(0, relaxed);
    run.totalInterruptionSeconds.store(0, relaxed);
    run.conditionTime.store(0, relaxed);
    run.runStartTime.store(0, relaxed);
    run.stepStartTime.store(0, relaxed);
    run.stepMark.store(-1, relaxed);
    run.newSample.store(0, relaxed);
    run.jumpTarget.store(-1, relaxed);
    // Release: the engine sees the prepared procedure and the new test file with the state.
    run.RunState.store(static_cast<std::uint8_t>(RunStateCode::Start), std::memory_order_release);
}

DayTime StationRuntime::testStart() const
{
    return testFile_.header().start;
}

DayTime StationRuntime::storedStepStart(std::uint8_t step) const
{
    const auto r = testFile_.stepResult(step);
    return r ? r->start : clock_.now();
}

Status StationRuntime::recordStepStart(bool proceed)
{
    const auto step = station_.run.currentStep.load(relaxed);
    return testFile_.recordStepStart(proceed, procedure_.steps[step]);
}

Status StationRuntime::recordStepEnd(std::uint8_t recordedStep, bool proceed)
{
    return testFile_.recordStepEnd(recordedStep, proceed);
}

Status StationRuntime::appendSample()
{
    return testFile_.appendSample();
}

Status StationRuntime::recordInterruption()
{
    return testFile_.recordInterruption();
}

Status StationRuntime::recordCompletion()
{
    return testFile_.recordCompletion(archiveFolder());
}

} // namespace kapsorel
