#pragma once
// Video files through FFmpeg's libraries (libavformat, libavcodec, libswscale), a frame at a
// time: reading any video FFmpeg knows, writing MP4 (H.264 in 4:4:4, lossless) and WebM (VP9,
// lossless). The libraries print nothing: their reasons come back as text.
#include "images/animation_writer.h"
#include "images/image32.h"

#include <memory>
#include <string>

struct VideoDecoding;

class VideoReader {
public:
    VideoReader();
    ~VideoReader();
    // `grey`: frames as their luma plane (0..255 in px, and the 16-bit values in grey16 where
    // the video has more than 8 bits, limited range stretched to the full one); else in colour.
    // "" or why the file does not open as a video.
    std::string Open(const std::string& path, bool grey);
    int count() const;   // the frames the file states, -1 when it states none
    double fps() const;  // the stated rate, 0 when none
    // The next frame; false at the end (`why` empty) or with why it cannot be decoded (data
    // that ends early, or fewer frames than the file states).
    bool Next(Image32& frame, std::string& why);

private:
    std::unique_ptr<VideoDecoding> d_;
};

// Whether the name ends in .mp4 or .webm.
bool IsVideoName(const std::string& path);
// A writer of width x height frames at `fps` (by the extension: .mp4 or .webm); the sides may
// be odd, as 4:4:4 keeps every pixel's colours. Null with `why` when it cannot be made.
std::unique_ptr<AnimationWriter> OpenVideo(const std::string& path, int width, int height, double fps, std::string& why);
