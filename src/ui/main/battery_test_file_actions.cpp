#include "ui/main/battery_test_file_actions.h"

#include "core/app/file_refusals.h"
#include "core/app/start_battery_test.h"
#include "core/app/start_state.h"
#include "ui/common/gui_queue.h"
#include "ui/common/open_progress.h"
#include "ui/main/battery_history_window.h"
#include "ui/main/csv_export_action.h"
#include "ui/main/main_actions.h"
#include "ui/main/operator_panel.h"
#include "ui/main/record_windows.h"
#include "ui/main/reports_menu.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>

namespace kapsorel::ui {

namespace {

const QString kTestFileFilter = QStringLiteral("Soubor testu (*.tst)");

} // namespace

BatteryTestFileActions::BatteryTestFileActions(StationRuntime& runtime, const BatteryTable& types, MainActions& actions,
                                               OperatorPanel& panel, RecordWindows& records, QWidget* owner)
    : QObject(owner), runtime_(runtime), types_(types), actions_(actions), panel_(panel), records_(records),
      owner_(owner)
{
    connect(actions_.open, &QAction::triggered, this, &BatteryTestFileActions::open);
    connect(actions_.save, &QAction::triggered, this, &BatteryTestFileActions::save);
    connect(actions_.archive, &QAction::triggered, this, [this] { archive(); });
    auto* csvExport = new CsvExportAction(runtime_, actions_, owner_, this);
    connect(csvExport, &CsvExportAction::message, this, &BatteryTestFileActions::message);
    connect(actions_.history, &QAction::triggered, this, &BatteryTestFileActions::showHistory);
}

void BatteryTestFileActions::showHistory()
{
    if (!history_) {
        history_ = new BatteryHistoryWindow(
            runtime_, [this](const std::filesystem::path& path) { openFromHistory(path); },
            [this](const std::filesystem::path& path) { printFromHistory(path); }, owner_);
        connect(history_, &BatteryHistoryWindow::message, this, &BatteryTestFileActions::message);
    }
    history_->showFor(panel_.request().batteryNumber);
}

bool BatteryTestFileActions::openFromHistory(const std::filesystem::path& path)
{
    if (auto refusal = openRefusal(runtime_.station().run.runActive())) {
        emit message(*refusal);
        return false;
    }
    return openAt(path);
}

void BatteryTestFileActions::printFromHistory(const std::filesystem::path& path)
{
    auto* reports = owner_->findChild<ReportsMenu*>();
    if (!reports || actions_.fileWorkRunning || loading_)
        return;
    // The open test prints as " Tisk" prints it, with the graph window's view of it.
    std::error_code ec;
    if (runtime_.testFile().hasTestFile() && std::filesystem::equivalent(path, runtime_.testFile().currentPath(), ec)) {
        reports->printChart();
        return;
    }
    // Another test is read into tables of its own, off the GUI thread, and printed from
    // them: the open test, a run and the record windows stay as they are.
    SampleTable samples;
    StepTable steps;
    Result<TestFileTables> read = Error{std::string()};
    OpenOptions options;
    options.ignoreInterruptions = runtime_.settings().ignoreInterruptions;
    // Over the history window, whose input it holds back meanwhile (a second "Tisk"); the
    // main window goes on as it was.
    QWidget* over = history_ ? static_cast<QWidget*>(history_) : owner_;
    OpenProgressDialog progress(over, over->windowTitle());
    progress.run([&](const OpenProgress& advance, const std::atomic<bool>& cancel) {
        options.cancel = &cancel;
        read = readTestFileTables(path, options, runtime_.clock(), samples, steps, advance);
    });
    if (!read) {
        emit message(read.error());
        return;
    }
    if (!read->summary.warning.empty())
        emit message(read->summary.warning);
    reports->printChartOf(*read, samples);
}

BatteryTestFileActions::~BatteryTestFileActions()
{
    delete history_; // keeps its placement in the runtime's configuration, still here
    for (const auto& work : work_)
        if (work)
            work->wait();
}

void BatteryTestFileActions::open()
{
    if (actions_.fileWorkRunning)
        return;
    if (auto refusal = openRefusal(runtime_.station().run.runActive())) {
        emit message(*refusal);
        return;
    }
    const QString chosen = QFileDialog::getOpenFileName(
        owner_, QStringLiteral("Otevři"), QString::fromStdString(runtime_.dataFolder().string()), kTestFileFilter);
    if (chosen.isEmpty()) {
        runtime_.testFile().forgetTestFile();
        emit forgotten();
        return;
    }
    openAt(std::filesystem::path(chosen.toStdString()));
}

bool BatteryTestFileActions::openAt(const std::filesystem::path& path)
{
    if (actions_.fileWorkRunning || loading_)
        return false;
    // The file is read into tables of its own off the GUI thread and handed over at the
    // end: a failed or cancelled open leaves the windows showing what they showed.
    SampleTable samples;
    StepTable steps;
    Result<OpenSummary> read = Error{std::string()};
    OpenOptions options;
    options.runActive = runtime_.station().run.runActive();
    options.ignoreInterruptions = runtime_.settings().ignoreInterruptions;
    readOffGuiThread([&](const OpenProgress& progress, const std::atomic<bool>& cancel) {
        options.cancel = &cancel;
        read = runtime_.testFile().openTestFile(path, options, samples, steps, progress);
    });
    if (!read) {
        emit message(read.error());
        return false;
    }
    records_.samples() = std::move(samples);
    records_.steps() = std::move(steps);
    records_.reload();
    panel_.showHeader(runtime_.testFile().header());
    emit opened();
    if (!read->warning.empty())
        emit message(read->warning);
    return true;
}

InterruptedTestCheck BatteryTestFileActions::checkInterruptedTest()
{
    SampleTable samples;
    StepTable steps;
    InterruptedTestCheck check;
    const bool ignoreInterruptions = runtime_.settings().ignoreInterruptions;
    readOffGuiThread([&](const OpenProgress& progress, const std::atomic<bool>&) {
        check = runtime_.testFile().checkInterruptedTest(ignoreInterruptions, samples, steps, defaultDateTimeText,
                                                         progress);
    });
    if (check.outcome != InterruptedTestCheck::Outcome::NoTest &&
        check.outcome != InterruptedTestCheck::Outcome::OpenFailed) {
        records_.samples() = std::move(samples);
        records_.steps() = std::move(steps);
    }
    records_.reload();
    return check;
}

void BatteryTestFileActions::readOffGuiThread(const OpenProgressDialog::Reading& read)
{
    OpenProgressDialog progress(owner_, owner_->windowTitle());
    loading_ = true;
    progress.run(read);
    loading_ = false;
}

void BatteryTestFileActions::save()
{
    if (actions_.fileWorkRunning)
        return;
    if (auto refusal = saveRefusal(runtime_.testFile(), runtime_.station().run.runActive())) {
        emit message(*refusal);
        return;
    }
    QFileDialog dialog(owner_, QStringLiteral("Ulož"),
                       QString::fromStdString(runtime_.testFile().currentPath().string()), kTestFileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("tst"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    saveTo(std::filesystem::path(dialog.selectedFiles().front().toStdString()));
}

void BatteryTestFileActions::saveTo(const std::filesystem::path& path, std::function<void()> done)
{
    if (actions_.fileWorkRunning || runtime_.station().run.runActive()) {
        if (!actions_.fileWorkRunning)
            emit message(test_file_messages::kRunActiveSave);
        if (done)
            done();
        return;
    }
    // The copy takes each step's numbers and description from the procedure in the panel,
    // resolved as at a start; without it, from the steps loaded before.
    const BatteryTestStartRequest chosen = panel_.request();
    if (Status resolved = resolveProcedure(runtime_, types_.types(), chosen.procedureNumber, chosen.batteryIndex);
        !resolved)
        emit message(resolved.error());
    const RunProcedure& procedure = runtime_.procedure();
    std::vector<RunStep> steps(procedure.steps.begin(), procedure.steps.begin() + procedure.stepCount);
    const std::string note = chosen.note;
    const std::string batteryNumber = chosen.batteryNumber;
    runFileWork(
        [this, path, note, batteryNumber, steps = std::move(steps)]() -> std::string {
            const Status saved = runtime_.testFile().saveTestFileAs(path, note, batteryNumber, steps,
                                                                    runtime_.station().run.runActive());
            return saved ? std::string() : saved.error();
        },
        std::move(done));
}

void BatteryTestFileActions::archive(std::function<void()> done)
{
    if (actions_.fileWorkRunning) {
        if (done)
            done();
        return;
    }
    const std::filesystem::path folder = runtime_.archiveFolder();
    runFileWork(
        [this, folder]() -> std::string {
            const Status archived = runtime_.testFile().archive(folder, runtime_.station().run.runActive());
            return archived ? std::string() : archived.error();
        },
        std::move(done));
}

void BatteryTestFileActions::runFileWork(std::function<std::string()> work, std::function<void()> done)
{
    // One copy at a time; "Otevři" would wait on the GUI thread for the copy's lock.
    actions_.setFileWorkRunning(true);
    QPointer<BatteryTestFileActions> self(this);
    QThread* thread =
        QThread::create([self, work = std::move(work), done = std::move(done), toGui = appGuiQueue().poster()] {
            const std::string text = work();
            toGui([self, text, done] {
                if (!self)
                    return;
                self->actions_.setFileWorkRunning(false);
                if (!text.empty())
                    emit self->message(text);
                if (done)
                    done();
            });
        });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    work_.emplace_back(thread);
    thread->start();
}

} // namespace kapsorel::ui
