// stl.cpp: STL, binary and ascii, into a Maglia.
//
// STL repeats every corner in each triangle that meets it; corners at the
// same position (exactly, as doubles) become one vertex, so that a closed
// surface in the file is a closed polyhedron here. Facet normals are not
// used: the faces are flat and their normals come from their corners.
#include "formats/lettura.h"

#include <cstring>

namespace {

// Open addressing over a power of two above twice the vertex capacity, so
// probes stay short and the table never fills. A slot holds the index of a
// vertex of the Maglia, whose own position is the key: nothing is stored
// twice and nothing is allocated.
constexpr int POSTI = 8192;
static_assert(POSTI >= 2 * MAX_PUNTI && (POSTI & (POSTI - 1)) == 0, "table size");

struct Vertici {
    int posto[POSTI];               // vertex index, or -1 for a free slot
};

void svuota(Vertici &v) { std::memset(v.posto, 0xff, sizeof v.posto); }

size_t hash(const double pos[3])
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (int k = 0; k < 3; k++) {
        // -0.0 equals 0.0, so it must hash alike.
        const double v = pos[k] + 0.0;
        uint64_t b;
        std::memcpy(&b, &v, sizeof b);
        h = (h ^ b ^ (b >> 29)) * 0x100000001b3ull;
    }
    return (size_t)(h ^ (h >> 32));
}

} // namespace

// The vertex at pos, added if the position is new; -1 with l.errore set.
static int vertice(Lettura &l, Vertici &visti, int riga, size_t posizione, const double pos[3])
{
    const Maglia &m = *l.maglia;
    size_t i = hash(pos) & (POSTI - 1);
    for (; visti.posto[i] >= 0; i = (i + 1) & (POSTI - 1)) {
        const double *q = m.punti[visti.posto[i]].pos;
        if (q[0] == pos[0] && q[1] == pos[1] && q[2] == pos[2])
            return visti.posto[i];
    }
    if (!aggiungi_punto(l, riga, posizione, pos))
        return -1;
    visti.posto[i] = m.numpunti - 1;
    return visti.posto[i];
}

constexpr size_t TESTA_BINARIO = 84;       // 80-byte header, then the uint32 count
constexpr size_t TRIANGOLO_BINARIO = 50;   // 12 float32 and a uint16

static bool leggi_stl_binario(Lettura &l)
{
    const size_t n = l.dimensione;
    const uint32_t triangoli = u32_le(l.dati + 80);
    // Before the size: a count past the store needs no further reading.
    if (triangoli > (uint32_t)MAX_FACCE)
        return errore(l, 0, "%u triangles, more than the %d faces a polyhedron holds",
                      (unsigned)triangoli, MAX_FACCE);
    const size_t giusta = TESTA_BINARIO + TRIANGOLO_BINARIO * triangoli;
    if (n < giusta)
        return errore_byte(l, n, "the file ends, but its %u triangles need %zu bytes (84 + 50 each)",
                           (unsigned)triangoli, giusta);
    if (n > giusta)
        return errore_byte(l, giusta, "%zu bytes past the end of the %u triangles (84 + 50 each)",
                           n - giusta, (unsigned)triangoli);
    static Vertici visti;
    svuota(visti);
    for (uint32_t t = 0; t < triangoli; t++) {
        const size_t inizio = TESTA_BINARIO + TRIANGOLO_BINARIO * t;
        int indici[3];
        for (int v = 0; v < 3; v++) {
            // Past the facet normal's three floats.
            const size_t at = inizio + 12 + 12 * (size_t)v;
            const double pos[3] = {f32_le(l.dati + at), f32_le(l.dati + at + 4),
                                   f32_le(l.dati + at + 8)};
            indici[v] = vertice(l, visti, -1, at, pos);
            if (indici[v] < 0)
                return false;
        }
        if (!aggiungi_faccia(l, -1, inizio, indici, 3, 0, nullptr))
            return false;
    }
    return true;
}

// Ascii STL is read as a stream of words: line breaks count only for the
// messages, except that a solid's name runs to the end of its line.
static void salta_a_parola(Cursore &c)
{
    for (;;) {
        salta_spazi(c);
        if (*c.p != '\n')
            return;
        vai_a_capo(c);
    }
}

// Keywords in either case: some old CAD exporters write them in capitals.
static bool parola_chiave(const char *p, size_t n, const char *testo)
{
    if (std::strlen(testo) != n)
        return false;
    for (size_t i = 0; i < n; i++) {
        char b = p[i];
        if (b >= 'A' && b <= 'Z')
            b = (char)(b - 'A' + 'a');
        if (b != testo[i])
            return false;
    }
    return true;
}

// The next word is `testo`; otherwise a message naming what was found.
static bool attesa(Lettura &l, Cursore &c, const char *testo, const char *dove)
{
    salta_a_parola(c);
    const int riga = c.riga;
    const char *p;
    size_t n;
    if (!parola(c, &p, &n))
        return errore(l, riga, "the file ends %s, where '%s' should follow", dove, testo);
    if (!parola_chiave(p, n, testo))
        return errore(l, riga, "'%.*s' %s, where '%s' should be", corto(n), p,
                      dove, testo);
    return true;
}

static bool tre_numeri(Lettura &l, Cursore &c, double v[3], const char *che)
{
    for (int k = 0; k < 3; k++) {
        salta_a_parola(c);
        if (!numero(c, &v[k])) {
            const int riga = c.riga;
            const char *p;
            size_t n;
            if (!parola(c, &p, &n))
                return errore(l, riga, "the file ends within a %s", che);
            return errore(l, riga, "'%.*s' in a %s is not a number", corto(n),
                          p, che);
        }
    }
    return true;
}

static bool leggi_faccetta(Lettura &l, Cursore &c, Vertici &visti)
{
    const int riga = c.riga;
    double normale[3];
    // The normal must be there, but its value is not used: exporters write
    // nan for the triangles they could not orient, which are skipped anyway.
    if (!attesa(l, c, "normal", "after 'facet'") || !tre_numeri(l, c, normale, "facet normal") ||
        !attesa(l, c, "outer", "after the facet normal") ||
        !attesa(l, c, "loop", "after 'outer'"))
        return false;
    int indici[3];
    int n = 0;
    for (;;) {
        salta_a_parola(c);
        const int qui = c.riga;
        const char *p;
        size_t k;
        if (!parola(c, &p, &k))
            return errore(l, qui, "the file ends within the facet of line %d", riga);
        if (parola_chiave(p, k, "endloop"))
            break;
        if (!parola_chiave(p, k, "vertex"))
            return errore(l, qui, "'%.*s' in a facet, where 'vertex' or 'endloop' should be",
                          corto(k), p);
        if (n == 3)
            return errore(l, qui, "a fourth vertex: an STL facet is a triangle");
        double pos[3];
        if (!tre_numeri(l, c, pos, "vertex"))
            return false;
        indici[n] = vertice(l, visti, qui, 0, pos);
        if (indici[n] < 0)
            return false;
        n++;
    }
    if (n < 3)
        return errore(l, c.riga, "the facet of line %d has %d vertices: an STL facet has 3", riga, n);
    if (!attesa(l, c, "endfacet", "after 'endloop'"))
        return false;
    return aggiungi_faccia(l, riga, 0, indici, 3, 0, nullptr);
}

// The rest of a 'solid' or 'endsolid' line is the solid's name.
static bool leggi_solido(Lettura &l, Cursore &c, Vertici &visti)
{
    const int riga = c.riga;
    vai_a_capo(c);
    for (;;) {
        salta_a_parola(c);
        const int qui = c.riga;
        const char *p;
        size_t n;
        if (!parola(c, &p, &n))
            return errore(l, qui, "the file ends before the 'endsolid' of the solid of line %d",
                          riga);
        if (parola_chiave(p, n, "endsolid")) {
            vai_a_capo(c);
            return true;
        }
        if (!parola_chiave(p, n, "facet"))
            return errore(l, qui, "'%.*s' in a solid, where 'facet' or 'endsolid' should be",
                          corto(n), p);
        if (!leggi_faccetta(l, c, visti))
            return false;
    }
}

static bool leggi_stl_testo(Lettura &l)
{
    if (!testo_pulito(l))
        return false;
    static Vertici visti;
    svuota(visti);
    Cursore c = cursore(l);
    // Some programs write several solids into one file: one polyhedron.
    for (bool primo = true;; primo = false) {
        salta_a_parola(c);
        const int riga = c.riga;
        const char *p;
        size_t n;
        if (!parola(c, &p, &n))
            return true;
        if (!parola_chiave(p, n, "solid"))
            return errore(l, riga, primo ? "'%.*s' where an STL file starts with 'solid'"
                                         : "'%.*s' after 'endsolid', where only another "
                                           "'solid' may follow",
                          corto(n), p);
        if (!leggi_solido(l, c, visti))
            return false;
    }
}

static bool comincia_solid(const Lettura &l)
{
    Cursore c = cursore(l);
    salta_a_parola(c);
    const char *p;
    size_t n;
    return parola(c, &p, &n) && parola_chiave(p, n, "solid");
}

// What follows the first line is 'facet' or 'endsolid'. A binary header may
// start with "solid" too, but what comes after it is float data.
static bool segue_faccetta(const Lettura &l)
{
    Cursore c = cursore(l);
    vai_a_capo(c);
    salta_a_parola(c);
    const char *p;
    size_t n;
    return parola(c, &p, &n) && (parola_chiave(p, n, "facet") || parola_chiave(p, n, "endsolid"));
}

bool misura_stl_binario(const Lettura &l)
{
    return l.dimensione >= TESTA_BINARIO &&
           (uint64_t)l.dimensione ==
               TESTA_BINARIO + TRIANGOLO_BINARIO * (uint64_t)u32_le(l.dati + 80);
}

bool leggi_stl(Lettura &l)
{
    const size_t n = l.dimensione;
    if (misura_stl_binario(l))
        return leggi_stl_binario(l);
    // The size is wrong for binary: ascii if it looks like ascii, so that a
    // broken ascii file is told where it breaks, not that its size is wrong.
    const bool solid = comincia_solid(l);
    if (solid && (segue_faccetta(l) || solo_testo(l)))
        return leggi_stl_testo(l);
    if (n >= TESTA_BINARIO)
        return leggi_stl_binario(l);
    if (solid)
        return leggi_stl_testo(l);
    return errore(l, 0, "neither ascii STL (no 'solid' first) nor binary STL (%zu bytes, fewer "
                  "than the %zu of the header)", n, TESTA_BINARIO);
}
