// matrice.h: 4x4 and 3x3 matrix arithmetic on doubles.
//
// Row-major matrices acting on column vectors: v' = M v. A transformation X
// is added to an accumulated matrix M by M := X M. Sums run left to right and
// results are written in index order straight into dst, with no temporary, so
// dst must not share storage with a source: update in place through a copy.
// prodmat (3x3) has no caller, the transformations being 4x4; tests/core
// checks it on quarter turns worked out by hand.
#ifndef SUPERFICIE_TRANSFORM_MATRICE_H
#define SUPERFICIE_TRANSFORM_MATRICE_H

#include "model/poliedro.h"

// a becomes the identity: 1.0 on the diagonal, 0.0 elsewhere.
void identita(Matrice *a);

// dst = a * b.
void prodmat2(Matrice *dst, const Matrice *a, const Matrice *b);

// dst = m * v; v and dst are four consecutive doubles, all four written.
// Inline: it runs twice per vertex on every drag step.
inline void ApplicaMatrice(double *dst, const Matrice *m, const double *v)
{
    // dst never overlaps v, so reading v once gives the same sums.
    const double x = v[0], y = v[1], z = v[2], w = v[3];
    const double *e = m->e;
    for (int r = 0; r < 4; r++)
        dst[r] = e[4 * r] * x + e[4 * r + 1] * y + e[4 * r + 2] * z + e[4 * r + 3] * w;
}

// dst = a * b for 3x3 matrices of 9 doubles, row-major.
void prodmat(double *dst, const double *a, const double *b);

#endif
