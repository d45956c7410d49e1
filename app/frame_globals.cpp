#include "app/frame_globals.h"

#include <QMdiArea>
#include <QMdiSubWindow>

QMainWindow* hwndFrame = nullptr;
QMdiArea* hwndClient = nullptr;
SETTINGS Settings;
uint32_t crColor = 0;
const char* const szMBTitle = "Orvalis";
MarkedWindow hwndBackground;
MarkedWindow hwndForeground;

QWidget* ActiveChild() {
    if (!hwndClient) return nullptr;
    QMdiSubWindow* sub = hwndClient->activeSubWindow();
    return sub ? sub->widget() : nullptr;
}
