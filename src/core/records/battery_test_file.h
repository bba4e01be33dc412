// The current test file and its in-memory copy: header, step results, variables, the
// last sample and the list of resumptions. The run engine records into it during a run;
// the main window creates, opens, saves, archives and resumes through it.
//
// Threading. The engine and the main window share one instance. The engine thread calls
// the record* and appendSample operations, and only while a run is active; the
// user-interface thread calls the others, and only while no run is active (RunState 0).
// openTestFile, saveTestFileAs and archive take `runActive` and refuse while a run is on,
// so the engine's file is never changed under it ("Ulož" and "Archivuj" may run on a
// worker thread of their own).
// Two locks. The write lock serialises everything that touches the disk (writes, syncs,
// copies, the "RUN" marks), so records reach the file in the order they are made. The
// state lock guards the in-memory copy and is held only to copy values in or out, never
// across a file operation, so the snapshot getters may be called from any thread and
// never wait for the disk (a data folder on a network share can take seconds to sync).
// The write lock is always taken before the state lock.
// Every write opens the file, writes, syncs it to the device and closes it before the call
// returns: after each call the file on disk is complete. Operations return a Status and
// never throw.
#pragma once

#include "core/base/clock.h"
#include "core/base/files.h"
#include "core/base/result.h"
#include "core/definitions/run_procedure.h"
#include "core/records/battery_test_reader.h"
#include "core/records/battery_test_records.h"
#include "core/records/run_marker.h"
#include "core/records/sample_table.h"
#include "core/records/step_table.h"
#include "core/station/live_values.h"
#include "core/station/run_state.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kapsorel {

// Messages of the test-file operations.
namespace test_file_messages {
inline constexpr const char* kNothingToSave = "Není co uložit";
inline constexpr const char* kNothingToArchive = "Není co archivovat";
inline constexpr const char* kArchiveFailed = "Archivace nebyla provedena";
inline constexpr const char* kRunActiveOpen = "Během testu nelze otevřít jiný soubor testu";
inline constexpr const char* kRunActiveSave = "Během testu nelze soubor testu uložit";
inline constexpr const char* kRunActiveArchive = "Během testu nelze soubor testu archivovat";
inline constexpr const char* kRunActiveResume = "Test již běží";
inline constexpr const char* kNoTestFile = "Není otevřen žádný soubor testu";
inline constexpr const char* kOpenCancelled = "Otevření souboru testu bylo zrušeno";
// A file whose records would not fit in memory (a damaged or sparse file claiming far more
// than it holds, or memory running out while it is read).
inline constexpr const char* kTooLarge = "Soubor testu je příliš velký";
} // namespace test_file_messages

struct OpenOptions {
    bool runActive = false;
    // Program setting "Přerušení procesu": resume records are skipped, so the time axis
    // keeps the interruptions and no "Přerušení" rows are shown.
    bool ignoreInterruptions = false;
    // Set (from any thread) to stop the open after the piece being read: it then fails
    // with kOpenCancelled, the in-memory state as it was and the tables left empty.
    const std::atomic<bool>* cancel = nullptr;
};

// Told the fraction of a file's records read (0 to 1) while it is opened: after each piece
// of a few megabytes and once with 1 at the end (a short file only then).
using OpenProgress = std::function<void(double)>;

// What was read from an opened file. `warning` is not empty when records had to be left
// out (a record naming a step the test does not have, or an incomplete last record).
struct OpenSummary {
    std::uint8_t version = 0;
    std::size_t samples = 0;
    std::size_t interruptions = 0;
    std::size_t resumes = 0;
    std::string warning;
};

// A test file as it was read into the tables: its head, what was read, and what the
// station's in-memory state of an opened test is built from.
struct TestFileTables {
    BatteryTestFileHead head;
    OpenSummary summary;
    SampleRecord last; // the last sample read
    std::vector<ResumeEntry> resumes;
    std::vector<long long> resumeSecondsOf; // whole seconds each resume's interruption lasted
    std::uint8_t stopReason = 0;            // of the last interruption not resumed
    long long totalInterruption = 0;        // seconds, of every resumed interruption
};

// Reads a test file into the data and step tables as an open does (progress, cancel,
// refused and incomplete records as a warning), without making it the station's test:
// for a report of a test that is not open. `options.runActive` is not looked at. The size
// the file claims is never trusted for memory: a file whose records could not be held fails
// with kTooLarge before anything is reserved, as does running out of memory while reading.
Result<TestFileTables> readTestFileTables(const std::filesystem::path& path, const OpenOptions& options, Clock& clock,
                                          SampleTable& samples, StepTable& steps, const OpenProgress& progress = {});

// Outcome of the check made once when the main window is first shown.
struct InterruptedTestCheck {
    enum class Outcome {
        NoTest,          // no unfinished test: fill the battery type and procedure boxes
        OpenFailed,      // the unfinished test's file could not be read: show `message`
        NothingToResume, // the file is loaded for viewing, no step was left running
        AskToResume,     // ask `message` (Ano/Ne); Ano: resume(step), Ne: declineResume()
    };
    Outcome outcome = Outcome::NoTest;
    std::uint8_t step = 0;
    std::string message;
    std::string openWarning;
};

// Shows a date-time as the system does (the default: formatDateTime, "5.3.2024 7:09:00"
// with the Czech conventions).
using DateTimeText = std::function<std::string(DayTime)>;
std::string defaultDateTimeText(DayTime t);

// "Proces přerušen v …" question for step `step` and the current sample.
std::string interruptedTestQuestion(std::uint8_t step, const std::string& stepTypeName, const std::string& sampleTime,
                                    const SampleRecord& sample);

class BatteryTestFile {
  public:
    BatteryTestFile(SharedRunState& run, LiveValues& live, RunMarker& marker, Clock& clock = SystemClock::instance(),
                    FileStore& files = DiskFileStore::instance());

    // --- user-interface thread, no run active -------------------------------------
    // Writes a new file for `header` (its step count N) into `dataFolder` under the next
    // free test file name (testFileName: an existing file is never replaced) and makes it
    // the current test file; "RUN" is marked `Test` = its path, `Test_ukoncen` = 0.
    Status createTestFile(const BatteryTestHeader& header, std::uint8_t family,
                          const std::filesystem::path& dataFolder);

    // Reads `path` into the in-memory state and fills the tables, the records a few
    // megabytes at a time. On an error the in-memory state stays as it was, and so do the
    // tables, except when the file stops being readable part way: then they are left empty.
    Result<OpenSummary> openTestFile(const std::filesystem::path& path, const OpenOptions& options,
                                     SampleTable& samples, StepTable& steps, const OpenProgress& progress = {});
    // The open dialog was cancelled: there is no current test file any more.
    void forgetTestFile();

    // "Ulož": under the current file's own name only the note changes; under another name a
    // copy is written with the battery number, the note and, from `loadedSteps`, each step's
    // "Tisk" and "Rep." numbers, description and first parameter replaced.
    Status saveTestFileAs(const std::filesystem::path& target, const std::string& note,
                          const std::string& batteryNumber, std::span<const RunStep> loadedSteps, bool runActive);

    // "Archivuj soubor": copies the current file into `archiveFolder` (nothing when empty).
    Status archive(const std::filesystem::path& archiveFolder, bool runActive);

    // First step whose StepResult says started but not ended (status 1 or 2).
    std::optional<std::uint8_t> interruptedStep() const;

    // Reads "RUN", opens the last test when it did not complete and offers its interrupted
    // step, named by the step type table.
    InterruptedTestCheck checkInterruptedTest(bool ignoreInterruptions, SampleTable& samples, StepTable& steps,
                                              const DateTimeText& dateTimeText = defaultDateTimeText,
                                              const OpenProgress& progress = {});
    // "Ne" to the question: the interruption is forgotten in memory.
    void declineResume();

    // Continues step `step` of the current test: calls `resolve` (the procedure for the
    // test's battery type); only when that succeeded appends a resume record, calls
    // `beforeRun` (tell the power module the test runs) and sets the shared run state so
    // that the engine continues the step (RunState 2). A failure leaves the file as it was.
    Status resume(std::uint8_t step, const std::function<Status()>& resolve,
                  const std::function<void()>& beforeRun = {});

    // --- engine thread, run active -------------------------------------------------
    // StepResult of the current step from LiveValues and `step`; the variables when marked
    // changed; then `step mark` := the step.
    Status recordStepStart(bool performed, const RunStep& step);
    // Status byte 12 or 11; the step-end handshake is cleared whatever happens.
    Status recordStepEnd(std::uint8_t step, bool performed);
    // A sample at the engine's condition time; sets the new-sample flag once it is written.
    Status appendSample();
    // A last sample and an interruption marker with the current StopReason; without
    // `withSample` the marker alone (the engine wrote the sample of this instant already).
    Status recordInterruption(bool withSample = true);
    // "RUN" `Test_ukoncen` := 1, then the archive copy.
    Status recordCompletion(const std::filesystem::path& archiveFolder);

    // --- snapshots, any thread -----------------------------------------------------
    std::filesystem::path currentPath() const;
    bool hasTestFile() const;
    BatteryTestHeader header() const;
    std::uint8_t family() const;
    std::uint8_t version() const;
    std::vector<StepResult> stepResults() const;
    std::optional<StepResult> stepResult(std::size_t step) const;
    SampleRecord currentSample() const;

    // The samples appended since the last call, oldest first; each is handed out once.
    // At most kUnshownSampleLimit wait: when the screen has not taken them for that long
    // the oldest are dropped (the file keeps them all). Creating or opening a test file
    // starts afresh.
    static constexpr std::size_t kUnshownSampleLimit = 36000;
    std::vector<SampleRecord> takeNewSamples();
    std::vector<ResumeEntry> resumeList() const;
    std::array<std::uint8_t, test_file_layout::kVariables> variables() const;

  private:
    // With the write lock held.
    Status archiveFile(const std::filesystem::path& file, const std::filesystem::path& archiveFolder);
    Status appendTail(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
    // With the state lock held.
    Status writableLocked() const;
    void keepUnshownLocked(const SampleRecord& s);
    SampleRecord sampleFromLive() const;

    SharedRunState& run_;
    LiveValues& live_;
    RunMarker& marker_;
    Clock& clock_;
    FileStore& files_;

    std::mutex writeMutex_;
    std::uint64_t tailEnd_ = 0; // where the next tail record goes; under the write lock

    // Under the state lock.
    mutable std::mutex stateMutex_;
    std::filesystem::path path_;
    std::uint8_t version_ = test_file_layout::kCurrentVersion;
    std::uint8_t family_ = 0;
    std::size_t variableCount_ = test_file_layout::kVariables;
    BatteryTestHeader header_;
    std::vector<StepResult> steps_;
    SampleRecord current_;
    std::deque<SampleRecord> unshown_;
    std::vector<ResumeEntry> resumes_;
    std::array<std::uint8_t, test_file_layout::kVariables> variables_{};
};

} // namespace kapsorel
