#pragma once
// The program's extension table: which kind of document a file name opens as. Plain C++, so
// the frame's File Open and the command-line tool tell names apart the same way.
#include <string>

enum class FileKind { None, Bmp, Gif, Jpeg, Wav, Dxf };

// The first text found anywhere in the path decides; only the upper- and the lower-case
// spellings count.
FileKind DispatchKind(const std::string& path);
