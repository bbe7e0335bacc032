// poliedro.cpp: the scene table, vertex creation and completion.
#include "model/poliedro.h"

#include <cmath>

#include "transform/matrice.h"
#include "state/vista.h"

Poliedro ElencoPoliedri[MAX_POLIEDRI];

void creapunto(int slot, int index, double x, double y, double z,
               double nx, double ny, double nz)
{
    if (!slot_valido(slot) || index < 0 || index >= MAX_PUNTI)
        return;
    Punto &p = ElencoPoliedri[slot].punti[index];
    p.id = index;
    p.x = x * distanza;
    p.y = y * distanza;
    p.z = z * distanza;
    p.w = 1.0;
    p.nx = nx;
    p.ny = ny;
    p.nz = nz;
    p.nw = 1.0;
    ElencoPoliedri[slot].punti_trasformati[index] = p;
}

void creapoliedro(int slot, int numpunti, int numfacce, int liscio)
{
    if (!slot_valido(slot) || numpunti < 0 || numpunti > MAX_PUNTI ||
        numfacce < 0 || numfacce > MAX_FACCE)
        return;
    Poliedro &p = ElencoPoliedri[slot];
    p.liscio = liscio;
    p.numpunti = numpunti;
    p.numfacce = numfacce;
    identita(&p.matrice);
    identita(&p.matrice_normali);

    double sx = 0.0, sy = 0.0, sz = 0.0;
    for (int i = 0; i < numpunti; i++) {
        sx += p.punti[i].x;
        sy += p.punti[i].y;
        sz += p.punti[i].z;
    }
    // An empty polyhedron has no centroid; the origin keeps NaN out of the
    // matrices that pivot on it.
    const double n = numpunti > 0 ? (double)numpunti : 1.0;
    p.centro[0] = sx / n;
    p.centro[1] = sy / n;
    p.centro[2] = sz / n;
    p.centro[3] = 1.0;
    for (int k = 0; k < 4; k++)
        p.centro_trasformato[k] = p.centro[k];

    double r = 0.0;
    for (int i = 0; i < numpunti; i++) {
        const double dx = p.punti[i].x - p.centro[0];
        const double dy = p.punti[i].y - p.centro[1];
        const double dz = p.punti[i].z - p.centro[2];
        const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (d > r)
            r = d;
    }
    p.raggio = r;
    p.scala = 1.0;
}
