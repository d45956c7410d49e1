#include "gl/gl_scenes.h"

#include "documents/opened_file.h"
#include "gl/gl_layer.h"
#include "gl/view_state.h"

#include <GL/glu.h>

namespace {
double Aspect(int width, int height) { return double(float(width) / float(height ? height : 1)); }

void Perspective(int width, int height, double zfar) {
    gluPerspective(45.0, Aspect(width, height), 3.0, zfar);
}
}  // namespace

void initializeGL(int width, int height) {
    ClearIndex(0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();  // a fresh context has it already; the toolkit may have been there first
    Perspective(width, height, 7.0);
    glMatrixMode(GL_MODELVIEW);
    SharedView.reset();
}

void resize(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    Perspective(width, height, 7.0);
    glMatrixMode(GL_MODELVIEW);
}

void createObjects() {
    GLUquadricObj* q = gluNewQuadric();
    glNewList(GLList(1), GL_COMPILE);
    gluQuadricDrawStyle(q, GLU_LINE);
    gluSphere(q, 1.5, 16, 16);
    glEndList();
    gluDeleteQuadric(q);

    q = gluNewQuadric();
    glNewList(GLList(3), GL_COMPILE);
    gluQuadricDrawStyle(q, GLU_FILL);
    gluQuadricNormals(q, GLU_SMOOTH);
    gluCylinder(q, 0.3, 0.0, 0.6, 15, 10);
    glEndList();
    gluDeleteQuadric(q);

    q = gluNewQuadric();
    glNewList(GLList(2), GL_COMPILE);
    glPushMatrix();
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, 0.0f, -1.0f);
    gluQuadricDrawStyle(q, GLU_FILL);
    gluQuadricNormals(q, GLU_SMOOTH);
    gluCylinder(q, 0.3, 0.3, 0.6, 12, 2);
    glPopMatrix();
    glEndList();
    gluDeleteQuadric(q);
}

void polarView(double radius, double twist, double latitude, double longitude) {
    glTranslated(0.0, 0.0, -radius);
    glRotated(-twist, 0.0, 0.0, 1.0);
    glRotated(-latitude, 1.0, 0.0, 0.0);
    glRotated(longitude, 0.0, 0.0, 1.0);
}

void drawScene(OPENEDFILE* of) {
    if (!of) return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    polarView(SharedView.radius, 0.0, SharedView.latitude, SharedView.longitude);
    IndexColour(13);
    glCallList(GLList(3));
    IndexColour(16);
    glCallList(GLList(1));
    IndexColour(14);
    glPushMatrix();
    glTranslatef(0.8f, -0.65f, 0.0f);
    glRotatef(30.0f, 1.0f, 0.5f, 1.0f);
    glCallList(GLList(2));
    glPopMatrix();
    glPopMatrix();
    SwapGLBuffers(of);
}

void myfoginit() {
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glHint(GL_FOG_HINT, GL_NICEST);
    glFogf(GL_FOG_START, 3.0f);
    glFogf(GL_FOG_END, 5.0f);
    const GLfloat fogColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glFogfv(GL_FOG_COLOR, fogColor);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_FLAT);
}

void myfogReshape(int w, int h) {
    if (h == 0) h = 1;
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(w) / double(h), 3.0, 5.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -4.0f);
}

void fogdisplay() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 1.0f);
    glFlush();
}
