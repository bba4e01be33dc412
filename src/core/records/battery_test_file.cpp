#include "core/records/battery_test_file.h"

#include "core/base/atomic_file.h"
#include "core/base/atomic_order.h"
#include "core/base/bytes.h"
#include "core/base/files.h"
#include "core/base/locale_formats.h"
#include "core/base/numbers.h"
#include "core/definitions/step_types.h"
#include "core/records/battery_test_file_name.h"
#include "core/records/battery_test_file_rules.h"
#include "core/records/battery_test_reader.h"

#include <algorithm>
#include <limits>
#include <system_error>

namespace kapsorel {

using namespace battery_test_file_rules;

namespace {

std::vector<std::uint8_t> encodeStepResult(const StepResult& s)
{
    ByteWriter w;
    writeStepResult(w, s);
    return w.take();
}

// The records as they stand on disk (texts cut to their capacity), so that what is kept in
// memory is what a later open reads back.
BatteryTestHeader asStored(const BatteryTestHeader& h)
{
    ByteWriter w;
    writeTestHeader(w, h);
    ByteReader r(w.data());
    return readTestHeader(r);
}

StepResult asStored(const StepResult& s)
{
    const auto bytes = encodeStepResult(s);
    ByteReader r(bytes);
    return readStepResult(r);
}

Status combine(const Status& a, const Status& b)
{
    if (a.ok())
        return b;
    if (b.ok())
        return a;
    return Error{a.error() + "\n" + b.error()};
}

} // namespace

std::string defaultDateTimeText(DayTime t)
{
    return formatDateTime(t);
}

std::string interruptedTestQuestion(std::uint8_t step, const std::string& stepTypeName, const std::string& sampleTime,
                                    const SampleRecord& sample)
{
    return "Proces přerušen v " + std::to_string(step + 1) + ".kroku - " + stepTypeName + "\n" + "Čas : " + sampleTime +
           "\n" + "Napětí : " + formatNumber("%.1f", sample.voltage) + "\n" +
           "Proud : " + formatNumber("%.1f", sample.current) + "\n" +
           "Kapacita : " + formatNumber("%.4f", sample.capacity) + "\n" + "Pokračovat v testu?" + "\n";
}

BatteryTestFile::BatteryTestFile(SharedRunState& run, LiveValues& live, RunMarker& marker, Clock& clock,
                                 FileStore& files)
    : run_(run), live_(live), marker_(marker), clock_(clock), files_(files)
{
}

// --- user-interface operations -----------------------------------------------------

Status BatteryTestFile::createTestFile(const BatteryTestHeader& header, std::uint8_t family,
                                       const std::filesystem::path& dataFolder)
{
    const std::size_t n = header.stepCount;
    if (n > static_cast<std::size_t>(test_file_layout::kMaxSteps))
        return Error{"Postup má více než " + std::to_string(test_file_layout::kMaxSteps) + " kroků"};
    std::lock_guard write(writeMutex_);
    if (Status st = ensureFolder(dataFolder); !st)
        return st;

    const StepResult blank = StepResult::notStarted();
    ByteWriter w;
    w.u8(test_file_layout::kCurrentVersion);
    w.u8(family);
    writeTestHeader(w, header);
    for (std::size_t i = 0; i < n; ++i)
        writeStepResult(w, blank);
    w.zeros(test_file_layout::kReservedSize);
    w.u8(test_file_layout::kVariables);
    w.zeros(test_file_layout::kVariables);
    // A file of a test started earlier within the same minute keeps its name and records:
    // this test takes the next free name.
    auto created = createUnderFreeName(
        [&](int serial) { return dataFolder / testFileName(header.batteryNumber, header.start, serial); }, w.data());
    if (!created)
        return Error{created.error()};
    const std::filesystem::path path = created.value();
    if (Status st = marker_.markTest(path.string(), 0); !st)
        return st;

    tailEnd_ = test_file_layout::createdSize(n);
    std::lock_guard state(stateMutex_);
    path_ = path;
    version_ = test_file_layout::kCurrentVersion;
    family_ = family;
    variableCount_ = test_file_layout::kVariables;
    header_ = asStored(header);
    steps_.assign(n, blank);
    current_ = SampleRecord{};
    unshown_.clear();
    resumes_.clear();
    variables_.fill(0);
    return {};
}

void BatteryTestFile::forgetTestFile()
{
    std::lock_guard state(stateMutex_);
    path_.clear();
}

Status BatteryTestFile::saveTestFileAs(const std::filesystem::path& target, const std::string& note,
                                       const std::string& batteryNumber, std::span<const RunStep> loadedSteps,
                                       bool runActive)
{
    if (runActive)
        return Error{test_file_messages::kRunActiveSave};
    std::lock_guard write(writeMutex_);
    std::filesystem::path path;
    BatteryTestHeader header;
    {
        std::lock_guard state(stateMutex_);
        path = path_;
        header = header_;
    }
    if (path.empty())
        return Error{test_file_messages::kNothingToSave};
    if (!fileExists(path))
        return Error{notExistingMessage(path)};

    if (sameExistingFile(target, path)) {
        header.note = note;
        ByteWriter w;
        writeTestHeader(w, header);
        if (Status st = files_.writeAt(path, test_file_layout::kHeaderOffset, w.data()); !st)
            return st;
        std::lock_guard state(stateMutex_);
        if (path_ == path)
            header_ = asStored(header);
        return {};
    }

    // The head is read and changed in memory; the tail is streamed from the source, so a
    // test of any length is copied in little memory.
    FileReader reader;
    auto head = openTestFileHead(path, reader, clock_);
    if (!head)
        return Error{head.error()};
    const BatteryTestFileLayout& layout = head->layout;
    std::vector<std::uint8_t> out;
    if (Status st = reader.readAt(0, layout.tailStart, out); !st)
        return st;
    if (out.size() < layout.tailStart)
        return Error{"Soubor " + path.string() + " se během čtení zkrátil"};
    BatteryTestHeader h = head->header;
    h.batteryNumber = batteryNumber;
    h.note = note;
    ByteWriter hw;
    writeTestHeader(hw, h);
    std::copy(hw.data().begin(), hw.data().end(), out.begin() + test_file_layout::kHeaderOffset);

    for (std::size_t i = 0; i < head->steps.size() && i < loadedSteps.size(); ++i) {
        StepResult sr = head->steps[i];
        const RunStep& step = loadedSteps[i];
        sr.printNumber = step.printNumber;
        sr.repNumber = step.reportNumber;
        sr.description = step.description;
        sr.parameter1 = step.value1;
        const auto encoded = encodeStepResult(sr);
        std::copy(encoded.begin(), encoded.end(),
                  out.begin() + static_cast<std::ptrdiff_t>(test_file_layout::stepResultOffset(i)));
    }
    return files_.copy(path, target, clock_, out, layout.tailEnd());
}

Status BatteryTestFile::archive(const std::filesystem::path& archiveFolder, bool runActive)
{
    if (runActive)
        return Error{test_file_messages::kRunActiveArchive};
    std::lock_guard write(writeMutex_);
    return archiveFile(currentPath(), archiveFolder);
}

Status BatteryTestFile::archiveFile(const std::filesystem::path& file, const std::filesystem::path& archiveFolder)
{
    if (archiveFolder.empty())
        return {};
    std::error_code ec;
    if (!std::filesystem::is_directory(archiveFolder, ec))
        return Error{"Archivaci nelze provést - adresář " + archiveFolder.string() + " neexistuje"};
    if (file.empty())
        return Error{test_file_messages::kNothingToArchive};
    if (!fileExists(file))
        return Error{test_file_messages::kArchiveFailed};
    if (!files_.copy(file, archiveFolder / file.filename(), clock_))
        return Error{test_file_messages::kArchiveFailed};
    return {};
}

// --- engine operations ---------------------------------------------------------------

Status BatteryTestFile::writableLocked() const
{
    if (path_.empty())
        return Error{test_file_messages::kNoTestFile};
    if (version_ != test_file_layout::kCurrentVersion || variableCount_ != test_file_layout::kVariables)
        return Error{"Soubor " + path_.string() + " má starší formát (verze " + std::to_string(version_) +
                     ") a nelze do něj zapisovat"};
    return {};
}

Status BatteryTestFile::appendTail(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    // The next record goes right after the last whole one, so an incomplete record left
    // by a power cut is overwritten rather than shifting every later record.
    if (Status st = files_.writeAt(path, tailEnd_, bytes); !st)
        return st;
    tailEnd_ += bytes.size();
    return {};
}

SampleRecord BatteryTestFile::sampleFromLive() const
{
    SampleRecord s;
    s.time = run_.conditionTime.load(kRelaxed);
    s.step = run_.currentStep.load(kRelaxed);
    s.voltage = live_.batteryVoltage.load(kRelaxed);
    s.current = live_.current.load(kRelaxed);
    s.capacity = live_.capacity.load(kRelaxed);
    s.temperature = live_.batteryTemperature.load(kRelaxed);
    for (std::size_t i = 0; i < s.cells.size(); ++i)
        s.cells[i] = live_.cellVoltage[i].load(kRelaxed);
    return s;
}

Status BatteryTestFile::recordStepStart(bool performed, const RunStep& step)
{
    std::lock_guard write(writeMutex_);
    const std::uint8_t s = run_.currentStep.load(kRelaxed);
    StepResult r;
    r.start = run_.stepStartTime.load(kRelaxed);
    r.stepType = step.type;
    r.status = performed ? test_file_layout::kStartedPerformed : test_file_layout::kStartedSkipped;
    r.voltage = live_.batteryVoltage.load(kRelaxed);
    r.current = live_.current.load(kRelaxed);
    r.capacity = live_.capacity.load(kRelaxed);
    for (std::size_t i = 0; i < r.cells.size(); ++i)
        r.cells[i] = live_.cellVoltage[i].load(kRelaxed);
    r.printNumber = step.printNumber;
    r.repNumber = step.reportNumber;
    r.description = step.description;
    r.parameter1 = step.value1;

    std::filesystem::path path;
    std::size_t stepCount = 0;
    {
        std::lock_guard state(stateMutex_);
        if (Status st = writableLocked(); !st)
            return st;
        if (s >= steps_.size())
            return Error{"Krok " + std::to_string(s + 1) + " v testu není"};
        steps_[s] = asStored(r);
        path = path_;
        stepCount = steps_.size();
    }

    Status written = files_.writeAt(path, test_file_layout::stepResultOffset(s), encodeStepResult(r));
    if (run_.variablesChanged.load(kRelaxed) != 0) {
        std::vector<std::uint8_t> vars(test_file_layout::kVariables);
        for (std::size_t i = 0; i < vars.size(); ++i)
            vars[i] = run_.variables[i].load(kRelaxed);
        Status varsWritten = files_.writeAt(path, test_file_layout::variablesOffset(stepCount), vars);
        if (varsWritten) {
            run_.variablesChanged.store(0, kRelaxed);
            std::lock_guard state(stateMutex_);
            std::copy(vars.begin(), vars.end(), variables_.begin());
        }
        written = combine(written, varsWritten);
    }
    // Released: whoever takes the mark finds the step's result in place.
    run_.stepMark.store(s, std::memory_order_release);
    return written;
}

Status BatteryTestFile::recordStepEnd(std::uint8_t step, bool performed)
{
    Status st;
    {
        std::lock_guard write(writeMutex_);
        const std::uint8_t status = performed ? test_file_layout::kEndedPerformed : test_file_layout::kEndedSkipped;
        std::filesystem::path path;
        {
            std::lock_guard state(stateMutex_);
            st = writableLocked();
            if (st && step >= steps_.size())
                st = Error{"Krok " + std::to_string(step + 1) + " v testu není"};
            if (st) {
                steps_[step].status = status;
                path = path_;
            }
        }
        if (st)
            st = files_.writeAt(path, test_file_layout::stepResultOffset(step) + test_file_layout::kStepStatusOffset,
                                {status});
    }
    run_.stepEndHandshake.store(0, kRelaxed);
    return st;
}

Status BatteryTestFile::appendSample()
{
    std::lock_guard write(writeMutex_);
    const SampleRecord s = sampleFromLive();
    std::filesystem::path path;
    {
        std::lock_guard state(stateMutex_);
        if (Status st = writableLocked(); !st)
            return st;
        if (s.step >= steps_.size())
            return Error{"Krok " + std::to_string(s.step + 1) + " v testu není"};
        current_ = s;
        path = path_;
    }
    ByteWriter w;
    writeSampleRecord(w, s);
    if (Status st = appendTail(path, w.data()); !st)
        return st;
    {
        std::lock_guard state(stateMutex_);
        keepUnshownLocked(s);
    }
    run_.newSample.store(1, kRelaxed);
    return {};
}

Status BatteryTestFile::recordInterruption(bool withSample)
{
    std::lock_guard write(writeMutex_);
    SampleRecord s = sampleFromLive();
    // The last sample is taken now unless a step running pass has taken a time in this
    // step (an Abort can come before the first one, when the condition time is still 0 or
    // left from before an interruption).
    const DayTime stepStart = run_.stepStartTime.load(kRelaxed);
    if (!(s.time > 0.0) || s.time < stepStart)
        s.time = std::max(clock_.now(), stepStart);
    std::filesystem::path path;
    {
        std::lock_guard state(stateMutex_);
        if (Status st = writableLocked(); !st)
            return st;
        withSample = withSample && s.step < steps_.size();
        if (withSample)
            current_ = s;
        path = path_;
    }
    ByteWriter w;
    if (withSample)
        writeSampleRecord(w, s);
    writeInterruptionMarker(w, InterruptionMarker{static_cast<std::uint8_t>(run_.stopReason())});
    if (Status st = appendTail(path, w.data()); !st)
        return st;
    if (withSample) {
        {
            std::lock_guard state(stateMutex_);
            keepUnshownLocked(s);
        }
        run_.newSample.store(1, kRelaxed);
    }
    return {};
}

Status BatteryTestFile::recordCompletion(const std::filesystem::path& archiveFolder)
{
    // The "RUN" mark and the archive copy may wait for their files for seconds; the
    // screen's reads of the in-memory copy do not wait for them.
    std::lock_guard write(writeMutex_);
    const std::filesystem::path path = currentPath();
    if (path.empty())
        return Error{test_file_messages::kNoTestFile};
    const Status marked = marker_.markTest(path.string(), 1);
    return combine(marked, archiveFile(path, archiveFolder));
}

// --- snapshots -----------------------------------------------------------------------

std::filesystem::path BatteryTestFile::currentPath() const
{
    std::lock_guard state(stateMutex_);
    return path_;
}

bool BatteryTestFile::hasTestFile() const
{
    std::lock_guard state(stateMutex_);
    return !path_.empty();
}

BatteryTestHeader BatteryTestFile::header() const
{
    std::lock_guard state(stateMutex_);
    return header_;
}

std::uint8_t BatteryTestFile::family() const
{
    std::lock_guard state(stateMutex_);
    return family_;
}

std::uint8_t BatteryTestFile::version() const
{
    std::lock_guard state(stateMutex_);
    return version_;
}

std::vector<StepResult> BatteryTestFile::stepResults() const
{
    std::lock_guard state(stateMutex_);
    return steps_;
}

std::optional<StepResult> BatteryTestFile::stepResult(std::size_t step) const
{
    std::lock_guard state(stateMutex_);
    if (step >= steps_.size())
        return std::nullopt;
    return steps_[step];
}

void BatteryTestFile::keepUnshownLocked(const SampleRecord& s)
{
    if (unshown_.size() == kUnshownSampleLimit)
        unshown_.pop_front();
    unshown_.push_back(s);
}

std::vector<SampleRecord> BatteryTestFile::takeNewSamples()
{
    std::lock_guard state(stateMutex_);
    std::vector<SampleRecord> taken(unshown_.begin(), unshown_.end());
    unshown_.clear();
    return taken;
}

SampleRecord BatteryTestFile::currentSample() const
{
    std::lock_guard state(stateMutex_);
    return current_;
}

std::vector<ResumeEntry> BatteryTestFile::resumeList() const
{
    std::lock_guard state(stateMutex_);
    return resumes_;
}

std::array<std::uint8_t, test_file_layout::kVariables> BatteryTestFile::variables() const
{
    std::lock_guard state(stateMutex_);
    return variables_;
}

} // namespace kapsorel
