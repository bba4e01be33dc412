#include "core/definitions/definition_paths.h"

#include <cstdio>

namespace kapsorel {

std::filesystem::path procedureFolder(const std::filesystem::path& home)
{
    return home / "Postupy";
}

std::filesystem::path procedureIndexPath(const std::filesystem::path& home)
{
    return procedureFolder(home) / "Postupy.idx";
}

std::filesystem::path procedureFilePath(const std::filesystem::path& home, int number)
{
    return procedureFolder(home) / procedureFileName(number);
}

std::filesystem::path batteryFilePath(const std::filesystem::path& home)
{
    return procedureFolder(home) / "Baterie.cfg";
}

std::string procedureFileName(int number)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "%3.3d.psp", number);
    return buf;
}

} // namespace kapsorel
