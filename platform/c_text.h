#pragma once
// Text as the C library reads it in the "C" locale, whatever locale the program runs in.
#include <cstddef>
#include <cstdint>
#include <string_view>

// isspace: blank, tab, line feed, vertical tab, form feed, carriage return.
inline bool IsCSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline std::string_view SkipCSpace(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && IsCSpace(static_cast<unsigned char>(t[i]))) ++i;
    return t.substr(i);
}

// The decimal digits at the start of a text.
struct DigitRun {
    uint64_t value = 0;  // modulo 2^64, so its low bits stay exact
    size_t length = 0;   // digits read
    bool wide = false;   // the value went past 32 bits
};

inline DigitRun ReadDigits(std::string_view t) {
    DigitRun d;
    for (; d.length < t.size() && t[d.length] >= '0' && t[d.length] <= '9'; ++d.length) {
        d.value = d.value * 10 + uint64_t(t[d.length] - '0');
        d.wide = d.wide || d.value > UINT32_MAX;
    }
    return d;
}
