// kapsorel-check FILE.tst: counts a test file's records by kind and looks for what a crash
// or a resume could have left wrong in them. Prints one "name value" line per figure.
#include "core/base/program_version.h"
#include "core/records/tail_audit.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr int kSound = 0;
constexpr int kFaultsFound = 1;
constexpr int kUsage = 2;
constexpr int kCannotRead = 3;

const char* const kHelp = "Usage: kapsorel-check FILE.tst\n"
                          "       kapsorel-check --help | --version\n"
                          "\n"
                          "Reads a Kapsorel test file and prints, one per line:\n"
                          "  samples, markers, resumes   records of each kind\n"
                          "  refused                     records naming a step the test does not have\n"
                          "  trailing_bytes              bytes of an incomplete last record\n"
                          "  times_not_after_previous    samples not later than the sample before them\n"
                          "  misplaced_resumes           resume records out of their place in time\n"
                          "  longest_gap_s               the longest time between two samples with no\n"
                          "                              resume between them\n"
                          "\n"
                          "Exit codes:\n"
                          "  0  read, and no record is refused, repeated or out of place\n"
                          "  1  read, with faults (the counts say which)\n"
                          "  2  wrong command line\n"
                          "  3  the file could not be read, or is no test file\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        std::fputs(kHelp, stdout);
        return kSound;
    }
    if (argc == 2 && (std::strcmp(argv[1], "-V") == 0 || std::strcmp(argv[1], "--version") == 0)) {
        std::printf("%s\n", kapsorel::versionLine("kapsorel-check").c_str());
        return kSound;
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::fputs("Usage: kapsorel-check FILE.tst   (--help for more)\n", stderr);
        return kUsage;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "kapsorel-check: %s cannot be read\n", argv[1]);
        return kCannotRead;
    }
    const auto audit = kapsorel::auditTestFile(bytes);
    if (!audit) {
        std::fprintf(stderr, "kapsorel-check: %s: %s\n", argv[1], audit.error().c_str());
        return kCannotRead;
    }
    const kapsorel::TailAudit& a = audit.value();
    std::printf("samples %zu\nmarkers %zu\nresumes %zu\nrefused %zu\ntrailing_bytes %zu\n"
                "times_not_after_previous %zu\nmisplaced_resumes %zu\nlongest_gap_s %.3f\n",
                a.samples, a.markers, a.resumes, a.refused, a.trailingBytes, a.timesNotAfterPrevious,
                a.misplacedResumes, a.longestGapSeconds);
    return a.sound() ? kSound : kFaultsFound;
}
