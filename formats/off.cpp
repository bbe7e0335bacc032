// off.cpp: OFF in its 3-D variants, text and binary.
//
// Keyword [ST][C][N][4][n]OFF [BINARY], or none when the file starts with
// its counts. Each vertex: x y z, then nx ny nz with N, a colour (3 or 4
// components) with C, s t with ST. Each face: its vertex count, the indices,
// then nothing, a colour-map index (ignored) or an RGB(A) colour. Text is
// read line by line, so that a face can be checked against what its line
// holds; '#' starts a comment anywhere. The binary form has the same fields
// as big-endian 32-bit ints and floats, and always four colour components.
#include <cstring>

#include "formats/lettura.h"

namespace {

struct Intestazione {
    bool st, c, n;                  // texture coordinates, colours, normals per vertex
    bool binario;
};

// Numbers a vertex line may hold at most: 3 + 3 + 4 + 2.
constexpr int MAX_NUMERI_PUNTO = 12;

}  // namespace

// Numbers up to the end of the line or a '#'; false for a token that is not
// a number or for more than `massimo`.
static bool numeri_riga(Lettura &l, Cursore &c, double *v, int massimo, int *n)
{
    *n = 0;
    while (!a_fine_riga(c) && *c.p != '#') {
        if (*n == massimo)
            return errore(l, c.riga, "more than %d numbers on a vertex line", massimo);
        if (!numero(c, &v[*n])) {
            const char *p;
            size_t k;
            parola(c, &p, &k);
            return errore(l, c.riga, "'%.*s' is not a number", (int)(k > 40 ? 40 : k), p);
        }
        (*n)++;
    }
    return true;
}

static bool leggi_intestazione(Lettura &l, Cursore &c, Intestazione *h)
{
    *h = Intestazione{};
    const char *p;
    size_t k;
    Cursore prima = c;
    if (!parola(c, &p, &k))
        return errore(l, c.riga, "no OFF keyword and no counts");
    size_t i = 0;
    if (k >= 2 && p[0] == 'S' && p[1] == 'T') {
        h->st = true;
        i = 2;
    }
    if (i < k && p[i] == 'C') { h->c = true; i++; }
    if (i < k && p[i] == 'N') { h->n = true; i++; }
    bool quattro = false, dimensione = false;
    if (i < k && p[i] == '4') { quattro = true; i++; }
    if (i < k && p[i] == 'n') { dimensione = true; i++; }
    if (k - i != 3 || std::memcmp(p + i, "OFF", 3) != 0) {
        // No keyword: the counts come first.
        c = prima;
        return true;
    }
    if (parola_uguale(c, "BINARY"))
        h->binario = true;
    if (!dimensione && quattro)
        return errore(l, c.riga, "4OFF is 4-dimensional: only 3-D objects are shown");
    if (!dimensione) {
        if (h->binario) {
            if (!a_fine_riga(c))
                return errore(l, c.riga, "unexpected text after OFF BINARY");
            vai_a_capo(c);
        }
        return true;
    }
    // nOFF: the dimension follows, as text or, in the binary form, as an int.
    long long d;
    const int riga = c.riga;
    if (h->binario) {
        if (!a_fine_riga(c))
            return errore(l, riga, "unexpected text after OFF BINARY");
        vai_a_capo(c);
        if (l.dimensione - (size_t)(c.p - l.dati) < 4)
            return errore(l, riga, "nOFF without its dimension");
        d = (int32_t)u32_be(c.p);
        c.p += 4;
    } else {
        if (a_fine_riga(c))
            vai_a_capo(c);
        if (!riga_utile(c, '#') || !intero(c, &d))
            return errore(l, riga, "nOFF without its dimension");
    }
    if (quattro)
        d++;
    if (d != 3)
        return errore(l, riga, "a %lld-dimensional OFF file: only 3-D objects are shown", d);
    return true;
}

static bool leggi_conteggi(Lettura &l, Cursore &c, long long *nv, long long *nf)
{
    long long ne = 0;
    if (!riga_utile(c, '#'))
        return errore(l, c.riga, "the file ends before the vertex and face counts");
    const int riga = c.riga;
    if (!intero(c, nv) || !intero(c, nf))
        return errore(l, riga, "expected the vertex and face counts");
    intero(c, &ne);   // the edge count says nothing we use, and some files leave it out
    if (!a_fine_riga(c) && *c.p != '#')
        return errore(l, riga, "unexpected text after the counts");
    if (*nv < 0 || *nf < 0 || ne < 0)
        return errore(l, riga, "negative count");
    if (*nv > MAX_PUNTI)
        return errore(l, riga, "%lld vertices, more than the %d a polyhedron holds", *nv, MAX_PUNTI);
    if (*nf > MAX_FACCE)
        return errore(l, riga, "%lld faces, more than the %d a polyhedron holds", *nf, MAX_FACCE);
    vai_a_capo(c);
    return true;
}

static bool leggi_testo(Lettura &l, Cursore &c, const Intestazione &h)
{
    long long nv, nf;
    if (!leggi_conteggi(l, c, &nv, &nf))
        return false;
    Maglia &m = *l.maglia;
    const int fissi = 3 + (h.n ? 3 : 0) + (h.st ? 2 : 0);
    for (long long i = 0; i < nv; i++) {
        if (!riga_utile(c, '#'))
            return errore(l, c.riga, "the file ends after %lld of its %lld vertices", i, nv);
        const int riga = c.riga;
        double v[MAX_NUMERI_PUNTO];
        int n;
        if (!numeri_riga(l, c, v, MAX_NUMERI_PUNTO, &n))
            return false;
        const bool giusto = h.c ? (n == fissi + 3 || n == fissi + 4) : n == fissi;
        if (!giusto)
            return errore(l, riga, "%d numbers for a vertex, expected %d%s", n,
                          h.c ? fissi + 3 : fissi, h.c ? " or one more (RGBA)" : "");
        PuntoLetto *p = aggiungi_punto(l, riga, 0, v);
        if (!p)
            return false;
        if (h.n) {
            if (!controlla_normale(l, riga, 0, v + 3))
                return false;
            std::memcpy(p->normale, v + 3, sizeof p->normale);
        }
        if (h.c && !converti_colore(l, riga, 0, v + 3 + (h.n ? 3 : 0), p->colore))
            return false;
        vai_a_capo(c);
    }
    m.normali = h.n;
    m.colori_punti = h.c && nv > 0;
    static int indici[MAX_VERTICI_FACCIA];
    for (long long j = 0; j < nf; j++) {
        if (!riga_utile(c, '#'))
            return errore(l, c.riga, "the file ends after %lld of its %lld faces", j, nf);
        const int riga = c.riga;
        long long n;
        if (!intero(c, &n))
            return errore(l, riga, "expected a face's vertex count");
        if (n < 0)
            return errore(l, riga, "a face of %lld vertices", n);
        if (n > MAX_VERTICI_FACCIA)
            return errore(l, riga, "a face of %lld vertices cannot fit in %d faces of at most %d",
                          n, MAX_FACCE, MAX_VERTICI);
        for (long long k = 0; k < n; k++) {
            long long x;
            if (!intero(c, &x)) {
                if (a_fine_riga(c) || *c.p == '#')
                    return errore(l, riga, "a face of %lld vertices, but the line holds %lld indices",
                                  n, k);
                return errore(l, riga, "a vertex index is not an integer");
            }
            if (x < 0 || x >= nv)
                return errore(l, riga, "vertex index %lld is outside the %lld vertices (0 to %lld)",
                              x, nv, nv - 1);
            indici[k] = (int)x;
        }
        double colore[MAX_NUMERI_PUNTO];
        int nc;
        if (!numeri_riga(l, c, colore, 4, &nc))
            return false;
        float rgb[3];
        if (nc == 2)
            return errore(l, riga, "2 numbers after the indices: a colour has 1, 3 or 4");
        if (nc >= 3 && !converti_colore(l, riga, 0, colore, rgb))
            return false;
        if (!aggiungi_faccia(l, riga, 0, indici, (int)n, 0, nc >= 3 ? rgb : nullptr))
            return false;
        vai_a_capo(c);
    }
    if (riga_utile(c, '#'))
        return errore(l, c.riga, "more data after the %lld faces the header declares", nf);
    return true;
}

// Binary: all big-endian; the cursor sits on the byte after the header line.
static bool leggi_binario(Lettura &l, size_t inizio, const Intestazione &h)
{
    const char *d = l.dati;
    const size_t fine = l.dimensione;
    size_t q = inizio;
    if (fine - q < 12)
        return errore_byte(l, q, "the file ends before the vertex, face and edge counts");
    const int32_t nv = (int32_t)u32_be(d + q), nf = (int32_t)u32_be(d + q + 4),
                  ne = (int32_t)u32_be(d + q + 8);
    if (nv < 0 || nf < 0 || ne < 0)
        return errore_byte(l, q, "negative count");
    if (nv > MAX_PUNTI)
        return errore_byte(l, q, "%d vertices, more than the %d a polyhedron holds", nv, MAX_PUNTI);
    if (nf > MAX_FACCE)
        return errore_byte(l, q + 4, "%d faces, more than the %d a polyhedron holds", nf, MAX_FACCE);
    q += 12;
    const size_t numeri = 3 + (h.n ? 3 : 0) + (h.c ? 4 : 0) + (h.st ? 2 : 0);
    if ((fine - q) / (4 * numeri) < (size_t)nv)
        return errore_byte(l, fine, "the file ends within its %d vertices", nv);
    Maglia &m = *l.maglia;
    for (int i = 0; i < nv; i++, q += 4 * numeri) {
        double v[MAX_NUMERI_PUNTO];
        for (size_t k = 0; k < numeri; k++)
            v[k] = f32_be(d + q + 4 * k);
        PuntoLetto *p = aggiungi_punto(l, -1, q, v);
        if (!p)
            return false;
        if (h.n) {
            if (!controlla_normale(l, -1, q, v + 3))
                return false;
            std::memcpy(p->normale, v + 3, sizeof p->normale);
        }
        if (h.c && !converti_colore(l, -1, q, v + 3 + (h.n ? 3 : 0), p->colore))
            return false;
    }
    m.normali = h.n;
    m.colori_punti = h.c && nv > 0;
    static int indici[MAX_VERTICI_FACCIA];
    for (int j = 0; j < nf; j++) {
        const size_t faccia = q;
        if (fine - q < 4)
            return errore_byte(l, q, "the file ends after %d of its %d faces", j, nf);
        const int32_t n = (int32_t)u32_be(d + q);
        q += 4;
        if (n < 0)
            return errore_byte(l, faccia, "a face of %d vertices", n);
        if (n > MAX_VERTICI_FACCIA)
            return errore_byte(l, faccia, "a face of %d vertices cannot fit in %d faces of at most %d",
                               n, MAX_FACCE, MAX_VERTICI);
        if ((fine - q) / 4 < (size_t)n + 1)
            return errore_byte(l, faccia, "the file ends within a face of %d vertices", n);
        for (int k = 0; k < n; k++, q += 4) {
            const int32_t x = (int32_t)u32_be(d + q);
            if (x < 0 || x >= nv)
                return errore_byte(l, q, "vertex index %d is outside the %d vertices (0 to %d)", x,
                                   nv, nv - 1);
            indici[k] = x;
        }
        const int32_t nc = (int32_t)u32_be(d + q);
        q += 4;
        if (nc < 0 || nc > 4 || nc == 2)
            return errore_byte(l, q - 4, "%d colour components: a face has 0, 1, 3 or 4", nc);
        if ((fine - q) / 4 < (size_t)nc)
            return errore_byte(l, q, "the file ends within a face's colour");
        double colore[4];
        for (int k = 0; k < nc; k++)
            colore[k] = f32_be(d + q + 4 * k);
        q += 4 * (size_t)nc;
        float rgb[3];
        if (nc >= 3 && !converti_colore(l, -1, faccia, colore, rgb))
            return false;
        if (!aggiungi_faccia(l, -1, faccia, indici, n, 0, nc >= 3 ? rgb : nullptr))
            return false;
    }
    if (q != fine)
        return errore_byte(l, q, "%zu bytes after the %d faces the header declares", fine - q, nf);
    return true;
}

bool leggi_off(Lettura &l)
{
    // The header is text in both forms; a binary body may hold any byte.
    Cursore c = cursore(l);
    if (!riga_utile(c, '#'))
        return errore(l, c.riga, "no OFF keyword and no counts");
    const char *a_capo = static_cast<const char *>(std::memchr(c.p, '\n', l.dimensione - (c.p - l.dati)));
    const size_t fine_testa = a_capo ? (size_t)(a_capo - l.dati) : l.dimensione;
    for (size_t i = 0; i < fine_testa; i++) {
        const unsigned char b = (unsigned char)l.dati[i];
        if (b < 32 && b != '\t' && b != '\r' && b != '\v' && b != '\f' && b != '\n') {
            int riga = 1;
            for (size_t k = 0; k < i; k++)
                riga += l.dati[k] == '\n';
            return errore(l, riga, "binary data (byte 0x%02x) in a text file", b);
        }
    }
    Intestazione h;
    if (!leggi_intestazione(l, c, &h))
        return false;
    if (h.binario)
        return leggi_binario(l, (size_t)(c.p - l.dati), h);
    if (!testo_pulito(l))
        return false;
    return leggi_testo(l, c, h);
}
