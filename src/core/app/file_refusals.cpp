#include "core/app/file_refusals.h"

#include <filesystem>

namespace kapsorel {

std::optional<std::string> openRefusal(bool runActive)
{
    if (runActive)
        return std::string(test_file_messages::kRunActiveOpen);
    return std::nullopt;
}

std::optional<std::string> saveRefusal(const BatteryTestFile& file, bool runActive)
{
    if (!file.hasTestFile())
        return std::string(test_file_messages::kNothingToSave);
    const std::filesystem::path path = file.currentPath();
    if (std::error_code ec; !std::filesystem::exists(path, ec))
        return "Soubor " + path.string() + " neexistuje";
    if (runActive)
        return std::string(test_file_messages::kRunActiveSave);
    return std::nullopt;
}

} // namespace kapsorel
