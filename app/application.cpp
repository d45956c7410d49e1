#include "app/application.h"

#include "platform/message_box.h"
#include "workspace/frame_interface.h"

#include <QMainWindow>
#include <new>

bool Application::notify(QObject* receiver, QEvent* e) {
    // Qt lets no exception pass through its own code, so this is the last place to catch one.
    try {
        return QApplication::notify(receiver, e);
    } catch (const std::bad_alloc&) {
        try {
            platform::MessageBox(FrameWindow(), "not enough memory", szMBTitle, platform::MB_OK);
        } catch (const std::bad_alloc&) {
        }
        return false;
    }
}
