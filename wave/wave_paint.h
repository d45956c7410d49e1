#pragma once
// Drawing a wave document in its view mode.
#include <QColor>

class QPainter;
struct WAVE_DATA;

// Draws the client area of W x H pixels in the view mode of `wd`, erasing it with
// `background` first. Long sounds are summarised per pixel column (channel view) and the
// X/Y trace is drawn once per size and kept (views 1 and 2).
void PaintWav(QPainter& p, int W, int H, WAVE_DATA& wd, const QColor& background);
