#include "core/definitions/procedure_file.h"

#include "core/base/bytes.h"
#include "core/base/files.h"
#include "core/definitions/step_types.h"

#include <string>

namespace kapsorel {

namespace {

constexpr std::size_t kReservedHeaderBytes = 50;
constexpr std::size_t kReservedStepBytes = 50;

StepValue readValue(ByteReader& r)
{
    StepValue v;
    v.format = r.u8();
    r.bytes(v.bytes);
    return v;
}

void writeValue(ByteWriter& w, const StepValue& v)
{
    w.u8(v.format);
    w.bytes(v.bytes);
}

Condition readCondition(ByteReader& r)
{
    Condition c{};
    for (auto& term : c) {
        term.variable = r.u8();
        term.relation = r.u8();
        term.value = readValue(r);
        term.joiner = r.u8();
        r.bytes(term.spare);
    }
    return c;
}

void writeCondition(ByteWriter& w, const Condition& c)
{
    for (const auto& term : c) {
        w.u8(term.variable);
        w.u8(term.relation);
        writeValue(w, term.value);
        w.u8(term.joiner);
        w.bytes(term.spare);
    }
}

Status checkCondition(const Condition& c, const char* which)
{
    for (std::size_t i = 0; i < c.size() && c[i].joiner != 0; ++i) {
        if (c[i].value.format > kFormatMax)
            return Error{std::string(which) + ", člen " + std::to_string(i + 1) + ": neplatný formát hodnoty " +
                         std::to_string(c[i].value.format)};
    }
    return {};
}

std::string sizeMessage(std::size_t have, std::size_t need)
{
    return "soubor je zkrácený (" + std::to_string(have) + " bajtů, potřeba " + std::to_string(need) + ")";
}

} // namespace

Result<ProcedureStep> parseProcedureStep(std::span<const std::uint8_t> record)
{
    if (record.size() < kProcedureStepSize)
        return Error{"záznam kroku je zkrácený"};
    ByteReader r(record.first(kProcedureStepSize));
    ProcedureStep s;
    s.recordInterval = r.u16();
    s.type = r.u8();
    s.value1 = readValue(r);
    s.value2 = readValue(r);
    s.printNumber = r.u8();
    s.reportNumber = r.u8();
    s.text = r.text(kStepTextCapacity);
    s.description = r.text(kDescriptionCapacity);
    s.startCondition = readCondition(r);
    s.endCondition = readCondition(r);
    r.skip(kReservedStepBytes);
    if (!r.ok())
        return Error{"záznam kroku je zkrácený"};

    if (s.type >= kStepTypeCount)
        return Error{"neznámý typ kroku " + std::to_string(s.type)};
    if (s.value1.format > kFormatMax)
        return Error{"neplatný formát hodnoty 1 (" + std::to_string(s.value1.format) + ")"};
    if (s.value2.format > kFormatMax)
        return Error{"neplatný formát hodnoty 2 (" + std::to_string(s.value2.format) + ")"};
    if (auto st = checkCondition(s.startCondition, "podmínka před"); !st)
        return Error{st.error()};
    if (auto st = checkCondition(s.endCondition, "podmínka ukončení"); !st)
        return Error{st.error()};
    return s;
}

std::vector<std::uint8_t> serializeProcedureStep(const ProcedureStep& step)
{
    ByteWriter w;
    w.u16(step.recordInterval);
    w.u8(step.type);
    writeValue(w, step.value1);
    writeValue(w, step.value2);
    w.u8(step.printNumber);
    w.u8(step.reportNumber);
    w.text(step.text, kStepTextCapacity);
    w.text(step.description, kDescriptionCapacity);
    writeCondition(w, step.startCondition);
    writeCondition(w, step.endCondition);
    w.zeros(kReservedStepBytes);
    return w.take();
}

Result<Procedure> parseProcedure(std::span<const std::uint8_t> data)
{
    if (data.empty())
        return Error{sizeMessage(0, 1)};
    ByteReader r(data);
    const std::uint8_t count = r.u8();
    Procedure p;
    if (count == 0) {
        // The editor saves an empty procedure with its note; a new procedure's file is the
        // single byte 0 and has none.
        if (data.size() >= 1 + kNoteCapacity + 1)
            p.note = r.text(kNoteCapacity);
        return p;
    }
    if (count > kMaxSteps)
        return Error{"počet kroků " + std::to_string(count) + " je větší než " + std::to_string(kMaxSteps)};
    const std::size_t need = kProcedureHeaderSize + static_cast<std::size_t>(count) * kProcedureStepSize;
    if (data.size() < need)
        return Error{sizeMessage(data.size(), need)};
    p.note = r.text(kNoteCapacity);
    r.skip(kReservedHeaderBytes);
    p.steps.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        auto step = parseProcedureStep(data.subspan(kProcedureHeaderSize + i * kProcedureStepSize, kProcedureStepSize));
        if (!step)
            return Error{"krok " + std::to_string(i + 1) + ": " + step.error()};
        p.steps.push_back(std::move(step.value()));
    }
    return p;
}

Result<std::vector<std::uint8_t>> serializeProcedure(const Procedure& procedure)
{
    if (procedure.steps.size() > static_cast<std::size_t>(kMaxSteps))
        return Error{tooManyStepsMessage()};
    ByteWriter w;
    w.u8(static_cast<std::uint8_t>(procedure.steps.size()));
    w.text(procedure.note, kNoteCapacity);
    w.zeros(kReservedHeaderBytes);
    for (const auto& step : procedure.steps)
        w.bytes(serializeProcedureStep(step));
    return w.take();
}

Result<Procedure> loadProcedureFile(const std::filesystem::path& path, Clock& clock)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return Procedure{};
    // At most 200 steps of 291 bytes and a header: far less than this.
    constexpr std::uint64_t kMaxProcedureBytes = std::uint64_t{1} << 20;
    auto data = readFileRetrying(path, clock, kMaxProcedureBytes);
    if (!data)
        return Error{data.error()};
    auto p = parseProcedure(data.value());
    if (!p)
        return Error{"Chybný soubor postupu " + path.string() + " : " + p.error()};
    return p;
}

Status saveProcedureFile(const std::filesystem::path& path, const Procedure& procedure, Clock& clock)
{
    auto data = serializeProcedure(procedure);
    if (!data)
        return data.status();
    return writeFileRetrying(path, data.value(), clock);
}

std::string tooManyStepsMessage()
{
    return "Postup může mít nejvýše " + std::to_string(kMaxSteps) + " kroků";
}

Status checkRoomForSteps(const Procedure& procedure, int adding)
{
    if (adding < 0 || procedure.steps.size() + static_cast<std::size_t>(adding) > static_cast<std::size_t>(kMaxSteps))
        return Error{tooManyStepsMessage()};
    return {};
}

} // namespace kapsorel
