// finestra.cpp: the fixed OpenGL state and the reshape callback.
#include "viewer/finestra.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <malloc.h>

#include "input/input.h"

#include "viewer/identita.h"
#include "viewer/scena.h"
#include "state/vista.h"

// A minimised window reports a height of 0; raising each side to 1 keeps
// the aspect finite.
static void proiezione()
{
    const double w = screen_width < 1 ? 1.0 : (double)screen_width;
    const double h = screen_height < 1 ? 1.0 : (double)screen_height;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(CAMPO_VISIVO, w / h, PIANO_VICINO, PIANO_LONTANO);
}

void apri_finestra(int *argc, char **argv)
{
    // Immediate mode makes Mesa's software renderer allocate and free large
    // vertex buffers every frame; with glibc's default thresholds they go
    // back to the kernel each time and are faulted in again, which took about
    // two thirds of a frame. Keep freed memory in the process instead.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);

    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(screen_width, screen_height);
    glutInitWindowPosition(50, 50);
    glutCreateWindow("Superficie");
#ifndef __EMSCRIPTEN__
    dichiara_identita();
#endif
    // No motion callback: every frame installs the drag handler its button
    // flags choose.
    glutDisplayFunc(display);
    glutReshapeFunc(resize);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(keyboard_s);
    glutMouseFunc(mouse);
    init();
}

void init()
{
    static const GLfloat diffusa[] = {0.6f, 0.6f, 0.6f, 1.0f};
    // w = 0: a directional light, given while the model-view matrix is still
    // the identity, so it stays fixed relative to the eye.
    static const GLfloat posizione[] = {0.0f, -10.0f, -5.0f, 0.0f};

    glClearColor(0.5f, 0.5f, 0.5f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffusa);
    glLightfv(GL_LIGHT1, GL_POSITION, posizione);
    glLightf(GL_LIGHT1, GL_CONSTANT_ATTENUATION, 1.0f);
    glLightf(GL_LIGHT1, GL_LINEAR_ATTENUATION, 0.0f);
    glLightf(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, 0.0f);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
    glViewport(0, 0, screen_width, screen_height);
    proiezione();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void resize(int width, int height)
{
    screen_width = width;
    screen_height = height;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, screen_width, screen_height);
    proiezione();
    glutPostRedisplay();
}
