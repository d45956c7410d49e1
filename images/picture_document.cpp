#include "images/picture_document.h"

#include "images/BmpChild.h"
#include "images/picture_writer.h"
#include "platform/message_box.h"
#include "workspace/frame_interface.h"

#include <QMdiArea>
#include <memory>
#include <new>

bool SetDocumentPicture(OPENEDFILE* of, Image32 img) {
    if (img.empty() || img.px.size() != size_t(img.width) * size_t(img.height)) return false;
    for (uint32_t& w : img.px) w |= 0xFF000000u;
    // The words move into a block that the picture frees with its last copy.
    std::unique_ptr<std::vector<uint32_t>> words;
    try {
        words = std::make_unique<std::vector<uint32_t>>(std::move(img.px));
    } catch (const std::bad_alloc&) {
        return false;
    }
    QImage q(reinterpret_cast<uchar*>(words->data()), img.width, img.height, qsizetype(img.width) * 4,
             QImage::Format_RGB32, [](void* w) { delete static_cast<std::vector<uint32_t>*>(w); }, words.get());
    if (q.isNull()) return false;
    words.release();
    SetDocumentImage(of, q);
    if (BMP_DATA* bd = of->data<BMP_DATA>()) bd->grey16 = std::move(img.grey16);
    UpdateFrameMenus();  // now there is something to save
    return true;
}

Image32 DocumentPicture(const OPENEDFILE* of) {
    if (!of) return {};
    Image32 img = FromQImage(of->hBmpSaved);
    if (const BMP_DATA* bd = of->data<BMP_DATA>(); bd && bd->grey16.size() == img.px.size()) img.grey16 = bd->grey16;
    return img;
}

PictureView DocumentView(const OPENEDFILE* of, QImage& keep) {
    if (!of || of->hBmpSaved.isNull()) return {};
    keep = of->hBmpSaved.convertToFormat(QImage::Format_RGB32);  // shares the pixels when already 32-bit
    PictureView v = ViewOfRgb32(keep);
    if (const BMP_DATA* bd = of->data<BMP_DATA>(); bd && bd->grey16.size() == size_t(v.width) * size_t(v.height))
        v.grey16 = bd->grey16.data();
    return v;
}

void SetDocumentImage(OPENEDFILE* of, const QImage& img) {
    of->hBmpSaved = img;
    if (BMP_DATA* bd = of->data<BMP_DATA>()) bd->grey16.clear();
    of->Xsize = img.width();
    of->Ysize = img.height();
    if (auto* child = qobject_cast<BmpChild*>(of->hwnd.data())) child->updateScroll();
}

int ApplyPictureResult(OPENEDFILE* of, PictureResult r) {
    for (const UserMessage& m : r.messages) platform::MessageBox(FrameMdiArea(), m.text, m.caption, platform::MB_OK);
    if (!r.ok) return 0;
    if (BMP_DATA* bd = of->data<BMP_DATA>()) {
        if (r.NumColors) bd->NumColors = r.NumColors;
        if (r.BitsPerPixel) bd->BitsPerPixel = r.BitsPerPixel;
    }
    const int w = r.image.width, h = r.image.height;
    if (!SetDocumentPicture(of, std::move(r.image))) {
        platform::MessageBox(FrameMdiArea(), NotEnoughMemoryFor(w, h), szMBTitle, platform::MB_OK);
        return 0;
    }
    return 1;
}
