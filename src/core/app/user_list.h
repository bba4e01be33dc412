// The operator list "Kapsorel.usr": 30-byte records, each a length byte (0-29) and the
// name's Windows-1250 characters; no header. Read at start-up, written by the program
// settings window.
#pragma once

#include "core/base/clock.h"
#include "core/base/result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kapsorel {

constexpr std::size_t kUserRecordSize = 30;
constexpr std::size_t kUserNameCapacity = 29;

struct UserListRead {
    std::vector<std::string> names;     // in file order
    std::optional<std::string> message; // "Soubor <path> nelze otevřít" when unreadable
};

// One name per whole record; a trailing part shorter than a record is ignored.
std::vector<std::string> parseUserList(std::span<const std::uint8_t> bytes);

// The entry to select in the operator box: the one equal to `name`, else the first;
// none when the list is empty.
std::optional<std::size_t> operatorToSelect(const std::vector<std::string>& names, const std::string& name);

// Names cut to 29 Windows-1250 characters, the bytes after each name zero.
std::vector<std::uint8_t> encodeUserList(const std::vector<std::string>& names);

// A missing file gives no names and no message. An existing file is opened with up to
// 10 attempts 1000 ms apart; when all fail, no names and the message.
UserListRead readUserList(const std::filesystem::path& file, Clock& clock = SystemClock::instance());

// Replaces the file atomically so that it holds exactly these names.
Status writeUserList(const std::filesystem::path& file, const std::vector<std::string>& names,
                     Clock& clock = SystemClock::instance());

} // namespace kapsorel
