// orvalis-cli wave-info FILE: the information line of a WAV file from its header alone; no
// sound device is asked and the samples are never read.
#include "tools/cli/cli.h"
#include "wave/wav_loader.h"

#include <cstdio>

namespace {
int WaveInfo(const std::vector<std::string>& args) {
    std::vector<std::string> file;
    const CliSyntax syntax{"wave-info", "Prints the information line of a WAV file, read from its header.", {"FILE"}, {}};
    if (int status = CliParse(syntax, args, &file); status >= 0) return status;
    WaveHeader h;
    const std::string message = ReadWaveHeaderFile(file[0], h);
    if (!message.empty()) return CliFileError(file[0], message);
    std::printf("%s\n", WaveInfoText(h.format, h.dwDataSize).c_str());
    return 0;
}
CliCommand reg("wave-info", "the information line of a WAV file", WaveInfo);
}  // namespace
