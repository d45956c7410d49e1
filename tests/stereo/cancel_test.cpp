// Long runs stopped by their caller: nothing is left behind, in files or in memory (this test runs
// in the address-sanitizer build too, which fails on a leak).
#include "stereo/animation_job.h"
#include "stereo/decode_stereo.h"
#include "stereo/stereo_pictures.h"
#include "tests/common/depth_frames.h"
#include "tests/common/test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

namespace {

TEST(Cancel, AnAnimationStoppedAfterTwoFramesLeavesNoFileAndADecodeNoDepth) {
    TempDir dir("cancel");
    const std::string frames = WriteSquareFrames(dir.path, 8);
    ASSERT_FALSE(frames.empty());
    for (const char* out : {"a.gif", "a.webp", "o%02d.png"}) {
        AnimationRequest r;
        r.depth = frames;
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
