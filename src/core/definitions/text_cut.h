// Cutting UTF-8 texts to a number of characters, as the definition fields are limited
// (one character is one Windows-1250 byte on disk).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kapsorel {

std::size_t charCount(std::string_view utf8);
std::string cutChars(std::string_view utf8, std::size_t maxChars);

}  // namespace kapsorel
