#pragma once
#include <QIcon>

// Icon 200: the frame's and the document windows' icon.
QIcon AppIcon();
