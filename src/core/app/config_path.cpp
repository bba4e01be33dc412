#include "core/app/config_path.h"

#include <system_error>

namespace kapsorel {

ConfigPathChoice chooseConfigPath(const std::vector<std::string>& args, const std::filesystem::path& exeDir,
                                  const FileExists& exists)
{
    ConfigPathChoice choice;
    if (args.size() == 1) {
        const std::filesystem::path named(args.front());
        if (!args.front().empty() && exists(named)) {
            choice.path = named;
            return choice;
        }
        choice.message = "INI file neexistuje:" + args.front();
    }
    choice.path = exeDir / kConfigFileName;
    return choice;
}

ConfigPathChoice chooseConfigPath(const std::vector<std::string>& args, const std::filesystem::path& exeDir)
{
    return chooseConfigPath(args, exeDir, [](const std::filesystem::path& p) {
        std::error_code ec;
        return std::filesystem::exists(p, ec) && !std::filesystem::is_directory(p, ec);
    });
}

std::filesystem::path executableDirectory(const char* argv0)
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && !self.empty())
        return self.parent_path();
    if (argv0 == nullptr || *argv0 == '\0')
        return std::filesystem::current_path(ec);
    const auto abs = std::filesystem::absolute(argv0, ec);
    return ec ? std::filesystem::path(argv0).parent_path() : abs.parent_path();
}

} // namespace kapsorel
