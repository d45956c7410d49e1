// orvalis-cli animate: an animated stereogram from a sequence of depth frames, as a numbered
// picture sequence, an animated GIF or an animated WebP. Each frame is made on every core
// while the one before is encoded; a few frames at most are held, whatever the length.
#include "images/animation_writer.h"
#include "images/picture_format.h"
#include "stereo/animate_stereo.h"
#include "tools/cli/cli.h"

#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// Set by the signal handler and read by both threads: a lock-free atomic is safe in either.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);
extern "C" void OnInterrupt(int) { interrupted = true; }

// A numbered picture sequence: each frame written whole; all of them removed again when the
// sequence is not finished.
class PictureSequence : public AnimationWriter {
public:
    explicit PictureSequence(FramePattern p) : pattern(std::move(p)) {}
    ~PictureSequence() override {
        std::error_code ec;
        if (!finished)
            for (const std::string& name : written) std::filesystem::remove(name, ec);
    }
    std::string Add(const Image32& frame) override {
        const std::string name = FrameName(pattern, long(written.size()));
        if (CliWritePicture(name, frame)) return "-";  // already told
        written.push_back(name);
        return "";
    }
    std::string Finish() override { return finished = true, ""; }

private:
    FramePattern pattern;
    std::vector<std::string> written;
    bool finished = false;
};

// Frames handed from the maker to the encoder, at most `limit` waiting.
class FrameQueue {
public:
    explicit FrameQueue(size_t limit) : limit(limit) {}
    // False when the encoder has stopped.
    bool Push(Image32 f) {
        std::unique_lock lock(m);
        room.wait(lock, [&] { return q.size() < limit || stopped; });
        if (stopped) return false;
        q.push_back(std::move(f));
        ready.notify_one();
        return true;
    }
    // An empty picture after Close.
    Image32 Pop() {
        std::unique_lock lock(m);
        ready.wait(lock, [&] { return !q.empty() || closed; });
        if (q.empty()) return {};
        Image32 f = std::move(q.front());
        q.pop_front();
        room.notify_one();
        return f;
    }
    void Close() {
        std::lock_guard lock(m);
        closed = true;
        ready.notify_all();
    }
    void Stop() {
        std::lock_guard lock(m);
        stopped = true;
        room.notify_all();
    }

private:
    std::mutex m;
    std::condition_variable ready, room;
    std::deque<Image32> q;
    size_t limit;
    bool closed = false, stopped = false;
};

// The depth frames' names: a numbered pattern (from 0, or from 1 when there is no frame 0,
// up to the first missing number) or a folder's pictures in name order.
// 0, or the exit status after telling why not.
int DepthFrames(const std::string& depth, int most, std::vector<std::string>& names) {
    std::error_code ec;
    if (std::filesystem::is_directory(depth, ec)) {
        std::string why;
        names = FolderPictures(depth, why);
        if (names.empty()) return CliFileError(depth, why);
    } else {
        FramePattern p;
        if (std::string why = ParseFramePattern(depth, p); !why.empty())
            return CliUsageError("animate", "--depth: " + why + ", or a folder of pictures");
        long first = std::filesystem::exists(FrameName(p, 0), ec) ? 0 : 1;
        for (long i = first; std::filesystem::exists(FrameName(p, i), ec) && (most == 0 || long(names.size()) < most); ++i)
            names.push_back(FrameName(p, i));
        if (names.empty()) return CliFileError(FrameName(p, first), "no such frame");
    }
    if (most && long(names.size()) > most) names.resize(size_t(most));
    return 0;
}

int Animate(const std::vector<std::string>& args) {
    std::string texture, depth, out, modeName;
    bool sized = false;
    int frames = 0, report = 0;
    double fps = 25;
    CliRandomTexture random;
    StereoOptions o;
    StereoFieldTexts f{std::to_string(o.oversam), std::to_string(o.bkdepth), std::to_string(o.Eye),
                       std::to_string(o.o)};
    const CliSyntax syntax{
        "animate",
        "An animated stereogram of a sequence of depth pictures.",
        {},
        {
            {"--depth", "SEQ", "the depth frames: a numbered name such as depth%04d.png, or a folder of pictures",
             CliText(depth), true},
            {"--texture", "T", "random[:SEED] or random-bw[:SEED] for dots, or a texture picture",
             CliTextureName(texture, random), true},
            {"-o", "OUT", "the animation: .gif, .webp, or a numbered name such as out%04d.png", CliText(out), true},
            {"--fps", "N", "frames a second, 0.1 to 100 (default 25)", CliNumber(fps, 0.1, 100)},
            {"--frames", "N", "at most this many frames", CliWhole(frames, 1, 1000000)},
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
            {"--marks", "HOW", "the convergence marks above each frame: dots (as --dots), triangles pointing down, or "
             "off (default)", CliMarks(o.dots)},
        }};
    if (int status = CliParse(syntax, args); status >= 0) return status;
    if (int status = CliStereoFields("animate", f, sized, o)) return status;
    AnimateTexture mode = random.used ? AnimateTexture::Coherent : AnimateTexture::Still;
    if (modeName == "fresh") mode = AnimateTexture::Fresh;
    else if (modeName == "still") mode = AnimateTexture::Still;
    else if (modeName == "coherent") mode = AnimateTexture::Coherent;
    else if (!modeName.empty())
        return CliUsageError("animate", "--animate-texture: must be fresh, still or coherent");
    FramePattern outPattern;
    const bool sequence = out.find('%') != std::string::npos || !IsAnimationName(out);
    if (sequence) {
        if (std::string why = ParseFramePattern(out, outPattern); !why.empty())
            return CliUsageError("animate", "-o: " + why + ", or a .gif or .webp name");
        if (PictureFormatFromName(out) == PictureFormat::None)
            return CliUsageError("animate", std::string("-o: the frames' name must end in ") + PictureFormatList());
    }
    std::vector<std::string> names;
    if (int status = DepthFrames(depth, frames, names)) return status;

    Image32 tex;
    if (!random.used && !CliReadPicture(texture, tex)) return 1;
    AnimatedStereo maker;
    if (std::string why; !maker.Prepare(o, mode, random.used ? nullptr : &tex, random.bw, random.seed, why))
        return CliUsageError("animate", "--animate-texture: " + why);

    // Ctrl+C stops at the next frame, and the unfinished output is removed.
    struct sigaction sa{}, old{};
    sa.sa_handler = OnInterrupt;
    sigaction(SIGINT, &sa, &old);
    interrupted = false;
    std::unique_ptr<AnimationWriter> writer;
    FrameQueue queue(2);
    std::string encodeError;
    std::thread encoder;
    const bool progress = isatty(STDERR_FILENO);
    int status = 0;
    for (size_t i = 0; i < names.size() && !interrupted; ++i) {
        Image32 dep, frame;
        if (!CliReadPicture(names[i], dep)) {
            CliFileError(names[i], "frame " + std::to_string(i + 1) + " cannot be read; nothing written");
            status = 1;
            break;
        }
        if (std::string why; !maker.Next(dep, frame, why)) {
            CliFileError(names[i], "frame " + std::to_string(i + 1) + ": " + why + "; nothing written");
            status = 1;
            break;
        }
        if (!writer) {
            std::string why;
            if (sequence)
                writer = std::make_unique<PictureSequence>(outPattern);
            else if (!(writer = OpenAnimation(out, frame.width, frame.height, fps, maker.palette(), why))) {
                status = CliFileError(out, why);
                break;
            }
            // Qt writes the pictures of a sequence, and only on this thread: its per-thread
            // data of another thread is torn down wrongly at exit.
            if (!sequence) encoder = std::thread([&] {
                for (Image32 g; !(g = queue.Pop()).empty();) {
                    if (encodeError.empty() && !interrupted) encodeError = writer->Add(g);
                    if (!encodeError.empty() || interrupted) queue.Stop();
                }
            });
        }
        if (sequence) {
            if ((encodeError = writer->Add(frame)) != "") break;
        } else if (!queue.Push(std::move(frame))) {
            break;
        }
        if (progress) std::fprintf(stderr, "\rframe %zu of %zu", i + 1, names.size());
    }
    queue.Close();
    if (encoder.joinable()) encoder.join();
    if (progress) std::fprintf(stderr, "\n");
    if (status == 0 && !encodeError.empty()) status = encodeError == "-" ? 1 : CliFileError(out, encodeError);
    if (status == 0 && interrupted) {
        std::fprintf(stderr, "orvalis-cli: interrupted; nothing written\n");
        status = 130;
    }
    if (status == 0 && writer) {
        if (std::string why = writer->Finish(); !why.empty()) status = CliFileError(out, why);
    }
    writer.reset();  // an unfinished output is removed here
    sigaction(SIGINT, &old, nullptr);
    if (status == 0 && report) {
        const AnimationFigures& fig = maker.figures();
        std::printf("frames %zu\nflicker %.4f\nleak %.4f\n", names.size(), fig.Flicker(), fig.Leak());
    }
    return status;
}

CliCommand reg("animate", "an animated stereogram from a sequence of depth pictures", Animate);

}  // namespace
