// The battery types window (TFbaterie) without the window: the texts of its grids, each
// edit checked as it is made, the allowed procedures, copy and paste, the window's
// modified flag, saving "Baterie.cfg" and the question on closing. Edits change the
// station's battery table at once, as the rest of the program reads it.
#pragma once

#include "core/base/clock.h"
#include "core/base/files.h"
#include "core/base/result.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/file_report.h"
#include "core/definitions/procedure_index.h"
#include "core/definitions/save_answer.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kapsorel {

// gbaterie: "Hlava", "Popis", "Typ".
enum class BatteryColumn : int { Head = 0, Name = 1, Chemistry = 2 };
// gprop: "Popis", "ID", "Hodnota".
enum class VariableColumn : int { Description = 0, Id = 1, Value = 2 };

// One row of gbpostupy: "Postup", "En." and the hidden number.
struct AllowedProcedureRow {
    std::string name;
    bool allowed = false;
    int number = 0;

    bool operator==(const AllowedProcedureRow&) const = default;
};

std::string batteryChangesQuestion();  // "Provedeny změny v bateriích.  Uložit?  "
std::string chemistryMissingMessage(); // "Není zadán typ baterie"
std::string variableIdMessage();

class BatteryTypesEditor {
  public:
    BatteryTypesEditor(BatteryTable& table, const ProcedureIndex& index, std::filesystem::path home,
                       Clock& clock = SystemClock::instance(), FileStore& store = DiskFileStore::instance());

    // Without service rights nothing can be changed.
    void setServiceRights(bool serviceRights) { serviceRights_ = serviceRights; }
    // Changes since the last save or closing, whatever rows were selected meanwhile.
    bool modified() const { return modified_; }

    // --- Texts of the grids ---------------------------------------------------------
    int typeCount() const { return table_->size(); }
    std::array<std::string, 3> typeRow(int type) const;
    int variableCount(int type) const;
    std::array<std::string, 3> variableRow(int type, int variable) const; // value "%.2f"
    std::string intervalText(int type) const;
    // Every procedure of the index, in index order, marked when the type allows it.
    std::vector<AllowedProcedureRow> allowedRows(int type) const;

    // --- Edits ----------------------------------------------------------------------
    // "Hlava" a whole number 0-32767; "Popis" kept as stored (30 characters); "Typ"
    // "NiCd" or "Pb".
    Status editType(int type, BatteryColumn column, std::string_view text);
    // "Popis" kept as stored (20 characters); "ID" exactly two characters; "Hodnota" a
    // number ("," read as ".").
    Status editVariable(int type, int variable, VariableColumn column, std::string_view text);
    // "Interval změny proudu": a whole number 0-65535 (empty = 0).
    Status editInterval(int type, std::string_view text);
    // Marks or unmarks a procedure; the allowed numbers follow the index order. Refused
    // for a number above 255 and for an eleventh procedure.
    Status setAllowed(int type, int procedureNumber, bool allowed);

    // "+": a new type after the others with the variables and allowed procedures of
    // the selected one (−1 = none); returns its row.
    Result<int> addType(int selected);
    Status removeType(int type);
    Result<int> moveTypeUp(int type);
    Result<int> moveTypeDown(int type);
    // An empty variable row at the end; returns its row.
    Result<int> addVariable(int type);
    Status removeVariable(int type, int variable);

    // Copy takes the type's variables, interval and allowed procedures as they are now;
    // paste gives them to another type.
    Status copyType(int type);
    bool canPaste() const { return clipboard_.has_value() && serviceRights_; }
    Status pasteInto(int type);

    // Refuses a type without "Typ" or with a variable whose ID is not two characters,
    // naming the row; otherwise builds the whole file and replaces "Baterie.cfg".
    FileReport save();
    std::optional<std::string> closeQuestion() const;
    // "Ano" saves; "Ne" takes the table back from the file.
    FileReport close(SaveAnswer answer);

  private:
    Status checkEditable() const;
    Status checkType(int type) const;
    Status checkVariable(int type, int variable) const;

    BatteryTable* table_;
    const ProcedureIndex* index_;
    std::filesystem::path home_;
    Clock* clock_;
    FileStore* store_;
    bool serviceRights_ = false;
    bool modified_ = false;
    std::optional<BatteryType> clipboard_;
};

} // namespace kapsorel
