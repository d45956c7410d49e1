#include "dxf/token_stack.h"

#include "dxf/dxf_report.h"

token_stack_type* token_stack::push(gl_token token) {
    if (token_sp < 1) {
        DxfReport("push_token: stack overflow\n");
        return nullptr;
    }
    token_stack_buf[--token_sp].token = token;
    return &token_stack_buf[token_sp];
}

void token_stack::push_token(gl_token token, int intval) {
    if (token_stack_type* e = push(token)) e->val.intval = intval;
}

void token_stack::push_token(gl_token token, float realval) {
    if (token_stack_type* e = push(token)) e->val.realval = realval;
}

token_stack_type token_stack::pop_token() {
    if (token_sp >= kDepth) {
        DxfReport("pop_token: stack underflow\n");
        token_stack_type none;
        none.token = bad_gl_token;
        none.val.intval = 0;
        return none;
    }
    return token_stack_buf[token_sp++];
}
