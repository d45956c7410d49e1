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

BmpChild::BmpChild(OPENEDFILE* of) : MdiChild(of), hbar(new QScrollBar(Qt::Horizontal, this)), vbar(new QScrollBar(Qt::Vertical, this)) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    InitScrollBars(this, hbar, vbar);
    resize(400, 300);
}

BmpChild::~BmpChild() { DelFileStruct(this); }

void BmpChild::updateScroll() { SetScroll(this, record(), hbar, vbar); }

void BmpChild::resizeEvent(QResizeEvent*) { updateScroll(); }

void BmpChild::paintEvent(QPaintEvent*) {
    QPainter p(this);
    OPENEDFILE* of = record();
    PaintPicture(p, this, of, of ? of->hBmpSaved : QImage(), hbar->isVisible() && vbar->isVisible());
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
    return WritePicture(path, of->hBmpSaved, PictureFormatFromName(path), bd->grey16);
}

OPENEDFILE* CreateBMPChild(const std::string& filename) {
    return CreateDocumentChild<BmpChild, BMP_DATA>(filename, DocKind::Picture);
}
