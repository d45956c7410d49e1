#include "images/video_file.h"

#include "images/picture_file.h"
#include "images/picture_format.h"
#include "platform/file_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>

namespace {

std::string AvText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The libraries' own lines would mix with our messages: their reasons come back as codes.
void Quiet() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace

struct VideoDecoding {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwsContext* sws = nullptr;
    int stream = -1;
    bool grey = false, flushed = false;
    int64_t stated = -1, got = 0;
    double rate = 0;

    ~VideoDecoding() {
        sws_freeContext(sws);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }

    // The luma plane read where it lies: planar formats whose first plane holds luma alone.
    bool LumaAsGrey(Image32& out) const {
        const auto fmt = AVPixelFormat(frame->format);
        const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(fmt);
        if (!d || d->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM |
                              AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_FLOAT))
            return false;
        const AVComponentDescriptor& c = d->comp[0];
        const int bits = c.depth;
        if (c.plane != 0 || c.shift != 0 || c.offset != 0 || c.step != (bits > 8 ? 2 : 1) || bits > 16) return false;
        // Video luma is 16 to 235 (scaled for more bits) unless the file says full range; grey
        // formats and the JPEG ones are full.
        const bool full = frame->color_range == AVCOL_RANGE_JPEG || d->nb_components <= 2 || fmt == AV_PIX_FMT_YUVJ420P ||
                          fmt == AV_PIX_FMT_YUVJ422P || fmt == AV_PIX_FMT_YUVJ444P;
        const double low = full ? 0 : 16 << (bits - 8), span = full ? (1 << bits) - 1 : 219 << (bits - 8);
        const bool wide = bits > 8;
        if (wide) out.grey16.resize(out.px.size());
        for (int y = 0; y < out.height; ++y) {
            const uint8_t* row = frame->data[0] + ptrdiff_t(y) * frame->linesize[0];
            for (int x = 0; x < out.width; ++x) {
                int v = wide ? row[2 * x] | row[2 * x + 1] << 8 : row[x];
                const double g = std::clamp((v - low) / span, 0.0, 1.0);
                const size_t i = size_t(y) * size_t(out.width) + size_t(x);
                if (wide) out.grey16[i] = uint16_t(std::lround(g * 65535));
                out.px[i] = uint32_t(std::lround(g * 255)) * 0x010101u;
            }
        }
        return true;
    }

    bool Convert(Image32& out, std::string& why) {
        try {
            out = Image32(frame->width, frame->height);
        } catch (const std::bad_alloc&) {
            return why = NotEnoughMemoryFor(frame->width, frame->height), false;
        }
        if (grey && LumaAsGrey(out)) return true;
        const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
        const bool wide = grey && d && d->comp[0].depth > 8;
        const AVPixelFormat to = grey ? (wide ? AV_PIX_FMT_GRAY16LE : AV_PIX_FMT_GRAY8) : AV_PIX_FMT_BGR0;
        sws = sws_getCachedContext(sws, frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                   frame->height, to, SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                   nullptr, nullptr);
        if (!sws) return why = std::string("frames of ") + (d ? d->name : "this kind") + " cannot be converted", false;
        const int space = frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
        sws_setColorspaceDetails(sws, sws_getCoefficients(space), frame->color_range == AVCOL_RANGE_JPEG,
                                 sws_getCoefficients(space), 1, 0, 1 << 16, 1 << 16);
        std::vector<uint8_t> plane;
        uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(out.px.data()), nullptr, nullptr, nullptr};
        int stride[4] = {out.width * 4, 0, 0, 0};
        if (grey) {
            plane.resize(size_t(out.width) * size_t(out.height) * (wide ? 2 : 1));
            dst[0] = plane.data();
            stride[0] = out.width * (wide ? 2 : 1);
        }
        sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, stride);
        if (!grey) {
            for (uint32_t& p : out.px) p &= 0x00FFFFFFu;
            return true;
        }
        if (wide) out.grey16.resize(out.px.size());
        for (size_t i = 0; i < out.px.size(); ++i) {
            const uint16_t v = wide ? uint16_t(plane[2 * i] | plane[2 * i + 1] << 8) : uint16_t(plane[i] * 257);
            if (wide) out.grey16[i] = v;
            out.px[i] = uint32_t(v >> 8) * 0x010101u;
        }
        return true;
    }
};

VideoReader::VideoReader() = default;
VideoReader::~VideoReader() = default;

std::string VideoReader::Open(const std::string& path, bool grey) {
    Quiet();
    d_ = std::make_unique<VideoDecoding>();
    VideoDecoding& d = *d_;
    d.grey = grey;
    if (int e = avformat_open_input(&d.format, path.c_str(), nullptr, nullptr); e < 0) {
        d_.reset();
        return e == AVERROR(ENOENT) ? std::strerror(ENOENT) : "not a video FFmpeg reads (" + AvText(e) + ")";
    }
    if (int e = avformat_find_stream_info(d.format, nullptr); e < 0) return "not a video FFmpeg reads (" + AvText(e) + ")";
    const AVCodec* codec = nullptr;
    d.stream = av_find_best_stream(d.format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (d.stream < 0 || !codec) return "the file holds no video FFmpeg can decode";
    const AVStream* st = d.format->streams[d.stream];
    const AVCodecParameters* par = st->codecpar;
    if (par->width < 1 || par->height < 1 || PictureTooLarge(uint64_t(par->width), uint64_t(par->height)))
        return "frames of " + std::to_string(par->width) + " x " + std::to_string(par->height) + " pixels are refused";
    d.codec = avcodec_alloc_context3(codec);
    d.packet = av_packet_alloc();
    d.frame = av_frame_alloc();
    if (!d.codec || !d.packet || !d.frame) return "not enough memory for the video decoder";
    avcodec_parameters_to_context(d.codec, par);
    d.codec->thread_count = 0;
    if (int e = avcodec_open2(d.codec, codec, nullptr); e < 0) return "the video decoder does not start (" + AvText(e) + ")";
    d.stated = st->nb_frames > 0 ? st->nb_frames : -1;
    const AVRational r = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    d.rate = r.num > 0 && r.den > 0 ? av_q2d(r) : 0;
    return "";
}

int VideoReader::count() const { return d_ && d_->stated > 0 && d_->stated < INT32_MAX ? int(d_->stated) : -1; }
double VideoReader::fps() const { return d_ ? d_->rate : 0; }

bool VideoReader::Next(Image32& out, std::string& why) {
    why.clear();
    if (!d_ || !d_->codec) return false;
    VideoDecoding& d = *d_;
    const auto endsEarly = [&] {
        if (d.stated > d.got)
            why = "the data ends after " + std::to_string(d.got) + " of " + std::to_string(d.stated) + " frames";
        return false;
    };
    for (;;) {
        const int e = avcodec_receive_frame(d.codec, d.frame);
        if (e == 0) {
            ++d.got;
            const bool ok = d.Convert(out, why);
            av_frame_unref(d.frame);
            return ok;
        }
        if (e == AVERROR_EOF) return endsEarly();
        if (e != AVERROR(EAGAIN)) return why = "the frame cannot be decoded (" + AvText(e) + ")", false;
        if (d.flushed) return endsEarly();
        const int r = av_read_frame(d.format, d.packet);
        if (r == AVERROR_EOF) {
            d.flushed = true;
            avcodec_send_packet(d.codec, nullptr);
            continue;
        }
        if (r < 0) return why = "the data cannot be read (" + AvText(r) + ")", false;
        if (d.packet->stream_index == d.stream) {
            const int s = avcodec_send_packet(d.codec, d.packet);
            av_packet_unref(d.packet);
            if (s < 0 && s != AVERROR(EAGAIN)) return why = "the frame cannot be decoded (" + AvText(s) + ")", false;
        } else {
            av_packet_unref(d.packet);
        }
    }
}

bool IsVideoName(const std::string& path) { return NameEndsIn(path, ".mp4") || NameEndsIn(path, ".webm"); }

namespace {

class VideoWriter : public AnimationWriter {
public:
    ~VideoWriter() override {
        sws_freeContext(sws_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&codec_);
        if (format_) {
            if (format_->pb) {
                av_freep(&format_->pb->buffer);
                avio_context_free(&format_->pb);
            }
            avformat_free_context(format_);
        }
    }

    std::string Open(const std::string& path, int w, int h, double fps) {
        Quiet();
        const bool webm = NameEndsIn(path, ".webm");
        const char* encoder = webm ? "libvpx-vp9" : "libx264";
        if (avformat_alloc_output_context2(&format_, nullptr, webm ? "webm" : "mp4", nullptr) < 0 || !format_)
            return std::string("FFmpeg cannot write ") + (webm ? "WebM" : "MP4");
        const AVCodec* codec = avcodec_find_encoder_by_name(encoder);
        if (!codec) return std::string("FFmpeg has no ") + encoder + " encoder";
        stream_ = avformat_new_stream(format_, nullptr);
        codec_ = avcodec_alloc_context3(codec);
        frame_ = av_frame_alloc();
        packet_ = av_packet_alloc();
        if (!stream_ || !codec_ || !frame_ || !packet_) return "not enough memory for the video encoder";
        const AVRational rate = av_d2q(fps, 100000);
        codec_->width = w;
        codec_->height = h;
        codec_->time_base = av_inv_q(rate);
        codec_->framerate = rate;
        // 4:4:4 in full range: every pixel keeps its own colour, and lossless coding keeps the
        // dots exact but for the colour conversion's rounding.
        codec_->pix_fmt = AV_PIX_FMT_YUV444P;
        codec_->color_range = AVCOL_RANGE_JPEG;
        codec_->colorspace = AVCOL_SPC_BT709;
        codec_->color_primaries = AVCOL_PRI_BT709;
        codec_->color_trc = AVCOL_TRC_BT709;
        codec_->gop_size = int(std::clamp(fps * 10, 1.0, 600.0));
        codec_->thread_count = 0;
        if (format_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* opts = nullptr;
        if (webm) {
            av_dict_set(&opts, "lossless", "1", 0);
            av_dict_set(&opts, "deadline", "realtime", 0);
            av_dict_set(&opts, "cpu-used", "8", 0);
            av_dict_set(&opts, "row-mt", "1", 0);
        } else {
            av_dict_set(&opts, "preset", "ultrafast", 0);
            av_dict_set(&opts, "qp", "0", 0);
        }
        const int e = avcodec_open2(codec_, codec, &opts);
        av_dict_free(&opts);
        if (e < 0) return std::string("the ") + encoder + " encoder does not start (" + AvText(e) + ")";
        if (avcodec_parameters_from_context(stream_->codecpar, codec_) < 0) return "not enough memory for the video encoder";
        stream_->time_base = codec_->time_base;
        stream_->avg_frame_rate = rate;
        frame_->format = codec_->pix_fmt;
        frame_->width = w;
        frame_->height = h;
        frame_->color_range = codec_->color_range;
        frame_->colorspace = codec_->colorspace;
        if (av_frame_get_buffer(frame_, 0) < 0) return NotEnoughMemoryFor(w, h, "video frame");
        sws_ = sws_getContext(w, h, AV_PIX_FMT_BGR0, w, h, AV_PIX_FMT_YUV444P,
                              SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
        if (!sws_) return "the colour conversion cannot be made";
        sws_setColorspaceDetails(sws_, sws_getCoefficients(SWS_CS_ITU709), 1, sws_getCoefficients(SWS_CS_ITU709), 1, 0,
                                 1 << 16, 1 << 16);
        // Open the file now, so that a name that cannot be written is told before the work.
        if (!file_.open(path)) return std::strerror(errno);
        auto* buffer = static_cast<uint8_t*>(av_malloc(1 << 16));
        AVIOContext* io = buffer ? avio_alloc_context(buffer, 1 << 16, 1, this, nullptr, &Write, &Seek) : nullptr;
        if (!io) return av_free(buffer), "not enough memory for the video file";
        format_->pb = io;
        if (int h2 = avformat_write_header(format_, nullptr); h2 < 0) return Failure(h2);
        return "";
    }

    std::string Add(const Image32& f) override {
        if (av_frame_make_writable(frame_) < 0) return NotEnoughMemoryFor(f.width, f.height, "video frame");
        const uint8_t* src[4] = {reinterpret_cast<const uint8_t*>(f.px.data()), nullptr, nullptr, nullptr};
        const int stride[4] = {f.width * 4, 0, 0, 0};
        sws_scale(sws_, src, stride, 0, f.height, frame_->data, frame_->linesize);
        frame_->pts = frames_++;
        return Send(frame_);
    }

    std::string Finish() override {
        if (std::string why = Send(nullptr); !why.empty()) return why;
        if (int e = av_write_trailer(format_); e < 0) return Failure(e);
        avio_flush(format_->pb);
        if (writeError_) return std::strerror(writeError_);
        const int e = file_.commit();
        return e ? std::strerror(e) : "";
    }

private:
    std::string Send(const AVFrame* f) {
        int e = avcodec_send_frame(codec_, f);
        if (e < 0) return Failure(e);
        while ((e = avcodec_receive_packet(codec_, packet_)) == 0) {
            av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
            packet_->stream_index = stream_->index;
            e = av_interleaved_write_frame(format_, packet_);
            if (e < 0) return Failure(e);
        }
        return e == AVERROR(EAGAIN) || e == AVERROR_EOF ? "" : Failure(e);
    }
    std::string Failure(int e) const { return writeError_ ? std::strerror(writeError_) : "video: " + AvText(e); }

#if LIBAVFORMAT_VERSION_MAJOR >= 61
    static int Write(void* self, const uint8_t* bytes, int n) {
#else
    static int Write(void* self, uint8_t* bytes, int n) {
#endif
        auto* w = static_cast<VideoWriter*>(self);
        if (const int code = n > 0 ? WriteAll(w->file_.fd(), bytes, size_t(n)) : 0) return w->writeError_ = code, AVERROR(code);
        return n;
    }
    static int64_t Seek(void* self, int64_t offset, int whence) {
        const int fd = static_cast<VideoWriter*>(self)->file_.fd();
        if (whence & AVSEEK_SIZE) {
            struct stat s{};
            return fstat(fd, &s) == 0 ? int64_t(s.st_size) : AVERROR(errno);
        }
        const off_t at = lseek(fd, offset, whence & ~AVSEEK_FORCE);
        return at < 0 ? AVERROR(errno) : int64_t(at);
    }

    AVFormatContext* format_ = nullptr;
    AVStream* stream_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* sws_ = nullptr;
    OutputFile file_;
    int64_t frames_ = 0;
    int writeError_ = 0;
};

}  // namespace

std::unique_ptr<AnimationWriter> OpenVideo(const std::string& path, int width, int height, double fps, std::string& why) {
    auto w = std::make_unique<VideoWriter>();
    why = w->Open(path, width, height, fps);
    return why.empty() ? std::move(w) : nullptr;
}
