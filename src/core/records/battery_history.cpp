#include "core/records/battery_history.h"

#include "core/base/files.h"
#include "core/definitions/step_types.h"
#include "core/records/battery_test_file_rules.h"
#include "core/records/battery_test_reader.h"

#include <algorithm>
#include <sys/stat.h>

namespace kapsorel {

const char* historyResultText(HistoryResult r)
{
    switch (r) {
    case HistoryResult::Completed:
        return "Ukončen";
    case HistoryResult::Interrupted:
        return "Přerušen";
    case HistoryResult::NotStarted:
        break;
    }
    return "Nezahájen";
}

std::int64_t historyModifiedTime(const struct stat& st)
{
    return std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
}

Result<HistoryEntry> readHistoryEntry(const std::filesystem::path& path, bool archived)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return Error{battery_test_file_rules::notExistingMessage(path)};
    FileReader reader;
    auto head = battery_test_file_rules::openTestFileHead(path, reader);
    if (!head)
        return Error{head.error()};
    HistoryEntry e;
    e.path = path;
    e.archived = archived;
    e.batteryNumber = head->header.batteryNumber;
    e.start = head->header.start;
    e.batteryType = head->header.batteryType;
    e.procedure = head->header.procedureName;
    e.operatorName = head->header.operatorName;
    const bool started = std::any_of(head->steps.begin(), head->steps.end(),
                                     [](const StepResult& s) { return s.status != test_file_layout::kNotStarted; });
    // The run ends in its "Konec" step, which is started and never ended; any other step
    // left running was stopped.
    const auto running = battery_test_file_rules::leftRunningStep(head->steps);
    if (running && head->steps[*running].stepType != static_cast<std::uint8_t>(StepType::End))
        e.result = HistoryResult::Interrupted;
    else
        e.result = started ? HistoryResult::Completed : HistoryResult::NotStarted;
    e.fileSize = static_cast<std::uint64_t>(info.st_size);
    e.modified = historyModifiedTime(info);
    return e;
}

} // namespace kapsorel
