#pragma once
// How an OpenGL window of type 0 shows a DXF drawing. The drawing read last is the current
// object of every DXF window.
#include "dxf/axis_min_max.h"
#include "dxf/face_list.h"
#include "dxf/gl_object.h"

#include <memory>

struct OPENEDFILE;

void mydxfinit();
// Reads the drawing; a drawing that cannot be read leaves no current object and says so.
// False, after its message, when the file itself cannot be read: nothing changes then.
bool display_gl_obj(const char* ProgName, const char* FileName);
void mydxfReshape(int w, int h);
void dxfdisplay(OPENEDFILE* of);
// Takes the list over; the one it replaces is freed.
void SetObj(std::unique_ptr<FaceList> obj);
void init_minmax(const GL_object& GL_Obj);

const FaceList* CurrentDxfObject();
AxisMinMax CurrentAxis();
