// GoogleTest main for tests that drive real windows: a QApplication on the offscreen
// platform (unless one is chosen) and a private settings folder. OpenGL windows draw on
// the X display when there is one, sharing contexts as the program does.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef ORVALIS_GL_DISPLAY
    if (!GTEST_FLAG_GET(list_tests) && std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "xcb", 1);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
