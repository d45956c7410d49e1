#pragma once
// Number text of the explorer, independent of the C locale (the UI sets the user's locale).
#include <cstdint>
#include <string>
#include <string_view>

// As printf "%.<precision>e".
std::string FormatExp(double d, int precision);
// strtod semantics: leading blanks, the longest number prefix, 0.0 when there is none.
double ParseDouble(std::string_view text);
// Leading blanks, then decimal digits up to the first other character; 0 when there are
// none, for a sign, or for a value above INT32_MAX.
int32_t ParseUnsigned(std::string_view text);
