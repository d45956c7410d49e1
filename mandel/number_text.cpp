#include "mandel/number_text.h"

#include <charconv>
#include <limits>
#include <locale.h>
#include <stdlib.h>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view SkipBlanks(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && IsBlank(t[i])) ++i;
    return t.substr(i);
}
}  // namespace

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
    std::string_view t = SkipBlanks(text);
    uint64_t v = 0;
    size_t i = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        v = v * 10 + uint64_t(t[i] - '0');
        if (v > uint64_t(std::numeric_limits<int32_t>::max())) return 0;
    }
    return int32_t(v);
}
