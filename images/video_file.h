#pragma once
// Video files through FFmpeg's libraries (libavformat, libavcodec, libswscale), a frame at a
// time: reading any video FFmpeg knows, writing MP4 (H.264 in 4:4:4, lossless) and WebM (VP9,
// lossless). The libraries print nothing: their reasons come back as text. They live in a module,
// orvalis-video.so (images/video_codec.cpp), loaded on first use: FFmpeg's many libraries would
// otherwise be mapped by every start of the programs, which then would not start within a small
// address space.
#include "images/animation_writer.h"
#include "images/image32.h"

#include <memory>
#include <string>

// A video's frames, decoded one at a time.
class VideoFrames {
public:
    virtual ~VideoFrames() = default;
    virtual int count() const = 0;   // the frames the file states, -1 when it states none
    virtual double fps() const = 0;  // the stated rate, 0 when none
    // The next frame; false at the end (`why` empty) or with why it cannot be decoded (data
    // that ends early, or fewer frames than the file states).
    virtual bool Next(Image32& frame, std::string& why) = 0;
};

// Opens a video. `grey`: frames as their luma plane (0..255 in px, and the 16-bit values in
// grey16 where the video has more than 8 bits, limited range stretched to the full one); else in
// colour. Null with why the file does not open as a video.
std::unique_ptr<VideoFrames> OpenVideoFrames(const std::string& path, bool grey, std::string& why);

// Whether the name ends in .mp4 or .webm.
bool IsVideoName(const std::string& path);
// A writer of width x height frames at `fps` (by the extension: .mp4 or .webm); the sides may
// be odd, as 4:4:4 keeps every pixel's colours. Null with `why` when it cannot be made.
std::unique_ptr<AnimationWriter> OpenVideo(const std::string& path, int width, int height, double fps, std::string& why);

// The module's entry, OrvalisVideoCodecs(), gives these.
struct VideoCodecs {
    std::unique_ptr<VideoFrames> (*open)(const std::string& path, bool grey, std::string& why);
    std::unique_ptr<AnimationWriter> (*write)(const std::string& path, int width, int height, double fps,
                                              std::string& why);
};
