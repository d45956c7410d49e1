#include "wave/WavChild.h"

#include "platform/message_box.h"
#include "wave/wav_writer.h"
#include "wave/wave_data.h"
#include "wave/wave_document.h"
#include "wave/wave_paint.h"

#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>

namespace {
long PackPos(const QPoint& p) { return long((uint32_t(p.x()) & 0xFFFF) | (uint32_t(p.y()) & 0xFFFF) << 16); }
}  // namespace

WavChild::WavChild(OPENEDFILE* of) : MdiChild(of) {
    setObjectName("WavChild");
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);  // every paint erases the whole client area
}

WavChild::~WavChild() { releaseDocument(); }

void WavChild::releaseDocument() {
    OPENEDFILE* of = record();
    if (!of) return;
    CleanupWave(of);  // stops the device before the blocks go
    if (auto* wd = of->data<WAVE_DATA>()) {
        wd->List.reset();
        wd->ListLen = wd->ListSize = 0;
    }
    DelFileStruct(this);
}

QStringList WavChild::saveFilters() const {
    const OPENEDFILE* of = record();
    const WAVE_DATA* wd = of ? of->data<WAVE_DATA>() : nullptr;
    return wd && wd->pFormat && wd->lpData ? QStringList{"WAV audio files (*.wav)"} : QStringList();
}

// The format record and the samples as they are now, an outline drawn into them included.
std::string WavChild::saveDocument(const std::string& path) {
    const OPENEDFILE* of = record();
    const WAVE_DATA* wd = of ? of->data<WAVE_DATA>() : nullptr;
    if (!wd || !wd->pFormat || !wd->lpData) return "nothing to save";
    return WriteWavFile(path, *wd->pFormat, wd->lpData.get(), wd->dwDataSize);
}

bool WavChild::queryClose() {
    if (QMdiSubWindow* sub = subWindow(); sub && FrameMdiArea()) FrameMdiArea()->setActiveSubWindow(sub);
    if (!confirmDiscard()) return false;
    releaseDocument();
    update();
    return true;
}

void WavChild::paintEvent(QPaintEvent*) {
    QPainter p(this);
    OPENEDFILE* of = record();
    WAVE_DATA* wd = of ? of->data<WAVE_DATA>() : nullptr;
    const QColor background = palette().color(QPalette::Dark);  // the MDI workspace colour
    if (!wd) {
        p.fillRect(rect(), background);
        return;
    }
    PaintWav(p, width(), height(), *wd, background);
}

void WavChild::resizeEvent(QResizeEvent* e) {
    MdiChild::resizeEvent(e);
    update();
}

bool WavChild::handleChar(char c) {
    OPENEDFILE* of = record();
    WAVE_DATA* wd = of ? of->data<WAVE_DATA>() : nullptr;
    if (!wd) return false;
    switch (c) {
    case 'I': case 'i': PrintWaveInfo(this, of); break;
    case '1': case '2': case '3': case '4': wd->Display = c - '1'; break;
    case 'c': wd->ListLen = 0; break;
    case 'm':
        MakeForm(of);
        wd->Display = 1;
        break;
    case ' ':
        if (wd->Playing == 1 && wd->hWaveOut) wd->hWaveOut->Reset();  // completion follows
        else PlayWav(this, of, 1000);
        break;
    case '\r': case '\n': PlayWav(this, of, 1); break;
    case 'P': case 'R': case 'p': case 'r': PlayWav(this, of, 1000); break;
    default: return false;
    }
    // The window may have been closed by a box's event loop meanwhile.
    if (OPENEDFILE* still = record())
        if (WAVE_DATA* w = still->data<WAVE_DATA>()) w->Drag = 0;
    update();
    return true;
}

void WavChild::keyPressEvent(QKeyEvent* e) {
    const QString text = e->text();
    // Characters beyond one byte have no meaning here, so none can alias a command key.
    if (text.size() == 1 && text[0].unicode() < 256 && handleChar(char(text[0].unicode()))) return;
    MdiChild::keyPressEvent(e);
}

void WavChild::mouseMoveEvent(QMouseEvent* e) {
    OPENEDFILE* of = record();
    WAVE_DATA* wd = of ? of->data<WAVE_DATA>() : nullptr;
    if (!wd || wd->Display != 2) return MdiChild::mouseMoveEvent(e);
    wd->DragPos = PackPos(e->position().toPoint());
    wd->Drag = 1;
    update();
}

void WavChild::mouseReleaseEvent(QMouseEvent* e) {
    OPENEDFILE* of = record();
    WAVE_DATA* wd = of ? of->data<WAVE_DATA>() : nullptr;
    if (!wd || wd->Display != 2 || e->button() != Qt::LeftButton) return MdiChild::mouseReleaseEvent(e);
    AddItem(this, of, PackPos(e->position().toPoint()));
    wd->Drag = 0;
    update();
}

OPENEDFILE* CreateWavChild(const std::string& filename) {
    return CreateDocumentChild<WavChild, WAVE_DATA>(filename, DocKind::Wave);
}
