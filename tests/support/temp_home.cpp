#include "support/temp_home.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kapsorel::test {

TempHome::TempHome()
{
    std::string templ = (std::filesystem::temp_directory_path() / "kapsorel-test-XXXXXX").string();
    if (!mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = templ;
}

TempHome::~TempHome()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempHome::writeBytes(const std::string& name, const std::vector<std::uint8_t>& data) const
{
    const auto p = path_ / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void TempHome::writeText(const std::string& name, const std::string& text) const
{
    writeBytes(name, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::vector<std::uint8_t> TempHome::readBytes(const std::string& name) const
{
    std::ifstream in(path_ / name, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TempHome::readText(const std::string& name) const
{
    const auto b = readBytes(name);
    return std::string(b.begin(), b.end());
}

std::vector<std::string> namesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace kapsorel::test
