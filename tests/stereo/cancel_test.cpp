// Long runs stopped by their caller: nothing is left behind, in files or in memory (this test runs
// in the address-sanitizer build too, which fails on a leak).
#include "images/bmp_writer.h"
#include "stereo/animation_job.h"
#include "stereo/decode_stereo.h"
#include "stereo/stereo_pictures.h"
#include "tests/common/test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

namespace {

TEST(Cancel, AnAnimationStoppedAfterTwoFramesLeavesNoFileAndADecodeNoDepth) {
    TempDir dir("cancel");
    for (int i = 0; i < 8; ++i) {
        Image32 depth(200, 100);
        for (int y = 30; y < 70; ++y)
            for (int x = 40 + 10 * i; x < 80 + 10 * i; ++x) depth.at(x, y) = 0xFFFFFF;
        char name[32];
        std::snprintf(name, sizeof name, "d%02d.bmp", i);
        ASSERT_TRUE(WriteBmp24(dir / name, depth));
    }
    for (const char* out : {"a.gif", "a.webp", "o%02d.png"}) {
        AnimationRequest r;
        r.depth = dir / "d%02d.bmp";
        r.output = dir / out;
        int calls = 0;
        EXPECT_EQ(MakeAnimation(r, [&](int done, int) { return ++calls, done < 2; }), kAnimationCancelled) << out;
        EXPECT_GE(calls, 2) << out;
        for (const auto& e : std::filesystem::directory_iterator(dir.path))
            EXPECT_EQ(e.path().filename().string()[0], 'd') << out << ": " << e.path();
    }

    Image32 stereo;
    ASSERT_TRUE(MakeStereoPicture(RandomDotTexture(80, false, 3), Image32(400, 300), StereoOptions{}, stereo));
    std::atomic<int> rows{0};
    std::atomic<bool> stop{true};
    DecodedStereo d;
    EXPECT_EQ(DecodeStereogram(ViewOf(stereo), nullptr, d, {&rows, &stop}), DecodeResult::Cancelled);
    EXPECT_EQ(rows.load(), 0);
}

}  // namespace
