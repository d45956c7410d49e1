#pragma once
// The picture window: shows a picture at natural size with scroll bars.
#include "images/image32.h"
#include "images/picture_file.h"
#include "workspace/mdi_child.h"

class QMdiArea;
class QPainter;
class QScrollBar;

struct BMP_DATA : ClientBlock {
    uint16_t NumColors = 0;
    uint16_t BitsPerPixel = 0;
    void* hPalette = nullptr;
    int StereoType = 0;  // 0 none, 1 background, 2 depth, 3 computed stereo picture
    void* ExtraData = nullptr;
    std::vector<uint16_t> grey16;  // 16-bit grey values, top row first, empty when the picture had none
};

class BmpChild : public MdiChild {
    Q_OBJECT
public:
    explicit BmpChild(OPENEDFILE* of);
    ~BmpChild() override;

    void command(int id) override;
    bool queryClose() override;
    QStringList saveFilters() const override;
    std::string saveDocument(const std::string& path) override;
    // Sets both bars from the record (range, page, position) and lays out the client area.
    void SetScroll();
    QScrollBar* horizontalBar() const { return hbar; }
    QScrollBar* verticalBar() const { return vbar; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    // Arrows, Page Up/Down and Home/End, and the wheel: the bars' own requests.
    void keyPressEvent(QKeyEvent*) override;
    void wheelEvent(QWheelEvent*) override;

private:
    QScrollBar* hbar;
    QScrollBar* vbar;
    int wheelRest = 0;  // wheel delta short of a whole step
};

OPENEDFILE* CreateBMPChild(QMdiArea* hClient, const std::string& filename, int Type);
// Names the bars, steps them by 5 and keeps the record's scroll position with them.
void InitScrollBars(QWidget* hWnd, QScrollBar* hbar, QScrollBar* vbar);
// Sets a picture window's two bars from its record (range, page, position) and lays out
// its client area; the Mandelbrot window scrolls the same way.
void SetScroll(QWidget* hWnd, OPENEDFILE* of, QScrollBar* hbar, QScrollBar* vbar);
// Paints `picture` from the record's scroll position at the top left, the workspace colour
// right of and below it (all of it without a picture), and the corner between two bars.
// `origin` is the document point of the picture's top left when it holds only a part.
void PaintPicture(QPainter& p, QWidget* hWnd, const OPENEDFILE* of, const QImage& picture, bool cornerBetweenBars,
                  QPoint origin = {});
// Gives the document its picture (hBmpSaved, Xsize, Ysize) and refreshes its window. The
// picture's words become the window's without a copy; false for an empty picture.
bool SetDocumentPicture(OPENEDFILE* of, Image32 img);
// The document's picture as the readers and generators see it (may throw std::bad_alloc).
Image32 DocumentPicture(const OPENEDFILE* of);
// The same read where it lies, without a copy (`keep` holds a converted one only for a picture
// of another format), with the document's 16-bit grey values when it has them.
PictureView DocumentView(const OPENEDFILE* of, QImage& keep);
// Stores a 32-bit picture (pixels 0xFFRRGGBB) as the document's, as it is.
void SetDocumentImage(OPENEDFILE* of, const QImage& img);
// Shows a loader's messages (caption as given, owned by the MDI area) and, on success,
// stores the picture and the loader's BMP_DATA fields.
int ApplyPictureResult(OPENEDFILE* of, PictureResult r);
// The application-workspace colour painted around pictures.
QColor WorkspaceColor();
