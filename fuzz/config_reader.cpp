// Feeds arbitrary bytes to the configuration reader, reads and writes keys, and checks
// that an untouched file comes back byte for byte and that written values read back.
#include "core/app/config_file.h"
#include "core/app/station_settings.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

using namespace kapsorel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    ConfigFile cfg = ConfigFile::fromBytes(bytes);
    if (cfg.toBytes() != std::vector<std::uint8_t>(data, data + size))
        std::abort();

    const StationSettings s = loadStationSettings(cfg, "/home");
    (void)readLastTest(cfg);

    // A value straight from the input reaches the writer; the section name is kept
    // printable so it survives either encoding.
    const std::string raw(reinterpret_cast<const char*>(data), size < 12 ? size : 12);
    std::string section = "S";
    for (char c : raw)
        section.push_back(static_cast<char>(' ' + static_cast<unsigned char>(c) % 95));
    cfg.writeString("Nastaveni", "Stanice", raw);
    cfg.writeInt(section, "K", 42);
    saveStationSettings(cfg, s);

    const std::vector<std::uint8_t> written = cfg.toBytes();
    ConfigFile again = ConfigFile::fromBytes(std::span<const std::uint8_t>(written));
    // A UTF-8 file stays UTF-8. A Windows-1250 file whose last non-UTF-8 byte was
    // overwritten reads as UTF-8 from then on, as any such file would.
    const bool sameEncoding = again.encoding() == cfg.encoding();
    if (cfg.encoding() == ConfigFile::Encoding::Utf8 && !sameEncoding)
        std::abort();
    if (again.readInt(section, "K", 0) != 42)
        std::abort();
    const StationSettings back = loadStationSettings(again, "/home");
    if (sameEncoding && s.powerModuleAddress.find('\r') == std::string::npos &&
        back.powerModuleAddress != s.powerModuleAddress)
        std::abort();
    if (back.powerModuleTcpPort != s.powerModuleTcpPort || back.cellOtherColours != s.cellOtherColours ||
        back.cellFailLimit != s.cellFailLimit)
        std::abort();
    return 0;
}
