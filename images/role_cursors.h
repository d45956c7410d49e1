#pragma once
#include <QCursor>

// Cursors 206 (background: pupils low), 207 (depth: pupils high), 376 (stereo result: rings).
QCursor RoleCursor(int id);
// The picture of a role cursor (for tests and screenshots).
QPixmap RoleCursorPixmap(int id);
