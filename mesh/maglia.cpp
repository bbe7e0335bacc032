// maglia.cpp: the corner-turn test that the mesh checks and the fitting share.
#include "mesh/maglia.h"

double gira(const double *a, const double *b, const double *c)
{
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const double x[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                         u[0] * w[1] - u[1] * w[0]};
    const double xx = x[0] * x[0] + x[1] * x[1] + x[2] * x[2];
    const double uu = u[0] * u[0] + u[1] * u[1] + u[2] * u[2];
    const double ww = w[0] * w[0] + w[1] * w[1] + w[2] * w[2];
    return xx > 0.0 && xx >= SENO_MINIMO * SENO_MINIMO * uu * ww ? xx : 0.0;
}
