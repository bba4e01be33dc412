#include "ui/service/firmware_upgrade_window.h"

#include "core/app/station_runtime.h"
#include "core/service/firmware_upload.h"
#include "ui/common/gui_queue.h"
#include "ui/common/module_job.h"
#include "ui/common/refusal.h"
#include "ui/common/window_placement.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

namespace kapsorel::ui {

namespace {

constexpr const char* kSection = "TFupgrade";
constexpr const char* kFileKey = "Fname";

// The upload's reports, handed to the window on the GUI thread while it still exists.
class WindowEvents final : public TftpSendEvents {
  public:
    WindowEvents(QPointer<QPlainTextEdit> log, QPointer<QProgressBar> bar)
        : log_(std::move(log)), bar_(std::move(bar)), toGui_(appGuiQueue().poster())
    {
    }

    void log(const std::string& line) override
    {
        toGui_([log = log_, text = QString::fromStdString(line)] {
            if (log)
                log->appendPlainText(text);
        });
    }
    void progressShown(bool shown) override
    {
        toGui_([bar = bar_, shown] {
            if (bar) {
                bar->setValue(0);
                bar->setVisible(shown);
            }
        });
    }
    void progress(int percent) override
    {
        toGui_([bar = bar_, percent] {
            if (bar)
                bar->setValue(percent);
        });
    }

  private:
    QPointer<QPlainTextEdit> log_;
    QPointer<QProgressBar> bar_;
    GuiQueue::Poster toGui_;
};

} // namespace

FirmwareUpgradeWindow::FirmwareUpgradeWindow(StationRuntime& runtime, QWidget* parent, UpgradeTransfer transfer)
    : QDialog(parent), runtime_(runtime), transfer_(transfer)
{
    setObjectName(QStringLiteral("TFupgrade"));
    setWindowTitle(QStringLiteral("Upgrade"));

    auto* fileLabel = new QLabel(QStringLiteral("Soubor FW :"), this);
    file_ = new QLineEdit(this);
    file_->setObjectName(QStringLiteral("Fname"));
    file_->setMinimumWidth(320);
    fileLabel->setBuddy(file_);
    auto* browse = new QToolButton(this);
    browse_ = browse;
    browse->setObjectName(QStringLiteral("Fname_vyber"));
    browse->setText(QStringLiteral("..."));
    browse->setToolTip(QStringLiteral("Vybrat soubor FW"));

    send_ = new QPushButton(QStringLiteral("Pošli"), this);
    send_->setObjectName(QStringLiteral("Posli"));
    cancel_ = new QPushButton(QStringLiteral("Přeruš"), this);
    cancel_->setObjectName(QStringLiteral("Prerus"));
    cancel_->setEnabled(false);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, 100);
    progress_->setVisible(false);

    auto* logLabel = new QLabel(QStringLiteral("Průběh :"), this);
    log_ = new QPlainTextEdit(this);
    log_->setObjectName(QStringLiteral("log"));
    log_->setReadOnly(true);
    log_->setMinimumHeight(220);
    logLabel->setBuddy(log_);

    auto* grid = new QGridLayout(this);
    grid->addWidget(fileLabel, 0, 0);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(browse);
    grid->addLayout(fileRow, 0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(send_);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    grid->addLayout(buttons, 1, 1);
    grid->addWidget(progress_, 2, 0, 1, 2);
    grid->addWidget(logLabel, 3, 0, Qt::AlignTop);
    grid->addWidget(log_, 3, 1);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);

    connect(browse, &QToolButton::clicked, this, &FirmwareUpgradeWindow::chooseFile);
    connect(send_, &QPushButton::clicked, this, &FirmwareUpgradeWindow::send);
    connect(cancel_, &QPushButton::clicked, this, &FirmwareUpgradeWindow::cancel);

    file_->setText(QString::fromStdString(runtime_.config().readString(kSection, kFileKey, "")));
    resize(560, 380);
    restorePlacement(*this, runtime_.config(), kSection);
}

FirmwareUpgradeWindow::~FirmwareUpgradeWindow()
{
    cancel();
}

void FirmwareUpgradeWindow::chooseFile()
{
    QFileDialog dialog(this, QStringLiteral("Soubor FW"), QFileInfo(file_->text()).absolutePath(),
                       QStringLiteral("BIN (*.bin *.BIN);;HEX (*.hex *.HEX)"));
    dialog.setObjectName(QStringLiteral("Fname_dialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("bin"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        file_->setText(dialog.selectedFiles().front());
}

void FirmwareUpgradeWindow::send()
{
    if (sending_)
        return;
    if (runtime_.station().run.runActive()) {
        showRefusal(this, "Během testu nelze nahrávat firmware. Počkejte na konec testu.");
        return;
    }
    runtime_.config().writeString(kSection, kFileKey, file_->text().toStdString());
    sending_ = true;
    cancel_->setEnabled(true);
    file_->setReadOnly(true);
    browse_->setEnabled(false);
    cancelFlag_ = std::make_shared<std::atomic<bool>>(false);
    FirmwareUpload upload{file_->text().toStdString(), runtime_.settings().powerModuleAddress, transfer_.port,
                          transfer_.timings};
    auto events = std::make_shared<WindowEvents>(QPointer<QPlainTextEdit>(log_), QPointer<QProgressBar>(progress_));
    QPointer<FirmwareUpgradeWindow> self(this);
    // On the power module's job runner: it never meets another exchange of the service windows.
    runModuleJob<bool>(
        runtime_.powerJobs(), send_,
        [upload, events, cancel = cancelFlag_](ModuleLink&) {
            return uploadFirmware(upload, *events, *cancel) == UploadOutcome::Sent;
        },
        [self](const bool&) {
            if (self)
                self->finished();
        });
}

void FirmwareUpgradeWindow::cancel()
{
    if (cancelFlag_)
        cancelFlag_->store(true);
    cancel_->setEnabled(false);
}

void FirmwareUpgradeWindow::finished()
{
    sending_ = false;
    cancelFlag_.reset();
    file_->setReadOnly(false);
    browse_->setEnabled(true);
    cancel_->setEnabled(false);
}

void FirmwareUpgradeWindow::done(int result)
{
    // Closing stops an upload under way; its job ends at its next receive.
    cancel();
    runtime_.config().writeString(kSection, kFileKey, file_->text().toStdString());
    savePlacement(*this, runtime_.config(), kSection);
    QDialog::done(result);
}

} // namespace kapsorel::ui
