#include "core/base/program_version.h"

// KAPSOREL_VERSION_MAJOR and KAPSOREL_VERSION_MINOR are given to this file alone by
// src/core/CMakeLists.txt, so a new version recompiles one source.
#if !defined(KAPSOREL_VERSION_MAJOR) || !defined(KAPSOREL_VERSION_MINOR)
#error "the build gives the version"
#endif

namespace kapsorel {

int programVersionMajor()
{
    return KAPSOREL_VERSION_MAJOR;
}

int programVersionMinor()
{
    return KAPSOREL_VERSION_MINOR;
}

std::string programVersion()
{
    return std::to_string(programVersionMajor()) + "." + std::to_string(programVersionMinor());
}

std::string versionLine(const std::string& program)
{
    return program + " " + programVersion();
}

} // namespace kapsorel
