#pragma once
// The viewing state that all OpenGL windows share, and how mouse, wheel and arrow keys
// change it. Plain C++ so that the rules can be tested without a window.
#include <cstdint>

enum class ArrowKey { Left, Right, Up, Down };

struct ViewingState {
    double radius = 4.5;      // distance of the eye from the scene's centre
    float latitude = 0.0f;    // elevation of the view, degrees
    float longitude = 0.0f;   // azimuth of the view, degrees
    float latinc = 6.0f;      // arrow-key step of latitude
    float longinc = 2.5f;     // arrow-key step of longitude
    uint32_t lastpos = 0;     // last pointer position seen by any OpenGL window: x low 16 bits, y high

    // Start values, taken by every new OpenGL window: near plane 3.0 plus half the largest
    // object 3.0. The pointer position stays.
    void reset();
    // A pointer move to client position (x, y): 0.5 degrees per axis toward the motion.
    void mouseMove(int x, int y);
    // One wheel step; `delta` above 0 is away from the user. With a button or key held the
    // distance stays; either way it never stays below 0.
    void wheel(int delta, bool buttonsOrKeysHeld);
    // Turns the view by one step: left and right by longinc, up and down by latinc.
    void arrowKey(ArrowKey key);
};

// The one view every OpenGL window shows its scene from.
extern ViewingState SharedView;
