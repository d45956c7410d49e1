#include "images/animation_reader.h"

#include "images/picture_format.h"
#include "images/video_file.h"
#include "platform/whole_file.h"

#include <gif_lib.h>
#include <webp/demux.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

std::string ParseFramePattern(const std::string& text, FramePattern& out) {
    FramePattern p;
    bool found = false;
    std::string* part = &p.head;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            *part += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '%') {
            *part += '%';
            ++i;
            continue;
        }
        // %d or %0Nd, N one or two digits.
        size_t j = i + 1;
        int digits = 0;
        if (j < text.size() && text[j] == '0') {
            ++j;
            const size_t first = j;
            while (j < text.size() && text[j] >= '0' && text[j] <= '9' && j - first < 2) digits = digits * 10 + (text[j++] - '0');
            if (j == first) return "the number must be written %d or %0Nd, such as %04d";
        }
        if (j >= text.size() || text[j] != 'd') return "the number must be written %d or %0Nd, such as %04d";
        if (found) return "the name may hold only one number (%d or %0Nd); write %% for a percent sign";
        found = true;
        p.digits = digits;
        part = &p.tail;
        i = j;
    }
    if (!found) return "the name holds no frame number (%d or %0Nd, such as depth%04d.png)";
    out = std::move(p);
    return "";
}

std::string FrameName(const FramePattern& p, long index) {
    char number[128];  // up to 99 digits
    std::snprintf(number, sizeof number, "%0*ld", p.digits, index);
    return p.head + number + p.tail;
}

std::vector<std::string> FolderPictures(const std::string& folder, std::string& why) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::string name = it->path().filename().string();
        std::string lower = name;
        for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
        for (const std::string& e : PictureNameEndings())
            if (lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0) {
                names.push_back(it->path().string());
                break;
            }
    }
    if (ec) {
        why = ec.message();
        return {};
    }
    std::sort(names.begin(), names.end());
    if (names.empty()) why = "the folder holds no pictures";
    return names;
}

bool IsAnimatedPictureName(const std::string& path) { return NameEndsIn(path, ".gif") || NameEndsIn(path, ".webp"); }

class AnimationSource {
public:
    virtual ~AnimationSource() = default;
    virtual int count() const = 0;
    virtual double fps() const { return 0; }
    // `index` counts from 1; false at the end (why empty) or with why the frame is refused.
    virtual bool Next(int index, Image32& frame, int& delayMs, std::string& why) = 0;
};

namespace {

// `data` when it is given, else the whole file at `path`, held in `file`: "" or why it cannot be read.
std::string HeldBytes(const std::string& path, WholeFile& file, const uint8_t*& data, size_t& size) {
    if (data) return "";
    file = ReadWholeFile(path);
    if (!file) return std::strerror(file.error ? file.error : EIO);
    data = file.data(), size = file.size;
    return "";
}

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

std::string CannotRead(const std::string& path, int index) {
    return path + ": frame " + std::to_string(index) + " cannot be read";
}

// Pictures named in advance, each read whole when its turn comes.
class PictureFiles : public AnimationSource {
public:
    PictureFiles(std::vector<std::string> names, PictureFileReader other) : names_(std::move(names)), other_(other) {}
    int count() const override { return int(names_.size()); }
    bool Next(int index, Image32& frame, int& delayMs, std::string& why) override {
        if (size_t(index) > names_.size()) return false;
        const std::string& name = names_[size_t(index) - 1];
        const FileKind kind = DispatchKind(name);
        PictureResult r = LoadPictureOfKind(kind, name, other_);
        delayMs = 0;
        if (r.ok) return frame = std::move(r.image), true;
        if (r.messages.empty()) why += name + ": " + DispatchFailureText(kind) + "\n";
        for (const UserMessage& m : r.messages) why += name + ": " + Trimmed(m.text) + "\n";
        why += CannotRead(name, index);
        return false;
    }

private:
    std::vector<std::string> names_;
    PictureFileReader other_;
};

// An animated GIF a frame at a time, each drawn over the last as its disposal says.
class GifFrames : public AnimationSource {
public:
    ~GifFrames() override {
        int error = 0;
        if (gif_) DGifCloseFile(gif_, &error);
    }
    // The file is held whole (GIFs are small beside the frames they decode to), or `data` is
    // read where it lies.
    std::string Open(const std::string& path, const uint8_t* data = nullptr, size_t size = 0) {
        path_ = path;
        if (std::string why = HeldBytes(path, file_, data, size); !why.empty()) return why;
        data_ = data, size_ = size;
        int error = 0;
        gif_ = DGifOpen(this, &GifFrames::Read, &error);
        if (!gif_) return GifErrorString(error);
        if (gif_->SWidth < 1 || gif_->SHeight < 1 || PictureTooLarge(uint64_t(gif_->SWidth), uint64_t(gif_->SHeight)))
            return "the screen of " + std::to_string(gif_->SWidth) + " x " + std::to_string(gif_->SHeight) +
                   " pixels is refused";
        return "";
    }
    int count() const override { return -1; }
    bool Next(int index, Image32& frame, int& delayMs, std::string& why) override {
        const auto fail = [&](const std::string& reason) {
            why = path_ + ": " + reason + "\n" + CannotRead(path_, index);
            return false;
        };
        try {
            if (canvas_.empty()) canvas_ = Image32(gif_->SWidth, gif_->SHeight, Background());
            GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
            for (GifRecordType type;;) {
                if (DGifGetRecordType(gif_, &type) != GIF_OK) return fail(GifErrorString(gif_->Error));
                if (type == TERMINATE_RECORD_TYPE) return false;
                if (type == EXTENSION_RECORD_TYPE) {
                    int code = 0;
                    GifByteType* block = nullptr;
                    if (DGifGetExtension(gif_, &code, &block) != GIF_OK) return fail(GifErrorString(gif_->Error));
                    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) DGifExtensionToGCB(4, block + 1, &gcb);
                    while (block)
                        if (DGifGetExtensionNext(gif_, &block) != GIF_OK) return fail(GifErrorString(gif_->Error));
                    continue;
                }
                if (type != IMAGE_DESC_RECORD_TYPE) continue;
                if (DGifGetImageDesc(gif_) != GIF_OK) return fail(GifErrorString(gif_->Error));
                const GifImageDesc& d = gif_->Image;
                const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif_->SColorMap;
                if (!map) return fail("the frame has no colour table");
                if (d.Width < 1 || d.Height < 1 || PictureTooLarge(uint64_t(d.Width), uint64_t(d.Height)))
                    return fail("the frame is " + std::to_string(d.Width) + " x " + std::to_string(d.Height));
                std::vector<GifPixelType> line(size_t(d.Width));
                Image32 before;
                if (gcb.DisposalMode == DISPOSE_PREVIOUS) before = canvas_;
                static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
                for (int pass = 0; pass < (d.Interlace ? 4 : 1); ++pass)
                    for (int y = d.Interlace ? start[pass] : 0; y < d.Height; y += d.Interlace ? step[pass] : 1) {
                        if (DGifGetLine(gif_, line.data(), d.Width) != GIF_OK) return fail(GifErrorString(gif_->Error));
                        const int cy = d.Top + y;
                        for (int x = 0; x < d.Width; ++x) {
                            const int cx = d.Left + x;
                            if (cx >= canvas_.width || cy >= canvas_.height || line[size_t(x)] == gcb.TransparentColor)
                                continue;
                            const GifColorType c =
                                line[size_t(x)] < map->ColorCount ? map->Colors[line[size_t(x)]] : GifColorType{0, 0, 0};
                            canvas_.at(cx, cy) = uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue;
                        }
                    }
                frame = canvas_;
                delayMs = gcb.DelayTime * 10;
                if (gcb.DisposalMode == DISPOSE_PREVIOUS) canvas_ = std::move(before);
                if (gcb.DisposalMode == DISPOSE_BACKGROUND)
                    for (int y = std::max(d.Top, 0); y < std::min(d.Top + d.Height, canvas_.height); ++y)
                        for (int x = std::max(d.Left, 0); x < std::min(d.Left + d.Width, canvas_.width); ++x)
                            canvas_.at(x, y) = Background();
                return true;
            }
        } catch (const std::bad_alloc&) {
            return fail(NotEnoughMemoryFor(gif_->SWidth, gif_->SHeight));
        }
    }

private:
    static int Read(GifFileType* g, GifByteType* to, int n) {
        auto* self = static_cast<GifFrames*>(g->UserData);
        const size_t take = std::min(size_t(std::max(n, 0)), self->size_ - self->at_);
        std::memcpy(to, self->data_ + self->at_, take);
        self->at_ += take;
        return int(take);
    }
    uint32_t Background() const {
        const ColorMapObject* map = gif_->SColorMap;
        if (!map || gif_->SBackGroundColor >= map->ColorCount) return 0;
        const GifColorType c = map->Colors[gif_->SBackGroundColor];
        return uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue;
    }
    std::string path_;
    WholeFile file_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0, at_ = 0;
    GifFileType* gif_ = nullptr;
    Image32 canvas_;
};

// An animated WebP through libwebp's demuxer: the compressed file is held, a frame decoded at a time.
class WebpFrames : public AnimationSource {
public:
    ~WebpFrames() override {
        if (dec_) WebPAnimDecoderDelete(dec_);
    }
    std::string Open(const std::string& path, const uint8_t* bytes = nullptr, size_t size = 0) {
        path_ = path;
        if (std::string why = HeldBytes(path, file_, bytes, size); !why.empty()) return why;
        WebPAnimDecoderOptions o;
        if (!WebPAnimDecoderOptionsInit(&o)) return "the WebP library does not match";
        o.color_mode = MODE_BGRA;
        o.use_threads = 1;
        const WebPData data{bytes, size};
        dec_ = WebPAnimDecoderNew(&data, &o);
        if (!dec_ || !WebPAnimDecoderGetInfo(dec_, &info_)) return "not a WebP picture libwebp reads";
        if (PictureTooLarge(info_.canvas_width, info_.canvas_height))
            return "the canvas of " + std::to_string(info_.canvas_width) + " x " + std::to_string(info_.canvas_height) +
                   " pixels is refused";
        return "";
    }
    int count() const override { return int(info_.frame_count); }
    bool Next(int index, Image32& frame, int& delayMs, std::string& why) override {
        if (!WebPAnimDecoderHasMoreFrames(dec_)) return false;
        uint8_t* bgra = nullptr;
        int time = 0;
        if (!WebPAnimDecoderGetNext(dec_, &bgra, &time)) {
            why = path_ + ": the frame's data is damaged\n" + CannotRead(path_, index);
            return false;
        }
        try {
            frame = Image32(int(info_.canvas_width), int(info_.canvas_height));
        } catch (const std::bad_alloc&) {
            why = path_ + ": " + NotEnoughMemoryFor(int(info_.canvas_width), int(info_.canvas_height)) + "\n" +
                  CannotRead(path_, index);
            return false;
        }
        for (size_t i = 0; i < frame.px.size(); ++i) {
            uint32_t v;
            std::memcpy(&v, bgra + 4 * i, 4);
            frame.px[i] = v & 0x00FFFFFFu;
        }
        delayMs = time - lastTime_;
        lastTime_ = time;
        return true;
    }

private:
    std::string path_;
    WholeFile file_;
    WebPAnimDecoder* dec_ = nullptr;
    WebPAnimInfo info_{};
    int lastTime_ = 0;
};

class VideoSource : public AnimationSource {
public:
    std::string Open(const std::string& path, bool grey) {
        path_ = path;
        std::string why;
        video_ = OpenVideoFrames(path, grey, why);
        return why;
    }
    int count() const override { return video_->count(); }
    double fps() const override { return video_->fps(); }
    bool Next(int index, Image32& frame, int& delayMs, std::string& why) override {
        std::string reason;
        if (video_->Next(frame, reason)) {
            delayMs = fps() > 0 ? int(std::lround(1000 / fps())) : 0;
            return true;
        }
        if (!reason.empty()) why = path_ + ": " + reason + "\n" + CannotRead(path_, index);
        return false;
    }

private:
    std::string path_;
    std::unique_ptr<VideoFrames> video_;
};

}  // namespace

AnimationReader::AnimationReader() = default;
AnimationReader::~AnimationReader() = default;

bool AnimationReader::Open(const std::string& path, std::string& why, bool grey, PictureFileReader other) {
    namespace fs = std::filesystem;
    source_.reset();
    index_ = 0;
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        std::vector<std::string> names = FolderPictures(path, why);
        if (names.empty()) return why = path + ": " + why, false;
        source_ = std::make_unique<PictureFiles>(std::move(names), other);
        return true;
    }
    if (path.find('%') != std::string::npos) {
        FramePattern p;
        if (std::string bad = ParseFramePattern(path, p); !bad.empty()) return why = path + ": " + bad, false;
        std::vector<std::string> names;
        const long first = fs::exists(FrameName(p, 0), ec) ? 0 : 1;
        for (long i = first; fs::exists(FrameName(p, i), ec); ++i) names.push_back(FrameName(p, i));
        if (names.empty()) return why = FrameName(p, first) + ": no such frame", false;
        source_ = std::make_unique<PictureFiles>(std::move(names), other);
        return true;
    }
    std::string bad;
    if (NameEndsIn(path, ".gif")) {
        auto s = std::make_unique<GifFrames>();
        if ((bad = s->Open(path)).empty()) source_ = std::move(s);
    } else if (NameEndsIn(path, ".webp")) {
        auto s = std::make_unique<WebpFrames>();
        if ((bad = s->Open(path)).empty()) source_ = std::move(s);
    } else {
        auto s = std::make_unique<VideoSource>();
        if ((bad = s->Open(path, grey)).empty()) source_ = std::move(s);
    }
    if (!source_) return why = path + ": " + bad, false;
    return true;
}

bool AnimationReader::OpenBytes(const uint8_t* data, size_t size, const std::string& name, std::string& why) {
    source_.reset();
    index_ = 0;
    std::string bad = "an animation in memory is a .gif or a .webp";
    if (NameEndsIn(name, ".gif")) {
        auto s = std::make_unique<GifFrames>();
        if ((bad = s->Open(name, data, size)).empty()) source_ = std::move(s);
    } else if (NameEndsIn(name, ".webp")) {
        auto s = std::make_unique<WebpFrames>();
        if ((bad = s->Open(name, data, size)).empty()) source_ = std::move(s);
    }
    if (!source_) return why = name + ": " + bad, false;
    return true;
}

int AnimationReader::count() const { return source_ ? source_->count() : 0; }
double AnimationReader::fps() const { return source_ ? source_->fps() : 0; }

bool AnimationReader::Next(Image32& frame, int& delayMs, std::string& why) {
    why.clear();
    delayMs = 0;
    if (!source_ || !source_->Next(index_ + 1, frame, delayMs, why)) return false;
    ++index_;
    return true;
}
