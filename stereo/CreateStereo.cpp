#include "stereo/CreateStereo.h"

#include "images/BmpChild.h"
#include "images/picture_document.h"
#include "platform/message_box.h"
#include "stereo/StereoReadBack.h"
#include "stereo/stereo_pictures.h"
#include "workspace/frame_interface.h"
#include "workspace/mdi_child.h"
#include "workspace/window_utils.h"

#include <QMdiSubWindow>

#include <cstdio>
#include <new>

namespace {

OPENEDFILE* Refuse(const char* text) {
    platform::MessageBox(FrameWindow(), text, szMBTitle, platform::MB_OK);
    return nullptr;
}

// The record of a marked window; null once the window has gone.
OPENEDFILE* MarkedRecord(const MarkedWindow& w) { return w.hwnd ? GetFileStruct(w.hwnd.data()) : nullptr; }

// The stereogram made straight into the new document's picture, with the dots band on top
// when the options ask for it; neither input picture is copied.
bool MakeStereoImage(const PictureView& background, const PictureView& depth, const StereoOptions& opts, QImage& out,
                     bool& grey, int& bandRows) try {
    StereoMaker maker;
    if (!maker.Prepare(background, DepthOf(depth), opts, 4)) return false;
    grey = maker.greyDepth();
    bandRows = maker.dots().height;
    QImage img(maker.width(), maker.dots().height + maker.height(), QImage::Format_RGB32);
    if (img.isNull() || !maker.MakeWithDots(img.bits(), img.bytesPerLine())) return false;
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) row[x] |= 0xFF000000u;
    }
    out = img;
    return true;
} catch (const std::bad_alloc&) {
    return false;
}

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
    } catch (const std::bad_alloc&) {
        return Refuse(NotEnoughMemoryFor(front->Xsize, front->Ysize, "depth picture").c_str());
    }
    const std::string noMemory = NotEnoughMemoryFor(opts.OutWidth ? opts.OutWidth : depthPicture.width,
                                                    opts.OutHeight ? opts.OutHeight : depthPicture.height, "stereogram");
    bool grey = false;
    int bandRows = 0;
    if (!MakeStereoImage(DocumentView(back, keepBack), depthPicture, opts, picture, grey, bandRows))
        return Refuse(noMemory.c_str());
    // Which reading was used, so that a depth map read the wrong way is noticed.
    FrameStatusf(kStatusNotes, "Depth read as %s%s", grey ? "grey" : "classic",
                 opts.DepthMode == kDepthAuto ? " (automatic)" : "");

    OPENEDFILE* of = CreateBMPChild("NEWSTEREO");
    if (!of) return nullptr;
    of->Changed = 1;
    QWidget* w = of->hwnd.data();
    w->setWindowTitle(QString::fromStdString("New picture:" + of->Filename));
    BMP_DATA* bd = of->data<BMP_DATA>();
    bd->NumColors = backData ? backData->NumColors : 0;
    bd->BitsPerPixel = 32;  // the display's depth, which the picture was fetched at
    bd->StereoType = StereoRole::Result;
    bd->stereogram = true;
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
            KeepStereoSource(w, opts, std::move(depth), bandRows);
        else
            KeepStereoSource(w, opts, keepFront, depthPicture, bandRows);
    } catch (const std::bad_alloc&) {
    }
    return of;
}
