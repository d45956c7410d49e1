// The picture loaders as the file dispatch calls them: read, report, store.
#include "app/subsystems.h"
#include "images/BmpChild.h"

const bool kGifReady = true;
const bool kJpegReady = true;

int LoadBitmapFile(OPENEDFILE* of, const std::string& file) { return ApplyPictureResult(of, LoadBitmapFileCore(file)); }
int LoadGifFile(OPENEDFILE* of, const std::string& file) { return ApplyPictureResult(of, LoadGifFileCore(file)); }
int LoadJPGFile(OPENEDFILE* of, const std::string& file) { return ApplyPictureResult(of, LoadJpegFileCore(file)); }
