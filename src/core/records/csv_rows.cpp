#include "core/records/csv_rows.h"

#include "core/definitions/step_types.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string_view>

namespace kapsorel {

namespace {

// The writers put characters at a cursor into a buffer the caller sized for a whole line,
// so a row costs no per-character bounds checks.
void putNumber(char*& p, long long v)
{
    p = std::to_chars(p, p + 24, v).ptr;
}

void putDigits(char*& p, int v, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        p[i] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    p += width;
}

// Two digits of 0..99.
void putPair(char*& p, int v)
{
    static constexpr char kPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                     "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                     "8081828384858687888990919293949596979899";
    std::memcpy(p, kPairs + 2 * v, 2);
    p += 2;
}

void putText(char*& p, std::string_view s)
{
    std::memcpy(p, s.data(), s.size());
    p += s.size();
}

// The fraction part of a value for each 0.0001 step: ".5" for 5000, ".0125" for 125, nothing
// for 0. Eight bytes per entry so that one fixed-size copy puts any of them.
struct Fraction {
    char text[7];
    std::uint8_t length;
};
constexpr std::array<Fraction, 10000> kFractions = [] {
    std::array<Fraction, 10000> table{};
    for (int f = 1; f < 10000; ++f) {
        Fraction& e = table[static_cast<std::size_t>(f)];
        e.text[0] = '.';
        int digits = 4;
        int v = f;
        while (v % 10 == 0) {
            v /= 10;
            --digits;
        }
        for (int i = digits; i >= 1; --i) {
            e.text[i] = static_cast<char>('0' + v % 10);
            v /= 10;
        }
        e.length = static_cast<std::uint8_t>(digits + 1);
    }
    return table;
}();

// A measured value with four decimals (0.1 mV, 0.1 mA, 0.1 mAh): finer than the modules
// measure, and several times quicker to write than the shortest exact text. Trailing zeros
// of the fraction are left out ("12.5", "3", "-0.0125"). Values too large for the integer
// path, and not-numbers from a damaged record, are written by the library. Writes up to
// 32 characters at p whatever the value's length.
void putValue(char*& p, float v)
{
    constexpr double kScale = 10000.0;
    const double scaled = static_cast<double>(v) * kScale;
    if (!(std::fabs(scaled) < 1e15)) {
        p = std::to_chars(p, p + 32, v).ptr;
        return;
    }
    // Rounded half away from zero, as llround would, without the library call.
    auto n = static_cast<long long>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
    if (n < 0) {
        *p++ = '-';
        n = -n;
    }
    const long long whole = n / 10000;
    if (whole < 10) {
        *p++ = static_cast<char>('0' + whole);
    } else if (whole < 100) {
        putPair(p, static_cast<int>(whole));
    } else {
        putNumber(p, whole);
    }
    const Fraction& f = kFractions[static_cast<std::size_t>(n % 10000)];
    std::memcpy(p, &f, sizeof f);
    p += f.length;
}

// Milliseconds as seconds with three decimals.
void putMillis(char*& p, long long ms)
{
    if (ms < 0) {
        *p++ = '-';
        ms = -ms;
    }
    putNumber(p, ms / 1000);
    *p++ = '.';
    putDigits(p, static_cast<int>(ms % 1000), 3);
}

// "+01:00" for the local time `t` (seconds resolution is enough: offsets change on hours).
std::string utcOffsetAt(const LocalDateTime& t)
{
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_isdst = -1;
    const std::time_t secs = mktime(&tm);
    std::tm local{};
    localtime_r(&secs, &local);
    long off = local.tm_gmtoff;
    char buf[8];
    char* p = buf;
    *p++ = off < 0 ? '-' : '+';
    off = off < 0 ? -off : off;
    putDigits(p, static_cast<int>(off / 3600), 2);
    *p++ = ':';
    putDigits(p, static_cast<int>(off / 60 % 60), 2);
    return std::string(buf, p);
}

const char* statusText(std::uint8_t status)
{
    switch (status) {
    case test_file_layout::kStartedSkipped:
    case test_file_layout::kStartedPerformed:
        return "running";
    case test_file_layout::kEndedSkipped:
        return "skipped";
    case test_file_layout::kEndedPerformed:
        return "performed";
    default:
        return "not started";
    }
}

} // namespace

void IsoDateTime::put(char*& p, DayTime t)
{
    if (!dayTimeInRange(t))
        return;
    const LocalDateTime l = fromDayTime(t);
    putDigits(p, l.year, 4);
    *p++ = '-';
    putDigits(p, l.month, 2);
    *p++ = '-';
    putDigits(p, l.day, 2);
    *p++ = 'T';
    putDigits(p, l.hour, 2);
    *p++ = ':';
    putDigits(p, l.minute, 2);
    *p++ = ':';
    putDigits(p, l.second, 2);
    *p++ = '.';
    putDigits(p, l.millisecond, 3);
    const auto hour = static_cast<long long>(std::floor(t * 24.0));
    if (hour != hour_) {
        hour_ = hour;
        offset_ = utcOffsetAt(l);
    }
    putText(p, offset_);
}

void IsoDateTime::append(std::string& out, DayTime t)
{
    char line[64];
    char* p = line;
    put(p, t);
    out.append(line, p);
}

CsvSampleRows::CsvSampleRows(DayTime testStart, bool withCapacity) : start_(testStart), withCapacity_(withCapacity) {}

std::string CsvSampleRows::header()
{
    std::string h = "Test Time / s,Date Time,Step Count / 1,Step Index / 1,Voltage / V,Current / A,"
                    "Charge Capacity / Ah,Temperature T1 / degC";
    for (int c = 1; c <= test_file_layout::kCells; ++c) {
        char digits[2];
        char* p = digits;
        putDigits(p, c, 2);
        h += ",Cell ";
        h.append(digits, 2);
        h += " Voltage / V";
    }
    h += '\n';
    return h;
}

void CsvSampleRows::append(std::string& out, const SampleRecord& s, long long interruptionSeconds)
{
    char line[kMaxCsvLine];
    out.append(line, put(line, s, interruptionSeconds));
}

char* CsvSampleRows::put(char* p, const SampleRecord& s, long long interruptionSeconds)
{
    if (s.step != lastStep_) {
        lastStep_ = s.step;
        ++stepCount_;
    }
    // A time that is no date (a not-number, or beyond the calendar from a damaged record)
    // leaves both time fields empty: a missing value, counted, never a made-up one.
    const double ms = (s.time - start_) * kSecondsPerDay * 1000.0 - static_cast<double>(interruptionSeconds) * 1000.0;
    if (dayTimeInRange(s.time) && dayTimeInRange(start_) && std::fabs(ms) < kMaxMillis) {
        putMillis(p, std::llround(ms));
        *p++ = ',';
        iso_.put(p, s.time);
    } else {
        ++missingTimes_;
        *p++ = ',';
    }
    *p++ = ',';
    putNumber(p, stepCount_);
    *p++ = ',';
    putNumber(p, s.step + 1);
    *p++ = ',';
    putValue(p, s.voltage);
    *p++ = ',';
    putValue(p, s.current);
    *p++ = ',';
    if (withCapacity_)
        putValue(p, s.capacity);
    *p++ = ',';
    putValue(p, s.temperature);
    for (float cell : s.cells) {
        *p++ = ',';
        putValue(p, cell);
    }
    *p++ = '\n';
    return p;
}

std::string csvStepHeader()
{
    return "Step Index / 1,Step Type,Description,Status,Start Date Time,Voltage / V,Current / A,"
           "Charge Capacity / Ah,Samples / 1,Interruption / s\n";
}

void appendCsvStepRow(std::string& out, std::size_t index, const StepResult& step, const CsvStepFacts& facts,
                      IsoDateTime& iso)
{
    char line[kMaxCsvLine];
    char* p = line;
    putNumber(p, static_cast<long long>(index + 1));
    *p++ = ',';
    putText(p, csvText(stepTypeName(step.stepType)));
    *p++ = ',';
    putText(p, csvText(step.description));
    *p++ = ',';
    putText(p, statusText(step.status));
    *p++ = ',';
    if (step.start > 0.0)
        iso.put(p, step.start);
    *p++ = ',';
    putValue(p, step.voltage);
    *p++ = ',';
    putValue(p, step.current);
    *p++ = ',';
    putValue(p, step.capacity);
    *p++ = ',';
    putNumber(p, static_cast<long long>(facts.samples));
    *p++ = ',';
    putNumber(p, facts.interruptionSeconds);
    *p++ = '\n';
    out.append(line, p);
}

bool startsLikeAFormula(std::string_view text)
{
    return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

std::string csvText(const std::string& text)
{
    const bool formula = startsLikeAFormula(text);
    if (!formula && text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string q = formula ? "\"'" : "\"";
    for (char c : text) {
        if (c == '"')
            q.push_back('"');
        q.push_back(c);
    }
    q.push_back('"');
    return q;
}

} // namespace kapsorel
