// superficie.cpp: loads the built-in surface into slot 0.
#include "data/superficie.h"

#include "model/faccia.h"
#include "model/poliedro.h"

// tabella_punti (x, y, z, nx, ny, nz per vertex) and tabella_facce (a, b, c),
// written at build time by genera_superficie from data/costruzione.cpp.
#include "superficie_tabelle.inc"

void inizializza_poliedro()
{
    const int numpunti = sizeof tabella_punti / sizeof tabella_punti[0];
    const int numfacce = sizeof tabella_facce / sizeof tabella_facce[0];
    for (int i = 0; i < numpunti; i++) {
        const double *r = tabella_punti[i];
        creapunto(0, i, r[0], r[1], r[2], r[3], r[4], r[5]);
    }
    for (int j = 0; j < numfacce; j++) {
        const short *f = tabella_facce[j];
        creafaccia3(0, j, (double)f[0], (double)f[1], (double)f[2], 'y');
    }
    creapoliedro(0, numpunti, numfacce, 1);
}
