#include "core/app/user_list.h"

#include "core/base/bytes.h"
#include "core/base/files.h"

#include <algorithm>
#include <system_error>

namespace kapsorel {

std::vector<std::string> parseUserList(std::span<const std::uint8_t> bytes)
{
    std::vector<std::string> names;
    const std::size_t count = bytes.size() / kUserRecordSize;
    names.reserve(count);
    ByteReader reader(bytes);
    for (std::size_t i = 0; i < count; ++i) {
        reader.seek(i * kUserRecordSize);
        names.push_back(reader.text(kUserNameCapacity));
    }
    return names;
}

std::optional<std::size_t> operatorToSelect(const std::vector<std::string>& names, const std::string& name)
{
    if (names.empty())
        return std::nullopt;
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? 0 : static_cast<std::size_t>(it - names.begin());
}

std::vector<std::uint8_t> encodeUserList(const std::vector<std::string>& names)
{
    ByteWriter writer;
    for (const std::string& name : names)
        writer.text(name, kUserNameCapacity);
    return writer.take();
}

UserListRead readUserList(const std::filesystem::path& file, Clock& clock)
{
    UserListRead out;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec) && !ec)
        return out;
    // 30-byte records: room for thousands of operators.
    constexpr std::uint64_t kMaxUserListBytes = std::uint64_t{256} << 10;
    auto bytes = readFileRetrying(file, clock, kMaxUserListBytes);
    if (!bytes) {
        out.message = bytes.error();
        return out;
    }
    out.names = parseUserList(bytes.value());
    return out;
}

Status writeUserList(const std::filesystem::path& file, const std::vector<std::string>& names, Clock& clock)
{
    return writeFileRetrying(file, encodeUserList(names), clock);
}

} // namespace kapsorel
