// orvalis-cli wave-info FILE: the information line of a WAV file from its header alone; no
// sound device is asked and the samples are never read.
#include "tools/cli/cli.h"
#include "wave/wav_loader.h"

#include <cstdio>

namespace {
int WaveInfo(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: orvalis-cli wave-info FILE\n");
        return 2;
    }
    WaveHeader h;
    std::string message = ReadWaveHeaderFile(args[0], h);
    if (!message.empty()) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    std::printf("%s\n", WaveInfoText(h.format, h.dwDataSize).c_str());
    return 0;
}
CliCommand reg("wave-info", "FILE", WaveInfo);
}  // namespace
