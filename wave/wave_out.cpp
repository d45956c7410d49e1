#include "wave/wave_out.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

std::atomic<uint64_t> nextSerial{1};

struct DeviceFormat {
    SDL_AudioFormat format = 0;
    int srcSample = 0;
    int dstSample = 0;
};

// The SDL sample format for a PCM format, or false when there is none.
bool MapFormat(const WAVEFORMATEX& f, DeviceFormat& out) {
    if (f.wFormatTag != WAVE_FORMAT_PCM || f.nChannels == 0 || f.nChannels > 8 || f.nSamplesPerSec == 0 ||
        f.nSamplesPerSec > 768000)
        return false;
    // The container is the block align's share per channel; the samples' bits (20 in 24, say)
    // fill its top, so the device plays the container.
    const int bytes = f.nBlockAlign % f.nChannels == 0 ? f.nBlockAlign / f.nChannels : 0;
    switch (bytes) {
    case 1: out = {AUDIO_U8, 1, 1}; break;
    case 2: out = {AUDIO_S16LSB, 2, 2}; break;
    case 3: out = {AUDIO_S32LSB, 3, 4}; break;
    case 4: out = {AUDIO_S32LSB, 4, 4}; break;
    default: return false;
    }
    return f.wBitsPerSample > 8 * (bytes - 1) && f.wBitsPerSample <= 8 * bytes;
}

SDL_AudioSpec DesiredAudio(const WAVEFORMATEX& f, const DeviceFormat& d) {
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = int(f.nSamplesPerSec);
    want.format = d.format;
    want.channels = uint8_t(f.nChannels);
    want.samples = 2048;
    return want;
}

bool SameFormat(const SDL_AudioSpec& a, const SDL_AudioSpec& b) {
    return a.freq == b.freq && a.format == b.format && a.channels == b.channels;
}

}  // namespace

bool WaveOut::QueryFormat(const WAVEFORMATEX& fmt) {
    DeviceFormat d;
    if (!MapFormat(fmt, d)) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want = DesiredAudio(fmt, d), have;
    SDL_AudioDeviceID dev = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    bool ok = dev != 0 && SameFormat(want, have);
    if (dev) SDL_CloseAudioDevice(dev);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return ok;
}

bool WaveOut::DeviceExists() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    bool found = SDL_GetNumAudioDevices(0) != 0;  // -1: the driver cannot tell
    if (!found) {
        // Some drivers list no device yet open a default one.
        SDL_AudioSpec want;
        SDL_zero(want);
        want.freq = 44100;
        want.format = AUDIO_S16LSB;
        want.channels = 2;
        want.samples = 1024;
        const SDL_AudioDeviceID dev = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
        found = dev != 0;
        if (dev) SDL_CloseAudioDevice(dev);
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return found;
}

std::unique_ptr<WaveOut> WaveOut::Open(const WAVEFORMATEX& fmt, Done done) {
    DeviceFormat d;
    if (!MapFormat(fmt, d)) return nullptr;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    std::unique_ptr<WaveOut> wo(new WaveOut);
    wo->done_ = std::move(done);
    wo->srcSample_ = d.srcSample;
    wo->dstSample_ = d.dstSample;
    wo->silence_ = d.format == AUDIO_U8 ? 0x80 : 0;
    SDL_AudioSpec want = DesiredAudio(fmt, d), have;
    want.callback = &WaveOut::Callback;
    want.userdata = wo.get();
    wo->dev_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!wo->dev_ || !SameFormat(want, have)) {
        if (wo->dev_) SDL_CloseAudioDevice(wo->dev_);
        wo->dev_ = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    wo->serial_ = nextSerial++;
    return wo;
}

WaveOut::~WaveOut() {
    if (!dev_) return;
    SDL_LockAudioDevice(dev_);
    hdr_ = nullptr;
    SDL_UnlockAudioDevice(dev_);
    SDL_CloseAudioDevice(dev_);  // joins the audio thread
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool WaveOut::Prepare(WAVEHDR* hdr) {
    if (!hdr || !hdr->lpData || hdr->dwBufferLength == 0) return false;
    hdr->dwFlags = (hdr->dwFlags | WHDR_PREPARED) & ~WHDR_DONE;
    return true;
}

bool WaveOut::Unprepare(WAVEHDR* hdr) {
    if (!hdr) return false;
    SDL_LockAudioDevice(dev_);
    bool queued = hdr_ == hdr;
    SDL_UnlockAudioDevice(dev_);
    if (queued) return false;
    hdr->dwFlags &= ~WHDR_PREPARED;
    return true;
}

bool WaveOut::Write(WAVEHDR* hdr) {
    if (!hdr || !(hdr->dwFlags & WHDR_PREPARED)) return false;
    SDL_LockAudioDevice(dev_);
    bool busy = hdr_ != nullptr;
    if (!busy) {
        hdr->dwFlags = (hdr->dwFlags | WHDR_INQUEUE) & ~WHDR_DONE;
        const bool looped = (hdr->dwFlags & (WHDR_BEGINLOOP | WHDR_ENDLOOP)) == (WHDR_BEGINLOOP | WHDR_ENDLOOP);
        hdr_ = hdr;
        pos_ = 0;
        usable_ = hdr->dwBufferLength / size_t(srcSample_) * size_t(srcSample_);
        loopsLeft_ = looped ? std::max<uint32_t>(hdr->dwLoops, 1) : 1;
    }
    SDL_UnlockAudioDevice(dev_);
    if (busy) return false;
    SDL_PauseAudioDevice(dev_, 0);
    return true;
}

WAVEHDR* WaveOut::Finish() {
    WAVEHDR* h = hdr_;
    hdr_ = nullptr;
    if (h) h->dwFlags = (h->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
    return h;
}

void WaveOut::Reset() {
    SDL_LockAudioDevice(dev_);
    WAVEHDR* h = Finish();
    SDL_UnlockAudioDevice(dev_);
    if (h && done_) done_(serial_, h);
}

void WaveOut::Lock() { SDL_LockAudioDevice(dev_); }
void WaveOut::Unlock() { SDL_UnlockAudioDevice(dev_); }

void WaveOut::Callback(void* self, uint8_t* stream, int len) { static_cast<WaveOut*>(self)->Fill(stream, len); }

// Runs on the audio thread with the device lock held.
void WaveOut::Fill(uint8_t* stream, int len) {
    size_t left = size_t(len);
    while (left >= size_t(dstSample_) && hdr_) {
        if (usable_ == 0) {  // nothing whole to sound
            WAVEHDR* h = Finish();
            if (done_) done_(serial_, h);
            break;
        }
        const uint8_t* src = hdr_->lpData + pos_;
        size_t samples = std::min((usable_ - pos_) / size_t(srcSample_), left / size_t(dstSample_));
        if (srcSample_ == dstSample_) {
            std::memcpy(stream, src, samples * size_t(srcSample_));
        } else {  // 24-bit samples go out as the high three bytes of 32-bit ones
            for (size_t i = 0; i < samples; ++i) {
                stream[4 * i] = 0;
                std::memcpy(stream + 4 * i + 1, src + 3 * i, 3);
            }
        }
        stream += samples * size_t(dstSample_);
        left -= samples * size_t(dstSample_);
        pos_ += samples * size_t(srcSample_);
        if (pos_ >= usable_) {
            pos_ = 0;
            if (--loopsLeft_ == 0) {
                WAVEHDR* h = Finish();
                if (done_) done_(serial_, h);
            }
        }
    }
    if (left) std::memset(stream, silence_, left);
}
