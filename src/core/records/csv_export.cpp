#include "core/records/csv_export.h"

#include "core/base/atomic_file.h"
#include "core/base/files.h"
#include "core/records/battery_test_file_rules.h"
#include "core/records/battery_test_reader.h"
#include "core/records/csv_rows.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace kapsorel {

namespace {

constexpr std::size_t kReadPieceBytes = std::size_t{2} << 20;
constexpr std::size_t kWriteBufferBytes = std::size_t{1} << 20;

// A text file written through the atomic writer and put in place by commit(). Lines are
// written straight into its buffer of a megabyte and a line, which goes to the file in
// one write whenever it holds a megabyte.
class StagedFile {
  public:
    explicit StagedFile(const std::filesystem::path& target)
    {
        opened_ = file_.open(target);
        if (opened_)
            buffer_ = std::make_unique_for_overwrite<char[]>(kBufferBytes);
    }

    const Status& opened() const { return opened_; }
    bool failed() const { return !written_; }
    const Status& writeStatus() const { return written_; }
    // Where the next line goes: room for kMaxCsvLine characters. lineEnd() takes it.
    char* lineStart() { return buffer_.get() + used_; }
    void lineEnd(char* end)
    {
        used_ = static_cast<std::size_t>(end - buffer_.get());
        if (used_ >= kWriteBufferBytes)
            flush();
    }
    void append(std::string_view text)
    {
        while (!text.empty()) {
            const std::size_t n = std::min(text.size(), kBufferBytes - used_);
            std::memcpy(buffer_.get() + used_, text.data(), n);
            used_ += n;
            text.remove_prefix(n);
            if (used_ >= kWriteBufferBytes)
                flush();
        }
    }
    // The piece goes to the page cache; the one sync at the commit writes it all out, which
    // costs less than starting the device on every piece.
    void flush()
    {
        if (written_)
            written_ = file_.write(std::string_view(buffer_.get(), used_));
        used_ = 0;
    }
    // Writes the rest and puts the file in place: after a power cut the export is either
    // the old one or the whole new one.
    Status commit()
    {
        flush();
        if (!written_)
            return written_;
        return file_.commit();
    }

  private:
    // A whole line always fits after less than a megabyte.
    static constexpr std::size_t kBufferBytes = kWriteBufferBytes + kMaxCsvLine;

    AtomicFileWriter file_;
    Status opened_;
    Status written_;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
};

// Takes the records of one piece read from the test file: a row for each sample, the
// interruption time from each resume entry, and the refused ones counted.
struct PieceRows {
    StagedFile& rows;
    CsvSampleRows& sampleRows;
    std::vector<CsvStepFacts>& stepFacts;
    CsvExportSummary& summary;
    long long& interruptedSeconds; // so far: taken off the test time of later rows
    std::string& firstRefusal;

    void sample(std::size_t, const SampleRecord& s)
    {
        rows.lineEnd(sampleRows.put(rows.lineStart(), s, interruptedSeconds));
        ++stepFacts[s.step].samples;
        ++summary.rows;
    }
    void interruption(std::size_t, const InterruptionMarker&) {}
    void resume(std::size_t, const ResumeEntry& e)
    {
        const long long d = wholeSecondsBetween(e.interruptionTime, e.resumeTime);
        interruptedSeconds += d;
        stepFacts[e.step].interruptionSeconds += d;
    }
    void refused(std::size_t, std::string message)
    {
        if (summary.skipped++ == 0)
            firstRefusal = std::move(message);
    }
};

bool cancelled(const std::atomic<bool>* cancel)
{
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

} // namespace

std::filesystem::path csvStepsPath(const std::filesystem::path& csvFile)
{
    std::filesystem::path p = csvFile;
    p.replace_filename(csvFile.stem().string() + "_steps" + csvFile.extension().string());
    return p;
}

std::filesystem::path defaultCsvPath(const std::filesystem::path& testFile)
{
    std::filesystem::path p = testFile;
    p.replace_extension(".csv");
    return p;
}

Result<CsvExportSummary> exportTestCsv(const std::filesystem::path& testFile, const std::filesystem::path& csvFile,
                                       const CsvExportProgress& progress, const std::atomic<bool>* cancel)
{
    for (const auto& out : {csvFile, csvStepsPath(csvFile)})
        if (sameExistingFile(out, testFile))
            return Error{csv_export_messages::kSameAsInput + out.string()};
    FileReader reader;
    auto headResult = battery_test_file_rules::openTestFileHead(testFile, reader);
    if (!headResult)
        return Error{headResult.error()};
    const std::uint64_t fileSize = reader.size();
    std::vector<std::uint8_t> buffer;
    const BatteryTestFileHead& head = headResult.value();
    const BatteryTestFileLayout& layout = head.layout;

    CsvExportSummary summary;
    summary.csvFile = csvFile;
    summary.stepsFile = csvStepsPath(csvFile);
    summary.version = layout.version;
    summary.fileSize = fileSize;
    summary.stoppedAt = layout.tailStart;

    StagedFile rows(csvFile);
    if (!rows.opened())
        return Error{csv_export_messages::kCannotWrite + csvFile.string() + " : " + rows.opened().error()};
    rows.append(CsvSampleRows::header());
    CsvSampleRows sampleRows(head.header.start, layout.version >= test_file_layout::kCurrentVersion);

    std::vector<CsvStepFacts> stepFacts(head.steps.size());
    long long interruption = 0;
    std::string firstRefusal;
    std::string readFailure;
    const std::size_t recordSize = layout.tailRecordSize;
    const std::size_t perPiece = std::max<std::size_t>(1, kReadPieceBytes / recordSize);
    std::size_t done = 0;
    while (done < layout.tailCount) {
        if (cancelled(cancel))
            return Error{csv_export_messages::kCancelled};
        const std::size_t wanted = std::min(perPiece, layout.tailCount - done);
        if (Status st = reader.readAt(layout.tailStart + std::uint64_t{done} * recordSize, wanted * recordSize, buffer);
            !st) {
            readFailure = st.error();
            break;
        }
        const std::size_t got = readTailRecords(
            buffer, layout, done, PieceRows{rows, sampleRows, stepFacts, summary, interruption, firstRefusal});
        if (rows.failed())
            return Error{csv_export_messages::kCannotWrite + csvFile.string() + " : " + rows.writeStatus().error()};
        done += got;
        summary.stoppedAt = layout.tailStart + std::uint64_t{done} * recordSize;
        if (got < wanted) {
            readFailure = "soubor se během čtení zkrátil";
            break;
        }
        if (progress && done < layout.tailCount)
            progress(static_cast<double>(done) / static_cast<double>(layout.tailCount));
    }
    if (cancelled(cancel))
        return Error{csv_export_messages::kCancelled};

    StagedFile steps(summary.stepsFile);
    if (!steps.opened())
        return Error{csv_export_messages::kCannotWrite + summary.stepsFile.string() + " : " + steps.opened().error()};
    steps.append(csvStepHeader());
    IsoDateTime iso;
    std::string stepRow;
    for (std::size_t i = 0; i < head.steps.size(); ++i) {
        if (!(head.steps[i].start > 0.0))
            continue;
        stepRow.clear();
        appendCsvStepRow(stepRow, i, head.steps[i], stepFacts[i], iso);
        steps.append(stepRow);
        ++summary.steps;
    }

    const std::string where = std::to_string(summary.stoppedAt) + " z " + std::to_string(fileSize);
    if (!readFailure.empty())
        summary.warning = "Export skončil na bajtu " + where + ": " + readFailure;
    else if (summary.stoppedAt < fileSize)
        summary.warning = "Export skončil na bajtu " + where + ": soubor končí neúplným záznamem (" +
                          std::to_string(fileSize - summary.stoppedAt) + " B)";
    summary.missingTimes = sampleRows.missingTimes();
    if (summary.missingTimes > 0) {
        if (!summary.warning.empty())
            summary.warning += "\n";
        summary.warning +=
            "Řádků bez platného času vzorku: " + std::to_string(summary.missingTimes) + " (pole času jsou prázdná)";
    }
    if (summary.skipped > 0) {
        if (!summary.warning.empty())
            summary.warning += "\n";
        summary.warning += "Vynecháno záznamů: " + std::to_string(summary.skipped) + " (" + firstRefusal + ")";
    }

    if (Status st = rows.commit(); !st)
        return Error{csv_export_messages::kCannotWrite + csvFile.string() + " : " + st.error()};
    if (Status st = steps.commit(); !st)
        return Error{csv_export_messages::kCannotWrite + summary.stepsFile.string() + " : " + st.error()};
    if (progress)
        progress(1.0);
    return summary;
}

} // namespace kapsorel
