// bare_glut.cpp: the floor for start-up and for drawing during a drag: the
// least a freeglut program does to open the viewer's window and show the
// built-in triangles, lit the same way, as one glBegin(GL_TRIANGLES).
//
// It redraws only when asked: at its first expose, and on every motion event
// while a button is held. It shares no code with the viewer on purpose.
#include <GL/freeglut.h>
#include <GL/glu.h>

#include "triangles.inc"

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
