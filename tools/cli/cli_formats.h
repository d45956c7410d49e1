#pragma once
// The everyday picture formats (PNG, TIFF, WebP, PNM, TGA, JPEG told by content) through Qt,
// in a module that orvalis-cli loads the first time a command needs one: the commands that
// need none start without Qt's libraries.
#include "images/image32.h"
#include "images/picture_file.h"

#include <cstdint>
#include <string>
#include <vector>

struct CliPictureFormats {
    PictureResult (*read)(const std::string& path);                    // a name no loader row claims
    std::string (*write)(const std::string& path, const Image32& img);  // "" or why not
    // TextDepth (stereo/text_depth.h); "" or why not.
    std::string (*textDepth)(const std::string& text, const std::string& family, int width, int height, double bevel,
                             std::vector<uint16_t>& depth);
};

// The module's one entry point.
extern "C" const CliPictureFormats* OrvalisCliPictureFormats();
