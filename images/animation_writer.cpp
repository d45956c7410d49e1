#include "images/animation_writer.h"

#include "images/picture_format.h"
#include "images/video_file.h"
#include "platform/file_writer.h"

#include <gif_lib.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace {

// When frame i starts, in units of 1 / `perSecond` s: rounded from the exact time, so the
// delays add up without drift.
int64_t FrameTime(int64_t i, double fps, int perSecond) { return std::llround(double(i) * perSecond / fps); }

class GifWriter : public AnimationWriter {
public:
    GifWriter(int w, int h, double fps) : w_(w), h_(h), fps_(fps), line_(size_t(w)) {}
    ~GifWriter() override {
        int error = 0;
        if (gif_) EGifCloseFile(gif_, &error);
    }

    std::string Open(const std::string& path, const std::vector<uint32_t>& palette) {
        path_ = path;
        if (!file_.open(path)) return std::strerror(errno);
        colours_ = palette;
        if (colours_.empty()) {  // 6 reds x 7 greens x 6 blues, then 4 greys
            for (int r = 0; r < 6; ++r)
                for (int g = 0; g < 7; ++g)
                    for (int b = 0; b < 6; ++b) colours_.push_back(uint32_t(r * 51) << 16 | uint32_t(g * 255 / 6) << 8 | uint32_t(b * 51));
            for (uint32_t v : {0x40u, 0x60u, 0xA0u, 0xC0u}) colours_.push_back(v << 16 | v << 8 | v);
        }
        if (colours_.size() > 256) colours_.resize(256);
        int bits = 1;
        while ((1u << bits) < colours_.size()) ++bits;
        std::vector<GifColorType> map(size_t(1) << bits, GifColorType{0, 0, 0});
        for (size_t i = 0; i < colours_.size(); ++i) {
            index_.emplace(colours_[i], uint8_t(i));
            map[i] = {GifByteType(colours_[i] >> 16), GifByteType(colours_[i] >> 8), GifByteType(colours_[i])};
        }
        int error = 0;
        gif_ = EGifOpen(this, &GifWriter::Write, &error);
        if (!gif_) return GifErrorString(error);
        EGifSetGifVersion(gif_, true);
        ColorMapObject* cmap = GifMakeMapObject(int(map.size()), map.data());
        const bool ok = cmap && EGifPutScreenDesc(gif_, w_, h_, bits, 0, cmap) == GIF_OK;
        GifFreeMapObject(cmap);
        // Loop for ever (the NETSCAPE2.0 block).
        static const GifByteType app[] = "NETSCAPE2.0";
        static const GifByteType loop[] = {1, 0, 0};
        if (!ok || EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
            EGifPutExtensionBlock(gif_, 11, app) != GIF_OK || EGifPutExtensionBlock(gif_, 3, loop) != GIF_OK ||
            EGifPutExtensionTrailer(gif_) != GIF_OK)
            return Failure();
        return "";
    }

    std::string Add(const Image32& f) override {
        GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        gcb.DelayTime = int(FrameTime(frames_ + 1, fps_, 100) - FrameTime(frames_, fps_, 100));
        ++frames_;
        GifByteType ext[4];
        EGifGCBToExtension(&gcb, ext);
        if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, ext) != GIF_OK ||
            EGifPutImageDesc(gif_, 0, 0, w_, h_, false, nullptr) != GIF_OK)
            return Failure();
        for (int y = 0; y < h_; ++y) {
            for (int x = 0; x < w_; ++x) line_[size_t(x)] = Index(f.at(x, y) & 0x00FFFFFFu);
            if (EGifPutLine(gif_, line_.data(), w_) != GIF_OK) return Failure();
        }
        return "";
    }

    std::string Finish() override {
        int error = 0;
        const int closed = EGifCloseFile(gif_, &error);
        gif_ = nullptr;
        if (closed != GIF_OK) return writeError_ ? std::strerror(writeError_) : GifErrorString(error);
        const int e = file_.commit();
        return e ? std::strerror(e) : "";
    }

private:
    static int Write(GifFileType* g, const GifByteType* bytes, int n) {
        auto* self = static_cast<GifWriter*>(g->UserData);
        if (const int code = n > 0 ? WriteAll(self->file_.fd(), bytes, size_t(n)) : 0) return self->writeError_ = code, 0;
        return n;
    }
    std::string Failure() const { return writeError_ ? std::strerror(writeError_) : GifErrorString(gif_->Error); }
    // The palette entry of a colour: its own, else the nearest (and remembered).
    GifByteType Index(uint32_t c) {
        if (auto it = index_.find(c); it != index_.end()) return it->second;
        size_t best = 0;
        int64_t bestD = INT64_MAX;
        for (size_t i = 0; i < colours_.size(); ++i) {
            const int dr = int(c >> 16 & 255) - int(colours_[i] >> 16 & 255), dg = int(c >> 8 & 255) - int(colours_[i] >> 8 & 255),
                      db = int(c & 255) - int(colours_[i] & 255);
            const int64_t d = int64_t(dr) * dr + int64_t(dg) * dg + int64_t(db) * db;
            if (d < bestD) bestD = d, best = i;
        }
        return index_[c] = GifByteType(best);
    }

    int w_, h_;
    double fps_;
    std::string path_;
    OutputFile file_;
    GifFileType* gif_ = nullptr;
    std::vector<uint32_t> colours_;
    std::unordered_map<uint32_t, GifByteType> index_;
    std::vector<GifByteType> line_;
    int64_t frames_ = 0;
    int writeError_ = 0;
};

class WebpWriter : public AnimationWriter {
public:
    WebpWriter(int w, int h, double fps) : w_(w), h_(h), fps_(fps) {}
    ~WebpWriter() override {
        if (enc_) WebPAnimEncoderDelete(enc_);
    }

    std::string Open(const std::string& path) {
        path_ = path;
        WebPAnimEncoderOptions ao;
        if (!WebPAnimEncoderOptionsInit(&ao) || !WebPConfigInit(&config_)) return "the WebP library does not match";
        ao.anim_params.loop_count = 0;
        config_.lossless = 1;
        // The fastest lossless setting: random dots do not pack much tighter with more effort.
        config_.method = 0;
        config_.quality = 10;
        enc_ = WebPAnimEncoderNew(w_, h_, &ao);
        if (!enc_ || !WebPValidateConfig(&config_)) return "the WebP encoder cannot be made";
        // Open the file now, so that a name that cannot be written is told before the work.
        if (!file_.open(path)) return std::strerror(errno);
        return "";
    }

    std::string Add(const Image32& f) override {
        WebPPicture pic;
        if (!WebPPictureInit(&pic)) return "the WebP library does not match";
        pic.use_argb = 1;
        pic.width = w_;
        pic.height = h_;
        const bool ok = WebPPictureImportBGRX(&pic, reinterpret_cast<const uint8_t*>(f.px.data()), w_ * 4) &&
                        WebPAnimEncoderAdd(enc_, &pic, int(FrameTime(frames_, fps_, 1000)), &config_);
        WebPPictureFree(&pic);
        ++frames_;
        return ok ? "" : std::string("WebP: ") + WebPAnimEncoderGetError(enc_);
    }

    std::string Finish() override {
        WebPData data;
        WebPDataInit(&data);
        if (!WebPAnimEncoderAdd(enc_, nullptr, int(FrameTime(frames_, fps_, 1000)), nullptr) ||
            !WebPAnimEncoderAssemble(enc_, &data))
            return std::string("WebP: ") + WebPAnimEncoderGetError(enc_);
        int error = WriteAll(file_.fd(), data.bytes, data.size);
        WebPDataClear(&data);
        if (!error) error = file_.commit();
        return error ? std::strerror(error) : "";
    }

private:
    int w_, h_;
    double fps_;
    std::string path_;
    OutputFile file_;
    WebPAnimEncoder* enc_ = nullptr;
    WebPConfig config_;
    int64_t frames_ = 0;
};

}  // namespace

bool IsAnimationName(const std::string& path) {
    return NameEndsIn(path, ".gif") || NameEndsIn(path, ".webp") || IsVideoName(path);
}

std::unique_ptr<AnimationWriter> OpenAnimation(const std::string& path, int width, int height, double fps,
                                               const std::vector<uint32_t>& palette, std::string& why) {
    if (width < 1 || height < 1 || width > 16383 || height > 16383 || !(fps > 0)) {
        why = "an animation cannot be " + std::to_string(width) + " x " + std::to_string(height);
        return nullptr;
    }
    if (NameEndsIn(path, ".gif")) {
        auto w = std::make_unique<GifWriter>(width, height, fps);
        why = w->Open(path, palette);
        return why.empty() ? std::move(w) : nullptr;
    }
    if (NameEndsIn(path, ".webp")) {
        auto w = std::make_unique<WebpWriter>(width, height, fps);
        why = w->Open(path);
        return why.empty() ? std::move(w) : nullptr;
    }
    if (IsVideoName(path)) return OpenVideo(path, width, height, fps, why);
    why = "an animation is written as .gif, .webp, .mp4 or .webm";
    return nullptr;
}
