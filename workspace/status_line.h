#pragma once
// The frame's eight-part status line.
#include <array>

class QMainWindow;
class QProgressBar;
class QStatusBar;

// Right edges of the eight parts for a frame client width x.
std::array<int, 8> StatusPartEdges(int x);

QStatusBar* CreateStatusLine(QMainWindow* frame);
void SetStatusWidths(int state, int y, int x);
// printf-style text into part (popidx & 0xFF); any of bits 8-15 draws the part raised.
void SetStatusTextf(int popidx, const char* s, ...) __attribute__((format(printf, 2, 3)));
// A menu item's status tip across the whole line while it is hovered; empty: the parts again.
void ShowStatusTip(const char* tip);
// What part n shows now (for tests), and whether it is drawn raised.
const char* StatusText(int part);
bool StatusRaised(int part);
// The status line's height as the frame lays out its client area (0 before it is sized).
int StatusLineHeight();
// A progress bar from 0 to `maximum` over the status line's last four parts while a long task
// runs, showing `text` (QProgressBar's format: %p is the percentage); null before the line
// exists. Deleting it takes it away.
QProgressBar* StatusProgressBar(int maximum, const char* text);
