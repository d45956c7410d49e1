#include "dxf/dxf_reader.h"

#include "dxf/file_access.h"

#include <cstring>

namespace {
DxfDrawing Read(FileAccess& file) {
    DxfDrawing out;
    GL_object reader(&file);
    out.faces = reader.GL_GetFaceList();
    out.range = reader.PointRange;
    out.error = reader.error();
    return out;
}
}  // namespace

DxfDrawing ReadDxfFile(const char* FileName) {
    FileAccess file(FileName);
    if (!file.FileOK()) {
        DxfDrawing out;
        out.error = std::string(file.fault() == FileFault::Read ? "read error: " : "") + std::strerror(file.error());
        return out;
    }
    return Read(file);
}

DxfDrawing ReadDxfBytes(const unsigned char* data, size_t size) {
    FileAccess file(data, size);
    return Read(file);
}
