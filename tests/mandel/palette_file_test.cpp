#include "mandel/palette_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

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

TEST(PaletteFile, readsRedGreenBlueIntoTheLowBytesOfEachEntry) {
    const Parsed p = Parse("JASC\nfree text\n8\n255 128 0\n300 0 0\n1 2 3\r\n10 20 30\r\n7\n8 9\n\n-1 256 511");
    ASSERT_EQ(std::make_tuple(p.ok, p.Kleuren.size(), p.MndlMaxColors), std::make_tuple(1, size_t(256), 8));
    // -1 -> 255, 256 -> 0, 511 -> 255; lines without spaces give zero components; the last
    // line has no line feed; entries the file does not supply are black.
    const std::vector<uint32_t> expected = {0x000080FF, 44, 0x00030201, 0x001E140A, 7, 0x0908, 0, 0x00FF00FF};
    EXPECT_EQ(std::vector(p.Kleuren.begin(), p.Kleuren.begin() + 8), expected);
    EXPECT_EQ(std::count(p.Kleuren.begin() + 8, p.Kleuren.end(), 0u), 256 - 8);
}

TEST(PaletteFile, lowersTheColoursInUseToTheCountAndRefusesMissingColours) {
    // count, lines, colours in use before and after, entries; 255 is read as 256.
    struct Case { int count, lines, maxBefore, maxAfter; size_t entries; } cases[] = {
        {16, 16, 256, 16, 256}, {16, 16, 8, 8, 256}, {255, 256, 256, 256, 256}, {300, 300, 256, 256, 300}, {1, 1, 16, 1, 256}};
    for (const Case& c : cases) {
        const Parsed p = Parse(File(std::to_string(c.count), c.lines), c.maxBefore);
        ASSERT_EQ(std::make_tuple(p.ok, p.MndlMaxColors, p.Kleuren.size()), std::make_tuple(1, c.maxAfter, c.entries))
            << c.count;
        EXPECT_EQ(p.Kleuren[size_t(c.lines) - 1], 0x030201u) << c.count;
    }
    const std::string none = "No colours in palette file:colours.pal",
                      fewer = "Fewer colours than announced in palette file:colours.pal";
    struct Refused { const char* name; std::string text, message; } refused[] = {
        {"count 0", File("0", 1), none}, {"negative count", File("-3", 1), none}, {"empty file", "", none},
        {"count not a number", File("many", 1), none}, {"one line short", File("4", 3), fewer},
        {"255 reads 256 lines", File("255", 255), fewer}, {"huge count", File("99999999999", 1), fewer},
    };
    for (const Refused& c : refused) {
        const Parsed p = Parse(c.text, 64);
        EXPECT_EQ(std::make_tuple(p.ok, p.msg.caption, p.msg.text), std::make_tuple(0, std::string("Error"), c.message)) << c.name;
        EXPECT_TRUE(p.MndlMaxColors == 64 && p.Kleuren == std::vector<uint32_t>{0xABCDEF}) << c.name << ": nothing changes";
    }
}

// The shipped palette and its search beside the program are checked through the window.

}  // namespace
