// The explorer's values without a window: zooms and the selection, the title and the number
// check, the palette file, and the start dialog's texts. The shipped palette and its search
// beside the program are checked through the window.
#include "mandel/mandel_view.h"
#include "mandel/palette_file.h"
#include "mandel/start_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

namespace {

SETTINGS Fresh() {
    SETTINGS s{};
    return s.MndlR = 111.0, s.MndlI = 222.0, s;
}

// A view and the settings it must have written (the stored corner stays for the keys).
void ExpectView(const MandelView& v, const MandelView& expected, const SETTINGS& s, bool stored, const char* name) {
    EXPECT_LT(std::abs(v.fltR - expected.fltR) + std::abs(v.fltI - expected.fltI) + std::abs(v.fltSide - expected.fltSide), 1e-12)
        << name << ": " << v.fltR << ", " << v.fltI << ", " << v.fltSide;
    EXPECT_TRUE((stored ? s.MndlR == v.fltR && s.MndlI == v.fltI : s.MndlR == 111.0 && s.MndlI == 222.0) && s.MndlSide == v.fltSide)
        << name;
}

// Columns: name, view before, scale, cursor (none for keys), window geometry, view after.
TEST(MandelZoom, EachKeyOrWheelStepScalesTheSideAboutItsPoint) {
    struct Case { const char* name; MandelView v; double scale; std::optional<ClientPoint> cursor; MandelGeometry g; MandelView want; };
    Case cases[] = {
        // Keys: "+" halves, "-" takes 1.5 times; the point corner + old side / 2 stays put.
        {"+", {-1.5, -1.0, 2.0}, 0.5, std::nullopt, {600, 600, 0, 0}, {-1.0, -0.5, 1.0}},
        {"-", {-1.0, -0.5, 1.0}, 1.5, std::nullopt, {600, 600, 0, 0}, {-1.25, -0.75, 1.5}},
        // Wheel: the point under the cursor becomes the centre. Centre of 800 x 600, side 0.6,
        // corner (-1.0, -0.3): the centre (-0.6, 0.0) stays.
        {"forward at the centre", {-1.0, -0.3, 0.6}, 0.5, ClientPoint{400, 300}, {800, 600, 0, 0}, {-0.8, -0.15, 0.3}},
        {"back at the centre", {-1.0, -0.3, 0.6}, 1.5, ClientPoint{400, 300}, {800, 600, 0, 0}, {-0.6 - 0.6, -0.45, 0.9}},
        {"scrolled picture", {-1.0, -0.3, 0.6}, 0.5, ClientPoint{300, 250}, {800, 600, 100, 50}, {-0.8, -0.15, 0.3}},
        {"at the corner", {-1.0, -0.3, 0.6}, 0.5, ClientPoint{0, 0}, {800, 600, 0, 0}, {-1.0 - 0.2, -0.3 - 0.15, 0.3}}};
    for (Case& c : cases) {
        SETTINGS s = Fresh();
        EXPECT_TRUE(MandelZoom(c.v, s, c.scale, c.cursor, c.g)) << c.name;
        ExpectView(c.v, c.want, s, c.cursor.has_value(), c.name);
    }
}

TEST(MandelZoom, ASideBeyondTheLimitsIsKeptButNotComputed) {
    struct Limit { double side, scale; bool computed; } limits[] = {{2.0, 1.5, true}, {2.5, 1.5, false}, {3.0, 1.0, true},
                                                                    {2e-14, 0.5, true}, {1.5e-14, 0.5, false}};
    for (const Limit& c : limits) {
        MandelView v{-2.0, -1.0, c.side};
        SETTINGS s{};
        EXPECT_EQ(MandelZoom(v, s, c.scale, std::nullopt, {600, 600, 0, 0}), c.computed) << c.side << " x " << c.scale;
        EXPECT_TRUE(v.fltSide == c.side * c.scale && s.MndlSide == v.fltSide) << c.side << " x " << c.scale;
    }
}

TEST(MandelSelection, BecomesTheViewFromItsTopLeftAndHeight) {
    struct Drag { const char* name; ClientPoint a, b; MandelGeometry g; MandelView expected; } drags[] = {
        {"drag down-right", {100, 50}, {300, 350}, {800, 600, 0, 0}, {-1.75, -0.625, 0.75}},
        {"drag up-left", {300, 350}, {100, 50}, {800, 600, 0, 0}, {-1.75, -0.625, 0.75}},
        {"drag up-right", {100, 350}, {300, 50}, {800, 600, 0, 0}, {-1.75, -0.625, 0.75}},
        {"scrolled by (20, 10)", {100, 50}, {300, 350}, {800, 600, 20, 10}, {-1.7, -0.6, 0.75}},
        {"no height", {100, 50}, {300, 50}, {800, 600, 0, 0}, {-1.75, -0.625, 0.0}}};
    for (const Drag& c : drags) {
        MandelView v{-2.0, -0.75, 1.5};
        SETTINGS s = Fresh();
        SetMouseValues(v, s, c.a, c.b, c.g), ExpectView(v, c.expected, s, true, c.name);
    }
}

TEST(MandelTitle, ShowsSizeAndViewInExponentForm) {
    EXPECT_EQ(MandelTitle(800, 600, kMainView), "Mandel - 800X600 R:-2.0e+00 I:-1.1e+00 L:2.27e+00");
    EXPECT_EQ(MandelTitle(1, 2, {1e-120, 0.0, 12345.0}), "Mandel - 1X2 R:1.0e-120 I:0.0e+00 L:1.23e+04");
}

TEST(Checkf, WarnsOutsideTheWorkingRangeOnly) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (auto [d, warns] : {std::pair{0.0, true}, {1e-15, true}, {-3.5, true}, {3.0000001, true}, {inf, true},
                            {-2.0, false}, {3.0, false}, {1e-14, false}, {-1e-14, false}, {nan, false}}) {
        const auto m = checkf(d);
        EXPECT_EQ(m ? m->caption + "/" + m->text : "", warns ? "ERROR/DOUBLE ERROR" : "") << d;
    }
}

struct Parsed { int ok; std::vector<uint32_t> Kleuren; int32_t MndlMaxColors; UserMessage msg; };

// The bytes sit in a block of exactly their size, so a read past the end trips the sanitizer.
Parsed Parse(const std::string& text, int32_t maxColors = 256) {
    auto block = std::make_unique<uint8_t[]>(text.size());
    Parsed p{0, {0xABCDEF}, maxColors, {}};
    std::copy(text.begin(), text.end(), block.get());
    p.ok = LoadPaletteBytes(block.get(), text.size(), "colours.pal", p.Kleuren, p.MndlMaxColors, p.msg);
    return p;
}
// Two header lines, the count, then n lines "1 2 3".
std::string File(const std::string& count, int n) {
    std::string s = "a\nb\n" + count + "\n";
    for (int k = 0; k < n; ++k) s += "1 2 3\n";
    return s;
}

TEST(PaletteFile, ReadsRedGreenBlueIntoTheLowBytesOfEachEntry) {
    const Parsed p = Parse("JASC\nfree text\n8\n255 128 0\n300 0 0\n1 2 3\r\n10 20 30\r\n7\n8 9\n\n-1 256 511");
    ASSERT_EQ(std::make_tuple(p.ok, p.Kleuren.size(), p.MndlMaxColors), std::make_tuple(1, size_t(256), 8));
    // -1 -> 255, 256 -> 0, 511 -> 255; lines without spaces give zero components; the last
    // line has no line feed; entries the file does not supply are black.
    const std::vector<uint32_t> expected = {0x000080FF, 44, 0x00030201, 0x001E140A, 7, 0x0908, 0, 0x00FF00FF};
    EXPECT_EQ(std::vector(p.Kleuren.begin(), p.Kleuren.begin() + 8), expected);
    EXPECT_EQ(std::count(p.Kleuren.begin() + 8, p.Kleuren.end(), 0u), 256 - 8);
}

// Columns: count, lines, colours in use before and after, entries; 255 is read as 256.
TEST(PaletteFile, TheCountLowersTheColoursInUse) {
    struct Case { int count, lines, maxBefore, maxAfter; size_t entries; } cases[] = {
        {16, 16, 256, 16, 256}, {16, 16, 8, 8, 256}, {255, 256, 256, 256, 256}, {300, 300, 256, 256, 300}, {1, 1, 16, 1, 256}};
    for (const Case& c : cases) {
        const Parsed p = Parse(File(std::to_string(c.count), c.lines), c.maxBefore);
        ASSERT_EQ(std::make_tuple(p.ok, p.MndlMaxColors, p.Kleuren.size()), std::make_tuple(1, c.maxAfter, c.entries))
            << c.count;
        EXPECT_EQ(p.Kleuren[size_t(c.lines) - 1], 0x030201u) << c.count;
    }
}

TEST(PaletteFile, MissingColoursAreRefusedWithoutAChange) {
    const std::string none = "No colours in palette file:colours.pal",
                      fewer = "Fewer colours than announced in palette file:colours.pal";
    struct Refused { const char* name; std::string text, message; } refused[] = {
        {"count 0", File("0", 1), none}, {"negative count", File("-3", 1), none}, {"empty file", "", none},
        {"count not a number", File("many", 1), none}, {"one line short", File("4", 3), fewer},
        {"255 reads 256 lines", File("255", 255), fewer}, {"huge count", File("99999999999", 1), fewer}};
    for (const Refused& c : refused) {
        const Parsed p = Parse(c.text, 64);
        EXPECT_EQ(std::make_tuple(p.ok, p.msg.caption, p.msg.text), std::make_tuple(0, std::string("Error"), c.message)) << c.name;
        EXPECT_TRUE(p.MndlMaxColors == 64 && p.Kleuren == std::vector<uint32_t>{0xABCDEF}) << c.name << ": nothing changes";
    }
}

// Stores the default texts with one field changed; returns the settings.
template <class F>
SETTINGS Stored(F edit) {
    SETTINGS s;
    SetDefaultSettings(s);
    StartTexts t = StartDialogTexts(s);
    return edit(t), StoreStartValues(s, t), s;
}

TEST(StartDialog, ShowsTheStoredValues) {
    StartTexts shown;
    Stored([&](StartTexts& t) { shown = t; });
    EXPECT_EQ((std::vector{shown.Length, shown.R, shown.I, shown.Width, shown.Height, shown.Iterations, shown.Colors, shown.Redraw,
                           shown.Palette}),
              (std::vector<std::string>{"2.463000000000000e-03", "-7.448460000000000e-01", "-1.326780000000000e-01", "800",
                                        "600", "256", "16", "500", "palette.pal"}));
}

TEST(StartDialog, StartStoresTheMainPictureItFilledIn) {
    StartTexts filled;
    const SETTINGS s = Stored([&](StartTexts& t) { FillMainPicture(t), filled = t; });
    EXPECT_EQ(std::make_tuple(filled.Length, filled.R, filled.I), std::make_tuple("2.27", "-2", "-1.1338"));
    EXPECT_EQ(std::make_tuple(s.MndlSide, s.MndlR, s.MndlI, s.MndlW, s.MndlMaxColors), std::make_tuple(2.27, -2.0, -1.1338, 800, 16));
}

TEST(StartDialog, RoundsTheColoursDownToAPowerOfTwoFromFourTo256) {
    struct Case { const char* text; int32_t expected; } cases[] = {
        {"100", 64}, {"3", 4}, {"256", 256}, {"1000", 256}, {"0", 4}, {"7", 4}, {"8", 8}, {"255", 128}, {"", 4}, {"99999999999", 4}};
    for (const Case& c : cases)
        EXPECT_EQ(Stored([&](StartTexts& t) { t.Colors = c.text; }).MndlMaxColors, c.expected) << '"' << c.text << '"';
}

TEST(StartDialog, APaletteNameIsCutToTheRecordWithoutHalfACharacter) {
    // A palette name cut at the limit drops a partial UTF-8 character rather than keep half of it.
    for (auto [name, length] : {std::pair{std::string(300, 'p'), 259u}, {std::string(258, 'p') + "\xc3\xa9", 258u},
                                {std::string("/tmp/colours.pal"), 16u}}) {
        const SETTINGS s = Stored([&](StartTexts& t) { t.Palette = name; });
        EXPECT_EQ(std::string(s.Palettefile), name.substr(0, length));
    }
}

}  // namespace
