// Object reader on DXF text written here line by line.
#include "dxf/dxf_reader.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

std::string Lines(std::initializer_list<std::string> lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

std::string Section(const std::string& kind, const std::string& body) {
    return Lines({"  0", "SECTION", "  2", kind}) + body + Lines({"  0", "ENDSEC"});
}

const std::string kEof = Lines({"  0", "EOF"});

std::string Face3D(std::initializer_list<const char*> coords) {  // 12 values: x, y, z of 4 corners
    static const char* codes[] = {"10", "20", "30", "11", "21", "31", "12", "22", "32", "13", "23", "33"};
    std::string out = Lines({"  0", "3DFACE", "  8", "0"});
    int i = 0;
    for (const char* c : coords) out += Lines({codes[i++], c});
    return out;
}

std::string Vertex(const std::string& x, const std::string& y, const std::string& z, bool with_colour = false) {
    std::string out = Lines({"  0", "VERTEX", "  8", "0"});
    if (with_colour) out += Lines({" 62", "5"});
    return out + Lines({" 10", x, " 20", y, " 30", z, " 70", "32"});
}

std::string Polyline(const std::string& groups, int vertices, bool with_colour = false) {
    std::string out = Lines({"  0", "POLYLINE", "  8", "0", " 66", "1"}) + groups;
    for (int i = 0; i < vertices; ++i)
        out += Vertex(std::to_string(i) + ".0", std::to_string(i * 2) + ".5", "0.0", with_colour);
    return out + Lines({"  0", "SEQEND"});
}

std::string Table(const std::string& name) {
    return Lines({"  0", "TABLE", "  2", name, " 70", "1", "  0", name, "  2", "DUMMY", " 70", "0", "  0",
                  "ENDTAB"});
}

DxfDrawing Read(const std::string& text) {
    return ReadDxfBytes(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

std::vector<int> FaceSizes(const DxfDrawing& d) {
    std::vector<int> out;
    if (!d.faces) return out;
    for (const FaceListStruct* p = d.faces->ListHead; p; p = p->next_face) out.push_back(p->cur_face.point_cnt);
    return out;
}

const std::string kOneFace = Face3D({"0.0", "0.0", "0.0", "1.0", "0.0", "0.0", "1.0", "1.0", "0.0", "1.0", "1.0", "0.0"});

struct ReadCase {
    const char* rule;
    std::string text;
    bool has_list;
    std::vector<int> faces;
    float min, max;
};

TEST(GlObject, DrawingsBecomeFaceListsAndARange) {
    const ReadCase cases[] = {
        {"one 3DFACE whose fourth corner repeats the third", Section("ENTITIES", kOneFace) + kEof, true, {3}, 0, 1},
        {"polyline with 72 = 4 and eight vertices",
         Section("ENTITIES", Polyline(Lines({" 72", "4"}), 8)) + kEof, true, {4, 4}, 0, 14.5f},
        {"polyline without 72 and eight vertices", Section("ENTITIES", Polyline("", 8)) + kEof, true, {3, 3, 2},
         0, 14.5f},
        {"vertices with a colour group", Section("ENTITIES", Polyline("", 4, true)) + kEof, true, {3, 1}, 0, 6.5f},
        {"polyline without vertices still makes the list",
         Section("ENTITIES", Lines({"  0", "POLYLINE", "  8", "0", "  0", "SEQEND"})) + kEof, true, {}, 1024000.0f,
         -1024000.0f},
        {"only HEADER and TABLES", Section("HEADER", Lines({"  9", "$ACADVER", "  1", "AC1009"})) +
                                       Section("TABLES", Table("LTYPE")) + kEof,
         false, {}, 1024000.0f, -1024000.0f},
        {"two tables are skipped and the ENTITIES after them read",
         Section("TABLES", Table("LTYPE") + Table("LAYER")) + Section("ENTITIES", kOneFace) + kEof, true, {3}, 0,
         1},
        {"faces inside a block definition count",
         Section("BLOCKS", Lines({"  0", "BLOCK", "  8", "0", "  2", "B1"}) + kOneFace + Lines({"  0", "ENDBLK"})) +
             kEof,
         true, {3}, 0, 1},
        {"other entities are skipped",
         Section("ENTITIES", Lines({"  0", "LINE", "  8", "0", " 10", "50.0", " 20", "60.0", " 30", "0.0"}) +
                                 kOneFace) +
             kEof,
         true, {3}, 0, 1},
        {"a coordinate without a point repeats the last real",
         Section("ENTITIES", Face3D({"-2.5", "0.5", "3", "7.9", "2", "0", "1.0", "1.0", "0.0", "1.0", "1.0", "0.0"})) +
             kEof,
         true, {3}, -2.5f, 7.9f},  // corners (-2.5, 0.5, 0.5), (7.9, 7.9, 7.9), (1, 1, 0), (1, 1, 0)
        {"nothing after the EOF line is read", kEof + Section("ENTITIES", kOneFace), false, {}, 1024000.0f,
         -1024000.0f},
        {"no EOF line: the end of the input ends the drawing", Section("ENTITIES", kOneFace), true, {3}, 0, 1},
        {"no EOF line inside a table", Section("TABLES", Lines({"  0", "TABLE", "  2", "LTYPE", " 70", "1"})), false,
         {}, 1024000.0f, -1024000.0f},
        {"3DFACE cut off before its group 10", Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "3DFACE", "  8"}),
         false, {}, 1024000.0f, -1024000.0f},
        {"3DFACE cut off in its corners",
         Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "3DFACE", " 10", "4.0",  " 20", "5.0", " 30"}), true, {2},
         4, 5},  // (4, 5, 5), then (5, 5, 5) three times
        {"polyline cut off in a vertex",
         Lines({"  0", "SECTION", "  2", "ENTITIES", "  0", "POLYLINE", "  0", "VERTEX", "  8", "0", " 10", "1.0"}),
         true, {1}, 1, 1},
        {"empty input", "", false, {}, 1024000.0f, -1024000.0f},
    };
    for (const ReadCase& c : cases) {
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
    DxfDrawing d = Read(Section("ENTITIES", Polyline(Lines({" 72", "2"}), 3)) + kEof);
    ASSERT_EQ(FaceSizes(d), (std::vector<int>{2, 1}));
    const face& second = d.faces->ListTail->cur_face;
    EXPECT_EQ(second.f[0].v[0], 2.0f);
    EXPECT_EQ(second.f[0].v[1], 4.5f);
    EXPECT_EQ(second.f[0].v[2], 0.0f);
}

struct RefusedCase {
    const char* rule;
    std::string text;
    std::string error;
    std::string messages;
};

TEST(GlObject, DrawingsThatCannotBeReadAreRefusedWithAMessage) {
    const std::string too_large =
        "page_pool::new_block: allocation request too large\npage_pool::page_alloc: allocation error\n";
    const RefusedCase cases[] = {
        {"HEADER not closed before EOF", Lines({"  0", "SECTION", "  2", "HEADER", "  9", "$ACADVER"}) + kEof,
         "HEADER section not closed before EOF", "HEADER section not closed before EOF\n"},
        {"HEADER not closed before the end of input", Lines({"  0", "SECTION", "  2", "HEADER"}),
         "HEADER section not closed before EOF", "HEADER section not closed before EOF\n"},
        {"683 points per face", Section("ENTITIES", Polyline(Lines({" 72", "683"}), 2)) + kEof,
         "page_pool::page_alloc: allocation error", too_large},
        {"682 points per face, then a face too many",
         Section("ENTITIES", kOneFace + Polyline(Lines({" 72", "682"}), 1) + Polyline(Lines({" 72", "1000"}), 1)) +
             kEof,
         "page_pool::page_alloc: allocation error", too_large},
        {"0 points per face", Section("ENTITIES", Polyline(Lines({" 72", "0"}), 3)) + kEof,
         "POLYLINE with 0 points per face", "POLYLINE with 0 points per face\n"},
        {"negative points per face", Section("ENTITIES", Polyline(Lines({" 72", "-245"}), 3)) + kEof,
         "POLYLINE with -245 points per face", "POLYLINE with -245 points per face\n"},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.rule);
        testing::internal::CaptureStderr();
        DxfDrawing d = Read(c.text);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.messages);
        EXPECT_EQ(d.error, c.error);
        EXPECT_EQ(d.faces, nullptr);
    }
}

TEST(GlObject, PolylineWithoutVerticesAcceptsAnyPointsPerFace) {
    DxfDrawing d = Read(Section("ENTITIES", Polyline(Lines({" 72", "0"}), 0)) + kEof);
    EXPECT_EQ(d.error, "");
    EXPECT_NE(d.faces, nullptr);
}

TEST(GlObject, BinaryDrawingIsRefusedAndEndsWithoutHanging) {
    std::string junk = "AutoCAD Binary DXF\r\n\x1a";
    junk.push_back('\0');
    for (int i = 0; i < 4000; ++i) junk.push_back(char((i * 131 + 7) & 0xFF));
    testing::internal::CaptureStderr();
    DxfDrawing d = Read(junk);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "This is a binary DXF drawing; only text drawings are read.\n");
    EXPECT_EQ(d.error, "This is a binary DXF drawing; only text drawings are read.");
    EXPECT_EQ(d.faces, nullptr);
}

TEST(ReadDxfFile, MissingFileIsReported) {
    testing::internal::CaptureStderr();
    DxfDrawing d = ReadDxfFile("/nonexistent/x.dxf");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(d.error, "cannot open /nonexistent/x.dxf");
    EXPECT_EQ(d.faces, nullptr);
}

}  // namespace
