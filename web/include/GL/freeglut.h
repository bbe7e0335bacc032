// freeglut.h for the browser build: Emscripten ships GLUT's standard API
// (GL/glut.h, GL/freeglut_std.h) but not this header. The viewer uses
// nothing beyond the standard API, so this is all it needs.
#ifndef SUPERFICIE_WEB_FREEGLUT_H
#define SUPERFICIE_WEB_FREEGLUT_H

#include <GL/glut.h>

#endif
