// orvalis-cli wave-info: the information line on stdout, or the load's message on stderr.
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace wavtest;

namespace {

struct CliRun {
    int status;
    std::string out, err;
};

CliRun WaveInfo(const std::string& file) {
    auto errPath = std::filesystem::temp_directory_path() / ("wave_cli_err_" + std::to_string(::getpid()));
    std::string cmd = "SDL_AUDIODRIVER=dummy '" + std::string(ORVALIS_CLI) + "' wave-info '" + file + "' 2>'" +
                      errPath.string() + "'";
    CliRun r;
    FILE* p = popen(cmd.c_str(), "r");
    char buf[256];
    while (size_t n = fread(buf, 1, sizeof buf, p)) r.out.append(buf, n);
    r.status = WEXITSTATUS(pclose(p));
    std::ifstream e(errPath);
    r.err.assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
    std::filesystem::remove(errPath);
    return r;
}

TEST(WaveInfoCommand, printsTheInformationLineOrTheLoadMessage) {
    auto dir = std::filesystem::temp_directory_path() / ("wave_cli_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    struct Case {
        const char* name;
        Bytes file;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {"ok.wav", Riff({Fmt(2, 44100, 16), {"data", Ramp(8960)}}), 0, "44100/16 bits/ 2 Channels  2240 samples\n", ""},
        {"mono8.wav", Riff({Fmt(1, 11025, 8), {"data", Ramp(4)}}), 0, "11025/8 bits/ 1 Channels  1 samples\n", ""},
        {"float.wav", Riff({Fmt(1, 44100, 32, 3), {"data", Ramp(4)}}), 1, "", "no PCM file\n"},
        {"nochan.wav", Riff({Fmt(0, 44100, 16), {"data", Ramp(4)}}), 1, "", "Can't play this format\n"},
    };
    for (const Case& c : cases) {
        std::string path = (dir / c.name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(c.file.data()), long(c.file.size()));
        CliRun r = WaveInfo(path);
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_EQ(r.out, c.out) << c.name;
        EXPECT_EQ(r.err, c.err) << c.name;
    }
    CliRun missing = WaveInfo((dir / "missing.wav").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "couldn't load\n");
    std::filesystem::remove_all(dir);
}

}  // namespace
