// Module settings files: the sections' data block by block, where a section lies in each of
// the four layouts, putting sections into a file image and taking them out of it.
#include "core/service/settings_file.h"

#include "core/base/bytes.h"
#include "core/service/settings_checks.h"

#include <algorithm>
#include <array>
#include <system_error>

namespace kapsorel {

namespace settings_file {
const char* const kFilter = "Nastavení|*.bts|Vše|*.*";
const char* const kExtension = ".bts";
} // namespace settings_file

namespace {

using namespace settings_file;
using Bytes = std::vector<std::uint8_t>;

std::uint8_t marker(SettingsModule module)
{
    return static_cast<std::uint8_t>(module);
}

SettingsModule otherModule(SettingsModule module)
{
    return module == SettingsModule::Power ? SettingsModule::Measure : SettingsModule::Power;
}

bool isMarker(std::uint8_t byte)
{
    return byte == marker(SettingsModule::Power) || byte == marker(SettingsModule::Measure);
}

std::size_t sectionSize(SettingsModule module)
{
    return module == SettingsModule::Power ? kPowerSectionSize : kMeasureSectionSize;
}

// The byte that follows a first section of `first`: the second section's marker or 0.
std::size_t afterFirstSection(SettingsModule first)
{
    return kFirstSectionOffset + sectionSize(first);
}

// Byte 0 of a file begun by the module's writer.
std::uint8_t beganBy(SettingsModule module)
{
    return module == SettingsModule::Power ? 2 : 1;
}

std::string moduleName(SettingsModule module)
{
    return module == SettingsModule::Power ? "výkonového modulu" : "měřícího modulu";
}

std::string sourcePrefix(std::string_view source)
{
    return "Soubor nastavení " + std::string(source) + " : ";
}

// One block taken from the reader: its bytes, then the block's own decoding.
template <class Block> bool takeBlock(ByteReader& r, Block& out)
{
    std::array<std::uint8_t, Block::kSize> raw{};
    r.bytes(raw);
    if (!r.ok())
        return false;
    auto decoded = Block::decode(raw);
    if (!decoded)
        return false;
    out = decoded.value();
    return true;
}

Error wrongSectionSize(SettingsModule module, std::size_t got)
{
    return Error{"sekce " + moduleName(module) + " má " + std::to_string(got) + " B místo " +
                 std::to_string(sectionSize(module)) + " B"};
}

Bytes sectionData(const SettingsSections& sections, SettingsModule module)
{
    return module == SettingsModule::Power ? encodePowerSection(*sections.power)
                                           : encodeMeasureSection(*sections.measure);
}

// The sections given, in the order they are written: power, then measurement.
std::vector<SettingsModule> givenModules(const SettingsSections& sections)
{
    std::vector<SettingsModule> modules;
    if (sections.power)
        modules.push_back(SettingsModule::Power);
    if (sections.measure)
        modules.push_back(SettingsModule::Measure);
    return modules;
}

Error nothingToSave()
{
    return Error{"Není co uložit: žádná sekce modulu"};
}

// Puts one section into a settings file image of a known layout: in place when the module's
// section is there, else its marker at the end of the other section and the data after it.
void putSection(Bytes& file, SettingsModule module, const Bytes& data)
{
    std::size_t at = kFirstSectionOffset;
    if (file[1] == marker(otherModule(module))) {
        const std::size_t markerAt = afterFirstSection(otherModule(module));
        file[markerAt] = marker(module);
        at = markerAt + 1;
    }
    if (file.size() < at + data.size())
        file.resize(at + data.size());
    std::copy(data.begin(), data.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace

std::string noSectionMessage(SettingsModule module)
{
    return module == SettingsModule::Power ? "Neni v. modul" : "Neni m. modul";
}

BlockSet sectionBlocks(SettingsModule module)
{
    return module == SettingsModule::Power ? blocks::kPowerModule : blocks::kMeasureModule;
}

std::vector<std::uint8_t> encodePowerSection(const PowerImages& images)
{
    ByteWriter w;
    w.bytes(images.network.encode());
    w.bytes(images.ports.encode());
    w.bytes(images.settings.encode());
    w.bytes(images.adc.encode());
    w.bytes(images.sections.encode());
    return w.take();
}

std::vector<std::uint8_t> encodeMeasureSection(const MeasureImages& images)
{
    ByteWriter w;
    w.bytes(images.network.encode());
    w.bytes(images.ports.encode());
    w.bytes(images.cells.encode());
    return w.take();
}

Result<PowerImages> decodePowerSection(std::span<const std::uint8_t> data)
{
    if (data.size() != kPowerSectionSize)
        return wrongSectionSize(SettingsModule::Power, data.size());
    ByteReader r(data);
    PowerImages images;
    if (!takeBlock(r, images.network) || !takeBlock(r, images.ports) || !takeBlock(r, images.settings) ||
        !takeBlock(r, images.adc) || !takeBlock(r, images.sections))
        return wrongSectionSize(SettingsModule::Power, data.size());
    if (auto values = checkPowerImages(images); !values)
        return Error{values.error()};
    return images;
}

Result<MeasureImages> decodeMeasureSection(std::span<const std::uint8_t> data)
{
    if (data.size() != kMeasureSectionSize)
        return wrongSectionSize(SettingsModule::Measure, data.size());
    ByteReader r(data);
    MeasureImages images;
    if (!takeBlock(r, images.network) || !takeBlock(r, images.ports) || !takeBlock(r, images.cells))
        return wrongSectionSize(SettingsModule::Measure, data.size());
    if (auto values = checkMeasureImages(images); !values)
        return Error{values.error()};
    return images;
}

Status checkSettingsImage(std::span<const std::uint8_t> file)
{
    if (file.size() != kPowerOnlySize && file.size() != kMeasureOnlySize && file.size() != kBothSize)
        return Error{"délka " + std::to_string(file.size()) + " B neodpovídá souboru nastavení (" +
                     std::to_string(kPowerOnlySize) + ", " + std::to_string(kMeasureOnlySize) + " nebo " +
                     std::to_string(kBothSize) + " B)"};
    if (!isMarker(file[1]))
        return Error{"bajt 1 je " + std::to_string(file[1]) + " místo značky sekce 1 nebo 2"};
    const auto first = static_cast<SettingsModule>(file[1]);
    const std::size_t after = afterFirstSection(first);
    const bool both = file.size() == kBothSize;
    if (!both && file.size() != after + 1)
        return Error{"délka " + std::to_string(file.size()) + " B neodpovídá první sekci " + moduleName(first)};
    const std::uint8_t expected = both ? marker(otherModule(first)) : kNoSecondSection;
    if (file[after] != expected)
        return Error{"za sekcí " + moduleName(first) + " je bajt " + std::to_string(file[after]) + " místo " +
                     std::to_string(expected)};
    return {};
}

Result<std::vector<std::uint8_t>> freshSettingsImage(const SettingsSections& sections)
{
    const auto modules = givenModules(sections);
    if (modules.empty())
        return nothingToSave();
    const SettingsModule first = modules.front();
    ByteWriter w;
    w.u8(beganBy(first));
    w.u8(marker(first));
    w.bytes(sectionData(sections, first));
    w.u8(kNoSecondSection);
    Bytes file = w.take();
    for (std::size_t i = 1; i < modules.size(); ++i)
        putSection(file, modules[i], sectionData(sections, modules[i]));
    return file;
}

Result<std::vector<std::uint8_t>> updatedSettingsImage(std::span<const std::uint8_t> file,
                                                       const SettingsSections& sections)
{
    const auto modules = givenModules(sections);
    if (modules.empty())
        return nothingToSave();
    if (Status layout = checkSettingsImage(file); !layout)
        return Error{layout.error()};
    Bytes updated(file.begin(), file.end());
    for (SettingsModule module : modules)
        putSection(updated, module, sectionData(sections, module));
    return updated;
}

Result<std::size_t> findSection(std::span<const std::uint8_t> file, SettingsModule module, std::string_view source)
{
    if (file.size() < kFirstSectionOffset)
        return Error{sourcePrefix(source) + "je zkrácený (" + std::to_string(file.size()) + " B)"};
    if (!isMarker(file[1]))
        return Error{sourcePrefix(source) + "není soubor nastavení (bajt 1 je " + std::to_string(file[1]) + ")"};
    std::size_t at = kFirstSectionOffset;
    if (file[1] != marker(module)) {
        const std::size_t markerAt = afterFirstSection(otherModule(module));
        if (file.size() <= markerAt)
            return Error{sourcePrefix(source) + "je zkrácený: sekce " + moduleName(otherModule(module)) +
                         " končí za koncem souboru (" + std::to_string(file.size()) + " B)"};
        if (file[markerAt] != marker(module))
            return Error{noSectionMessage(module)};
        at = markerAt + 1;
    }
    const std::size_t need = at + sectionSize(module);
    if (file.size() < need)
        return Error{sourcePrefix(source) + "je zkrácený: sekce " + moduleName(module) + " potřebuje " +
                     std::to_string(need) + " B, soubor má " + std::to_string(file.size()) + " B"};
    return at;
}

SettingsLoad loadSettingsImage(std::span<const std::uint8_t> file, SettingsOpen which, std::string_view source)
{
    SettingsLoad load;
    // The layout is checked whole before any section is taken, as a save checks it.
    if (Status layout = checkSettingsImage(file); !layout) {
        load.messages.push_back(sourcePrefix(source) + "není soubor nastavení (" + layout.error() + ")");
        return load;
    }
    auto take = [&](SettingsModule module) {
        auto at = findSection(file, module, source);
        if (!at) {
            load.messages.push_back(at.error());
            return;
        }
        const auto data = file.subspan(*at, sectionSize(module));
        if (module == SettingsModule::Power) {
            auto images = decodePowerSection(data);
            if (!images) {
                load.messages.push_back(sourcePrefix(source) + images.error());
                return;
            }
            load.power = images.value();
        } else {
            auto images = decodeMeasureSection(data);
            if (!images) {
                load.messages.push_back(sourcePrefix(source) + images.error());
                return;
            }
            load.measure = images.value();
        }
        load.loaded |= sectionBlocks(module);
    };
    if (which != SettingsOpen::Measure)
        take(SettingsModule::Power);
    if (which != SettingsOpen::Power)
        take(SettingsModule::Measure);
    return load;
}

std::string replaceQuestion(const std::filesystem::path& path)
{
    return "Soubor " + path.string() + " není soubor nastavení. Nahradit ho?";
}

SettingsSave saveSettingsFile(const std::filesystem::path& path, const SettingsSections& sections, FileStore& store,
                              Clock& clock)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return {replaceSettingsFile(path, sections, store, clock)};
    auto old = store.read(path, clock);
    if (!old)
        return {old.status()};
    if (Status layout = checkSettingsImage(old.value()); !layout)
        return {Error{"Soubor " + path.string() + " není soubor nastavení (" + layout.error() + ")"}, true};
    auto updated = updatedSettingsImage(old.value(), sections);
    if (!updated)
        return {updated.status()};
    return {store.replace(path, updated.value(), clock)};
}

Status replaceSettingsFile(const std::filesystem::path& path, const SettingsSections& sections, FileStore& store,
                           Clock& clock)
{
    auto fresh = freshSettingsImage(sections);
    if (!fresh)
        return fresh.status();
    return store.replace(path, fresh.value(), clock);
}

SettingsLoad openSettingsFile(const std::filesystem::path& path, SettingsOpen which, FileStore& store, Clock& clock)
{
    auto file = store.read(path, clock);
    if (!file) {
        SettingsLoad refused;
        refused.messages.push_back(file.error());
        return refused;
    }
    return loadSettingsImage(file.value(), which, path.string());
}

} // namespace kapsorel
