#include "app/MainFrame.h"
#include "app/app_icon.h"
#include "app/application.h"

int main(int argc, char** argv) {
    // OpenGL windows share one family of contexts with the frame's compositing.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    Application app(argc, argv);
    QApplication::setApplicationName("Orvalis");
    // Ties the windows to the menu entry and its icon (Wayland app id, X11 startup matching).
    QGuiApplication::setDesktopFileName("org.vennlore.Orvalis");
    QApplication::setWindowIcon(AppIcon());
    StartFrame(std::vector<std::string>(argv + 1, argv + argc));
    return app.exec();
}
