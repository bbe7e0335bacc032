// glut_nudo.cpp: the floors for start-up and for drawing during a drag: the
// least a freeglut program does to open the viewer's window and show the
// built-in surface, lit the same way. Built twice:
//
//   bench_nudo         the triangles as one glBegin(GL_TRIANGLES): what the
//                      renderer can do with these triangles at best;
//   bench_nudo_flusso  (NUDO_FLUSSO) the viewer's own primitive stream, face
//                      by face, from floats made at build time.
//
// It redraws only when asked: at its first expose, and on every motion event
// while a button is held. It shares no code with the viewer on purpose, only
// the picture's fixed values.
#include <GL/freeglut.h>
#include <GL/glu.h>

#ifdef NUDO_FLUSSO
#include <malloc.h>

#include "bench/flusso.h"
#endif

#include "triangoli.inc"

#ifdef NUDO_FLUSSO
static const Flusso flusso = {num_facce, inizio_faccia, angoli, sollevati, colori_faccia,
                              colori_bordo_faccia, nullptr};

static void disegna()
{
    disegna_flusso(flusso, true, false);
}
#else
static void disegna()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -50.0f);
    glEnable(GL_NORMALIZE);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, colore_superficie);
    glColor4fv(colore_superficie);
    glBegin(GL_TRIANGLES);
    for (int i = 0; i < num_angoli; i++) {
        glNormal3fv(&angoli[6 * i]);
        glVertex3fv(&angoli[6 * i + 3]);
    }
    glEnd();
    glFlush();
    glutSwapBuffers();
}
#endif

static void rimisura(int w, int h)
{
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, (double)w / (double)(h > 0 ? h : 1), 1.0, 1000.0);
    glutPostRedisplay();
}

static void trascina(int, int)
{
    glutPostRedisplay();
}

int main(int argc, char **argv)
{
    static const GLfloat diffusa[] = {0.6f, 0.6f, 0.6f, 1.0f};
    static const GLfloat posizione[] = {0.0f, -10.0f, -5.0f, 0.0f};
#ifdef NUDO_FLUSSO
    // Mesa allocates and frees large buffers in every frame of many small
    // primitives; the viewer keeps them in the process, so the floor does too.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1000, 660);
    glutInitWindowPosition(50, 50);
    glutCreateWindow("Superficie");
    glutDisplayFunc(disegna);
    glutReshapeFunc(rimisura);
    glutMotionFunc(trascina);
    glClearColor(0.5f, 0.5f, 0.5f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffusa);
    glLightfv(GL_LIGHT1, GL_POSITION, posizione);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
    glutMainLoop();
    return 0;
}
