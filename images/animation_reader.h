#pragma once
// The frames of an animation read one at a time, never the whole animation in memory: a
// numbered picture sequence (depth%04d.png, from 0, or from 1 when there is no frame 0, up to the
// first missing number), a folder's pictures in name order, an animated GIF or WebP (each
// frame whole, with its delay) or a video through FFmpeg. For the animation command's depth
// frames and for playing a finished animation alike.
#include "images/image32.h"
#include "images/picture_file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A numbered file name such as "depth%04d.png": the text around one %d or %0Nd; "%%" is a
// plain percent sign.
struct FramePattern {
    std::string head, tail;
    int digits = 0;  // at least this many digits, zeros in front
};
// Reads a pattern; "" or why it is refused (no number, two numbers, another conversion).
std::string ParseFramePattern(const std::string& text, FramePattern& out);
// The name of frame `index` (0 or more).
std::string FrameName(const FramePattern& p, long index);
// The pictures of a folder (files whose extension names a picture format), in name order;
// empty with `why` set when the folder cannot be read or holds none.
std::vector<std::string> FolderPictures(const std::string& folder, std::string& why);

class AnimationSource;

class AnimationReader {
public:
    AnimationReader();
    ~AnimationReader();
    // `grey`: a video's frames as its luma (16-bit grey where the video has more than 8 bits),
    // for depth; else in colour. `other` reads the pictures of a sequence the core does not.
    // False with `why` ("PATH: message" lines) when the source cannot be opened.
    bool Open(const std::string& path, std::string& why, bool grey = false, PictureFileReader other = nullptr);
    // An animated GIF or WebP held in memory (`data` must outlive the reader), told by `name`'s ending.
    bool OpenBytes(const uint8_t* data, size_t size, const std::string& name, std::string& why);
    int count() const;   // the frames, -1 when unknown before the end
    double fps() const;  // the source's rate, 0 when it states none
    // The next frame and how long it shows; false at the end (`why` empty) or on a frame that
    // cannot be read (`why`: "PATH: message" lines, the last naming the frame).
    bool Next(Image32& frame, int& delayMs, std::string& why);
    // The number of the frame Next gave last, from 1.
    int index() const { return index_; }

private:
    std::unique_ptr<AnimationSource> source_;
    int index_ = 0;
};

// Whether a name ends in .gif or .webp, which may hold many frames.
bool IsAnimatedPictureName(const std::string& path);
