// Rounding and number text as the station shows and stores numbers.
#pragma once

#include <string>

namespace kapsorel {

// Nearest integer, a value exactly halfway going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double v);
long long roundHalfEvenToInt(double v);

// printf-style text of one floating value ("%5.1f") with the decimal point replaced
// by `separator` (a comma on Czech systems): "%5.1fV", 24.0, ',' -> " 24,0V".
std::string formatNumber(const char* format, double value, char separator = ',');

} // namespace kapsorel
