// window_probe: the window program through one action with every message box recorded (and
// answered OK), for scripts/memsweep.sh, which runs it under address-space limits.
//   window_probe open FILE...         opens each file in turn, as the open dialog does
//   window_probe stereo TEXTURE DEPTH opens both, marks them and creates the stereogram
//   window_probe mandel W H           opens the main Mandelbrot view at W x H and lets it finish
// Then the frame paints, the active window is copied and all close. Prints the boxes and the
// windows that were open; exits 0, or 2 on a usage error.
#include "app/MainFrame.h"
#include "app/file_open.h"
#include "app/application.h"
#include "platform/message_box.h"
#include "workspace/frame_interface.h"
#include "workspace/settings.h"
#include "workspace/status_line.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    Application app(argc, argv);
    const std::string action = argc > 1 ? argv[1] : "";
    if (!(action == "open" && argc > 2) && !((action == "stereo" || action == "mandel") && argc == 4)) {
        std::fprintf(stderr, "usage: window_probe open FILE... | stereo TEXTURE DEPTH | mandel W H\n");
        return 2;
    }
    platform::MessageRecorder rec;
    MainFrame* frame = StartFrame("");
    if (action == "open") {
        for (int i = 2; i < argc; ++i) FileOpenMsg(argv[i]);
    } else if (action == "stereo") {
        FileOpenMsg(argv[2]), frame->WmCommand(Command::SetBackground);
        FileOpenMsg(argv[3]), frame->WmCommand(Command::SetDepthView);
        frame->WmCommand(Command::CreateStereo);
    } else {
        Settings.MndlW = std::atoi(argv[2]), Settings.MndlH = std::atoi(argv[3]), Settings.MndlIteration = 1;
        frame->WmCommand(Command::MandelMain);
        QElapsedTimer t;
        t.start();
        while (FrameMdiArea()->activeSubWindow() && rec.boxes.empty() && std::strncmp(StatusText(1), "Time:", 5) != 0 &&
               t.elapsed() < 120000)
            QApplication::processEvents(), QThread::msleep(5);
    }
    QApplication::processEvents();
    frame->grab();
    frame->WmCommand(Command::Copy);
    for (const platform::RecordedBox& b : rec.boxes) std::printf("box: %s: %s\n", b.caption.c_str(), b.text.c_str());
    for (QMdiSubWindow* sub : FrameMdiArea()->subWindowList()) std::printf("window: %s\n", qPrintable(sub->windowTitle()));
    frame->CloseAll();
    delete frame;
    return 0;
}
