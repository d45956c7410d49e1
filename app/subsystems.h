#pragma once
// Entry points the frame and the file dispatch call in the document subsystems.
#include "documents/opened_file.h"

#include <string>

class QMdiArea;

// Pictures
OPENEDFILE* CreateBMPChild(QMdiArea* hClient, const std::string& filename, int Type);
int LoadBitmapFile(OPENEDFILE* of, const std::string& file);
int LoadGifFile(OPENEDFILE* of, const std::string& file);
int LoadJPGFile(OPENEDFILE* of, const std::string& file);
extern const bool kGifReady;
extern const bool kJpegReady;

// Stereograms
int RunStereoOptionsDialog();     // 1: Go, 2: Cancel
OPENEDFILE* CreateStereo();
extern const bool kStereoReady;

// Sounds
OPENEDFILE* CreateWavChild(QMdiArea* hClient, const std::string& filename, int Type);
int LoadWavFile(OPENEDFILE* of, const std::string& file);
extern const bool kWaveReady;

// Mandelbrot
void Mandel_New(int mainPicture);
extern const bool kMandelReady;

// OpenGL and DXF
OPENEDFILE* CreateGLChild(const std::string& title, int type);
extern const bool kGLReady;
