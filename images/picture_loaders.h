#pragma once
// The picture loaders as the file dispatch calls them: read, report, store in the record.
#include "documents/opened_file.h"

#include <string>

int LoadBitmapFile(OPENEDFILE* of, const std::string& file);
int LoadGifFile(OPENEDFILE* of, const std::string& file);
int LoadJPGFile(OPENEDFILE* of, const std::string& file);
// A name the extension table does not claim: PNG, TIFF, WebP and the like, told by content.
int LoadOtherPictureFile(OPENEDFILE* of, const std::string& file);
