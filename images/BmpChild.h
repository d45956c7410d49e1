#pragma once
// The picture window: shows a picture at natural size with scroll bars.
#include "workspace/mdi_child.h"
#include "workspace/stereo_marks.h"

#include <QImage>
#include <vector>

class QScrollBar;

struct BMP_DATA : ClientBlock {
    uint16_t NumColors = 0;
    uint16_t BitsPerPixel = 0;
    StereoRole StereoType = StereoRole::None;
    std::vector<uint16_t> grey16;  // 16-bit grey values, top row first, empty when the picture had none
    bool stereogram = false;       // made by "Create it now": shown unsmoothed, fused only at 100%
    int perMetre = 0;              // the resolution a saved file states; 0: the format's usual
    int randomDots = 0;            // made by "New random texture": 1 colour dots, 2 black and white
    uint32_t randomSeed = 0;       // and from this seed
};

class BmpChild : public MdiChild {
    Q_OBJECT
public:
    explicit BmpChild(OPENEDFILE* of);
    ~BmpChild() override;

    void command(Command id) override;
    bool queryClose() override;
    QStringList saveFilters() const override;
    std::string saveDocument(const std::string& path) override;
    // Sets both bars from the record (range, page, position) and lays out the client area.
    void updateScroll();
    QScrollBar* horizontalBar() const { return hbar; }
    QScrollBar* verticalBar() const { return vbar; }
    // Screen pixels per picture pixel; 1 at first.
    double zoom() const { return zoom_; }
    // Shows the picture at `z` (kept within the zoom steps' range), keeping the picture point
    // under `anchor` (client coordinates; the centre when none) in place.
    void setZoom(double z, QPoint anchor = {-1, -1});
    // The zoom steps, each twice the last.
    static constexpr double kMinZoom = 0.125, kMaxZoom = 8.0;

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
    double zoom_ = 1.0;
    QImage reduced;             // the picture scaled to the shown size, below 100%
    qint64 reducedOf = 0;       // the cache key of the picture it was made from
    double reducedAt = 0;       // and the zoom
    void stepZoom(int steps, QPoint anchor = {-1, -1});
};

OPENEDFILE* CreateBMPChild(const std::string& filename);
