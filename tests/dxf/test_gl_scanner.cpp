// Token scanner and push-back stack.
#include "dxf/dxf_reader.h"
#include "dxf/gl_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Scanned {
    gl_token token;
    int gl_int;
    float gl_float;
    std::string word;
};

std::vector<Scanned> ScanAll(const std::string& text) {
    FileAccess file(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    GL_scanner scan(&file);
    std::vector<Scanned> out;
    for (gl_token t; (t = scan.get_next_token()) != bad_gl_token;)
        out.push_back({t, scan.get_gl_int(), scan.get_gl_float(), scan.word()});
    return out;
}

TEST(GlScanner, EachLineYieldsOneTokenByTheScanRules) {
    const struct {
        std::string line;
        gl_token token;
        int gl_int;
        float gl_float;  // checked for real tokens only
        std::string word;
    } cases[] = {
        {"  0", integer, 0, 0, "0"},
        {"SECTION", section, -1, 0, "SECTION"},
        {"section", name, -1, 0, "section"},
        {"3DFACE", three_d_face, -1, 0, "3DFACE"},
        {"-12.50", real, -1, -12.5f, "-12.50"},
        {"+7", integer, 7, 0, "7"},
        {".5", real, -1, 0.5f, ".5"},
        {"$ACADVER", integer, -1, 0, ""},
        {"", integer, -1, 0, ""},
        {"AC1009", name, -1, 0, "AC1009"},
        {"1E+20", name, -1, 0, "1E"},
        {"1.5E+3", real, -1, 1.5f, "1.5"},
        {"-5 trailing words", integer, -5, 0, "-5"},
        {"-", integer, -1, 0, "-"},
        {"ENDSEC\r", endsec, -1, 0, "ENDSEC"},
        {"POLYLINE_001", polyline, -1, 0, "POLYLINE"},
        {"real", real, -1, 0, "real"},  // the lower-case token names are keywords too
        {"\xC4SECTION", integer, -1, 0, ""},  // bytes above 127 are no letters
        {"99999999999", integer, 2147483647, 0, "99999999999"},
        {"-99999999999", integer, -2147483647 - 1, 0, "-99999999999"},
        {std::string(45, 'W'), name, -1, 0, std::string(39, 'W')},
        {std::string(41, '1'), integer, 2147483647, 0, std::string(39, '1')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        auto got = ScanAll(c.line + "\n");
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].token, c.token);
        EXPECT_EQ(got[0].gl_int, c.gl_int);
        EXPECT_EQ(got[0].word, c.word);
        if (c.token == real) { EXPECT_FLOAT_EQ(got[0].gl_float, c.gl_float); }
    }
}

TEST(GlScanner, LinesOver79CharactersArriveInPieces) {
    auto got = ScanAll(std::string(79, 'A') + std::string(21, 'B') + "\n0\n");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].word, std::string(39, 'A'));
    EXPECT_EQ(got[1].word, std::string(21, 'B'));
    EXPECT_EQ(got[2].token, integer);
    EXPECT_EQ(got[2].gl_int, 0);
}

TEST(GlScanner, TenPushedTokensComeBackLastFirstThenTheFileUntilItsEnd) {
    const std::string text = "3.25\n8";  // no line feed after the last line
    FileAccess file(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    GL_scanner scan(&file);
    ASSERT_EQ(scan.get_next_token(), real);
    scan.put_token_in_stack(integer, 10);
    scan.put_token_in_stack(real);
    for (int i = 0; i < 8; ++i) scan.put_token_in_stack(vertex);
    testing::internal::CaptureStderr();
    scan.put_token_in_stack(name);  // the 11th is lost
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "push_token: stack overflow\n");
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(scan.get_next_token(), vertex);
        EXPECT_EQ(scan.get_gl_int(), -1);
    }
    EXPECT_EQ(scan.get_next_token(), real);
    EXPECT_FLOAT_EQ(scan.get_gl_float(), 3.25f);
    EXPECT_EQ(scan.get_next_token(), integer);
    EXPECT_EQ(scan.get_gl_int(), 10);
    EXPECT_EQ(scan.get_next_token(), integer);
    EXPECT_EQ(scan.get_gl_int(), 8);
    EXPECT_EQ(scan.get_token_from_stack(), bad_gl_token);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(scan.get_next_token(), bad_gl_token);
}

TEST(TokenStack, PopFromEmptyStackReportsUnderflow) {
    token_stack s;
    testing::internal::CaptureStderr();
    token_stack_type e = s.pop_token();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "pop_token: stack underflow\n");
    EXPECT_EQ(e.token, bad_gl_token);
    EXPECT_EQ(e.val.intval, 0);
}

TEST(FileAccess, MissingFileIsReportedAndReadsNothing) {
    testing::internal::CaptureStderr();
    FileAccess file("/nonexistent/drawing.dxf");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "/nonexistent/drawing.dxf: No such file or directory\n");
    EXPECT_EQ(file.FileOK(), 0);
    char buf[8] = "x";
    EXPECT_EQ(file.get_line(buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");

    testing::internal::CaptureStderr();
    DxfDrawing d = ReadDxfFile("/nonexistent/x.dxf");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(d.error, "No such file or directory");
    EXPECT_EQ(d.faces, nullptr);
}

}  // namespace
