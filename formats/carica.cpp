// carica.cpp: read files into the scene, placed side by side.
#include "formats/formati.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "model/colori.h"
#include "model/faccia.h"
#include "model/poliedro.h"

const char LETTERE_SLOT[MAX_POLIEDRI] = {'y', 'l', 'p', 'g'};

// One Maglia per slot: the files are all read here before the store is
// touched.
static Maglia maglie_lette[MAX_POLIEDRI];

static void crea_faccia(int slot, int j, const int *v, int n, char c)
{
    switch (n) {
    case 3: creafaccia3(slot, j, v[0], v[1], v[2], c); break;
    case 4: creafaccia4(slot, j, v[0], v[1], v[2], v[3], c); break;
    case 5: creafaccia5(slot, j, v[0], v[1], v[2], v[3], v[4], c); break;
    case 6: creafaccia6(slot, j, v[0], v[1], v[2], v[3], v[4], v[5], c); break;
    case 7: creafaccia7(slot, j, v[0], v[1], v[2], v[3], v[4], v[5], v[6], c); break;
    case 8: creafaccia8(slot, j, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], c); break;
    case 9: creafaccia9(slot, j, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], c); break;
    case 10:
        creafaccia10(slot, j, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], c);
        break;
    default: break;   // a Maglia holds 3 to MAX_VERTICI only
    }
}

// Centroid and radius as creapoliedro computes them, so that an object
// already at its place and size is built unchanged.
static void misura(const Maglia &m, double centro[3], double *raggio)
{
    double s[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < m.numpunti; i++)
        for (int k = 0; k < 3; k++)
            s[k] += m.punti[i].pos[k];
    for (int k = 0; k < 3; k++)
        centro[k] = s[k] / (double)m.numpunti;
    double r = 0.0;
    for (int i = 0; i < m.numpunti; i++) {
        const double dx = m.punti[i].pos[0] - centro[0];
        const double dy = m.punti[i].pos[1] - centro[1];
        const double dz = m.punti[i].pos[2] - centro[2];
        const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (d > r)
            r = d;
    }
    *raggio = r;
}

void metti_in_scena(const Maglia *const *maglie, int n)
{
    // Every slot starts over from zero, as at start-up: the objects named
    // now, and nothing of what the slots held before.
    std::memset(ElencoPoliedri, 0, sizeof ElencoPoliedri);
    for (int slot = 0; slot < n && slot < MAX_POLIEDRI; slot++) {
        const Maglia &m = *maglie[slot];
        double c[3], r;
        misura(m, c, &r);
        // chiudi_maglia refused a file without extent, so r > 0; a radius so
        // small that the factor overflows keeps its size instead.
        double s = RAGGIO_SCENA / r;
        if (!std::isfinite(s))
            s = 1.0;
        const double posto = PASSO_SCENA * (slot - (n - 1) / 2.0);
        for (int i = 0; i < m.numpunti; i++) {
            const PuntoLetto &p = m.punti[i];
            const double *nr = p.normale;
            if (m.normali)
                creapunto(slot, i, (p.pos[0] - c[0]) * s + posto, (p.pos[1] - c[1]) * s,
                          (p.pos[2] - c[2]) * s, nr[0], nr[1], nr[2]);
            else
                creapunto(slot, i, (p.pos[0] - c[0]) * s + posto, (p.pos[1] - c[1]) * s,
                          (p.pos[2] - c[2]) * s, 0.0, 0.0, 0.0);
        }
        for (int j = 0; j < m.numfacce; j++) {
            const FacciaLetta &f = m.facce[j];
            const char lettera = f.colorata ? lettera_vicina(f.colore) : LETTERE_SLOT[slot];
            crea_faccia(slot, j, f.vertici, f.numvertici, lettera);
        }
        creapoliedro(slot, m.numpunti, m.numfacce, m.normali ? 1 : 0);
    }
}

// Reads files 0..n-1 with leggi(k, maglia, errore, dim) and, if every one
// can be read, puts them in the scene.
template <class Leggi>
static bool carica(int n, char *errore, size_t dim_errore, Leggi leggi)
{
    if (n > MAX_POLIEDRI) {
        std::snprintf(errore, dim_errore, "more than %d files: the scene holds %d objects",
                      MAX_POLIEDRI, MAX_POLIEDRI);
        return false;
    }
    const Maglia *lette[MAX_POLIEDRI];
    for (int k = 0; k < n; k++) {
        if (!leggi(k, &maglie_lette[k], errore, dim_errore))
            return false;
        lette[k] = &maglie_lette[k];
    }
    metti_in_scena(lette, n);
    return true;
}

bool carica_file(const char *const *percorsi, int n, char *errore, size_t dim_errore)
{
    return carica(n, errore, dim_errore, [&](int k, Maglia *m, char *e, size_t d) {
        return leggi_percorso(percorsi[k], m, e, d);
    });
}

bool carica_dati(const char *const *nomi, const char *const *dati, const size_t *lunghezze, int n,
                 char *errore, size_t dim_errore)
{
    return carica(n, errore, dim_errore, [&](int k, Maglia *m, char *e, size_t d) {
        return leggi_maglia_terminata(nomi[k], dati[k], lunghezze[k], m, e, d);
    });
}
