#pragma once
// Common GL start and the two demonstration scenes: the globe with cone and cylinder (500)
// and the fog set-up (501).
struct OPENEDFILE;

// A zero height counts as 1 wherever an aspect ratio is taken.
void initializeGL(int width, int height);
void resize(int width, int height);

void createObjects();
void polarView(double radius, double twist, double latitude, double longitude);
void drawScene(OPENEDFILE* of);

void myfoginit();
void myfogReshape(int w, int h);
void fogdisplay();
