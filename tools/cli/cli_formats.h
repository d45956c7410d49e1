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
    // The shape of `text` in the font family `family` (bold), centred and as large as fits
    // within `margin` pixels of the edges, as width x height bytes (1 inside a letter, 0
    // elsewhere); "" or why not.
    std::string (*textShape)(const std::string& text, const std::string& family, int width, int height, int margin,
                             std::vector<uint8_t>& inside);
};

// The module's one entry point.
extern "C" const CliPictureFormats* OrvalisCliPictureFormats();
