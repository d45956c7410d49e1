#pragma once
// A picture shown at natural size from a scroll position, with two scroll bars: the picture
// window and the Mandelbrot window scroll and paint this way.
#include "documents/opened_file.h"

#include <QColor>
#include <QImage>
#include <QPoint>

class QPainter;
class QScrollBar;
class QWidget;

// Names the bars, steps them by 5 and keeps the record's scroll position with them.
void InitScrollBars(QWidget* window, QScrollBar* hbar, QScrollBar* vbar);
// Sets a picture window's two bars from its record (range, page, position) and lays out
// its client area; the Mandelbrot window scrolls the same way. At a `zoom` other than 1 the
// picture shows that many screen pixels per picture pixel, and the scroll position counts
// screen pixels.
void SetScroll(QWidget* window, OPENEDFILE* of, QScrollBar* hbar, QScrollBar* vbar, double zoom = 1.0);
// The shown extent of `size` picture pixels at `zoom` (at least one pixel).
int ZoomedExtent(int size, double zoom);
// Paints `picture` from the record's scroll position at the top left, the workspace colour
// right of and below it (all of it without a picture), and the corner between two bars.
// `origin` is the document point of the picture's top left when it holds only a part.
void PaintPicture(QPainter& p, QWidget* window, const OPENEDFILE* of, const QImage& picture, bool cornerBetweenBars,
                  QPoint origin = {});
// The same at `zoom`: smoothed, or each screen pixel the picture pixel under it. `reduced` is the
// whole picture already scaled to the shown size, for a zoom below 1, or null.
void PaintZoomedPicture(QPainter& p, QWidget* window, const OPENEDFILE* of, const QImage& picture, const QImage& reduced,
                        double zoom, bool smooth, bool cornerBetweenBars);
// The application-workspace colour painted around pictures.
QColor WorkspaceColor();
