// main.cpp: start-up of the viewer, one line per step.
#include <GL/freeglut.h>

#include "data/superficie.h"
#include "input/input.h"
#include "viewer/finestra.h"
#include "viewer/vista.h"

int main(int argc, char **argv)
{
    inizializza_poliedro();                       // the scene exists before any window
    glutInit(&argc, argv);                        // the toolkit takes its own options
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(screen_width, screen_height);
    glutInitWindowPosition(50, 50);
    glutCreateWindow("Superficie");
    glutDisplayFunc(display);
    glutReshapeFunc(resize);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(keyboard_s);
    glutMouseFunc(mouse);
    init();
    glutMainLoop();                               // never returns
    return 0;
}
