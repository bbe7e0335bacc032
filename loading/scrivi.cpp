// scrivi.cpp: a polyhedron of the scene out to NOFF or Wavefront OBJ, in the
// files' convention: faces wound outwards, normals out (metti_in_scena).
#include "loading/formati.h"

#include <cstdio>

#include "mesh/maglia.h"

#include "model/poliedro.h"

void scrivi_noff(FILE *f, int slot)
{
    if (!slot_valido(slot))
        return;
    char a[32], b[32], c[32], d[32], e[32], g[32];
    const Poliedro &p = ElencoPoliedri[slot];
    std::fprintf(f, "NOFF\n%d %d 0\n", p.numpunti, p.numfacce);
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &v = p.punti[i];
        std::fprintf(f, "%s %s %s %s %s %s\n", numero_scritto(v.x, a), numero_scritto(v.y, b), numero_scritto(v.z, c),
                     numero_scritto(-v.nx, d), numero_scritto(-v.ny, e), numero_scritto(-v.nz, g));
    }
    for (int j = 0; j < p.numfacce; j++) {
        const Faccia &q = p.facce[j];
        int w[MAX_VERTICI];
        rovescia(q.vertici, q.numvertici, w);
        std::fprintf(f, "%d", q.numvertici);
        for (int k = 0; k < q.numvertici; k++)
            std::fprintf(f, " %d", w[k]);
        std::fputc('\n', f);
    }
}

void scrivi_obj(FILE *f, int slot)
{
    if (!slot_valido(slot))
        return;
    char a[32], b[32], c[32];
    const Poliedro &p = ElencoPoliedri[slot];
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &v = p.punti[i];
        std::fprintf(f, "v %s %s %s\n", numero_scritto(v.x, a), numero_scritto(v.y, b), numero_scritto(v.z, c));
    }
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &v = p.punti[i];
        std::fprintf(f, "vn %s %s %s\n", numero_scritto(-v.nx, a), numero_scritto(-v.ny, b), numero_scritto(-v.nz, c));
    }
    for (int j = 0; j < p.numfacce; j++) {
        const Faccia &q = p.facce[j];
        int w[MAX_VERTICI];
        rovescia(q.vertici, q.numvertici, w);
        std::fputc('f', f);
        for (int k = 0; k < q.numvertici; k++)
            std::fprintf(f, " %d//%d", w[k] + 1, w[k] + 1);
        std::fputc('\n', f);
    }
}
