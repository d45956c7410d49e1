#include "gl/dxf_display.h"

#include "dxf/file_access.h"
#include "gl/gl_layer.h"
#include "platform/message_box.h"
#include "workspace/status_line.h"

#include <GL/glu.h>

#include <cstring>
#include <string>

namespace {
std::unique_ptr<FaceList> CurObj;
AxisMinMax Axis;
int SpinAngle = 0;
const int AxisPoint[3] = {1, 0, 0};
}  // namespace

void mydxfinit() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);  // opaque, so the window shows black wherever it composes
    glColor3f(1.0f, 1.0f, 1.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glNewList(GLList(1), GL_COMPILE);
    GLUquadricObj* q = gluNewQuadric();
    gluQuadricDrawStyle(q, GLU_LINE);
    gluSphere(q, 1.5, 16, 16);
    glEndList();
    gluDeleteQuadric(q);
}

namespace {
void ShowUnreadDrawing(const char* FileName, const std::string& reason) {
    platform::MessageBox(nullptr, std::string("The drawing could not be read:\n") + FileName + "\n" + reason, "Error");
}
}  // namespace

bool display_gl_obj(const char*, const char* FileName) {
    FileAccess file(FileName);
    if (!file.FileOK()) {
        ShowUnreadDrawing(FileName, std::strerror(file.error()));
        return false;
    }
    GL_object reader(&file);
    std::unique_ptr<FaceList> list = reader.GL_GetFaceList();
    if (reader.failed()) {
        SetObj(nullptr);
        ShowUnreadDrawing(FileName, reader.error());
        return true;
    }
    SetObj(std::move(list));
    init_minmax(reader);
    return true;
}

void SetObj(std::unique_ptr<FaceList> obj) { CurObj = std::move(obj); }

void init_minmax(const GL_object& GL_Obj) {
    Axis = AxisFromRange(GL_Obj.PointRange);
    SetStatusTextf(1, "axis  %2.2f - %2.2f", double(Axis.min), double(Axis.max));
}

void mydxfReshape(int w, int h) {
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(float(w) / float(h ? h : 1)), 30.0, 70.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void dxfdisplay(OPENEDFILE* of) {
    if (!of) return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!CurObj) return;
    glPushMatrix();
    glRotatef(float(SpinAngle), float(AxisPoint[0]), float(AxisPoint[1]), float(AxisPoint[2]));
    IndexColour(16);
    glCallList(GLList(1));
    glPopMatrix();
    glFlush();
    SwapGLBuffers(of);
}

const FaceList* CurrentDxfObject() { return CurObj.get(); }
AxisMinMax CurrentAxis() { return Axis; }
