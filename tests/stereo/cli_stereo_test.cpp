// orvalis-cli stereo, run as a program. Its BMP is read back with the program's reader,
// which the picture tests check against ImageMagick.
#include "images/bmp_writer.h"
#include "images/picture_file.h"
#include "stereo/stereo_pictures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Exit status and everything printed.
std::pair<int, std::string> Cli(const std::string& args) {
    std::string text;
    FILE* p = popen((std::string(ORVALIS_CLI) + " stereo " + args + " 2>&1").c_str(), "r");
    char buf[512];
    while (size_t n = fread(buf, 1, sizeof buf, p)) text.append(buf, n);
    const int s = pclose(p);
    return {WIFEXITED(s) ? WEXITSTATUS(s) : -1, text};
}

TEST(CliStereo, WritesThePixelsOfTheProgramPipelineForEachOptionAndRefusesBadValuesAndFiles) {
    const fs::path dir = fs::temp_directory_path() / ("orvalis_cli_stereo_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    Image32 texture(37, 21), depth(151, 43);
    for (size_t i = 0; i < texture.px.size(); ++i) texture.px[i] = uint32_t(i * 2654435761u >> 8) & 0xFFFFFF;
    for (int y = 0; y < depth.height; ++y)
        for (int x = 0; x < depth.width; ++x) depth.at(x, y) = (x - 75) * (x - 75) + y * y < 900 ? 0x8080BC : 0x808080;
    ASSERT_TRUE(WriteBmp24((dir / "t.bmp").string(), texture) && WriteBmp24((dir / "d.bmp").string(), depth));
    const std::string out = (dir / "out.bmp").string(), dAndOut = " --depth " + (dir / "d.bmp").string() + " -o " + out;
    const std::string files = "--texture " + (dir / "t.bmp").string() + dAndOut + " ";
    const std::pair<std::string, StereoOptions> cases[] = {
        {files, {}},
        {files + "--oversample 4 --hidden", {4, -800, 150, 700, 0, 1, 0}},
        {files + "--oversample 6 --background-depth -300 --eye 90 --distance 500 --blocks --invert",
         {6, -300, 90, 500, 1, 0, 1}},
        {"--texture random-bw:9" + dAndOut + " --depth-mode grey --relief 700 --background-depth -900 --size 300x64 --dots",
         {1, -900, 150, 700, 0, 0, 0, kDepthGrey, 700, 300, 64, 1}},
    };
    for (const auto& [flags, opts] : cases) {
        const auto [status, text] = Cli(flags);
        ASSERT_EQ(0, status) << flags << ": " << text;
        Image32 want;
        const bool random = flags.find("random") != std::string::npos;  // separation 150 x 900 / 1600
        ASSERT_TRUE(MakeStereoPicture(random ? RandomDotTexture(84, true, 9) : texture, depth, opts, want));
        std::ifstream f(out, std::ios::binary);
        const std::vector<uint8_t> bmp((std::istreambuf_iterator<char>(f)), {});
        ASSERT_EQ(24, bmp.at(28)) << flags;
        const PictureResult got = ReadBmpBytes(bmp.data(), bmp.size());
        ASSERT_EQ(std::make_pair(want.width, want.height), std::make_pair(got.image.width, got.image.height)) << flags;
        EXPECT_EQ(want.px, got.image.px) << flags;
    }
    fs::remove(out);
    const std::string usage =
        "usage: orvalis-cli stereo --texture T|random[:SEED]|random-bw[:SEED] --depth D -o OUT.bmp [--oversample N] "
        "[--background-depth N] [--eye N] [--distance N] [--blocks] [--hidden] [--invert] [--depth-mode classic|grey] "
        "[--relief N] [--size WxH] [--dots]\n";
    const std::pair<std::string, std::pair<int, std::string>> refusals[] = {
        {files + "--oversample 3", {1, "Oversample factor must be 1, 2, 4 or 6.\n"}},
        {files + "--eye abc", {1, "Eye separation is not a number: it must be a whole number of 1 or more.\n"}},
        {"--texture " + (dir / "none.bmp").string() + dAndOut,
         {1, "Error on Fail in file open = 2\nError reading bitmap!\n"}},
        {files + "--wobble", {2, "orvalis-cli stereo: unknown option --wobble\n" + usage}},
        {files + "--relief 4001", {1, "Relief must be a whole number from 1 to 4000.\n"}},
        {files + "--size 640", {2, "orvalis-cli stereo: --size must be WIDTHxHEIGHT, such as 1920x1080\n"}},
        {files + "--size 8x8", {1, "Result width must be empty or a whole number from 16 to 16384.\n"}},
        {files + "--depth-mode deep", {2, "orvalis-cli stereo: --depth-mode must be classic or grey\n"}},
        {"--texture random:x" + dAndOut, {1, "Seed must be a whole number from 0 to 4294967295.\n"}},
    };
    for (const auto& [args, want] : refusals) EXPECT_EQ(want, Cli(args)) << args;
    EXPECT_FALSE(fs::exists(out));
    fs::remove_all(dir);
}

}  // namespace
