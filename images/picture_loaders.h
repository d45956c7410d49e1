#pragma once
// The picture loaders as the file dispatch calls them: read, report, store in the record.
#include "documents/opened_file.h"

#include <string>

int LoadBitmapFile(OPENEDFILE* of, const std::string& file);
int LoadGifFile(OPENEDFILE* of, const std::string& file);
int LoadJPGFile(OPENEDFILE* of, const std::string& file);
