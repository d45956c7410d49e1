#pragma once
// The Mandelbrot window: an 8-bit picture computed by its worker, zoomed by keys, wheel and
// rubber band, with palette rotation and zoom shows.
#include "mandel/mandel_view.h"
#include "mandel/mandel_worker.h"
#include "workspace/mdi_child.h"

#include <QCursor>
#include <QImage>
#include <memory>
#include <optional>
#include <vector>

class QScrollBar;

// The 8-bit picture block: a 40-byte header and 256 colour entries before the pixel rows.
constexpr size_t kMandelHeaderAndColours = 1064;

struct MANDEL_DATA : ClientBlock {
    std::unique_ptr<MandelWorker> Thread;  // the worker; its run flag is ThreadRunning
    std::vector<uint32_t> Kleuren;         // 0x00BBGGRR per palette entry, at least 256
    int Xsize = 0;
    int Ysize = 0;
    double fltSide = 0.0;
    double fltR = 0.0;
    double fltI = 0.0;
    std::vector<uint8_t> Bmp8bpp;  // 40-byte header, 256 colour entries, pixel rows
    uint8_t* BmpData = nullptr;    // the pixel rows inside Bmp8bpp
    std::vector<uint32_t> hPalette;  // 0x00RRGGBB, made from Bmp8bpp's colour entries
    uint32_t Timer = 0;  // milliseconds of the last finished run
    int TimerID = 0;     // palette rotation timer, 0 when off
    int ZoomShow = 0;    // 0 off, 1 zoom-in show, 2 zoom-out show

    // The worker writes into Bmp8bpp: it ends before any member goes.
    ~MANDEL_DATA() override {
        if (Thread) Thread->stop();
    }
    MandelView view() const { return {fltR, fltI, fltSide}; }
    void setView(const MandelView& v) {
        fltR = v.fltR;
        fltI = v.fltI;
        fltSide = v.fltSide;
    }
};

class MandelChild : public MdiChild {
    Q_OBJECT
public:
    explicit MandelChild(OPENEDFILE* of);
    ~MandelChild() override;

    void command(Command id) override;
    bool queryClose() override;
    int menuCheck(Command id) const override;
    bool hasDepthView() const override { return true; }
    // The iteration counts of the current view as depth: the set nearest.
    bool depthView(int& width, int& height, std::vector<uint16_t>& grey) override;
    QStringList saveFilters() const override;
    std::string saveDocument(const std::string& path) override;

    // Sets both bars from the record and lays out the client area.
    void updateScroll();
    // (Re)starts the computation of the current view.
    void startRun();
    // Zooms by `scale` about the fixed point (no centre) or the client point `center`.
    void zoom(double scale, std::optional<ClientPoint> center);
    // Colour entries 1..255 move down by one, entry 1 to 255; entry 0 stays.
    void rotatePalette();
    // The picture with its current colours (what Copy puts on the clipboard), or the part
    // `part` of it; null when there is no memory for it.
    QImage currentPicture(QRect part = {}) const;
    QScrollBar* horizontalBar() const { return hbar; }
    QScrollBar* verticalBar() const { return vbar; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void timerEvent(QTimerEvent*) override;

private:
    MANDEL_DATA* md() const;
    void post(Command id);
    void runFinished(unsigned run);
    void copyPicture();
    MandelGeometry geometry() const;

    QScrollBar* hbar;
    QScrollBar* vbar;
    // The selection: FirstPoint empty means none; `hit` until the first move draws it.
    std::optional<QPoint> FirstPoint;
    QPoint LastPos;
    bool hit = false;
    std::optional<QCursor> wc;  // busy cursor while a run is going
    int wheelRest = 0;          // wheel delta short of a whole step
};

// The record and window with its palette read, not yet sized; null (after a message) when
// the palette cannot be read.
OPENEDFILE* CreateMandelChild();
// Opens a window: MainFig 1 at the main view ("&Main Mandelbrot"), 0 after asking for the
// start values ("&New"). Returns the record, or null.
OPENEDFILE* Mandel_New(int MainFig);
// Remakes the 8-bit picture block and its palette; 1, or 0 when either was not obtained.
int Create8bpp(OPENEDFILE* of);
// Reads the palette file into the document's colours; 0 (after a message) when it cannot.
int LoadPalette(OPENEDFILE* of, const std::string& filename);
