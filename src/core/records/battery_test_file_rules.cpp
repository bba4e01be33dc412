#include "core/records/battery_test_file_rules.h"

#include "core/base/atomic_order.h"

#include <algorithm>
#include <limits>
#include <system_error>

namespace kapsorel::battery_test_file_rules {

std::string notExistingMessage(const std::filesystem::path& path)
{
    return "Soubor " + path.string() + " neexistuje";
}

bool fileExists(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

Result<BatteryTestFileHead> openTestFileHead(const std::filesystem::path& path, FileReader& reader, Clock& clock)
{
    if (!fileExists(path))
        return Error{notExistingMessage(path)};
    if (Status st = reader.open(path, clock); !st)
        return Error{st.error()};
    std::vector<std::uint8_t> bytes;
    const auto headBytes = static_cast<std::size_t>(std::min<std::uint64_t>(reader.size(), maxTestFileHeadSize()));
    if (Status st = reader.readAt(0, headBytes, bytes); !st)
        return Error{st.error()};
    auto head = readTestFileHead(bytes, reader.size());
    if (!head)
        return Error{"Soubor " + path.string() + " : " + head.error()};
    return head;
}

std::uint32_t clampSeconds(long long s)
{
    if (s <= 0)
        return 0;
    return s > std::numeric_limits<std::uint32_t>::max() ? std::numeric_limits<std::uint32_t>::max()
                                                         : static_cast<std::uint32_t>(s);
}

void addSeconds(std::atomic<std::uint32_t>& target, long long d)
{
    target.store(clampSeconds(static_cast<long long>(target.load(kRelaxed)) + d), kRelaxed);
}

std::optional<std::uint8_t> leftRunningStep(const std::vector<StepResult>& steps)
{
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (steps[i].status == test_file_layout::kStartedSkipped ||
            steps[i].status == test_file_layout::kStartedPerformed)
            return static_cast<std::uint8_t>(i);
    return std::nullopt;
}
} // namespace kapsorel::battery_test_file_rules
