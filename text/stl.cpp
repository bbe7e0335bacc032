// stl.cpp: STL, binary and ascii, into a Maglia.
//
// STL repeats every corner in each triangle that meets it; corners at the
// same position (exactly, as doubles) become one vertex, so that a closed
// surface in the file is a closed polyhedron here. Facet normals are not
// used: the faces are flat and their normals come from their corners.
#include "text/lettura.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

// The vertex at pos, of hash h, added if the position is new; -1 with
// l.errore set. Corners are welded in unione.h's table, keyed by the
// Maglia's own positions.
static int vertice(Lettura &l, Luogo dove, const double pos[3], uint64_t h)
{
    const Maglia &m = *l.maglia;
    size_t posto = 0;
    const int v = cerca(l.posti, h, [&](int j) {
        const double *q = m.punti[(size_t)j].pos;
        return q[0] == pos[0] && q[1] == pos[1] && q[2] == pos[2];
    }, &posto);
    if (v >= 0)
        return v;
    if (!aggiungi_punto(l, dove, pos))
        return -1;
    metti(l.posti, posto, h, (int)m.punti.size() - 1);
    return (int)m.punti.size() - 1;
}

static int vertice(Lettura &l, Luogo dove, const double pos[3])
{
    return vertice(l, dove, pos, hash_numeri(pos, 3, 0));
}

// Corners of one triangle: positions and their hashes.
struct Angoli {
    double pos[3][3];
    uint64_t h[3];
};

static void angoli_di(const char *t, Angoli &a, const Unione &u)
{
    for (int v = 0; v < 3; v++) {
        // Past the facet normal's three floats.
        const char *p = t + 12 + 12 * v;
        for (int k = 0; k < 3; k++)
            a.pos[v][k] = f32_le(p + 4 * k);
        a.h[v] = hash_numeri(a.pos[v], 3, 0);
        anticipa(u, a.h[v]);
    }
}

bool leggi_triangoli_stl(Lettura &l, const char *byte, uint32_t primo, uint32_t n)
{
    if (n == 0)
        return true;
    // The next triangle's slots are fetched while this one's are looked up.
    Angoli a[2];
    angoli_di(byte, a[0], l.posti);
    for (uint32_t t = 0; t < n; t++) {
        const Angoli &qui = a[t & 1];
        if (t + 1 < n)
            angoli_di(byte + TRIANGOLO_BINARIO * (t + 1), a[(t + 1) & 1], l.posti);
        const size_t inizio = TESTA_BINARIO + TRIANGOLO_BINARIO * ((size_t)primo + t);
        int indici[3];
        for (int v = 0; v < 3; v++) {
            indici[v] = vertice(l, al_byte(inizio + 12 + 12 * (size_t)v), qui.pos[v], qui.h[v]);
            if (indici[v] < 0)
                return false;
        }
        if (!aggiungi_faccia(l, al_byte(inizio), indici, 3, 0, nullptr))
            return false;
    }
    return true;
}

// Room for the triangles counted: their size matched the count, so the
// count is what the bytes hold. A closed surface has about half as many
// vertices as triangles.
static void prepara_stl(Lettura &l, uint32_t triangoli)
{
    Maglia &m = *l.maglia;
    m.facce.reserve(triangoli);
    m.angoli.reserve(3 * (size_t)triangoli);
    m.punti.reserve(triangoli / 2 + 3);
    pagine_grandi(m.facce.data(), m.facce.capacity() * sizeof(FacciaLetta));
    pagine_grandi(m.angoli.data(), m.angoli.capacity() * sizeof(int));
    pagine_grandi(m.punti.data(), m.punti.capacity() * sizeof(PuntoLetto));
    prepara_unione(l.posti, triangoli / 2 + 3);
}

static bool leggi_stl_binario(Lettura &l)
{
    const size_t n = l.dimensione;
    const uint32_t triangoli = u32_le(l.dati + 80);
    const size_t giusta = TESTA_BINARIO + TRIANGOLO_BINARIO * (size_t)triangoli;
    if (n < giusta)
        return errore(l, al_byte(n), "the file ends, but its %u triangles need %zu bytes (84 + 50 "
                      "each)", (unsigned)triangoli, giusta);
    if (n > giusta)
        return errore(l, al_byte(giusta), "%zu bytes past the end of the %u triangles (84 + 50 "
                      "each)", n - giusta, (unsigned)triangoli);
    prepara_stl(l, triangoli);
    return leggi_triangoli_stl(l, l.dati + TESTA_BINARIO, 0, triangoli);
}

// Triangles per block read from the disk: 1 MB, that stays in the cache.
constexpr uint32_t TRIANGOLI_PER_BLOCCO = 20000;

bool leggi_stl_a_blocchi(Lettura &l, int fd)
{
    l.maglia->stampa = 1;   // z up, as printers have it
    l.maglia->saldata = 1;
    const uint32_t triangoli = u32_le(l.dati + 80);
    prepara_stl(l, triangoli);
    std::vector<char> blocco((size_t)TRIANGOLO_BINARIO * std::min(triangoli, TRIANGOLI_PER_BLOCCO));
    for (uint32_t primo = 0; primo < triangoli;) {
        const uint32_t n = std::min(triangoli - primo, TRIANGOLI_PER_BLOCCO);
        const size_t da = TESTA_BINARIO + TRIANGOLO_BINARIO * (size_t)primo;
        const size_t byte = TRIANGOLO_BINARIO * (size_t)n;
        for (size_t letti = 0; letti < byte;) {
            const ssize_t r = pread(fd, blocco.data() + letti, byte - letti, (off_t)(da + letti));
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                return errore(l, al_byte(da + letti), "%s", std::strerror(errno));
            // Shortened since its size was taken.
            if (r == 0)
                return errore(l, al_byte(da + letti), "the file ends, but its %u triangles need "
                              "%zu bytes (84 + 50 each)", (unsigned)triangoli, l.dimensione);
            letti += (size_t)r;
        }
        if (!leggi_triangoli_stl(l, blocco.data(), primo, n))
            return false;
        primo += n;
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

// The next word is `testo`; otherwise a message naming what was found.
static bool attesa(Lettura &l, Cursore &c, const char *testo, const char *dove)
{
    salta_a_parola(c);
    const int riga = c.riga;
    const char *p;
    size_t n;
    if (!parola(c, &p, &n))
        return errore(l, in_riga(riga), "the file ends %s, where '%s' should follow", dove, testo);
    if (!uguale_maiuscole(p, n, testo))
        return errore(l, in_riga(riga), "'%.*s' %s, where '%s' should be", corto(n), p,
                      dove, testo);
    return true;
}

static bool tre_numeri(Lettura &l, Cursore &c, double v[3], const char *che)
{
    for (int k = 0; k < 3; k++) {
        salta_a_parola(c);
        if (!numero(c, &v[k])) {
            if (a_fine_riga(c))
                return errore(l, in_riga(c.riga), "the file ends within a %s", che);
            char dove[32];
            std::snprintf(dove, sizeof dove, "in a %s", che);
            return non_numero(l, c, dove);
        }
    }
    return true;
}

static bool leggi_faccetta(Lettura &l, Cursore &c)
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
            return errore(l, in_riga(qui), "the file ends within the facet of line %d", riga);
        if (uguale_maiuscole(p, k, "endloop"))
            break;
        if (!uguale_maiuscole(p, k, "vertex"))
            return errore(l, in_riga(qui), "'%.*s' in a facet, where 'vertex' or 'endloop' should be",
                          corto(k), p);
        if (n == 3)
            return errore(l, in_riga(qui), "a fourth vertex: an STL facet is a triangle");
        double pos[3];
        if (!tre_numeri(l, c, pos, "vertex"))
            return false;
        indici[n] = vertice(l, in_riga(qui), pos);
        if (indici[n] < 0)
            return false;
        n++;
    }
    if (n < 3)
        return errore(l, in_riga(c.riga), "the facet of line %d has %d vertices: an STL facet has 3", riga, n);
    if (!attesa(l, c, "endfacet", "after 'endloop'"))
        return false;
    return aggiungi_faccia(l, in_riga(riga), indici, 3, 0, nullptr);
}

// The rest of a 'solid' or 'endsolid' line is the solid's name.
static bool leggi_solido(Lettura &l, Cursore &c)
{
    const int riga = c.riga;
    vai_a_capo(c);
    for (;;) {
        salta_a_parola(c);
        const int qui = c.riga;
        const char *p;
        size_t n;
        if (!parola(c, &p, &n))
            return errore(l, in_riga(qui), "the file ends before the 'endsolid' of the solid of line %d",
                          riga);
        if (uguale_maiuscole(p, n, "endsolid")) {
            vai_a_capo(c);
            return true;
        }
        if (!uguale_maiuscole(p, n, "facet"))
            return errore(l, in_riga(qui), "'%.*s' in a solid, where 'facet' or 'endsolid' should be",
                          corto(n), p);
        if (!leggi_faccetta(l, c))
            return false;
    }
}

static bool leggi_stl_testo(Lettura &l)
{
    if (!testo_pulito(l))
        return false;
    prepara_unione(l.posti, 0);
    Cursore &c = l.c;
    // Some programs write several solids into one file: one polyhedron.
    for (bool primo = true;; primo = false) {
        salta_a_parola(c);
        const int riga = c.riga;
        const char *p;
        size_t n;
        if (!parola(c, &p, &n))
            return true;
        if (!uguale_maiuscole(p, n, "solid"))
            return errore(l, in_riga(riga), primo ? "'%.*s' where an STL file starts with 'solid'"
                                         : "'%.*s' after 'endsolid', where only another "
                                           "'solid' may follow",
                          corto(n), p);
        if (!leggi_solido(l, c))
            return false;
    }
}

static bool comincia_solid(const Lettura &l)
{
    Cursore c = cursore(l);
    salta_a_parola(c);
    const char *p;
    size_t n;
    return parola(c, &p, &n) && uguale_maiuscole(p, n, "solid");
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
    return parola(c, &p, &n) && (uguale_maiuscole(p, n, "facet") || uguale_maiuscole(p, n, "endsolid"));
}

bool misura_stl_binario(const Lettura &l)
{
    return l.dimensione >= TESTA_BINARIO &&
           (uint64_t)l.dimensione ==
               TESTA_BINARIO + TRIANGOLO_BINARIO * (uint64_t)u32_le(l.dati + 80);
}

bool leggi_stl(Lettura &l)
{
    l.maglia->stampa = 1;   // z up, as printers have it
    l.maglia->saldata = 1;
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
    return errore(l, NEL_FILE, "neither ascii STL (no 'solid' first) nor binary STL (%zu bytes, fewer "
                  "than the %zu of the header)", n, TESTA_BINARIO);
}
