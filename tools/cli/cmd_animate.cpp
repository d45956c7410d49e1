// orvalis-cli animate: an animated stereogram (stereo/animation_job.h does the work) from a
// sequence of depth frames, an animation, a video or a turning model, as GIF, WebP, MP4, WebM
// or a numbered picture sequence.
#include "model/mesh_depth.h"
#include "stereo/animation_job.h"
#include "tools/cli/cli.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <sstream>

namespace {

// Set by the signal handler and read by the progress call: a lock-free atomic is safe.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);
extern "C" void OnInterrupt(int) { interrupted = true; }

int Animate(const std::vector<std::string>& args) {
    AnimationRequest r;
    std::string texture, modeName;
    bool sized = false;
    int report = 0, orthographic = 0, colors = 256;
    CliRandomTexture random;
    StereoOptions& o = r.options;
    StereoFieldTexts f{std::to_string(o.oversam), std::to_string(o.bkdepth), std::to_string(o.Eye),
                       std::to_string(o.o)};
    CliSyntax syntax{
        "animate",
        "An animated stereogram of a sequence of depth pictures, an animation, a video or a turning model.",
        {},
        {
            {"--depth", "SEQ",
             "the depth frames: a numbered name such as depth%04d.png, a folder of pictures, an animated "
             ".gif or .webp, a video, or a 3-D model or DXF drawing turned a step a frame",
             CliText(r.depth), true},
            {"--texture", "T", "random[:SEED] or random-bw[:SEED] for dots, or a texture picture",
             CliTextureName(texture, random), true},
            {"-o", "OUT", "the animation: .gif, .webp, .mp4 (H.264 4:4:4), .webm (VP9), or a numbered name such as out%04d.png",
             CliText(r.output), true},
            {"--fps", "N", "frames a second, 0.1 to 100 (default: the source's, else 25)", CliNumber(r.fps, 0.1, 100)},
            {"--frames", "N", "at most this many frames (a model: this many, default 36)", CliWhole(r.frames, 1, 1000000)},
            {"--turn-step", "X,Y,Z", "a model's turn each frame in degrees about x, y and z (default 0,10,0)",
             CliAngles(r.turnStep)},
            {"--colors", "N", "a GIF's colours, 2 to 256 (default 256): random dots are drawn from that many",
             CliWhole(colors, 2, 256)},
            {"--animate-texture", "MODE",
             "fresh: new dots each frame; still: the same texture throughout; coherent (default for dots): "
             "dots stay where the depth stays",
             CliText(modeName)},
            {"--report", "", "prints the flicker and the leak of the result", CliSwitch(report)},
            {"--oversample", "N", "samples per pixel: 1, 2, 4 or 6 (default 1)", CliText(f.oversam)},
            {"--background-depth", "N", "depth of level 0, below minus the relief (default -800)", CliText(f.bkdepth)},
            {"--eye", "N", "eye separation in pixels, 1 to 32768 (default 150)", CliText(f.Eye)},
            {"--distance", "N", "observer's distance from the screen, 1 or more (default 700)", CliText(f.o)},
            {"--hidden", "", "hidden-surface removal", CliSwitch(o.dohiddenrem)},
            {"--invert", "", "invert the depth", CliSwitch(o.invert)},
            {"--depth-mode", "MODE", "auto (default), classic or grey, as for stereo", CliDepthMode(o.DepthMode)},
            {"--relief", "N", "depth units from the farthest to the nearest depth, 1 to 4000 (default 127)",
             CliText(f.relief)},
            {"--size", "WxH", "the frames' size, 16 to 16384 a side; the depth frames are scaled to it",
             CliStereoSize(f, sized)},
            {"--dots", "", "two convergence dots in a white band above each frame", CliSwitch(o.dots)},
        }};
    for (CliOption& m : CliModelOptions(r.view, orthographic)) syntax.options.push_back(std::move(m));
    if (int status = CliParse(syntax, args); status >= 0) return status;
    if (int status = CliStereoFields("animate", f, sized, o)) return status;
    r.view.perspective = !orthographic;
    r.colors = colors;
    r.texture = random.used ? (random.bw ? "random-bw" : "random") : texture;
    r.seed = random.seed;
    r.modeGiven = !modeName.empty();
    if (modeName == "fresh") r.mode = AnimateTexture::Fresh;
    else if (modeName == "still") r.mode = AnimateTexture::Still;
    else if (modeName == "coherent") r.mode = AnimateTexture::Coherent;
    else if (r.modeGiven) return CliUsageError("animate", "--animate-texture: must be fresh, still or coherent");
    if (AnimationRefusal bad = CheckAnimationRequest(r); !bad.empty())
        return CliUsageError("animate", bad.option + ": " + bad.why);
    r.readOther = &CliReadOtherPicture;
    r.writeOther = &CliWriteOtherPicture;

    // Ctrl+C stops at the next frame, and the unfinished output is removed.
    struct sigaction sa{}, old{};
    sa.sa_handler = OnInterrupt;
    sigaction(SIGINT, &sa, &old);
    interrupted = false;
    const bool tty = isatty(STDERR_FILENO);
    AnimationFigures figures;
    int made = 0;
    const std::string why = MakeAnimation(r, [&](int done, int total) {
        if (tty && total) std::fprintf(stderr, "\rframe %d of %d", done, total);
        else if (tty) std::fprintf(stderr, "\rframe %d", done);
        return !interrupted;
    }, &figures, &made);
    if (tty) std::fprintf(stderr, "\n");
    sigaction(SIGINT, &old, nullptr);
    if (why == kAnimationCancelled) {
        std::fprintf(stderr, "orvalis-cli: interrupted; nothing written\n");
        return 130;
    }
    if (why.rfind("--", 0) == 0) return CliUsageError("animate", why);
    if (!why.empty()) {
        std::istringstream lines(why);
        for (std::string line; std::getline(lines, line);) std::fprintf(stderr, "orvalis-cli: %s\n", line.c_str());
        return 1;
    }
    if (report) std::printf("frames %d\nflicker %.4f\nleak %.4f\n", made, figures.Flicker(), figures.Leak());
    return 0;
}

CliCommand reg("animate", "an animated stereogram from depth pictures, an animation, a video or a model", Animate);

}  // namespace
