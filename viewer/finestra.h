// finestra.h: the window's OpenGL state, its reshape callback, and the drag
// handler that the last frame installed. The display callback is in
// viewer/scena.h.
//
// Start-up order: main.cpp builds the scene, then apri_finestra
// (finestra.cpp) runs glutInit, display mode, window size and position,
// creates the window, gives it its identity (viewer/identita.h, desktop
// only), registers display, resize, keyboard, keyboard_s and mouse, then
// init(); main.cpp enters the event loop. No motion callback is registered
// at start-up: display() picks one at the end of every frame from the button
// flags.
#ifndef SUPERFICIE_VIEWER_FINESTRA_H
#define SUPERFICIE_VIEWER_FINESTRA_H

// Start-up from glutInit to init(): the toolkit, the window "Superficie" at
// (50, 50) with screen_width by screen_height pixels, the five callbacks,
// the fixed OpenGL state. The scene must already be built.
void apri_finestra(int *argc, char **argv);

// Fixed OpenGL state: grey clear colour, smooth shading, depth test on and
// blending off, light 1 only, viewport and projection from screen_width and
// screen_height, filled polygons. Leaves the matrix mode at GL_PROJECTION.
void init();

// Reshape callback: stores the size, clears, sets viewport and projection
// (45 degrees, aspect with each side raised to at least 1), posts a redisplay.
void resize(int width, int height);

// Fixed values of the picture.
constexpr double PIANO_OMBRA = -18.0;       // y of the floor that takes the shadows
constexpr double DISTANZA_OCCHIO = 50.0;    // world origin lies this far in front of the eye
constexpr double SOLLEVO_BORDI = 0.1;       // added to z of every edge end point, towards the eye
constexpr double CAMPO_VISIVO = 45.0;       // vertical field of view, degrees
constexpr double PIANO_VICINO = 1.0;        // near clipping plane
constexpr double PIANO_LONTANO = 1000.0;    // far clipping plane

#endif
