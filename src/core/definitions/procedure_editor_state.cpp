#include "core/definitions/procedure_editor_state.h"

#include "core/definitions/definition_paths.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/text_cut.h"

#include <utility>

namespace kapsorel {

std::string leaveProcedureQuestion()
{
    return "Provedeny změny v krocích.  Uložit?   ";
}

std::string closeEditorQuestion()
{
    return "Provedeny změny v krocích.  Uložit?  ";
}

std::string deleteProcedureQuestion()
{
    return "Opravdu smazat postup?  ";
}

std::string emptyProcedureNameMessage()
{
    return "Název postupu nesmí být prázdný";
}

bool cellShowsMissingVariable(std::string_view cellText)
{
    return cellText.find("???") != std::string_view::npos;
}

ProcedureEditorState::ProcedureEditorState(ProcedureIndex& index, const BatteryTable& batteries, Clock& clock,
                                           FileStore& store)
    : index_(&index), batteries_(&batteries), clock_(&clock), store_(&store)
{
}

bool ProcedureEditorState::readOnly() const
{
    return !checkEditable().ok();
}

Status ProcedureEditorState::checkEditable() const
{
    if (!serviceRights_)
        return Error{"Bez servisních práv nelze postupy měnit"};
    if (checkMode_)
        return Error{"V režimu Kontrola nelze postupy měnit"};
    if (number_ < 0)
        return Error{"Není vybrán žádný postup"};
    return {};
}

Status ProcedureEditorState::checkStep(int step) const
{
    if (auto st = checkEditable(); !st)
        return st;
    if (step < 0 || step >= stepCount())
        return Error{"Není vybrán žádný krok"};
    return {};
}

int ProcedureEditorState::selectedPosition() const
{
    return number_ < 0 ? -1 : index_->positionOfNumber(number_);
}

std::string ProcedureEditorState::caption() const
{
    if (number_ < 0)
        return "Postupy";
    return "Postupy - " + procedureFilePath(index_->home(), number_).string();
}

std::optional<std::string> ProcedureEditorState::leaveQuestion() const
{
    if (!modified_)
        return std::nullopt;
    return leaveProcedureQuestion();
}

Status ProcedureEditorState::load(int position)
{
    number_ = -1;
    buffer_ = Procedure{};
    modified_ = false;
    if (position < 0 || position >= index_->size())
        return Error{"Postup nenalezen"};
    auto loaded = index_->loadProcedure(position);
    if (!loaded)
        return loaded.status();
    buffer_ = std::move(loaded.value());
    number_ = index_->at(position).number;
    return {};
}

Status ProcedureEditorState::selectProcedure(int position, SaveAnswer answer)
{
    if (modified_) {
        if (answer == SaveAnswer::Save) {
            if (auto st = save(); !st)
                return st;
        }
        modified_ = false;
    }
    return load(position);
}

Status ProcedureEditorState::renameProcedure(int position, std::string_view name)
{
    if (!serviceRights_)
        return Error{"Bez servisních práv nelze postupy měnit"};
    if (name.empty())
        return Error{emptyProcedureNameMessage()};
    return index_->renameProcedure(position, name);
}

Result<int> ProcedureEditorState::addProcedure(std::string_view name)
{
    if (!serviceRights_ || checkMode_)
        return Error{checkEditable().error()};
    if (name.empty())
        return Error{emptyProcedureNameMessage()};
    return index_->addProcedure(name);
}

Result<int> ProcedureEditorState::moveProcedureUp(int position)
{
    if (!serviceRights_ || checkMode_)
        return Error{checkEditable().error()};
    if (position <= 0 || position >= index_->size())
        return position;
    if (auto st = index_->exchange(position, position - 1); !st)
        return Error{st.error()};
    return position - 1;
}

Result<int> ProcedureEditorState::moveProcedureDown(int position)
{
    if (!serviceRights_ || checkMode_)
        return Error{checkEditable().error()};
    if (position < 0 || position + 1 >= index_->size())
        return position;
    if (auto st = index_->exchange(position, position + 1); !st)
        return Error{st.error()};
    return position + 1;
}

Result<std::string> ProcedureEditorState::deleteQuestion(int position) const
{
    if (!serviceRights_ || checkMode_)
        return Error{checkEditable().error()};
    if (position < 0 || position >= index_->size())
        return Error{"Postup nenalezen"};
    if (batteries_->anyAllows(index_->at(position).number))
        return Error{procedureInUseMessage()};
    return deleteProcedureQuestion();
}

Status ProcedureEditorState::deleteProcedure(int position)
{
    if (auto q = deleteQuestion(position); !q)
        return q.status();
    const int number = index_->at(position).number;
    if (auto st = index_->removeProcedure(position, batteries_->types()); !st)
        return st;
    if (number != number_)
        return {};
    // The deleted procedure's buffer goes with it; its row now shows the next one.
    modified_ = false;
    const int next = position < index_->size() ? position : index_->size() - 1;
    if (next < 0) {
        number_ = -1;
        buffer_ = Procedure{};
        return {};
    }
    return load(next);
}

StepGridRow ProcedureEditorState::row(int step) const
{
    return stepGridRow(buffer_.steps.at(static_cast<std::size_t>(step)), step, shownBatteryType());
}

Status ProcedureEditorState::editNote(std::string_view text)
{
    if (auto st = checkEditable(); !st)
        return st;
    const std::string note = cutChars(text, kNoteCapacity);
    if (note != buffer_.note) {
        buffer_.note = note;
        touch();
    }
    return {};
}

Status ProcedureEditorState::editCell(int step, StepColumn column, std::string_view text)
{
    if (auto st = checkStep(step); !st)
        return st;
    if (auto st = setStepCell(buffer_.steps[static_cast<std::size_t>(step)], column, text, serviceRights_); !st)
        return st;
    touch();
    return {};
}

Status ProcedureEditorState::appendSteps(int first, int last)
{
    if (auto st = checkEditable(); !st)
        return st;
    if (auto st = appendStepCopies(buffer_, first, last); !st)
        return st;
    touch();
    return {};
}

Status ProcedureEditorState::removeStep(int step)
{
    if (auto st = checkStep(step); !st)
        return st;
    kapsorel::removeStep(buffer_, step);
    touch();
    return {};
}

Result<int> ProcedureEditorState::moveStepUp(int step)
{
    if (auto st = checkStep(step); !st)
        return Error{st.error()};
    if (!kapsorel::moveStepUp(buffer_, step))
        return step;
    touch();
    return step - 1;
}

Result<int> ProcedureEditorState::moveStepDown(int step)
{
    if (auto st = checkStep(step); !st)
        return Error{st.error()};
    if (!kapsorel::moveStepDown(buffer_, step))
        return step;
    touch();
    return step + 1;
}

ConditionRows ProcedureEditorState::conditionRows(int step, int which) const
{
    return conditionRowsFor(buffer_.steps.at(static_cast<std::size_t>(step)).condition(which), shownBatteryType());
}

Status ProcedureEditorState::applyConditions(int step, int which, const ConditionRows& rows)
{
    if (auto st = checkStep(step); !st)
        return st;
    if (auto st = applyConditionRows(buffer_.steps[static_cast<std::size_t>(step)].condition(which), rows); !st)
        return st;
    touch();
    return {};
}

Status ProcedureEditorState::setValueReference(int step, StepColumn column, std::string_view reference)
{
    if (column != StepColumn::Value1 && column != StepColumn::Value2)
        return Error{notUsedByStepMessage()};
    if (auto st = checkReferenceText(reference); !st)
        return st;
    return editCell(step, column, reference);
}

Status ProcedureEditorState::copyProcedure()
{
    if (auto st = checkEditable(); !st)
        return st;
    if (auto st = checkStepsForSave(buffer_); !st)
        return st;
    Procedure copy = buffer_;
    for (auto& s : copy.steps)
        normaliseStepForSave(s);
    clipboard_ = std::move(copy);
    return {};
}

Status ProcedureEditorState::paste()
{
    if (auto st = checkEditable(); !st)
        return st;
    if (!clipboard_)
        return Error{"Není nic zkopírováno"};
    buffer_ = *clipboard_;
    touch();
    return {};
}

Status ProcedureEditorState::save()
{
    if (auto st = checkEditable(); !st)
        return st;
    if (auto st = checkStepsForSave(buffer_); !st)
        return st;
    Procedure stored = buffer_;
    for (auto& s : stored.steps)
        normaliseStepForSave(s);
    auto bytes = serializeProcedure(stored);
    if (!bytes)
        return bytes.status();
    if (auto st = ensureFolder(procedureFolder(index_->home())); !st)
        return st;
    if (auto st = store_->replace(procedureFilePath(index_->home(), number_), bytes.value(), *clock_); !st)
        return st;
    buffer_ = std::move(stored);
    modified_ = false;
    return {};
}

std::optional<std::string> ProcedureEditorState::closeQuestion() const
{
    if (!modified_ || !serviceRights_)
        return std::nullopt;
    return closeEditorQuestion();
}

Status ProcedureEditorState::close(SaveAnswer answer)
{
    leaveCheckMode();
    if (!modified_)
        return {};
    if (answer == SaveAnswer::Save)
        return save();
    // "Ne": what the window shows next time is the procedure as its file holds it.
    const int position = selectedPosition();
    return load(position);
}

Result<bool> ProcedureEditorState::enterCheckMode(SaveAnswer answer)
{
    if (number_ < 0)
        return Error{"Není vybrán žádný postup"};
    if (modified_) {
        if (answer == SaveAnswer::Discard)
            return false;
        if (auto st = save(); !st)
            return Error{st.error()};
    }
    checkMode_ = true;
    const auto choices = checkModeChoices();
    shownBattery_ = choices.empty() ? -1 : choices.front().tableIndex;
    return true;
}

void ProcedureEditorState::leaveCheckMode()
{
    checkMode_ = false;
    shownBattery_ = -1;
}

std::vector<CheckModeChoice> ProcedureEditorState::checkModeChoices() const
{
    std::vector<CheckModeChoice> out;
    if (number_ < 0)
        return out;
    for (int i = 0; i < batteries_->size(); ++i)
        if (batteries_->at(i).allows(number_))
            out.push_back({i, batteries_->at(i).name});
    return out;
}

Status ProcedureEditorState::showBatteryType(int tableIndex)
{
    if (!checkMode_)
        return Error{"Režim Kontrola není zapnut"};
    if (tableIndex < -1 || tableIndex >= batteries_->size())
        return Error{noSuchTypeMessage()};
    shownBattery_ = tableIndex;
    return {};
}

const BatteryType* ProcedureEditorState::shownBatteryType() const
{
    if (!checkMode_ || shownBattery_ < 0 || shownBattery_ >= batteries_->size())
        return nullptr;
    return &batteries_->at(shownBattery_);
}

} // namespace kapsorel
