// Rounding, and number text as the station shows numbers and reads what is typed. Every
// number text of the program goes through formatNumber and every typed number through
// parseNumber, so both follow the decimal separator of the process's locale formats
// (locale_formats.h), whatever the C library's own locale is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kapsorel {

// Nearest integer, a value exactly halfway going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double v);
long long roundHalfEvenToInt(double v);

// printf-style text of one floating value: `format` holds one conversion %f, %e or %g
// (flags "-+ 0#", a width and a precision allowed) with text around it, and the number
// is written with the current decimal separator: "%5.1fV", 24.0 -> " 24,0V" with a
// decimal comma, " 24.0V" with a point. "%%" writes a percent sign.
std::string formatNumber(const char* format, double value);

// A number with `decimals` decimals and no padding: 10.0, 1 -> "10,0" with a decimal comma.
std::string formatDecimals(double value, int decimals);

// What the user typed as a number: an optional sign, digits with at most one decimal
// separator, an optional exponent ("e-3"), spaces around. The separator is the current
// one; a point is read as a decimal separator too (the numeric keypad's key, and the
// notation of the files), while a comma under a decimal point is refused (it groups
// thousands there, and reading it as decimals would misread 1,000). Nothing when the text
// is no finite number.
std::optional<double> parseNumber(std::string_view text);

} // namespace kapsorel
