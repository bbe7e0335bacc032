// finestra_test.h: a real freeglut window and context for the GL tests,
// opened the way start-up opens the viewer's, and pixel read-back.
#ifndef SUPERFICIE_TESTS_GL_FINESTRA_TEST_H
#define SUPERFICIE_TESTS_GL_FINESTRA_TEST_H

#include <vector>

// Builds the scene, creates the "Superficie" window on $DISPLAY with the
// viewer's callbacks and runs init(), as main does; no event is processed
// yet. Once per process; later calls do nothing.
void apri_finestra_di_prova();

// apri_finestra_di_prova, then runs the toolkit's events until the window has been
// drawn once by the event loop (so it is mapped and has had its reshape).
void mostra_finestra();

// Runs the pending toolkit events (redisplays included) for a short while.
void pompa_eventi();

// True when the calls made since the last frame asked for a redisplay: the
// toolkit keeps that request in the process, so one pass of its loop draws
// the frame if, and only if, one was posted.
bool ridisegno_chiesto();

// Frames the event loop has drawn so far (each call of the registered
// display callback).
int fotogrammi_disegnati();

struct Immagine {
    int larghezza = 0, altezza = 0;
    std::vector<unsigned char> rgb;    // rows bottom to top, 3 bytes a pixel
    const unsigned char *pixel(int x, int y) const { return &rgb[3 * (y * larghezza + x)]; }
};

// Calls display() and reads back the frame it has just drawn and swapped.
Immagine disegna_e_leggi();

#endif
