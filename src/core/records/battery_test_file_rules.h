// Small rules that the battery test file's opening and recording halves share: file
// checks, second counters that saturate, and the step a test was left running in.
#pragma once

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
// Seconds as the file's 32-bit counters hold them: negatives are 0, the top saturates.
std::uint32_t clampSeconds(long long s);
void addSeconds(std::atomic<std::uint32_t>& target, long long d);
// First step whose result says started but not ended (status 1 or 2): the step a test
// was left running in.
std::optional<std::uint8_t> leftRunningStep(const std::vector<StepResult>& steps);

} // namespace kapsorel::battery_test_file_rules
