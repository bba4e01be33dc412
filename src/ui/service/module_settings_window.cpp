// The module settings window: its tabs, menu, status line and progress bar.
#include "ui/service/module_settings_window.h"

#include "core/app/station_runtime.h"
#include "core/service/measure_settings_jobs.h"
#include "ui/common/window_placement.h"
#include "ui/service/measure_tabs.h"
#include "ui/service/network_tab.h"
#include "ui/service/power_tabs.h"
#include "ui/service/service_context.h"
#include "ui/service/settings_file_menu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace kapsorel::ui {
namespace {

constexpr const char* kSection = "TFnastaveni";
constexpr const char* kTabKey = "Zalozka";

} // namespace

ModuleSettingsWindow::ModuleSettingsWindow(StationRuntime& runtime, QWidget* parent)
    : QWidget(parent, Qt::Window), runtime_(runtime), gate_(runtime.station().run, guard_)
{
    setObjectName(QStringLiteral("TFnastaveni"));
    setWindowTitle(QStringLiteral("Nastavení"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setVisible(false);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lstatus"));
    status_->setWordWrap(true);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("PageControl1"));
    const Station& station = runtime.station();
    power_ = new PowerTabs({runtime.powerJobs(), guard_, gate_, progress_, station.run, station.live}, tabs_);
    measure_ = new MeasureTabs({runtime.measureJobs(), guard_, gate_, progress_, station.run, station.live}, tabs_);
    measureNetwork_ = measure_->networkTab();
    measureModule_ = measure_->moduleTab();
    tabs_->addTab(power_->networkTab(), QStringLiteral("  Výkonový modul - síť  "));
    tabs_->addTab(measureNetwork_, QStringLiteral("  Měřící modul - síť  "));
    tabs_->addTab(power_->moduleTab(), QStringLiteral("  Výkonový modul  "));
    tabs_->addTab(measureModule_, QStringLiteral("  Měřící modul  "));
    connect(power_, &PowerTabs::message, this, &ModuleSettingsWindow::showMessage);
    connect(measure_, &MeasureTabs::message, this, &ModuleSettingsWindow::showMessage);

    auto* menus = new QMenuBar(this);
    files_ =
        new SettingsFileMenu(menus->addMenu(QStringLiteral("Soubor")),
                             {this, *power_, *measure_, guard_, runtime.home(), qs(runtime.settings().stationName)});
    connect(files_, &SettingsFileMenu::message, this, &ModuleSettingsWindow::showMessage);
    auto* settings = menus->addMenu(QStringLiteral("Nastavení"));
    auto item = [this, settings](const char* name, const QString& caption, auto action) {
        auto* a = settings->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, action);
    };
    item("NactiVse", QStringLiteral("Načti vše"), [this] { runBoth(false); });
    item("UlozVse", QStringLiteral("Ulož vše"), [this] { runBoth(true); });
    item("NactiV", QStringLiteral("Načti v. modul"), [this] { runSequence(true, false); });
    item("UlozV", QStringLiteral("Ulož v. modul"), [this] { runSequence(true, true); });
    item("NactiM", QStringLiteral("Načti m. modul"), [this] { runSequence(false, false); });
    item("UlozM", QStringLiteral("Ulož m. modul"), [this] { runSequence(false, true); });

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menus);
    layout->addWidget(tabs_, 1);
    layout->addWidget(progress_);
    layout->addWidget(status_);

    // The program's own address and ports of each module: taken when editing ends.
    const StationSettings& s = runtime.settings();
    NetworkTab* pn = power_->networkTab();
    NetworkTab* mn = measure_->networkTab();
    pn->moduleAddress()->setText(QString::fromStdString(s.powerModuleAddress));
    pn->tcpPort()->setValue(runtime.powerLink().tcpPort());
    mn->moduleAddress()->setText(QString::fromStdString(s.measurementModuleAddress));
    mn->tcpPort()->setValue(runtime.measureLink().tcpPort());
    mn->udpPort()->setValue(runtime.measureLink().udpPort());
    for (NetworkTab* tab : {pn, mn}) {
        connect(tab->moduleAddress(), &QLineEdit::editingFinished, this, &ModuleSettingsWindow::takeEndpoints);
        connect(tab->tcpPort(), &QSpinBox::editingFinished, this, &ModuleSettingsWindow::takeEndpoints);
    }
    connect(mn->udpPort(), &QSpinBox::editingFinished, this, &ModuleSettingsWindow::takeEndpoints);

    resize(820, 640);
    restorePlacement(*this, runtime.config(), kSection);
    tabs_->setCurrentIndex(runtime.config().readInt(kSection, kTabKey, 0));

    kindWatch_ = new QTimer(this);
    kindWatch_->setInterval(1000);
    connect(kindWatch_, &QTimer::timeout, this,
            [this] { applyHardwareKind(runtime_.station().live.hardwareKind.load(std::memory_order_relaxed)); });
}

void ModuleSettingsWindow::applyHardwareKind(std::uint8_t kind)
{
    if (appliedKind_ == kind)
        return;
    appliedKind_ = kind;
    if (kind > 1)
        return;
    power_->applyHardwareKind(kind);
    const bool measure = kind == 0;
    tabs_->setTabVisible(tabs_->indexOf(measureNetwork_), measure);
    tabs_->setTabVisible(tabs_->indexOf(measureModule_), measure);
}

void ModuleSettingsWindow::showEvent(QShowEvent* event)
{
    applyHardwareKind(runtime_.station().live.hardwareKind.load(std::memory_order_relaxed));
    kindWatch_->start();
    QWidget::showEvent(event);
}

void ModuleSettingsWindow::closeEvent(QCloseEvent* event)
{
    kindWatch_->stop();
    takeEndpoints();
    savePlacement(*this, runtime_.config(), kSection);
    runtime_.config().writeInt(kSection, kTabKey, tabs_->currentIndex());
    QWidget::closeEvent(event);
}

void ModuleSettingsWindow::showMessage(const QString& text)
{
    status_->setText(text);
}

void ModuleSettingsWindow::takeEndpoints()
{
    StationSettings& s = runtime_.settings();
    NetworkTab* pn = power_->networkTab();
    NetworkTab* mn = measure_->networkTab();
    s.powerModuleAddress = pn->moduleAddress()->text().trimmed().toStdString();
    s.powerModuleTcpPort = static_cast<std::uint16_t>(pn->tcpPort()->value());
    s.measurementModuleAddress = mn->moduleAddress()->text().trimmed().toStdString();
    s.measurementModuleTcpPort = static_cast<std::uint16_t>(mn->tcpPort()->value());
    s.measurementModuleUdpPort = static_cast<std::uint16_t>(mn->udpPort()->value());
    runtime_.powerLink().setEndpoint(s.powerModuleAddress, s.powerModuleTcpPort);
    runtime_.measureLink().setEndpoint(s.measurementModuleAddress, s.measurementModuleTcpPort);
    runtime_.measureLink().setUdpPort(s.measurementModuleUdpPort);
}

void ModuleSettingsWindow::runBoth(bool write)
{
    // The measurement module's half runs whatever became of the power module's, each with
    // every check of its own; the status line keeps what failed in either.
    runSequence(true, write, [this, write](bool powerOk) {
        const std::string power = powerOk ? std::string() : status_->text().toStdString();
        runSequence(false, write, [this, power](bool measureOk) {
            const std::string measure = measureOk ? std::string() : status_->text().toStdString();
            showMessage(qs(bothModulesMessage(power, measure)));
        });
    });
}

void ModuleSettingsWindow::runSequence(bool power, bool write, std::function<void(bool)> then)
{
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setVisible(true);
    if (write)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    auto done = [this, write, then = std::move(then)](bool ok) {
        progress_->setVisible(false);
        if (write)
            QApplication::restoreOverrideCursor();
        if (then)
            then(ok);
    };
    if (power)
        write ? power_->writeModule(tabs_, done) : power_->readModule(tabs_, done);
    else
        write ? measure_->writeModule(tabs_, done) : measure_->readModule(tabs_, done);
}

} // namespace kapsorel::ui
