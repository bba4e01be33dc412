#include "core/definitions/battery_type.h"

#include "core/base/bytes.h"

#include <algorithm>

namespace kapsorel {

namespace {
constexpr std::size_t kReservedBytes = 48;
constexpr std::size_t kVariableDescriptionCapacity = 20;
constexpr std::size_t kVariableIdCapacity = 2;
constexpr std::size_t kNameCapacity = 30;
} // namespace

const char* chemistryName(std::uint8_t chemistry)
{
    switch (chemistry) {
    case kChemistryNiCd:
        return "NiCd";
    case kChemistryPb:
        return "Pb";
    default:
        return "";
    }
}

const BatteryVariable* BatteryType::findVariable(std::string_view id) const
{
    for (const auto& v : variables)
        if (v.id == id)
            return &v;
    return nullptr;
}

const BatteryVariable* BatteryType::findReferenced(const StepValue& reference) const
{
    for (const auto& v : variables)
        if (reference.refersTo(v.id))
            return &v;
    return nullptr;
}

bool BatteryType::allows(int procedureNumber) const
{
    if (procedureNumber < 0 || procedureNumber > kMaxAllowableProcedureNumber)
        return false;
    return std::find(allowedProcedures.begin(), allowedProcedures.end(), static_cast<std::uint8_t>(procedureNumber)) !=
           allowedProcedures.end();
}

BatteryType parseBatteryType(std::span<const std::uint8_t> record)
{
    ByteReader r(record.first(std::min(record.size(), kBatteryTypeSize)));
    BatteryType t;
    t.head = r.i16();
    t.name = r.text(kNameCapacity);
    const std::uint8_t allowedCount = std::min<std::uint8_t>(r.u8(), kMaxAllowedProcedures);
    std::array<std::uint8_t, kMaxAllowedProcedures> allowed{};
    r.bytes(allowed);
    t.allowedProcedures.assign(allowed.begin(), allowed.begin() + allowedCount);
    t.chemistry = r.u8();
    const std::uint8_t variableCount = std::min<std::uint8_t>(r.u8(), kMaxBatteryVariables);
    for (int i = 0; i < kMaxBatteryVariables; ++i) {
        BatteryVariable v;
        v.description = r.text(kVariableDescriptionCapacity);
        v.id = r.text(kVariableIdCapacity);
        v.value = r.single();
        if (i < variableCount)
            t.variables.push_back(std::move(v));
    }
    t.currentChangeInterval = r.u16();
    r.skip(kReservedBytes);
    return t;
}

std::vector<std::uint8_t> serializeBatteryType(const BatteryType& type)
{
    ByteWriter w;
    w.i16(type.head);
    w.text(type.name, kNameCapacity);
    const std::size_t allowedCount = std::min<std::size_t>(type.allowedProcedures.size(), kMaxAllowedProcedures);
    w.u8(static_cast<std::uint8_t>(allowedCount));
    for (std::size_t i = 0; i < kMaxAllowedProcedures; ++i)
        w.u8(i < allowedCount ? type.allowedProcedures[i] : 0);
    w.u8(type.chemistry <= kChemistryPb ? type.chemistry : kChemistryInvalid);
    const std::size_t variableCount = std::min<std::size_t>(type.variables.size(), kMaxBatteryVariables);
    w.u8(static_cast<std::uint8_t>(variableCount));
    for (std::size_t i = 0; i < kMaxBatteryVariables; ++i) {
        if (i < variableCount) {
            w.text(type.variables[i].description, kVariableDescriptionCapacity);
            w.text(type.variables[i].id, kVariableIdCapacity);
            w.single(type.variables[i].value);
        } else {
            w.zeros(kBatteryVariableSize);
        }
    }
    w.u16(type.currentChangeInterval);
    w.zeros(kReservedBytes);
    return w.take();
}

Result<BatteryFile> parseBatteryFile(std::span<const std::uint8_t> data)
{
    if (data.size() < kBatteryFileHeaderSize)
        return Error{"soubor je zkrácený (" + std::to_string(data.size()) + " bajtů, potřeba " +
                     std::to_string(kBatteryFileHeaderSize) + ")"};
    const std::size_t count = data[1];
    if (count > static_cast<std::size_t>(kMaxBatteryTypes))
        return Error{"počet typů baterií " + std::to_string(count) + " je větší než " +
                     std::to_string(kMaxBatteryTypes)};
    const std::size_t need = kBatteryFileHeaderSize + count * kBatteryTypeSize;
    if (data.size() < need)
        return Error{"soubor je zkrácený (" + std::to_string(data.size()) + " bajtů, potřeba " + std::to_string(need) +
                     ")"};
    BatteryFile file;
    for (std::size_t i = 0; i < count; ++i) {
        const auto record = data.subspan(kBatteryFileHeaderSize + i * kBatteryTypeSize, kBatteryTypeSize);
        file.types.push_back(parseBatteryType(record));
        const auto& t = file.types.back();
        const std::string where = "Baterie " + std::to_string(i + 1) + " (" + t.name + "): ";
        if (t.chemistry > kChemistryPb)
            file.warnings.push_back("Chyba v souboru baterií");
        if (record[33] > kMaxAllowedProcedures)
            file.warnings.push_back(where + "počet povolených postupů " + std::to_string(record[33]) + " zkrácen na " +
                                    std::to_string(kMaxAllowedProcedures));
        if (record[45] > kMaxBatteryVariables)
            file.warnings.push_back(where + "počet proměnných " + std::to_string(record[45]) + " zkrácen na " +
                                    std::to_string(kMaxBatteryVariables));
    }
    return file;
}

Result<std::vector<std::uint8_t>> serializeBatteryFile(const std::vector<BatteryType>& types,
                                                       std::vector<std::string>* warnings)
{
    if (types.size() > static_cast<std::size_t>(kMaxBatteryTypes))
        return Error{"Nejvýše " + std::to_string(kMaxBatteryTypes) + " typů baterií"};
    for (const auto& t : types) {
        if (t.variables.size() > static_cast<std::size_t>(kMaxBatteryVariables))
            return Error{"Baterie " + t.name + " má více než " + std::to_string(kMaxBatteryVariables) + " proměnných"};
        if (t.allowedProcedures.size() > static_cast<std::size_t>(kMaxAllowedProcedures))
            return Error{"Baterie " + t.name + " má více než " + std::to_string(kMaxAllowedProcedures) +
                         " povolených postupů"};
    }
    ByteWriter w;
    w.u8(0);
    w.u8(static_cast<std::uint8_t>(types.size()));
    for (const auto& t : types) {
        if (t.chemistry > kChemistryPb && warnings)
            warnings->push_back("Není zadán typ baterie");
        w.bytes(serializeBatteryType(t));
    }
    return w.take();
}

} // namespace kapsorel
