#pragma once
// The animation window: a picture window that plays the frames of an animation it holds
// (Space plays and pauses, Left and Right step, the last frame leads back to the first). The
// frame shown is the window's picture, so "set as &Depth view", Reveal depth and Copy take it
// as they take any picture; Save As writes the frames again in any animation format.
#include "images/BmpChild.h"

#include <QImage>
#include <QTimer>

#include <cstdint>
#include <string>
#include <vector>

class AnimationChild : public BmpChild {
    Q_OBJECT
public:
    explicit AnimationChild(OPENEDFILE* of);

    // Takes the frames (all of one size, Format_RGB32) with each one's time on screen.
    void setFrames(std::vector<QImage> frames, std::vector<int> delaysMs);
    int frameCount() const { return int(frames_.size()); }
    int currentFrame() const { return current_; }
    bool playing() const { return timer_.isActive(); }
    void setPlaying(bool on);
    // Shows frame `index` (taken round the animation either way); stops the playing.
    void showFrame(int index);

    QStringList saveFilters() const override;
    // A .gif, .webp, .mp4 or .webm file, or a numbered PNG sequence: a name holding %d or
    // %0Nd, or plain "NAME.png", which becomes NAME0000.png, NAME0001.png, ...
    std::string saveDocument(const std::string& path) override;

protected:
    void keyPressEvent(QKeyEvent*) override;
    void focusInEvent(QFocusEvent*) override;

private:
    void advance();
    // The frames as pictures named by the numbered name `name`: "" or why not (none is left then).
    void showStatus();

    std::vector<QImage> frames_;
    std::vector<int> delays_;
    int current_ = 0;
    QTimer timer_;
};

// The frames a window keeps at most, as bytes of 32-bit pixels.
inline constexpr int64_t kAnimationWindowBytes = int64_t(512) << 20;

// Opens the animation file `path` (GIF, WebP, video or numbered PNG sequence) in a new
// animation window titled `title` that starts playing. An animation larger than `maxBytes`
// keeps its first frames only, after a message saying so. Null after a message saying why the
// file could not be read.
OPENEDFILE* OpenAnimationWindow(const std::string& path, const std::string& title,
                                int64_t maxBytes = kAnimationWindowBytes);
