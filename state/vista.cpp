// vista.cpp: the view state with its start values.
#include "state/vista.h"

int p_target = 0;
int ombra = 1;
int bordi = 0;
int trasparenza = 0;
double alpha = 0.8;
// The left flag starts held so that the first frame installs the rotation
// drag handler before any button has been pressed.
int sinistro = 1;
int destro = 0;
double old_mouX = 0.0, old_mouY = 0.0;
double new_mouX = 0.0, new_mouY = 0.0;
double rotation_x = 0.0, rotation_y = 0.0;
double distanza = 1.0;
int screen_width = 1000;
int screen_height = 660;
int m = 0;
