// vista.h: the view state, every process-wide variable the handlers change
// and the renderer reads. All of it has static initial values; no code sets
// the defaults at run time and nothing is saved between runs. Plain data,
// linked into the GL-free core so that the model and the tests can read it.
#ifndef SUPERFICIE_STATE_VISTA_H
#define SUPERFICIE_STATE_VISTA_H

extern int p_target;          // selected slot; 0..3 names a slot, 4 and -1 name none
extern int ombra;             // 1: draw every face's shadow on the floor y = -18
extern int bordi;             // 1: draw edges of smooth polyhedra too
extern int trasparenza;       // 1: blending on, depth test off, darker palette
extern double alpha;          // alpha of every fill colour; 0.8 down to just under 0.05
extern int sinistro;          // 1: left button held (starts at 1)
extern int destro;            // 1: right button held
extern double old_mouX, old_mouY;  // pointer at the last button event or drag step, pixels
extern double new_mouX, new_mouY;  // pointer of the drag step being handled
extern double rotation_x, rotation_y;  // last rotation step, radians
extern double distanza;       // factor creapunto applies to every position; 1.0
extern int screen_width;      // window size in pixels
extern int screen_height;
extern int m;                 // slot counter of the scene loop; 4 after every frame

#endif
