// Cutting UTF-8 texts to a number of characters, as the definition fields are limited
// (one character is one Windows-1250 byte on disk).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kapsorel {

std::size_t charCount(std::string_view utf8);
std::string cutChars(std::string_view utf8, std::size_t maxChars);
// The text as a definition file will give it back: converted to Windows-1250 (a
// character outside it becomes '?') and back, and cut to `maxChars` characters. Names
// are compared in this form, so two names that would read back equal count as equal.
std::string storedText(std::string_view utf8, std::size_t maxChars);

} // namespace kapsorel
