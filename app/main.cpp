#include "app/MainFrame.h"
#include "app/app_icon.h"
#include "app/application.h"

int main(int argc, char** argv) {
    Application app(argc, argv);
    QApplication::setApplicationName("Orvalis");
    QApplication::setWindowIcon(AppIcon());
    std::string cmdLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) cmdLine += ' ';
        cmdLine += argv[i];
    }
    StartFrame(cmdLine);
    return app.exec();
}
