#include "dxf/dxf_scanner.h"

#include "platform/c_text.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>

const table_rec res_word_table[22] = {
    {"bad_gl_token", bad_gl_token}, {"SECTION", section},   {"HEADER", header},
    {"ENDSEC", endsec},             {"SEQEND", seqend},     {"BLOCKS", blocks},
    {"BLOCK", block},               {"ENDBLK", endblk},     {"VERTEX", vertex},
    {"TABLES", tables},             {"TABLE", table},       {"LAYER", layer},
    {"CONTINUOUS", contin},         {"ENDTAB", endtab},     {"ENTITIES", entities},
    {"3DFACE", three_d_face},       {"EOF", end_of_file},   {"POLYLINE", polyline},
    {"integer", integer},           {"real", real},         {"name", name},
    {nullptr, bad_gl_token},
};

namespace {
// Fixed ASCII classes: bytes from 128 up belong to none, whatever the locale says.
bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsAlnum(unsigned char c) { return IsLetter(c) || IsDigit(c); }

// Appends characters of one class to WordBuf, never past its last byte.
template <class Pred>
const char* CopyWhile(const char* p, char* buf, size_t& n, size_t cap, Pred pred) {
    while (pred(static_cast<unsigned char>(*p))) {
        if (n + 1 < cap) buf[n++] = *p;
        ++p;
    }
    return p;
}
}  // namespace

gl_token GL_scanner::get_next_token() {
    gl_int = -1;
    if (token_in_stack()) return get_token_from_stack();
    char LineBuf[kLineSize];
    if (!MyFileObj || !MyFileObj->get_line(LineBuf, kLineSize)) return bad_gl_token;
    const char* p = LineBuf;
    while (IsCSpace(static_cast<unsigned char>(*p))) ++p;
    if (IsLetter(static_cast<unsigned char>(*p))) return scan_word(p);
    return scan_number(p);
}

gl_token GL_scanner::get_token_from_stack() {
    if (!token_in_stack()) return bad_gl_token;
    token_stack_type e = stack.pop_token();
    if (e.token == integer) gl_int = e.val.intval;
    else if (e.token == real) gl_float = e.val.realval;
    return e.token;
}

void GL_scanner::put_token_in_stack(gl_token token) {
    if (token == integer) stack.push_token(token, gl_int);
    else if (token == real) stack.push_token(token, gl_float);
    else stack.push_token(token, 0);
}

void GL_scanner::put_token_in_stack(gl_token token, int DX_val) { stack.push_token(token, DX_val); }

gl_token GL_scanner::gl_name_lookup() const {
    for (const table_rec* row = res_word_table; row->GLname; ++row)
        if (std::strcmp(row->GLname, WordBuf) == 0) return row->token;
    return name;
}

gl_token GL_scanner::scan_word(const char* cptr) {
    size_t n = 0;
    CopyWhile(cptr, WordBuf, n, sizeof WordBuf, IsAlnum);
    WordBuf[n] = '\0';
    return gl_name_lookup();
}

gl_token GL_scanner::scan_number(const char* cptr) {
    size_t n = 0;
    const char* p = cptr;
    if (*p == '+') ++p;
    if (*p == '-') WordBuf[n++] = *p++;
    p = CopyWhile(p, WordBuf, n, sizeof WordBuf, IsDigit);
    if (IsLetter(static_cast<unsigned char>(*p))) {
        CopyWhile(p, WordBuf, n, sizeof WordBuf, IsAlnum);
        WordBuf[n] = '\0';
        return gl_name_lookup();
    }
    if (*p != '.') {
        WordBuf[n] = '\0';
        // As "%d" reads it, but an out-of-range number is held at the int limits.
        char* end = nullptr;
        errno = 0;
        long long v = std::strtoll(WordBuf, &end, 10);
        if (end != WordBuf) gl_int = int(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v);
        return integer;
    }
    if (n + 1 < sizeof WordBuf) WordBuf[n++] = '.';
    ++p;
    CopyWhile(p, WordBuf, n, sizeof WordBuf, IsDigit);
    WordBuf[n] = '\0';
    // from_chars: "%f" without the locale's decimal separator getting in the way.
    float f = 0.0f;
    const char* first = WordBuf;
    auto [ptr, ec] = std::from_chars(first, WordBuf + n, f);
    if (ec == std::errc() && ptr != first) gl_float = f;
    return real;
}
