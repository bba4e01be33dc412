#include "ui/tfmain.h"

#include "core/app/start_state.h"
#include "core/base/numbers.h"
#include "core/comm/status_decoders.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QThread>
#include <QVBoxLayout>

namespace kapsorel::ui {

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QString number(const char* format, double v)
{
    return qs(formatNumber(format, v, ','));
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

} // namespace

TFmain::TFmain(const std::filesystem::path& home, const std::filesystem::path& configPath, bool startWorkers,
               QWidget* parent)
    : TFmain(home, ConfigFile::loadForStation(configPath), startWorkers, parent)
{
}

TFmain::TFmain(const std::filesystem::path& home, ConfigFile config, bool startWorkers, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TFmain"));
    bridge_ = std::make_unique<QtUiBridge>(*this);
    runtime_ = std::make_unique<StationRuntime>(home, std::move(config), *bridge_);

    buildMenus();
    buildLiveView();
    setWindowTitle(QStringLiteral("Kapsorel - ") + qs(runtime_->settings().stanice));
    resize(900, 600);
    refreshDisplay();
    if (startWorkers)
        runtime_->startWorkers();
}

TFmain::~TFmain()
{
    // Calls still queued from workers return without touching the window; the waits keep
    // processing events so a worker inside such a call can finish.
    bridge_->close();
    runtime_->shutdown([] { QApplication::processEvents(QEventLoop::AllEvents, 50); });
}

void TFmain::buildMenus()
{
    auto* battery = menuBar()->addMenu(QStringLiteral("Baterie"));
    families_ = new QActionGroup(this);
    families_->setExclusive(true);
    const std::pair<const char*, BatteryFamily> items[] = {
        {"typ_nicd", BatteryFamily::NiCd}, {"typ_nicdpb", BatteryFamily::NiCdPb}, {"typ_tpb", BatteryFamily::Pb}};
    for (const auto& [name, family] : items) {
        auto* a = battery->addAction(qs(familyName(family)));
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        a->setChecked(runtime_->station().batteryFamily() == family);
        families_->addAction(a);
        connect(a, &QAction::triggered, this, [this, f = family] { selectFamily(f); });
    }
    auto* program = menuBar()->addMenu(QStringLiteral("Program"));
    auto* quit = program->addAction(QStringLiteral("Konec"));
    quit->setObjectName(QStringLiteral("tkonec"));
    connect(quit, &QAction::triggered, this, &QWidget::close);
}

void TFmain::buildLiveView()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    lstanice_ = new QLabel(qs(runtime_->settings().stanice), central);
    lstanice_->setObjectName(QStringLiteral("lstanice"));
    QFont big = lstanice_->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    lstanice_->setFont(big);
    layout->addWidget(lstanice_);

    auto* values = new QGroupBox(QStringLiteral("Baterie"), central);
    auto* grid = new QGridLayout(values);
    const auto addValue = [&](int row, int col, const char* caption, const char* name) {
        grid->addWidget(new QLabel(QString::fromUtf8(caption), values), row, col * 2);
        auto* l = new QLabel(values);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(big);
        grid->addWidget(l, row, col * 2 + 1);
        return l;
    };
    lvoltage_ = addValue(0, 0, "Napětí", "lnapeti");
    lcurrent_ = addValue(0, 1, "Proud", "lproud");
    lcapacity_ = addValue(0, 2, "Kapacita", "lkapacita");
    ltemperature_ = addValue(1, 0, "Teplota", "lteplota");
    lmodule_ = addValue(1, 1, "Teplota modulu", "lteplota_modulu");
    lhead_ = addValue(1, 2, "Hlava", "lhlava");
    layout->addWidget(values);

    auto* cellBox = new QGroupBox(QStringLiteral("Články"), central);
    auto* cellGrid = new QGridLayout(cellBox);
    for (int i = 0; i < kCellCount; ++i) {
        auto* caption = new QLabel(QString::number(i + 1), cellBox);
        caption->setAlignment(Qt::AlignCenter);
        auto* l = new QLabel(cellBox);
        l->setObjectName(QStringLiteral("lclanek%1").arg(i + 1));
        l->setAlignment(Qt::AlignCenter);
        l->setFrameShape(QFrame::Box);
        cellGrid->addWidget(caption, (i / 10) * 2, i % 10);
        cellGrid->addWidget(l, (i / 10) * 2 + 1, i % 10);
        cells_.append(l);
    }
    layout->addWidget(cellBox);
    layout->addStretch();
    setCentralWidget(central);

    lstatus_ = new QLabel(this);
    lstatus_->setObjectName(QStringLiteral("lkrok"));
    lcomm_ = new QLabel(this);
    lcomm_->setObjectName(QStringLiteral("lspojeni"));
    lversion_ = new QLabel(this);
    lversion_->setObjectName(QStringLiteral("lverze"));
    statusBar()->addWidget(lstatus_, 1);
    statusBar()->addPermanentWidget(lcomm_);
    statusBar()->addPermanentWidget(lversion_);
}

void TFmain::selectFamily(BatteryFamily family)
{
    runtime_->station().setBatteryFamily(family);
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
        runtime_->settings().stanice = lstanice_->text().toStdString();
        const Status saved = runtime_->saveSettings();
        if (!saved.ok())
            QMessageBox::warning(this, qs(runtime_->settings().stanice), qs(saved.error()));
    }
    event->accept();
}

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
    lstatus_->setText(QStringLiteral("Spojení s modulem ztraceno"));
}

void TFmain::errorAlarm(const std::string& text)
{
    lstatus_->setText(qs(text));
}

void TFmain::faultsChanged(std::uint16_t faultBits)
{
    runtime_->station().live.shownFaultBits.store(faultBits);
    QStringList lines;
    for (const auto& t : faultTexts(faultBits))
        lines << qs(t);
    lcomm_->setToolTip(lines.join(QLatin1Char('\n')));
}

void TFmain::statusText(const std::string& text)
{
    lstatus_->setText(qs(text));
}

void TFmain::signallingPrompt(const std::string& text)
{
    lstatus_->setText(qs(text));
}

void TFmain::questionPrompt(const std::string& text)
{
    lstatus_->setText(qs(text));
}

void TFmain::runEnded()
{
    lstatus_->setText(QStringLiteral("Konec"));
}

void TFmain::refreshDisplay()
{
    const auto& live = runtime_->station().live;
    lvoltage_->setText(number("%5.2f V", live.batteryVoltage.load()));
    lcurrent_->setText(number("%5.2f A", live.current.load()));
    lcapacity_->setText(number("%6.3f Ah", live.capacity.load()));
    ltemperature_->setText(number("%5.1f °C", live.batteryTemperature.load()));
    lmodule_->setText(number("%5.1f °C", live.moduleTemperature.load()));
    lhead_->setText(QString::number(live.headCode.load()));
    for (int i = 0; i < kCellCount; ++i)
        cells_[i]->setText(number("%4.2f", live.cellVoltage[static_cast<std::size_t>(i)].load()));
    const auto comm = live.commFault.load();
    QStringList lost;
    if (comm & kCommFaultPower)
        lost << QStringLiteral("výkonový modul");
    if (comm & kCommFaultMeasurement)
        lost << QStringLiteral("měřicí modul");
    lcomm_->setText(lost.isEmpty() ? QStringLiteral("Moduly odpovídají")
                                   : QStringLiteral("Neodpovídá: ") + lost.join(QStringLiteral(", ")));
    lversion_->setText(qs(versionLabel(live.powerSwVersion.load())));
}

} // namespace kapsorel::ui
