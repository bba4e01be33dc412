// The station's in-memory battery type table and the operations the battery types
// window performs on it, with "Baterie.cfg" loading and saving.
#pragma once

#include "core/base/clock.h"
#include "core/base/files.h"
#include "core/definitions/battery_type.h"
#include "core/definitions/file_report.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kapsorel {

class BatteryTable {
  public:
    BatteryTable() = default;

    // Ensures the "Postupy" folder, then reads "Baterie.cfg" (missing = empty table).
    // On failure the table is empty and saving is refused, so a file that could not be
    // read is never overwritten with an empty table.
    FileReport load(const std::filesystem::path& home, Clock& clock = SystemClock::instance());
    // Writes the table to "Baterie.cfg" (created when missing). Warnings carry
    // "Není zadán typ baterie" for each type without a valid chemistry.
    // The file is built whole in memory and replaces the old one through `store`.
    FileReport save(const std::filesystem::path& home, Clock& clock = SystemClock::instance(),
                    FileStore& store = DiskFileStore::instance()) const;
    // False after a failed load, until the table is replaced with assign().
    bool writable() const { return writable_; }

    const std::vector<BatteryType>& types() const { return types_; }
    int size() const { return static_cast<int>(types_.size()); }
    const BatteryType& at(int i) const { return types_.at(static_cast<std::size_t>(i)); }
    BatteryType& at(int i) { return types_.at(static_cast<std::size_t>(i)); }
    // Replaces the whole table (more than 101 types is refused).
    Status assign(std::vector<BatteryType> types);

    // Position of the first type whose name equals `name` exactly, −1 when none.
    int findByName(std::string_view name) const;
    // True when any type allows the procedure number.
    bool anyAllows(int procedureNumber) const;

    // Appends a type (the window's "+"): it copies the variables and allowed procedures
    // of the type at `copyFrom` (none when −1 or out of range); head, name and chemistry
    // start empty (chemistry invalid). Refused beyond 101 types. Returns the new position.
    Result<int> add(int copyFrom);
    void remove(int position);
    // Exchanges the type with its neighbour; false when it is already first / last.
    bool moveUp(int position);
    bool moveDown(int position);

    // The changes below refuse (or ignore) a position outside the table.
    // Variables of one type: refused beyond 20.
    Status addVariable(int position, BatteryVariable variable);
    void removeVariable(int position, int variableIndex);
    // Replaces the variables (refused beyond 20); descriptions are cut to 20, IDs to 2 characters.
    Status setVariables(int position, std::vector<BatteryVariable> variables);
    // Replaces the allowed procedures, in the given order. Refused beyond 10, and for a
    // number outside 0-255 (the file keeps one byte per number).
    Status setAllowedProcedures(int position, const std::vector<int>& numbers);
    // The name is kept as the file will give it back (storedText: Windows-1250, 30
    // characters), so the types listed and matched by name are the same before and
    // after the table is saved and read again.
    void setName(int position, std::string_view name);

  private:
    std::vector<BatteryType> types_;
    bool writable_ = true;
};

// Messages of the limits.
std::string noSuchTypeMessage();
std::string tooManyBatteryTypesMessage();
std::string tooManyVariablesMessage();
std::string tooManyAllowedProceduresMessage();
std::string procedureNotAllowableMessage(int number);

} // namespace kapsorel
