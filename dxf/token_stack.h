#pragma once
// Push-back stack of the scanner: 10 entries, growing downward.
#include "dxf/dxf_token.h"

class token_stack {
public:
    static constexpr int kDepth = 10;

    token_stack() = default;
    bool StackHasItems() const { return token_sp < kDepth; }
    void push_token(gl_token token, int intval);
    void push_token(gl_token token, float realval);
    // An empty stack reports the underflow and yields bad_gl_token with value 0.
    token_stack_type pop_token();

private:
    // The new top entry with its token set, or null (and the overflow report) when full.
    token_stack_type* push(gl_token token);
    token_stack_type token_stack_buf[kDepth] = {};
    int token_sp = kDepth;  // index of the top entry; kDepth when empty
};
