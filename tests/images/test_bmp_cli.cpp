// orvalis-cli picture IN OUT.bmp, run as a program.
#include "images/picture_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace {

const std::string kData = ORVALIS_SOURCE_DIR "/tests/data/bmp/";

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// Runs the command with its standard error into `err`; returns the exit status.
int runCli(const std::string& args, std::string& err) {
    const std::string errFile = ::testing::TempDir() + "orvalis_cli_err.txt";
    const int status = std::system((std::string(ORVALIS_CLI) + " picture " + args + " 2>" + errFile).c_str());
    const std::vector<uint8_t> bytes = readFile(errFile);
    err.assign(bytes.begin(), bytes.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PictureCommand, writesTheDecodedPictureAs24BitBmp) {
    const std::string out = ::testing::TempDir() + "orvalis_cli_out.bmp";
    std::string err;
    ASSERT_EQ(runCli(kData + "rle4.bmp " + out, err), 0) << err;
    const std::vector<uint8_t> written = readFile(out);
    ASSERT_GE(written.size(), 54u);
    EXPECT_EQ(written[28], 24);
    const PictureResult back = ReadBmpBytes(written.data(), written.size());
    ASSERT_TRUE(back.ok);
    std::vector<uint8_t> rgb;
    for (uint32_t p : back.image.px) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    EXPECT_EQ(rgb, readFile(kData + "rle4.rgb"));
}

TEST(PictureCommand, printsTheLoaderMessagesAndFailsOnRefusal) {
    const std::string notBmp = ::testing::TempDir() + "orvalis_not.bmp";
    std::ofstream(notBmp) << "GIF89a";
    const struct {
        std::string args;
        int status;
        std::string err;
    } cases[] = {
        {notBmp + " /dev/null", 1, "This is not a DIB bitmap file!\nError reading bitmap!\n"},
        {kData + "missing.bmp /dev/null", 1, "Error on Fail in file open = 2\nError reading bitmap!\n"},
        {kData + "rgb24.rgb /dev/null", 1, "Can't open file: " + kData + "rgb24.rgb\n"},
        {kData + "rgb24.bmp", 2, "usage: orvalis-cli picture IN OUT.bmp\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        std::string err;
        EXPECT_EQ(runCli(c.args, err), c.status);
        EXPECT_EQ(err, c.err);
    }
}

}  // namespace
