// flusso.cpp: a frame of the viewer's primitive stream from a float table.
#include "bench/flusso.h"

#include <GL/freeglut.h>

#include "viewer/finestra.h"

void disegna_flusso(const Flusso &s, bool ombre, bool bordi)
{
    static const GLfloat grigio[] = {0.1f, 0.1f, 0.1f, 1.0f};
    const float piano = (float)PIANO_OMBRA;

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, (float)-DISTANZA_OCCHIO);
    glEnable(GL_NORMALIZE);
    glLineWidth(1.0f);

    for (int f = 0; f < s.numfacce; f++) {
        const int primo = s.inizio[f], fine = s.inizio[f + 1];
        const float *c = s.colori + 4 * f;
        glBegin(GL_POLYGON);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, c);
        glColor4f(c[0], c[1], c[2], c[3]);
        for (int k = primo; k < fine; k++) {
            const float *v = s.angoli + 6 * k;
            glNormal3f(v[0], v[1], v[2]);
            glVertex3f(v[3], v[4], v[5]);
        }
        glEnd();

        if (ombre) {
            glBegin(GL_POLYGON);
            glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, grigio);
            glColor4f(grigio[0], grigio[1], grigio[2], grigio[3]);
            for (int k = primo; k < fine; k++) {
                const float *v = s.angoli + 6 * k;
                glNormal3f(0.0f, 1.0f, 0.0f);
                glVertex3f(v[3], piano, v[5]);
            }
            glEnd();
        }

        if (s.bordi_faccia ? s.bordi_faccia[f] != 0 : bordi) {
            const float *cb = s.colori_bordo + 4 * f;
            for (int k = primo; k < fine; k++) {
                const float *a = s.sollevati + 3 * k;
                const float *b = s.sollevati + 3 * (k + 1 < fine ? k + 1 : primo);
                glBegin(GL_LINES);
                glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, cb);
                glVertex3f(a[0], a[1], a[2]);
                glVertex3f(b[0], b[1], b[2]);
                glEnd();
            }
        }
    }

    glFlush();
#ifndef FLUSSO_SENZA_FINESTRA
    glutSwapBuffers();
#endif
}
