#include "mandel/palette_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

struct Parsed { int ok; std::vector<uint32_t> Kleuren; int32_t MndlMaxColors; UserMessage msg; };

// The bytes sit in a block of exactly their size, so a read past the end trips the sanitizer.
Parsed Parse(const std::string& text, int32_t maxColors = 256) {
    auto block = std::make_unique<uint8_t[]>(text.size());
    std::copy(text.begin(), text.end(), block.get());
    Parsed p{0, {0xABCDEF}, maxColors, {}};
    p.ok = LoadPaletteBytes(block.get(), text.size(), "colours.pal", p.Kleuren, p.MndlMaxColors, p.msg);
    return p;
}

std::string Lines(int n, const std::string& line) {
    std::string s;
    for (int k = 0; k < n; ++k) s += line + "\n";
    return s;
}

TEST(PaletteFile, readsRedGreenBlueIntoTheLowBytesOfEachEntry) {
    const Parsed p = Parse("JASC\nfree text\n8\n255 128 0\n300 0 0\n1 2 3\r\n10 20 30\r\n7\n8 9\n\n-1 256 511");
    ASSERT_EQ(p.ok, 1);
    ASSERT_EQ(p.Kleuren.size(), 256u);
    // -1 -> 255, 256 -> 0, 511 -> 255; lines without spaces give zero components; the last
    // line has no line feed; entries the file does not supply are black.
    const std::vector<uint32_t> expected = {0x000080FF, 44, 0x00030201, 0x001E140A, 7, 0x0908, 0, 0x00FF00FF};
    EXPECT_EQ(std::vector<uint32_t>(p.Kleuren.begin(), p.Kleuren.begin() + 8), expected);
    EXPECT_EQ(std::count(p.Kleuren.begin() + 8, p.Kleuren.end(), 0u), 256 - 8);
    EXPECT_EQ(p.MndlMaxColors, 8);
}

TEST(PaletteFile, lowersTheColoursInUseToTheCount) {
    struct Case {
        int count, lines;
        int32_t maxBefore, maxAfter;
        size_t entries;
    } cases[] = {{16, 16, 256, 16, 256}, {16, 16, 8, 8, 256}, {255, 256, 256, 256, 256}, {300, 300, 256, 256, 300}, {1, 1, 16, 1, 256}};
    for (const Case& c : cases) {
        const Parsed p = Parse("a\nb\n" + std::to_string(c.count) + "\n" + Lines(c.lines, "1 2 3"), c.maxBefore);
        ASSERT_EQ(p.ok, 1) << c.count;
        EXPECT_EQ(p.MndlMaxColors, c.maxAfter) << c.count;
        EXPECT_EQ(p.Kleuren.size(), c.entries) << c.count;
        EXPECT_EQ(p.Kleuren[size_t(c.lines) - 1], 0x030201u) << c.count;
    }
}

TEST(PaletteFile, refusesACountBelowOneOrMissingColourLines) {
    const std::string none = "No colours in palette file:colours.pal",
                      fewer = "Fewer colours than announced in palette file:colours.pal";
    struct Case { const char* name; std::string text, message; } cases[] = {
        {"count 0", "a\nb\n0\n1 2 3\n", none},
        {"negative count", "a\nb\n-3\n1 2 3\n", none},
        {"empty file", "", none},
        {"count not a number", "a\nb\nmany\n1 2 3\n", none},
        {"one line short", "a\nb\n4\n" + Lines(3, "1 2 3"), fewer},
        {"255 reads 256 lines", "a\nb\n255\n" + Lines(255, "1 2 3"), fewer},
        {"huge count", "a\nb\n99999999999\n1 2 3\n", fewer},
    };
    for (const Case& c : cases) {
        const Parsed p = Parse(c.text, 64);
        EXPECT_EQ(p.ok, 0) << c.name;
        EXPECT_EQ(p.msg.caption, "Error") << c.name;
        EXPECT_EQ(p.msg.text, c.message) << c.name;
        EXPECT_EQ(p.MndlMaxColors, 64) << c.name << ": nothing changes on a refused file";
        EXPECT_EQ(p.Kleuren, std::vector<uint32_t>{0xABCDEF}) << c.name;
    }
}

TEST(PaletteFile, theShippedPaletteHas256ColoursWithBlackForTheSet) {
    std::ifstream in(ORVALIS_SOURCE_DIR "/mandel/palette.pal", std::ios::binary);
    ASSERT_TRUE(in);
    const Parsed p = Parse(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    ASSERT_EQ(p.ok, 1);
    EXPECT_EQ(p.MndlMaxColors, 256);
    EXPECT_EQ(p.Kleuren[0], 0u);
    for (size_t i = 1; i < 16; ++i) EXPECT_NE(p.Kleuren[i], p.Kleuren[i + 1]) << "neighbours " << i;
}

TEST(PaletteFile, aRelativeNameIsLookedForInEachFolderInTurn) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("orvalis-palette-" + std::to_string(::getpid()));
    const std::vector<fs::path> dirs = {root / "cwd", root / "exe", root / "data"};
    for (const fs::path& d : dirs) fs::create_directories(d);
    for (const fs::path& f : {root / "exe" / "palette.pal", root / "data" / "palette.pal", root / "data" / "other.pal"})
        std::ofstream(f) << "x";
    EXPECT_EQ(FindPaletteFile("palette.pal", dirs), (root / "exe" / "palette.pal").string());
    EXPECT_EQ(FindPaletteFile("other.pal", dirs), (root / "data" / "other.pal").string());
    EXPECT_EQ(FindPaletteFile("missing.pal", dirs), "missing.pal");
    EXPECT_EQ(FindPaletteFile("/nowhere/palette.pal", dirs), "/nowhere/palette.pal");
    fs::remove_all(root);
}

}  // namespace
