// Battery types: the measuring head, name, chemistry, battery variables, allowed
// procedures and current change interval of each kind of battery, and the
// "Baterie.cfg" record layout they are stored in.
#pragma once

#include "core/definitions/file_report.h"
#include "core/definitions/step_value.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kapsorel {

constexpr std::size_t kBatteryTypeSize = 656;
constexpr std::size_t kBatteryVariableSize = 28;
constexpr std::size_t kBatteryFileHeaderSize = 2;
constexpr int kMaxBatteryTypes = 101;
constexpr int kMaxBatteryVariables = 20;
constexpr int kMaxAllowedProcedures = 10;
constexpr int kMaxAllowableProcedureNumber = 255; // one byte per allowed number
constexpr std::size_t kBatteryNameMax = 30;
constexpr std::size_t kVariableDescriptionMax = 20;
constexpr std::size_t kVariableIdMax = 2;

constexpr std::uint8_t kChemistryNiCd = 0;
constexpr std::uint8_t kChemistryPb = 1;
constexpr std::uint8_t kChemistryInvalid = 255; // stored for a type without a valid "Typ"

// "NiCd", "Pb", or "" for an invalid chemistry byte.
const char* chemistryName(std::uint8_t chemistry);

struct BatteryVariable {
    std::string description; // "Popis", at most 20 characters
    std::string id;          // "ID", at most 2 characters, compared exactly
    float value = 0.0f;      // "Hodnota"

    bool operator==(const BatteryVariable&) const = default;
};

struct BatteryType {
    std::int16_t head = 0;                       // "Hlava"
    std::string name;                            // "Popis", at most 30 characters
    std::vector<std::uint8_t> allowedProcedures; // at most 10 numbers, in index order
    std::uint8_t chemistry = kChemistryNiCd;     // "Typ": 0 NiCd, 1 Pb, else invalid
    std::vector<BatteryVariable> variables;      // at most 20
    std::uint16_t currentChangeInterval = 0;     // "Interval změny proudu", seconds

    // First variable with exactly this ID, or nullptr.
    const BatteryVariable* findVariable(std::string_view id) const;
    // First variable whose ID is exactly the reference's two characters, or nullptr. A
    // reference typed as a lone "#" or "#U" holds zero bytes and matches no variable,
    // not even one named "U" or one with no name.
    const BatteryVariable* findReferenced(const StepValue& reference) const;
    // True when the procedure number is among the allowed ones (numbers above 255
    // are never allowed: the file keeps one byte per number).
    bool allows(int procedureNumber) const;

    bool operator==(const BatteryType&) const = default;
};

// One 656-byte record. Counts above their limits are cut to the limit (the record has
// no room for more); the chemistry byte is kept as read.
BatteryType parseBatteryType(std::span<const std::uint8_t> record);
// Writes exactly 656 bytes; invalid chemistry is written as 255, reserved bytes zero,
// unused variable and procedure slots zero.
std::vector<std::uint8_t> serializeBatteryType(const BatteryType& type);

struct BatteryFile {
    std::vector<BatteryType> types;
    std::vector<std::string> warnings; // "Chyba v souboru baterií" per bad chemistry, cut counts
};

// Reads a whole "Baterie.cfg" image: byte 0 ignored, the count, then exactly that many
// records. Fails on a short file or a count above 101 (nothing is taken then). Bytes
// after the last record are left unread without a remark: a writer that does not cut
// the file leaves the records of deleted types behind.
Result<BatteryFile> parseBatteryFile(std::span<const std::uint8_t> data);
// Builds the file image. Fails (and writes nothing) for more than 101 types, 20
// variables or 10 allowed procedures. Each type with an invalid chemistry adds
// "Není zadán typ baterie" to `warnings` and is stored with 255.
Result<std::vector<std::uint8_t>> serializeBatteryFile(const std::vector<BatteryType>& types,
                                                       std::vector<std::string>* warnings = nullptr);

} // namespace kapsorel
