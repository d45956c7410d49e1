#pragma once
// How an OpenGL window of type 0 shows a DXF drawing: each window holds its own faces and
// paints them filled and lit, edges on top, fitted to the window and turned by the shared
// viewing state.
#include "dxf/axis_min_max.h"
#include "dxf/face_list.h"
#include "dxf/dxf_object.h"
#include "documents/opened_file.h"
#include "gl/dxf_fit.h"

#include <memory>

// The drawing of one DXF window.
struct DXF_DATA : ClientBlock {
    std::unique_ptr<FaceList> CurObj;  // null for a drawing without faces
    AxisMinMax Axis;
    DxfBounds bounds;
    bool listsMade = false;  // the faces are compiled into the window's lists 2 and 3
};

void mydxfinit();
// Reads the drawing into the document and reports its range; a drawing that does not open
// or is refused gives a message, clears the range from the status line and returns false.
bool display_gl_obj(OPENEDFILE* of, const char* FileName);
void mydxfReshape(int w, int h);
void dxfdisplay(OPENEDFILE* of);
// Eye at the distance where a sphere of `radius` about `center` fills the window as a drawing
// does, scaled by the shared zoom and turned by the shared angles; the light from the viewer.
void SetFittedView(const double center[3], double radius);
void init_minmax(DXF_DATA& d, const GL_object& GL_Obj);
