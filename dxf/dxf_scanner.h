#pragma once
// Turns each line of a DXF text into one token: integer, real or keyword.
#include "dxf/file_access.h"
#include "dxf/dxf_token.h"
#include "dxf/token_stack.h"

class GL_scanner {
public:
    static constexpr int kLineSize = 80;  // lines longer than 79 characters come in pieces
    static constexpr int kWordSize = 40;  // longer words and numbers are cut to 39 characters

    explicit GL_scanner(FileAccess* FileObj) : MyFileObj(FileObj) {}

    gl_token get_next_token();
    bool token_in_stack() const { return stack.StackHasItems(); }
    gl_token get_token_from_stack();
    // Pushes with the current gl_int / gl_float for integer / real tokens, else with 0.
    void put_token_in_stack(gl_token token);
    void put_token_in_stack(gl_token token, int DX_val);
    int get_gl_int() const { return gl_int; }
    float get_gl_float() const { return gl_float; }
    const char* word() const { return WordBuf; }

    gl_token gl_name_lookup() const;
    gl_token scan_word(const char* cptr);
    gl_token scan_number(const char* cptr);

private:
    token_stack stack;
    float gl_float = 0.0f;
    int gl_int = -1;
    FileAccess* MyFileObj;  // not owned
    char WordBuf[kWordSize] = {};
};
