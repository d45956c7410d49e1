#pragma once
#include <QCursor>
#include <QIcon>

// Cursor 205: shown over a Mandelbrot window while its picture is computed.
QCursor MandelBusyCursor();
QPixmap MandelBusyCursorPixmap();
// Icon 203: the Mandelbrot windows' icon.
QIcon MandelIcon();
