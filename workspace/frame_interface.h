#pragma once
// What document windows and dialogs ask of the frame above them. The frame registers itself
// when it is built and unregisters when it goes; without one (the command-line tools' tests)
// windows have no parent and no MDI area.
#include "workspace/stereo_marks.h"

class QMdiArea;
class QMenu;
class QWidget;

// The frame's title and the caption of the program's own message boxes.
inline constexpr char szMBTitle[] = "Orvalis";

class FrameInterface {
public:
    // The owner of dialogs and message boxes.
    virtual QWidget* dialogParent() = 0;
    // The MDI area that holds the document windows.
    virtual QMdiArea* mdiArea() = 0;
    // The "&Stereo" popup, or null.
    virtual QMenu* stereoMenu() const = 0;
    // Menu items and check marks follow the active child.
    virtual void updateMenus() = 0;
    // The windows marked as background and depth.
    virtual StereoMarks& stereoMarks() = 0;
    // Text into part (popidx & 0xFF) of the status line; any of bits 8-15 draws the part raised.
    virtual void setStatusText(int popidx, const char* text) = 0;
    // File Save As for the document window `child`; true once its document is written.
    virtual bool saveAs(QWidget* child) = 0;

protected:
    ~FrameInterface() = default;
};
void SetFrame(FrameInterface* frame);
// The registered frame, or null.
FrameInterface* TheFrame();

// The same through the registered frame; null (nothing done) without one.
QWidget* FrameWindow();
QMdiArea* FrameMdiArea();
QMenu* FrameStereoMenu();
void UpdateFrameMenus();
// Save As for `child` through the frame; false without a frame, on Cancel or a failed save.
bool FrameSaveAs(QWidget* child);
// The status line's part for notes on what a command did (parts 0 and 1 belong to the windows).
inline constexpr int kStatusNotes = 6;
// The status line's parts that name the windows marked as background and as depth.
inline constexpr int kStatusMarks = 2;  // and the next
// Marks `w` (null: clears the mark) for `role` (Background or Depth). The marked window's title
// carries " - Background" / " - Depth" while it holds the role, the status line names the
// marked windows, and the mark goes with the window when it closes.
void MarkStereoWindow(StereoRole role, QWidget* w);
// printf-style text into the frame's status line (see setStatusText).
void FrameStatusf(int popidx, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The active document window, or null.
QWidget* ActiveChild();
