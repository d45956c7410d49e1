#include "mandel/MandelChild.h"

#include "images/dib_palette.h"
#include "images/picture_writer.h"
#include "mandel/mandel_calc.h"
#include "mandel/mandel_cursor.h"
#include "platform/message_box.h"
#include "workspace/frame_interface.h"
#include "workspace/scrolled_picture.h"
#include "workspace/window_utils.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cstring>
#include <new>

namespace {

QPoint Clamped(QPoint p) { return {std::clamp(p.x(), 0, 0xFFFF), std::clamp(p.y(), 0, 0xFFFF)}; }

}  // namespace

MandelChild::MandelChild(OPENEDFILE* of)
    : MdiChild(of), hbar(new QScrollBar(Qt::Horizontal, this)), vbar(new QScrollBar(Qt::Vertical, this)) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowIcon(MandelIcon());
    InitScrollBars(this, hbar, vbar);
    if (MANDEL_DATA* d = md()) {
        // The worker reports from its own thread; both reports become queued calls, which Qt
        // drops once this window is gone (the worker has been joined by then).
        MandelWorker::Callbacks cb;
        cb.repaint = [this](unsigned) { QMetaObject::invokeMethod(this, [this] { command(Command::MandelRepaint); }, Qt::QueuedConnection); };
        cb.finished = [this](unsigned run, uint32_t) {
            QMetaObject::invokeMethod(this, [this, run] { runFinished(run); }, Qt::QueuedConnection);
        };
        d->Thread = std::make_unique<MandelWorker>(cb);
    }
    resize(400, 300);
}

MandelChild::~MandelChild() {
    if (MANDEL_DATA* d = md()) {
        if (d->Thread) d->Thread->stop();  // before any memory it writes is freed
        if (d->TimerID) killTimer(d->TimerID);
    }
    DelFileStruct(this);
}

MANDEL_DATA* MandelChild::md() const {
    OPENEDFILE* of = record();
    return of ? of->data<MANDEL_DATA>() : nullptr;
}

MandelGeometry MandelChild::geometry() const {
    OPENEDFILE* of = record();
    return of ? MandelGeometry{of->Xsize, of->Ysize, of->Xscroll, of->Yscroll} : MandelGeometry{};
}

void MandelChild::post(Command id) {
    QMetaObject::invokeMethod(this, [this, id] { command(id); }, Qt::QueuedConnection);
}

void MandelChild::updateScroll() { SetScroll(this, record(), hbar, vbar); }

void MandelChild::resizeEvent(QResizeEvent*) { updateScroll(); }

bool MandelChild::depthView(int& width, int& height, std::vector<uint16_t>& grey) {
    OPENEDFILE* of = record();
    MANDEL_DATA* d = md();
    if (!of || !d || of->Xsize <= 0 || of->Ysize <= 0) return false;
    width = of->Xsize;
    height = of->Ysize;
    grey = MandelDepth(d->fltR, d->fltI, d->fltSide, width, height, Settings.MndlIteration);
    return true;
}

QImage MandelChild::currentPicture(QRect part) const {
    OPENEDFILE* of = record();
    MANDEL_DATA* d = md();
    if (!of || !d || !d->BmpData) return {};
    part = part.isEmpty() ? QRect(0, 0, of->Xsize, of->Ysize) : part & QRect(0, 0, of->Xsize, of->Ysize);
    QImage img(part.size(), QImage::Format_Indexed8);
    if (img.isNull()) return {};
    QList<QRgb> table(256, qRgb(0, 0, 0));
    for (size_t i = 0; i < d->hPalette.size() && i < 256; ++i) table[qsizetype(i)] = 0xFF000000u | d->hPalette[i];
    img.setColorTable(table);
    const int stride = MandelStride(of->Xsize);
    for (int y = 0; y < part.height(); ++y)
        CopyPixels(d->BmpData + size_t(part.y() + y) * size_t(stride) + size_t(part.x()), img.scanLine(y),
                   size_t(part.width()));
    return img;
}

void MandelChild::paintEvent(QPaintEvent*) {
    QPainter p(this);
    OPENEDFILE* of = record();
    // The window without its picture block shows only the workspace colour; the rest takes
    // only the part in view.
    const QRect part = of ? QRect(of->Xscroll, of->Yscroll, of->Xclient, of->Yclient) & QRect(0, 0, of->Xsize, of->Ysize)
                          : QRect();
    PaintPicture(p, this, of, of && !of->hBmpSaved.isNull() && !part.isEmpty() ? currentPicture(part) : QImage(),
                 hbar->isVisible() && vbar->isVisible(), part.topLeft());
    if (!of || of->hBmpSaved.isNull()) return;
    if (FirstPoint && !hit) {
        // The selection outline inverts what it covers.
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        p.setPen(QPen(Qt::black, 1));
        const QPoint a = *FirstPoint, b = LastPos;
        const QPoint outline[] = {a, QPoint(a.x(), b.y()), b, QPoint(b.x(), a.y()), a};
        p.drawPolyline(outline, 5);
    }
}

void MandelChild::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        const QPoint at = Clamped(e->position().toPoint());
        // Point (0, 0) is the "no selection" mark.
        if (at.isNull()) FirstPoint.reset();
        else FirstPoint = at;
        hit = true;
    } else if (e->button() == Qt::RightButton) {
        FirstPoint.reset();
        LastPos = QPoint();
        update();
    }
}

void MandelChild::mouseMoveEvent(QMouseEvent* e) {
    if (FirstPoint) {
        LastPos = Clamped(e->position().toPoint());
        hit = false;
        update();
    } else if (wc) {
        setCursor(*wc);
    }
}

void MandelChild::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPoint at = Clamped(e->position().toPoint());
    OPENEDFILE* of = record();
    MANDEL_DATA* d = md();
    if (FirstPoint && *FirstPoint != at && of && d) {
        MandelView v = d->view();
        ::SetMouseValues(v, Settings, {FirstPoint->x(), FirstPoint->y()}, {at.x(), at.y()}, geometry());
        d->setView(v);
        post(Command::MandelNew);
    }
    FirstPoint.reset();
    LastPos = QPoint();
    update();
}

void MandelChild::wheelEvent(QWheelEvent* e) {
    e->accept();
    if (e->modifiers() != Qt::NoModifier || e->buttons() != Qt::NoButton) return;
    // Fine-grained wheels and touchpads add up to whole steps of 120.
    wheelRest += e->angleDelta().y();
    if (wheelRest > -120 && wheelRest < 120) return;
    const double scale = wheelRest > 0 ? 0.5 : 1.5;
    wheelRest = 0;
    // A cursor at screen point (0, 0) means "no centre", as for the keys.
    std::optional<ClientPoint> center;
    if (e->globalPosition().toPoint() != QPoint(0, 0)) {
        const QPoint p = e->position().toPoint();
        center = ClientPoint{p.x(), p.y()};
    }
    zoom(scale, center);
}

void MandelChild::keyPressEvent(QKeyEvent* e) {
    // Commands that earlier keys posted run first, as posted messages go ahead of waiting
    // input: a flood of keys ends where the same keys typed slowly end.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    const QString t = e->text();
    if (t == "-") zoom(1.5, std::nullopt);
    else if (t == "+") zoom(0.5, std::nullopt);
    else if (t == "H" || t == "h") post(Command::MandelMain);
    else MdiChild::keyPressEvent(e);
}

void MandelChild::timerEvent(QTimerEvent* e) {
    MANDEL_DATA* d = md();
    if (d && e->timerId() == d->TimerID) rotatePalette();
}

void MandelChild::zoom(double scale, std::optional<ClientPoint> center) {
    MANDEL_DATA* d = md();
    if (!d) return;
    MandelView v = d->view();
    const bool compute = ::MandelZoom(v, Settings, scale, center, geometry());
    d->setView(v);
    if (!compute) return;
    for (double x : {v.fltR, v.fltI, v.fltSide})
        if (auto m = checkf(x)) platform::MessageBox(nullptr, m->text, m->caption, platform::MB_OK);
    post(Command::MandelNew);
}

void MandelChild::startRun() {
    OPENEDFILE* of = record();
    MANDEL_DATA* d = md();
    if (!of || !d || !d->Thread) return;
    setWindowTitle(QString::fromStdString(MandelTitle(of->Xsize, of->Ysize, d->view())));
    d->Thread->stop();
    if (!d->BmpData) return;  // no picture memory, nothing to compute
    MandelRun r;
    r.BmpData = d->BmpData;
    r.Xsize = of->Xsize;
    r.Ysize = of->Ysize;
    r.stride = MandelStride(of->Xsize);
    r.fltR = d->fltR;
    r.fltI = d->fltI;
    r.fltSide = d->fltSide;
    r.MndlMaxColors = Settings.MndlMaxColors;
    r.MndlRepaint = Settings.MndlRepaint;
    r.MndlIteration = Settings.MndlIteration;
    if (d->Thread->StartNew(r) == 0) {
        platform::MessageBox(FrameWindow(), "not enough memory to start the computation", szMBTitle, platform::MB_OK);
        return;
    }
    of->Changed = 1;  // a new view, not yet in any file
    wc = MandelBusyCursor();
    setCursor(*wc);
}

void MandelChild::runFinished(unsigned run) {
    MANDEL_DATA* d = md();
    // A report of a run that a restart has already replaced changes nothing.
    if (!d || !d->Thread || !d->Thread->acceptFinish(run)) return;
    platform::MessageBeep(0);
    d->Timer = d->Thread->Timer();
    unsetCursor();
    FrameStatusf(1, "Time:%d", int(d->Timer));
    wc.reset();
    if (d->ZoomShow == 1) zoom(0.8, std::nullopt);
    else if (d->ZoomShow == 2) zoom(1.2, std::nullopt);
    update();
}

void MandelChild::rotatePalette() {
    MANDEL_DATA* d = md();
    if (!d || d->Bmp8bpp.size() < kMandelHeaderAndColours) return;
    // Entries 1..255 move down by one, entry 1 goes to 255; entry 0 stays.
    uint8_t* table = d->Bmp8bpp.data() + 40;
    uint8_t saved[4];
    std::memcpy(saved, table + 4, 4);
    std::memmove(table + 4, table + 8, 254 * 4);
    std::memcpy(table + 255 * 4, saved, 4);
    d->hPalette = MakeDIBPalette(d->Bmp8bpp.data(), d->Bmp8bpp.size());
    update();
}

void MandelChild::copyPicture() {
    OPENEDFILE* of = record();
    if (of && !of->hBmpSaved.isNull()) {
        const QImage pic = currentPicture();
        const QImage rgb = pic.isNull() ? QImage() : pic.convertToFormat(QImage::Format_RGB32);
        if (rgb.isNull()) {
            platform::MessageBox(FrameWindow(), NotEnoughMemoryFor(of->Xsize, of->Ysize), szMBTitle, platform::MB_OK);
            return;
        }
        of->hBmpSaved = rgb;
        QGuiApplication::clipboard()->setImage(rgb);
    }
    platform::MessageBox(FrameWindow(), "Bitmap copied to clipboard.", szMBTitle, platform::MB_OK);
}

void MandelChild::command(Command id) {
    MANDEL_DATA* d = md();
    if (!d) return;
    switch (id) {
    case Command::MandelNew: startRun(); break;
    case Command::MandelMain:
        d->setView(kHomeView);
        startRun();
        break;
    case Command::PaletteShow:
        if (d->TimerID == 0) {
            d->TimerID = startTimer(100);
        } else {
            killTimer(d->TimerID);
            d->TimerID = 0;
        }
        UpdateFrameMenus();
        break;
    case Command::ZoomInShow:
    case Command::ZoomOutShow:
        if (d->ZoomShow != 0) {
            d->ZoomShow = 0;
        } else {
            d->ZoomShow = id == Command::ZoomInShow ? 1 : 2;
            post(Command::MandelNew);
        }
        UpdateFrameMenus();
        break;
    case Command::MandelRepaint: update(); break;
    case Command::Copy: copyPicture(); break;
    default: break;
    }
}

int MandelChild::menuCheck(Command id) const {
    MANDEL_DATA* d = md();
    if (!d) return -1;
    switch (id) {
    case Command::PaletteShow: return d->TimerID != 0 ? 1 : 0;
    case Command::ZoomInShow: return d->ZoomShow == 1 ? 1 : 0;
    case Command::ZoomOutShow: return d->ZoomShow == 2 ? 1 : 0;
    default: return -1;
    }
}

QStringList MandelChild::saveFilters() const {
    return currentPicture().isNull() ? QStringList() : PictureSaveFilters();
}

// The picture as it shows now, its colours rotated or not.
std::string MandelChild::saveDocument(const std::string& path) {
    const QImage pic = currentPicture();
    return pic.isNull() ? "nothing to save" : WritePicture(path, pic, PictureFormatFromName(path));
}

bool MandelChild::queryClose() {
    if (!confirmDiscard()) return false;
    wc.reset();
    return true;
}
