// The picture loaders as the file dispatch calls them: read, report, store.
#include "images/picture_loaders.h"

#include "images/BmpChild.h"
#include "images/picture_document.h"
#include "images/qt_picture_reader.h"

int LoadBitmapFile(OPENEDFILE* of, const std::string& file) { return ApplyPictureResult(of, LoadBitmapFileCore(file)); }
int LoadGifFile(OPENEDFILE* of, const std::string& file) { return ApplyPictureResult(of, LoadGifFileCore(file)); }
int LoadJPGFile(OPENEDFILE* of, const std::string& file) { return ApplyPictureResult(of, LoadJpegFileCore(file)); }
int LoadOtherPictureFile(OPENEDFILE* of, const std::string& file) { return ApplyPictureResult(of, LoadQtPictureFile(file)); }
