#pragma once
// Sound output over SDL2's audio subsystem, with the wave-out model the wave documents
// use: open a device for a format, prepare and write one looping buffer, reset, close.
// The completion notice comes once per written buffer, when its last loop has been handed
// to the device or when the device is reset; it may come on SDL's audio thread, so the
// receiver posts it to its own thread.
#include "wave/wave_format.h"

#include <cstdint>
#include <functional>
#include <memory>

constexpr uint32_t WHDR_DONE = 1;
constexpr uint32_t WHDR_PREPARED = 2;
constexpr uint32_t WHDR_INQUEUE = 16;

class WaveOut {
public:
    // serial: the device's own number (unique for the run), to tell stale notices apart.
    using Done = std::function<void(uint64_t serial, WAVEHDR* hdr)>;

    // Whether the default output device opens with exactly this format; nothing stays open.
    static bool QueryFormat(const WAVEFORMATEX& fmt);
    // Whether any output device exists at all; nothing stays open.
    static bool DeviceExists();
    // Opens the default output device for the format; null when it does not open.
    static std::unique_ptr<WaveOut> Open(const WAVEFORMATEX& fmt, Done done);

    ~WaveOut();  // stops without a notice and closes the device
    WaveOut(const WaveOut&) = delete;
    WaveOut& operator=(const WaveOut&) = delete;

    bool Prepare(WAVEHDR* hdr);
    bool Unprepare(WAVEHDR* hdr);  // fails while the buffer is still queued
    // Queues a prepared buffer: it sounds dwLoops times (at least once) when
    // WHDR_BEGINLOOP | WHDR_ENDLOOP are set, else once. One buffer at a time.
    bool Write(WAVEHDR* hdr);
    // Stops the running buffer at once; its notice follows (from this thread).
    void Reset();
    // Holds the audio thread off the buffer while the caller changes its bytes.
    void Lock();
    void Unlock();

    uint64_t serial() const { return serial_; }

private:
    WaveOut() = default;
    static void Callback(void* self, uint8_t* stream, int len);
    void Fill(uint8_t* stream, int len);
    WAVEHDR* Finish();

    uint32_t dev_ = 0;
    uint64_t serial_ = 0;
    Done done_;
    int srcSample_ = 0;   // bytes per sample in the buffer
    int dstSample_ = 0;   // bytes per sample the device takes (24-bit goes out as 32-bit)
    uint8_t silence_ = 0;
    // Guarded by the device lock:
    WAVEHDR* hdr_ = nullptr;
    size_t pos_ = 0;
    size_t usable_ = 0;   // whole samples of the buffer, in bytes
    uint32_t loopsLeft_ = 0;
};
