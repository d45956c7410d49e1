#pragma once
// orvalis-cli picture for a GIF file: the BMP rows are made from the colour indices without
// the 32-bit picture.
#include "platform/user_message.h"

#include <string>
#include <vector>

// On failure `messages` holds the loader's messages, or `writeFailed` says that the output
// could not be written.
bool GifFileToBmp24(const std::string& in, const std::string& out, std::vector<UserMessage>& messages,
                    bool& writeFailed);
