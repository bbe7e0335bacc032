// scrittura.cpp: a Maglia out to OFF/NOFF or Wavefront OBJ, numbers that
// read back to the same doubles.
#include "text/lettura.h"

#include <cstdio>
#include <cstdlib>

// The shortest of %.15g, %.16g, %.17g that reads back to the same double,
// so a table value such as 0.537901 is written as such.
const char *numero_scritto(double v, char *testo)
{
    for (int cifre = 15;; cifre++) {
        std::snprintf(testo, 32, "%.*g", cifre, v);
        if (cifre == 17 || std::strtod(testo, nullptr) == v)
            return testo;
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
            std::fprintf(f, "%s %s %s %s %s %s\n", numero_scritto(p.pos[0], a), numero_scritto(p.pos[1], b),
                         numero_scritto(p.pos[2], c), numero_scritto(p.normale[0], d), numero_scritto(p.normale[1], e),
                         numero_scritto(p.normale[2], g));
        else
            std::fprintf(f, "%s %s %s\n", numero_scritto(p.pos[0], a), numero_scritto(p.pos[1], b),
                         numero_scritto(p.pos[2], c));
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
        std::fprintf(f, "v %s %s %s\n", numero_scritto(p.pos[0], a), numero_scritto(p.pos[1], b),
                     numero_scritto(p.pos[2], c));
    if (m.normali)
        for (const PuntoLetto &p : m.punti)
            std::fprintf(f, "vn %s %s %s\n", numero_scritto(p.normale[0], a), numero_scritto(p.normale[1], b),
                         numero_scritto(p.normale[2], c));
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
