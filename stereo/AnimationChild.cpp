#include "stereo/AnimationChild.h"

#include "images/animation_writer.h"
#include "images/picture_document.h"
#include "images/picture_writer.h"
#include "platform/message_box.h"
#include "stereo/animation_job.h"
#include "workspace/frame_interface.h"
#include "workspace/window_utils.h"

#include <QKeyEvent>

#include <algorithm>
#include <new>
#include <unordered_set>

namespace {

constexpr int kDefaultDelayMs = 100;  // a frame that states no time of its own

// The colours of the frames when there are 256 or fewer (random dots), so that a GIF keeps
// them exactly; else none, and the writer takes its fixed palette.
std::vector<uint32_t> FewColours(const std::vector<QImage>& frames) {
    std::unordered_set<uint32_t> seen;
    for (const QImage& f : frames)
        for (int y = 0; y < f.height(); ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(f.constScanLine(y));
            for (int x = 0; x < f.width(); ++x)
                if (seen.insert(row[x] & 0xFFFFFFu).second && seen.size() > 256) return {};
        }
    return {seen.begin(), seen.end()};
}

// "NAME.png" without a number becomes "NAME%04d.png".
std::string SequenceName(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (path.find('%') != std::string::npos || dot == std::string::npos) return path;
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".png" ? path.substr(0, dot) + "%04d" + path.substr(dot) : path;
}

}  // namespace

AnimationChild::AnimationChild(OPENEDFILE* of) : BmpChild(of) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &AnimationChild::advance);
}

void AnimationChild::setFrames(std::vector<QImage> frames, std::vector<int> delaysMs) {
    frames_ = std::move(frames);
    delays_ = std::move(delaysMs);
    delays_.resize(frames_.size(), kDefaultDelayMs);
    current_ = 0;
    if (OPENEDFILE* of = record(); of && !frames_.empty()) SetDocumentImage(of, frames_[0]);
    showStatus();
}

void AnimationChild::setPlaying(bool on) {
    if (on && frames_.size() > 1) timer_.start(std::max(delays_[size_t(current_)], 10));
    else timer_.stop();
    showStatus();
}

void AnimationChild::showFrame(int index) {
    timer_.stop();
    const int n = frameCount();
    if (n == 0) return;
    current_ = ((index % n) + n) % n;
    OPENEDFILE* of = record();
    if (!of) return;
    // The picture keeps its scroll and zoom: only the pixels change.
    of->hBmpSaved = frames_[size_t(current_)];
    update();
    showStatus();
}

void AnimationChild::advance() {
    showFrame(current_ + 1);
    setPlaying(true);
}

void AnimationChild::showStatus() {
    if (ActiveChild() != this) return;
    FrameStatusf(1, "Frame %d of %d%s", current_ + 1, frameCount(), playing() ? "" : " (paused)");
}

void AnimationChild::focusInEvent(QFocusEvent* e) {
    showStatus();
    BmpChild::focusInEvent(e);
}

void AnimationChild::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Space: setPlaying(!playing()); return;
    case Qt::Key_Left: showFrame(current_ - 1); return;
    case Qt::Key_Right: showFrame(current_ + 1); return;
    default: BmpChild::keyPressEvent(e);
    }
}

QStringList AnimationChild::saveFilters() const {
    if (frames_.empty()) return {};
    return {"Animated GIF (*.gif)", "Animated WebP, lossless (*.webp)", "PNG sequence (*.png)", "MP4 video (*.mp4)",
            "WebM video (*.webm)"};
}

std::string AnimationChild::saveDocument(const std::string& path) {
    if (frames_.empty()) return "nothing to save";
    const std::string name = SequenceName(path);
    const int w = frames_[0].width(), h = frames_[0].height();
    // The writer runs at one rate: the frames' mean time on screen.
    int64_t total = 0;
    for (int d : delays_) total += d;
    const double fps = 1000.0 * double(frames_.size()) / double(std::max<int64_t>(total, 1));
    std::string why;
    try {
        // Frames of a sequence in formats beyond the core's through the window's own writers.
        const auto qtWriter = [](const std::string& path, const Image32& frame) {
            return WritePicture(path, ToQImage(frame), PictureFormatFromName(path));
        };
        std::unique_ptr<AnimationWriter> writer = name.find('%') != std::string::npos
                                                      ? OpenPictureSequence(name, qtWriter, why)
                                                      : OpenAnimation(name, w, h, fps, FewColours(frames_), why);
        if (!writer) return why;
        for (const QImage& f : frames_)
            if (why = writer->Add(FromQImage(f)); !why.empty()) return why;
        return writer->Finish();
    } catch (const std::bad_alloc&) {
        return NotEnoughMemoryFor(w, h, "frame");
    }
}

OPENEDFILE* OpenAnimationWindow(const std::string& path, const std::string& title, int64_t maxBytes) {
    auto say = [](const std::string& text) {
        platform::MessageBox(FrameWindow(), text, szMBTitle, platform::MB_OK | platform::MB_ICONEXCLAMATION);
    };
    AnimationReader reader;
    std::string why;
    if (!reader.Open(path, why)) return say("Can't open the animation " + path + "\n" + why), nullptr;
    std::vector<QImage> frames;
    std::vector<int> delays;
    int64_t held = 0;
    try {
        for (;;) {
            Image32 frame;
            int delay = 0;
            if (!reader.Next(frame, delay, why)) break;
            const int64_t bytes = int64_t(frame.width) * frame.height * 4;
            if (held + bytes > maxBytes) {
                const int total = reader.count();
                say("The animation is larger than the " + std::to_string((maxBytes + (1 << 20) - 1) >> 20) +
                    " MB of frames a window holds: its first " + std::to_string(frames.size()) + " frames of " +
                    (total > 0 ? std::to_string(total) : std::string("more")) + " are shown, and Save As writes only those."
                    "\nThe whole animation is in " + path + ".");
                break;
            }
            frames.push_back(ToQImage(frame));
            if (frames.back().isNull()) throw std::bad_alloc();
            delays.push_back(delay > 0 ? delay : reader.fps() > 0 ? int(1000 / reader.fps() + 0.5) : kDefaultDelayMs);
            held += bytes;
        }
    } catch (const std::bad_alloc&) {
        return say("Can't open the animation " + path + "\nnot enough memory for its frames"), nullptr;
    }
    if (!why.empty()) return say("Can't open the animation " + path + "\n" + why), nullptr;
    if (frames.empty()) return say("Can't open the animation " + path + "\nit holds no frame"), nullptr;
    const int w = frames[0].width(), h = frames[0].height();
    OPENEDFILE* of = CreateDocumentChild<AnimationChild, BMP_DATA>(path, DocKind::Picture);
    if (!of) return nullptr;
    auto* child = static_cast<AnimationChild*>(of->hwnd.data());
    of->data<BMP_DATA>()->BitsPerPixel = 32;
    of->data<BMP_DATA>()->stereogram = true;  // shown unsmoothed
    child->setFrames(std::move(frames), std::move(delays));
    child->setWindowTitle(QString::fromStdString(title));
    SetClientRect(child, w, h, FrameWindow());
    child->setPlaying(true);
    return of;
}
