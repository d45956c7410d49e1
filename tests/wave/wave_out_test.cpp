// Playback through SDL's disk driver: the bytes that reach the device, loops and reset.
#include "wav_builder.h"
#include "wave/wave_out.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <unistd.h>

using namespace wavtest;
using namespace std::chrono_literals;

namespace {

// Counts completion notices from whatever thread sends them; keeps the last one's serial and header.
struct Notices {
    std::atomic<int> count{0};
    std::atomic<uint64_t> serial{0};
    std::atomic<WAVEHDR*> hdr{nullptr};
    WaveOut::Done fn() { return [this](uint64_t s, WAVEHDR* h) { serial = s, hdr = h, ++count; }; }
    bool wait(std::chrono::milliseconds limit) {
        for (auto end = std::chrono::steady_clock::now() + limit; !count && std::chrono::steady_clock::now() < end;)
            std::this_thread::sleep_for(1ms);
        return count > 0;
    }
};

WAVEFORMATEX Format(uint16_t tag, uint16_t ch, uint32_t rate, uint16_t bits, int align = -1) {
    const uint16_t a = uint16_t(align >= 0 ? align : ch * ((bits + 7) / 8));
    return {tag, ch, rate, rate * a, a, bits};
}

struct DiskPlayback : ::testing::Test {
    void SetUp() override { setenv("SDL_AUDIODRIVER", "disk", 1), setenv("SDL_DISKAUDIOFILE", out_.c_str(), 1); }
    void TearDown() override { unsetenv("SDL_DISKAUDIODELAY"); }
    // The device output is silence, the sound, silence: the sound part.
    Bytes Sounded() const {
        const Bytes out = ReadFileBytes(out_);
        size_t a = 0, b = out.size();
        while (a < b && out[a] == 0) ++a;
        while (b > a && out[b - 1] == 0) --b;
        return Bytes(out.begin() + long(a), out.begin() + long(b));
    }
    const TempDir dir_{"wave_disk"};
    const std::string out_ = dir_ / "out.raw";
};

// Columns: name, header flags, loop count, times the device hears the buffer.
TEST_F(DiskPlayback, DeviceReceivesTheBufferAsOftenAsItsLoopFlagsSay) {
    setenv("SDL_DISKAUDIODELAY", "2", 1);
    Bytes data = Ramp(4 * 500, 3);  // no zero byte at either end
    data.back() = 0x11;
    struct Case { const char* name; uint32_t flags, loops; int times; } cases[] = {
        {"Repeat 1", WHDR_BEGINLOOP | WHDR_ENDLOOP, 1, 1}, {"Repeat 3", WHDR_BEGINLOOP | WHDR_ENDLOOP, 3, 3},
        {"no loop flags sound once", 0, 5, 1}};
    for (const Case& c : cases) {
        Notices n;
        WAVEHDR hdr{data.data(), uint32_t(data.size()), 0, 0, c.flags, c.loops};
        {
            auto wo = WaveOut::Open(Format(1, 2, 8000, 16), n.fn());
            ASSERT_TRUE(wo && wo->Prepare(&hdr) && wo->Write(&hdr)) << c.name;
            EXPECT_FALSE(wo->Write(&hdr)) << "one buffer at a time";
            ASSERT_TRUE(n.wait(10s)) << c.name;
            EXPECT_TRUE(n.serial == wo->serial() && n.hdr == &hdr);
            EXPECT_TRUE((hdr.dwFlags & WHDR_DONE) && wo->Unprepare(&hdr));
            std::this_thread::sleep_for(30ms);  // a few silent buffers behind the sound
        }  // closing flushes the file
        Bytes expect;
        for (int i = 0; i < c.times; ++i) expect.insert(expect.end(), data.begin(), data.end());
        EXPECT_TRUE(Sounded() == expect && n.count == 1) << c.name;
    }
}

TEST_F(DiskPlayback, ResetStopsALongLoopWithOneNotice) {
    unsetenv("SDL_DISKAUDIODELAY");  // the device at its own pace
    Bytes loop = Ramp(4 * 800, 5);  // 0.1 s at 8000 Hz
    Notices n;
    WAVEHDR hdr{loop.data(), uint32_t(loop.size()), 0, 0, WHDR_BEGINLOOP | WHDR_ENDLOOP, 1000};
    size_t before = 0;
    {
        auto wo = WaveOut::Open(Format(1, 2, 8000, 16), n.fn());
        ASSERT_TRUE(wo && wo->Prepare(&hdr) && wo->Write(&hdr));
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(n.count, 0);
        EXPECT_FALSE(wo->Unprepare(&hdr)) << "still queued";
        auto t0 = std::chrono::steady_clock::now();
        wo->Reset();
        EXPECT_LT(std::chrono::steady_clock::now() - t0, 1s);
        ASSERT_EQ(n.count, 1);
        before = Sounded().size();
        wo->Reset();  // nothing queued: no second notice
        std::this_thread::sleep_for(100ms);
        EXPECT_TRUE(n.count == 1 && wo->Unprepare(&hdr));
    }
    // Some loops sounded, far from 1000: at most what was buffered at the reset.
    Bytes got = Sounded();
    EXPECT_GT(got.size(), loop.size());
    EXPECT_LE(got.size(), std::min(loop.size() * 100, before + 2 * 2048 * 4));
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != loop[i % loop.size()]) FAIL() << "byte " << i << " is not the looped sound";
}

TEST(WaveOutFormats, QueryAcceptsOnlyFormatsTheDeviceTakesExactly) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    struct Case { const char* name; WAVEFORMATEX f; bool ok; } cases[] = {
        {"8-bit mono", Format(1, 1, 11025, 8), true}, {"24-bit stereo", Format(1, 2, 48000, 24), true},
        {"12-bit samples in 16-bit containers", Format(1, 2, 8000, 12), true}, {"not PCM", Format(3, 1, 44100, 32), false},
        {"block align not channels x sample", Format(1, 2, 44100, 16, 3), false},
        {"20-bit samples in 24-bit containers", Format(1, 2, 48000, 20), true},
        {"16-bit samples in 24-bit containers", Format(1, 1, 8000, 16, 3), false}};
    for (const Case& c : cases) EXPECT_EQ(WaveOut::QueryFormat(c.f), c.ok) << c.name;
    EXPECT_FALSE(WaveOut::Open(Format(1, 0, 44100, 16), nullptr)) << "zero channels";
}

}  // namespace
