#pragma once
// The DXF token vocabulary: one token per text line.

enum gl_token : unsigned char {
    bad_gl_token,  // no token: end of input, or an empty push-back stack
    section,
    header,
    endsec,
    seqend,
    blocks,
    block,
    endblk,
    vertex,
    tables,
    table,
    layer,
    contin,
    endtab,
    entities,
    three_d_face,
    end_of_file,
    polyline,
    integer,  // value in gl_int
    real,     // value in gl_float
    name,     // a word that is no keyword
    last_gl_token
};

struct table_rec {
    const char* GLname;
    gl_token token;
};

// 21 keyword rows in token order, then a row with a null name.
extern const table_rec res_word_table[22];

union token_union {
    int intval;
    float realval;
};

struct token_stack_type {
    gl_token token;
    token_union val;
};
