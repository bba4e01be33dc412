#include "core/definitions/procedure_index.h"

#include "core/base/bytes.h"
#include "core/base/files.h"
#include "core/definitions/definition_paths.h"
#include "core/definitions/procedure_file.h"
#include "core/definitions/text_cut.h"

#include <algorithm>
#include <utility>

namespace kapsorel {

namespace {
constexpr std::size_t kNameCapacity = 31;
} // namespace

std::string duplicateProcedureMessage()
{
    return "Takový postup již existuje";
}
std::string procedureInUseMessage()
{
    return "Postup použit, nelze smazat";
}
std::string tooManyProceduresMessage()
{
    return "Nelze přidat další postup, nejvýše " + std::to_string(kMaxProcedures) + " postupů";
}

ProcedureIndexEntry parseIndexEntry(std::span<const std::uint8_t> record)
{
    ByteReader r(record.first(std::min(record.size(), kIndexEntrySize)));
    ProcedureIndexEntry e;
    e.number = r.u16();
    e.name = r.text(kNameCapacity);
    return e;
}

std::vector<std::uint8_t> serializeIndexEntry(const ProcedureIndexEntry& entry)
{
    ByteWriter w;
    w.u16(entry.number);
    w.text(entry.name, kNameCapacity);
    return w.take();
}

std::string refusedIndexEntryMessage(const ProcedureIndexEntry& entry)
{
    return "Postup " + entry.name + " má v seznamu postupů číslo " + std::to_string(entry.number) + ", nejvýše " +
           std::to_string(kMaxProcedureNumber) + "; nebyl načten";
}

Result<std::vector<ProcedureIndexEntry>> parseProcedureIndex(std::span<const std::uint8_t> data,
                                                             std::vector<std::string>* warnings)
{
    const std::size_t count = data.size() / kIndexEntrySize;
    if (count > static_cast<std::size_t>(kMaxProcedures))
        return Error{"seznam obsahuje " + std::to_string(count) + " postupů, nejvýše " +
                     std::to_string(kMaxProcedures)};
    std::vector<ProcedureIndexEntry> entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        auto entry = parseIndexEntry(data.subspan(i * kIndexEntrySize, kIndexEntrySize));
        if (entry.number > kMaxProcedureNumber) {
            if (warnings)
                warnings->push_back(refusedIndexEntryMessage(entry));
            continue;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::uint8_t> serializeProcedureIndex(const std::vector<ProcedureIndexEntry>& entries)
{
    std::vector<std::uint8_t> out;
    out.reserve(entries.size() * kIndexEntrySize);
    for (const auto& e : entries) {
        const auto rec = serializeIndexEntry(e);
        out.insert(out.end(), rec.begin(), rec.end());
    }
    return out;
}

ProcedureIndex::ProcedureIndex(std::filesystem::path home, Clock& clock) : home_(std::move(home)), clock_(&clock) {}

FileReport ProcedureIndex::load()
{
    FileReport report;
    entries_.clear();
    writable_ = false;
    if (auto st = ensureFolder(procedureFolder(home_)); !st) {
        report.status = st;
        return report;
    }
    const auto path = procedureIndexPath(home_);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        writable_ = true;
        return report;
    }
    // One short entry per procedure.
    constexpr std::uint64_t kMaxIndexBytes = std::uint64_t{1} << 20;
    auto data = readFileRetrying(path, *clock_, kMaxIndexBytes);
    if (!data) {
        report.status = data.status();
        return report;
    }
    auto entries = parseProcedureIndex(data.value(), &report.warnings);
    if (!entries) {
        report.warnings.clear();
        report.status = Error{"Chybný soubor " + path.string() + " : " + entries.error()};
        return report;
    }
    entries_ = std::move(entries.value());
    writable_ = true;
    return report;
}

std::string ProcedureIndex::procedureNameByNumber(std::int16_t number) const
{
    const int pos = positionOfNumber(number);
    return pos < 0 ? std::string() : entries_[static_cast<std::size_t>(pos)].name;
}

int ProcedureIndex::positionOfName(std::string_view name) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].name == name)
            return static_cast<int>(i);
    return -1;
}

int ProcedureIndex::positionOfNumber(int number) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].number == number)
            return static_cast<int>(i);
    return -1;
}

bool ProcedureIndex::nameTaken(std::string_view name, int exceptPosition) const
{
    const std::string stored = storedText(name, kProcedureNameMax);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (static_cast<int>(i) != exceptPosition && entries_[i].name == stored)
            return true;
    return false;
}

Result<std::uint16_t> ProcedureIndex::smallestFreeNumber() const
{
    for (int n = 0; n <= kMaxProcedureNumber; ++n)
        if (positionOfNumber(n) < 0)
            return static_cast<std::uint16_t>(n);
    return Error{"Není volné číslo postupu"};
}

Status ProcedureIndex::checkWritable() const
{
    if (!writable_)
        return Error{"Seznam postupů nebyl načten, změny nejsou možné"};
    return {};
}

Status ProcedureIndex::writeIndex(const std::vector<ProcedureIndexEntry>& entries)
{
    if (auto st = ensureFolder(procedureFolder(home_)); !st)
        return st;
    return writeFileRetrying(procedureIndexPath(home_), serializeProcedureIndex(entries), *clock_);
}

Result<int> ProcedureIndex::addProcedure(std::string_view name)
{
    if (auto st = checkWritable(); !st)
        return Error{st.error()};
    if (size() >= kMaxProcedures)
        return Error{tooManyProceduresMessage()};
    if (nameTaken(name))
        return Error{duplicateProcedureMessage()};
    auto number = smallestFreeNumber();
    if (!number)
        return Error{number.error()};
    if (auto st = ensureFolder(procedureFolder(home_)); !st)
        return Error{st.error()};
    if (auto st = writeFileRetrying(procedureFilePath(home_, number.value()), {0}, *clock_); !st)
        return Error{st.error()};
    auto entries = entries_;
    entries.push_back({number.value(), storedText(name, kProcedureNameMax)});
    if (auto st = writeIndex(entries); !st)
        return Error{st.error()};
    entries_ = std::move(entries);
    return size() - 1;
}

Status ProcedureIndex::renameProcedure(int position, std::string_view name)
{
    if (auto st = checkWritable(); !st)
        return st;
    if (position < 0 || position >= size())
        return Error{"Postup nenalezen"};
    if (nameTaken(name, position))
        return Error{duplicateProcedureMessage()};
    auto entries = entries_;
    entries[static_cast<std::size_t>(position)].name = storedText(name, kProcedureNameMax);
    if (auto st = writeIndex(entries); !st)
        return st;
    entries_ = std::move(entries);
    return {};
}

Status ProcedureIndex::removeProcedure(int position, const std::vector<BatteryType>& batteryTypes)
{
    if (auto st = checkWritable(); !st)
        return st;
    if (position < 0 || position >= size())
        return Error{"Postup nenalezen"};
    const int number = entries_[static_cast<std::size_t>(position)].number;
    for (const auto& t : batteryTypes)
        if (t.allows(number))
            return Error{procedureInUseMessage()};
    auto entries = entries_;
    entries.erase(entries.begin() + position);
    if (auto st = writeIndex(entries); !st)
        return st;
    entries_ = std::move(entries);
    std::error_code ec;
    std::filesystem::remove(procedureFilePath(home_, number), ec);
    return {};
}

Status ProcedureIndex::exchange(int a, int b)
{
    if (auto st = checkWritable(); !st)
        return st;
    if (a < 0 || b < 0 || a >= size() || b >= size())
        return Error{"Postup nenalezen"};
    if (a == b)
        return {};
    auto entries = entries_;
    std::swap(entries[static_cast<std::size_t>(a)], entries[static_cast<std::size_t>(b)]);
    if (auto st = writeIndex(entries); !st)
        return st;
    entries_ = std::move(entries);
    return {};
}

std::filesystem::path ProcedureIndex::procedurePath(int position) const
{
    return procedureFilePath(home_, at(position).number);
}

Result<Procedure> ProcedureIndex::loadProcedure(int position) const
{
    if (position < 0 || position >= size())
        return Error{"Postup nenalezen"};
    return loadProcedureFile(procedurePath(position), *clock_);
}

Status ProcedureIndex::saveProcedure(int position, const Procedure& procedure) const
{
    if (position < 0 || position >= size())
        return Error{"Postup nenalezen"};
    if (auto st = ensureFolder(procedureFolder(home_)); !st)
        return st;
    return saveProcedureFile(procedurePath(position), procedure, *clock_);
}

} // namespace kapsorel
