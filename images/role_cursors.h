#pragma once
#include "workspace/stereo_marks.h"

#include <QCursor>

// The cursor over a marked picture: background with pupils low, depth with pupils high, a
// computed stereogram with rings. Not for StereoRole::None.
QCursor RoleCursor(StereoRole role);
// The picture of a role cursor (for tests and screenshots).
QPixmap RoleCursorPixmap(StereoRole role);
