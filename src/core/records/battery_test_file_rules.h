// Small rules that the battery test file's opening and recording halves, the CSV export and
// the battery history share: file checks and reading a file's head, second counters that
// saturate, and the step a test was left running in.
#pragma once

#include "core/base/clock.h"
#include "core/base/files.h"
#include "core/base/result.h"
#include "core/records/battery_test_reader.h"
#include "core/records/battery_test_records.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kapsorel::battery_test_file_rules {

std::string notExistingMessage(const std::filesystem::path& path);
bool fileExists(const std::filesystem::path& path);
// Opens the test file at `path` with `reader` and reads its head; the reader stays open
// for the tail records. A missing file, a failed read and a damaged head give messages
// that name the file.
Result<BatteryTestFileHead> openTestFileHead(const std::filesystem::path& path, FileReader& reader,
                                             Clock& clock = SystemClock::instance());
// Seconds as the file's 32-bit counters hold them: negatives are 0, the top saturates.
std::uint32_t clampSeconds(long long s);
void addSeconds(std::atomic<std::uint32_t>& target, long long d);
// First step whose result says started but not ended (status 1 or 2): the step a test
// was left running in.
std::optional<std::uint8_t> leftRunningStep(const std::vector<StepResult>& steps);

} // namespace kapsorel::battery_test_file_rules
