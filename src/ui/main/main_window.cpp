#include "ui/main/main_window.h"

#include "core/app/operator_choices.h"
#include "core/app/start_state.h"
#include "core/app/user_list.h"
#include "core/base/atomic_order.h"
#include "core/base/numbers.h"
#include "core/definitions/text_cut.h"
#include "core/engine/operator_actions.h"
#include "ui/common/app_icons.h"
#include "ui/common/ask.h"
#include "ui/common/event_wait.h"
#include "ui/common/module_job.h"
#include "ui/common/window_placement.h"
#include "ui/main/banners.h"
#include "ui/main/battery_test_file_actions.h"
#include "ui/main/faults_window.h"
#include "ui/main/live_display.h"
#include "ui/main/operator_panel.h"
#include "ui/main/record_windows.h"
#include "ui/main/run_controls.h"
#include "ui/main/settings_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>

namespace kapsorel::ui {

namespace {

constexpr int kAlarmTextChars = 50;

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

MainWindow::StationParts MainWindow::buildStation(const std::filesystem::path& home, ConfigFile config, Clock& clock)
{
    StationParts parts;
    parts.bridge = std::make_unique<QtUiBridge>();
    parts.runtime = std::make_unique<StationRuntime>(home, std::move(config), *parts.bridge, clock);
    return parts;
}

MainWindow::MainWindow(const std::filesystem::path& home, const std::filesystem::path& configPath, bool startWorkers,
                       QWidget* parent)
    : MainWindow(buildStation(home, ConfigFile::loadForStation(configPath), SystemClock::instance()), startWorkers,
                 parent)
{
}

MainWindow::MainWindow(const std::filesystem::path& home, ConfigFile config, bool startWorkers, QWidget* parent)
    : MainWindow(buildStation(home, std::move(config), SystemClock::instance()), startWorkers, parent)
{
}

MainWindow::MainWindow(const std::filesystem::path& home, const std::filesystem::path& configPath, Clock& clock,
                       bool startWorkers, QWidget* parent)
    : MainWindow(buildStation(home, ConfigFile::loadForStation(configPath, clock), clock), startWorkers, parent)
{
}

MainWindow::MainWindow(StationParts parts, bool startWorkers, QWidget* parent)
    : MainWindow(std::move(parts.bridge), std::move(parts.runtime), startWorkers, parent)
{
}

MainWindow::MainWindow(std::unique_ptr<QtUiBridge> bridge, std::unique_ptr<StationRuntime> runtime, bool startWorkers,
                       QWidget* parent)
    : QMainWindow(parent), bridge_(std::move(bridge)), runtime_(std::move(runtime))
{
    setObjectName(QStringLiteral("TFmain"));
    const std::filesystem::path home = runtime_->home();
    access_ = ServiceAccess(runtime_->settings().userLevel);
    family_ = runtime_->station().batteryFamily();

    loadDefinitions();
    actions_ = MainActions::build(*this, findReportLayouts(home));
    actions_.checkFamily(family_);
    actions_.expert->setChecked(access_.level() >= 1);
    actions_.applyUserLevel(access_.level());
    buildDiagram();
    panel_ = new OperatorPanel(types_, *index_, this);
    const auto users = readUserList(home / "Kapsorel.usr", runtime_->clock());
    panel_->setOperators(users.names, runtime_->settings().operatorName);
    if (users.message)
        QTimer::singleShot(0, this, [this, m = *users.message] { showMessage(m); });
    display_ = new LiveDisplay(*this, *diagram_);
    records_ = new RecordWindows(*runtime_, this);
    runControls_ = new RunControls(
        *runtime_, actions_, *panel_, [this] { return startPlan(); }, this);
    fileActions_ = new BatteryTestFileActions(*runtime_, types_, actions_, *panel_, *records_, this);
    auto* settingsMenu = new SettingsMenu(
        actions_, *runtime_,
        [this] {
            return SettingsMenu::Definitions{index_.get(), &types_, access_.level() >= 1};
        },
        this);
    connect(settingsMenu, &SettingsMenu::closed, this, [this] {
        if (runtime_->station().run.runActive() || runControls_->workflow().starting())
            return; // the lists follow the files after the run
        loadDefinitions();
        fillBatteryTypes(headFilterForFamily(family_, runtime_->station().live.headCode.load(kRelaxed)), true);
    });
    connectActions();

    banners_->loadAlarmSound(home / "Alarm.wav");
    setWindowIcon(appIcon(false));
    sleepInhibitor_ = new SleepInhibitor(QDBusConnection::systemBus(), this);

    resize(1000, 680);
    restoreStoredValues();
    applyIconSize();
    applyPanelPosition();
    fillBatteryTypes(headFilterForFamily(family_, runtime_->station().live.headCode.load(kRelaxed)));
    runControls_->updateButtons();
    refreshDisplay();
    bridge_->attach(*this);
    if (startWorkers)
        runtime_->startWorkers();
}

MainWindow::~MainWindow()
{
    // Calls still queued from workers return without touching the window; the waits keep
    // processing events so a worker inside such a call can finish.
    bridge_->close();
    delete fileActions_; // waits for its copies, which use the runtime
    fileActions_ = nullptr;
    runtime_->shutdown([] { QApplication::processEvents(QEventLoop::AllEvents, 50); });
}

const SampleTable& MainWindow::samples() const
{
    return records_->samples();
}

SampleTable& MainWindow::samples()
{
    return records_->samples();
}

const StepTable& MainWindow::steps() const
{
    return records_->steps();
}

void MainWindow::setSleepInhibitorBus(const QDBusConnection& bus)
{
    delete sleepInhibitor_;
    sleepInhibitor_ = new SleepInhibitor(bus, this);
}

void MainWindow::loadDefinitions()
{
    (void)types_.load(runtime_->home()); // a missing or bad table lists no battery types
    if (!index_)                         // the panel keeps a reference to it
        index_ = std::make_unique<ProcedureIndex>(runtime_->home());
    (void)index_->load(); // the same for the procedures
}

StartPlan MainWindow::startPlan() const
{
    StartPlan plan;
    plan.request = panel_->request();
    plan.types = types_.types();
    for (const auto& e : index_->entries())
        plan.procedures.emplace_back(static_cast<std::int16_t>(e.number), e.name);
    return plan;
}

void MainWindow::connectActions()
{
    using W = RecordWindows::Window;
    connect(actions_.steps, &QAction::triggered, this, [this] { records_->open(W::Steps, family_); });
    connect(actions_.graph, &QAction::triggered, this, [this] { records_->open(W::Graph, family_); });
    connect(actions_.data, &QAction::triggered, this, [this] { records_->open(W::Data, family_); });
    for (QAction* a : actions_.families->actions())
        connect(a, &QAction::triggered, this, [this, a] { selectFamily(actions_.familyOf(a)); });
    connect(actions_.expert, &QAction::toggled, this, &MainWindow::setExpert);
    connect(actions_.quit, &QAction::triggered, this, &QWidget::close);
    connect(actions_.faults, &QAction::triggered, this, &MainWindow::showFaultsWindow);

    connect(runControls_, &RunControls::message, this, &MainWindow::showMessage);
    connect(runControls_, &RunControls::started, this, &MainWindow::onStarted);
    connect(runControls_, &RunControls::iconsChanged, this, &MainWindow::applyIconSize);
    connect(fileActions_, &BatteryTestFileActions::message, this, &MainWindow::showMessage);
    connect(fileActions_, &BatteryTestFileActions::forgotten, this, &MainWindow::setCaptions);
    connect(fileActions_, &BatteryTestFileActions::opened, this, [this] {
        setCaptions();
        applyIconSize(); // an interrupted test shows the resume image on Start
    });
    connect(banners_, &Banners::alarmClicked, this, &MainWindow::onAlarmClicked);
    connect(banners_, &Banners::questionAnswered, this, &MainWindow::onQuestionAnswered);
}

void MainWindow::buildDiagram()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralni"));
    diagram_ = new CircuitDiagram(central);
    diagram_->setCellBars(family_ == BatteryFamily::NiCd);
    connect(diagram_, &CircuitDiagram::elementClicked, this, &MainWindow::serviceClick);
    connect(diagram_, &CircuitDiagram::stationLabelDoubleClicked, this, &MainWindow::editStationName);
    diagram_->valueLabel("lver")->setText(qs(versionLabel(0)));
    diagram_->valueLabel("ldpr")->setVisible(access_.level() == 2);
    diagram_->valueLabel("znap")->setVisible(false);
    // What the refresh counts as shown before its first pass.
    const StartLabels start = startLabels();
    for (const auto& [name, text] : {std::pair{"lkapacita", start.capacity},
                                     {"lteplota", start.temperature},
                                     {"otepl", start.moduleTemp},
                                     {"znap", start.source}})
        LiveDisplay::setLabel(diagram_->valueLabel(name), LabelText{text, false});
    banners_ = new Banners(*diagram_);
    setCentralWidget(central);
}

void MainWindow::restoreStoredValues()
{
    const ConfigFile& c = runtime_->config();
    restorePlacement(*this, c, "TFmain");
    panel_->restoreStoredValues(c);
    const std::string station = runtime_->settings().stationName;
    QLabel* ls = diagram_->findChild<QLabel*>(QStringLiteral("lstanice"));
    ls->setText(qs(c.readString("TFmain", "lstanice", station.empty() ? "" : "  " + station + "  ")));
    ls->setVisible(!station.empty());
    actions_.expert->setVisible(c.readBool("TFmain", "u_exp", true));
}

void MainWindow::saveStoredValues()
{
    ConfigFile& c = runtime_->config();
    savePlacement(*this, c, "TFmain");
    panel_->saveStoredValues(c);
    c.writeString("TFmain", "lstanice", diagram_->findChild<QLabel*>(QStringLiteral("lstanice"))->text().toStdString());
    c.writeBool("TFmain", "u_exp", actions_.expert->isVisible());
}

// --- window upkeep ---------------------------------------------------------------------

void MainWindow::fillBatteryTypes(std::int16_t head, bool keepChoice)
{
    listedHead_ = head;
    panel_->fillBatteryTypes(listedBatteryTypes(types_.types(), head, family_), keepChoice);
}

void MainWindow::setCaptions()
{
    const QString station = qs(runtime_->settings().stationName);
    const auto path = runtime_->testFile().currentPath();
    setWindowTitle(QStringLiteral("Kapsorel - ") + station +
                   (path.empty() ? QString() : QStringLiteral(" : ") + QString::fromStdString(path.string())));
    if (auto* f = findChild<FaultsWindow*>())
        f->setWindowTitle(QStringLiteral("Poruchy - ") + station);
    records_->setStationName(runtime_->settings().stationName);
}

void MainWindow::layOutDiagram()
{
    const auto& live = runtime_->station().live;
    diagram_->setCellBars(family_ == BatteryFamily::NiCd);
    diagram_->setSwitches(live.chargingOn.load(kRelaxed) == 1, live.dischargingOn.load(kRelaxed) == 1,
                          live.driveOn.load(kRelaxed) == 1);
    const StationSettings& settings = runtime_->settings();
    if (family_ != BatteryFamily::NiCd)
        diagram_->setCellBar(0, cellBar(live.cellVoltage[0].load(kRelaxed), settings));
    else
        for (int i = 0; i < kCellCount; ++i)
            diagram_->setCellBar(i, cellBar(live.cellVoltage[static_cast<std::size_t>(i)].load(kRelaxed), settings));
    banners_->layOut();
}

void MainWindow::applyIconSize()
{
    actions_.applyIconSize(std::clamp(int(runtime_->settings().iconSize), 0, 2),
                           runtime_->station().run.stopReason() != StopReason::None);
}

void MainWindow::applyPanelPosition()
{
    const bool left = readPanelPosition(runtime_->config()) == 1;
    panel_->arrange(left);
    auto* central = centralWidget();
    delete central->layout();
    QBoxLayout* box =
        left ? static_cast<QBoxLayout*>(new QHBoxLayout(central)) : static_cast<QBoxLayout*>(new QVBoxLayout(central));
    box->addWidget(panel_);
    box->addWidget(diagram_, 1);
    layOutDiagram();
}

void MainWindow::applyHardwareKind(std::uint8_t kind)
{
    const auto shown = familyItemsForHardwareKind(kind);
    if (!shown)
        return;
    actions_.applyFamilyItems(*shown);
    diagram_->valueLabel("znap")->setVisible(shown->sourceVoltage);
}

void MainWindow::selectFamily(BatteryFamily chosen)
{
    family_ = familyAfterChoice(family_, chosen);
    runtime_->station().setBatteryFamily(family_);
    actions_.checkFamily(family_);
    layOutDiagram();
    fillBatteryTypes(headFilterForFamily(family_, runtime_->station().live.headCode.load(kRelaxed)));
}

void MainWindow::setExpert(bool checked)
{
    access_.setExpert(checked);
    actions_.applyUserLevel(access_.level());
    diagram_->valueLabel("ldpr")->setVisible(access_.level() == 2);
    // The number formats follow the level; the lists and the choice in them stay.
    model_.reset();
}

void MainWindow::serviceClick(CircuitDiagram::Element element)
{
    if (!access_.click(serviceElement(element)))
        return;
    QLabel* ver = diagram_->valueLabel("lver");
    QPalette p = ver->palette();
    p.setColor(QPalette::WindowText, access_.progress() % 2 ? QColor(0x60, 0x60, 0x60) : QColor(0xA0, 0xA0, 0xA0));
    ver->setPalette(p);
}

void MainWindow::editStationName()
{
    bool ok = false;
    const QString name = QInputDialog::getText(this, QStringLiteral("Název"), QStringLiteral("Zadej název stanice"),
                                               QLineEdit::Normal, qs(runtime_->settings().stationName), &ok);
    if (!ok)
        return;
    runtime_->settings().stationName = name.toStdString();
    auto* ls = diagram_->findChild<QLabel*>(QStringLiteral("lstanice"));
    ls->setText(QStringLiteral("  ") + name + QStringLiteral("  "));
    ls->setVisible(!name.isEmpty());
    setCaptions();
    layOutDiagram();
}

// --- the operator's workflow -------------------------------------------------------------

void MainWindow::onStarted(bool resumed)
{
    // A question or banner of the test before has nothing to say about this one.
    banners_->hideQuestion();
    if (!resumed) {
        records_->clear();
        panel_->showStartTime(runtime_->testFile().header().start);
    } else {
        panel_->showHeader(runtime_->testFile().header());
    }
    setCaptions();
    sleepInhibitor_->hold(true);
}

void MainWindow::onQuestionAnswered(bool ok)
{
    if (ok)
        (void)answerQuestionOk(runtime_->station().run, runtime_->procedure()); // ignored outside its step
    else
        (void)answerQuestionEnd(runtime_->station().run, runtime_->procedure());
    banners_->hideQuestion();
}

void MainWindow::onAlarmClicked()
{
    auto& live = runtime_->station().live;
    if (live.commFault.load(kRelaxed) != 0) {
        live.ledSeconds.store(0, kRelaxed); // the next refresh hides the banner
        return;
    }
    runModuleJob<bool>(
        runtime_->powerJobs(), diagram_->findChild<QWidget*>(QStringLiteral("balarm")),
        [this](ModuleLink&) { return alarmBannerClicked(runtime_->station().live, runtime_->powerCommands()); },
        [this](const bool& hide) {
            if (hide)
                banners_->hideAlarm();
        });
}

void MainWindow::showFaultsWindow()
{
    actions_.faults->setChecked(true);
    faultsWindow(this, runtime_->config(), runtime_->settings().stationName)
        ->showFaults(runtime_->station().live.faultBits.load(kRelaxed));
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (firstShown_)
        return;
    firstShown_ = true;
    setCaptions();
    QTimer::singleShot(0, this, &MainWindow::firstShowCheck);
}

void MainWindow::firstShowCheck()
{
    const InterruptedTestCheck check = fileActions_->checkInterruptedTest();
    switch (check.outcome) {
    case InterruptedTestCheck::Outcome::NoTest:
        // The battery type and procedure chosen when the program last ended.
        panel_->selectChoice(runtime_->settings().batteryTypeName, runtime_->settings().procedureName);
        return;
    case InterruptedTestCheck::Outcome::OpenFailed:
        showMessage(check.message);
        return;
    case InterruptedTestCheck::Outcome::NothingToResume:
        panel_->showHeader(runtime_->testFile().header());
        setCaptions();
        return;
    case InterruptedTestCheck::Outcome::AskToResume:
        // The operator sees which test they are asked about.
        panel_->showHeader(runtime_->testFile().header());
        setCaptions();
        if (!check.openWarning.empty())
            showMessage(check.openWarning);
        if (ask(this, qs(runtime_->settings().stationName), qs(check.message), false) == AskAnswer::Yes)
            runControls_->resume(check.step);
        else
            runtime_->testFile().declineResume();
        return;
    }
}

bool MainWindow::openTestFileAt(const std::filesystem::path& path)
{
    return fileActions_->openAt(path);
}

void MainWindow::saveTestFileTo(const std::filesystem::path& path, std::function<void()> done)
{
    fileActions_->saveTo(path, std::move(done));
}

void MainWindow::archiveTestFile(std::function<void()> done)
{
    fileActions_->archive(std::move(done));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (auto refusal = sessionEnding_ ? std::nullopt : closeRefusal(runtime_->station().run.phase())) {
        showMessage(*refusal);
        event->ignore();
        return;
    }
    if (!closing_) {
        closing_ = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        runtime_->requestStop();
        waitProcessingEvents(1000);
        QApplication::restoreOverrideCursor();
        auto& s = runtime_->settings();
        s.operatorName = panel_->operatorName().toStdString();
        s.batteryTypeName = panel_->batteryType().toStdString();
        s.procedureName = panel_->procedure().toStdString();
        records_->saveState();
        if (auto* f = findChild<FaultsWindow*>())
            savePlacement(*f, runtime_->config(), "TFporuchy");
        saveStoredValues();
        const Status saved = runtime_->saveSettings();
        if (!saved.ok())
            reportUnsavedSettings(saved.error());
    }
    event->accept();
}

// --- what the workers ask of the screen --------------------------------------------------

void MainWindow::showMessage(const std::string& text)
{
    // Not modal: a worker waiting for this call goes on at once, the box stays up. The
    // diagnostic log keeps what the operator was told.
    qWarning("%s", text.c_str());
    auto* box = new QMessageBox(QMessageBox::Information, qs(runtime_ ? runtime_->settings().stationName : "Kapsorel"),
                                qs(text), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("zprava"));
    box->setTextFormat(Qt::PlainText); // names from files are shown as written, never as markup
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void MainWindow::runStoppedOnLostModule()
{
    applyIconSize();
}

void MainWindow::errorAlarm(const std::string& text)
{
    banners_->playAlarm();
    banners_->showAlarm(qs(text));
    actions_.setRunButtons(true, false, !runControls_->workflow().starting());
}

void MainWindow::faultsChanged(std::uint16_t faultBits)
{
    FaultsWindow* window = faultsWindow(this, runtime_->config(), runtime_->settings().stationName);
    if (faultBits != 0) {
        actions_.faultsBar->show();
        actions_.faults->setVisible(true);
        actions_.faults->setChecked(true);
        window->showFaults(faultBits);
    } else {
        window->hide();
        actions_.faults->setVisible(false);
        actions_.faultsBar->hide();
    }
    const QIcon icon = appIcon(faultBits != 0);
    setWindowIcon(icon);
    QApplication::setWindowIcon(icon);
}

void MainWindow::statusText(const std::string& text)
{
    display_->showStepText(text);
}

void MainWindow::signallingPrompt(const std::string& text)
{
    banners_->playAlarm();
    banners_->showAlarm(qs(cutChars(text, kAlarmTextChars)));
}

void MainWindow::questionPrompt(const std::string& text)
{
    banners_->showQuestion(qs(text));
}

void MainWindow::runEnded()
{
    // An answer now would act in the next test.
    banners_->hideQuestion();
    sleepInhibitor_->hold(false);
    runControls_->runEnded();
    applyIconSize();
}

void MainWindow::refreshDisplay()
{
    if (fileActions_ && fileActions_->loading())
        return; // the next refresh after the file is read shows everything
    Station& station = runtime_->station();
    auto& live = station.live;
    if (live.diagramRedraw.load(kRelaxed) != 0) {
        layOutDiagram();
        live.diagramRedraw.store(0, kRelaxed);
    }
    const bool starting = runControls_->workflow().starting();
    const bool active = station.run.runActive();
    const DisplayUpdate u = model_.refresh(takeDisplaySnapshot(station, access_.level()));
    display_->apply(u, station, runtime_->settings(), family_);
    // The lists follow the head once no run or start needs the choice in them.
    if (const std::int16_t head = headFilterForFamily(family_, live.headCode.load(kRelaxed));
        !active && !starting && listedHead_ != head)
        fillBatteryTypes(head);
    if (u.applyHardwareKind)
        applyHardwareKind(*u.applyHardwareKind);
    if (u.hideBanner)
        banners_->hideAlarm();
    else
        banners_->raiseAlarm();
    // While a start is on its way Start and Ručně stay disabled whatever the modules say.
    if (u.enableStart && !starting) {
        actions_.run->setEnabled(*u.enableStart);
        actions_.manual->setEnabled(*u.enableStart);
    }
    // Whatever way the run ended, the computer may sleep again.
    if (!active)
        sleepInhibitor_->hold(false);

    // Samples wait while a start is being prepared, so the new test's first samples are not
    // added to the old test's table that the start then empties.
    const SampleFeedResult fed = records_->feed(*runtime_, !starting);
    if (access_.level() == 2 && fed.deltaCurrent && *fed.deltaCurrent != kDeltaCurrentUnavailable)
        display_->showDeltaCurrent(*fed.deltaCurrent);
}

void MainWindow::addStepRow(std::uint8_t step)
{
    records_->addStepRow(*runtime_, step);
}

} // namespace kapsorel::ui
