#pragma once
// The picture window: shows a picture at natural size with scroll bars.
#include "workspace/mdi_child.h"
#include "workspace/stereo_marks.h"

#include <vector>

class QScrollBar;

struct BMP_DATA : ClientBlock {
    uint16_t NumColors = 0;
    uint16_t BitsPerPixel = 0;
    StereoRole StereoType = StereoRole::None;
    std::vector<uint16_t> grey16;  // 16-bit grey values, top row first, empty when the picture had none
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

OPENEDFILE* CreateBMPChild(const std::string& filename);
