#include "core/base/rotating_log.h"

#include <fstream>
#include <system_error>

namespace kapsorel {

RotatingLog::RotatingLog(std::filesystem::path path, std::uint64_t maxBytes, int keptFiles)
    : path_(std::move(path)), maxBytes_(maxBytes), keptFiles_(keptFiles < 0 ? 0 : keptFiles)
{
}

std::filesystem::path RotatingLog::older(int n) const
{
    return std::filesystem::path(path_.string() + "." + std::to_string(n));
}

void RotatingLog::rotate()
{
    std::error_code ec;
    if (keptFiles_ == 0) {
        std::filesystem::remove(path_, ec);
        return;
    }
    std::filesystem::remove(older(keptFiles_), ec);
    for (int n = keptFiles_ - 1; n >= 1; --n)
        std::filesystem::rename(older(n), older(n + 1), ec);
    std::filesystem::rename(path_, older(1), ec);
}

Status RotatingLog::append(const std::string& line)
{
    std::error_code ec;
    const std::uint64_t size = std::filesystem::file_size(path_, ec);
    if (!ec && size > 0 && size + line.size() + 1 > maxBytes_)
        rotate();
    if (!path_.parent_path().empty())
        std::filesystem::create_directories(path_.parent_path(), ec);
    std::ofstream out(path_, std::ios::binary | std::ios::app);
    out << line << '\n';
    out.flush();
    if (!out)
        return Error{"Soubor " + path_.string() + " nelze otevřít"};
    return {};
}

} // namespace kapsorel
