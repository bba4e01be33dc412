// Opening a battery test file into the tables, the interrupted-test check and the resume:
// the halves of BatteryTestFile the windows use before a run.
#include "core/base/atomic_order.h"
#include "core/base/bytes.h"
#include "core/base/files.h"
#include "core/definitions/step_types.h"
#include "core/records/battery_test_file.h"
#include "core/records/battery_test_file_rules.h"
#include "core/records/battery_test_reader.h"

#include <algorithm>
#include <new>
#include <unistd.h>

namespace kapsorel {

using namespace battery_test_file_rules;

namespace {

// Bytes of tail records read at once when a file is opened.
constexpr std::size_t kOpenPieceBytes = std::size_t{2} << 20;
// Samples reserved ahead at most: a file's size is not trusted for more, the table grows.
constexpr std::size_t kReservedSamplesAtMost = std::size_t{1} << 20;
// Memory one sample takes in the data table (test-axis time, time, step, values) and its graph.
constexpr std::uint64_t kBytesPerSample = sizeof(std::int32_t) + sizeof(DayTime) + 1 + sizeof(SampleRows::Values) + 16;

// Memory the tables of an opened file may take: half of the machine's.
std::uint64_t sampleMemoryBudget()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::uint64_t{4} << 30;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 2;
}

// Takes the decoded tail records of an opened file into the data table and the values
// the in-memory state is built from.
struct OpenSink {
    SampleTable& samples;
    DayTime testStart;
    bool ignoreInterruptions;
    SampleRecord& current;
    std::vector<ResumeEntry>& resumes;
    std::vector<long long>& resumeSecondsOf; // d of each entry of `resumes`
    std::uint8_t& stopReason;
    long long& totalInterruption;
    std::size_t& refusedRecords;
    std::string& firstRefusal;
    OpenSummary& summary;

    void sample(std::size_t, const SampleRecord& s)
    {
        current = s;
        samples.add(s, testAxisSeconds(testStart, s.time, clampSeconds(totalInterruption)));
        ++summary.samples;
    }
    void interruption(std::size_t, const InterruptionMarker& m)
    {
        stopReason = m.stopReason;
        ++summary.interruptions;
    }
    void resume(std::size_t, const ResumeEntry& e)
    {
        if (ignoreInterruptions)
            return;
        const long long d = wholeSecondsBetween(e.interruptionTime, e.resumeTime);
        resumes.push_back(e);
        resumeSecondsOf.push_back(d);
        // The interruption was resumed: it no longer stands.
        stopReason = 0;
        totalInterruption += d;
        ++summary.resumes;
    }
    void refused(std::size_t, std::string message)
    {
        if (refusedRecords++ == 0)
            firstRefusal = std::move(message);
    }
};

} // namespace

namespace {

Result<TestFileTables> readTables(const std::filesystem::path& path, const OpenOptions& options, Clock& clock,
                                  SampleTable& samples, StepTable& steps, const OpenProgress& progress)
{
    FileReader reader;
    auto headResult = openTestFileHead(path, reader, clock);
    if (!headResult)
        return Error{headResult.error()};
    std::vector<std::uint8_t> buffer;
    TestFileTables read;
    read.head = std::move(headResult.value());
    BatteryTestFileHead& head = read.head;
    BatteryTestFileLayout& layout = head.layout;
    OpenSummary& summary = read.summary;
    summary.version = layout.version;
    samples.clear();
    if (layout.tailCount > sampleMemoryBudget() / kBytesPerSample)
        return Error{test_file_messages::kTooLarge};
    samples.reserve(std::min(layout.tailCount, kReservedSamplesAtMost));
    steps.clear();
    std::size_t refused = 0;
    std::string firstRefusal;

    // The tail is read a piece of whole records at a time, so a long test never sits in
    // memory twice (as bytes and as rows).
    const std::size_t recordSize = layout.tailRecordSize;
    const std::size_t perPiece = std::max<std::size_t>(1, kOpenPieceBytes / recordSize);
    for (std::size_t first = 0; first < layout.tailCount;) {
        const std::size_t wanted = std::min(perPiece, layout.tailCount - first);
        if (Status st =
                reader.readAt(layout.tailStart + std::uint64_t{first} * recordSize, wanted * recordSize, buffer);
            !st) {
            samples.clear();
            steps.clear();
            return Error{st.error()};
        }
        const std::size_t got = buffer.size() / recordSize;
        OpenSink sink{samples,
                      head.header.start,
                      options.ignoreInterruptions,
                      read.last,
                      read.resumes,
                      read.resumeSecondsOf,
                      read.stopReason,
                      read.totalInterruption,
                      refused,
                      firstRefusal,
                      summary};
        readTailRecords(std::span<const std::uint8_t>(buffer).first(got * recordSize), layout, first, sink);
        // The graph's decimation is brought up in the same pass, while the piece's rows are
        // still in the cache.
        samples.updateDecimation();
        if (options.cancel && options.cancel->load(kRelaxed)) {
            samples.clear();
            steps.clear();
            return Error{test_file_messages::kOpenCancelled};
        }
        if (got < wanted) {
            // The file became shorter while it was read: what is there is what it holds.
            layout.tailCount = first + got;
            layout.trailingBytes = buffer.size() % recordSize;
            break;
        }
        first += got;
        if (progress && first < layout.tailCount)
            progress(static_cast<double>(first) / static_cast<double>(layout.tailCount));
    }
    if (progress)
        progress(1.0);

    for (std::size_t i = 0; i < head.steps.size(); ++i) {
        const StepResult& sr = head.steps[i];
        if (!(sr.start > 0.0))
            continue;
        const auto index = static_cast<std::uint8_t>(i);
        steps.addStep(index, sr, head.header.start, true);
        long long interrupted = 0;
        for (std::size_t k = 0; k < read.resumes.size(); ++k)
            if (read.resumes[k].step == index)
                interrupted += read.resumeSecondsOf[k];
        if (interrupted > 0)
            steps.addInterruption(index, interrupted);
    }

    if (refused > 0)
        summary.warning = "Vynecháno záznamů: " + std::to_string(refused) + " (" + firstRefusal + ")";
    if (layout.trailingBytes > 0) {
        if (!summary.warning.empty())
            summary.warning += "\n";
        summary.warning += "Poslední záznam souboru testu je neúplný a byl vynechán";
    }
    return read;
}

} // namespace

Result<TestFileTables> readTestFileTables(const std::filesystem::path& path, const OpenOptions& options, Clock& clock,
                                          SampleTable& samples, StepTable& steps, const OpenProgress& progress)
{
    try {
        return readTables(path, options, clock, samples, steps, progress);
    } catch (const std::bad_alloc&) {
        samples.clear();
        steps.clear();
        return Error{test_file_messages::kTooLarge};
    }
}

Result<OpenSummary> BatteryTestFile::openTestFile(const std::filesystem::path& path, const OpenOptions& options,
                                                  SampleTable& samples, StepTable& steps, const OpenProgress& progress)
{
    // The file is read without a lock: nothing else writes it while no run is active, and
    // the in-memory copy changes only at the end, in one step.
    if (options.runActive)
        return Error{test_file_messages::kRunActiveOpen};
    auto tables = readTestFileTables(path, options, clock_, samples, steps, progress);
    if (!tables)
        return Error{tables.error()};
    TestFileTables& read = tables.value();
    BatteryTestFileHead& head = read.head;
    const BatteryTestFileLayout& layout = head.layout;

    // `resume seconds` belong to the step left running, and only to its latest start: a
    // resume of another step, or of an earlier pass of this one (a jump led back to it),
    // lies before that start.
    const auto left = leftRunningStep(head.steps);
    long long resumeSeconds = 0;
    if (left) {
        for (std::size_t k = 0; k < read.resumes.size(); ++k)
            if (read.resumes[k].step == *left && read.resumes[k].interruptionTime >= head.steps[*left].start)
                resumeSeconds += read.resumeSecondsOf[k];
    }

    std::lock_guard write(writeMutex_);
    tailEnd_ = layout.tailEnd();
    std::lock_guard state(stateMutex_);
    path_ = path;
    version_ = layout.version;
    family_ = layout.family;
    variableCount_ = layout.variableCount;
    header_ = head.header;
    steps_ = std::move(head.steps);
    current_ = read.last;
    unshown_.clear();
    resumes_ = std::move(read.resumes);
    variables_ = head.variables;

    run_.setStopReason(static_cast<StopReason>(read.stopReason)); // the marker's byte as it lies in the file
    run_.resumeSeconds.store(clampSeconds(resumeSeconds), kRelaxed);
    run_.totalInterruptionSeconds.store(clampSeconds(read.totalInterruption), kRelaxed);
    for (std::size_t i = 0; i < variables_.size(); ++i)
        run_.variables[i].store(variables_[i], kRelaxed);
    // A later "Start" that continues the interrupted test continues the step left running
    // in this file, not the step a previous run stopped at.
    if (left)
        run_.currentStep.store(*left, kRelaxed);
    return read.summary;
}

std::optional<std::uint8_t> BatteryTestFile::interruptedStep() const
{
    std::lock_guard state(stateMutex_);
    return leftRunningStep(steps_);
}

InterruptedTestCheck BatteryTestFile::checkInterruptedTest(bool ignoreInterruptions, SampleTable& samples,
                                                           StepTable& steps, const DateTimeText& dateTimeText,
                                                           const OpenProgress& progress)
{
    InterruptedTestCheck check;
    const LastTest last = marker_.lastTest();
    if (last.path.empty() || last.completed == 1 || !fileExists(last.path))
        return check;

    auto opened = openTestFile(last.path, OpenOptions{false, ignoreInterruptions}, samples, steps, progress);
    if (!opened) {
        check.outcome = InterruptedTestCheck::Outcome::OpenFailed;
        check.message = opened.error();
        return check;
    }
    check.openWarning = opened->warning;
    const auto step = interruptedStep();
    if (!step) {
        check.outcome = InterruptedTestCheck::Outcome::NothingToResume;
        return check;
    }
    const SampleRecord sample = currentSample();
    const auto result = stepResult(*step);
    const std::string typeName = stepTypeName(result ? result->stepType : 0);
    check.outcome = InterruptedTestCheck::Outcome::AskToResume;
    check.step = *step;
    check.message = interruptedTestQuestion(
        *step, typeName, dateTimeText ? dateTimeText(sample.time) : defaultDateTimeText(sample.time), sample);
    return check;
}

void BatteryTestFile::declineResume()
{
    std::lock_guard state(stateMutex_);
    run_.setStopReason(StopReason::None);
    run_.totalInterruptionSeconds.store(0, kRelaxed);
    run_.resumeSeconds.store(0, kRelaxed);
    resumes_.clear();
}

Status BatteryTestFile::resume(std::uint8_t step, const std::function<Status()>& resolve,
                               const std::function<void()>& beforeRun)
{
    {
        std::lock_guard state(stateMutex_);
        if (run_.runActive())
            return Error{test_file_messages::kRunActiveResume};
        if (Status st = writableLocked(); !st)
            return st;
        if (step >= steps_.size())
            return Error{"Krok " + std::to_string(step + 1) + " v testu není"};
    }

    // The procedure first: a resume that cannot go ahead leaves no record behind, so a
    // retry does not count the interruption twice.
    if (resolve) {
        if (Status st = resolve(); !st)
            return st;
    }

    {
        std::lock_guard write(writeMutex_);
        if (run_.runActive())
            return Error{test_file_messages::kRunActiveResume};
        ResumeEntry entry;
        std::filesystem::path path;
        {
            std::lock_guard state(stateMutex_);
            if (Status st = writableLocked(); !st)
                return st;
            if (step >= steps_.size())
                return Error{"Krok " + std::to_string(step + 1) + " v testu není"};
            entry.resumeTime = clock_.now();
            entry.step = step;
            entry.interruptionTime = std::max(steps_[step].start, current_.time);
            entry.stopReason = static_cast<std::uint8_t>(run_.stopReason());
            path = path_;
        }
        ByteWriter w;
        writeResumeRecord(w, entry);
        if (Status st = appendTail(path, w.data()); !st)
            return st;
        const long long d = wholeSecondsBetween(entry.interruptionTime, entry.resumeTime);
        std::lock_guard state(stateMutex_);
        resumes_.push_back(entry);
        addSeconds(run_.resumeSeconds, d);
        addSeconds(run_.totalInterruptionSeconds, d);
    }

    if (beforeRun)
        beforeRun();

    std::lock_guard state(stateMutex_);
    run_.runStartTime.store(header_.start, kRelaxed);
    run_.conditionTime.store(0, kRelaxed);
    run_.jumpTarget.store(-1, kRelaxed);
    run_.variablesChanged.store(0, kRelaxed);
    run_.newSample.store(0, kRelaxed);
    run_.stepMark.store(kNoStepMark, kRelaxed);
    live_.capacity.store(current_.capacity, kRelaxed);
    run_.currentStep.store(step, kRelaxed);
    run_.setStopReason(StopReason::None);
    if (!run_.transition(RunPhase::Idle, RunPhase::StepStart))
        return Error{test_file_messages::kRunActiveResume};
    return {};
}

} // namespace kapsorel
