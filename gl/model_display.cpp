#include "gl/model_display.h"

#include "gl/dxf_display.h"
#include "gl/gl_layer.h"
#include "gl/gl_scenes.h"
#include "platform/message_box.h"
#include "workspace/frame_interface.h"

#include <GL/glu.h>

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
    // The sphere round the box of the points the faces use, as the command line fits it.
    float lo[3] = {r.mesh.points[3 * r.mesh.triangles[0]], r.mesh.points[3 * r.mesh.triangles[0] + 1],
                   r.mesh.points[3 * r.mesh.triangles[0] + 2]};
    float hi[3] = {lo[0], lo[1], lo[2]};
    for (uint32_t i : r.mesh.triangles)
        for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], r.mesh.points[3 * i + k]), hi[k] = std::max(hi[k], r.mesh.points[3 * i + k]);
    double r2 = 0;
    for (int k = 0; k < 3; ++k) d->center[k] = (double(lo[k]) + hi[k]) / 2;
    for (uint32_t i : r.mesh.triangles) {
        double s = 0;
        for (int k = 0; k < 3; ++k) s += (r.mesh.points[3 * i + k] - d->center[k]) * (r.mesh.points[3 * i + k] - d->center[k]);
        r2 = std::max(r2, s);
    }
    d->radius = r2 > 0 ? std::sqrt(r2) : 1;
    d->mesh = std::move(r.mesh);
    FrameStatusf(1, "faces %zu", d->mesh.faces());
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

void ModelDisplay(OPENEDFILE* of) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const MODEL_DATA* d = of ? of->data<MODEL_DATA>() : nullptr;
    if (!d || d->mesh.triangles.empty()) return;
    SetFittedView(d->center, d->radius);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    // Arrays drawn in one call: a mesh of millions of faces needs no display list or loop.
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, d->mesh.points.data());
    glNormalPointer(GL_FLOAT, 0, d->normals.data());
    glDrawElements(GL_TRIANGLES, GLsizei(d->mesh.triangles.size()), GL_UNSIGNED_INT, d->mesh.triangles.data());
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_LIGHTING);
    glFlush();
    SwapGLBuffers(of);
}
