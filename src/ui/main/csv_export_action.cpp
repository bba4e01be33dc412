#include "ui/main/csv_export_action.h"

#include "core/records/csv_export.h"
#include "ui/common/gui_queue.h"
#include "ui/main/main_actions.h"

#include <QAction>
#include <QFileDialog>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>
#include <cmath>

namespace kapsorel::ui {

namespace {

constexpr int kSteps = 1000;
constexpr int kProgressDelayMs = 500;
constexpr int kProgressTickMs = 100;

std::string doneText(const CsvExportSummary& s)
{
    std::string text =
        "Exportováno vzorků: " + std::to_string(s.rows) + "\n" + s.csvFile.string() + "\n" + s.stepsFile.string();
    if (!s.complete())
        text += "\n\n" + s.warning;
    return text;
}

} // namespace

CsvExportAction::CsvExportAction(StationRuntime& runtime, MainActions& actions, QWidget* owner, QObject* parent)
    : QObject(parent), runtime_(runtime), actions_(actions), owner_(owner)
{
    setObjectName(QStringLiteral("csvExport"));
    connect(actions_.exportCsv, &QAction::triggered, this, &CsvExportAction::chooseAndExport);
}

CsvExportAction::~CsvExportAction()
{
    cancel_->store(true);
    if (thread_)
        thread_->wait();
}

void CsvExportAction::chooseAndExport()
{
    if (running())
        return;
    if (!runtime_.testFile().hasTestFile()) {
        emit message(kNothingToExport);
        return;
    }
    QFileDialog dialog(owner_, QStringLiteral("Export CSV"),
                       QString::fromStdString(defaultCsvPath(runtime_.testFile().currentPath()).string()),
                       QStringLiteral("CSV (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    exportTo(std::filesystem::path(dialog.selectedFiles().front().toStdString()));
}

void CsvExportAction::exportTo(const std::filesystem::path& csvFile, std::function<void()> done)
{
    if (running() || !runtime_.testFile().hasTestFile()) {
        if (!running())
            emit message(kNothingToExport);
        if (done)
            done();
        return;
    }
    actions_.exportCsv->setEnabled(false);
    cancel_->store(false);
    permille_->store(0);

    // Shown only when the export takes a while; "Zruš" cancels between pieces.
    progress_ = new QProgressDialog(QStringLiteral("Export CSV"), QStringLiteral("Zruš"), 0, kSteps, owner_);
    progress_->setObjectName(QStringLiteral("csvExportProgress"));
    progress_->setWindowTitle(owner_->windowTitle());
    progress_->setWindowModality(Qt::NonModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(kProgressDelayMs);
    progress_->setValue(0);
    connect(progress_, &QProgressDialog::canceled, this, &CsvExportAction::cancel);
    progressTimer_ = new QTimer(this);
    connect(progressTimer_, &QTimer::timeout, this, [this] {
        if (progress_)
            progress_->setValue(permille_->load());
    });
    progressTimer_->start(kProgressTickMs);

    const std::filesystem::path testFile = runtime_.testFile().currentPath();
    QPointer<CsvExportAction> self(this);
    thread_ = QThread::create([self, testFile, csvFile, cancel = cancel_, permille = permille_, done = std::move(done),
                               toGui = appGuiQueue().poster()] {
        auto result = exportTestCsv(
            testFile, csvFile,
            [&permille](double f) { permille->store(static_cast<int>(std::lround(std::clamp(f, 0.0, 1.0) * kSteps))); },
            cancel.get());
        std::string text;
        if (!result)
            text = result.error();
        else
            text = doneText(result.value());
        toGui([self, text, done] {
            if (self)
                self->finished(text, done);
            else if (done)
                done();
        });
    });
    connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
    thread_->start();
}

void CsvExportAction::finished(const std::string& text, std::function<void()> done)
{
    if (thread_)
        thread_->wait();
    thread_ = nullptr;
    delete progressTimer_;
    progressTimer_ = nullptr;
    delete progress_;
    progress_ = nullptr;
    actions_.exportCsv->setEnabled(true);
    if (!text.empty())
        emit message(text);
    if (done)
        done();
}

} // namespace kapsorel::ui
