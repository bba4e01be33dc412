// One running station: its configuration and settings, the shared station state, the
// test file, the run engine, the pollers and the four worker threads. The Qt program and
// the end-to-end tests build it the same way.
#pragma once

#include "core/app/config_file.h"
#include "core/app/display_refresh.h"
#include "core/app/station_settings.h"
#include "core/app/worker_control.h"
#include "core/base/atomic_order.h"
#include "core/comm/link_power_commands.h"
#include "core/comm/measurement_poller.h"
#include "core/comm/module_jobs.h"
#include "core/comm/module_link.h"
#include "core/comm/power_poller.h"
#include "core/comm/status_channel.h"
#include "core/engine/condition_evaluator.h"
#include "core/engine/run_engine.h"
#include "core/records/battery_test_file.h"
#include "core/records/run_marker.h"
#include "core/station/station.h"
#include "core/station/ui_bridge.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>

namespace kapsorel {

// "RUN" section markers kept in the configuration file.
class ConfigRunMarker final : public RunMarker {
  public:
    explicit ConfigRunMarker(ConfigFile& config) : config_(config) {}
    LastTest lastTest() const override;
    Status markTest(const std::string& path, int completed) override;

  private:
    ConfigFile& config_;
};

// What the user is told once when the configuration file exists but cannot be read:
// the reason, that the program runs on defaults without ever writing the file, and that
// the single-instance lock is therefore named after the default power module address.
std::string unreadableConfigMessage(const std::string& reason);

class StationRuntime : private RunRecorder {
  public:
    // Reads the configuration at `configPath` (see ConfigFile::loadForStation) for the
    // station whose home folder is `home`. `ui` must outlive the runtime.
    StationRuntime(std::filesystem::path home, std::filesystem::path configPath, UiBridge& ui,
                   Clock& clock = SystemClock::instance());
    // The same with the configuration already loaded (the program reads it once, before
    // it takes the single-instance lock). A read-only configuration is reported through
    // `ui` here, once; its saves are then skipped without a further message.
    StationRuntime(std::filesystem::path home, ConfigFile config, UiBridge& ui, Clock& clock = SystemClock::instance());
    ~StationRuntime();

    // Puts the settings into the station: module endpoints, live values' start values,
    // the battery family, the fault signalling time and the data and archive folders.
    void applySettings();
    // Takes changed data and archive folders (the settings window); the engine reads
    // them from its own thread.
    void applyFolders();
    // Writes the settings back (the ports the links use, the hardware kind reported).
    // A read-only configuration takes them in memory only.
    Status saveSettings();

    void startWorkers();
    // Asks the workers to stop (the close request).
    void requestStop() { workers_.requestStop(); }
    // The exit sequence with its shutdown log; `waitHook` keeps the GUI alive meanwhile.
    void shutdown(const std::function<void()>& waitHook);

    Station& station() { return station_; }
    // The power module's TCP link (Frame_vyk) and the measurement module's (Frame_mer).
    ModuleLink& powerLink() { return power_; }
    ModuleLink& measureLink() { return measure_; }
    PowerCommands& powerCommands() { return powerCommands_; }
    // Where the windows' exchanges with each module run.
    ModuleJobRunner& powerJobs() { return powerJobs_; }
    ModuleJobRunner& measureJobs() { return measureJobs_; }
    StationSettings& settings() { return settings_; }
    ConfigFile& config() { return config_; }
    RunProcedure& procedure() { return procedure_; }
    BatteryTestFile& testFile() { return testFile_; }
    Workers& workers() { return workers_; }
    const std::filesystem::path& home() const { return home_; }
    Clock& clock() { return clock_; }
    std::filesystem::path dataFolder() const;
    std::filesystem::path archiveFolder() const;

    // The current-change window in seconds of the battery type the run was resolved for
    // (0: none); DeltaCurrent looks back this far.
    std::uint32_t currentChangeSeconds() const { return currentChangeSeconds_.load(kRelaxed); }
    void setCurrentChangeSeconds(std::uint32_t seconds) { currentChangeSeconds_.store(seconds, kRelaxed); }

    // Starts a new run of the prepared procedure as the main window does once the test
    // file has been created.
    void startRun();

  private:
    // What the engine records, routed into the test file.
    DayTime testStart() const override;
    StoredStepStart storedStepStart(std::uint8_t step) const override;
    Status recordStepStart(bool proceed) override;
    Status recordStepEnd(std::uint8_t recordedStep, bool proceed) override;
    Status appendSample() override;
    Status recordInterruption(bool withSample) override;
    Status recordCompletion() override;
    // The ended or stopped test into the battery history (a cache: a failure is left to
    // the history's next refresh from the files).
    void enterHistory();

    std::filesystem::path home_;
    ConfigFile config_;
    StationSettings settings_;
    mutable std::mutex foldersMutex_;
    std::atomic<std::uint32_t> currentChangeSeconds_{0};
    std::filesystem::path dataFolder_;
    std::filesystem::path archiveFolder_;
    Station station_;
    ModuleLink power_{"vyk"};
    ModuleLink measure_{"mer"};
    LinkPowerCommands powerCommands_{power_, station_.live};
    UdpStatusChannel powerStatus_{power_};
    UdpStatusChannel measureStatus_{measure_};
    ModuleJobRunner powerJobs_{power_};
    ModuleJobRunner measureJobs_{measure_};
    UiBridge& ui_;
    Clock& clock_;
    RunProcedure procedure_;
    ConfigRunMarker marker_{config_};
    BatteryTestFile testFile_;
    ConditionEvaluator evaluator_;
    RunEngine engine_;
    PowerPoller powerPoller_;
    MeasurementPoller measurementPoller_;
    DisplayRefresh refresh_;
    Workers workers_; // last: its threads end before the parts they run are destroyed
};

} // namespace kapsorel
