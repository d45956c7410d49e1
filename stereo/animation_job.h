#pragma once
// An animated stereogram made from start to end, for orvalis-cli and the window program alike:
// the depth frames come from a numbered sequence, a folder, an animated GIF or WebP, a video or a
// turning 3-D model; each stereogram is made on every core while the one before is encoded on a
// thread of its own, at most a few frames held whatever the length. A cancelled or failed run
// leaves no output file (of a sequence, no frame). Plain C++: no Qt, no display.
#include "images/animation_reader.h"
#include "images/animation_writer.h"
#include "images/picture_file.h"
#include "model/mesh_depth.h"
#include "stereo/animate_stereo.h"
#include "stereo/stereo_options.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Writes a picture in a format beyond BMP, PNG and JPEG: "" or why not.
using PictureFrameWriter = std::function<std::string(const std::string& path, const Image32& frame)>;

struct AnimationRequest {
    // Numbered pattern (depth%04d.png), a folder of pictures, an animated .gif or .webp, a video
    // file (anything FFmpeg reads), or a 3-D model or DXF drawing (turned by turnStep a frame).
    std::string depth;
    std::string texture = "random";  // "random", "random-bw" (dots from `seed`) or a picture file
    // By its extension: .gif, .webp, .mp4 (H.264 4:4:4), .webm (VP9), or a numbered picture name
    // such as out%04d.png (any picture format of the name's ending).
    std::string output;
    StereoOptions options;  // OutWidth / OutHeight scale the depth frames when set
    AnimateTexture mode = AnimateTexture::Coherent;
    bool modeGiven = false;  // false: coherent for dots, still for a picture
    double fps = 0;          // 0: the source's rate (25 when it has none)
    int frames = 0;          // 0: every frame of the source (a model: 36)
    int width = 0, height = 0;  // 0: the source's size (a model: OutWidth x OutHeight, else 640 x 480)
    double turnStep[3] = {0, 10, 0};  // a model's turn each frame in degrees about x, y and z
    MeshView view;                   // a model's first view (its turn, zoom and projection)
    int colors = 256;  // a GIF's colours, 2 to 256: random dots are drawn from that many; a picture
                       // is matched to a cube of k^3 <= colors levels (8 at least)
    uint32_t seed = 1;
    // Reads a picture the core's readers do not (TIFF, WebP stills...): the window's Qt reader or
    // orvalis-cli's formats module. Null: such frames are refused.
    PictureFileReader readOther = nullptr;
    // Writes a frame of a numbered sequence in a format beyond BMP, PNG and JPEG: "" or why.
    // Called on MakeAnimation's own thread only (Qt's writers want one thread).
    PictureFrameWriter writeOther;
};

// A numbered picture sequence (a pattern such as out%04d.png), each frame written whole in its
// name's format, through `writeOther` beyond BMP, PNG and JPEG; every frame written is removed
// again when the sequence is not finished. Null with `why` when the name is no pattern.
std::unique_ptr<AnimationWriter> OpenPictureSequence(const std::string& pattern, PictureFrameWriter writeOther,
                                                     std::string& why);

// The option a request's refusal concerns ("--depth", "-o", "--animate-texture"...) and why:
// empty when the request can start. MakeAnimation checks the same first.
struct AnimationRefusal {
    std::string option, why;
    bool empty() const { return why.empty(); }
};
AnimationRefusal CheckAnimationRequest(const AnimationRequest& request);

// The text MakeAnimation returns when `progress` asked it to stop.
inline constexpr const char* kAnimationCancelled = "cancelled; nothing written";

// Makes the animation. `progress(done, total)` is called after each frame on the calling thread
// (total 0 while the length is unknown); returning false cancels. Returns "" when the output is
// complete, else why not, one line per message, each "PATH: message" where a file is concerned
// ("d006.bmp: frame 7 cannot be read; nothing written"), or kAnimationCancelled. The figures
// of the two traps (flicker and leak) go to `figures` when given.
std::string MakeAnimation(const AnimationRequest& request, const std::function<bool(int done, int total)>& progress,
                          AnimationFigures* figures = nullptr, int* framesMade = nullptr);
