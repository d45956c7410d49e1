// RIFF reading, the loader's messages, the information texts and the outline.
#include "wav_builder.h"
#include "wave/wav_loader.h"
#include "wave/wave_outline.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace wavtest;

namespace {

bool AcceptAll(const WAVEFORMATEX&) { return true; }

std::string Load(const Bytes& b, WaveState& wd, FormatQuery q = AcceptAll) { return LoadWaveBytes(wd, b.data(), b.size(), q); }

TEST(WaveLoader, everyFailureHasItsOwnMessageAndLeavesNoData) {
    const Bytes d16 = Ramp(16);
    Bytes fmt15 = PcmFormat(1, 2, 44100, 16), rifx = Riff({Fmt(2, 44100, 16)});
    fmt15.pop_back(), rifx[3] = 'X';
    struct Case { const char* name; Bytes file; const char* message; } cases[] = {
        {"form type not WAVE", Riff({Fmt(2, 44100, 16), {"data", d16}}, "MP3 "), "No wave file"},
        {"big-endian container", rifx, "No wave file"},
        {"fmt of 15 bytes", Riff({{"fmt ", fmt15}, {"data", d16}}), "wave file corrupt"},
        {"first chunk claims 3 GB", Riff({{"oooo", Bytes(2, 0), 2974173522u}}), "wave file corrupt"},
        {"extensible", Riff({Fmt(1, 44100, 24, 0xFFFE), {"data", d16}}), "no PCM file"},
        {"data before fmt", Riff({{"data", d16}, Fmt(2, 44100, 16)}), "No data chunk"},
        {"no data chunk", Riff({Fmt(2, 44100, 16), {"LIST", Bytes(4, 'x')}}), "No data chunk"},
        {"zero-length data", Riff({Fmt(2, 44100, 16), {"data", {}}}), "empty chunk"},
        {"truncated data", Riff({Fmt(1, 44100, 8), {"data", Ramp(2240), 100000}}), "Failed read chunk"},
        {"data size at the 32-bit limit", Riff({Fmt(1, 44100, 8), {"data", Ramp(4), 0xFFFFFFFFu}}), "Failed read chunk"},
    };
    for (const Case& c : cases) {
        WaveState wd;
        wd.Playing = 1;  // the load starts from a clean state
        EXPECT_EQ(Load(c.file, wd), c.message) << c.name;
        EXPECT_TRUE(!wd.pFormat && !wd.lpData && !wd.lpWaveHdr && wd.Playing == 0) << c.name;
    }
}

// Every prefix of a valid file is refused with the message of the part that is cut, never
// read past (the sanitizer build checks the reads).
TEST(WaveLoader, everyCutOfAFileIsRefusedByThePartItCuts) {
    const Bytes file = Riff({{"JUNK", Bytes(3, 7)}, Fmt(2, 8000, 16), {"data", Ramp(16)}});
    const size_t fmtAt = 12 + 12, dataAt = fmtAt + 24;  // JUNK is 8 + 3 + pad
    for (size_t n = 0; n <= file.size(); ++n) {
        WaveState wd;
        const char* expect = n < 12 ? "No wave file" : n < fmtAt + 8 ? "wave file corrupt" : n < dataAt ? "read error"
                           : n < dataAt + 8 ? "No data chunk" : n < file.size() ? "Failed read chunk" : "";
        EXPECT_EQ(Load(Bytes(file.begin(), file.begin() + long(n)), wd), expect) << n << " bytes";
    }
}

TEST(WaveLoader, devicesRefusalIsAskedOnlyForPcmAndGetsTheFileFormat) {
    int asked = 0;
    WAVEFORMATEX seen;
    FormatQuery refuse = [&](const WAVEFORMATEX& f) { return ++asked, seen = f, false; };
    WaveState wd;
    EXPECT_EQ(Load(Riff({Fmt(1, 8000, 8, 7), {"data", Ramp(9)}}), wd, refuse), "no PCM file");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(Load(Riff({Fmt(2, 22050, 16), {"data", Ramp(8)}}), wd, refuse), "Can't play this format");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(std::make_tuple(seen.nChannels, seen.nSamplesPerSec, seen.nAvgBytesPerSec, seen.nBlockAlign, seen.wBitsPerSample),
              std::make_tuple(uint16_t(2), 22050u, 88200u, uint16_t(4), uint16_t(16)));
    EXPECT_EQ(Load(Riff({Fmt(2, 22050, 16), {"data", Ramp(8)}}), wd, nullptr), "Can't play this format");
}

TEST(WaveLoader, playableFilesLoadTheWholeDataChunk) {
    struct Case { const char* name; Bytes file; size_t size /* of the Ramp data */; const char* info; } cases[] = {
        {"16-bit stereo", Riff({Fmt(2, 44100, 16), {"data", Ramp(8960)}}), 8960, "44100/16 bits/ 2 Channels  2240 samples"},
        // The sample count is the byte count / 4 whatever the format.
        {"8-bit mono, odd data with pad and a chunk behind", Riff({Fmt(1, 44100, 8), {"data", Ramp(2241)}, {"LIST", Bytes(4, 'i')}}),
         2241, "44100/8 bits/ 1 Channels  560 samples"},
        {"odd JUNK between fmt and data", Riff({Fmt(1, 44100, 16), {"JUNK", Bytes(5, 0x55)}, {"data", Ramp(4480)}}), 4480,
         "44100/16 bits/ 1 Channels  1120 samples"},
        {"chunks before fmt, RIFF size past the end",
         Riff({{"JUNK", Bytes(28, 0)}, {"bext", Bytes(3, 1)}, Fmt(2, 48000, 24), {"data", Ramp(6)}}, "WAVE", 16478), 6,
         "48000/24 bits/ 2 Channels  1 samples"},
        {"last data byte without its pad", Riff({Fmt(1, 8000, 8), {"data", Ramp(45), -1, false}}), 45,
         "8000/8 bits/ 1 Channels  11 samples"},
    };
    for (const Case& c : cases) {
        WaveState wd;
        ASSERT_EQ(Load(c.file, wd), "") << c.name;
        ASSERT_TRUE(wd.pFormat && wd.lpData && wd.lpWaveHdr) << c.name;
        EXPECT_EQ(Bytes(wd.lpData.get(), wd.lpData.get() + wd.dwDataSize), Ramp(c.size)) << c.name;
        EXPECT_EQ(WaveInfoText(*wd.pFormat, wd.dwDataSize), c.info) << c.name;
        EXPECT_EQ(wd.Display + wd.ListLen, 0) << c.name;
    }
    EXPECT_EQ(WaveDisplayText({1, 1, 11025, 0, 0, 8}, 4), "11025 Samples/Second / 8 bits / 1 Channels / 1 samples");
}

// sox writes a reference file whose raw samples must be exactly our data chunk.
TEST(WaveLoader, filesOnDiskAgreeWithSox) {
    if (std::system("command -v sox >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox not installed";
    const TempDir dir("wave_sox");
    const std::string wav = dir / "t.wav", raw = dir / "t.raw";
    ASSERT_EQ(std::system(("sox -n -r 8000 -c 2 -b 16 -e signed-integer " + wav + " synth 0.25 sine 440 sine 660 && sox " +
                           wav + " -t raw " + raw).c_str()), 0);
    WaveState wd;
    ASSERT_EQ(LoadWaveFileCore(wd, wav, AcceptAll), "");
    EXPECT_EQ(Bytes(wd.lpData.get(), wd.lpData.get() + wd.dwDataSize), ReadBytes(raw));
    EXPECT_EQ(WaveInfoText(*wd.pFormat, wd.dwDataSize), "8000/16 bits/ 2 Channels  2000 samples");
}

// The coordinates for known clicks and sizes are checked through the window's mouse.
TEST(Outline, capacityGrowsBy128IntsFirstAtThe64thPoint) {
    WaveState wd;
    AddOutlinePoint(wd, 0, 300, 0);  // no client area: no point
    int added = 0;
    for (auto [points, size] : {std::pair{0, 0}, {1, 128}, {63, 128}, {64, 256}, {127, 256}, {128, 384}}) {
        for (; added < points; ++added) AddOutlinePoint(wd, 200, 200, uint32_t(added % 200));
        EXPECT_EQ(std::make_pair(wd.ListSize, wd.ListLen), std::make_pair(size, 2 * points)) << points << " points";
    }
    for (int i = 0; i < added; ++i)  // nothing lost in the copies
        ASSERT_EQ(std::make_pair(wd.List[2 * i], wd.List[2 * i + 1]), std::make_pair(327 * (100 - i % 200), 327 * 100)) << i;
}

TEST(Outline, makeFormTracesSegmentsOfFOverNMinusOneFrames) {
    struct Case { const char* name; uint32_t frames; std::vector<int> points; Pairs expect; bool made = true; } cases[] = {
        {"four points: the closing segment gets the remainder", 10, {0, 0, 300, 0, 300, 300, 0, 300},
         {{0, 0}, {100, 0}, {200, 0}, {300, 0}, {300, 100}, {300, 200}, {300, 300}, {200, 300}, {100, 300}, {0, 300}}},
        {"values truncate toward zero", 3, {0, 0, -10, 10}, {{0, 0}, {-3, 3}, {-6, 6}}},
        {"frames left after the closing segment repeat from where it ended", 7, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100},
         {{10, 20}, {30, 40}, {50, 60}, {70, 80}, {90, 100}, {10, 20}, {10, 20}}},
        {"fewer frames than segments stay finite", 2, {0, 0, 5, 5, 7, 7, 100, -100}, {{100, -100}, {0, 0}}},
        {"samples keep their low 16 bits", 1, {40000, -40000, 0, 0}, {{40000 - 65536, 65536 - 40000}}},
        {"no point: the data stays", 2, {}, {{0x42, 0}, {0, 0}}, false},
    };
    for (Case& c : cases) {
        WaveState wd;
        wd.dwDataSize = c.frames * 4, wd.ListLen = int(c.points.size()), wd.ListSize = wd.ListLen + 2;
        wd.lpData.reset(new uint8_t[c.frames * 4]()), wd.lpData[0] = 0x42;
        wd.List.reset(new int[size_t(wd.ListSize)]);
        std::copy(c.points.begin(), c.points.end(), wd.List.get());
        EXPECT_EQ(MakeOutlineForm(wd), c.made) << c.name;
        EXPECT_EQ(Frames(wd), c.expect) << c.name;
    }
}

}  // namespace
