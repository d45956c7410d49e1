// orvalis-cli wave-info FILE: loads a WAV file as the wave window does (the sound device is
// asked too) and prints its information line.
#include "tools/cli/cli.h"
#include "wave/wav_loader.h"
#include "wave/wave_out.h"

#include <cstdio>

namespace {
int WaveInfo(const std::vector<std::string>& args) {
    std::vector<std::string> file;
    const CliSpec spec{"wave-info",
                       "Prints the information line of a WAV file (set SDL_AUDIODRIVER=dummy where there is no sound).",
                       {"FILE"},
                       {}};
    if (int status = CliParse(spec, args, &file); status >= 0) return status;
    WaveState wd;
    const std::string message = LoadWaveFileCore(wd, file[0], &WaveOut::QueryFormat);
    if (!message.empty()) return CliFileError(file[0], message);
    std::printf("%s\n", WaveInfoText(*wd.pFormat, wd.dwDataSize).c_str());
    return 0;
}
CliCommand reg("wave-info", "the information line of a WAV file", WaveInfo);
}  // namespace
