#pragma once
// The program's extension table: which kind of document a file name opens as. Plain C++, so
// the frame's File Open and the command-line tool tell names apart the same way.
#include <string>
#include <vector>

enum class FileKind { None, Bmp, Gif, Jpeg, Wav, Dxf };

// The first text found anywhere in the path decides; only the upper- and the lower-case
// spellings count.
FileKind DispatchKind(const std::string& path);
// The name endings (lower case, no dot) of every picture the program reads: the table's picture
// rows first, then those the picture reader tells by their content.
const std::vector<std::string>& PictureNameEndings();
