#include "gl/dxf_display.h"

#include "dxf/file_access.h"
#include "gl/gl_layer.h"
#include "gl/gl_scenes.h"
#include "gl/view_state.h"
#include "platform/message_box.h"
#include "workspace/frame_interface.h"

#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr double kFovy = 45.0;
constexpr double kFill = 0.8;              // of the window's smaller extent
constexpr double kStartRadius = 4.5;       // the viewing state's start distance: no zoom
const GLfloat kFaceColour[] = {0.72f, 0.72f, 0.70f, 1.0f};
const GLfloat kEdgeColour[] = {1.0f, 0.78f, 0.15f};

void Refuse(const char* FileName, const std::string& why) {
    FrameStatusf(1, "%s", "");
    platform::MessageBox(nullptr, std::string("The drawing could not be read:\n") + FileName + "\n" + why, "Error");
}

void Faces(const FaceList& list, GLenum mode, bool normals) {
    for (const FaceListStruct* p = list.ListHead; p; p = p->next_face) {
        const face& f = p->cur_face;
        if (mode == GL_POLYGON && f.point_cnt < 3) continue;
        if (normals) {
            float n[3];
            FaceNormal(f, n);
            glNormal3fv(n);
        }
        glBegin(mode);
        for (int i = 0; i < f.point_cnt; ++i) glVertex3fv(f.f[i].v);
        glEnd();
    }
}

// The faces filled (list 2) and their edges (list 3), compiled once per window.
void MakeLists(DXF_DATA& d) {
    glNewList(GLList(2), GL_COMPILE);
    Faces(*d.CurObj, GL_POLYGON, true);
    glEndList();
    glNewList(GLList(3), GL_COMPILE);
    Faces(*d.CurObj, GL_LINE_LOOP, false);
    glEndList();
    d.listsMade = true;
}


}  // namespace

void mydxfinit() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);  // opaque, so the window shows black wherever it composes
    glShadeModel(GL_FLAT);
    glEnable(GL_DEPTH_TEST);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);  // a drawing's faces turn either way
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, kFaceColour);
    glPolygonOffset(1.0f, 1.0f);  // edges stay in front of their own face
}

bool display_gl_obj(OPENEDFILE* of, const char* FileName) {
    DXF_DATA* d = of ? of->data<DXF_DATA>() : nullptr;
    if (!d) return false;
    FileAccess file(FileName);
    if (!file.FileOK()) {
        Refuse(FileName, std::strerror(file.error()));
        return false;
    }
    GL_object reader(&file);
    std::unique_ptr<FaceList> list = reader.GL_GetFaceList();
    if (reader.failed()) {
        Refuse(FileName, reader.error());
        return false;
    }
    d->CurObj = std::move(list);
    d->bounds = FaceBounds(d->CurObj.get());
    d->listsMade = false;
    init_minmax(*d, reader);
    return true;
}

void init_minmax(DXF_DATA& d, const GL_object& GL_Obj) {
    d.Axis = AxisFromRange(GL_Obj.PointRange);
    FrameStatusf(1, "axis  %2.2f - %2.2f", double(d.Axis.min), double(d.Axis.max));
}

void mydxfReshape(int w, int h) {
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFovy, double(float(w) / float(h ? h : 1)), 30.0, 70.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void dxfdisplay(OPENEDFILE* of) {
    if (!of) return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DXF_DATA* d = of->data<DXF_DATA>();
    if (!d || !d->CurObj) return;
    if (!d->listsMade) MakeLists(*d);
    glPushMatrix();
    SetFittedView(d->bounds.center, std::max(d->bounds.radius, 1e-6));
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glCallList(GLList(2));
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_LIGHTING);
    glColor3fv(kEdgeColour);
    glCallList(GLList(3));
    glPopMatrix();
    glFlush();
    SwapGLBuffers(of);
}

void SetFittedView(const double center[3], double radius) {
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    const double aspect = double(vp[2]) / double(std::max(vp[3], 1));
    const double r = radius;
    const double dist = FitDistance(r, kFovy, aspect, kFill) * SharedView.radius / kStartRadius;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFovy, aspect, std::max(dist - 1.1 * r, 1e-3 * r), dist + 1.1 * r);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat fromViewer[] = {0.0f, 0.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, fromViewer);
    polarView(dist, 0.0, SharedView.latitude, SharedView.longitude);
    glTranslated(-center[0], -center[1], -center[2]);
}
