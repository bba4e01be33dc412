#include "core/definitions/text_cut.h"

#include "core/base/cp1250.h"

namespace kapsorel {

namespace {
bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
} // namespace

std::size_t charCount(std::string_view utf8)
{
    std::size_t n = 0;
    for (char c : utf8)
        if (!isContinuation(c))
            ++n;
    return n;
}

std::string cutChars(std::string_view utf8, std::size_t maxChars)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (!isContinuation(utf8[i])) {
            if (chars == maxChars)
                return std::string(utf8.substr(0, i));
            ++chars;
        }
    }
    return std::string(utf8);
}

std::string storedText(std::string_view utf8, std::size_t maxChars)
{
    std::string raw = utf8ToCp1250(utf8);
    if (raw.size() > maxChars)
        raw.resize(maxChars);
    return cp1250ToUtf8(raw);
}

} // namespace kapsorel
