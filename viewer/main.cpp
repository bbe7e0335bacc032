// main.cpp: start-up of the viewer.
#include "data/superficie.h"
#include "viewer/finestra.h"

#include <GL/freeglut.h>

int main(int argc, char **argv)
{
    inizializza_poliedro();                       // the scene exists before any window
    apri_finestra(&argc, argv);                   // toolkit, window, callbacks, GL state
    glutMainLoop();                               // never returns
    return 0;
}
