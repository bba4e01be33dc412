#include "core/app/station_folder.h"

#include "core/base/files.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace kapsorel {

namespace {

const char* const kUsage = "Usage: kapsorel [--station FOLDER] [CONFIG.ini]\n"
                           "       kapsorel --help | --version\n";

std::optional<std::string> nonEmpty(const std::optional<std::string>& s)
{
    return s && !s->empty() ? s : std::nullopt;
}

} // namespace

ProgramCommandLine parseProgramCommandLine(const std::vector<std::string>& args)
{
    ProgramCommandLine c;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!options || a.empty() || a[0] != '-') {
            c.rest.push_back(a);
        } else if (a == "--") {
            options = false;
        } else if (a == "-h" || a == "--help") {
            c.help = true;
        } else if (a == "-V" || a == "--version") {
            c.version = true;
        } else if (a == "--station") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                c.error = std::string("kapsorel: --station needs a folder\n") + kUsage;
                return c;
            }
            c.station = args[++i];
        } else if (a.rfind("--station=", 0) == 0 && a.size() > 10) {
            c.station = a.substr(10);
        } else if (!c.error) {
            // Read on: a --help or --version after it still answers.
            c.error = "kapsorel: unknown option " + a + "\n" + kUsage;
        }
    }
    return c;
}

std::string programHelpText()
{
    return std::string(kUsage) + "\n"
                                 "The operator and service program of a Kapsorel battery test station.\n"
                                 "\n"
                                 "Options:\n"
                                 "  --station FOLDER  the station folder: Kapsorel.ini, the definitions (Postupy),\n"
                                 "                    the report layouts (Sestavy), the test data and the logs\n"
                                 "  -h, --help        show this text and exit\n"
                                 "  -V, --version     show the version and exit\n"
                                 "  CONFIG.ini        a configuration file other than the station's Kapsorel.ini\n"
                                 "\n"
                                 "The station folder is, in this order: --station, the environment variable\n"
                                 "KAPSOREL_STATION, the folder of the executable when it is not installed (a build),\n"
                                 "and for the installed program the folder chosen at its first start or\n"
                                 "~/.local/share/kapsorel. A first start without a station there offers to create\n"
                                 "the demo station or to choose a folder.\n"
                                 "\n"
                                 "A second start for the same power module brings the running window to the front\n"
                                 "and exits with 0.\n";
}

std::filesystem::path installedDemoFolder(const std::filesystem::path& exeDir)
{
    std::filesystem::path dir = exeDir.lexically_normal();
    if (!dir.has_filename())
        dir = dir.parent_path();
    return (dir.parent_path() / "share" / "kapsorel" / "demo").lexically_normal();
}

StationFolderChoice chooseStationFolder(const StationFolderInputs& in, const FileExists& exists)
{
    StationFolderChoice c;
    c.installed = exists(installedDemoFolder(in.exeDir) / kConfigFileName);
    if (const auto option = nonEmpty(in.option)) {
        c.folder = *option;
        c.source = StationSource::CommandLine;
    } else if (const auto env = nonEmpty(in.environment)) {
        c.folder = *env;
        c.source = StationSource::Environment;
    } else if (!c.installed) {
        c.folder = in.exeDir;
        c.source = StationSource::BesideProgram;
    } else if (const auto remembered = nonEmpty(in.remembered)) {
        c.folder = *remembered;
        c.source = StationSource::Remembered;
    } else {
        c.folder = in.userDataDir;
        c.source = StationSource::UserData;
        c.firstStart = !exists(in.userDataDir / kConfigFileName);
    }
    return c;
}

StationFolderChoice chooseStationFolder(const StationFolderInputs& in)
{
    return chooseStationFolder(in, [](const std::filesystem::path& p) {
        std::error_code ec;
        return std::filesystem::is_regular_file(p, ec);
    });
}

Status createStationFrom(const std::filesystem::path& demo, const std::filesystem::path& station)
{
    if (auto st = ensureFolder(station); !st)
        return st;
    std::error_code ec;
    std::filesystem::recursive_directory_iterator it(demo, ec);
    if (ec)
        return Error{cannotOpenMessage(demo)};
    for (; it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (ec)
            return Error{cannotOpenMessage(demo)};
        const auto target = station / std::filesystem::relative(it->path(), demo, ec);
        std::error_code typeEc;
        if (it->is_directory(typeEc)) {
            if (auto st = ensureFolder(target); !st)
                return st;
        } else if (!std::filesystem::exists(target, typeEc)) {
            std::error_code copyEc;
            std::filesystem::copy_file(it->path(), target, copyEc);
            if (copyEc)
                return Error{"Nelze vytvořit : " + target.string()};
        }
    }
    return {};
}

Status rememberStationFolder(const std::filesystem::path& userDataDir, const std::filesystem::path& station)
{
    if (auto st = ensureFolder(userDataDir); !st)
        return st;
    const std::string text = station.string() + "\n";
    return writeFileRetrying(userDataDir / kRememberedStationFileName,
                             std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::optional<std::string> readRememberedStationFolder(const std::filesystem::path& userDataDir)
{
    std::ifstream in(userDataDir / kRememberedStationFileName);
    std::string line;
    if (!in || !std::getline(in, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.empty())
        return std::nullopt;
    return line;
}

} // namespace kapsorel
