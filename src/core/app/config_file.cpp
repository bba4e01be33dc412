#include "core/app/config_file.h"

#include "core/base/cp1250.h"
#include "core/base/files.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <system_error>
#include <unistd.h>

namespace kapsorel {

namespace {

constexpr std::size_t npos = std::string::npos;
constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// Lower case of the Latin letters Windows-1250 can hold (ASCII, Latin-1 and Latin
// Extended-A), as the Windows INI functions that wrote the station's files compare names.
char32_t lowerLatin(char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 0x20;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return (c % 2 == 0) ? c + 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c % 2 == 1) ? c + 1 : c;
    if (c == 0x178)
        return 0xFF;
    return c;
}

// Case-folded copy of a UTF-8 name. Only two-byte sequences can hold the letters that
// fold, and they fold to two-byte sequences, so the copy is changed in place.
std::string foldCase(std::string_view s)
{
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(out[i]);
        if (b0 < 0x80) {
            if (b0 >= 'A' && b0 <= 'Z')
                out[i] = static_cast<char>(b0 + ('a' - 'A'));
            continue;
        }
        if ((b0 & 0xE0) == 0xC0 && i + 1 < out.size() && (static_cast<unsigned char>(out[i + 1]) & 0xC0) == 0x80) {
            const char32_t c =
                (static_cast<char32_t>(b0 & 0x1F) << 6) | (static_cast<unsigned char>(out[i + 1]) & 0x3F);
            if (c >= 0x80) {
                const char32_t lower = lowerLatin(c);
                out[i] = static_cast<char>(0xC0 | (lower >> 6));
                out[i + 1] = static_cast<char>(0x80 | (lower & 0x3F));
                ++i;
            }
        }
    }
    return out;
}

using Kind = ConfigFile::LineKind;

struct Parsed {
    Kind kind = Kind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // raw value text, trimmed
};

Parsed classify(std::string_view text)
{
    const std::string_view t = trim(text);
    if (t.empty())
        return {Kind::Blank, {}, {}};
    if (t.front() == ';' || t.front() == '#')
        return {Kind::Comment, {}, {}};
    if (t.front() == '[') {
        const std::size_t close = t.find(']');
        if (close == npos)
            return {Kind::Other, {}, {}};
        return {Kind::Section, trim(t.substr(1, close - 1)), {}};
    }
    const std::size_t eq = t.find('=');
    if (eq == npos)
        return {Kind::Other, {}, {}};
    return {Kind::Key, trim(t.substr(0, eq)), trim(t.substr(eq + 1))};
}

// Memory holds UTF-8; stray bytes that are not are taken as Windows-1250 characters,
// so a write can never make a UTF-8 file read back as Windows-1250.
std::string validUtf8(std::string_view s)
{
    return isValidUtf8(s) ? std::string(s) : cp1250ToUtf8(utf8ToCp1250(s));
}

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

// A value enclosed in a pair of quotes loses them, as the Windows INI reader
// (GetPrivateProfileString) does.
std::string_view decodeValue(std::string_view v)
{
    if (v.size() >= 2 && isQuote(v.front()) && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// Line breaks would split the line, so they become spaces. A value that the reader
// would change (surrounding blanks, surrounding quotes) is written inside double
// quotes, which the reader strips again.
std::string encodeValue(std::string_view value)
{
    std::string v = validUtf8(value);
    for (char& c : v)
        if (c == '\r' || c == '\n')
            c = ' ';
    if (!v.empty() && (trim(v).size() != v.size() || decodeValue(v).size() != v.size()))
        return '"' + v + '"';
    return v;
}

// Section and key names as written and looked up: trimmed, one line, and without the
// characters that would make the line read as something else.
std::string cleanName(std::string_view name, char terminator)
{
    std::string n(trim(validUtf8(name)));
    for (char& c : n)
        if (c == '\r' || c == '\n' || c == terminator)
            c = '_';
    if (terminator == '=' && !n.empty() && (n.front() == '[' || n.front() == ';' || n.front() == '#'))
        n.front() = '_';
    return n;
}

// cleanName() then foldCase(): the name a lookup compares with. A plain ASCII name (every
// name the station itself uses) needs neither and takes one pass.
std::string lookupName(std::string_view name, char terminator)
{
    std::string out(name);
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= ' ' || b >= 0x7F || c == terminator)
            return foldCase(cleanName(name, terminator));
        if (b >= 'A' && b <= 'Z')
            c = static_cast<char>(b + ('a' - 'A'));
    }
    if (terminator == '=' && !out.empty() && (out.front() == '[' || out.front() == ';' || out.front() == '#'))
        return foldCase(cleanName(name, terminator));
    return out;
}

bool parseInt(std::string_view text, std::int32_t& out)
{
    std::string_view t = trim(text);
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    int base = 10;
    if (!t.empty() && t.front() == '$') {
        base = 16;
        t.remove_prefix(1);
    } else if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        t.remove_prefix(2);
    }
    if (t.empty())
        return false;
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), magnitude, base);
    if (ec != std::errc{} || end != t.data() + t.size())
        return false;
    if (base == 16) {
        // Hexadecimal spells the 32-bit pattern, so $FF00000D is a negative number.
        if (magnitude > 0xFFFFFFFFull)
            return false;
        auto bits = static_cast<std::uint32_t>(magnitude);
        if (negative)
            bits = 0u - bits;
        out = static_cast<std::int32_t>(bits);
        return true;
    }
    const std::int64_t v = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (magnitude > 0x80000000ull || v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        return false;
    out = static_cast<std::int32_t>(v);
    return true;
}

} // namespace

ConfigFile::ConfigFile(ConfigFile&& other) noexcept
{
    *this = std::move(other);
}

ConfigFile& ConfigFile::operator=(ConfigFile&& other) noexcept
{
    if (this != &other) {
        std::scoped_lock lock(mutex_, other.mutex_);
        path_ = std::move(other.path_);
        lines_ = std::move(other.lines_);
        encoding_ = other.encoding_;
        newline_ = std::move(other.newline_);
        bom_ = other.bom_;
        generation_ = other.generation_;
        savedGeneration_ = other.savedGeneration_;
        unreadableReason_ = std::move(other.unreadableReason_);
        lastSection_ = {};
    }
    return *this;
}

ConfigFile::Line ConfigFile::makeLine(std::string text, std::string ending)
{
    const Parsed p = classify(text);
    std::string folded = (p.kind == Kind::Section || p.kind == Kind::Key) ? foldCase(p.name) : std::string();
    return Line{std::move(text), std::move(ending), p.kind, std::move(folded)};
}

ConfigFile ConfigFile::fromBytes(std::span<const std::uint8_t> bytes, std::filesystem::path path)
{
    return fromBytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), std::move(path));
}

ConfigFile ConfigFile::fromBytes(std::string_view raw, std::filesystem::path path)
{
    ConfigFile cfg(std::move(path));
    if (raw.substr(0, kBom.size()) == kBom) {
        cfg.bom_ = true;
        raw.remove_prefix(kBom.size());
    }
    std::string text;
    if (isValidUtf8(raw)) {
        text.assign(raw);
    } else {
        cfg.encoding_ = Encoding::Windows1250;
        text = cp1250ToUtf8(raw);
    }
    bool endingSeen = false;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        std::string lineText;
        std::string ending;
        if (lf == npos) {
            lineText = text.substr(start);
            start = text.size();
        } else {
            const bool cr = lf > start && text[lf - 1] == '\r';
            lineText = text.substr(start, lf - start - (cr ? 1 : 0));
            ending = cr ? "\r\n" : "\n";
            start = lf + 1;
            if (!endingSeen) {
                cfg.newline_ = ending;
                endingSeen = true;
            }
        }
        cfg.lines_.push_back(makeLine(std::move(lineText), std::move(ending)));
    }
    return cfg;
}

Result<ConfigFile> ConfigFile::load(const std::filesystem::path& path, Clock& clock)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec)
        return ConfigFile(path);
    // An INI file of settings and window placements: a few kilobytes; far more is no configuration.
    constexpr std::uint64_t kMaxConfigBytes = std::uint64_t{4} << 20;
    auto bytes = readFileRetrying(path, clock, kMaxConfigBytes);
    if (!bytes)
        return Error{bytes.error()};
    return fromBytes(std::span<const std::uint8_t>(bytes.value()), path);
}

ConfigFile ConfigFile::loadForStation(const std::filesystem::path& path, Clock& clock)
{
    auto loaded = load(path, clock);
    if (loaded)
        return std::move(loaded.value());
    ConfigFile cfg(path);
    cfg.unreadableReason_ = loaded.error();
    return cfg;
}

std::size_t ConfigFile::findSection(std::string_view section) const
{
    if (lastSection_.valid && lastSection_.asked == section)
        return lastSection_.line;
    const std::string wanted = lookupName(section, ']');
    std::size_t found = npos;
    for (std::size_t i = 0; i < lines_.size() && found == npos; ++i)
        if (lines_[i].kind == Kind::Section && lines_[i].foldedName == wanted)
            found = i;
    lastSection_ = {true, std::string(section), found};
    return found;
}

std::size_t ConfigFile::findKey(std::size_t sectionLine, std::string_view key) const
{
    const std::string wanted = lookupName(key, '=');
    for (std::size_t i = sectionLine + 1; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section)
            break;
        if (line.kind == Kind::Key && line.foldedName == wanted)
            return i;
    }
    return npos;
}

const std::string* ConfigFile::findValueLine(std::string_view section, std::string_view key) const
{
    const std::size_t s = findSection(section);
    if (s == npos)
        return nullptr;
    const std::size_t k = findKey(s, key);
    return k == npos ? nullptr : &lines_[k].text;
}

std::string ConfigFile::readString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    std::lock_guard lock(mutex_);
    const std::string* line = findValueLine(section, key);
    if (!line)
        return std::string(defaultValue);
    return std::string(decodeValue(classify(*line).value));
}

std::int32_t ConfigFile::readInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const
{
    std::lock_guard lock(mutex_);
    const std::string* line = findValueLine(section, key);
    std::int32_t v = 0;
    if (!line || !parseInt(decodeValue(classify(*line).value), v))
        return defaultValue;
    return v;
}

bool ConfigFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    return readInt(section, key, defaultValue ? 1 : 0) != 0;
}

bool ConfigFile::hasKey(std::string_view section, std::string_view key) const
{
    std::lock_guard lock(mutex_);
    return findValueLine(section, key) != nullptr;
}

bool ConfigFile::hasSection(std::string_view section) const
{
    std::lock_guard lock(mutex_);
    return findSection(section) != npos;
}

void ConfigFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    std::lock_guard lock(mutex_);
    writeLocked(section, key, value);
}

void ConfigFile::writeInt(std::string_view section, std::string_view key, std::int32_t value)
{
    writeString(section, key, std::to_string(value));
}

void ConfigFile::writeBool(std::string_view section, std::string_view key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

void ConfigFile::ensureEnding(std::size_t line)
{
    if (lines_[line].ending.empty())
        lines_[line].ending = newline_;
}

void ConfigFile::insertLine(std::size_t at, std::string text)
{
    lastSection_.valid = false;
    if (at > 0)
        ensureEnding(at - 1);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), makeLine(std::move(text), newline_));
}

void ConfigFile::writeLocked(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string encoded = encodeValue(value);
    const std::size_t s = findSection(section);
    if (s != npos) {
        const std::size_t k = findKey(s, key);
        if (k != npos) {
            // Keep the key as it is spelled in the file and the blanks after '='.
            std::string& text = lines_[k].text;
            std::size_t valueStart = text.find('=') + 1;
            while (valueStart < text.size() && (text[valueStart] == ' ' || text[valueStart] == '\t'))
                ++valueStart;
            std::string replaced = text.substr(0, valueStart) + encoded;
            if (replaced != text) {
                lines_[k] = makeLine(std::move(replaced), std::move(lines_[k].ending));
                ++generation_;
            }
            return;
        }
        // After the section's last line of content; comments and blank lines that
        // follow it belong to what comes next.
        std::size_t last = s;
        for (std::size_t i = s + 1; i < lines_.size(); ++i) {
            const Kind kind = lines_[i].kind;
            if (kind == Kind::Section)
                break;
            if (kind != Kind::Blank && kind != Kind::Comment)
                last = i;
        }
        insertLine(last + 1, cleanName(key, '=') + "=" + encoded);
        ++generation_;
        return;
    }
    if (!lines_.empty() && lines_.back().kind != Kind::Blank)
        insertLine(lines_.size(), std::string());
    insertLine(lines_.size(), "[" + cleanName(section, ']') + "]");
    insertLine(lines_.size(), cleanName(key, '=') + "=" + encoded);
    ++generation_;
}

std::vector<std::uint8_t> ConfigFile::toBytes() const
{
    std::lock_guard lock(mutex_);
    std::string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += line.ending;
    }
    if (encoding_ == Encoding::Windows1250)
        text = utf8ToCp1250(text);
    if (bom_)
        text.insert(0, kBom);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

Status ConfigFile::save(Clock& clock)
{
    std::lock_guard saving(saveMutex_);
    std::uint64_t generation = 0;
    std::filesystem::path path;
    {
        std::lock_guard lock(mutex_);
        if (!unreadableReason_.empty())
            return Error{unreadableReason_};
        if (generation_ == savedGeneration_)
            return {};
        generation = generation_;
        path = path_;
    }
    if (path.empty())
        return Error{"Konfigurační soubor nemá jméno"};
    Status st = writeFileRetrying(path, toBytes(), clock);
    if (st) {
        // A write that came in meanwhile keeps the configuration modified.
        std::lock_guard lock(mutex_);
        if (generation_ == generation)
            savedGeneration_ = generation;
    }
    return st;
}

ConfigFile::Encoding ConfigFile::encoding() const
{
    std::lock_guard lock(mutex_);
    return encoding_;
}

bool ConfigFile::usesCrlf() const
{
    std::lock_guard lock(mutex_);
    return newline_ == "\r\n";
}

bool ConfigFile::readOnly() const
{
    std::lock_guard lock(mutex_);
    return !unreadableReason_.empty();
}

std::string ConfigFile::unreadableReason() const
{
    std::lock_guard lock(mutex_);
    return unreadableReason_;
}

bool ConfigFile::modified() const
{
    std::lock_guard lock(mutex_);
    return generation_ != savedGeneration_;
}

} // namespace kapsorel
