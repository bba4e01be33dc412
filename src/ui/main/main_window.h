// The operator's main window: a shell of parts (toolbar items, operator panel, circuit
// diagram with its banners, status bar, run controls, test-file actions, record windows).
// Its creation loads the station settings and starts the station's workers, its close
// saves them and ends the workers in order. It carries out, on the GUI thread, what the
// workers ask of the screen.
#pragma once

#include "core/app/display_model.h"
#include "core/app/service_access.h"
#include "core/app/start_workflow.h"
#include "core/app/station_runtime.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/procedure_index.h"
#include "core/records/sample_table.h"
#include "core/records/step_table.h"
#include "core/station/ui_bridge.h"
#include "ui/common/qt_ui_bridge.h"
#include "ui/main/circuit_diagram.h"
#include "ui/main/main_actions.h"
#include "ui/main/sleep_inhibitor.h"

#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>

class QDBusConnection;
class QLabel;

namespace kapsorel::ui {

class Banners;
class LiveDisplay;
class OperatorPanel;
class RecordWindows;
class RunControls;
class BatteryTestFileActions;

class MainWindow final : public QMainWindow, public UiBridge {
    Q_OBJECT
  public:
    // `home`: the station home (the executable's folder); `configPath`: the configuration file.
    MainWindow(const std::filesystem::path& home, const std::filesystem::path& configPath, bool startWorkers = true,
               QWidget* parent = nullptr);
    // The same with the configuration the program has already loaded.
    MainWindow(const std::filesystem::path& home, ConfigFile config, bool startWorkers = true,
               QWidget* parent = nullptr);
    // The same on a given clock (tests run the station faster than real time).
    MainWindow(const std::filesystem::path& home, const std::filesystem::path& configPath, Clock& clock,
               bool startWorkers = true, QWidget* parent = nullptr);
    // The window of a station already built on `bridge` (attached here to this window).
    MainWindow(std::unique_ptr<QtUiBridge> bridge, std::unique_ptr<StationRuntime> runtime, bool startWorkers = true,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    StationRuntime& runtime() { return *runtime_; }
    QtUiBridge& bridge() { return *bridge_; }
    CircuitDiagram& diagram() { return *diagram_; }
    const SampleTable& samples() const;
    SampleTable& samples();
    const StepTable& steps() const;
    std::uint8_t userLevel() const { return access_.level(); }
    BatteryFamily family() const { return family_; }
    SleepInhibitor& sleepInhibitor() { return *sleepInhibitor_; }
    // The bus on which logind is asked for the sleep lock (the system bus by default).
    void setSleepInhibitorBus(const QDBusConnection& bus);
    // The session ends (logout, shutdown): closes along the exit path without the refusal
    // a running test gives and without asking; the test stays resumable as after a power cut.
    void endSession()
    {
        sessionEnding_ = true;
        close();
    }
    // Settings that could not be saved on close: a message box, or at the session's end,
    // when no one is there to answer one, a line on the standard error (the session log).
    void reportUnsavedSettings(const std::string& error);

    // UiBridge, carried out on the GUI thread.
    void showMessage(const std::string& text) override;
    void runStoppedOnLostModule() override;
    void errorAlarm(const std::string& text) override;
    void faultsChanged(std::uint16_t faultBits) override;
    void statusText(const std::string& text) override;
    void signallingPrompt(const std::string& text) override;
    void questionPrompt(const std::string& text) override;
    void runEnded() override;
    void refreshDisplay() override;
    void addStepRow(std::uint8_t step) override;

    // Window upkeep.
    void fillBatteryTypes(std::int16_t head, bool keepChoice = false);
    void setCaptions();
    void layOutDiagram();
    void applyIconSize();
    void applyPanelPosition();
    void applyHardwareKind(std::uint8_t kind);

    // "Otevři" with the chosen path: reads the test file into the windows. False when it
    // could not be read (the message is shown).
    bool openTestFileAt(const std::filesystem::path& path);
    // "Ulož" to the chosen path; `done` runs once the copy has ended.
    void saveTestFileTo(const std::filesystem::path& path, std::function<void()> done = {});
    // "Archivuj soubor"; `done` runs once the copy has ended.
    void archiveTestFile(std::function<void()> done = {});

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    struct StationParts {
        std::unique_ptr<QtUiBridge> bridge;
        std::unique_ptr<StationRuntime> runtime;
    };
    static StationParts buildStation(const std::filesystem::path& home, ConfigFile config, Clock& clock);
    MainWindow(StationParts parts, bool startWorkers, QWidget* parent);

    void buildDiagram();
    void connectActions();
    void loadDefinitions();
    void restoreStoredValues();
    void saveStoredValues();
    StartPlan startPlan() const;

    void selectFamily(BatteryFamily chosen);
    void setExpert(bool checked);
    void serviceClick(CircuitDiagram::Element element);
    void editStationName();
    void onStarted(bool resumed);
    void onAlarmClicked();
    void onQuestionAnswered(bool ok);
    void firstShowCheck();
    void showFaultsWindow();

    std::unique_ptr<QtUiBridge> bridge_;
    std::unique_ptr<StationRuntime> runtime_;
    BatteryTable types_;
    std::unique_ptr<ProcedureIndex> index_;
    DisplayModel model_;
    ServiceAccess access_;
    BatteryFamily family_ = BatteryFamily::NiCd;
    // The head filter the battery types were last listed with (none yet).
    std::optional<std::int16_t> listedHead_;
    bool firstShown_ = false;
    bool closing_ = false;
    bool sessionEnding_ = false;

    MainActions actions_;
    OperatorPanel* panel_ = nullptr;
    CircuitDiagram* diagram_ = nullptr;
    Banners* banners_ = nullptr;
    LiveDisplay* display_ = nullptr;
    RecordWindows* records_ = nullptr;
    RunControls* runControls_ = nullptr;
    BatteryTestFileActions* fileActions_ = nullptr;
    SleepInhibitor* sleepInhibitor_ = nullptr;
};

} // namespace kapsorel::ui
