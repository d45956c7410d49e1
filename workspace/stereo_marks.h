#pragma once
// The pictures a stereogram is made from: which window was marked for which role.
#include <QPointer>
#include <QWidget>

// A picture's part in a stereogram (the StereoType of its document).
enum class StereoRole : int {
    None = 0,
    Background = 1,  // "set as &Background": the texture
    Depth = 2,       // "set as &Depth view"
    Result = 3,      // a computed stereogram
};

// A window marked for a stereo role. `set` tells "marked, window since closed" apart from
// "never marked".
struct MarkedWindow {
    QPointer<QWidget> hwnd;
    bool set = false;
    void mark(QWidget* w) {
        hwnd = w;
        set = w != nullptr;
    }
};

// The two marks, kept for the stereogram generator, which reads them.
struct StereoMarks {
    MarkedWindow background;
    MarkedWindow depth;
    MarkedWindow& of(StereoRole role) { return role == StereoRole::Background ? background : depth; }
};
