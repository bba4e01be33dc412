#include "core/definitions/prepare_run.h"

#include "core/definitions/definition_paths.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/text_cut.h"

namespace kapsorel {

std::string missingVariableMessage(std::string_view batteryName, std::string_view id)
{
    std::string text = cutChars("U baterie " + std::string(batteryName), 40);
    text = cutChars(text + "není proměnná #", 55);
    return text + std::string(id);
}

std::string emptyProcedureMessage()
{
    return "Postup neobsahuje žádné kroky";
}

float resolveValue(const StepValue& value, const std::vector<BatteryType>& types, std::int16_t batteryIndex,
                   LoadError& error)
{
    if (!value.isReference())
        return value.single();
    if (batteryIndex < 0 || static_cast<std::size_t>(batteryIndex) >= types.size()) {
        error.set = true;
        return 0.0f;
    }
    const BatteryType& type = types[static_cast<std::size_t>(batteryIndex)];
    if (const BatteryVariable* var = type.findReferenced(value))
        return var->value;
    error.set = true;
    error.message = missingVariableMessage(type.name, value.referenceId());
    return 0.0f;
}

namespace {

// Copies a condition, resolving the thresholds of the used terms; false on a load error.
bool resolveCondition(const Condition& in, RunCondition& out, const std::vector<BatteryType>& types,
                      std::int16_t batteryIndex, LoadError& error)
{
    for (std::size_t i = 0; i < in.size(); ++i) {
        RunConditionTerm t;
        t.joiner = in[i].joiner;
        if (t.joiner != 0) {
            t.variable = in[i].variable;
            t.relation = in[i].relation;
            t.threshold = resolveValue(in[i].value, types, batteryIndex, error);
            if (error.set)
                return false;
        }
        out[i] = t;
    }
    return true;
}

bool resolveStep(const ProcedureStep& in, RunStep& out, const std::vector<BatteryType>& types,
                 std::int16_t batteryIndex, LoadError& error)
{
    out.recordInterval = in.recordInterval;
    out.type = in.type;
    out.printNumber = in.printNumber;
    out.reportNumber = in.reportNumber;
    out.text = in.text;
    out.description = in.description;
    out.value1 = resolveValue(in.value1, types, batteryIndex, error);
    if (error.set)
        return false;
    out.value2 = resolveValue(in.value2, types, batteryIndex, error);
    if (error.set)
        return false;
    return resolveCondition(in.startCondition, out.startCondition, types, batteryIndex, error) &&
           resolveCondition(in.endCondition, out.endCondition, types, batteryIndex, error);
}

} // namespace

void prepareRun(const Procedure& procedure, const std::vector<BatteryType>& types, std::int16_t batteryIndex,
                RunProcedure& run, LoadError& error)
{
    run.stepCount = 0;
    if (procedure.steps.size() > static_cast<std::size_t>(kMaxSteps)) {
        error.set = true;
        error.message = tooManyStepsMessage();
        return;
    }
    for (std::size_t i = 0; i < procedure.steps.size(); ++i) {
        if (!resolveStep(procedure.steps[i], run.steps[i], types, batteryIndex, error)) {
            run.stepCount = 0;
            return;
        }
    }
    run.stepCount = static_cast<std::uint8_t>(procedure.steps.size());
}

void prepareRun(const std::filesystem::path& home, std::int16_t number, const std::vector<BatteryType>& types,
                std::int16_t batteryIndex, RunProcedure& run, LoadError& error, Clock& clock)
{
    run.stepCount = 0;
    const auto path = procedureFilePath(home, number);
    std::error_code ec;
    if (number < 0 || !std::filesystem::exists(path, ec)) {
        error.set = true;
        error.message = "Soubor postupu " + path.string() + " neexistuje";
        return;
    }
    auto procedure = loadProcedureFile(path, clock);
    if (!procedure) {
        error.set = true;
        error.message = procedure.error();
        return;
    }
    if (procedure->steps.empty()) {
        error.set = true;
        error.message = emptyProcedureMessage();
        return;
    }
    prepareRun(procedure.value(), types, batteryIndex, run, error);
}

} // namespace kapsorel
