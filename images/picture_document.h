#pragma once
// A picture document's picture: what loaders and generators store into it and read from it.
#include "documents/opened_file.h"
#include "images/image32.h"
#include "images/picture_file.h"

// Gives the document its picture (hBmpSaved, Xsize, Ysize) and refreshes its window. The
// picture's words become the window's without a copy; false for an empty picture.
bool SetDocumentPicture(OPENEDFILE* of, Image32 img);
// The document's picture as the readers and generators see it (may throw std::bad_alloc).
Image32 DocumentPicture(const OPENEDFILE* of);
// The same read where it lies, without a copy (`keep` holds a converted one only for a picture
// of another format), with the document's 16-bit grey values when it has them.
PictureView DocumentView(const OPENEDFILE* of, QImage& keep);
// Stores a 32-bit picture (pixels 0xFFRRGGBB) as the document's, as it is.
void SetDocumentImage(OPENEDFILE* of, const QImage& img);
// Shows a loader's messages (caption as given, owned by the MDI area) and, on success,
// stores the picture and the loader's BMP_DATA fields.
int ApplyPictureResult(OPENEDFILE* of, PictureResult r);
