// The frame with no documents, a temporary folder and the boxes recorded, for the frame's tests.
#pragma once

#include "app/MainFrame.h"
#include "app/file_open.h"
#include "app/registry.h"
#include "platform/key_store.h"
#include "gl/OpenGLChild.h"
#include "images/BmpChild.h"
#include "images/bmp_writer.h"
#include "platform/message_box.h"
#include "wave/wave_data.h"
#include "workspace/frame_interface.h"
#include "workspace/scrolled_picture.h"
#include "tests/common/cli_run.h"
#include "tests/common/test_files.h"
#include "workspace/settings.h"
#include "workspace/status_line.h"
#include "workspace/window_utils.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

// A picture whose pixel (x, y) is a colour worked out from x and y.
inline Image32 Gradient(int w, int h) {
    Image32 img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.at(x, y) = uint32_t((x * 2) & 0xFF) << 16 | uint32_t((y * 3) & 0xFF) << 8 | 0x40;
    return img;
}

struct FrameTest : ::testing::Test {
    void SetUp() override {
        frame = StartFrame(""), frame->resize(900, 700), QApplication::processEvents();
    }
    void TearDown() override {
        rec.answers.clear(), frame->CloseAll(), flush();
        delete frame;
    }
    static void openFile(const std::string& path) { FileOpenMsg(path), flush(); }
    static void flush() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete), QApplication::processEvents();
    }
    std::string writeBmp(const std::string& name, int w, int h) {
        const std::string path = tmp / name;
        EXPECT_TRUE(WriteBmp24(path, Gradient(w, h)));
        return path;
    }
    BmpChild* activeBmp() const { return qobject_cast<BmpChild*>(ActiveChild()); }
    int windowCount() const {
        int n = 0;
        for (QMdiSubWindow* s : FrameMdiArea()->subWindowList()) n += s->isVisible();
        return n;
    }

    TempDir tmp{"orvalis-frame"};
    MainFrame* frame = nullptr;
    platform::MessageRecorder rec;
};

// Pillow's reading of a picture: its RGB bytes, ("g16") its 16-bit grey values, or ("dpi") the dots per
// inch across that it states, rounded (0 for none).
inline std::string Pillow(const std::string& path, const char* what = "rgb") {
    return Output(std::string("/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                              "sys.stdout.buffer.write(im.convert('RGB').tobytes() if sys.argv[2] == 'rgb' else "
                              "str(round(im.info.get('dpi', (0, 0))[0])).encode() if sys.argv[2] == 'dpi' else "
                              "b''.join(v.to_bytes(2, 'little') for v in im.getdata()))\" '") +
                  path + "' " + what);
}

// Answers the next Save As dialog with `path`, under `filter` when one is given.
inline void AnswerSaveDialog(const std::string& path, const QString& filter = {}) {
    QTimer::singleShot(0, [=] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        if (!filter.isEmpty()) dlg->selectNameFilter(filter);
        dlg->selectFile(QString::fromStdString(path));
        QMetaObject::invokeMethod(dlg, "accept");
    });
}
