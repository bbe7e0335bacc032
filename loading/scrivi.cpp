// scrivi.cpp: a polyhedron of the scene out to NOFF or Wavefront OBJ, in the
// files' convention: faces wound outwards, normals out (metti_in_scena).
#include "loading/formati.h"

#include <cstdio>
#include <cstdlib>

#include "mesh/maglia.h"

#include "model/poliedro.h"

// The shortest of %.15g, %.16g, %.17g that reads back to the same double,
// so a table value such as 0.537901 is written as such.
static const char *numero(double v, char *testo)
{
    for (int cifre = 15;; cifre++) {
        std::snprintf(testo, 32, "%.*g", cifre, v);
        if (cifre == 17 || std::strtod(testo, nullptr) == v)
            return testo;
    }
}

void scrivi_noff(FILE *f, int slot)
{
    if (!slot_valido(slot))
        return;
    char a[32], b[32], c[32], d[32], e[32], g[32];
    const Poliedro &p = ElencoPoliedri[slot];
    std::fprintf(f, "NOFF\n%d %d 0\n", p.numpunti, p.numfacce);
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &v = p.punti[i];
        std::fprintf(f, "%s %s %s %s %s %s\n", numero(v.x, a), numero(v.y, b), numero(v.z, c),
                     numero(-v.nx, d), numero(-v.ny, e), numero(-v.nz, g));
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
        std::fprintf(f, "v %s %s %s\n", numero(v.x, a), numero(v.y, b), numero(v.z, c));
    }
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &v = p.punti[i];
        std::fprintf(f, "vn %s %s %s\n", numero(-v.nx, a), numero(-v.ny, b), numero(-v.nz, c));
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

// A colour component, 0..1, as the float it is.
static const char *colore(float v, char *testo)
{
    std::snprintf(testo, 32, "%.9g", (double)v);
    return testo;
}

void scrivi_maglia_off(FILE *f, const Maglia &m)
{
    char a[32], b[32], c[32], d[32], e[32], g[32];
    std::fprintf(f, "%s\n%zu %zu 0\n", m.normali ? "NOFF" : "OFF", m.punti.size(), m.facce.size());
    for (const PuntoLetto &p : m.punti) {
        if (m.normali)
            std::fprintf(f, "%s %s %s %s %s %s\n", numero(p.pos[0], a), numero(p.pos[1], b),
                         numero(p.pos[2], c), numero(p.normale[0], d), numero(p.normale[1], e),
                         numero(p.normale[2], g));
        else
            std::fprintf(f, "%s %s %s\n", numero(p.pos[0], a), numero(p.pos[1], b),
                         numero(p.pos[2], c));
    }
    for (const FacciaLetta &q : m.facce) {
        std::fprintf(f, "%d", q.numvertici);
        for (int k = 0; k < q.numvertici; k++)
            std::fprintf(f, " %d", m.angoli[(size_t)(q.primo + k)]);
        if (q.colorata)
            std::fprintf(f, " %s %s %s", colore(q.colore[0], a), colore(q.colore[1], b),
                         colore(q.colore[2], c));
        std::fputc('\n', f);
    }
}

void scrivi_maglia_obj(FILE *f, const Maglia &m)
{
    char a[32], b[32], c[32];
    for (const PuntoLetto &p : m.punti)
        std::fprintf(f, "v %s %s %s\n", numero(p.pos[0], a), numero(p.pos[1], b),
                     numero(p.pos[2], c));
    if (m.normali)
        for (const PuntoLetto &p : m.punti)
            std::fprintf(f, "vn %s %s %s\n", numero(p.normale[0], a), numero(p.normale[1], b),
                         numero(p.normale[2], c));
    for (const FacciaLetta &q : m.facce) {
        std::fputc('f', f);
        for (int k = 0; k < q.numvertici; k++) {
            const int v = m.angoli[(size_t)(q.primo + k)] + 1;
            if (m.normali)
                std::fprintf(f, " %d//%d", v, v);
            else
                std::fprintf(f, " %d", v);
        }
        std::fputc('\n', f);
    }
}
