#include "mandel/MandelChild.h"

#include "images/dib.h"
#include "images/dib_palette.h"
#include "mandel/StartDialog.h"
#include "mandel/mandel_calc.h"
#include "mandel/palette_file.h"
#include "platform/message_box.h"
#include "workspace/window_utils.h"

#include <QMdiSubWindow>
#include <cstring>
#include <new>

int Create8bpp(OPENEDFILE* of) {
    MANDEL_DATA* d = of ? of->data<MANDEL_DATA>() : nullptr;
    if (!d) return 0;
    if (d->Thread) d->Thread->stop();  // it writes into the old block
    d->BmpData = nullptr;
    d->Bmp8bpp = {};
    d->hPalette.clear();
    if (!MandelPictureSizeOk(of->Xsize, of->Ysize)) return 0;
    const uint32_t stride = uint32_t(MandelStride(of->Xsize));
    const uint32_t imageSize = stride * uint32_t(of->Ysize);
    try {
        d->Bmp8bpp.assign(kMandelHeaderAndColours + imageSize, 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    uint8_t* h = d->Bmp8bpp.data();
    PutDib8Header(h, uint32_t(of->Xsize), uint32_t(of->Ysize), 256);
    for (size_t i = 0; i < 256; ++i) {
        const uint32_t k = i < d->Kleuren.size() ? d->Kleuren[i] : 0;
        uint8_t* e = h + 40 + 4 * i;
        e[0] = uint8_t(k >> 16);  // blue
        e[1] = uint8_t(k >> 8);   // green
        e[2] = uint8_t(k);        // red
    }
    d->BmpData = h + kMandelHeaderAndColours;
    d->hPalette = MakeDIBPalette(d->Bmp8bpp.data(), d->Bmp8bpp.size());
    return d->hPalette.empty() ? 0 : 1;
}

int LoadPalette(OPENEDFILE* of, const std::string& filename) {
    MANDEL_DATA* d = of ? of->data<MANDEL_DATA>() : nullptr;
    if (!d) return 0;
    uint32_t size = 0;
    unsigned char* bytes = LoadFile(FindPaletteFile(filename, PaletteSearchDirs()), &size);
    if (!bytes) return 0;
    UserMessage msg;
    const int ok = LoadPaletteBytes(bytes, size, filename, d->Kleuren, Settings.MndlMaxColors, msg);
    delete[] bytes;
    if (!ok) platform::MessageBox(FrameWindow(), msg.text, msg.caption, platform::MB_OK);
    return ok;
}

OPENEDFILE* CreateMandelChild() {
    // A palette that cannot be read leaves no window.
    return CreateDocumentChild<MandelChild, MANDEL_DATA>("New Mandelbrot", DocKind::Mandel, [](OPENEDFILE* of) {
        return LoadPalette(of, std::string(Settings.Palettefile, strnlen(Settings.Palettefile, sizeof Settings.Palettefile))) != 0;
    });
}

OPENEDFILE* Mandel_New(int MainFig) {
    if (MainFig == 0) {
        StartDlg dlg(FrameWindow());
        if (ExecDialog(&dlg) == 0) return nullptr;
    }
    OPENEDFILE* of = CreateMandelChild();
    if (!of) return nullptr;
    MANDEL_DATA* d = of->data<MANDEL_DATA>();
    auto* child = static_cast<MandelChild*>(of->hwnd.data());
    d->setView(MainFig ? kMainView : MandelView{Settings.MndlR, Settings.MndlI, Settings.MndlSide});
    d->Xsize = of->Xsize = Settings.MndlW;
    d->Ysize = of->Ysize = Settings.MndlH;
    SetClientRect(child, of->Xsize, of->Ysize, FrameWindow());
    if (MandelPictureSizeOk(of->Xsize, of->Ysize)) {
        of->hBmpSaved = QImage(of->Xsize, of->Ysize, QImage::Format_RGB32);
        if (!of->hBmpSaved.isNull()) of->hBmpSaved.fill(Qt::black);
    }
    Create8bpp(of);
    // Out of memory for the picture: a message, and no window.
    if (MandelPictureSizeOk(of->Xsize, of->Ysize) && (of->hBmpSaved.isNull() || !d->BmpData)) {
        platform::MessageBox(FrameWindow(), NotEnoughMemoryFor(of->Xsize, of->Ysize), szMBTitle, platform::MB_OK);
        delete child->subWindow();
        return nullptr;
    }
    child->updateScroll();
    UpdateFrameMenus();
    QMetaObject::invokeMethod(child, [child] { child->command(Command::MandelNew); }, Qt::QueuedConnection);
    return of;
}
