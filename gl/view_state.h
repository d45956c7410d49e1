#pragma once
// The viewing state that all OpenGL windows share, and how mouse, wheel and arrow keys
// change it. Plain C++ so that the rules can be tested without a window.
#include <cstdint>

extern double radius;     // distance of the eye from the scene's centre
extern float latitude;    // elevation of the view, degrees
extern float longitude;   // azimuth of the view, degrees
extern float latinc;      // arrow-key step of latitude
extern float longinc;     // arrow-key step of longitude
extern uint32_t lastpos;  // last pointer position seen by any OpenGL window: x low 16 bits, y high

// Start values, taken by every new OpenGL window: near plane 3.0 plus half the largest object 3.0.
void ResetViewingState();

// A pointer move to client position (x, y): 0.5 degrees per axis toward the motion.
void ViewMouseMove(int x, int y);
// One wheel step; `delta` above 0 is away from the user. With a button or key held the
// distance stays; either way it never stays below 0.
void ViewWheel(int delta, bool buttonsOrKeysHeld);

enum class ArrowKey { Left, Right, Up, Down };
// Turns the view by one step: left and right by longinc, up and down by latinc.
void ViewArrowKey(ArrowKey key);
