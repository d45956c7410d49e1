// orvalis-cli picture IN OUT.bmp, run as a program.
#include "image_test_util.h"

#include <cstdlib>
#include <sys/wait.h>

namespace {

const std::string kBmp = kDataDir + "bmp/";

// Runs the command; returns the exit status and what it wrote to standard error.
std::pair<int, std::string> RunCli(const std::string& args) {
    const std::string errFile = ::testing::TempDir() + "orvalis_cli_err.txt";
    const int status = std::system((std::string(ORVALIS_CLI) + " picture " + args + " 2>" + errFile).c_str());
    const std::vector<uint8_t> err = ReadFileBytes(errFile);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(err.begin(), err.end())};
}

TEST(PictureCommand, WritesTheDecodedPictureAs24BitBmp) {
    const std::string out = ::testing::TempDir() + "orvalis_cli_out.bmp";
    const auto [status, err] = RunCli(kBmp + "rle4.bmp " + out);
    ASSERT_EQ(status, 0) << err;
    const std::vector<uint8_t> written = ReadFileBytes(out);
    ASSERT_GE(written.size(), 54u);
    EXPECT_EQ(written[28], 24);
    const PictureResult back = ReadBmpBytes(written.data(), written.size());
    ASSERT_TRUE(back.ok);
    std::vector<uint8_t> rgb;
    for (uint32_t p : back.image.px) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    EXPECT_EQ(rgb, ReadFileBytes(kBmp + "rle4.rgb"));
}

TEST(PictureCommand, PrintsTheLoaderMessagesAndFailsOnRefusal) {
    const std::string notBmp = ::testing::TempDir() + "orvalis_not.bmp";
    std::ofstream(notBmp) << "GIF89a";
    const std::pair<std::string, std::pair<int, std::string>> cases[] = {
        {notBmp + " /dev/null", {1, "This is not a DIB bitmap file!\nError reading bitmap!\n"}},
        {kBmp + "missing.bmp /dev/null", {1, "Error on Fail in file open = 2\nError reading bitmap!\n"}},
        {kBmp + "rgb24.rgb /dev/null", {1, "Can't open file: " + kBmp + "rgb24.rgb\n"}},
        {kBmp + "rgb24.bmp", {2, "usage: orvalis-cli picture IN OUT.bmp\n"}},
    };
    for (const auto& [args, want] : cases) EXPECT_EQ(RunCli(args), want) << args;
}

}  // namespace
