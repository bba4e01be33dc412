#include "core/app/start_state.h"

#include "core/app/config_path.h"
#include "core/base/program_version.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace kapsorel {

namespace {

std::string lowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

} // namespace

std::vector<std::string> findReportLayouts(const std::filesystem::path& home)
{
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(home / kLayoutFolderName, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc))
            continue;
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && lowerAscii(name.substr(name.size() - 4)) == ".ses")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = lowerAscii(a);
        const std::string lb = lowerAscii(b);
        return la != lb ? la < lb : a < b;
    });
    if (names.size() > kLayoutMenuItems)
        names.resize(kLayoutMenuItems);
    return names;
}

std::string versionLabel(std::uint8_t powerSwVersion)
{
    char text[32];
    std::snprintf(text, sizeof text, "SW: %d.%2.2d-%2.2d", programVersionMajor(), programVersionMinor(),
                  static_cast<int>(powerSwVersion));
    return text;
}

} // namespace kapsorel
