// scena.cpp: the display callback, which draws the whole scene every frame.
#include <GL/freeglut.h>

#include "input/input.h"
#include "model/poliedro.h"
#include "viewer/finestra.h"
#include "viewer/scena.h"
#include "state/vista.h"

static const GLfloat colore_ombra[] = {0.1f, 0.1f, 0.1f, 1.0f};

static void vertice_bordo(const Punto &p)
{
    glVertex3f((float)p.x, (float)p.y, (float)(p.z + SOLLEVO_BORDI));
}

static void disegna_faccia(const Poliedro &p, const Faccia &f)
{
    // Constructors keep numvertici within 3..10; the clamp only keeps a
    // corrupted record from reading past vertici.
    const int n = f.numvertici < MAX_VERTICI ? f.numvertici : MAX_VERTICI;

    glBegin(GL_POLYGON);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, f.colore);
    glColor4f(f.colore[0], f.colore[1], f.colore[2], f.colore[3]);
    for (int k = 0; k < n; k++) {
        const Punto &v = p.punti_trasformati[f.vertici[k]];
        if (p.liscio != 0)
            glNormal3f((float)v.nx, (float)v.ny, (float)v.nz);
        else
            glNormal3f((float)f.normale[0], (float)f.normale[1], (float)f.normale[2]);
        glVertex3f((float)v.x, (float)v.y, (float)v.z);
    }
    glEnd();

    if (ombra == 1) {
        glBegin(GL_POLYGON);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, colore_ombra);
        glColor4f(colore_ombra[0], colore_ombra[1], colore_ombra[2], colore_ombra[3]);
        for (int k = 0; k < n; k++) {
            const Punto &v = p.punti_trasformati[f.vertici[k]];
            glNormal3f(0.0f, 1.0f, 0.0f);
            glVertex3f((float)v.x, (float)PIANO_OMBRA, (float)v.z);
        }
        glEnd();
    }

    // Edges set no normal: they are lit with the last one given, the
    // shadow's when it was drawn.
    if (p.liscio == 0 || bordi == 1) {
        for (int k = 0; k < n; k++) {
            const int a = f.vertici[k];
            const int b = f.vertici[k + 1 < n ? k + 1 : 0];
            glBegin(GL_LINES);
            glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, f.colore_bordo);
            vertice_bordo(p.punti_trasformati[a]);
            vertice_bordo(p.punti_trasformati[b]);
            glEnd();
        }
    }
}

void disegna_quadro()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, (float)-DISTANZA_OCCHIO);
    glEnable(GL_NORMALIZE);
    glLineWidth(1.0f);

    for (m = 0; m < MAX_POLIEDRI; m++) {
        const Poliedro &p = ElencoPoliedri[m];
        const int nf = p.numfacce < MAX_FACCE ? p.numfacce : MAX_FACCE;
        for (int f = 0; f < nf; f++)
            disegna_faccia(p, p.facce[f]);
    }

    glFlush();
}

void display()
{
    disegna_quadro();
    glutSwapBuffers();

    // A middle drag keeps the translation handler until its release.
    if (centrale)
        return;
    if (sinistro == 1 && destro == 0)
        installa_trascinamento(rotazione_mouse);
    if (destro == 1 && sinistro == 0)
        installa_trascinamento(riscalamento_mouse);
}
