// Export of a test file to CSV for other tools: one row per sample into the chosen file
// and a step summary beside it ("<name>_steps.csv"), both UTF-8. The test file is read a
// piece at a time through the test file reader, so a test of millions of samples exports
// in little memory; a damaged or cut file exports all its whole records and the summary
// says where the export stopped.
#pragma once

#include "core/base/result.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace kapsorel {

// Messages of the export.
namespace csv_export_messages {
inline constexpr const char* kCancelled = "Export byl přerušen";
inline constexpr const char* kCannotWrite = "Nelze zapsat soubor ";
// The output would replace the test file itself (the same file, also through links).
inline constexpr const char* kSameAsInput = "Export by přepsal soubor testu: ";
} // namespace csv_export_messages

// Told the fraction of the test file's records exported (0 to 1), after each piece of a
// few megabytes and once with 1 at the end.
using CsvExportProgress = std::function<void(double)>;

struct CsvExportSummary {
    std::filesystem::path csvFile;
    std::filesystem::path stepsFile;
    std::uint8_t version = 0;
    std::size_t rows = 0;         // sample rows written
    std::size_t steps = 0;        // step summary rows (started steps)
    std::size_t skipped = 0;      // records left out (naming a step the test does not have)
    std::size_t missingTimes = 0; // rows whose sample time is no date: time fields left empty
    std::uint64_t stoppedAt = 0;  // byte offset after the last whole record exported
    std::uint64_t fileSize = 0;
    // Empty when every byte of the test file was exported; otherwise why and where it
    // stopped or what was left out, ready to show.
    std::string warning;

    bool complete() const { return warning.empty(); }
};

// The step summary's path beside a CSV file: "a/b.csv" -> "a/b_steps.csv".
std::filesystem::path csvStepsPath(const std::filesystem::path& csvFile);
// The CSV file a test file exports to by default: "a/T_1_2024.tst" -> "a/T_1_2024.csv".
std::filesystem::path defaultCsvPath(const std::filesystem::path& testFile);

// Exports `testFile` into `csvFile` and csvStepsPath(csvFile). Both are written under a
// temporary name and renamed only when complete, so a failed or cancelled export leaves
// no half file behind (nor replaces an older export). `cancel`, when given, is polled
// between pieces; a cancelled export fails with kCancelled. A test file whose head cannot
// be read fails with the reader's message; one that stops part way exports what is
// whole and says so in `warning`, as it does rows whose sample time is no date (their time
// fields are left empty). An output that is the test file itself (the same file under
// another name, through a link, or a test file named "*.csv" exported by default) is
// refused with kSameAsInput before anything is written.
Result<CsvExportSummary> exportTestCsv(const std::filesystem::path& testFile, const std::filesystem::path& csvFile,
                                       const CsvExportProgress& progress = {},
                                       const std::atomic<bool>* cancel = nullptr);

} // namespace kapsorel
