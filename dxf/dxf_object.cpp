#include "dxf/dxf_object.h"

#include "dxf/dxf_report.h"

#include <string>

GL_object::GL_object(FileAccess* FileObj) : File(FileObj), GL_scan(std::make_unique<GL_scanner>(FileObj)) {}

GL_object::~GL_object() = default;

// The physical end of the input ends the drawing as its "EOF" line does.
gl_token GL_object::next_token() {
    gl_token t = GL_scan->get_next_token();
    return t == bad_gl_token ? end_of_file : t;
}

void GL_object::fail(const std::string& why) {
    if (failed()) return;
    ErrorText = why;
}

void GL_object::refuse(const std::string& why) {
    if (failed()) return;
    DxfReport((why + "\n").c_str());
    fail(why);
}

// The pool could not serve a face: its own notices already went out.
void GL_object::NoMemory(const FaceList& list) {
    fail("Not enough memory for the drawing's faces (" + std::to_string(list.face_count()) + " read).");
}

std::unique_ptr<FaceList> GL_object::GL_GetFaceList() {
    ListPtr CurObj;
    gl_token token = next_token();
    if (File && File->IsBinary()) refuse("This is a binary DXF drawing; only text drawings are read.");
    while (token != end_of_file && !failed()) {
        switch (token) {
        case header:
            SkipSection();
            break;
        case tables:
            while (IsTable()) {
                if (!IsName()) continue;
                while ((token = next_token()) != endtab && token != end_of_file) {}
                if (token == end_of_file) undo(token);
            }
            token = tables;
            break;
        case blocks:
        case block:
        case entities:
            token = next_token();
            while (token != endsec && token != endblk && token != end_of_file && !failed()) {
                if (token == three_d_face) Get3DFACE(CurObj);
                else if (token == polyline) GetPolyLine(CurObj);
                if (token != end_of_file) token = next_token();
            }
            break;
        default:
            break;
        }
        if (token != end_of_file && !failed()) token = next_token();
    }
    if (failed()) return nullptr;
    return CurObj;
}

void GL_object::SkipSection() {
    gl_token t;
    while ((t = next_token()) != endsec && t != end_of_file) {}
    if (t == end_of_file) refuse("HEADER section not closed before EOF");
}

bool GL_object::IsTable() {
    gl_token t = next_token();
    if (t == integer && GL_scan->get_gl_int() == 0) {
        gl_token second = next_token();
        if (second == table) return true;
        undo(second);
        GL_scan->put_token_in_stack(integer, 0);
        return false;
    }
    undo(t);
    return false;
}

bool GL_object::IsName() { return next_token() == integer && GL_scan->get_gl_int() == 2; }

void GL_object::Get3DFACE(ListPtr& CurObj) {
    gl_token t;
    while ((t = next_token()) != end_of_file && !(t == integer && GL_scan->get_gl_int() == 10)) {}
    if (t == end_of_file) {  // a face without corners: leave the end for the main loop
        undo(t);
        return;
    }
    GL_scan->put_token_in_stack(integer, 10);
    if (!CurObj) CurObj = std::make_unique<FaceList>();
    if (!CurObj->get_new_3DFACE()) return NoMemory(*CurObj);
    for (int i = 0; i < 4; ++i) get_3DFACE_point(CurObj.get());
}

void GL_object::get_3DFACE_point(FaceList* FaceObjPtr) {
    float x = GetCoord();
    float y = GetCoord();
    float z = GetCoord();
    FaceObjPtr->add_3DFACE_point(x, y, z);
    PointRange.SetMinMax(x);
    PointRange.SetMinMax(y);
    PointRange.SetMinMax(z);
}

void GL_object::get_poly_point(FaceList* FaceObjPtr) {
    float x = GetCoord();
    float y = GetCoord();
    float z = GetCoord();
    if (!FaceObjPtr->add_poly_point(x, y, z)) return NoMemory(*FaceObjPtr);
    PointRange.SetMinMax(x);
    PointRange.SetMinMax(y);
    PointRange.SetMinMax(z);
}

// A group code and its value; only a real value line changes the result.
float GL_object::GetCoord() {
    for (int i = 0; i < 2; ++i) {
        gl_token t = next_token();
        if (t == end_of_file) {  // keep the end visible to the loops above
            undo(t);
            break;
        }
    }
    return GL_scan->get_gl_float();
}

void GL_object::GetPolyLine(ListPtr& CurObj) {
    int points_per_face = 3;
    if (!CurObj) CurObj = std::make_unique<FaceList>();
    gl_token t = next_token();
    while (t != vertex && t != seqend && t != end_of_file) {
        t = next_token();
        if (t == integer && GL_scan->get_gl_int() == 72) {
            t = next_token();
            if (t == integer) points_per_face = GL_scan->get_gl_int();
        }
    }
    if (t != vertex) {
        if (t == end_of_file) undo(t);
        return;
    }
    if (points_per_face <= 0) return refuse("POLYLINE with " + std::to_string(points_per_face) + " points per face");
    if (points_per_face > FaceList::kMaxPoints)
        return refuse("The drawing has more points per face than this reader holds (" + std::to_string(points_per_face) +
                      ", at most " + std::to_string(FaceList::kMaxPoints) + ").");
    if (!CurObj->get_new_poly_face(points_per_face)) return NoMemory(*CurObj);
    while (t != seqend && t != end_of_file && !failed()) {
        t = next_token();
        if (t == integer && GL_scan->get_gl_int() == 8) {
            next_token();
            t = next_token();
            if (!(t == integer && GL_scan->get_gl_int() == 62)) undo(t);
            else next_token();
        } else if (t == integer && GL_scan->get_gl_int() == 10) {
            undo(t);
        }
        get_poly_point(CurObj.get());
        while ((t = next_token()) != seqend && t != end_of_file && !(t == integer && GL_scan->get_gl_int() == 0)) {}
        if (t != seqend && t != end_of_file) t = next_token();
    }
    if (t == end_of_file) undo(t);
}

void GL_object::undo(gl_token token) {
    if (token == integer) GL_scan->put_token_in_stack(integer, GL_scan->get_gl_int());
    else GL_scan->put_token_in_stack(token);
}
