#include "core/app/station_runtime.h"

#include "core/app/config_path.h"
#include "core/base/atomic_order.h"
#include "core/records/history_index.h"
#include "core/records/sqlite_history_store.h"

#include <system_error>

namespace kapsorel {

namespace {
}

LastTest ConfigRunMarker::lastTest() const
{
    return readLastTest(config_);
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
      engine_(station_, procedure_, *this, evaluator_, powerCommands_, ui, clock,
              [this] { return workers_.TH_RUN.keepRunning(); }),
      powerPoller_(station_, powerStatus_, powerCommands_, ui, clock, [this] { return workers_.TH_VYK.keepRunning(); }),
      measurementPoller_(station_, measureStatus_, clock),
      refresh_(station_, ui, clock, [this] { return workers_.TH_SYNC.keepRunning(); })
{
    power_.setMessageSink([this](const std::string& m) { ui_.showMessage(m); });
    measure_.setMessageSink([this](const std::string& m) { ui_.showMessage(m); });
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
    power_.setEndpoint(settings_.powerModuleAddress, settings_.powerModuleTcpPort);
    power_.setUdpPort(settings_.powerModuleUdpPort);
    measure_.setEndpoint(settings_.measurementModuleAddress, settings_.measurementModuleTcpPort);
    measure_.setUdpPort(settings_.measurementModuleUdpPort);
    station_.errorSirenSeconds.store(settings_.faultSignallingSeconds, kRelaxed);
    station_.live.reset(settings_.hardwareKind);
    station_.setBatteryFamily(familyForHardwareKind(settings_.hardwareKind));
    applyFolders();
}

void StationRuntime::applyFolders()
{
    std::lock_guard g(foldersMutex_);
    dataFolder_ = settings_.dataFolder;
    archiveFolder_ = settings_.archiveFolder;
}

Status StationRuntime::saveSettings()
{
    settings_.powerModuleTcpPort = power_.tcpPort();
    settings_.measurementModuleTcpPort = measure_.tcpPort();
    settings_.hardwareKind = station_.live.hardwareKind.load(kRelaxed);
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
    run.currentStep.store(0, kRelaxed);
    run.setStopReason(StopReason::None);
    run.resumeSeconds.store(0, kRelaxed);
    run.totalInterruptionSeconds.store(0, kRelaxed);
    run.conditionTime.store(0, kRelaxed);
    run.runStartTime.store(0, kRelaxed);
    run.stepStartTime.store(0, kRelaxed);
    run.stepMark.store(kNoStepMark, kRelaxed);
    run.newSample.store(0, kRelaxed);
    run.jumpTarget.store(-1, kRelaxed);
    // Release: the engine sees the prepared procedure and the new test file with the state.
    run.setPhase(RunPhase::Start);
}

DayTime StationRuntime::testStart() const
{
    return testFile_.header().start;
}

StoredStepStart StationRuntime::storedStepStart(std::uint8_t step) const
{
    const auto r = testFile_.stepResult(step);
    if (!r)
        return {};
    return {r->start, r->status != test_file_layout::kStartedSkipped && r->status != test_file_layout::kEndedSkipped};
}

Status StationRuntime::recordStepStart(bool proceed)
{
    const auto step = station_.run.currentStep.load(kRelaxed);
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

Status StationRuntime::recordInterruption(bool withSample)
{
    Status recorded = testFile_.recordInterruption(withSample);
    enterHistory();
    return recorded;
}

Status StationRuntime::recordCompletion()
{
    Status recorded = testFile_.recordCompletion(archiveFolder());
    enterHistory();
    return recorded;
}

void StationRuntime::enterHistory()
{
    const std::filesystem::path path = testFile_.currentPath();
    if (path.empty())
        return;
    auto store = SqliteHistoryStore::open(historyStorePath(dataFolder()));
    if (!store)
        return;
    (void)recordHistoryOf(**store, path, false);
    const std::filesystem::path archive = archiveFolder();
    std::error_code ec;
    if (!archive.empty() && std::filesystem::exists(archive / path.filename(), ec))
        (void)recordHistoryOf(**store, archive / path.filename(), true);
}

} // namespace kapsorel
