#include "core/definitions/battery_table.h"

#include "core/base/files.h"
#include "core/definitions/definition_paths.h"
#include "core/definitions/text_cut.h"

#include <algorithm>
#include <utility>

namespace kapsorel {

std::string noSuchTypeMessage()
{
    return "Typ baterie nenalezen";
}

std::string tooManyBatteryTypesMessage()
{
    return "Nelze přidat další typ baterie, nejvýše " + std::to_string(kMaxBatteryTypes);
}

std::string tooManyVariablesMessage()
{
    return "Typ baterie může mít nejvýše " + std::to_string(kMaxBatteryVariables) + " proměnných";
}

std::string procedureNotAllowableMessage(int number)
{
    return "Postup číslo " + std::to_string(number) + " nelze povolit, typ baterie povoluje jen postupy 0 až " +
           std::to_string(kMaxAllowableProcedureNumber);
}

std::string tooManyAllowedProceduresMessage()
{
    return "Typ baterie může mít nejvýše " + std::to_string(kMaxAllowedProcedures) + " povolených postupů";
}

FileReport BatteryTable::load(const std::filesystem::path& home, Clock& clock)
{
    FileReport report;
    types_.clear();
    writable_ = true;
    if (auto st = ensureFolder(procedureFolder(home)); !st) {
        writable_ = false;
        report.status = st;
        return report;
    }
    const auto path = batteryFilePath(home);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return report;
    // 656-byte battery types: room for thousands.
    constexpr std::uint64_t kMaxBatteryTableBytes = std::uint64_t{4} << 20;
    auto data = readFileRetrying(path, clock, kMaxBatteryTableBytes);
    if (!data) {
        writable_ = false;
        report.status = data.status();
        return report;
    }
    auto file = parseBatteryFile(data.value());
    if (!file) {
        writable_ = false;
        report.status = Error{"Chybný soubor baterií " + path.string() + " : " + file.error()};
        return report;
    }
    types_ = std::move(file->types);
    report.warnings = std::move(file->warnings);
    return report;
}

FileReport BatteryTable::save(const std::filesystem::path& home, Clock& clock, FileStore& store) const
{
    FileReport report;
    if (!writable_) {
        report.status = Error{"Soubor baterií nebyl načten, uložení by přepsalo jeho obsah"};
        return report;
    }
    if (auto st = ensureFolder(procedureFolder(home)); !st) {
        report.status = st;
        return report;
    }
    auto data = serializeBatteryFile(types_, &report.warnings);
    if (!data) {
        report.status = data.status();
        return report;
    }
    report.status = store.replace(batteryFilePath(home), data.value(), clock);
    return report;
}

Status BatteryTable::assign(std::vector<BatteryType> types)
{
    if (types.size() > static_cast<std::size_t>(kMaxBatteryTypes))
        return Error{tooManyBatteryTypesMessage()};
    for (const auto& t : types) {
        if (t.variables.size() > static_cast<std::size_t>(kMaxBatteryVariables))
            return Error{tooManyVariablesMessage()};
        if (t.allowedProcedures.size() > static_cast<std::size_t>(kMaxAllowedProcedures))
            return Error{tooManyAllowedProceduresMessage()};
    }
    types_ = std::move(types);
    writable_ = true;
    return {};
}

int BatteryTable::findByName(std::string_view name) const
{
    for (std::size_t i = 0; i < types_.size(); ++i)
        if (types_[i].name == name)
            return static_cast<int>(i);
    return -1;
}

bool BatteryTable::anyAllows(int procedureNumber) const
{
    return std::any_of(types_.begin(), types_.end(), [&](const BatteryType& t) { return t.allows(procedureNumber); });
}

Result<int> BatteryTable::add(int copyFrom)
{
    if (types_.size() >= static_cast<std::size_t>(kMaxBatteryTypes))
        return Error{tooManyBatteryTypesMessage()};
    BatteryType t;
    t.chemistry = kChemistryInvalid;
    if (copyFrom >= 0 && copyFrom < size()) {
        t.variables = types_[static_cast<std::size_t>(copyFrom)].variables;
        t.allowedProcedures = types_[static_cast<std::size_t>(copyFrom)].allowedProcedures;
    }
    types_.push_back(std::move(t));
    return size() - 1;
}

void BatteryTable::remove(int position)
{
    if (position >= 0 && position < size())
        types_.erase(types_.begin() + position);
}

bool BatteryTable::moveUp(int position)
{
    if (position <= 0 || position >= size())
        return false;
    std::swap(types_[static_cast<std::size_t>(position)], types_[static_cast<std::size_t>(position - 1)]);
    return true;
}

bool BatteryTable::moveDown(int position)
{
    if (position < 0 || position + 1 >= size())
        return false;
    std::swap(types_[static_cast<std::size_t>(position)], types_[static_cast<std::size_t>(position + 1)]);
    return true;
}

namespace {
BatteryVariable cutVariable(BatteryVariable v)
{
    v.description = cutChars(v.description, kVariableDescriptionMax);
    v.id = cutChars(v.id, kVariableIdMax);
    return v;
}
} // namespace

Status BatteryTable::addVariable(int position, BatteryVariable variable)
{
    if (position < 0 || position >= size())
        return Error{noSuchTypeMessage()};
    auto& t = at(position);
    if (t.variables.size() >= static_cast<std::size_t>(kMaxBatteryVariables))
        return Error{tooManyVariablesMessage()};
    t.variables.push_back(cutVariable(std::move(variable)));
    return {};
}

void BatteryTable::removeVariable(int position, int variableIndex)
{
    if (position < 0 || position >= size())
        return;
    auto& vars = at(position).variables;
    if (variableIndex >= 0 && variableIndex < static_cast<int>(vars.size()))
        vars.erase(vars.begin() + variableIndex);
}

Status BatteryTable::setVariables(int position, std::vector<BatteryVariable> variables)
{
    if (variables.size() > static_cast<std::size_t>(kMaxBatteryVariables))
        return Error{tooManyVariablesMessage()};
    if (position < 0 || position >= size())
        return Error{noSuchTypeMessage()};
    for (auto& v : variables)
        v = cutVariable(std::move(v));
    at(position).variables = std::move(variables);
    return {};
}

Status BatteryTable::setAllowedProcedures(int position, const std::vector<int>& numbers)
{
    if (numbers.size() > static_cast<std::size_t>(kMaxAllowedProcedures))
        return Error{tooManyAllowedProceduresMessage()};
    if (position < 0 || position >= size())
        return Error{noSuchTypeMessage()};
    std::vector<std::uint8_t> allowed;
    for (int n : numbers) {
        if (n < 0 || n > kMaxAllowableProcedureNumber)
            return Error{procedureNotAllowableMessage(n)};
        allowed.push_back(static_cast<std::uint8_t>(n));
    }
    at(position).allowedProcedures = std::move(allowed);
    return {};
}

void BatteryTable::setName(int position, std::string_view name)
{
    if (position >= 0 && position < size())
        at(position).name = storedText(name, kBatteryNameMax);
}

} // namespace kapsorel
