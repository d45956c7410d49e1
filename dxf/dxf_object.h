#pragma once
// Reads an ASCII DXF drawing positionally and collects its 3DFACE and POLYLINE entities.
#include "dxf/face_list.h"
#include "dxf/dxf_scanner.h"

#include <memory>
#include <string>

// A running range of float values; the first value that arrives becomes both ends.
class MinMax {
public:
    void SetMinMax(float val) {
        if (val < min) min = val;
        if (val > max) max = val;
    }
    float GetMin() const { return min; }
    float GetMax() const { return max; }

    float min = 1024000.0f;
    float max = -1024000.0f;
};

class GL_object {
public:
    explicit GL_object(FileAccess* FileObj);
    ~GL_object();
    GL_object(const GL_object&) = delete;
    GL_object& operator=(const GL_object&) = delete;

    // The faces of the whole drawing; null when it holds no 3DFACE or POLYLINE, and null
    // when the drawing is refused (then error() says why).
    std::unique_ptr<FaceList> GL_GetFaceList();
    bool failed() const { return !ErrorText.empty(); }
    const std::string& error() const { return ErrorText; }

    MinMax PointRange;

private:
    using ListPtr = std::unique_ptr<FaceList>;

    gl_token next_token();
    void fail(const std::string& why);
    void refuse(const std::string& why);  // fail, and say why among the reader's notices
    void NoMemory(const FaceList& list);
    void SkipSection();
    bool IsTable();
    bool IsName();
    void Get3DFACE(ListPtr& CurObj);
    void GetPolyLine(ListPtr& CurObj);
    void get_3DFACE_point(FaceList* FaceObjPtr);
    void get_poly_point(FaceList* FaceObjPtr);
    float GetCoord();
    void undo(gl_token token);

    FileAccess* File;
    std::unique_ptr<GL_scanner> GL_scan;
    std::string ErrorText;
};
