// scena.h: drawing the scene.
//
// disegna_quadro() issues one whole frame into the current OpenGL context:
// clear, model-view (the eye 50 units in front of the origin), then every
// face of every slot with its floor shadow while ombra is 1 and its edges
// while liscio is 0 or bordi is 1, and a flush. It reads the world-space
// copy of each slot and the view state, writes only m, and leaves the
// matrix mode at GL_MODELVIEW with GL_NORMALIZE on. The projection is left
// as init() or resize() set it.
//
// display() is the window's display callback: disegna_quadro(), the buffer
// swap, and the choice of the drag handler for the next motion events
// (viewer/finestra.h). A picture drawn without a window calls
// disegna_quadro() alone.
#ifndef SUPERFICIE_VIEWER_SCENA_H
#define SUPERFICIE_VIEWER_SCENA_H

void disegna_quadro();
void display();

#endif
