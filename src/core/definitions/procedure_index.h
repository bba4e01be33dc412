// The procedure index "Postupy.idx" (numbered, named procedures in list order) held
// in memory, and the procedure editor's operations on it that change the files.
#pragma once

#include "core/base/clock.h"
#include "core/base/result.h"
#include "core/definitions/battery_type.h"
#include "core/definitions/file_report.h"
#include "core/definitions/procedure.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kapsorel {

constexpr std::size_t kIndexEntrySize = 34;
constexpr int kMaxProcedures = 101;
constexpr int kMaxProcedureNumber = 1000;

struct ProcedureIndexEntry {
    std::uint16_t number = 0; // 0-1000, names the file
    std::string name;         // at most 30 characters, unique (exact comparison)

    bool operator==(const ProcedureIndexEntry&) const = default;
};

// One 34-byte entry. The writer keeps up to 31 characters of a name as the field holds
// them; the editor's operations store at most 30.
ProcedureIndexEntry parseIndexEntry(std::span<const std::uint8_t> record);
std::vector<std::uint8_t> serializeIndexEntry(const ProcedureIndexEntry& entry);

// Reads an index image: size div 34 entries, the remainder ignored. Fails for more
// than 101 entries. An entry numbered above 1000 is left out, with a remark in
// `warnings` (refusedIndexEntryMessage); the other entries are taken.
Result<std::vector<ProcedureIndexEntry>> parseProcedureIndex(std::span<const std::uint8_t> data,
                                                             std::vector<std::string>* warnings = nullptr);
std::string refusedIndexEntryMessage(const ProcedureIndexEntry& entry);
std::vector<std::uint8_t> serializeProcedureIndex(const std::vector<ProcedureIndexEntry>& entries);

class ProcedureIndex {
  public:
    explicit ProcedureIndex(std::filesystem::path home, Clock& clock = SystemClock::instance());

    // Ensures the "Postupy" folder and reads "Postupy.idx" (missing = empty). On
    // failure the index is empty and every change is refused, so the files of
    // procedures that could not be listed are never overwritten or renumbered.
    // Entries numbered above 1000 are left out with a warning each; the index stays
    // writable, and the next change writes it without them.
    FileReport load();
    bool writable() const { return writable_; }

    const std::vector<ProcedureIndexEntry>& entries() const { return entries_; }
    int size() const { return static_cast<int>(entries_.size()); }
    const ProcedureIndexEntry& at(int position) const { return entries_.at(static_cast<std::size_t>(position)); }
    const std::filesystem::path& home() const { return home_; }

    // Name of the entry with that number, "" when none has it.
    std::string procedureNameByNumber(std::int16_t number) const;
    // Position of the entry with exactly this name / number, −1 when none.
    int positionOfName(std::string_view name) const;
    int positionOfNumber(int number) const;
    // True when an entry other than `exceptPosition` has exactly this name as it would
    // be stored (converted to Windows-1250 and cut to 30 characters, storedText).
    bool nameTaken(std::string_view name, int exceptPosition = -1) const;
    // The smallest number 0-1000 no entry uses.
    Result<std::uint16_t> smallestFreeNumber() const;

    // New procedure: refuses a 102nd procedure and a taken name ("Takový postup již
    // existuje"); takes the smallest free number, writes its file as the single byte 0
    // and appends the entry with the name in its stored form. Returns the new position.
    Result<int> addProcedure(std::string_view name);
    // Renames the entry (to its stored form, storedText) and rewrites it in the index.
    Status renameProcedure(int position, std::string_view name);
    // Refuses "Postup použit, nelze smazat" when a battery type allows the number;
    // otherwise deletes the file and rewrites the index without the entry.
    Status removeProcedure(int position, const std::vector<BatteryType>& batteryTypes);
    // Exchanges two entries in memory and in the file (numbers stay with their names).
    Status exchange(int a, int b);

    std::filesystem::path procedurePath(int position) const;
    // Loads the procedure of the entry for editing (missing file = empty procedure).
    Result<Procedure> loadProcedure(int position) const;
    Status saveProcedure(int position, const Procedure& procedure) const;

  private:
    Status writeIndex(const std::vector<ProcedureIndexEntry>& entries);
    Status checkWritable() const;

    std::filesystem::path home_;
    Clock* clock_;
    std::vector<ProcedureIndexEntry> entries_;
    bool writable_ = true;
};

std::string duplicateProcedureMessage(); // "Takový postup již existuje"
std::string procedureInUseMessage();     // "Postup použit, nelze smazat"
std::string tooManyProceduresMessage();

} // namespace kapsorel
