#include "core/engine/manual_procedure.h"

#include "core/definitions/step_types.h"

namespace kapsorel {

namespace {

void setStep(RunStep& s, StepType type, std::uint16_t interval, float v1, float v2)
{
    s.type = static_cast<std::uint8_t>(type);
    s.recordInterval = interval;
    s.value1 = v1;
    s.value2 = v2;
    s.startCondition[0].joiner = 0;
    // The reports select and describe steps by these; nothing of the previous procedure stays.
    s.printNumber = 0;
    s.reportNumber = 0;
    s.description.clear();
}

} // namespace

void buildManualProcedure(RunProcedure& procedure, const ManualRun& manual)
{
    procedure.stepCount = 4;
    auto& drive = procedure.steps[0];
    setStep(drive, manual.discharge ? StepType::Discharge : StepType::Charge, manual.period, manual.voltage,
            manual.current);
    drive.endCondition[0].variable = 0; // "Doba"
    drive.endCondition[0].relation = 4; // ">="
    drive.endCondition[0].threshold = static_cast<float>(manual.seconds);
    drive.endCondition[0].joiner = 1;
    drive.endCondition[1].joiner = 0;

    auto& stop = procedure.steps[1];
    setStep(stop, manual.discharge ? StepType::EndOfDischarge : StepType::EndOfCharge, 0, 0, 0);
    stop.endCondition[0].joiner = 0;

    auto& signal = procedure.steps[2];
    setStep(signal, StepType::Signalling, 0, 255, 0);
    signal.text = "Konec";
    signal.endCondition[0].joiner = 0;

    auto& end = procedure.steps[3];
    setStep(end, StepType::End, 0, 0, 0);
    end.text.clear();
    end.endCondition[0].joiner = 0;
}

} // namespace kapsorel
