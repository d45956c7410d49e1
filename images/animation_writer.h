#pragma once
// Animated pictures written a frame at a time: GIF (one palette, no dithering), lossless
// WebP, and MP4 and WebM videos (images/video_file.h). The file takes its name only when
// finished; an animation never finished leaves nothing.
#include "images/image32.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class AnimationWriter {
public:
    virtual ~AnimationWriter() = default;
    // The next frame, of the size the writer was opened with: "" or why it failed.
    virtual std::string Add(const Image32& frame) = 0;
    // Completes the file under its name: "" or why not (nothing is left then).
    virtual std::string Finish() = 0;
};

// Whether the name ends in .gif, .webp, .mp4 or .webm (any case).
bool IsAnimationName(const std::string& path);
// A writer for `path` by its extension, width x height frames at `fps` frames a second. A GIF
// takes its colours from `palette` (up to 256; each pixel the nearest), or a fixed palette of
// 252 colours and 4 greys when it is empty. Null with `why` when the file cannot be made.
std::unique_ptr<AnimationWriter> OpenAnimation(const std::string& path, int width, int height, double fps,
                                               const std::vector<uint32_t>& palette, std::string& why);
