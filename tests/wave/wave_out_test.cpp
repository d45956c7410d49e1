// Playback through SDL's disk driver: the bytes that reach the device, loops and reset.
#include "wav_builder.h"
#include "wave/wave_out.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <unistd.h>

using namespace wavtest;
using namespace std::chrono_literals;

namespace {

// Collects completion notices from whatever thread sends them.
struct Notices {
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::pair<uint64_t, WAVEHDR*>> got;
    WaveOut::Done fn() {
        return [this](uint64_t serial, WAVEHDR* h) {
            std::lock_guard<std::mutex> lock(m);
            got.emplace_back(serial, h);
            cv.notify_all();
        };
    }
    bool wait(size_t n, std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, limit, [&] { return got.size() >= n; });
    }
    size_t count() {
        std::lock_guard<std::mutex> lock(m);
        return got.size();
    }
};

class DiskPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        out_ = std::filesystem::temp_directory_path() / ("wave_disk_" + std::to_string(::getpid()) + ".raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", out_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("SDL_DISKAUDIODELAY");
        std::filesystem::remove(out_);
    }
    Bytes Output() const {
        std::ifstream in(out_, std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    std::filesystem::path out_;
};

WAVEFORMATEX Stereo16(uint32_t rate) {
    WAVEFORMATEX f;
    f.wFormatTag = 1;
    f.nChannels = 2;
    f.nSamplesPerSec = rate;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = rate * 4;
    f.wBitsPerSample = 16;
    return f;
}

// The device output: silence, the sound, silence. Returns the sound part.
Bytes Sounded(const Bytes& out) {
    size_t a = 0, b = out.size();
    while (a < b && out[a] == 0) ++a;
    while (b > a && out[b - 1] == 0) --b;
    return Bytes(out.begin() + long(a), out.begin() + long(b));
}

TEST_F(DiskPlayback, deviceReceivesTheBufferRepeatTimesThenSilence) {
    setenv("SDL_DISKAUDIODELAY", "2", 1);
    Bytes data = Ramp(4 * 500, 3);  // no zero byte at either end
    data.back() = 0x11;
    struct Case {
        const char* name;
        uint32_t flags, loops;
        int times;
    } cases[] = {
        {"Repeat 1", WHDR_BEGINLOOP | WHDR_ENDLOOP, 1, 1},
        {"Repeat 3", WHDR_BEGINLOOP | WHDR_ENDLOOP, 3, 3},
        {"Repeat 7", WHDR_BEGINLOOP | WHDR_ENDLOOP, 7, 7},
        {"no loop flags sound once", 0, 5, 1},
    };
    for (const Case& c : cases) {
        Notices n;
        WAVEHDR hdr;
        {
            auto wo = WaveOut::Open(Stereo16(8000), n.fn());
            ASSERT_TRUE(wo) << c.name;
            hdr.lpData = data.data();
            hdr.dwBufferLength = uint32_t(data.size());
            hdr.dwFlags = c.flags;
            hdr.dwLoops = c.loops;
            ASSERT_TRUE(wo->Prepare(&hdr));
            ASSERT_TRUE(wo->Write(&hdr));
            EXPECT_FALSE(wo->Write(&hdr)) << "one buffer at a time";
            ASSERT_TRUE(n.wait(1, 10s)) << c.name;
            EXPECT_EQ(n.got[0].first, wo->serial());
            EXPECT_EQ(n.got[0].second, &hdr);
            EXPECT_TRUE(hdr.dwFlags & WHDR_DONE);
            EXPECT_TRUE(wo->Unprepare(&hdr));
            std::this_thread::sleep_for(30ms);  // a few silent buffers behind the sound
        }  // closing flushes the file
        Bytes expect;
        for (int i = 0; i < c.times; ++i) expect.insert(expect.end(), data.begin(), data.end());
        Bytes got = Sounded(Output());
        EXPECT_EQ(got.size(), expect.size()) << c.name;
        EXPECT_TRUE(got == expect) << c.name;
        EXPECT_EQ(n.count(), 1u) << c.name;
    }
}

TEST_F(DiskPlayback, resetStopsALongLoopWithOneNotice) {
    Bytes data = Ramp(4 * 800, 5);  // 0.1 s at 8000 Hz
    Notices n;
    WAVEHDR hdr;
    hdr.lpData = data.data();
    hdr.dwBufferLength = uint32_t(data.size());
    hdr.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    hdr.dwLoops = 1000;
    size_t before = 0;
    {
        auto wo = WaveOut::Open(Stereo16(8000), n.fn());
        ASSERT_TRUE(wo);
        ASSERT_TRUE(wo->Prepare(&hdr));
        ASSERT_TRUE(wo->Write(&hdr));
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(n.count(), 0u);
        EXPECT_FALSE(wo->Unprepare(&hdr)) << "still queued";
        auto t0 = std::chrono::steady_clock::now();
        wo->Reset();
        EXPECT_LT(std::chrono::steady_clock::now() - t0, 1s);
        ASSERT_EQ(n.count(), 1u);
        before = Sounded(Output()).size();
        wo->Reset();  // nothing queued: no second notice
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(n.count(), 1u);
        EXPECT_TRUE(wo->Unprepare(&hdr));
    }
    Bytes got = Sounded(Output());
    EXPECT_GT(got.size(), data.size());             // some loops sounded
    EXPECT_LT(got.size(), data.size() * 100);        // far from 1000
    EXPECT_LE(got.size(), before + 2 * 2048 * 4);    // at most what was buffered at the reset
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != data[i % data.size()]) FAIL() << "byte " << i << " is not the looped sound";
}

TEST(WaveOutFormats, queryAcceptsOnlyFormatsTheDeviceTakesExactly) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    auto fmt = [](uint16_t tag, uint16_t ch, uint32_t rate, uint16_t bits, int align = -1) {
        WAVEFORMATEX f;
        f.wFormatTag = tag;
        f.nChannels = ch;
        f.nSamplesPerSec = rate;
        f.wBitsPerSample = bits;
        f.nBlockAlign = uint16_t(align >= 0 ? align : ch * ((bits + 7) / 8));
        f.nAvgBytesPerSec = rate * f.nBlockAlign;
        return f;
    };
    struct Case {
        const char* name;
        WAVEFORMATEX f;
        bool ok;
    } cases[] = {
        {"16-bit stereo", fmt(1, 2, 44100, 16), true},
        {"8-bit mono", fmt(1, 1, 11025, 8), true},
        {"24-bit stereo", fmt(1, 2, 48000, 24), true},
        {"32-bit mono", fmt(1, 1, 8000, 32), true},
        {"zero channels", fmt(1, 0, 44100, 16), false},
        {"zero rate", fmt(1, 2, 0, 16), false},
        {"5-bit samples", fmt(1, 5, 8000, 5), false},
        {"12-bit samples", fmt(1, 2, 8000, 12), false},
        {"block align not channels x sample", fmt(1, 2, 44100, 16, 3), false},
        {"not PCM", fmt(3, 1, 44100, 32), false},
    };
    for (const Case& c : cases) EXPECT_EQ(WaveOut::QueryFormat(c.f), c.ok) << c.name;
    EXPECT_FALSE(WaveOut::Open(fmt(1, 0, 44100, 16), nullptr));
}

}  // namespace
