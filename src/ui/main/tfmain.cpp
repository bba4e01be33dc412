#include "ui/main/tfmain.h"

#include "core/app/start_battery_test.h"
#include "core/app/start_state.h"
#include "core/app/user_list.h"
#include "core/base/numbers.h"
#include "core/comm/status_decoders.h"
#include "core/definitions/step_types.h"
#include "core/definitions/text_cut.h"
#include "core/engine/operator_actions.h"
#include "ui/common/app_icons.h"
#include "ui/common/ask.h"
#include "ui/common/module_job.h"
#include "ui/common/open_progress.h"
#include "ui/main/tfporuchy.h"
#include "ui/main/tfrucne.h"
#include "ui/records/record_tables.h"
#include "ui/records/tfgraf.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSoundEffect>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kapsorel::ui {

namespace {

constexpr auto relaxed = std::memory_order_relaxed;
constexpr const char* kNotYet = "Toto okno zatím program nemá";
constexpr const char* kStopQuestion = "Opravdu přerušit proces?  ";
constexpr const char* kResumeQuestion = "Proces byl přerušen. Pokračovat?\nAno - pokračovat v přerušeném testu\nNe - "
                                        "spustit test od začátku\nZruš - nedělat nic";
constexpr int kAlarmTextChars = 50;

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

// Processes pending events for `ms` milliseconds (the window stays alive while it waits).
void waitProcessingEvents(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

void setLabel(QLabel* label, const LabelText& t)
{
    if (!label)
        return;
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, t.red ? QColor(Qt::red) : QApplication::palette().color(QPalette::WindowText));
    label->setPalette(p);
    label->setText(qs(t.text));
    label->adjustSize();
}

// What a start job hands back to the window.
struct StartResult {
    bool started = false;
    std::vector<std::string> messages;
};

} // namespace

TFmain::TFmain(const std::filesystem::path& home, const std::filesystem::path& configPath, bool startWorkers,
               QWidget* parent)
    : TFmain(home, ConfigFile::loadForStation(configPath), SystemClock::instance(), startWorkers, parent)
{
}

TFmain::TFmain(const std::filesystem::path& home, ConfigFile config, bool startWorkers, QWidget* parent)
    : TFmain(home, std::move(config), SystemClock::instance(), startWorkers, parent)
{
}

TFmain::TFmain(const std::filesystem::path& home, const std::filesystem::path& configPath, Clock& clock,
               bool startWorkers, QWidget* parent)
    : TFmain(home, ConfigFile::loadForStation(configPath, clock), clock, startWorkers, parent)
{
}

TFmain::TFmain(const std::filesystem::path& home, ConfigFile config, Clock& clock, bool startWorkers, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TFmain"));
    bridge_ = std::make_unique<QtUiBridge>(*this);
    runtime_ = std::make_unique<StationRuntime>(home, std::move(config), *bridge_, clock);
    userLevel_ = runtime_->settings().expert;
    family_ = runtime_->station().batteryFamily();

    loadDefinitions();
    buildToolbar();
    buildDiagram();
    buildPanel();
    buildStatusBar();
    buildRecordWindows();
    alarm_ = new QSoundEffect(this);
    // Loaded once into memory; without the file nothing is played.
    if (std::error_code ec; std::filesystem::is_regular_file(home / "Alarm.wav", ec))
        alarm_->setSource(QUrl::fromLocalFile(QString::fromStdString((home / "Alarm.wav").string())));
    setWindowIcon(appIcon(false));
    sleepInhibitor_ = new SleepInhibitor(QDBusConnection::systemBus(), this);

    resize(1000, 680);
    restoreStoredValues();
    applyPanelPosition();
    fillBatteryTypes(runtime_->station().live.headCode.load(relaxed));
    setRunButtons(true);
    stopAction_->setEnabled(false);
    refreshDisplay();
    if (startWorkers)
        runtime_->startWorkers();
}

TFmain::~TFmain()
{
    // Calls still queued from workers return without touching the window; the waits keep
    // processing events so a worker inside such a call can finish.
    bridge_->close();
    for (const auto& work : fileWork_)
        if (work)
            work->wait();
    runtime_->shutdown([] { QApplication::processEvents(QEventLoop::AllEvents, 50); });
}

void TFmain::setSleepInhibitorBus(const QDBusConnection& bus)
{
    delete sleepInhibitor_;
    sleepInhibitor_ = new SleepInhibitor(bus, this);
}

void TFmain::loadDefinitions()
{
    types_.load(runtime_->home());
    index_ = std::make_unique<ProcedureIndex>(runtime_->home());
    index_->load();
}

void TFmain::buildToolbar()
{
    toolbar_ = addToolBar(QStringLiteral("Nástroje"));
    toolbar_->setObjectName(QStringLiteral("TBXToolbar"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setMovable(false);

    const auto item = [&](QWidget* owner, const char* name, const QString& caption, bool available) {
        auto* a = new QAction(caption, owner);
        a->setObjectName(QString::fromLatin1(name));
        a->setIcon(toolbarIcon(QString::fromLatin1(name), 0));
        if (!available) {
            a->setEnabled(false);
            a->setToolTip(QString::fromUtf8(kNotYet));
        }
        return a;
    };
    const auto submenu = [&](const char* name, const QString& caption) {
        auto* a = item(this, name, caption, true);
        auto* menu = new QMenu(this);
        a->setMenu(menu);
        toolbar_->addAction(a);
        if (auto* b = qobject_cast<QToolButton*>(toolbar_->widgetForAction(a)))
            b->setPopupMode(QToolButton::InstantPopup);
        return menu;
    };

    QMenu* file = submenu("TBXSubSoubor", QStringLiteral("Soubor"));
    auto* openItem = item(file, "TBXOtevri", QStringLiteral("Otevři"), true);
    connect(openItem, &QAction::triggered, this, &TFmain::onOpen);
    file->addAction(openItem);
    auto* saveItem = item(file, "TBXUloz", QStringLiteral("Ulož"), true);
    connect(saveItem, &QAction::triggered, this, &TFmain::onSave);
    file->addAction(saveItem);
    file->addAction(item(file, "TBXsestavy", QStringLiteral("Sestavy"), false));
    auto* archiveItem = item(file, "TBXItem1", QStringLiteral("Archivuj soubor"), true);
    connect(archiveItem, &QAction::triggered, this, &TFmain::onArchive);
    file->addAction(archiveItem);

    const std::pair<const char*, QString> recordItems[] = {{"TBXKroky", QStringLiteral("Kroky")},
                                                           {"TBXGraf", QStringLiteral("  Graf  ")},
                                                           {"TBXData", QStringLiteral("  Data  ")}};
    for (const auto& [name, caption] : recordItems) {
        auto* a = item(this, name, caption, true);
        toolbar_->addAction(a);
        connect(a, &QAction::triggered, this, [this, n = std::string(name)] {
            openRecordWindow(n == "TBXKroky"  ? static_cast<QWidget*>(krokyWindow_)
                             : n == "TBXGraf" ? static_cast<QWidget*>(grafWindow_)
                                              : static_cast<QWidget*>(dataWindow_));
        });
    }
    auto* print = item(this, "TBXTisk", QStringLiteral(" Tisk"), false);
    auto* layouts = new QMenu(this);
    const auto found = findReportLayouts(runtime_->home());
    for (std::size_t k = 0; k < kLayoutMenuItems; ++k) {
        auto* a =
            item(layouts, ("ttisk" + std::to_string(k)).c_str(), k < found.size() ? qs(found[k]) : QString(), false);
        a->setVisible(k < found.size());
        layouts->addAction(a);
    }
    print->setMenu(layouts);
    toolbar_->addAction(print);

    QMenu* settings = submenu("TBXSubNastaveni", QStringLiteral("Nastavení"));
    modulesAction_ = item(settings, "TBXmoduly", QStringLiteral("Nastavení modulů"), false);
    settings->addAction(modulesAction_);
    settings->addAction(item(settings, "TBXprogram", QStringLiteral("Nastavení programu"), false));
    settings->addAction(item(settings, "TBXpostupy", QStringLiteral("Postupy"), false));
    settings->addAction(item(settings, "TBXbaterie", QStringLiteral("Baterie"), false));
    settings->addSeparator();
    families_ = new QActionGroup(this);
    families_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    const std::pair<const char*, BatteryFamily> familyItems[] = {
        {"typ_nicd", BatteryFamily::NiCd}, {"typ_nicdpb", BatteryFamily::NiCdPb}, {"typ_tpb", BatteryFamily::Pb}};
    for (const auto& [name, f] : familyItems) {
        auto* a = item(settings, name, qs(familyName(f)), true);
        a->setCheckable(true);
        a->setChecked(family_ == f);
        families_->addAction(a);
        settings->addAction(a);
        connect(a, &QAction::triggered, this, [this, fam = f] { selectFamily(fam); });
    }
    settings->addSeparator();
    expertAction_ = item(settings, "u_exp", QStringLiteral("Expert"), true);
    expertAction_->setCheckable(true);
    expertAction_->setChecked(userLevel_ >= 1);
    settings->addAction(expertAction_);
    connect(expertAction_, &QAction::toggled, this, &TFmain::setUserLevelFromExpert);
    firmwareAction_ = item(settings, "TBXfw", QStringLiteral("Upgrade FW"), false);
    settings->addAction(firmwareAction_);
    modulesAction_->setVisible(userLevel_ == 2);
    firmwareAction_->setVisible(userLevel_ >= 1);

    toolbar_->addSeparator();
    runAction_ = item(this, "TBXrun", QStringLiteral("Start"), true);
    manualAction_ = item(this, "TBXrucne", QStringLiteral("Ručně"), true);
    stopAction_ = item(this, "TBXstop", QStringLiteral("Stop"), true);
    toolbar_->addAction(runAction_);
    toolbar_->addAction(manualAction_);
    toolbar_->addAction(stopAction_);
    connect(runAction_, &QAction::triggered, this, &TFmain::onStart);
    connect(manualAction_, &QAction::triggered, this, &TFmain::onManual);
    connect(stopAction_, &QAction::triggered, this, &TFmain::onStop);
    auto* quit = item(this, "tkonec", QStringLiteral("Konec"), true);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);

    faultsBar_ = addToolBar(QStringLiteral("Poruchy"));
    faultsBar_->setObjectName(QStringLiteral("TBXPoruchy"));
    faultsBar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    faultsAction_ = item(this, "TBXporucha", QStringLiteral("Poruchy"), true);
    faultsAction_->setCheckable(true);
    faultsBar_->addAction(faultsAction_);
    connect(faultsAction_, &QAction::triggered, this, [this] {
        faultsAction_->setChecked(true);
        faultsWindow(this)->showFaults(runtime_->station().live.faultBits.load(relaxed));
    });
    faultsAction_->setVisible(false);
    faultsBar_->hide();
    applyIconSize();
}

void TFmain::buildRecordWindows()
{
    // Parented to the main window (own top-level windows), so they live until exit.
    dataWindow_ = new TFdata(samples_, runtime_->config(), this);
    grafWindow_ = new TFgraf(samples_, runtime_->config(), this);
    krokyWindow_ = new TFkroky(steps_, this);
    const StationSettings& s = runtime_->settings();
    grafWindow_->setThresholds(CellThresholds{s.dnbKo, s.dnbOkMin, s.dnbOkMax});
}

void TFmain::openRecordWindow(QWidget* window)
{
    // The cell columns and series follow the family each time a window is opened.
    if (window == dataWindow_)
        dataWindow_->setFamily(family_);
    else if (window == krokyWindow_)
        krokyWindow_->setFamily(family_);
    if (window == grafWindow_) {
        grafWindow_->openFor(family_);
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void TFmain::reloadRecordWindows()
{
    dataWindow_->reload();
    grafWindow_->reload();
    krokyWindow_->reload();
    fedSamples_ = samples_.size();
    fedSteps_ = steps_.size();
}

void TFmain::feedRecordWindows()
{
    // One insertion per refresh for what the refresh added, whether the windows are shown
    // or not, so opening one costs nothing.
    if (samples_.size() < fedSamples_ || steps_.size() < fedSteps_) {
        reloadRecordWindows();
        return;
    }
    if (samples_.size() != fedSamples_) {
        dataWindow_->appendRows();
        grafWindow_->appendSamples();
        fedSamples_ = samples_.size();
    }
    if (steps_.size() != fedSteps_) {
        krokyWindow_->appendRows();
        fedSteps_ = steps_.size();
    }
}

void TFmain::buildPanel()
{
    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("Panel1"));
    panelGrid_ = new QGridLayout(panel_);
    ctypBat_ = new QComboBox(panel_);
    ctypBat_->setObjectName(QStringLiteral("ctyp_bat"));
    cpostup_ = new QComboBox(panel_);
    cpostup_->setObjectName(QStringLiteral("cpostup"));
    lcisloBat_ = new QLineEdit(panel_);
    lcisloBat_->setObjectName(QStringLiteral("Lcislo_bat"));
    lcisloBat_->setMaxLength(20);
    // The number becomes part of a file name.
    lcisloBat_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^/\\\\:*\"?<>|]*")), lcisloBat_));
    cmeril_ = new QComboBox(panel_);
    cmeril_->setObjectName(QStringLiteral("cmeril"));
    ldatum_ = new QLabel(panel_);
    ldatum_->setObjectName(QStringLiteral("Ldatum"));
    lcas_ = new QLabel(panel_);
    lcas_->setObjectName(QStringLiteral("Lcas"));
    lpoznamka_ = new QLineEdit(panel_);
    lpoznamka_->setObjectName(QStringLiteral("Lpoznamka"));
    lpoznamka_->setMaxLength(50);
    ctypBat_->setMinimumContentsLength(16);
    cpostup_->setMinimumContentsLength(18);

    connect(ctypBat_, &QComboBox::currentTextChanged, this, [this](const QString& t) { fillProcedures(t); });

    const auto read = readUserList(runtime_->home() / "Kapsorel.usr", runtime_->clock());
    QStringList names;
    for (const auto& n : read.names)
        names << qs(n);
    names.sort(Qt::CaseInsensitive);
    cmeril_->addItems(names);
    std::vector<std::string> sorted;
    for (const auto& n : names)
        sorted.push_back(n.toStdString());
    if (auto pick = operatorToSelect(sorted, runtime_->settings().uziv))
        cmeril_->setCurrentIndex(static_cast<int>(*pick));
    if (read.message)
        QTimer::singleShot(0, this, [this, m = *read.message] { showMessage(m); });
}

void TFmain::buildDiagram()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralni"));
    diagram_ = new CircuitDiagram(central);
    diagram_->setCellBars(family_ == BatteryFamily::NiCd);
    connect(diagram_, &CircuitDiagram::elementClicked, this, &TFmain::serviceClick);
    connect(diagram_, &CircuitDiagram::stationLabelDoubleClicked, this, &TFmain::editStationName);
    diagram_->valueLabel("lver")->setText(qs(versionLabel(0)));
    diagram_->valueLabel("ldpr")->setVisible(userLevel_ == 2);
    diagram_->valueLabel("znap")->setVisible(false);
    // What the refresh counts as shown before its first pass.
    for (const auto& [name, text] :
         {std::pair{"lkapacita", "    0,0Ah"}, {"lteplota", "  0,0°C"}, {"otepl", "  0,0°C"}, {"znap", "  0,0V"}})
        setLabel(diagram_->valueLabel(name), LabelText{text, false});

    balarm_ = new QPushButton(diagram_);
    balarm_->setObjectName(QStringLiteral("balarm"));
    balarm_->setStyleSheet(QStringLiteral(
        "QPushButton { background: #ffd040; border: 2px solid #a00000; border-radius: 12px; color: #a00000;"
        " padding: 6px 2px; }"));
    QFont bannerFont = balarm_->font();
    bannerFont.setPointSize(bannerFont.pointSize() + 6);
    balarm_->setFont(bannerFont);
    balarm_->hide();
    connect(balarm_, &QPushButton::clicked, this, &TFmain::onAlarmClicked);

    bvolba_ = new QFrame(diagram_);
    bvolba_->setObjectName(QStringLiteral("bvolba"));
    bvolba_->setStyleSheet(
        QStringLiteral("QFrame#bvolba { background: #d8e8ff; border: 2px solid #204080; border-radius: 12px; }"));
    auto* qLayout = new QVBoxLayout(bvolba_);
    bvolbaCaption_ = new QLabel(QStringLiteral("Zkouška nevyšla. Pokračovat?"), bvolba_);
    bvolbaCaption_->setObjectName(QStringLiteral("bvolba_text"));
    bvolbaCaption_->setFont(bannerFont);
    bvolbaCaption_->setAlignment(Qt::AlignCenter);
    qLayout->addWidget(bvolbaCaption_);
    auto* buttons = new QHBoxLayout;
    bvolOk_ = new QPushButton(QStringLiteral("OK"), bvolba_);
    bvolOk_->setObjectName(QStringLiteral("bvol_ok"));
    bvolKo_ = new QPushButton(QStringLiteral("Konec"), bvolba_);
    bvolKo_->setObjectName(QStringLiteral("bvol_ko"));
    buttons->addStretch();
    buttons->addWidget(bvolOk_);
    buttons->addWidget(bvolKo_);
    buttons->addStretch();
    qLayout->addLayout(buttons);
    bvolba_->hide();
    bvolOk_->hide();
    bvolKo_->hide();
    connect(bvolOk_, &QPushButton::clicked, this, [this] { onQuestionAnswered(true); });
    connect(bvolKo_, &QPushButton::clicked, this, [this] { onQuestionAnswered(false); });
    setCentralWidget(central);
}

void TFmain::buildStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("LMDStatusBar1"));
    const char* fixed[] = {" Hlava", nullptr,        " Krok", nullptr, " Čas kroku",
                           nullptr,  " Celkový čas", nullptr, nullptr};
    for (std::size_t i = 0; i < statusPanels_.size(); ++i) {
        auto* l = new QLabel(fixed[i] ? QString::fromUtf8(fixed[i]) : QString(), this);
        l->setObjectName(QStringLiteral("panel%1").arg(i));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(i == 3 ? 200 : 70);
        statusBar()->addWidget(l, i == 8 ? 1 : 0);
        statusPanels_[i] = l;
    }
}

void TFmain::restoreStoredValues()
{
    const ConfigFile& c = runtime_->config();
    const QByteArray geometry =
        QByteArray::fromBase64(QByteArray::fromStdString(c.readString("TFmain", "Placement", "")));
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    lcisloBat_->setText(qs(c.readString("TFmain", "Lcislo_bat", "")));
    lpoznamka_->setText(qs(c.readString("TFmain", "Lpoznamka", "")));
    const std::string station = runtime_->settings().stanice;
    QLabel* ls = diagram_->findChild<QLabel*>(QStringLiteral("lstanice"));
    ls->setText(qs(c.readString("TFmain", "lstanice", station.empty() ? "" : "  " + station + "  ")));
    ls->setVisible(!station.empty());
    expertAction_->setVisible(c.readBool("TFmain", "u_exp", true));
}

void TFmain::saveStoredValues()
{
    ConfigFile& c = runtime_->config();
    c.writeString("TFmain", "Placement", saveGeometry().toBase64().toStdString());
    c.writeString("TFmain", "Lcislo_bat", lcisloBat_->text().toStdString());
    c.writeString("TFmain", "Lpoznamka", lpoznamka_->text().toStdString());
    c.writeString("TFmain", "lstanice", diagram_->findChild<QLabel*>(QStringLiteral("lstanice"))->text().toStdString());
    c.writeBool("TFmain", "u_exp", expertAction_->isVisible());
}

// --- window upkeep ---------------------------------------------------------------------

void TFmain::fillBatteryTypes(std::int16_t head)
{
    const QSignalBlocker block(ctypBat_);
    ctypBat_->clear();
    const std::uint8_t chemistry = family_ == BatteryFamily::NiCd ? kChemistryNiCd : 1;
    for (const auto& t : types_.types()) {
        if ((head <= 0 || t.head == head) && t.chemistry == chemistry && ctypBat_->findText(qs(t.name)) < 0)
            ctypBat_->addItem(qs(t.name));
    }
    if (head <= 0 && ctypBat_->count() == 0)
        ctypBat_->addItem(qs(std::string(kNoBatteryTypeName)));
    ctypBat_->setCurrentIndex(ctypBat_->count() > 0 ? 0 : -1);
    fillProcedures(ctypBat_->currentText());
}

void TFmain::fillProcedures(const QString& typeName)
{
    cpostup_->clear();
    if (typeName.isEmpty())
        return;
    for (const auto& e : offeredProcedures(types_.types(), typeName.toStdString(), index_->entries()))
        cpostup_->addItem(qs(e.name), int(e.number));
    cpostup_->setCurrentIndex(cpostup_->count() > 0 ? 0 : -1);
}

void TFmain::setCaptions()
{
    const QString station = qs(runtime_->settings().stanice);
    const auto path = runtime_->testFile().currentPath();
    setWindowTitle(QStringLiteral("Kapsorel - ") + station +
                   (path.empty() ? QString() : QStringLiteral(" : ") + QString::fromStdString(path.string())));
    if (auto* f = findChild<TFporuchy*>())
        f->setWindowTitle(QStringLiteral("Poruchy - ") + station);
    dataWindow_->setStationName(runtime_->settings().stanice);
    grafWindow_->setStationName(runtime_->settings().stanice);
    krokyWindow_->setStationName(runtime_->settings().stanice);
}

void TFmain::layOutDiagram()
{
    const auto& live = runtime_->station().live;
    diagram_->setCellBars(family_ == BatteryFamily::NiCd);
    diagram_->setSwitches(live.chargingOn.load(relaxed) == 1, live.dischargingOn.load(relaxed) == 1,
                          live.driveOn.load(relaxed) == 1);
    if (family_ != BatteryFamily::NiCd)
        diagram_->setCellBar(0, CellBar{diagram_->cellBar(0).position, wideBarColours(), {}});
    else
        for (int i = 0; i < kCellCount; ++i)
            diagram_->setCellBar(
                i, cellBar(live.cellVoltage[static_cast<std::size_t>(i)].load(relaxed), runtime_->settings()));
    // The question banner is sized from its caption like the alarm banner.
    const int charHeight = QFontMetrics(bvolbaCaption_->font()).height();
    bvolba_->resize(std::max(int(bvolbaCaption_->text().size()), 10) * charHeight / 2 + 24,
                    charHeight * 2 + bvolOk_->sizeHint().height() + 24);
    bvolba_->move((diagram_->width() - bvolba_->width()) / 2, diagram_->height() * 28 / 100);
    balarm_->move((diagram_->width() - balarm_->width()) / 2, diagram_->height() * 2 / 100);
}

void TFmain::applyIconSize()
{
    const int size = std::clamp(int(runtime_->settings().ikony), 0, 2);
    toolbar_->setIconSize(toolbarIconSize(size));
    faultsBar_->setIconSize(toolbarIconSize(size));
    for (QAction* a : findChildren<QAction*>())
        if (!a->objectName().isEmpty())
            a->setIcon(toolbarIcon(a->objectName(), size));
    const bool resume = runtime_->station().run.stopReason.load(relaxed) != 0;
    runAction_->setIcon(toolbarIcon(resume ? QStringLiteral("TBXrun_resume") : QStringLiteral("TBXrun"), size));
}

void TFmain::applyPanelPosition()
{
    // Take the fields out and put them back in the chosen arrangement.
    QWidget* labelled[][2] = {{nullptr, ctypBat_}, {nullptr, cpostup_}, {nullptr, lcisloBat_}, {nullptr, cmeril_},
                              {nullptr, ldatum_},  {nullptr, lcas_},    {nullptr, lpoznamka_}};
    const char* captions[] = {"Typ baterie", "Postup", "Číslo baterie", "Měřil", "Datum", "Čas", "Poznámka"};
    while (QLayoutItem* it = panelGrid_->takeAt(0)) {
        if (it->widget() && qobject_cast<QLabel*>(it->widget()) && it->widget()->property("caption").toBool())
            it->widget()->deleteLater();
        delete it;
    }
    for (std::size_t i = 0; i < std::size(labelled); ++i) {
        auto* l = new QLabel(QString::fromUtf8(captions[i]), panel_);
        l->setProperty("caption", true);
        l->setBuddy(labelled[i][1]);
        labelled[i][0] = l;
    }
    const bool left = runtime_->config().readInt("Nastaveni", "UM_HLAV", 0) == 1;
    if (left) {
        for (std::size_t i = 0; i < std::size(labelled); ++i) {
            panelGrid_->addWidget(labelled[i][0], int(i) * 2, 0);
            panelGrid_->addWidget(labelled[i][1], int(i) * 2 + 1, 0);
        }
        panelGrid_->setRowStretch(int(std::size(labelled)) * 2, 1);
    } else {
        // Four label/field groups side by side: type, procedure / number, operator /
        // date, time / note.
        const int place[][2] = {{0, 0}, {1, 0}, {0, 2}, {1, 2}, {0, 4}, {1, 4}, {0, 6}};
        for (std::size_t i = 0; i < std::size(labelled); ++i) {
            panelGrid_->addWidget(labelled[i][0], place[i][0], place[i][1]);
            panelGrid_->addWidget(labelled[i][1], place[i][0], place[i][1] + 1);
        }
    }
    auto* central = centralWidget();
    delete central->layout();
    QBoxLayout* box =
        left ? static_cast<QBoxLayout*>(new QHBoxLayout(central)) : static_cast<QBoxLayout*>(new QVBoxLayout(central));
    box->addWidget(panel_);
    box->addWidget(diagram_, 1);
    layOutDiagram();
}

void TFmain::applyHardwareKind(std::uint8_t kind)
{
    if (kind > 1)
        return;
    for (QAction* a : families_->actions()) {
        const bool pbOnly = a->objectName() == QStringLiteral("typ_tpb");
        a->setVisible(kind == 0 ? !pbOnly : false);
    }
    diagram_->valueLabel("znap")->setVisible(kind == 1);
}

void TFmain::selectFamily(BatteryFamily f)
{
    if (f == BatteryFamily::Pb && family_ == BatteryFamily::Pb)
        family_ = BatteryFamily::None;
    else
        family_ = f;
    runtime_->station().setBatteryFamily(family_);
    for (QAction* a : families_->actions())
        a->setChecked(a->text() == qs(familyName(family_)) && family_ != BatteryFamily::None);
    layOutDiagram();
    fillBatteryTypes(family_ == BatteryFamily::NiCd ? runtime_->station().live.headCode.load(relaxed) : -1);
}

void TFmain::setUserLevelFromExpert(bool checked)
{
    if (checked) {
        firmwareAction_->setVisible(true);
        if (serviceCounter_ >= 4) {
            userLevel_ = 2;
            modulesAction_->setVisible(true);
            diagram_->valueLabel("ldpr")->setVisible(true);
            serviceCounter_ = 0;
        } else {
            userLevel_ = 1;
        }
    } else {
        userLevel_ = 0;
        serviceCounter_ = 0;
        modulesAction_->setVisible(false);
        firmwareAction_->setVisible(false);
        diagram_->valueLabel("ldpr")->setVisible(false);
    }
    model_.reset(); // the number formats follow the level
}

void TFmain::serviceClick(CircuitDiagram::Element element)
{
    using E = CircuitDiagram::Element;
    static constexpr E kSequence[] = {E::Load, E::Source, E::DischargeSwitch, E::ChargeSwitch};
    if (serviceCounter_ < 4 && element == kSequence[serviceCounter_]) {
        ++serviceCounter_;
        QLabel* ver = diagram_->valueLabel("lver");
        QPalette p = ver->palette();
        p.setColor(QPalette::WindowText, serviceCounter_ % 2 ? QColor(0x60, 0x60, 0x60) : QColor(0xA0, 0xA0, 0xA0));
        ver->setPalette(p);
    } else if (element != E::Battery) {
        serviceCounter_ = 0;
    }
}

void TFmain::editStationName()
{
    bool ok = false;
    const QString name = QInputDialog::getText(this, QStringLiteral("Název"), QStringLiteral("Zadej název stanice"),
                                               QLineEdit::Normal, qs(runtime_->settings().stanice), &ok);
    if (!ok)
        return;
    runtime_->settings().stanice = name.toStdString();
    auto* ls = diagram_->findChild<QLabel*>(QStringLiteral("lstanice"));
    ls->setText(QStringLiteral("  ") + name + QStringLiteral("  "));
    ls->setVisible(!name.isEmpty());
    setCaptions();
    layOutDiagram();
}

// --- the operator's workflow -------------------------------------------------------------

void TFmain::setRunButtons(bool startEnabled)
{
    runAction_->setEnabled(startEnabled);
    manualAction_->setEnabled(startEnabled);
    stopAction_->setEnabled(!startEnabled);
    panel_->setEnabled(startEnabled);
}

int TFmain::batteryIndexOf(const QString& name) const
{
    return types_.findByName(name.toStdString());
}

std::int16_t TFmain::procedureNumberOf(const QString& name) const
{
    const int pos = index_->positionOfName(name.toStdString());
    return pos < 0 ? std::int16_t{-1} : static_cast<std::int16_t>(index_->at(pos).number);
}

TestStartRequest TFmain::panelRequest() const
{
    TestStartRequest r;
    r.batteryIndex = batteryIndexOf(ctypBat_->currentText());
    r.procedureNumber = procedureNumberOf(cpostup_->currentText());
    r.procedureName = cpostup_->currentText().toStdString();
    r.operatorName = cmeril_->currentText().toStdString();
    r.batteryNumber = lcisloBat_->text().toStdString();
    r.note = lpoznamka_->text().toStdString();
    return r;
}

void TFmain::onStart()
{
    runAction_->setEnabled(false);
    manualAction_->setEnabled(false);
    runModuleJob<std::string>(
        runtime_->powerJobs(), toolbar_->widgetForAction(runAction_),
        [this](ModuleLink&) { return startChecks(runtime_->station(), runtime_->powerCommands()); },
        [this](const std::string& message) {
            if (!message.empty())
                showMessage(message);
            continueStart();
        });
}

void TFmain::continueStart()
{
    auto& run = runtime_->station().run;
    if (run.stopReason.load(relaxed) == 0) {
        startResolvedTest(false, 0);
        return;
    }
    const AskAnswer answer =
        ask(this, qs(runtime_->settings().stanice), QString::fromUtf8(kResumeQuestion), /*withCancel=*/true);
    if (answer == AskAnswer::Cancel) {
        setRunButtons(true);
        return;
    }
    const std::uint8_t stopReason = run.stopReason.load(relaxed);
    run.stopReason.store(0, relaxed);
    if (answer == AskAnswer::Yes)
        startResolvedTest(true, runtime_->testFile().interruptedStep().value_or(run.currentStep.load(relaxed)),
                          stopReason);
    else
        startResolvedTest(false, 0);
}

void TFmain::startResolvedTest(bool resume, std::uint8_t resumeStep, std::uint8_t stopReasonBefore)
{
    const TestStartRequest request = panelRequest();
    std::vector<std::pair<std::int16_t, std::string>> procedures;
    for (const auto& e : index_->entries())
        procedures.emplace_back(static_cast<std::int16_t>(e.number), e.name);
    runtime_->station().run.jumpTarget.store(-1, relaxed);
    if (!resume)
        currentChangeWindow_ = request.batteryIndex >= 0 ? types_.at(request.batteryIndex).currentChangeInterval : 0;
    const std::vector<BatteryType> types = types_.types();
    starting_ = true;
    runModuleJob<StartResult>(
        runtime_->powerJobs(), toolbar_->widgetForAction(runAction_),
        [this, resume, resumeStep, request, types, procedures](ModuleLink&) {
            StartResult out;
            if (resume) {
                const Status s = resumeTest(*runtime_, types, procedures, resumeStep);
                out.started = s.ok();
                if (!s)
                    out.messages.push_back(s.error());
                return out;
            }
            if (Status resolved = resolveProcedure(*runtime_, types, request.procedureNumber, request.batteryIndex);
                !resolved) {
                out.messages.push_back(resolved.error());
                return out;
            }
            const TestStartOutcome started = startNewTest(*runtime_, types, request);
            out.started = started.started;
            out.messages = started.messages;
            return out;
        },
        [this, resume, stopReasonBefore](const StartResult& result) {
            starting_ = false;
            for (const auto& m : result.messages)
                showMessage(m);
            if (!result.started) {
                // A resume that could not go ahead leaves the test interrupted: the next
                // Start offers it again (nothing was written for this attempt).
                if (resume && stopReasonBefore != 0 && !runtime_->station().run.runActive())
                    runtime_->station().run.stopReason.store(stopReasonBefore, relaxed);
                setRunButtons(true);
                applyIconSize();
                return;
            }
            if (!resume) {
                samples_.clear();
                steps_.clear();
                reloadRecordWindows();
                showStartTime(runtime_->testFile().header().start);
            }
            setCaptions();
            afterStarted();
        });
}

void TFmain::afterStarted()
{
    sleepInhibitor_->hold(true);
    setRunButtons(false);
    applyIconSize();
}

void TFmain::onManual()
{
    TFRucne dialog(runtime_->config(), this);
    dialog.setWindowTitle(QStringLiteral("Ruční spuštění - ") + qs(runtime_->settings().stanice));
    const std::optional<ManualRun> manual = dialog.ask();
    if (!manual)
        return;
    const TestStartRequest request = panelRequest();
    if (request.batteryNumber.empty()) {
        showMessage(kNoBatteryNumber);
        return;
    }
    currentChangeWindow_ = 0;
    setRunButtons(false);
    stopAction_->setEnabled(false);
    const std::vector<BatteryType> types = types_.types();
    starting_ = true;
    runModuleJob<StartResult>(
        runtime_->powerJobs(), toolbar_->widgetForAction(manualAction_),
        [this, types, request, run = *manual](ModuleLink&) {
            const TestStartOutcome o = startManualTest(*runtime_, types, run, request);
            return StartResult{o.started, o.messages};
        },
        [this](const StartResult& result) {
            starting_ = false;
            for (const auto& m : result.messages)
                showMessage(m);
            if (!result.started) {
                setRunButtons(true);
                return;
            }
            samples_.clear();
            steps_.clear();
            reloadRecordWindows();
            setCaptions();
            afterStarted();
        });
}

void TFmain::onStop()
{
    if (ask(this, qs(runtime_->settings().stanice), QString::fromUtf8(kStopQuestion), false) != AskAnswer::Yes)
        return;
    runtime_->station().run.abort(StopReasonCode::OperatorStop);
    applyIconSize();
    runAction_->setEnabled(true);
    manualAction_->setEnabled(true);
    stopAction_->setEnabled(false);
}

void TFmain::onQuestionAnswered(bool ok)
{
    if (ok)
        answerQuestionOk(runtime_->station().run, runtime_->procedure());
    else
        answerQuestionEnd(runtime_->station().run, runtime_->procedure());
    bvolba_->hide();
    bvolOk_->hide();
    bvolKo_->hide();
}

void TFmain::onAlarmClicked()
{
    auto& live = runtime_->station().live;
    if (live.commFault.load(relaxed) != 0) {
        live.ledSeconds.store(0, relaxed); // the next refresh hides the banner
        return;
    }
    runModuleJob<bool>(
        runtime_->powerJobs(), balarm_,
        [this](ModuleLink&) { return alarmBannerClicked(runtime_->station().live, runtime_->powerCommands()); },
        [this](const bool& hide) {
            if (hide)
                balarm_->hide();
        });
}

void TFmain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (firstShown_)
        return;
    firstShown_ = true;
    setCaptions();
    QTimer::singleShot(0, this, &TFmain::firstShowCheck);
}

void TFmain::firstShowCheck()
{
    InterruptedTestCheck check;
    {
        OpenProgressDialog progress(this, windowTitle());
        loadingFile_ = true;
        check = runtime_->testFile().checkInterruptedTest(false, samples_, steps_, defaultDateTimeText,
                                                          progress.callback());
        loadingFile_ = false;
    }
    reloadRecordWindows();
    switch (check.outcome) {
    case InterruptedTestCheck::Outcome::NoTest:
        // The battery type and procedure chosen when the program last ended.
        selectStoredChoice(ctypBat_, runtime_->settings().typBat);
        selectStoredChoice(cpostup_, runtime_->settings().cPostup);
        return;
    case InterruptedTestCheck::Outcome::OpenFailed:
        showMessage(check.message);
        return;
    case InterruptedTestCheck::Outcome::NothingToResume:
        setCaptions();
        return;
    case InterruptedTestCheck::Outcome::AskToResume:
        setCaptions();
        if (!check.openWarning.empty())
            showMessage(check.openWarning);
        if (ask(this, qs(runtime_->settings().stanice), qs(check.message), false) == AskAnswer::Yes) {
            runAction_->setEnabled(false);
            manualAction_->setEnabled(false);
            startResolvedTest(true, check.step);
        } else {
            runtime_->testFile().declineResume();
        }
        return;
    }
}

void TFmain::showStartTime(DayTime start)
{
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(toTimePoint(start).time_since_epoch()).count());
    ldatum_->setText(QLocale::system().toString(at.date(), QLocale::ShortFormat));
    lcas_->setText(at.time().toString(QStringLiteral("H:mm:ss")));
}

void TFmain::showTestHeader()
{
    const TestHeader h = runtime_->testFile().header();
    selectStoredChoice(ctypBat_, h.batteryType);
    selectStoredChoice(cpostup_, h.procedureName);
    lcisloBat_->setText(qs(h.batteryNumber));
    if (const int at = cmeril_->findText(qs(h.operatorName)); at >= 0)
        cmeril_->setCurrentIndex(at);
    else if (cmeril_->isEditable())
        cmeril_->setEditText(qs(h.operatorName));
    lpoznamka_->setText(qs(h.note));
    showStartTime(h.start);
}

void TFmain::onOpen()
{
    if (runtime_->station().run.runActive()) {
        showMessage(test_file_messages::kRunActiveOpen);
        return;
    }
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Otevři"),
                                                        QString::fromStdString(runtime_->dataFolder().string()),
                                                        QStringLiteral("Soubor testu (*.tst)"));
    if (chosen.isEmpty()) {
        // Cancelled: there is no current test file any more.
        runtime_->testFile().forgetTestFile();
        setCaptions();
        return;
    }
    openTestFileAt(std::filesystem::path(chosen.toStdString()));
}

bool TFmain::openTestFileAt(const std::filesystem::path& path)
{
    Result<OpenSummary> opened = Error{std::string()};
    {
        OpenProgressDialog progress(this, windowTitle());
        loadingFile_ = true;
        OpenOptions options;
        options.runActive = runtime_->station().run.runActive();
        opened = runtime_->testFile().openTestFile(path, options, samples_, steps_, progress.callback());
        loadingFile_ = false;
    }
    if (!opened) {
        showMessage(opened.error());
        return false;
    }
    reloadRecordWindows();
    showTestHeader();
    setCaptions();
    applyIconSize(); // an interrupted test shows the resume image on Start
    if (!opened->warning.empty())
        showMessage(opened->warning);
    return true;
}

void TFmain::onSave()
{
    BatteryTestFile& file = runtime_->testFile();
    if (!file.hasTestFile()) {
        showMessage(test_file_messages::kNothingToSave);
        return;
    }
    if (!std::filesystem::exists(file.currentPath())) {
        showMessage("Soubor " + file.currentPath().string() + " neexistuje");
        return;
    }
    if (runtime_->station().run.runActive()) {
        showMessage(test_file_messages::kRunActiveSave);
        return;
    }
    QFileDialog dialog(this, QStringLiteral("Ulož"), QString::fromStdString(file.currentPath().string()),
                       QStringLiteral("Soubor testu (*.tst)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("tst"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveTestFileTo(std::filesystem::path(dialog.selectedFiles().front().toStdString()));
}

void TFmain::saveTestFileTo(const std::filesystem::path& path, std::function<void()> done)
{
    if (runtime_->station().run.runActive()) {
        showMessage(test_file_messages::kRunActiveSave);
        if (done)
            done();
        return;
    }
    // The copy takes each step's numbers and description from the procedure in the panel,
    // resolved as at a start; without it, from the steps loaded before.
    if (Status resolved = resolveProcedure(*runtime_, types_.types(), procedureNumberOf(cpostup_->currentText()),
                                           batteryIndexOf(ctypBat_->currentText()));
        !resolved)
        showMessage(resolved.error());
    const RunProcedure& procedure = runtime_->procedure();
    std::vector<RunStep> steps(procedure.steps.begin(), procedure.steps.begin() + procedure.stepCount);
    const std::string note = lpoznamka_->text().left(50).toStdString();
    const std::string batteryNumber = lcisloBat_->text().left(20).toStdString();
    auto* action = findChild<QAction*>(QStringLiteral("TBXUloz"));
    runFileWork(
        action,
        [this, path, note, batteryNumber, steps = std::move(steps)]() -> std::string {
            const Status saved = runtime_->testFile().saveTestFileAs(path, note, batteryNumber, steps,
                                                                     runtime_->station().run.runActive());
            return saved ? std::string() : saved.error();
        },
        std::move(done));
}

void TFmain::onArchive()
{
    archiveTestFile();
}

void TFmain::archiveTestFile(std::function<void()> done)
{
    auto* action = findChild<QAction*>(QStringLiteral("TBXItem1"));
    const std::filesystem::path folder = runtime_->archiveFolder();
    runFileWork(
        action,
        [this, folder]() -> std::string {
            const Status archived = runtime_->testFile().archive(folder, runtime_->station().run.runActive());
            return archived ? std::string() : archived.error();
        },
        std::move(done));
}

void TFmain::runFileWork(QAction* action, std::function<std::string()> work, std::function<void()> done)
{
    if (action)
        action->setEnabled(false);
    QPointer<TFmain> self(this);
    QThread* thread = QThread::create([self, action, work = std::move(work), done = std::move(done)] {
        const std::string message = work();
        QMetaObject::invokeMethod(
            qApp,
            [self, action, message, done] {
                if (!self)
                    return;
                if (action)
                    action->setEnabled(true);
                if (!message.empty())
                    self->showMessage(message);
                if (done)
                    done();
            },
            Qt::QueuedConnection);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    fileWork_.emplace_back(thread);
    thread->start();
}

void TFmain::selectStoredChoice(QComboBox* box, const std::string& stored)
{
    if (stored.empty())
        return;
    const int at = box->findText(qs(stored));
    if (at >= 0)
        box->setCurrentIndex(at); // the battery type refills the procedures
}

void TFmain::closeEvent(QCloseEvent* event)
{
    if (auto refusal = closeRefusal(runtime_->station().run.runState.load())) {
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
        s.uziv = cmeril_->currentText().toStdString();
        s.typBat = ctypBat_->currentText().toStdString();
        s.cPostup = cpostup_->currentText().toStdString();
        dataWindow_->saveState();
        grafWindow_->saveState();
        saveStoredValues();
        const Status saved = runtime_->saveSettings();
        if (!saved.ok())
            QMessageBox::warning(this, qs(runtime_->settings().stanice), qs(saved.error()));
    }
    event->accept();
}

// --- what the workers ask of the screen --------------------------------------------------

void TFmain::showMessage(const std::string& text)
{
    // Not modal: a worker waiting for this call goes on at once, the box stays up.
    auto* box = new QMessageBox(QMessageBox::Information, qs(runtime_ ? runtime_->settings().stanice : "Kapsorel"),
                                qs(text), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("zprava"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void TFmain::runStoppedOnLostModule()
{
    applyIconSize();
}

void TFmain::playAlarm()
{
    // Asynchronous; without a sound device or file nothing plays.
    if (alarm_->status() == QSoundEffect::Ready)
        alarm_->play();
}

void TFmain::setAlarmText(const QString& text)
{
    balarm_->setText(text);
    const int charHeight = QFontMetrics(balarm_->font()).height();
    balarm_->resize(std::max(int(text.size()), 10) * charHeight / 2, balarm_->sizeHint().height());
    balarm_->move((diagram_->width() - balarm_->width()) / 2, diagram_->height() * 2 / 100);
    balarm_->show();
    balarm_->raise();
}

void TFmain::errorAlarm(const std::string& text)
{
    playAlarm();
    setAlarmText(qs(text));
    runAction_->setEnabled(true);
    manualAction_->setEnabled(true);
    stopAction_->setEnabled(false);
}

void TFmain::faultsChanged(std::uint16_t faultBits)
{
    runtime_->station().live.shownFaultBits.store(faultBits);
    TFporuchy* window = faultsWindow(this);
    if (faultBits != 0) {
        faultsBar_->show();
        faultsAction_->setVisible(true);
        faultsAction_->setChecked(true);
        window->showFaults(faultBits);
    } else {
        window->hide();
        faultsAction_->setVisible(false);
        faultsBar_->hide();
    }
    const QIcon icon = appIcon(faultBits != 0);
    setWindowIcon(icon);
    QApplication::setWindowIcon(icon);
}

void TFmain::statusText(const std::string& text)
{
    statusPanels_[3]->setText(qs(text));
}

void TFmain::signallingPrompt(const std::string& text)
{
    playAlarm();
    setAlarmText(qs(cutChars(text, kAlarmTextChars)));
}

void TFmain::questionPrompt(const std::string& text)
{
    bvolbaCaption_->setText(qs(text));
    layOutDiagram();
    bvolba_->show();
    bvolOk_->show();
    bvolKo_->show();
    bvolba_->raise();
}

void TFmain::runEnded()
{
    sleepInhibitor_->hold(false);
    setRunButtons(true);
    applyIconSize();
}

void TFmain::refreshDisplay()
{
    if (loadingFile_)
        return; // the next refresh after the file is read shows everything
    Station& station = runtime_->station();
    auto& live = station.live;
    if (live.diagramRedraw.load(relaxed) != 0) {
        layOutDiagram();
        live.diagramRedraw.store(0, relaxed);
    }
    const DisplayUpdate u = model_.refresh(takeDisplaySnapshot(station, userLevel_));
    if (u.headText)
        statusPanels_[1]->setText(qs(*u.headText));
    if (u.versionText)
        diagram_->valueLabel("lver")->setText(qs(*u.versionText));
    if (u.refillBatteryTypes && !station.run.runActive())
        fillBatteryTypes(*u.refillBatteryTypes);
    if (u.applyHardwareKind)
        applyHardwareKind(*u.applyHardwareKind);
    if (u.voltage)
        setLabel(diagram_->valueLabel("lnap"), *u.voltage);
    if (u.source)
        setLabel(diagram_->valueLabel("znap"), *u.source);
    if (u.moduleTemp)
        setLabel(diagram_->valueLabel("otepl"), *u.moduleTemp);
    for (int i : u.changedCells) {
        const float v = live.cellVoltage[static_cast<std::size_t>(i)].load(relaxed);
        if (family_ == BatteryFamily::NiCd)
            diagram_->setCellBar(i, cellBar(v, runtime_->settings()));
        else if (i == 0)
            diagram_->setCellBar(0, CellBar{cellBar(v, runtime_->settings()).position, wideBarColours(), {}});
    }
    if (u.current)
        setLabel(diagram_->valueLabel("lproud"), *u.current);
    if (u.capacity)
        setLabel(diagram_->valueLabel("lkapacita"), *u.capacity);
    if (u.temperature)
        setLabel(diagram_->valueLabel("lteplota"), *u.temperature);
    if (u.stepTime)
        statusPanels_[5]->setText(qs(*u.stepTime));
    if (u.totalTime)
        statusPanels_[7]->setText(qs(*u.totalTime));
    if (u.hideBanner)
        balarm_->hide();
    else if (balarm_->isVisible())
        balarm_->raise();
    if (u.enableStart) {
        runAction_->setEnabled(*u.enableStart);
        manualAction_->setEnabled(*u.enableStart);
    }
    diagram_->setSwitches(live.chargingOn.load(relaxed) == 1, live.dischargingOn.load(relaxed) == 1,
                          live.driveOn.load(relaxed) == 1);
    // Whatever way the run ended, the computer may sleep again.
    if (!station.run.runActive())
        sleepInhibitor_->hold(false);

    // The samples are taken whatever the new-sample flag says: one appended after the
    // flag was read here and before the refresh clears it waits for the next pass. While
    // a start is being prepared they wait too, so the new test's first samples are not
    // added to the old test's table that the start then empties.
    if (!starting_)
        addSampleRow();
    if (station.run.stepMark.load(relaxed) != kNoStepMark)
        addStepRow();
    feedRecordWindows();
}

void TFmain::addSampleRow()
{
    Station& station = runtime_->station();
    // Everything appended since the last pass: a resumed step catches up its sample grid
    // several samples a second.
    const std::vector<SampleRecord> taken = runtime_->testFile().takeNewSamples();
    if (taken.empty())
        return;
    const TestHeader header = runtime_->testFile().header();
    const std::uint32_t interruptions = station.run.totalInterruptionSeconds.load(relaxed);
    for (const SampleRecord& sample : taken)
        samples_.add(sample, testAxisSeconds(header.start, sample.time, interruptions));
    const std::uint8_t stepIndex = station.run.currentStep.load(relaxed);
    const RunStep& step = runtime_->procedure().steps[stepIndex];
    const float delta =
        deltaCurrentFromTable(samples_, DeltaCurrentStep{stepIndex, step.type, step.recordInterval, step.value1},
                              currentChangeWindow_, station.live.current.load(relaxed));
    station.live.deltaCurrent.store(delta, relaxed);
    if (userLevel_ == 2 && delta != kDeltaCurrentUnavailable)
        setLabel(diagram_->valueLabel("ldpr"), LabelText{formatNumber("%5.2fA", double(delta), ','), false});
}

void TFmain::addStepRow()
{
    const std::uint8_t mark = runtime_->station().run.stepMark.load(relaxed);
    if (const auto result = runtime_->testFile().stepResult(mark))
        steps_.addStep(mark, *result, runtime_->testFile().header().start, false);
}

} // namespace kapsorel::ui
