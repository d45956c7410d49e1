#pragma once
// Animated stereograms: a sequence of depth frames in, one stereogram per frame out, with the
// dots chosen so that the still background stays still (no flicker) and the moving shape
// cannot be seen without fusing (no leak).
#include "images/image32.h"
#include "stereo/stereo_options.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// How the texture goes from frame to frame: fresh dots each frame; the same texture throughout
// (it leaks); or each link chain keeps its dots while it holds together (coherent).
enum class AnimateTexture { Fresh, Still, Coherent };

// The two traps over a whole animation, from every pair of consecutive frames: flicker is the
// share of pixels whose colour changes where the depth did not; leak the correlation (phi) of
// the masks of pixels whose colour and whose depth changed.
struct AnimationFigures {
    uint64_t both = 0, onlyColour = 0, onlyDepth = 0, neither = 0;
    double Flicker() const;
    double Leak() const;
};

class AnimatedStereo {
public:
    // Dots from `seed` (a palette of 256 colours, or black and white) when `picture` is null,
    // else that texture, which only the still mode takes; `colours` dots at most (2 to 256).
    // False, with `why`, when refused.
    bool Prepare(const StereoOptions& opts, AnimateTexture mode, const Image32* picture, bool blackAndWhite,
                 uint32_t seed, std::string& why, int colours = 256);
    // The stereogram of the next depth frame (with the band of dots above it when the options
    // ask). Every frame must have the first one's size. False, with `why`, when refused.
    bool Next(const Image32& depth, Image32& out, std::string& why);
    // The dot colours, the only colours of a frame with random dots; empty for a picture.
    const std::vector<uint32_t>& palette() const { return palette_; }
    const AnimationFigures& figures() const { return figures_; }

private:
    Image32 DotTexture();
    uint32_t NewDot() { return palette_[rng_() % palette_.size()]; }
    bool ChainRoots(const Image32& depth, std::vector<uint32_t>& roots) const;
    void ColourChains(int width, int height, Image32& out);
    bool DepthOffsets(const Image32& depth, std::vector<int32_t>& d) const;

    StereoOptions opts_;
    AnimateTexture mode_ = AnimateTexture::Coherent;
    Image32 texture_, band_;
    std::vector<uint32_t> palette_;
    std::mt19937 rng_;
    uint64_t dotKey_ = 0;  // the coherent mode's new dots, from the seed
    int frames_ = 0, width_ = 0, height_ = 0;  // the depth frames' size
    std::vector<uint32_t> roots_, lastRoots_;  // each pixel's chain root (its column), this frame and the last
    std::vector<int32_t> depth_, lastDepth_;   // depth offsets, this frame and the last
    Image32 last_;                             // the last stereogram, without the band
    AnimationFigures figures_;
};
