#pragma once
// The everyday picture formats (PNG, TIFF, WebP, PNM, TGA, JPEG told by content) through Qt,
// in a module that orvalis-cli loads the first time a command needs one: the commands that
// need none start without Qt's libraries.
#include "images/image32.h"
#include "images/picture_file.h"

#include <string>

struct CliPictureFormats {
    PictureResult (*read)(const std::string& path);                    // a name no loader row claims
    std::string (*write)(const std::string& path, const Image32& img);  // "" or why not
};

// The module's one entry point.
extern "C" const CliPictureFormats* OrvalisCliPictureFormats();
