#include "core/definitions/battery_types_editor.h"

#include "core/base/numbers.h"
#include "core/definitions/step_cell_check.h"
#include "core/definitions/text_cut.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace kapsorel {

namespace {

constexpr long long kMaxHead = std::numeric_limits<std::int16_t>::max();

std::string rowText(int type)
{
    return " (řádek " + std::to_string(type + 1) + ")";
}

} // namespace

std::string batteryChangesQuestion()
{
    return "Provedeny změny v bateriích.  Uložit?  ";
}

std::string chemistryMissingMessage()
{
    return "Není zadán typ baterie";
}

std::string variableIdMessage()
{
    return "ID proměnné musí mít právě dva znaky";
}

BatteryTypesEditor::BatteryTypesEditor(BatteryTable& table, const ProcedureIndex& index, std::filesystem::path home,
                                       Clock& clock, FileStore& store)
    : table_(&table), index_(&index), home_(std::move(home)), clock_(&clock), store_(&store)
{
}

Status BatteryTypesEditor::checkEditable() const
{
    if (!serviceRights_)
        return Error{"Bez servisních práv nelze baterie měnit"};
    return {};
}

Status BatteryTypesEditor::checkType(int type) const
{
    if (auto st = checkEditable(); !st)
        return st;
    if (type < 0 || type >= table_->size())
        return Error{noSuchTypeMessage()};
    return {};
}

Status BatteryTypesEditor::checkVariable(int type, int variable) const
{
    if (auto st = checkType(type); !st)
        return st;
    if (variable < 0 || variable >= variableCount(type))
        return Error{"Proměnná nenalezena"};
    return {};
}

std::array<std::string, 3> BatteryTypesEditor::typeRow(int type) const
{
    const BatteryType& t = table_->at(type);
    return {std::to_string(t.head), t.name, chemistryName(t.chemistry)};
}

int BatteryTypesEditor::variableCount(int type) const
{
    return static_cast<int>(table_->at(type).variables.size());
}

std::array<std::string, 3> BatteryTypesEditor::variableRow(int type, int variable) const
{
    const BatteryVariable& v = table_->at(type).variables.at(static_cast<std::size_t>(variable));
    return {v.description, v.id, formatNumber("%.2f", v.value)};
}

std::string BatteryTypesEditor::intervalText(int type) const
{
    return std::to_string(table_->at(type).currentChangeInterval);
}

std::vector<AllowedProcedureRow> BatteryTypesEditor::allowedRows(int type) const
{
    const BatteryType& t = table_->at(type);
    std::vector<AllowedProcedureRow> rows;
    for (const auto& e : index_->entries())
        rows.push_back({e.name, t.allows(e.number), e.number});
    return rows;
}

Status BatteryTypesEditor::editType(int type, BatteryColumn column, std::string_view text)
{
    if (auto st = checkType(type); !st)
        return st;
    BatteryType& t = table_->at(type);
    switch (column) {
    case BatteryColumn::Head: {
        const auto head = parseWholeNumber(text, 0, kMaxHead);
        if (!head)
            return Error{"Hlava musí být celé číslo 0 až " + std::to_string(kMaxHead)};
        t.head = static_cast<std::int16_t>(*head);
        break;
    }
    case BatteryColumn::Name:
        table_->setName(type, text);
        break;
    case BatteryColumn::Chemistry:
        if (text == chemistryName(kChemistryNiCd))
            t.chemistry = kChemistryNiCd;
        else if (text == chemistryName(kChemistryPb))
            t.chemistry = kChemistryPb;
        else
            return Error{"Typ baterie je NiCd nebo Pb"};
        break;
    }
    modified_ = true;
    return {};
}

Status BatteryTypesEditor::editVariable(int type, int variable, VariableColumn column, std::string_view text)
{
    if (auto st = checkVariable(type, variable); !st)
        return st;
    BatteryVariable& v = table_->at(type).variables[static_cast<std::size_t>(variable)];
    switch (column) {
    case VariableColumn::Description:
        v.description = storedText(text, kVariableDescriptionMax);
        break;
    case VariableColumn::Id:
        if (charCount(text) != kVariableIdMax || storedText(text, kVariableIdMax) != text)
            return Error{variableIdMessage()};
        v.id = std::string(text);
        break;
    case VariableColumn::Value: {
        std::string withPoint(text);
        std::replace(withPoint.begin(), withPoint.end(), ',', '.');
        const auto number = parseNumber(withPoint);
        if (!number || std::fabs(*number) > static_cast<double>(std::numeric_limits<float>::max()))
            return Error{"Hodnota " + std::string(text) + " není číslo"};
        v.value = static_cast<float>(*number);
        break;
    }
    }
    modified_ = true;
    return {};
}

Status BatteryTypesEditor::editInterval(int type, std::string_view text)
{
    if (auto st = checkType(type); !st)
        return st;
    std::uint16_t interval = 0;
    if (!text.empty()) {
        const auto v = parseWholeNumber(text, 0, std::numeric_limits<std::uint16_t>::max());
        if (!v)
            return Error{"Interval změny proudu musí být celé číslo 0 až 65535"};
        interval = static_cast<std::uint16_t>(*v);
    }
    table_->at(type).currentChangeInterval = interval;
    modified_ = true;
    return {};
}

Status BatteryTypesEditor::setAllowed(int type, int procedureNumber, bool allowed)
{
    if (auto st = checkType(type); !st)
        return st;
    const BatteryType& t = table_->at(type);
    std::vector<int> numbers;
    for (const auto& e : index_->entries())
        if (e.number == procedureNumber ? allowed : t.allows(e.number))
            numbers.push_back(e.number);
    // Numbers the index does not list (a procedure file of another station, say) stay.
    for (std::uint8_t n : t.allowedProcedures)
        if (index_->positionOfNumber(n) < 0 && (n != procedureNumber || allowed))
            numbers.push_back(n);
    if (allowed && index_->positionOfNumber(procedureNumber) < 0 && !t.allows(procedureNumber))
        numbers.push_back(procedureNumber);
    if (auto st = table_->setAllowedProcedures(type, numbers); !st)
        return st;
    modified_ = true;
    return {};
}

Result<int> BatteryTypesEditor::addType(int selected)
{
    if (auto st = checkEditable(); !st)
        return Error{st.error()};
    auto pos = table_->add(selected);
    if (pos)
        modified_ = true;
    return pos;
}

Status BatteryTypesEditor::removeType(int type)
{
    if (auto st = checkType(type); !st)
        return st;
    table_->remove(type);
    modified_ = true;
    return {};
}

Result<int> BatteryTypesEditor::moveTypeUp(int type)
{
    if (auto st = checkType(type); !st)
        return Error{st.error()};
    if (!table_->moveUp(type))
        return type;
    modified_ = true;
    return type - 1;
}

Result<int> BatteryTypesEditor::moveTypeDown(int type)
{
    if (auto st = checkType(type); !st)
        return Error{st.error()};
    if (!table_->moveDown(type))
        return type;
    modified_ = true;
    return type + 1;
}

Result<int> BatteryTypesEditor::addVariable(int type)
{
    if (auto st = checkType(type); !st)
        return Error{st.error()};
    if (auto st = table_->addVariable(type, {}); !st)
        return Error{st.error()};
    modified_ = true;
    return variableCount(type) - 1;
}

Status BatteryTypesEditor::removeVariable(int type, int variable)
{
    if (auto st = checkVariable(type, variable); !st)
        return st;
    table_->removeVariable(type, variable);
    modified_ = true;
    return {};
}

Status BatteryTypesEditor::copyType(int type)
{
    if (auto st = checkType(type); !st)
        return st;
    clipboard_ = table_->at(type);
    return {};
}

Status BatteryTypesEditor::pasteInto(int type)
{
    if (auto st = checkType(type); !st)
        return st;
    if (!clipboard_)
        return Error{"Není nic zkopírováno"};
    BatteryType& t = table_->at(type);
    t.variables = clipboard_->variables;
    t.currentChangeInterval = clipboard_->currentChangeInterval;
    t.allowedProcedures = clipboard_->allowedProcedures;
    modified_ = true;
    return {};
}

FileReport BatteryTypesEditor::save()
{
    FileReport report;
    if (auto st = checkEditable(); !st) {
        report.status = st;
        return report;
    }
    for (int i = 0; i < table_->size(); ++i) {
        const BatteryType& t = table_->at(i);
        if (t.chemistry > kChemistryPb) {
            report.status = Error{chemistryMissingMessage() + rowText(i)};
            return report;
        }
        for (std::size_t v = 0; v < t.variables.size(); ++v) {
            if (charCount(t.variables[v].id) != kVariableIdMax) {
                report.status = Error{"Baterie " + t.name + rowText(i) + ", proměnná " + std::to_string(v + 1) + ": " +
                                      variableIdMessage()};
                return report;
            }
        }
    }
    report = table_->save(home_, *clock_, *store_);
    if (report.ok())
        modified_ = false;
    return report;
}

std::optional<std::string> BatteryTypesEditor::closeQuestion() const
{
    if (!modified_)
        return std::nullopt;
    return batteryChangesQuestion();
}

FileReport BatteryTypesEditor::close(SaveAnswer answer)
{
    if (!modified_)
        return {};
    if (answer == SaveAnswer::Save)
        return save();
    // "Ne": the table the program uses is the one in the file again.
    modified_ = false;
    return table_->load(home_, *clock_);
}

} // namespace kapsorel
