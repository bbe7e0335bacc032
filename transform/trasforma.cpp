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

// m * v for one position or normal, written as ApplicaMatrice writes it (the
// same products, summed left to right) but with the matrix held in locals:
// through ApplicaMatrice every store might change the matrix, so each row
// reloaded it, and one call per vector kept the loop from being unrolled.
struct Righe {
    double a0, a1, a2, a3, b0, b1, b2, b3, c0, c1, c2, c3, d0, d1, d2, d3;
};

static inline Righe righe(const Matrice &m)
{
    const double *e = m.e;
    return {e[0], e[1], e[2],  e[3],  e[4],  e[5],  e[6],  e[7],
            e[8], e[9], e[10], e[11], e[12], e[13], e[14], e[15]};
}

static inline void applica(double *dst, const Righe &r, const double *v)
{
    const double x = v[0], y = v[1], z = v[2], w = v[3];
    dst[0] = r.a0 * x + r.a1 * y + r.a2 * z + r.a3 * w;
    dst[1] = r.b0 * x + r.b1 * y + r.b2 * z + r.b3 * w;
    dst[2] = r.c0 * x + r.c1 * y + r.c2 * z + r.c3 * w;
    dst[3] = r.d0 * x + r.d1 * y + r.d2 * z + r.d3 * w;
}

void ApplicaTrasformazioni(int slot)
{
    if (!slot_valido(slot))
        return;
    Poliedro &p = ElencoPoliedri[slot];
    const int np = p.numpunti < MAX_PUNTI ? p.numpunti : MAX_PUNTI;
    const int nf = p.numfacce < MAX_FACCE ? p.numfacce : MAX_FACCE;
    const Righe m = righe(p.matrice);
    const Righe n = righe(p.matrice_normali);
    Punto *__restrict mondo = p.punti_trasformati;
    const Punto *__restrict modello = p.punti;
    for (int i = 0; i < np; i++) {
        applica(&mondo[i].x, m, &modello[i].x);
        applica(&mondo[i].nx, n, &modello[i].nx);
    }
    ApplicaMatrice(p.centro_trasformato, &p.matrice, p.centro);
    for (int j = 0; j < nf; j++)
        creanormalfaccia(slot, j);
}
