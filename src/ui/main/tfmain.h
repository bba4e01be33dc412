// The operator's main window. Created first; its creation loads the station settings and
// starts the station's workers, its close saves them and ends the workers in order.
// The operator prepares and runs tests here; the window carries out, on the GUI thread,
// what the workers ask of the screen.
#pragma once

#include "core/app/display_model.h"
#include "core/app/start_battery_test.h"
#include "core/app/station_runtime.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/procedure_index.h"
#include "core/records/sample_table.h"
#include "core/records/step_table.h"
#include "core/station/ui_bridge.h"
#include "ui/common/qt_ui_bridge.h"
#include "ui/main/circuit_diagram.h"
#include "ui/main/sleep_inhibitor.h"

#include <QMainWindow>
#include <QPointer>
#include <QThread>
#include <filesystem>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSoundEffect;
class QToolBar;

namespace kapsorel::ui {

class TFdata;
class TFgraf;
class TFkroky;

class TFmain final : public QMainWindow, public UiBridge {
    Q_OBJECT
  public:
    // `home`: the station home (the executable's folder); `configPath`: the configuration file.
    TFmain(const std::filesystem::path& home, const std::filesystem::path& configPath, bool startWorkers = true,
           QWidget* parent = nullptr);
    // The same with the configuration the program has already loaded.
    TFmain(const std::filesystem::path& home, ConfigFile config, bool startWorkers = true, QWidget* parent = nullptr);
    // The same on a given clock (tests run the station faster than real time).
    TFmain(const std::filesystem::path& home, const std::filesystem::path& configPath, Clock& clock,
           bool startWorkers = true, QWidget* parent = nullptr);
    ~TFmain() override;

    StationRuntime& runtime() { return *runtime_; }
    QtUiBridge& bridge() { return *bridge_; }
    CircuitDiagram& diagram() { return *diagram_; }
    const SampleTable& samples() const { return samples_; }
    SampleTable& samples() { return samples_; }
    const StepTable& steps() const { return steps_; }
    std::uint8_t userLevel() const { return userLevel_; }
    BatteryFamily family() const { return family_; }
    SleepInhibitor& sleepInhibitor() { return *sleepInhibitor_; }
    // The bus on which logind is asked for the sleep lock (the system bus by default).
    void setSleepInhibitorBus(const QDBusConnection& bus);

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

    // Window upkeep.
    void fillBatteryTypes(std::int16_t head);
    void fillProcedures(const QString& typeName);
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
    TFmain(const std::filesystem::path& home, ConfigFile config, Clock& clock, bool startWorkers, QWidget* parent);

    void buildToolbar();
    void buildPanel();
    void buildDiagram();
    void buildStatusBar();
    void buildRecordWindows();
    void openRecordWindow(QWidget* window);
    void reloadRecordWindows();
    void feedRecordWindows();
    void loadDefinitions();
    void restoreStoredValues();
    void saveStoredValues();

    void selectFamily(BatteryFamily family);
    void setUserLevelFromExpert(bool checked);
    void serviceClick(CircuitDiagram::Element element);
    void editStationName();

    void onStart();
    void continueStart();
    void startResolvedTest(bool resume, std::uint8_t resumeStep, std::uint8_t stopReasonBefore = 0);
    void onManual();
    void onStop();
    void afterStarted();
    void onAlarmClicked();
    void onQuestionAnswered(bool ok);
    void firstShowCheck();
    void onOpen();
    void onSave();
    void onArchive();
    void showTestHeader();
    void showStartTime(DayTime start);
    // Runs `work` (a file copy that syncs to the disk) off the GUI thread with `action`
    // disabled, then shows the message it returns, if any.
    void runFileWork(QAction* action, std::function<std::string()> work, std::function<void()> done);
    static void selectStoredChoice(QComboBox* box, const std::string& stored);

    void setRunButtons(bool startEnabled);
    void setAlarmText(const QString& text);
    void playAlarm();
    void addSampleRow();
    void addStepRow();
    TestStartRequest panelRequest() const;
    int batteryIndexOf(const QString& name) const;
    std::int16_t procedureNumberOf(const QString& name) const;

    std::unique_ptr<QtUiBridge> bridge_;
    std::unique_ptr<StationRuntime> runtime_;
    BatteryTable types_;
    std::unique_ptr<ProcedureIndex> index_;
    DisplayModel model_;
    SampleTable samples_;
    StepTable steps_;
    std::uint8_t userLevel_ = 0;
    int serviceCounter_ = 0;
    BatteryFamily family_ = BatteryFamily::NiCd;
    std::uint32_t currentChangeWindow_ = 0;
    bool firstShown_ = false;
    bool starting_ = false; // a start job is on its way
    bool closing_ = false;

    QToolBar* toolbar_ = nullptr;
    QToolBar* faultsBar_ = nullptr;
    QAction* runAction_ = nullptr;
    QAction* manualAction_ = nullptr;
    QAction* stopAction_ = nullptr;
    QAction* faultsAction_ = nullptr;
    QAction* expertAction_ = nullptr;
    QAction* modulesAction_ = nullptr;
    QAction* firmwareAction_ = nullptr;
    QActionGroup* families_ = nullptr;
    QWidget* panel_ = nullptr;
    QGridLayout* panelGrid_ = nullptr;
    QComboBox* ctypBat_ = nullptr;
    QComboBox* cpostup_ = nullptr;
    QLineEdit* lcisloBat_ = nullptr;
    QComboBox* cmeril_ = nullptr;
    QLabel* ldatum_ = nullptr;
    QLabel* lcas_ = nullptr;
    QLineEdit* lpoznamka_ = nullptr;
    CircuitDiagram* diagram_ = nullptr;
    QPushButton* balarm_ = nullptr;
    QFrame* bvolba_ = nullptr;
    QLabel* bvolbaCaption_ = nullptr;
    QPushButton* bvolOk_ = nullptr;
    QPushButton* bvolKo_ = nullptr;
    std::array<QLabel*, 9> statusPanels_{};
    QSoundEffect* alarm_ = nullptr;
    SleepInhibitor* sleepInhibitor_ = nullptr;
    // The data, graph and steps windows: created with the main window, kept until exit,
    // fed from samples_ and steps_ at each refresh.
    TFdata* dataWindow_ = nullptr;
    TFgraf* grafWindow_ = nullptr;
    TFkroky* krokyWindow_ = nullptr;
    std::size_t fedSamples_ = 0;
    std::size_t fedSteps_ = 0;
    // A test file is being read (its progress dialog lets events through): the refresh
    // leaves the tables and the test file alone until it is done.
    bool loadingFile_ = false;
    // File copies still running off the GUI thread; the window waits for them when it goes.
    std::vector<QPointer<QThread>> fileWork_;
};

} // namespace kapsorel::ui
