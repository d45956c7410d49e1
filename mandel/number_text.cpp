#include "mandel/number_text.h"

#include "platform/c_text.h"

#include <charconv>
#include <limits>
#include <locale.h>
#include <stdlib.h>

std::string FormatExp(double d, int precision) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific, precision);
    return std::string(buf, res.ptr);
}

double ParseDouble(std::string_view text) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    const std::string copy(text);  // strtod needs a terminated string
    return strtod_l(copy.c_str(), nullptr, c);
}

int32_t ParseUnsigned(std::string_view text) {
    const DigitRun d = ReadDigits(SkipCSpace(text));
    return d.wide || d.value > uint64_t(std::numeric_limits<int32_t>::max()) ? 0 : int32_t(d.value);
}
