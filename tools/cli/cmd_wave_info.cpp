// orvalis-cli wave-info FILE: loads a WAV file as the wave window does (the sound device is
// asked too) and prints its information line.
#include "tools/cli/cli.h"
#include "wave/wav_loader.h"
#include "wave/wave_out.h"

#include <cstdio>

namespace {
int WaveInfo(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: orvalis-cli wave-info FILE\n");
        return 2;
    }
    WaveState wd;
    std::string message = LoadWaveFileCore(wd, args[0], &WaveOut::QueryFormat);
    if (!message.empty()) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    std::printf("%s\n", WaveInfoText(*wd.pFormat, wd.dwDataSize).c_str());
    return 0;
}
CliCommand reg("wave-info", "FILE", WaveInfo);
}  // namespace
