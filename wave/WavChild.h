#pragma once
// The wave document window (class "WavChild"): four views of the sound, the outline, and
// keys that play, loop and stop it.
#include "workspace/mdi_child.h"

#include <string>

class WavChild : public MdiChild {
    Q_OBJECT
public:
    explicit WavChild(OPENEDFILE* of);
    ~WavChild() override;

    void command(Command id) override { (void)id; }  // the frame's commands mean nothing here
    bool queryClose() override;
    QStringList saveFilters() const override;
    std::string saveDocument(const std::string& path) override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    bool handleChar(char c);
    void releaseDocument();
};

OPENEDFILE* CreateWavChild(const std::string& filename);
