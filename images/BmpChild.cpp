#include "images/BmpChild.h"

#include "images/picture_writer.h"
#include "images/role_cursors.h"
#include "platform/message_box.h"
#include "workspace/frame_globals.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <memory>
#include <new>

QColor WorkspaceColor() {
    if (hwndClient) return hwndClient->background().color();
    return QApplication::palette().color(QPalette::Dark);
}

BmpChild::BmpChild(OPENEDFILE* of) : MdiChild(of), hbar(new QScrollBar(Qt::Horizontal, this)), vbar(new QScrollBar(Qt::Vertical, this)) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    InitScrollBars(this, hbar, vbar);
    resize(400, 300);
}

BmpChild::~BmpChild() { DelFileStruct(this); }

void InitScrollBars(QWidget* hWnd, QScrollBar* hbar, QScrollBar* vbar) {
    hbar->setObjectName("hscroll");
    vbar->setObjectName("vscroll");
    hbar->setSingleStep(5);
    vbar->setSingleStep(5);
    hbar->hide();
    vbar->hide();
    QObject::connect(hbar, &QScrollBar::valueChanged, hWnd, [hWnd](int v) {
        if (OPENEDFILE* f = GetFileStruct(hWnd)) f->Xscroll = v;
        hWnd->update();
    });
    QObject::connect(vbar, &QScrollBar::valueChanged, hWnd, [hWnd](int v) {
        if (OPENEDFILE* f = GetFileStruct(hWnd)) f->Yscroll = v;
        hWnd->update();
    });
}

void SetScroll(QWidget* hWnd, OPENEDFILE* of, QScrollBar* hbar, QScrollBar* vbar) {
    if (!of) return;
    // A bar shows when its page does not cover the range; each bar takes room from the other.
    const int ext = hWnd->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    bool needH = false, needV = false;
    for (int pass = 0; pass < 3; ++pass) {
        const int cw = hWnd->width() - (needV ? ext : 0), ch = hWnd->height() - (needH ? ext : 0);
        needH = cw + 1 <= of->Xsize - 1;
        needV = ch + 1 <= of->Ysize - 1;
    }
    of->Xclient = std::max(0, hWnd->width() - (needV ? ext : 0));
    of->Yclient = std::max(0, hWnd->height() - (needH ? ext : 0));
    const int largestX = std::max(0, of->Xsize - 1 + 1 - (of->Xclient + 1));
    const int largestY = std::max(0, of->Ysize - 1 + 1 - (of->Yclient + 1));
    // The window system clamps the thumb; the stored position follows it.
    of->Xscroll = std::clamp(of->Xscroll, 0, largestX);
    of->Yscroll = std::clamp(of->Yscroll, 0, largestY);
    QSignalBlocker bh(hbar), bv(vbar);
    hbar->setRange(0, largestX);
    hbar->setPageStep(of->Xclient + 1);
    hbar->setValue(of->Xscroll);
    vbar->setRange(0, largestY);
    vbar->setPageStep(of->Yclient + 1);
    vbar->setValue(of->Yscroll);
    hbar->setGeometry(0, of->Yclient, of->Xclient, ext);
    vbar->setGeometry(of->Xclient, 0, ext, of->Yclient);
    hbar->setVisible(needH);
    vbar->setVisible(needV);
    hWnd->update();
}

void BmpChild::SetScroll() { ::SetScroll(this, record(), hbar, vbar); }

void BmpChild::resizeEvent(QResizeEvent*) { SetScroll(); }

void PaintPicture(QPainter& p, QWidget* hWnd, const OPENEDFILE* of, const QImage& picture, bool cornerBetweenBars,
                  QPoint origin) {
    const QColor work = WorkspaceColor();
    if (!of || picture.isNull()) {
        p.fillRect(hWnd->rect(), work);
        return;
    }
    const int cw = of->Xclient, ch = of->Yclient, w = hWnd->width(), h = hWnd->height();
    p.drawImage(QPoint(0, 0), picture, QRect(of->Xscroll - origin.x(), of->Yscroll - origin.y(), cw, ch));
    const int px = of->Xsize - of->Xscroll, py = of->Ysize - of->Yscroll;
    if (px < w) p.fillRect(QRect(px, 0, w - px, h), work);
    if (py < h) p.fillRect(QRect(0, py, std::max(0, px), h - py), work);
    if (cornerBetweenBars) p.fillRect(QRect(cw, ch, w - cw, h - ch), hWnd->palette().color(QPalette::Window));
}

void BmpChild::paintEvent(QPaintEvent*) {
    QPainter p(this);
    OPENEDFILE* of = record();
    PaintPicture(p, this, of, of ? of->hBmpSaved : QImage(), hbar->isVisible() && vbar->isVisible());
}

void BmpChild::mouseMoveEvent(QMouseEvent* e) {
    OPENEDFILE* of = record();
    BMP_DATA* bd = of ? of->data<BMP_DATA>() : nullptr;
    static const int ids[] = {0, 206, 207, 376};
    if (bd && bd->StereoType >= 1 && bd->StereoType <= 3) setCursor(RoleCursor(ids[bd->StereoType]));
    else unsetCursor();
    MdiChild::mouseMoveEvent(e);
}

void BmpChild::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) {
        if (QMenu* m = FrameStereoMenu()) m->popup(e->globalPosition().toPoint());
        return;
    }
    MdiChild::mouseReleaseEvent(e);
}

void BmpChild::keyPressEvent(QKeyEvent* e) {
    using A = QAbstractSlider::SliderAction;
    struct Step {
        int key;
        QScrollBar* bar;
        A action;
    };
    const Step steps[] = {{Qt::Key_Up, vbar, A::SliderSingleStepSub},   {Qt::Key_Down, vbar, A::SliderSingleStepAdd},
                          {Qt::Key_Left, hbar, A::SliderSingleStepSub}, {Qt::Key_Right, hbar, A::SliderSingleStepAdd},
                          {Qt::Key_PageUp, vbar, A::SliderPageStepSub}, {Qt::Key_PageDown, vbar, A::SliderPageStepAdd},
                          {Qt::Key_Home, vbar, A::SliderToMinimum},     {Qt::Key_End, vbar, A::SliderToMaximum}};
    for (const Step& s : steps)
        if (e->key() == s.key) {
            s.bar->triggerAction(s.action);
            return;
        }
    MdiChild::keyPressEvent(e);
}

void BmpChild::wheelEvent(QWheelEvent* e) {
    const QPoint d = e->angleDelta();
    const bool sideways = d.x() != 0 || (e->modifiers() & Qt::ShiftModifier);
    QScrollBar* bar = sideways ? hbar : vbar;
    // Whole notches of 120 scroll the system's number of lines, each a line step of the bar.
    wheelRest += d.x() != 0 ? d.x() : d.y();
    const int notches = wheelRest / 120;
    wheelRest %= 120;
    if (notches) bar->setValue(bar->value() - notches * QApplication::wheelScrollLines() * bar->singleStep());
    e->accept();
}

void BmpChild::command(int id) {
    if (id != 109) return;
    OPENEDFILE* of = record();
    if (of && !of->hBmpSaved.isNull()) QGuiApplication::clipboard()->setImage(of->hBmpSaved);
    platform::MessageBox(hwndFrame, "Bitmap copied to clipboard.", szMBTitle, platform::MB_OK);
}

bool BmpChild::queryClose() { return confirmDiscard(); }

QStringList BmpChild::saveFilters() const {
    const OPENEDFILE* of = record();
    return of && !of->hBmpSaved.isNull() ? PictureSaveFilters() : QStringList();
}

std::string BmpChild::saveDocument(const std::string& path) {
    const OPENEDFILE* of = record();
    const BMP_DATA* bd = of ? of->data<BMP_DATA>() : nullptr;
    if (!bd || of->hBmpSaved.isNull()) return "nothing to save";
    return WritePicture(path, of->hBmpSaved, PictureFormatFromName(path), bd->grey16);
}

OPENEDFILE* CreateBMPChild(QMdiArea* hClient, const std::string& filename, int) {
    return CreateDocumentChild<BmpChild, BMP_DATA>(hClient, filename, 1);
}

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
    if (FrameInterface* frame = TheFrame()) frame->updateMenus();  // now there is something to save
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
    if (auto* child = qobject_cast<BmpChild*>(of->hwnd.data())) child->SetScroll();
}

int ApplyPictureResult(OPENEDFILE* of, PictureResult r) {
    for (const UserMessage& m : r.messages) platform::MessageBox(hwndClient, m.text, m.caption, platform::MB_OK);
    if (!r.ok) return 0;
    if (BMP_DATA* bd = of->data<BMP_DATA>()) {
        if (r.NumColors) bd->NumColors = r.NumColors;
        if (r.BitsPerPixel) bd->BitsPerPixel = r.BitsPerPixel;
    }
    const int w = r.image.width, h = r.image.height;
    if (!SetDocumentPicture(of, std::move(r.image))) {
        platform::MessageBox(hwndClient, NotEnoughMemoryFor(w, h), szMBTitle, platform::MB_OK);
        return 0;
    }
    return 1;
}
