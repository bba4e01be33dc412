// kapsorel-export FILE.tst [OUT.csv]: writes a test's samples as CSV and its step summary
// beside it. The exit codes are listed in the help text.
#include "core/base/program_version.h"
#include "core/records/csv_export.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kExported = 0;
constexpr int kExportedIncomplete = 1;
constexpr int kUsage = 2;
constexpr int kCannotRead = 3;
constexpr int kCannotWrite = 4;
constexpr int kWouldOverwriteInput = 5;

const char* const kHelp = "Usage: kapsorel-export FILE.tst [OUT.csv]\n"
                          "\n"
                          "Writes the samples of a Kapsorel test file as CSV, one row per sample (UTF-8,\n"
                          "battery-data-format column names: Test Time / s, Date Time, Step Count / 1,\n"
                          "Step Index / 1, Voltage / V, Current / A, Charge Capacity / Ah,\n"
                          "Temperature T1 / degC, Cell 01 Voltage / V ... Cell 20 Voltage / V), and a step\n"
                          "summary beside it (OUT_steps.csv). OUT.csv defaults to FILE.csv. Existing files\n"
                          "are replaced only by a complete export, and never the test file itself. Text\n"
                          "fields starting with = + - @ or a tab get a leading ' so that spreadsheets\n"
                          "show them as text.\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help     show this text\n"
                          "  -V, --version  show the version\n"
                          "\n"
                          "Exit codes:\n"
                          "  0  exported completely\n"
                          "  1  exported, but the test file is damaged or cut short: every whole record\n"
                          "     was written and the message on stderr says where the export stopped\n"
                          "  2  wrong command line\n"
                          "  3  the test file could not be read (missing, or no test file)\n"
                          "  4  the CSV files could not be written\n"
                          "  5  refused: an output is the test file itself (the same file, also\n"
                          "     through a link; a test file named *.csv exported to its default name)\n";

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kHelp, stdout);
            return kExported;
        }
        if (std::strcmp(argv[i], "-V") == 0 || std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", kapsorel::versionLine("kapsorel-export").c_str());
            return kExported;
        }
        if (argv[i][0] == '-' && argv[i][1] != '\0' && std::strcmp(argv[i], "--") != 0) {
            std::fprintf(stderr, "kapsorel-export: unknown option %s\n", argv[i]);
            return kUsage;
        }
        if (std::strcmp(argv[i], "--") != 0)
            files.emplace_back(argv[i]);
    }
    if (files.empty() || files.size() > 2) {
        std::fputs("Usage: kapsorel-export FILE.tst [OUT.csv]   (--help for more)\n", stderr);
        return kUsage;
    }
    const std::filesystem::path testFile = files[0];
    const std::filesystem::path csvFile =
        files.size() == 2 ? std::filesystem::path(files[1]) : kapsorel::defaultCsvPath(testFile);

    const bool showProgress = isatty(STDERR_FILENO) == 1;
    int shown = -1;
    const auto progress = [&](double f) {
        const int percent = static_cast<int>(f * 100.0);
        if (showProgress && percent != shown) {
            shown = percent;
            std::fprintf(stderr, "\r%3d %%", percent);
            if (percent == 100)
                std::fputc('\n', stderr);
        }
    };
    auto result = kapsorel::exportTestCsv(testFile, csvFile, progress);
    if (!result) {
        std::fprintf(stderr, "kapsorel-export: %s\n", result.error().c_str());
        if (result.error().starts_with(kapsorel::csv_export_messages::kSameAsInput))
            return kWouldOverwriteInput;
        const bool writing = result.error().starts_with(kapsorel::csv_export_messages::kCannotWrite);
        return writing ? kCannotWrite : kCannotRead;
    }
    const auto& summary = result.value();
    std::printf("%s: %zu rows\n%s: %zu steps\n", summary.csvFile.c_str(), summary.rows, summary.stepsFile.c_str(),
                summary.steps);
    if (!summary.complete()) {
        std::fprintf(stderr, "kapsorel-export: %s\n", summary.warning.c_str());
        return kExportedIncomplete;
    }
    return kExported;
}
