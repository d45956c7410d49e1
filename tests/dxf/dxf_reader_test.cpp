// The DXF reader: token scanner and push-back stack, page pool and face lists, and the object
// reader on DXF text written here.
#include "dxf/dxf_reader.h"
#include "dxf/face_list.h"
#include "dxf/dxf_scanner.h"
#include "dxf/page_pool.h"
#include "tests/dxf/dxf_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
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
    // Columns: line, token, gl_int, gl_float, word; gl_float is checked for real tokens only.
    const struct { std::string line; gl_token token; int gl_int; float gl_float; std::string word; } cases[] = {
        {"  0", integer, 0, 0, "0"}, {"SECTION", section, -1, 0, "SECTION"}, {"section", name, -1, 0, "section"},
        {"3DFACE", three_d_face, -1, 0, "3DFACE"}, {"-12.50", real, -1, -12.5f, "-12.50"}, {"+7", integer, 7, 0, "7"},
        {".5", real, -1, 0.5f, ".5"}, {"$ACADVER", integer, -1, 0, ""}, {"", integer, -1, 0, ""},
        {"AC1009", name, -1, 0, "AC1009"}, {"1E+20", name, -1, 0, "1E"}, {"1.5E+3", real, -1, 1.5f, "1.5"},
        {"-5 trailing words", integer, -5, 0, "-5"}, {"-", integer, -1, 0, "-"}, {"ENDSEC\r", endsec, -1, 0, "ENDSEC"},
        {"POLYLINE_001", polyline, -1, 0, "POLYLINE"},
        {"real", real, -1, 0, "real"},  // the lower-case token names are keywords too
        {"\xC4SECTION", integer, -1, 0, ""},  // bytes above 127 are no letters
        {"99999999999", integer, 2147483647, 0, "99999999999"},
        {"-99999999999", integer, -2147483647 - 1, 0, "-99999999999"},
        {std::string(45, 'W'), name, -1, 0, std::string(39, 'W')},
        {std::string(41, '1'), integer, 2147483647, 0, std::string(39, '1')}};
    for (const auto& c : cases) {
        auto got = ScanAll(c.line + "\n");
        ASSERT_EQ(got.size(), 1u) << c.line;
        EXPECT_EQ(std::tie(got[0].token, got[0].gl_int, got[0].word), std::tie(c.token, c.gl_int, c.word)) << c.line;
        if (c.token == real) { EXPECT_FLOAT_EQ(got[0].gl_float, c.gl_float) << c.line; }
    }
}

TEST(GlScanner, LinesOver79CharactersArriveInPieces) {
    auto got = ScanAll(std::string(79, 'A') + std::string(21, 'B') + "\n0\n");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(std::make_tuple(got[0].word, got[1].word, got[2].token, got[2].gl_int),
              std::make_tuple(std::string(39, 'A'), std::string(21, 'B'), integer, 0));
}

TEST(GlScanner, TenPushedTokensComeBackLastFirstBeforeTheRestOfTheFile) {
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
    std::vector<std::pair<gl_token, float>> got;  // the value of the token's kind
    for (int i = 0; i < 11; ++i) {
        const gl_token t = scan.get_next_token();
        got.emplace_back(t, t == real ? scan.get_gl_float() : float(scan.get_gl_int()));
    }
    std::vector<std::pair<gl_token, float>> want(8, {vertex, -1.0f});
    want.insert(want.end(), {{real, 3.25f}, {integer, 10.0f}, {integer, 8.0f}});
    EXPECT_EQ(got, want);
    EXPECT_EQ(scan.get_token_from_stack(), bad_gl_token);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(scan.get_next_token(), bad_gl_token);
}

TEST(GlScanner, AnEmptyTokenStackUnderflowsWithAMessage) {
    token_stack empty;  // the stack itself, popped when empty
    testing::internal::CaptureStderr();
    token_stack_type e = empty.pop_token();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "pop_token: stack underflow\n");
    EXPECT_EQ(std::make_pair(e.token, e.val.intval), std::make_pair(bad_gl_token, 0));
}

// Makes the pool see 4096-byte system pages whatever the machine has.
class PoolTest : public testing::Test {
    unsigned int saved_ = page_pool::page_size;
    void SetUp() override { page_pool::page_size = 4096; }
    void TearDown() override { page_pool::page_size = saved_; }
};

struct RecordingPool : page_pool {
    std::vector<std::pair<const void*, unsigned int>> tails;
    void add_to_list(void* block, unsigned int size) override { tails.emplace_back(block, size); }
};

const std::string kTooLarge =
    "page_pool::new_block: allocation request too large\npage_pool::page_alloc: allocation error\n";

TEST_F(PoolTest, ARequestThatDoesNotFitStartsAPageForItAlone) {
    // first: served from the first page; second: no longer fits; tail 0: none passed on.
    const struct { const char* rule; size_t first, second; unsigned int tail, new_page; } cases[] = {
        {"96 left: passed on", 4000, 200, 96, 4096}, {"88 left: kept", 4008, 200, 0, 4096},
        {"large request: rounded to whole pages", 96, 5000, 4000, 8192}, {"exactly two pages", 8, 8192, 4088, 8192}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        RecordingPool pool;
        const page_chain_struct* first = pool.first_page();
        char* a = static_cast<char*>(pool.page_alloc(c.first));
        ASSERT_EQ(a, first->block);
        char* b = static_cast<char*>(pool.page_alloc(c.second));
        const page_chain_struct* second = pool.last_page();
        EXPECT_EQ(std::make_tuple(first->next_page, (void*)b, second->block_size, size_t(second->bytes_used), size_t(first->bytes_used)),
                  std::make_tuple(second, second->block, c.new_page, c.second, c.tail ? size_t(4096) : c.first));
        using Tails = std::vector<std::pair<const void*, unsigned int>>;
        EXPECT_EQ(pool.tails, (c.tail ? Tails{{a + c.first, c.tail}} : Tails{}));
    }
}

TEST_F(PoolTest, ARequestAbove8192BytesIsRefusedWithBothMessages) {
    for (size_t size : {size_t(8193), size_t(UINT_MAX), size_t(-1)}) {
        SCOPED_TRACE(size);
        RecordingPool pool;
        pool.page_alloc(100);
        testing::internal::CaptureStderr();
        EXPECT_EQ(pool.page_alloc(size), nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), kTooLarge);
        // Nothing changed, and the pool still serves.
        EXPECT_TRUE(pool.last_page() == pool.first_page() && pool.tails.empty() && pool.page_alloc(100));
    }
}

TEST_F(PoolTest, PolyFaceCapacityIsLimitedByTheLargestPage) {
    const std::string none = "FaceList: a face must hold at least one point\n";
    const struct { int capacity, ok; std::string messages; } cases[] = {
        {682, 1, ""}, {683, 0, kTooLarge}, {INT_MAX, 0, kTooLarge}, {0, 0, none}, {-4, 0, none}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capacity);
        FaceList list;
        ASSERT_EQ(list.get_new_3DFACE(), 1);
        testing::internal::CaptureStderr();
        EXPECT_EQ(list.get_new_poly_face(c.capacity), c.ok);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.messages);
        EXPECT_EQ(list.face_count(), 1 + c.ok);  // the face before is kept
        for (int i = 0; c.ok && i < c.capacity; ++i) list.add_poly_point(float(i), 0, 0);
        if (c.ok) { EXPECT_EQ(list.ListTail->cur_face.point_cnt, c.capacity); }
    }
}

TEST_F(PoolTest, PointsFillFacesUpToTheirCapacity) {
    // Points (1.5, -2, z) differ only in z; each face is listed by the z of its points.
    enum Kind { kNoFace, kThreeD, kPoly };
    using Faces = std::vector<std::vector<float>>;
    const struct { const char* rule; Kind kind; int capacity; std::vector<float> z; Faces faces; } fills[] = {
        {"an exact repeat of the last point is dropped", kPoly, 4, {1, 1, 2, 1}, {{1, 2, 1}}},
        {"a full face starts a new one of the same capacity", kPoly, 3, {0, 1, 2, 3, 4, 5, 6},
         {{0, 1, 2}, {3, 4, 5}, {6}}},
        {"3DFACE keeps at most four corners", kThreeD, 4, {0, 1, 2, 3, 4, 5}, {{0, 1, 2, 3}}},
        {"no face yet: points are ignored", kNoFace, 0, {1, 2}, {}}};
    for (const auto& c : fills) {
        SCOPED_TRACE(c.rule);
        FaceList list;
        int made = c.kind == kThreeD ? list.get_new_3DFACE() : c.kind == kPoly ? list.get_new_poly_face(c.capacity) : 1;
        ASSERT_EQ(made, 1);
        for (float z : c.z) {
            if (c.kind != kPoly) list.add_3DFACE_point(1.5f, -2.0f, z);
            if (c.kind != kThreeD) { EXPECT_EQ(list.add_poly_point(1.5f, -2.0f, z), 1); }
        }
        Faces got;
        for (const FaceListStruct* p = list.ListHead; p; p = p->next_face) {
            got.emplace_back();
            for (int i = 0; i < p->cur_face.point_cnt; ++i) got.back().push_back(p->cur_face.f[i].v[2]);
        }
        EXPECT_EQ(got, c.faces);
    }
}

const std::string kEntities = D("0 SECTION 2 ENTITIES");

// Vertex i lies at (i, 2i + 0.5, 0); per_face "" leaves group 72 out.
std::string Polyline(const std::string& per_face, int vertices, bool with_colour = false) {
    std::string out = D("0 POLYLINE 8 0 66 1") + (per_face.empty() ? "" : D("72 " + per_face));
    for (int i = 0; i < vertices; ++i)
        out += D("0 VERTEX 8 0") + (with_colour ? D("62 5") : "") +
               D("10 " + std::to_string(i) + ".0 20 " + std::to_string(i * 2) + ".5 30 0.0 70 32");
    return out + D("0 SEQEND");
}

std::string Table(const std::string& name) {
    return D("0 TABLE 2 " + name + " 70 1 0 " + name + " 2 DUMMY 70 0 0 ENDTAB");
}

DxfDrawing Read(const std::string& text) {
    return ReadDxfBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

std::vector<int> FaceSizes(const DxfDrawing& d) {
    std::vector<int> out;
    for (const FaceListStruct* p = d.faces ? d.faces->ListHead : nullptr; p; p = p->next_face)
        out.push_back(p->cur_face.point_cnt);
    return out;
}

const std::string kOneFace = Face3D("0.0 0.0 0.0 1.0 0.0 0.0 1.0 1.0 0.0 1.0 1.0 0.0");

constexpr float kLo = 1024000.0f, kHi = -1024000.0f;  // the range before any point

// Columns: rule, text, listed, face sizes in file order, range min and max.
TEST(GlObject, DrawingsBecomeTheFaceListsAndRangesTheTableSays) {
    const struct { const char* rule; std::string text; bool listed; std::vector<int> faces; float min, max; } cases[] = {
        {"one 3DFACE whose fourth corner repeats the third", Entities(kOneFace), true, {3}, 0, 1},
        {"polyline with 72 = 4 and eight vertices", Entities(Polyline("4", 8)), true, {4, 4}, 0, 14.5f},
        {"polyline without 72 and eight vertices", Entities(Polyline("", 8)), true, {3, 3, 2}, 0, 14.5f},
        {"vertices with a colour group", Entities(Polyline("", 4, true)), true, {3, 1}, 0, 6.5f},
        {"polyline without vertices, even with 72 = 0", Entities(Polyline("0", 0)), true, {}, kLo, kHi},
        {"only HEADER and TABLES",
         Section("HEADER", D("9 $ACADVER 1 AC1009")) + Section("TABLES", Table("LTYPE")) + kEof, false, {}, kLo, kHi},
        {"two tables are skipped and the ENTITIES after them read",
         Section("TABLES", Table("LTYPE") + Table("LAYER")) + Entities(kOneFace), true, {3}, 0, 1},
        {"faces inside a block definition count",
         Section("BLOCKS", D("0 BLOCK 8 0 2 B1") + kOneFace + D("0 ENDBLK")) + kEof, true, {3}, 0, 1},
        {"other entities are skipped", Entities(D("0 LINE 8 0 10 50.0 20 60.0 30 0.0") + kOneFace), true, {3}, 0, 1},
        // corners (-2.5, 0.5, 0.5), (7.9, 7.9, 7.9), (1, 1, 0), (1, 1, 0)
        {"a coordinate without a point repeats the last real",
         Entities(Face3D("-2.5 0.5 3 7.9 2 0 1.0 1.0 0.0 1.0 1.0 0.0")), true, {3}, -2.5f, 7.9f},
        {"nothing after the EOF line is read", kEof + Entities(kOneFace), false, {}, kLo, kHi},
        {"no EOF line: the end of the input ends the drawing", Section("ENTITIES", kOneFace), true, {3}, 0, 1},
        {"no EOF line inside a table", Section("TABLES", D("0 TABLE 2 LTYPE 70 1")), false, {}, kLo, kHi},
        {"3DFACE cut off before its group 10", kEntities + D("0 3DFACE 8"), false, {}, kLo, kHi},
        // (4, 5, 5), then (5, 5, 5) three times
        {"3DFACE cut off in its corners", kEntities + D("0 3DFACE 10 4.0 20 5.0 30"), true, {2}, 4, 5},
        {"polyline cut off in a vertex", kEntities + D("0 POLYLINE 0 VERTEX 8 0 10 1.0"), true, {1}, 1, 1},
        {"empty input", "", false, {}, kLo, kHi}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        DxfDrawing d = Read(c.text);
        EXPECT_EQ(std::make_tuple(d.error, d.faces != nullptr, FaceSizes(d)), std::make_tuple("", c.listed, c.faces));
        EXPECT_FLOAT_EQ(d.range.GetMin(), c.min);
        EXPECT_FLOAT_EQ(d.range.GetMax(), c.max);
    }
    // A polyline's corners come in file order.
    DxfDrawing d = Read(Entities(Polyline("2", 3)));
    ASSERT_EQ(FaceSizes(d), (std::vector<int>{2, 1}));
    const float* second = d.faces->ListTail->cur_face.f[0].v;
    EXPECT_EQ(std::vector<float>(second, second + 3), (std::vector<float>{2.0f, 4.5f, 0.0f}));
}

TEST(GlObject, DrawingsThatCannotBeReadAreRefusedWithAMessage) {
    const std::string header = "HEADER section not closed before EOF";
    auto too_many = [](int n) {
        return "The drawing has more points per face than this reader holds (" + std::to_string(n) + ", at most 682).";
    };
    const std::string binary = "This is a binary DXF drawing; only text drawings are read.";
    std::string junk = std::string("AutoCAD Binary DXF\r\n\x1a") + '\0';
    for (int i = 0; i < 4000; ++i) junk.push_back(char((i * 131 + 7) & 0xFF));
    const struct { const char* rule; std::string text, error, earlier_messages = ""; } cases[] = {
        {"HEADER not closed before EOF", D("0 SECTION 2 HEADER 9 $ACADVER") + kEof, header},
        {"HEADER not closed before the end of input", D("0 SECTION 2 HEADER"), header},
        {"683 points per face", Entities(Polyline("683", 2)), too_many(683)},
        {"682 points per face, then a face too many", Entities(kOneFace + Polyline("682", 1) + Polyline("3732", 1)),
         too_many(3732)},
        {"0 points per face", Entities(Polyline("0", 3)), "POLYLINE with 0 points per face"},
        {"negative points per face", Entities(Polyline("-245", 3)), "POLYLINE with -245 points per face"},
        {"binary drawing: refused, and the read ends without hanging", junk, binary}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        testing::internal::CaptureStderr();
        DxfDrawing d = Read(c.text);
        EXPECT_EQ(std::make_tuple(testing::internal::GetCapturedStderr(), d.error, d.faces.get()),
                  std::make_tuple(c.earlier_messages + c.error + "\n", c.error, nullptr));
    }
}

}  // namespace
