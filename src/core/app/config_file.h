// The station's INI-style configuration file: sections of key=value lines, read and
// written key by key. Writing a key changes only its own line; every other line
// (comments, unknown keys, order, blank lines, line endings) stays byte for byte.
#pragma once

#include "core/base/clock.h"
#include "core/base/result.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kapsorel {

class ConfigFile {
  public:
    enum class Encoding { Utf8, Windows1250 };
    // What one line of the file is.
    enum class LineKind : std::uint8_t { Blank, Comment, Section, Key, Other };

    // An empty configuration not yet on disk: UTF-8, LF line endings.
    ConfigFile() = default;
    explicit ConfigFile(std::filesystem::path path) : path_(std::move(path)) {}
    ConfigFile(ConfigFile&& other) noexcept;
    ConfigFile& operator=(ConfigFile&& other) noexcept;
    ConfigFile(const ConfigFile&) = delete;
    ConfigFile& operator=(const ConfigFile&) = delete;

    // Takes the bytes as they lie on disk: UTF-8 (with or without a byte order mark)
    // when they are valid UTF-8, otherwise Windows-1250; LF or CRLF.
    static ConfigFile fromBytes(std::span<const std::uint8_t> bytes, std::filesystem::path path = {});
    static ConfigFile fromBytes(std::string_view bytes, std::filesystem::path path = {});

    // Reads the file (up to 10 attempts 1000 ms apart). A missing file gives an empty
    // configuration bound to the path, which the first save creates. A file that exists
    // but cannot be read fails with "Soubor <path> nelze otevřít".
    static Result<ConfigFile> load(const std::filesystem::path& path, Clock& clock = SystemClock::instance());

    // The station's own load. A missing file behaves as with load(). A file that exists
    // but cannot be read (no permission, an I/O error, a folder of that name) gives an
    // empty configuration that is read-only until it is destroyed: writes change only the
    // memory and save() never touches the file, so the user's file is never replaced by
    // defaults. unreadableReason() then says why, as "Soubor <path> nelze otevřít (<why>)".
    static ConfigFile loadForStation(const std::filesystem::path& path, Clock& clock = SystemClock::instance());

    // Section and key names compare without regard to case. A missing section or key,
    // or a value that is not a number, gives the default.
    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    std::int32_t readInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;
    bool hasKey(std::string_view section, std::string_view key) const;
    bool hasSection(std::string_view section) const;

    // Replaces the key's value in its line, or adds the key at the end of its section,
    // or adds the section at the end of the file. Line breaks in a value become spaces.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInt(std::string_view section, std::string_view key, std::int32_t value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    // The file's bytes in the encoding and line ending it was read with.
    std::vector<std::uint8_t> toBytes() const;

    // Writes the file atomically (temporary file, sync, rename) when anything was
    // written since it was read or last saved; otherwise leaves the disk alone. A
    // read-only configuration refuses the save with its reason and leaves the disk alone.
    Status save(Clock& clock = SystemClock::instance());

    bool readOnly() const;
    // Empty unless the file existed but could not be read.
    std::string unreadableReason() const;

    const std::filesystem::path& path() const { return path_; }
    Encoding encoding() const;
    bool usesCrlf() const;
    bool modified() const;

  private:
    struct Line {
        std::string text;   // UTF-8, without its line ending
        std::string ending; // "\r\n", "\n", or "" for a last line without one
        // What the text is, worked out once when the line is made so that lookups
        // compare names instead of parsing every line again.
        LineKind kind = LineKind::Other;
        std::string foldedName; // case-folded section or key name; empty for other lines
    };
    static Line makeLine(std::string text, std::string ending);

    // Index of the section header line, or npos.
    std::size_t findSection(std::string_view section) const;
    // Index of the key's line inside the section starting at header `sectionLine`, or npos.
    std::size_t findKey(std::size_t sectionLine, std::string_view key) const;
    const std::string* findValueLine(std::string_view section, std::string_view key) const;
    void writeLocked(std::string_view section, std::string_view key, std::string_view value);
    void ensureEnding(std::size_t line);
    void insertLine(std::size_t at, std::string text);

    mutable std::mutex mutex_;
    std::mutex saveMutex_; // one save at a time: they share the temporary file
    std::filesystem::path path_;
    std::vector<Line> lines_;
    Encoding encoding_ = Encoding::Utf8;
    std::string newline_ = "\n";
    bool bom_ = false;
    std::uint64_t generation_ = 0; // counts the changes made by writes
    std::uint64_t savedGeneration_ = 0;
    std::string unreadableReason_; // non-empty: read-only
    // The last section looked up, as asked: a run of reads or writes in one section
    // finds its header once. Any added line forgets it.
    struct SectionLookup {
        bool valid = false;
        std::string asked;
        std::size_t line = std::string::npos;
    };
    mutable SectionLookup lastSection_;
};

} // namespace kapsorel
