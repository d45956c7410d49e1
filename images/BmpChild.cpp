#include "images/BmpChild.h"

#include "images/picture_writer.h"
#include "images/role_cursors.h"
#include "platform/message_box.h"
#include "workspace/frame_interface.h"
#include "workspace/scrolled_picture.h"

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
#include <algorithm>
#include <cmath>

BmpChild::BmpChild(OPENEDFILE* of) : MdiChild(of), hbar(new QScrollBar(Qt::Horizontal, this)), vbar(new QScrollBar(Qt::Vertical, this)) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    InitScrollBars(this, hbar, vbar);
    resize(400, 300);
}

BmpChild::~BmpChild() { DelFileStruct(this); }

void BmpChild::updateScroll() { SetScroll(this, record(), hbar, vbar, zoom_); }

void BmpChild::setZoom(double z, QPoint anchor) {
    OPENEDFILE* of = record();
    if (!of || of->hBmpSaved.isNull()) return;
    z = std::clamp(z, kMinZoom, kMaxZoom);
    if (anchor.x() < 0) anchor = QPoint(of->Xclient / 2, of->Yclient / 2);
    // The picture point under the anchor, in picture pixels.
    const double px = (of->Xscroll + anchor.x()) / zoom_, py = (of->Yscroll + anchor.y()) / zoom_;
    zoom_ = z;
    of->Xscroll = int(std::lround(px * z)) - anchor.x();
    of->Yscroll = int(std::lround(py * z)) - anchor.y();
    updateScroll();
    const BMP_DATA* bd = of->data<BMP_DATA>();
    QString note;
    if (z != 1.0) {
        note = " - Zoom " + QString::number(z * 100, 'g', 3) + "%";
        // A stereogram fuses only when each of its pixels is one screen pixel.
        if (bd && bd->stereogram) note += " (view at 100% to see the depth)";
    }
    setTitleNote(note);
    update();
}

void BmpChild::stepZoom(int steps, QPoint anchor) {
    // From any zoom (fit to window gives one between steps) to the next step up or down.
    double z = zoom_;
    for (; steps > 0; --steps) z = std::exp2(std::floor(std::log2(z) + 1e-9) + 1);
    for (; steps < 0; ++steps) z = std::exp2(std::ceil(std::log2(z) - 1e-9) - 1);
    setZoom(z, anchor);
}

void BmpChild::resizeEvent(QResizeEvent*) { updateScroll(); }

void BmpChild::paintEvent(QPaintEvent*) {
    QPainter p(this);
    OPENEDFILE* of = record();
    const bool corner = hbar->isVisible() && vbar->isVisible();
    if (!of || zoom_ == 1.0) return PaintPicture(p, this, of, of ? of->hBmpSaved : QImage(), corner);
    const BMP_DATA* bd = of->data<BMP_DATA>();
    const bool smooth = !(bd && bd->stereogram);
    if (zoom_ >= 1.0) reduced = QImage();
    else if (reducedOf != of->hBmpSaved.cacheKey() || reducedAt != zoom_) {
        // Scaled once per zoom: smoothing averages every picture pixel under a screen pixel.
        reduced = of->hBmpSaved.scaled(ZoomedExtent(of->Xsize, zoom_), ZoomedExtent(of->Ysize, zoom_), Qt::IgnoreAspectRatio,
                                       smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
        reducedOf = of->hBmpSaved.cacheKey(), reducedAt = zoom_;
    }
    PaintZoomedPicture(p, this, of, of->hBmpSaved, reduced, zoom_, smooth, corner);
}

void BmpChild::mouseMoveEvent(QMouseEvent* e) {
    OPENEDFILE* of = record();
    BMP_DATA* bd = of ? of->data<BMP_DATA>() : nullptr;
    if (bd && bd->StereoType != StereoRole::None) setCursor(RoleCursor(bd->StereoType));
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
    if (e->modifiers() & Qt::ControlModifier) {  // zoom by whole notches about the pointer
        wheelRest += d.y();
        const int notches = wheelRest / 120;
        wheelRest %= 120;
        if (notches) stepZoom(notches, e->position().toPoint());
        e->accept();
        return;
    }
    const bool sideways = d.x() != 0 || (e->modifiers() & Qt::ShiftModifier);
    QScrollBar* bar = sideways ? hbar : vbar;
    // Whole notches of 120 scroll the system's number of lines, each a line step of the bar.
    wheelRest += d.x() != 0 ? d.x() : d.y();
    const int notches = wheelRest / 120;
    wheelRest %= 120;
    if (notches) bar->setValue(bar->value() - notches * QApplication::wheelScrollLines() * bar->singleStep());
    e->accept();
}

void BmpChild::command(Command id) {
    OPENEDFILE* rec = record();
    switch (id) {
    case Command::ZoomFit:
        if (rec && rec->Xsize > 0 && rec->Ysize > 0)
            setZoom(std::min(double(width()) / rec->Xsize, double(height()) / rec->Ysize), {0, 0});
        return;
    case Command::ZoomActual: setZoom(1.0); return;
    case Command::ZoomIn: stepZoom(1); return;
    case Command::ZoomOut: stepZoom(-1); return;
    default: break;
    }
    if (id != Command::Copy) return;
    OPENEDFILE* of = record();
    if (of && !of->hBmpSaved.isNull()) QGuiApplication::clipboard()->setImage(of->hBmpSaved);
    platform::MessageBox(FrameWindow(), "Bitmap copied to clipboard.", szMBTitle, platform::MB_OK);
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
    return WritePicture(path, of->hBmpSaved, PictureFormatFromName(path), bd->grey16, bd->perMetre);
}

OPENEDFILE* CreateBMPChild(const std::string& filename) {
    return CreateDocumentChild<BmpChild, BMP_DATA>(filename, DocKind::Picture);
}
