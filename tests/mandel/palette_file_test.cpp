#include "mandel/palette_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>
#include <fstream>
#include <memory>
#include <string>

namespace {

struct Parsed {
    int ok;
    std::vector<uint32_t> Kleuren;
    int32_t MndlMaxColors;
    UserMessage msg;
};

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
    const Parsed p = Parse("JASC\nfree text\n5\n255 128 0\n300 0 0\n1 2 3\r\n10 20 30\r\n-1 256 511");
    ASSERT_EQ(p.ok, 1);
    ASSERT_EQ(p.Kleuren.size(), 256u);
    EXPECT_EQ(p.Kleuren[0], 0x000080FFu);
    EXPECT_EQ(p.Kleuren[1], 44u);
    EXPECT_EQ(p.Kleuren[2], 0x00030201u);
    EXPECT_EQ(p.Kleuren[3], 0x001E140Au);
    EXPECT_EQ(p.Kleuren[4], 0x00FF00FFu);  // -1 -> 255, 256 -> 0, 511 -> 255; last line without a line feed
    for (size_t i = 5; i < 256; ++i) ASSERT_EQ(p.Kleuren[i], 0u) << "entry " << i << " is not in the file";
    EXPECT_EQ(p.MndlMaxColors, 5);
}

TEST(PaletteFile, lowersTheColoursInUseToTheCount) {
    struct Case {
        int count, lines;
        int32_t maxBefore, maxAfter;
        size_t entries;
    } cases[] = {{16, 16, 256, 16, 256}, {16, 16, 8, 8, 256}, {255, 256, 256, 256, 256},
                 {256, 256, 256, 256, 256}, {300, 300, 256, 256, 300}, {1, 1, 16, 1, 256}};
    for (const Case& c : cases) {
        const Parsed p = Parse("a\nb\n" + std::to_string(c.count) + "\n" + Lines(c.lines, "1 2 3"), c.maxBefore);
        ASSERT_EQ(p.ok, 1) << c.count;
        EXPECT_EQ(p.MndlMaxColors, c.maxAfter) << c.count;
        EXPECT_EQ(p.Kleuren.size(), c.entries) << c.count;
        EXPECT_EQ(p.Kleuren[size_t(c.lines) - 1], 0x030201u) << c.count;
    }
}

TEST(PaletteFile, linesWithoutSpacesGiveZeroComponents) {
    const Parsed p = Parse("a\nb\n3\n7\n8 9\n\n");
    ASSERT_EQ(p.ok, 1);
    EXPECT_EQ(p.Kleuren[0], 7u);
    EXPECT_EQ(p.Kleuren[1], 0x0908u);
    EXPECT_EQ(p.Kleuren[2], 0u);
}

TEST(PaletteFile, refusesACountBelowOneOrMissingColourLines) {
    struct Case {
        const char* name;
        std::string text;
        std::string message;
    } cases[] = {
        {"count 0", "a\nb\n0\n1 2 3\n", "No colours in palette file:colours.pal"},
        {"negative count", "a\nb\n-3\n1 2 3\n", "No colours in palette file:colours.pal"},
        {"no count line", "a\nb\n", "No colours in palette file:colours.pal"},
        {"empty file", "", "No colours in palette file:colours.pal"},
        {"count not a number", "a\nb\nmany\n1 2 3\n", "No colours in palette file:colours.pal"},
        {"one line short", "a\nb\n4\n" + Lines(3, "1 2 3"), "Fewer colours than announced in palette file:colours.pal"},
        {"255 reads 256 lines", "a\nb\n255\n" + Lines(255, "1 2 3"),
         "Fewer colours than announced in palette file:colours.pal"},
        {"huge count", "a\nb\n99999999999\n1 2 3\n", "Fewer colours than announced in palette file:colours.pal"},
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
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const Parsed p = Parse(text);
    ASSERT_EQ(p.ok, 1);
    EXPECT_EQ(p.MndlMaxColors, 256);
    EXPECT_EQ(p.Kleuren[0], 0u);
    for (size_t i = 1; i < 16; ++i) EXPECT_NE(p.Kleuren[i], p.Kleuren[i + 1]) << "neighbours " << i;
}

TEST(PaletteFile, aRelativeNameIsLookedForInEachFolderInTurn) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("orvalis-palette-" + std::to_string(::getpid()));
    fs::create_directories(root / "cwd");
    fs::create_directories(root / "exe");
    fs::create_directories(root / "data");
    std::ofstream(root / "exe" / "palette.pal") << "x";
    std::ofstream(root / "data" / "palette.pal") << "x";
    std::ofstream(root / "data" / "other.pal") << "x";
    const std::vector<fs::path> dirs = {root / "cwd", root / "exe", root / "data"};
    EXPECT_EQ(FindPaletteFile("palette.pal", dirs), (root / "exe" / "palette.pal").string());
    EXPECT_EQ(FindPaletteFile("other.pal", dirs), (root / "data" / "other.pal").string());
    EXPECT_EQ(FindPaletteFile("missing.pal", dirs), "missing.pal");
    EXPECT_EQ(FindPaletteFile("/nowhere/palette.pal", dirs), "/nowhere/palette.pal");
    fs::remove_all(root);
}

}  // namespace
