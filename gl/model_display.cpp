#include "gl/model_display.h"

#include "gl/gl_layer.h"
#include "gl/view_state.h"
#include "platform/message_box.h"
#include "workspace/frame_interface.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace {

const GLfloat kFaceColour[] = {0.72f, 0.72f, 0.70f, 1.0f};

// Each point's normal: the sum of its faces' normals weighted by their areas, made unit.
std::vector<float> PointNormals(const Mesh& m) {
    std::vector<float> n(m.points.size(), 0.0f);
    for (size_t t = 0; t + 2 < m.triangles.size(); t += 3) {
        const float* a = &m.points[3 * m.triangles[t]];
        const float* b = &m.points[3 * m.triangles[t + 1]];
        const float* c = &m.points[3 * m.triangles[t + 2]];
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const float f[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        for (int k = 0; k < 3; ++k)
            for (int j = 0; j < 3; ++j) n[3 * m.triangles[t + k] + j] += f[j];
    }
    for (size_t i = 0; i < n.size(); i += 3) {
        const float l = std::sqrt(n[i] * n[i] + n[i + 1] * n[i + 1] + n[i + 2] * n[i + 2]);
        if (l > 0) n[i] /= l, n[i + 1] /= l, n[i + 2] /= l;
        else n[i + 2] = 1;
    }
    return n;
}

// The mesh into the window's vertex buffers; the copies in memory go once they are there. A
// driver that cannot take them leaves the mesh drawn from memory.
void Upload(MODEL_DATA& d) {
    QOpenGLFunctions* gl = QOpenGLContext::currentContext() ? QOpenGLContext::currentContext()->functions() : nullptr;
    if (!gl || d.buffers[0] || d.mesh.triangles.empty()) return;
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {  // errors left by earlier calls
    }
    gl->glGenBuffers(3, d.buffers);
    gl->glBindBuffer(GL_ARRAY_BUFFER, d.buffers[0]);
    gl->glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(d.mesh.points.size() * sizeof(float)), d.mesh.points.data(), GL_STATIC_DRAW);
    gl->glBindBuffer(GL_ARRAY_BUFFER, d.buffers[1]);
    gl->glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(d.normals.size() * sizeof(float)), d.normals.data(), GL_STATIC_DRAW);
    gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
    gl->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, d.buffers[2]);
    gl->glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(d.mesh.triangles.size() * sizeof(uint32_t)), d.mesh.triangles.data(),
                     GL_STATIC_DRAW);
    gl->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    if (glGetError() != GL_NO_ERROR) {
        gl->glDeleteBuffers(3, d.buffers);
        d.buffers[0] = d.buffers[1] = d.buffers[2] = 0;
        return;
    }
    d.mesh = Mesh{};
    d.normals = std::vector<float>{};
}

}  // namespace

bool LoadModelWindow(OPENEDFILE* of, const std::string& path) {
    MODEL_DATA* d = of ? of->data<MODEL_DATA>() : nullptr;
    if (!d) return false;
    MeshResult r = ReadModelFile(path);
    try {
        if (r.ok) d->normals = PointNormals(r.mesh);
    } catch (const std::bad_alloc&) {
        r = {false, {}, "not enough memory for the model's " + std::to_string(r.mesh.faces()) + " faces"};
    }
    if (!r.ok) {
        platform::MessageBox(nullptr, "The model could not be read:\n" + path + "\n" + r.error, "Error");
        return false;
    }
    d->bounds = MeshBoundsOf(r.mesh);
    d->indices = r.mesh.triangles.size();
    d->mesh = std::move(r.mesh);
    return true;
}

void ModelInit() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);  // a model's faces may turn either way
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, kFaceColour);
}

void ModelReshape(int width, int height) { glViewport(0, 0, width, height); }

MeshView ModelWindowView(int width, int height) {
    MeshView v;
    v.width = width, v.height = height;
    SetTurnFromPolar(v, SharedView.latitude, SharedView.longitude);
    // The wheel brings the eye nearer in steps; here that narrows the view instead, so the eye
    // never enters the model.
    v.zoom = ViewingState{}.radius / std::max(SharedView.radius, 0.1);
    return v;
}

void ModelDisplay(OPENEDFILE* of) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    MODEL_DATA* d = of ? of->data<MODEL_DATA>() : nullptr;
    if (!d || d->indices == 0) return;
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    const MeshView view = ModelWindowView(vp[2], vp[3]);
    d->camera = MeshCameraFor(d->bounds, view);
    // The options that give this view's depth on the command line (with --size, the window's).
    FrameStatusf(1, "--turn %.1f,%.1f,%.1f --zoom %.3g", view.turnX, view.turnY, view.turnZ, view.zoom);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(d->camera.projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat fromViewer[] = {0.0f, 0.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, fromViewer);
    glLoadMatrixd(d->camera.modelview);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    Upload(*d);
    QOpenGLFunctions* gl = QOpenGLContext::currentContext()->functions();
    const bool buffered = d->buffers[0] != 0;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    if (buffered) gl->glBindBuffer(GL_ARRAY_BUFFER, d->buffers[0]);
    glVertexPointer(3, GL_FLOAT, 0, buffered ? nullptr : d->mesh.points.data());
    if (buffered) gl->glBindBuffer(GL_ARRAY_BUFFER, d->buffers[1]);
    glNormalPointer(GL_FLOAT, 0, buffered ? nullptr : d->normals.data());
    if (buffered) gl->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, d->buffers[2]);
    glDrawElements(GL_TRIANGLES, GLsizei(d->indices), GL_UNSIGNED_INT, buffered ? nullptr : d->mesh.triangles.data());
    if (buffered) {
        gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
        gl->glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_LIGHTING);
    glFlush();
    SwapGLBuffers(of);
}

bool ModelDepthGrey(OPENEDFILE* of, const float* depth, int width, int height, std::vector<uint16_t>& grey) {
    const MODEL_DATA* d = of ? of->data<MODEL_DATA>() : nullptr;
    if (!d || d->camera.width != width || d->camera.height != height) return false;
    grey = WindowDepthToGrey16(depth, d->camera);
    return true;
}

void ModelRelease(OPENEDFILE* of) {
    MODEL_DATA* d = of ? of->data<MODEL_DATA>() : nullptr;
    if (!d || !d->buffers[0] || !QOpenGLContext::currentContext()) return;
    QOpenGLContext::currentContext()->functions()->glDeleteBuffers(3, d->buffers);
    d->buffers[0] = d->buffers[1] = d->buffers[2] = 0;
}
