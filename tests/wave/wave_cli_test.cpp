// orvalis-cli wave-info: the information line on stdout, or the load's message on stderr;
// it asks no sound device (SDL is given none that could open).
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace wavtest;

namespace {

TEST(WaveInfoCommand, printsTheInformationLineOrTheLoadMessage) {
    const auto dir = std::filesystem::temp_directory_path() / ("wave_cli_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string errPath = (dir / "stderr").string();
    struct Case { const char* name; Bytes file /* empty: not written */; int status; const char* out, *err; } cases[] = {
        {"ok.wav", Riff({Fmt(2, 44100, 16), {"data", Ramp(8960)}}), 0, "44100/16 bits/ 2 Channels  2240 samples\n", ""},
        {"float.wav", Riff({Fmt(1, 44100, 32, 3), {"data", Ramp(4)}}), 1, "", "no PCM file\n"},
        {"nochan.wav", Riff({Fmt(0, 44100, 16), {"data", Ramp(4)}}), 1, "", "Can't play this format\n"},
        {"mono8.wav", Riff({Fmt(1, 8000, 8), {"data", Ramp(2241)}}), 0, "8000/8 bits/ 1 Channels  2241 samples\n", ""},
        {"cut.wav", Riff({Fmt(1, 8000, 8), {"data", Ramp(8), 9}}), 1, "", "Failed read chunk\n"},
        {"missing.wav", {}, 1, "", "couldn't load\n"},
    };
    for (const Case& c : cases) {
        const std::string path = (dir / c.name).string();
        if (!c.file.empty()) WriteBytes(path, c.file);
        const std::string cmd = "SDL_AUDIODRIVER=no-such-driver '" ORVALIS_CLI "' wave-info '" + path + "' 2>'" + errPath + "'";
        std::string out(256, '\0');
        FILE* p = popen(cmd.c_str(), "r");
        out.resize(fread(out.data(), 1, out.size(), p));
        EXPECT_EQ(WEXITSTATUS(pclose(p)), c.status) << c.name;
        const Bytes err = ReadBytes(errPath);
        EXPECT_EQ(out + "|" + std::string(err.begin(), err.end()), std::string(c.out) + "|" + c.err) << c.name;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
