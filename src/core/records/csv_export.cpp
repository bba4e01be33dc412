#include "core/records/csv_export.h"

#include "core/base/files.h"
#include "core/records/battery_test_reader.h"
#include "core/records/csv_rows.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <system_error>
#include <unistd.h>
#include <variant>
#include <vector>

namespace kapsorel {

namespace {

constexpr std::size_t kReadPieceBytes = std::size_t{2} << 20;
constexpr std::size_t kWriteBufferBytes = std::size_t{1} << 20;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// A text file written under a temporary name and put in place by commit().
class StagedFile {
  public:
    explicit StagedFile(std::filesystem::path target) : target_(std::move(target))
    {
        staged_ = target_;
        staged_ += ".part";
        file_.reset(std::fopen(staged_.c_str(), "wb"));
        if (file_) {
            // The pieces are a megabyte already: written straight, without a second copy.
            std::setvbuf(file_.get(), nullptr, _IONBF, 0);
            buffer_.reserve(kWriteBufferBytes + 4096);
        }
    }
    ~StagedFile()
    {
        if (!committed_) {
            file_.reset();
            std::error_code ec;
            std::filesystem::remove(staged_, ec);
        }
    }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool opened() const { return file_ != nullptr; }
    std::string& buffer() { return buffer_; }
    // Writes the buffer out once it holds a piece.
    bool flushIfFull() { return buffer_.size() < kWriteBufferBytes || flush(); }
    // Each piece is handed to the device as soon as it is written, so the disk works while
    // the next piece is formatted and the sync at the end has little left to wait for.
    bool flush()
    {
        const bool ok = std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) == buffer_.size();
        if (ok && !buffer_.empty())
            ::sync_file_range(::fileno(file_.get()), static_cast<off_t>(written_), static_cast<off_t>(buffer_.size()),
                              SYNC_FILE_RANGE_WRITE);
        written_ += buffer_.size();
        buffer_.clear();
        failed_ = failed_ || !ok;
        return ok;
    }
    // Writes the rest, syncs the file to the device and puts it in place: after a power
    // cut the export is either the old one or the whole new one.
    Status commit()
    {
        flush();
        const bool synced = std::fflush(file_.get()) == 0 && ::fsync(::fileno(file_.get())) == 0;
        const bool closed = std::fclose(file_.release()) == 0;
        if (failed_ || !synced || !closed)
            return Error{csv_export_messages::kCannotWrite + target_.string()};
        std::error_code ec;
        std::filesystem::rename(staged_, target_, ec);
        if (ec)
            return Error{csv_export_messages::kCannotWrite + target_.string() + " : " + ec.message()};
        committed_ = true;
        return {};
    }

  private:
    std::filesystem::path target_;
    std::filesystem::path staged_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::string buffer_;
    std::uint64_t written_ = 0;
    bool failed_ = false;
    bool committed_ = false;
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
    std::error_code ec;
    if (!std::filesystem::is_regular_file(testFile, ec))
        return Error{"Soubor " + testFile.string() + " neexistuje"};
    FileReader reader;
    if (Status st = reader.open(testFile); !st)
        return Error{st.error()};
    const std::uint64_t fileSize = reader.size();
    std::vector<std::uint8_t> buffer;
    const auto headBytes = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, maxTestFileHeadSize()));
    if (Status st = reader.readAt(0, headBytes, buffer); !st)
        return Error{st.error()};
    auto headResult = readTestFileHead(buffer, fileSize);
    if (!headResult)
        return Error{"Soubor " + testFile.string() + " : " + headResult.error()};
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
        return Error{csv_export_messages::kCannotWrite + csvFile.string()};
    rows.buffer() = CsvSampleRows::header();
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
        const std::size_t got = buffer.size() / recordSize;
        for (std::size_t i = done; i < done + got; ++i) {
            auto rec = readTailRecordIn(buffer, layout, done, i);
            if (!rec) {
                if (summary.skipped++ == 0)
                    firstRefusal = rec.error();
                continue;
            }
            if (const auto* s = std::get_if<SampleRecord>(&rec.value())) {
                sampleRows.append(rows.buffer(), *s, interruption);
                ++stepFacts[s->step].samples;
                ++summary.rows;
            } else if (const auto* e = std::get_if<ResumeEntry>(&rec.value())) {
                const long long d = wholeSecondsBetween(e->interruptionTime, e->resumeTime);
                interruption += d;
                stepFacts[e->step].interruptionSeconds += d;
            }
        }
        if (!rows.flushIfFull())
            return Error{csv_export_messages::kCannotWrite + csvFile.string()};
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
        return Error{csv_export_messages::kCannotWrite + summary.stepsFile.string()};
    steps.buffer() = csvStepHeader();
    IsoDateTime iso;
    for (std::size_t i = 0; i < head.steps.size(); ++i) {
        if (!(head.steps[i].start > 0.0))
            continue;
        appendCsvStepRow(steps.buffer(), i, head.steps[i], stepFacts[i], iso);
        ++summary.steps;
    }

    const std::string where = std::to_string(summary.stoppedAt) + " z " + std::to_string(fileSize);
    if (!readFailure.empty())
        summary.warning = "Export skončil na bajtu " + where + ": " + readFailure;
    else if (summary.stoppedAt < fileSize)
        summary.warning = "Export skončil na bajtu " + where + ": soubor končí neúplným záznamem (" +
                          std::to_string(fileSize - summary.stoppedAt) + " B)";
    if (summary.skipped > 0) {
        if (!summary.warning.empty())
            summary.warning += "\n";
        summary.warning += "Vynecháno záznamů: " + std::to_string(summary.skipped) + " (" + firstRefusal + ")";
    }

    if (Status st = rows.commit(); !st)
        return Error{st.error()};
    if (Status st = steps.commit(); !st)
        return Error{st.error()};
    if (progress)
        progress(1.0);
    return summary;
}

} // namespace kapsorel
