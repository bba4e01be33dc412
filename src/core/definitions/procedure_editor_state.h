// The procedure editor's state (window TFpostupy) without the window: the procedure
// list's operations, the buffer of the procedure being edited, bound to that
// procedure's number, the step grid's edits, copy and paste, saving, the questions the
// window asks, and check mode. Every operation returns OK or the message to show.
#pragma once

#include "core/base/clock.h"
#include "core/base/files.h"
#include "core/base/result.h"
#include "core/definitions/battery_table.h"
#include "core/definitions/condition_editor.h"
#include "core/definitions/procedure.h"
#include "core/definitions/procedure_editing.h"
#include "core/definitions/procedure_index.h"
#include "core/definitions/save_answer.h"
#include "core/definitions/step_cell_check.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kapsorel {

// A battery type offered in check mode's list Cbat: kept by its position in the battery
// table, as two types may share a name.
struct CheckModeChoice {
    int tableIndex = -1;
    std::string name;

    bool operator==(const CheckModeChoice&) const = default;
};

std::string leaveProcedureQuestion();  // "Provedeny změny v krocích.  Uložit?   " (three spaces)
std::string closeEditorQuestion();     // "Provedeny změny v krocích.  Uložit?  " (two spaces)
std::string deleteProcedureQuestion(); // "Opravdu smazat postup?  "
std::string emptyProcedureNameMessage();

class ProcedureEditorState {
  public:
    // `index` must be loaded; `batteries` is read for deleting and for check mode.
    ProcedureEditorState(ProcedureIndex& index, const BatteryTable& batteries, Clock& clock = SystemClock::instance(),
                         FileStore& store = DiskFileStore::instance());

    // Without service rights nothing can be changed and "Perioda" 1-9 is refused.
    void setServiceRights(bool serviceRights) { serviceRights_ = serviceRights; }
    bool serviceRights() const { return serviceRights_; }
    // True without service rights, in check mode, and with no procedure loaded.
    bool readOnly() const;

    // --- The procedure list ---------------------------------------------------------

    // The list's row of the procedure being edited (it follows the procedure when rows
    // move), −1 when none is loaded.
    int selectedPosition() const;
    const ProcedureIndex& index() const { return *index_; }
    // The number the buffer belongs to (−1 when none).
    int procedureNumber() const { return number_; }
    // "Postupy - " + the procedure file's path ("Postupy" when none is loaded).
    std::string caption() const;

    // The question to ask before another procedure is selected (nothing when unchanged).
    std::optional<std::string> leaveQuestion() const;
    // Leaves the current procedure with the answer to leaveQuestion (ignored when
    // unchanged; a failed save keeps the current procedure), then loads the procedure at
    // `position`. A file that cannot be read leaves no procedure loaded.
    Status selectProcedure(int position, SaveAnswer answer = SaveAnswer::Discard);

    // Renames at once (stored form: Windows-1250, 30 characters); refuses an empty
    // name and "Takový postup již existuje".
    Status renameProcedure(int position, std::string_view name);
    // New procedure (the selection stays); returns its row.
    Result<int> addProcedure(std::string_view name);
    // Moves the row; returns the moved procedure's new row (unchanged at the ends).
    Result<int> moveProcedureUp(int position);
    Result<int> moveProcedureDown(int position);
    // "Postup použit, nelze smazat" when a battery type allows it, otherwise the
    // question "Opravdu smazat postup?  " to ask before deleteProcedure.
    Result<std::string> deleteQuestion(int position) const;
    // Deletes (after "Ano"). Deleting the procedure being edited discards the buffer and
    // loads the procedure that takes its row (none when it was the last).
    Status deleteProcedure(int position);

    // --- The buffer and the step grid ----------------------------------------------

    const Procedure& procedure() const { return buffer_; }
    int stepCount() const { return static_cast<int>(buffer_.steps.size()); }
    // The grid row of a step, with the shown battery type's values in check mode.
    StepGridRow row(int step) const;
    bool stepsModified() const { return modified_; }

    Status editNote(std::string_view text);
    // A typed cell (see setStepCell); marks the steps modified.
    Status editCell(int step, StepColumn column, std::string_view text);
    Status appendSteps(int first, int last);
    Status removeStep(int step);
    // The step's new row (unchanged at the ends).
    Result<int> moveStepUp(int step);
    Result<int> moveStepDown(int step);

    // The conditions window's rows for a step's condition, and its "OK".
    ConditionRows conditionRows(int step, int which) const;
    Status applyConditions(int step, int which, const ConditionRows& rows);
    // A variable picked in the variables list for value 1 or 2: `reference` is "#" + ID.
    Status setValueReference(int step, StepColumn column, std::string_view reference);

    // Copy refuses what save refuses; paste replaces the buffer with the copy.
    Status copyProcedure();
    bool canPaste() const { return clipboard_.has_value() && !readOnly(); }
    Status paste();

    // Builds the whole file in memory and replaces the procedure's file with it.
    // Refuses a step whose "Akce" was never chosen, naming the row.
    Status save();

    // The question to ask when the window closes (nothing when unchanged).
    std::optional<std::string> closeQuestion() const;
    // "Ano" saves; "Ne" reloads the procedure from its file. Leaves check mode.
    Status close(SaveAnswer answer);

    // --- Check mode ----------------------------------------------------------------

    // Turning "Kontrola" on: with unsaved steps, "Ano" saves first and "Ne" keeps check
    // mode off (false). Otherwise check mode is on with the first offered battery type.
    Result<bool> enterCheckMode(SaveAnswer answer = SaveAnswer::Discard);
    void leaveCheckMode();
    bool checkMode() const { return checkMode_; }
    // The battery types that allow the procedure, in table order.
    std::vector<CheckModeChoice> checkModeChoices() const;
    // Shows the battery type at this table position (−1 = none).
    Status showBatteryType(int tableIndex);
    const BatteryType* shownBatteryType() const;

  private:
    Status checkEditable() const;
    Status checkStep(int step) const;
    Status load(int position);
    void touch() { modified_ = true; }

    ProcedureIndex* index_;
    const BatteryTable* batteries_;
    Clock* clock_;
    FileStore* store_;
    bool serviceRights_ = false;
    int number_ = -1;
    Procedure buffer_;
    bool modified_ = false;
    std::optional<Procedure> clipboard_;
    bool checkMode_ = false;
    int shownBattery_ = -1;
};

// A cell shows a variable the shown battery type lacks (painted red).
bool cellShowsMissingVariable(std::string_view cellText);

} // namespace kapsorel
