#include "wave/wav_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WaveState wd;
    // A device that takes every format, so the whole loader runs.
    const std::string msg = LoadWaveBytes(wd, data, size, [](const WAVEFORMATEX&) { return true; });
    if (msg.empty() && wd.pFormat) {
        volatile uint32_t acc = 0;
        for (uint32_t i = 0; i < wd.dwDataSize; ++i) acc = acc + wd.lpData[i];
        (void)WaveInfoText(*wd.pFormat, wd.dwDataSize);
    }
    return 0;
}
