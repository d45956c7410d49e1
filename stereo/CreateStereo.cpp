#include "stereo/CreateStereo.h"

#include "images/BmpChild.h"
#include "images/picture_document.h"
#include "platform/message_box.h"
#include "stereo/StereoReadBack.h"
#include "stereo/stereo_pictures.h"
#include "workspace/frame_interface.h"
#include "workspace/mdi_child.h"
#include "workspace/status_line.h"
#include "workspace/window_utils.h"

#include <QMdiSubWindow>
#include <QProgressBar>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

OPENEDFILE* Refuse(const char* text) {
    platform::MessageBox(FrameWindow(), text, szMBTitle, platform::MB_OK);
    return nullptr;
}

// The record of a marked window; null once the window has gone.
OPENEDFILE* MarkedRecord(const MarkedWindow& w) { return w.hwnd ? GetFileStruct(w.hwnd.data()) : nullptr; }

constexpr int kBlockRows = 32;  // rows made between two looks at the cancel flag

// The stereogram made straight into the new document's picture, with the band of marks on top
// when the options ask for it, a block of rows at a time: `rows` counts the rows made and
// `cancel` stops it between blocks. Neither input picture is copied.
bool MakeStereoImage(const StereoMaker& maker, QImage& img, std::atomic<int>* rows = nullptr,
                     const std::atomic<bool>* cancel = nullptr) {
    const Image32& band = maker.dots();
    for (int y = 0; y < band.height; ++y)
        std::memcpy(img.scanLine(y), &band.px[size_t(y) * size_t(band.width)], size_t(band.width) * 4);
    for (int y0 = 0; y0 < maker.height(); y0 += kBlockRows) {
        if (cancel && cancel->load()) return false;
        const int y1 = std::min(y0 + kBlockRows, maker.height());
        if (!maker.Make(y0, y1, img.scanLine(band.height + y0), img.bytesPerLine())) return false;
        if (rows) rows->store(y1);
    }
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) row[x] |= 0xFF000000u;
    }
    return true;
}

// Esc pressed in any window of the program while it lives sets `cancel`.
class EscWatch : public QObject {
public:
    explicit EscWatch(std::atomic<bool>& c) : cancel(c) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_Escape) return false;
        cancel.store(true);
        return true;
    }

private:
    std::atomic<bool>& cancel;
};

// The same on its own thread while the window goes on, with a progress bar in the status line;
// Esc cancels. False when cancelled or memory ran out (`cancelled` says which).
bool MakeInBackground(const StereoMaker& maker, QImage& img, bool& cancelled) {
    std::atomic<int> rows{0};
    std::atomic<bool> cancel{false};
    bool made = false;
    const std::unique_ptr<QProgressBar> bar(StatusProgressBar(maker.height(), "Making the stereogram: %p% (Esc cancels)"));
    EscWatch esc(cancel);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { if (bar) bar->setValue(rows.load()); });
    tick.start(100);
    RunBesideTheWindows([&] {
        try {
            made = MakeStereoImage(maker, img, &rows, &cancel);
        } catch (const std::bad_alloc&) {
        }
    });
    cancelled = cancel.load();
    FrameStatusf(kStatusNotes, "%s", cancelled ? "Stereogram cancelled" : "");
    return made && !cancelled;
}

bool running = false;  // a background run is on: "Create it now" waits for it

}  // namespace

OPENEDFILE* CreateStereo(const StereoOptions& options) {
    FrameInterface* frame = TheFrame();
    if (!frame) return nullptr;
    const StereoMarks& marks = frame->stereoMarks();
    // A mark goes with its window: a closed one reads as never marked.
    if (!marks.background.hwnd)
        return Refuse("No background selected!\nClick on background picture and\nselect in menu: Stereo, set as background ");
    if (!marks.depth.hwnd)
        return Refuse("No depth selected!\nClick on depth picture and\nselect in menu: Stereo, set as depth");
    OPENEDFILE* back = MarkedRecord(marks.background);
    if (!back) return Refuse("couldn't retreive back filestruct!");
    OPENEDFILE* front = MarkedRecord(marks.depth);
    if (!front) return Refuse("couldn't retreive depth filestruct!");
    if (back->hBmpSaved.isNull()) return nullptr;

    if (running) return Refuse("A stereogram is being made: wait for it, or press Esc to cancel it.");
    // A Mandelbrot or OpenGL window gives a 16-bit depth picture of what it shows, in grey mode.
    Image32 depth;
    StereoOptions opts = options;
    auto* view = qobject_cast<MdiChild*>(front->hwnd.data());
    const BMP_DATA* backData = back->data<BMP_DATA>();
    // The document's picture is read where it lies; a window's depth view is made for it.
    QImage keepBack, keepFront, picture;
    PictureView depthPicture;
    try {
        if (view && view->hasDepthView()) {
            if (!view->depthView(depth.width, depth.height, depth.grey16)) return nullptr;
            depth.px.assign(depth.grey16.size(), 0);
            opts.DepthMode = kDepthGrey;
            depthPicture = ViewOf(depth);
        } else {
            if (front->hBmpSaved.isNull()) return nullptr;
            depthPicture = DocumentView(front, keepFront);
        }
        if (opts.smooth > 0) {
            if (depth.empty()) depth = DocumentPicture(front);
            if (!SmoothDepthPicture(depth, opts.DepthMode, opts.smooth))
                return Refuse("Smooth works on grey depth only: this depth picture is read in classic mode "
                              "(choose grey depth values).");
            depthPicture = ViewOf(depth);
        }
    } catch (const std::bad_alloc&) {
        return Refuse(NotEnoughMemoryFor(front->Xsize, front->Ysize, "depth picture").c_str());
    }
    const std::string noMemory = NotEnoughMemoryFor(opts.OutWidth ? opts.OutWidth : depthPicture.width,
                                                    opts.OutHeight ? opts.OutHeight : depthPicture.height, "stereogram");
    // What the rest needs of the texture's window, which may close while a background run goes on.
    const uint16_t numColors = backData ? backData->NumColors : 0;
    const StereoTexture texture =
        backData && backData->randomDots ? StereoTexture{backData->randomDots == 2, backData->randomSeed, back->Xsize}
                                         : StereoTexture{};
    StereoMaker maker;
    bool cancelled = false;
    try {
        if (!maker.Prepare(DocumentView(back, keepBack), DepthOf(depthPicture), opts, 4)) return Refuse(noMemory.c_str());
        picture = QImage(maker.width(), maker.dots().height + maker.height(), QImage::Format_RGB32);
        if (picture.isNull()) return Refuse(noMemory.c_str());
        bool made = false;
        if (int64_t(picture.width()) * picture.height() > kBackgroundStereoPixels) {
            running = true;
            made = MakeInBackground(maker, picture, cancelled);
            running = false;
        } else {
            made = MakeStereoImage(maker, picture);
        }
        if (cancelled || !TheFrame()) return nullptr;  // the frame may have gone while it ran
        if (!made) return Refuse(noMemory.c_str());
    } catch (const std::bad_alloc&) {
        running = false;
        return Refuse(noMemory.c_str());
    }
    const bool grey = maker.greyDepth();
    const int bandRows = maker.dots().height;
    // Which reading was used, so that a depth map read the wrong way is noticed.
    FrameStatusf(kStatusNotes, "Depth read as %s%s", grey ? "grey" : "classic",
                 opts.DepthMode == kDepthAuto ? " (automatic)" : "");

    OPENEDFILE* of = CreateBMPChild("NEWSTEREO");
    if (!of) return nullptr;
    of->Changed = 1;
    QWidget* w = of->hwnd.data();
    w->setWindowTitle(QString::fromStdString("New picture:" + of->Filename));
    BMP_DATA* bd = of->data<BMP_DATA>();
    bd->NumColors = numColors;
    bd->BitsPerPixel = 32;  // the display's depth, which the picture was fetched at
    bd->StereoType = StereoRole::Result;
    bd->stereogram = true;
    bd->perMetre = opts.dpi > 0 ? DpiToPerMetre(opts.dpi) : 0;
    SetDocumentImage(of, picture);  // sizes the record too

    char caption[300];
    std::snprintf(caption, sizeof caption, "File:%s  %uX%uX%u", of->Filename.c_str(), unsigned(of->Xsize),
                  unsigned(of->Ysize), unsigned(bd->BitsPerPixel));
    w->setWindowTitle(caption);
    SetClientRect(w, of->Xsize, of->Ysize, FrameWindow());
    // Kept so that Reveal depth can score what it reads back (a document's picture shared, not
    // copied); a stereogram without it is read back all the same.
    try {
        if (!depth.empty())
            KeepStereoSource(w, opts, std::move(depth), bandRows, texture);
        else
            KeepStereoSource(w, opts, keepFront, depthPicture, bandRows, texture);
    } catch (const std::bad_alloc&) {
    }
    return of;
}
