// orvalis-cli stereo, run as a program. Its BMP is read back with the program's reader,
// which the picture tests check against ImageMagick.
#include "images/bmp_writer.h"
#include "images/picture_file.h"
#include "stereo/stereo_pictures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

namespace fs = std::filesystem;

class CliStereo : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir);
        std::mt19937 rng(8);
        for (auto& p : texture.px) p = rng() & 0xFFFFFF;
        for (int y = 0; y < depth.height; ++y)
            for (int x = 0; x < depth.width; ++x)
                depth.at(x, y) = 0x808080 + ((x - 75) * (x - 75) + y * y < 900 ? 60 : 0);
        ASSERT_TRUE(WriteBmp24((dir / "t.bmp").string(), texture));
        ASSERT_TRUE(WriteBmp24((dir / "d.bmp").string(), depth));
    }
    void TearDown() override { fs::remove_all(dir); }

    // Exit status and everything printed.
    static std::pair<int, std::string> Cli(const std::string& args) {
        const std::string cmd = std::string(ORVALIS_CLI) + " stereo " + args + " 2>&1";
        std::string text;
        FILE* p = popen(cmd.c_str(), "r");
        char buf[512];
        while (size_t n = fread(buf, 1, sizeof buf, p)) text.append(buf, n);
        const int s = pclose(p);
        return {WIFEXITED(s) ? WEXITSTATUS(s) : -1, text};
    }
    std::pair<int, std::string> Run(const std::string& args, const char* tex = "t.bmp") {
        return Cli("--texture " + (dir / tex).string() + " --depth " + (dir / "d.bmp").string() + " -o " +
                   out.string() + " " + args);
    }

    fs::path dir = fs::temp_directory_path() / ("orvalis_cli_stereo_" + std::to_string(::getpid()));
    fs::path out = dir / "out.bmp";
    Image32 texture{37, 21}, depth{151, 43};
};

TEST_F(CliStereo, WritesThePixelsOfTheProgramPipelineForEachOption) {
    const std::pair<const char*, StereoOptions> cases[] = {
        {"", {}},
        {"--oversample 4 --hidden", {4, -800, 150, 700, 0, 1, 0}},
        {"--oversample 6 --background-depth -300 --eye 90 --distance 500 --blocks --invert",
         {6, -300, 90, 500, 1, 0, 1}},
    };
    for (const auto& [flags, opts] : cases) {
        const auto [status, text] = Run(flags);
        ASSERT_EQ(0, status) << flags << ": " << text;
        Image32 want;
        ASSERT_TRUE(MakeStereoPicture(texture, depth, opts, want));
        std::ifstream f(out, std::ios::binary);
        const std::vector<uint8_t> bmp((std::istreambuf_iterator<char>(f)), {});
        ASSERT_EQ(24, bmp.at(28)) << flags;
        const PictureResult got = ReadBmpBytes(bmp.data(), bmp.size());
        ASSERT_EQ(std::make_pair(want.width, want.height), std::make_pair(got.image.width, got.image.height)) << flags;
        EXPECT_EQ(want.px, got.image.px) << flags;
    }
}

TEST_F(CliStereo, BadValuesAndFilesGiveTheirMessageAndStatusOne) {
    const std::pair<const char*, std::string> cases[] = {
        {"--oversample 3", "Oversample factor must be 1, 2, 4 or 6.\n"},
        {"--eye abc", "Eye separation is not a number: it must be a whole number of 1 or more.\n"},
        {"--distance 0", "Observer screen distance must be a whole number of 1 or more.\n"},
        {"--background-depth -100",
         "Background depth must be a whole number of -128 or less, so that every depth lies behind the screen.\n"},
    };
    for (const auto& [args, message] : cases) EXPECT_EQ(std::make_pair(1, message), Run(args)) << args;
    const auto [status, text] = Run("", "none.bmp");
    EXPECT_EQ(1, status);
    EXPECT_NE(std::string::npos, text.find("Error reading bitmap!")) << text;
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(2, Run("--wobble").first);
    EXPECT_EQ(2, Cli("--texture x.bmp -o y.bmp").first);
}

}  // namespace
