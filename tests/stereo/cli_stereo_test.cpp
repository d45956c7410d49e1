#include "images/bmp_writer.h"
#include "stereo/stereo_pictures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string output;
};

Outcome RunCli(const std::string& args) {
    std::string cmd = std::string(ORVALIS_CLI) + " stereo " + args + " 2>&1";
    Outcome r{-1, {}};
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[512];
    while (size_t n = fread(buf, 1, sizeof buf, p)) r.output.append(buf, n);
    int s = pclose(p);
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return r;
}

// A plain reading of a 24-bit bottom-up BMP, independent of the program's reader.
Image32 ReadBmp24(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(f)), {});
    auto u32 = [&](size_t at) { return uint32_t(b[at]) | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; };
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || (b[28] | b[29] << 8) != 24) return {};
    int w = int(u32(18)), h = int(u32(22));
    size_t stride = (size_t(w) * 3 + 3) & ~size_t(3), off = u32(10);
    if (off + stride * h > b.size()) return {};
    Image32 img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &b[off + (h - 1 - y) * stride + x * 3];
            img.at(x, y) = uint32_t(p[2]) << 16 | p[1] << 8 | p[0];
        }
    return img;
}

class CliStereo : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("orvalis_cli_stereo_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        std::mt19937 rng(8);
        texture = Image32(37, 21);
        for (auto& p : texture.px) p = rng() & 0xFFFFFF;
        depth = Image32(151, 43);
        for (int y = 0; y < depth.height; ++y)
            for (int x = 0; x < depth.width; ++x) depth.at(x, y) = 0x808080 + ((x - 75) * (x - 75) + y * y < 900 ? 60 : 0);
        ASSERT_TRUE(WriteBmp24((dir / "t.bmp").string(), texture));
        ASSERT_TRUE(WriteBmp24((dir / "d.bmp").string(), depth));
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string files() const {
        return "--texture " + (dir / "t.bmp").string() + " --depth " + (dir / "d.bmp").string() + " -o " +
               (dir / "out.bmp").string();
    }
    fs::path dir;
    Image32 texture, depth;
};

TEST_F(CliStereo, WritesThePixelsOfTheProgramPipelineForEachOption) {
    struct Case {
        const char* flags;
        StereoOptions opts;
    } cases[] = {
        {"", {}},
        {"--oversample 4 --hidden", {4, -800, 150, 700, 0, 1, 0}},
        {"--oversample 6 --background-depth -300 --eye 90 --distance 500 --blocks --invert", {6, -300, 90, 500, 1, 0, 1}},
        {"--invert --oversample 2 --hidden --blocks", {2, -800, 150, 700, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        Outcome r = RunCli(files() + " " + c.flags);
        ASSERT_EQ(0, r.status) << r.output;
        Image32 want;
        ASSERT_TRUE(MakeStereoPicture(texture, depth, c.opts, want));
        Image32 got = ReadBmp24(dir / "out.bmp");
        ASSERT_EQ(want.width, got.width);
        ASSERT_EQ(want.height, got.height);
        EXPECT_EQ(want.px, got.px);
    }
}

TEST_F(CliStereo, BadValuesAndFilesGiveTheirMessageAndStatusOne) {
    struct Case {
        std::string args;
        std::string output;
    } cases[] = {
        {files() + " --oversample 3", "Oversample factor must be 1, 2, 4 or 6.\n"},
        {files() + " --eye abc", "Eye separation is not a number: it must be a whole number of 1 or more.\n"},
        {files() + " --distance 0", "Observer screen distance must be a whole number of 1 or more.\n"},
        {files() + " --background-depth -100",
         "Background depth must be a whole number of -128 or less, so that every depth lies behind the screen.\n"},
        {"--texture " + (dir / "none.bmp").string() + " --depth " + (dir / "d.bmp").string() + " -o " +
             (dir / "out.bmp").string(),
         ""},
    };
    for (const Case& c : cases) {
        Outcome r = RunCli(c.args);
        EXPECT_EQ(1, r.status) << c.args;
        if (!c.output.empty()) EXPECT_EQ(c.output, r.output) << c.args;
        else EXPECT_NE(std::string::npos, r.output.find("Error reading bitmap!")) << r.output;
        EXPECT_FALSE(fs::exists(dir / "out.bmp"));
    }
    EXPECT_EQ(2, RunCli(files() + " --wobble").status);
    EXPECT_EQ(2, RunCli("--texture x.bmp -o y.bmp").status);
}

}  // namespace
