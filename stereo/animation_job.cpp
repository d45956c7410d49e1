#include "stereo/animation_job.h"

#include "images/animation_writer.h"
#include "images/bmp_writer.h"
#include "images/jpeg_writer.h"
#include "images/picture_format.h"
#include "images/png_writer.h"
#include "stereo/depth_mesh.h"

#include <cerrno>
#include <cstring>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <new>
#include <thread>

namespace {

bool IsSequenceName(const std::string& out) { return out.find('%') != std::string::npos || !IsAnimationName(out); }

// A model's frames: its depth drawn at each turn.
class TurningModel {
public:
    std::string Open(const std::string& path, const AnimationRequest& r) {
        MeshResult m = ReadDepthMesh(path);
        if (!m.ok) return m.error;
        mesh_ = std::move(m.mesh);
        view_ = r.view;
        view_.width = r.width ? r.width : r.options.OutWidth ? r.options.OutWidth : 640;
        view_.height = r.height ? r.height : r.options.OutHeight ? r.options.OutHeight : 480;
        for (int k = 0; k < 3; ++k) step_[k] = r.turnStep[k];
        return "";
    }
    bool Next(int index, Image32& out, std::string& why) {
        MeshView v = view_;
        v.turnX += step_[0] * (index - 1), v.turnY += step_[1] * (index - 1), v.turnZ += step_[2] * (index - 1);
        std::vector<uint16_t> grey;
        try {
            if (!RenderMeshDepth(mesh_, v, grey)) throw std::bad_alloc();
            out = GreyPicture(v.width, v.height, std::move(grey));
        } catch (const std::bad_alloc&) {
            return why = NotEnoughMemoryFor(v.width, v.height, "depth picture"), false;
        }
        return true;
    }

private:
    Mesh mesh_;
    MeshView view_;
    double step_[3] = {};
};

// A numbered picture sequence: each frame written whole; all of them removed again when the
// sequence is not finished.
class PictureSequence : public AnimationWriter {
public:
    PictureSequence(FramePattern p, PictureFrameWriter other) : pattern_(std::move(p)), other_(std::move(other)) {}
    ~PictureSequence() override {
        std::error_code ec;
        if (!finished_)
            for (const std::string& name : written_) std::filesystem::remove(name, ec);
    }
    std::string Add(const Image32& frame) override {
        const std::string name = FrameName(pattern_, long(written_.size()));
        if (std::string why = Write(name, frame); !why.empty()) return name + ": " + why;
        written_.push_back(name);
        return "";
    }
    std::string Finish() override { return finished_ = true, ""; }

private:
    std::string Write(const std::string& name, const Image32& f) {
        const PictureFormat format = PictureFormatFromName(name);
        if (std::string why = PictureSizeRefusal(format, f.width, f.height); !why.empty()) return why;
        errno = 0;
        bool ok;
        if (format == PictureFormat::Bmp) {
            ok = WriteBmp24(name, f);
        } else if (format == PictureFormat::Png) {
            ok = WritePngBlocks(name, f.width, f.height, PngPixels::Bgr24, [&](int first, int count, uint8_t* rows, size_t stride) {
                for (int r = 0; r < count; ++r) PackBgr24(&f.px[size_t(first + r) * size_t(f.width)], f.width, rows + size_t(r) * stride);
                return true;
            });
        } else if (format == PictureFormat::Jpeg) {
            ok = WriteJpegRows(name, f.width, f.height, 95, [&](int first, int count, uint8_t* rows, size_t stride) {
                for (int r = 0; r < count; ++r) PackBgr24(&f.px[size_t(first + r) * size_t(f.width)], f.width, rows + size_t(r) * stride);
                return true;
            });
        } else if (other_) {
            return other_(name, f);
        } else {
            return "frames are written here as .bmp, .png or .jpg";
        }
        return ok ? "" : errno ? std::strerror(errno) : "the picture cannot be written";
    }

    FramePattern pattern_;
    std::function<std::string(const std::string&, const Image32&)> other_;
    std::vector<std::string> written_;
    bool finished_ = false;
};

}  // namespace

std::unique_ptr<AnimationWriter> OpenPictureSequence(const std::string& pattern, PictureFrameWriter writeOther,
                                                     std::string& why) {
    FramePattern p;
    if (why = ParseFramePattern(pattern, p); !why.empty()) return nullptr;
    return std::make_unique<PictureSequence>(std::move(p), std::move(writeOther));
}

namespace {

// Frames handed from the maker to the encoder, at most `limit` waiting.
class FrameQueue {
public:
    explicit FrameQueue(size_t limit) : limit_(limit) {}
    // False when the encoder has stopped.
    bool Push(Image32 f) {
        std::unique_lock lock(m_);
        room_.wait(lock, [&] { return q_.size() < limit_ || stopped_; });
        if (stopped_) return false;
        q_.push_back(std::move(f));
        ready_.notify_one();
        return true;
    }
    // An empty picture after Close.
    Image32 Pop() {
        std::unique_lock lock(m_);
        ready_.wait(lock, [&] { return !q_.empty() || closed_; });
        if (q_.empty()) return {};
        Image32 f = std::move(q_.front());
        q_.pop_front();
        room_.notify_one();
        return f;
    }
    void Close() {
        std::lock_guard lock(m_);
        closed_ = true;
        ready_.notify_all();
    }
    void Stop() {
        std::lock_guard lock(m_);
        stopped_ = true;
        room_.notify_all();
    }

private:
    std::mutex m_;
    std::condition_variable ready_, room_;
    std::deque<Image32> q_;
    size_t limit_;
    bool closed_ = false, stopped_ = false;
};

bool RandomTexture(const std::string& t, bool& bw) {
    bw = t == "random-bw";
    return t == "random" || bw;
}

// A GIF's palette: the dots' own colours, or for a picture (empty: the writer's 256 colours) a
// cube of as many levels a channel as `colours` allows.
std::vector<uint32_t> GifColours(const AnimatedStereo& maker, int colours) {
    if (!maker.palette().empty() || colours >= 256) return maker.palette();
    int k = 2;
    while ((k + 1) * (k + 1) * (k + 1) <= colours) ++k;
    std::vector<uint32_t> cube;
    for (int r = 0; r < k; ++r)
        for (int g = 0; g < k; ++g)
            for (int b = 0; b < k; ++b)
                cube.push_back(uint32_t(r * 255 / (k - 1)) << 16 | uint32_t(g * 255 / (k - 1)) << 8 | uint32_t(b * 255 / (k - 1)));
    return cube;
}

}  // namespace

AnimationRefusal CheckAnimationRequest(const AnimationRequest& r) {
    if (IsSequenceName(r.output)) {
        FramePattern p;
        if (std::string why = ParseFramePattern(r.output, p); !why.empty())
            return {"-o", why + ", or a .gif, .webp, .mp4 or .webm name"};
        if (PictureFormatFromName(r.output) == PictureFormat::None)
            return {"-o", std::string("the frames' name must end in ") + PictureFormatList()};
    }
    std::error_code ec;
    if (r.depth.find('%') != std::string::npos && !std::filesystem::is_directory(r.depth, ec)) {
        FramePattern p;
        if (std::string why = ParseFramePattern(r.depth, p); !why.empty())
            return {"--depth", why + ", or a folder of pictures"};
    }
    bool bw;
    const bool dots = RandomTexture(r.texture, bw);
    if (r.modeGiven && !dots && r.mode != AnimateTexture::Still)
        return {"--animate-texture", "a picture texture can only stay still"};
    const AnimateTexture mode = r.modeGiven ? r.mode : dots ? AnimateTexture::Coherent : AnimateTexture::Still;
    if (mode == AnimateTexture::Coherent && r.options.oversam != 1)
        return {"--animate-texture", "coherent dots are chosen per pixel: they need an oversampling of 1"};
    if (r.colors < 2 || r.colors > 256) return {"--colors", "must be a whole number from 2 to 256"};
    if (!(r.fps >= 0 && r.fps <= 1000)) return {"--fps", "must be a number from 0.1 to 100"};
    return {};
}

std::string MakeAnimation(const AnimationRequest& request, const std::function<bool(int, int)>& progress,
                          AnimationFigures* figures, int* framesMade) {
    if (AnimationRefusal bad = CheckAnimationRequest(request); !bad.empty()) return bad.option + ": " + bad.why;
    AnimationRequest r = request;
    if (r.width && r.height) r.options.OutWidth = r.width, r.options.OutHeight = r.height;
    bool bw = false;
    const bool dots = RandomTexture(r.texture, bw);
    const AnimateTexture mode = r.modeGiven ? r.mode : dots ? AnimateTexture::Coherent : AnimateTexture::Still;

    // The source: a model turned, or frames read.
    std::unique_ptr<TurningModel> model;
    AnimationReader reader;
    std::error_code ec;
    const bool isModel = r.depth.find('%') == std::string::npos && !std::filesystem::is_directory(r.depth, ec) &&
                         IsDepthMeshName(r.depth);
    int total = 0;
    if (isModel) {
        model = std::make_unique<TurningModel>();
        if (std::string why = model->Open(r.depth, r); !why.empty()) return r.depth + ": " + why;
        total = r.frames = r.frames ? r.frames : 36;
    } else {
        if (std::string why; !reader.Open(r.depth, why, true, r.readOther)) return why;
        total = reader.count() > 0 ? reader.count() : 0;
        if (r.frames && (total == 0 || r.frames < total)) total = r.frames;
        if (r.frames && reader.count() < 0) total = 0;
    }

    Image32 tex;
    if (!dots) {
        const FileKind kind = DispatchKind(r.texture);
        PictureResult t = LoadPictureOfKind(kind, r.texture, r.readOther);
        if (!t.ok) {
            std::string why;
            if (t.messages.empty()) why = r.texture + ": " + DispatchFailureText(kind);
            for (const UserMessage& m : t.messages) {
                std::string text = m.text;
                while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
                why += (why.empty() ? "" : "\n") + r.texture + ": " + text;
            }
            return why;
        }
        tex = std::move(t.image);
    }
    AnimatedStereo maker;
    if (std::string why; !maker.Prepare(r.options, mode, dots ? nullptr : &tex, bw, r.seed, why, r.colors))
        return "--animate-texture: " + why;
    tex = {};

    const bool sequence = IsSequenceName(r.output);
    std::unique_ptr<AnimationWriter> writer;
    FrameQueue queue(2);
    std::string encodeError, failure;
    std::thread encoder;
    bool cancelled = false;
    int made = 0;
    for (int i = 1; r.frames == 0 || i <= r.frames; ++i) {
        Image32 dep, frame;
        int delay = 0;
        std::string why;
        const std::string& name = r.depth;
        if (model ? !model->Next(i, dep, why) : !reader.Next(dep, delay, why)) {
            if (model) why = name + ": " + why + "\n" + name + ": frame " + std::to_string(i) + " cannot be made";
            if (!why.empty()) failure = why + "; nothing written";
            break;
        }
        if (!maker.Next(dep, frame, why)) {
            failure = name + ": frame " + std::to_string(i) + ": " + why + "; nothing written";
            break;
        }
        dep = {};
        if (!writer) {
            double fps = r.fps;
            if (fps <= 0) fps = reader.fps() > 0 ? reader.fps() : delay > 0 ? 1000.0 / delay : 25;
            if (sequence) {
                writer = OpenPictureSequence(r.output, r.writeOther, why);
            } else if (!(writer = OpenAnimation(r.output, frame.width, frame.height, fps, GifColours(maker, r.colors), why))) {
                failure = r.output + ": " + why;
                break;
            }
            // Pictures of a sequence are written on this thread (Qt's writers want one thread).
            if (!sequence) encoder = std::thread([&] {
                for (Image32 g; !(g = queue.Pop()).empty();) {
                    if (encodeError.empty()) encodeError = writer->Add(g);
                    if (!encodeError.empty()) queue.Stop();
                }
            });
        }
        if (sequence) {
            if (!(encodeError = writer->Add(frame)).empty()) break;
        } else if (!queue.Push(std::move(frame))) {
            break;
        }
        made = i;
        if (progress && !progress(i, total)) {
            cancelled = true;
            break;
        }
    }
    queue.Close();
    if (encoder.joinable()) encoder.join();
    if (failure.empty() && !encodeError.empty()) failure = sequence ? encodeError : r.output + ": " + encodeError;
    if (failure.empty() && cancelled) failure = kAnimationCancelled;
    if (failure.empty() && !writer) failure = r.depth + ": no frames";
    if (failure.empty())
        if (std::string why = writer->Finish(); !why.empty()) failure = r.output + ": " + why;
    writer.reset();  // an unfinished output is removed here
    if (failure.empty()) {
        if (figures) *figures = maker.figures();
        if (framesMade) *framesMade = made;
    }
    return failure;
}
