// orvalis-cli picture IN OUT.bmp, run as a program; its file errors carry the system's code.
#include "image_test_util.h"

#include <cstdio>
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
    EXPECT_EQ(written.at(28), 24);
    const PictureResult back = ReadBmpBytes(written.data(), written.size());
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(RgbBytes(back.image), ReadFileBytes(kBmp + "rle4.rgb"));
}

TEST(PictureCommand, PrintsTheLoaderMessagesAndFailsOnRefusal) {
    const std::string tmp = ::testing::TempDir(), notBmp = tmp + "orvalis_not.bmp", empty = tmp + "orvalis_0.bmp";
    std::ofstream(notBmp) << "GIF89a";
    std::fclose(std::fopen(empty.c_str(), "wb"));
    std::filesystem::create_directories(tmp + "orvalis_dir.bmp");
    const std::string kDispatch = "Error reading bitmap!\n";
    const std::pair<std::string, std::pair<int, std::string>> cases[] = {
        {notBmp + " /dev/null", {1, "This is not a DIB bitmap file!\n" + kDispatch}},
        {kBmp + "missing.bmp /dev/null", {1, "Error on Fail in file open = 2\n" + kDispatch}},
        {tmp + "orvalis_dir.bmp /dev/null", {1, "Error on Fail in file open = 21\n" + kDispatch}},
        {empty + " /dev/null", {1, "Error on Fail in creating map file = 22\n" + kDispatch}},
        {kBmp + "rgb24.rgb /dev/null", {1, "Can't open file: " + kBmp + "rgb24.rgb\n"}},
        {kBmp + "rgb24.bmp", {2, "usage: orvalis-cli picture IN OUT.bmp\n"}},
    };
    for (const auto& [args, want] : cases) EXPECT_EQ(RunCli(args), want) << args;
}

}  // namespace
