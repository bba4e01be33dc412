// Windows-1250 (the station's single-byte code page on disk and in frames) <-> UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace kapsorel {

// Every byte maps to one character; the five bytes Windows-1250 leaves undefined
// map to the C1 control of the same number, so any byte string survives a round trip.
std::string cp1250ToUtf8(std::string_view raw);

// A character that Windows-1250 cannot represent becomes '?'. Invalid UTF-8 bytes
// are taken as Windows-1250 bytes as they stand.
std::string utf8ToCp1250(std::string_view utf8);

// True when the bytes form valid UTF-8 (used to tell the encoding of text files).
bool isValidUtf8(std::string_view bytes);

} // namespace kapsorel
