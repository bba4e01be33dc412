// A step or condition value as stored in procedure files: a format code and four bytes
// holding either a Single or a reference "#" + two-character battery variable ID.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kapsorel {

// Format codes 0-5 hold a literal (0 = no value, 1 whole number, 2 "%4.1f", 3 "%4.2f",
// 4 "%5.3f", 5 duration in seconds); 6-10 are never produced; 11-15 are variable
// references shown like code - 10 (15 shows the bare ID).
constexpr std::uint8_t kFormatNone = 0;
constexpr std::uint8_t kFormatWhole = 1;
constexpr std::uint8_t kFormatOneDecimal = 2;
constexpr std::uint8_t kFormatTwoDecimals = 3;
constexpr std::uint8_t kFormatThreeDecimals = 4;
constexpr std::uint8_t kFormatDuration = 5;
constexpr std::uint8_t kFormatReferenceOffset = 10;
constexpr std::uint8_t kFormatMax = 15;

struct StepValue {
    std::uint8_t format = kFormatNone;
    std::array<std::uint8_t, 4> bytes{};

    // A literal Single stored with the given format code.
    static StepValue number(std::uint8_t format, float value);
    // A reference to the battery variable `id` (Windows-1250 bytes of its first two
    // characters) at a place whose default format code is `defaultFormat`.
    static StepValue reference(std::uint8_t defaultFormat, std::string_view idUtf8);

    bool isReference() const { return format >= kFormatReferenceOffset; }
    // The four bytes as a Single (meaningful for literals).
    float single() const;
    // The referenced ID as UTF-8 for messages and texts: the two ID bytes up to the
    // first zero byte.
    std::string referenceId() const;
    // True when the variable ID `idUtf8` is exactly the two ID characters of the
    // reference (case-sensitive). A zero byte is a character of its own, so "#" or "#U"
    // (zero bytes where characters are missing) never names a one-letter or unnamed ID.
    bool refersTo(std::string_view idUtf8) const;

    bool operator==(const StepValue&) const = default;
};

} // namespace kapsorel
