// matrice.cpp: matrix products, sums left to right, results in index order.
#include "transform/matrice.h"

void identita(Matrice *a)
{
    for (int i = 0; i < 16; i++)
        a->e[i] = (i % 5 == 0) ? 1.0 : 0.0;
}

void prodmat2(Matrice *dst, const Matrice *a, const Matrice *b)
{
    const double *x = a->e;
    const double *y = b->e;
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            dst->e[4 * r + c] = x[4 * r] * y[c] + x[4 * r + 1] * y[4 + c] +
                                x[4 * r + 2] * y[8 + c] + x[4 * r + 3] * y[12 + c];
}

void prodmat(double *dst, const double *a, const double *b)
{
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++)
            dst[3 * r + c] = a[3 * r] * b[c] + a[3 * r + 1] * b[3 + c] +
                             a[3 * r + 2] * b[6 + c];
}
