// Object reader on DXF text written here.
#include "dxf/dxf_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

// DXF text from its lines, given here separated by blanks.
std::string D(std::string lines) {
    std::replace(lines.begin(), lines.end(), ' ', '\n');
    return lines + "\n";
}

std::string Section(const std::string& kind, const std::string& body) {
    return D("0 SECTION 2 " + kind) + body + D("0 ENDSEC");
}

const std::string kEof = D("0 EOF"), kEntities = D("0 SECTION 2 ENTITIES");

std::string Face3D(const std::string& corners) {  // x y z of each of four corners
    std::istringstream in(corners);
    std::string out = D("0 3DFACE 8 0");
    std::string v;
    for (int i = 0; in >> v; ++i) out += D(std::to_string(10 * (1 + i % 3) + i / 3) + " " + v);
    return out;
}

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

std::string Entities(const std::string& body) { return Section("ENTITIES", body) + kEof; }

constexpr float kLo = 1024000.0f, kHi = -1024000.0f;  // the range before any point

TEST(GlObject, DrawingsBecomeFaceListsAndARange) {
    const struct {
        const char* rule;
        std::string text;
        bool has_list;
        std::vector<int> faces;
        float min, max;
    } cases[] = {
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
        {"empty input", "", false, {}, kLo, kHi},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        DxfDrawing d = Read(c.text);
        EXPECT_EQ(d.error, "");
        EXPECT_EQ(d.faces != nullptr, c.has_list);
        EXPECT_EQ(FaceSizes(d), c.faces);
        EXPECT_FLOAT_EQ(d.range.GetMin(), c.min);
        EXPECT_FLOAT_EQ(d.range.GetMax(), c.max);
    }
}

TEST(GlObject, PolylineCornersComeInFileOrder) {
    DxfDrawing d = Read(Entities(Polyline("2", 3)));
    ASSERT_EQ(FaceSizes(d), (std::vector<int>{2, 1}));
    const float* second = d.faces->ListTail->cur_face.f[0].v;
    EXPECT_EQ(std::vector<float>(second, second + 3), (std::vector<float>{2.0f, 4.5f, 0.0f}));
}

TEST(GlObject, DrawingsThatCannotBeReadAreRefusedWithAMessage) {
    const std::string header = "HEADER section not closed before EOF";
    const std::string alloc = "page_pool::page_alloc: allocation error";
    const std::string too_large = "page_pool::new_block: allocation request too large\n";
    const struct {
        const char* rule;
        std::string text, error, earlier_messages = "";
    } cases[] = {
        {"HEADER not closed before EOF", D("0 SECTION 2 HEADER 9 $ACADVER") + kEof, header},
        {"HEADER not closed before the end of input", D("0 SECTION 2 HEADER"), header},
        {"683 points per face", Entities(Polyline("683", 2)), alloc, too_large},
        {"682 points per face, then a face too many", Entities(kOneFace + Polyline("682", 1) + Polyline("1000", 1)),
         alloc, too_large},
        {"0 points per face", Entities(Polyline("0", 3)), "POLYLINE with 0 points per face"},
        {"negative points per face", Entities(Polyline("-245", 3)), "POLYLINE with -245 points per face"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        testing::internal::CaptureStderr();
        DxfDrawing d = Read(c.text);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.earlier_messages + c.error + "\n");
        EXPECT_EQ(d.error, c.error);
        EXPECT_EQ(d.faces, nullptr);
    }
}

TEST(GlObject, BinaryDrawingIsRefusedAndEndsWithoutHanging) {
    std::string junk = std::string("AutoCAD Binary DXF\r\n\x1a") + '\0';
    for (int i = 0; i < 4000; ++i) junk.push_back(char((i * 131 + 7) & 0xFF));
    const std::string message = "This is a binary DXF drawing; only text drawings are read.";
    testing::internal::CaptureStderr();
    DxfDrawing d = Read(junk);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), message + "\n");
    EXPECT_EQ(d.error, message);
    EXPECT_EQ(d.faces, nullptr);
}

}  // namespace
