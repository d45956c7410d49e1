#pragma once
// Stereo pairs and anaglyphs from a picture and its depth map: each eye's view moves the
// picture's pixels sideways by half the disparity their depth gives.
#include "images/image32.h"
#include "stereo/stereo_options.h"

#include <string>
#include <vector>

enum class PairLayout { SideBySide, Cross, Anaglyph };

struct PairOptions {
    PairLayout layout = PairLayout::SideBySide;
    double strength = 0;  // disparity of the nearest depth in pixels; 0 takes 3% of the width
    int depthMode = kDepthAuto;  // read as the stereogram's depth picture is
};

// "side-by-side", "cross" or "anaglyph" and back; false for any other name.
bool PairLayoutOfName(const std::string& name, PairLayout& layout);
const char* PairLayoutName(PairLayout layout);

// The disparity PairOptions::strength stands for on a picture `width` pixels wide.
double PairStrength(const PairOptions& opts, int width);

// The depth picture read as the stereogram generator reads it, scaled to width x height: 0
// for the farthest level, 1 for the nearest.
std::vector<float> PairDepth(const Image32& depth, int depthMode, int width, int height);

// One eye's view (`eye` -1 left, +1 right): the pixel at x goes to x - eye x strength x
// depth / 2, the nearest depth standing out in front of the screen and the farthest on it;
// nearer drawn over farther;
// pixels nothing lands on take the farther of their two neighbours in the row.
Image32 EyeView(const Image32& picture, const std::vector<float>& depth, double strength, int eye);

// Red-cyan anaglyph of two views of the same size.
Image32 Anaglyph(const Image32& left, const Image32& right);

// The pair in the options' layout: side by side twice the picture's width (the left eye's
// view on the left; crossed, on the right), the anaglyph the picture's size. False with the
// reason when a picture is empty or memory runs out.
bool MakeStereoPair(const Image32& picture, const Image32& depth, const PairOptions& opts, Image32& out,
                    std::string& why);
