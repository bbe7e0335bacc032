// off.cpp: OFF in its 3-D variants, text and binary.
//
// Keyword [ST][C][N][4][n]OFF [BINARY], or none when the file starts with
// its counts. Each vertex: x y z, then nx ny nz with N, a colour (3 or 4
// components) with C, s t with ST. Each face: its vertex count, the indices,
// then nothing, a colour-map index (ignored) or an RGB(A) colour. Text is
// read line by line, so that a face can be checked against what its line
// holds; '#' starts a comment anywhere, also right after a number, and
// lines after the declared faces are read past. The binary form has the same fields
// as big-endian 32-bit ints and floats, and always four colour components.
#include <cstring>

#include "text/lettura.h"

namespace {

struct Intestazione {
    PrefissiOff prefissi;           // of the keyword; all false without one
    bool binario;
};

// Numbers a vertex line may hold at most: 3 + 3 + 4 + 2.
constexpr int MAX_NUMERI_PUNTO = 12;

}  // namespace

bool parola_off(const char *p, size_t n, PrefissiOff *h)
{
    PrefissiOff t{};
    size_t i = 0;
    if (n >= 2 && p[0] == 'S' && p[1] == 'T') {
        t.st = true;
        i = 2;
    }
    if (i < n && p[i] == 'C') { t.c = true; i++; }
    if (i < n && p[i] == 'N') { t.n = true; i++; }
    if (i < n && p[i] == '4') { t.quattro = true; i++; }
    if (i < n && p[i] == 'n') { t.dimensione = true; i++; }
    if (n - i != 3 || std::memcmp(p + i, "OFF", 3) != 0)
        return false;
    if (h)
        *h = t;
    return true;
}

static bool leggi_intestazione(Lettura &l, Cursore &c, Intestazione *h)
{
    *h = Intestazione{};
    const char *p;
    size_t k;
    Cursore prima = c;
    if (!parola(c, &p, &k))
        return errore(l, in_riga(c.riga), "no OFF keyword and no counts");
    if (!parola_off(p, k, &h->prefissi)) {
        // No keyword: the counts come first.
        h->prefissi = PrefissiOff{};
        c = prima;
        return true;
    }
    const bool quattro = h->prefissi.quattro, dimensione = h->prefissi.dimensione;
    if (parola_uguale(c, "BINARY"))
        h->binario = true;
    if (!dimensione && quattro)
        return errore(l, in_riga(c.riga), "4OFF is 4-dimensional: only 3-D objects are shown");
    if (!dimensione) {
        if (h->binario) {
            if (!a_fine_riga(c))
                return errore(l, in_riga(c.riga), "unexpected text after OFF BINARY");
            vai_a_capo(c);
        }
        return true;
    }
    // nOFF: the dimension follows, as text or, in the binary form, as an int.
    long long d;
    const int riga = c.riga;
    if (h->binario) {
        if (!a_fine_riga(c))
            return errore(l, in_riga(riga), "unexpected text after OFF BINARY");
        vai_a_capo(c);
        if (l.dimensione - byte_letti(l, c) < 4)
            return errore(l, in_riga(riga), "nOFF without its dimension");
        d = (int32_t)u32_be(c.p);
        c.p += 4;
    } else {
        if (a_fine_riga(c))
            vai_a_capo(c);
        if (!riga_utile(c, '#') || !intero(c, &d))
            return errore(l, in_riga(riga), "nOFF without its dimension");
    }
    if (quattro)
        d++;
    if (d != 3)
        return errore(l, in_riga(riga), "a %lld-dimensional OFF file: only 3-D objects are shown", d);
    return true;
}

static bool leggi_conteggi(Lettura &l, Cursore &c, long long *nv, long long *nf)
{
    long long ne = 0;
    if (!riga_utile(c, '#'))
        return errore(l, in_riga(c.riga), "the file ends before the vertex and face counts");
    const Luogo riga = in_riga(c.riga);
    if (!intero(c, nv) || !intero(c, nf))
        return errore(l, riga, "expected the vertex and face counts");
    intero(c, &ne);   // the edge count says nothing we use, and some files leave it out
    if (!a_fine_riga(c))
        return errore(l, riga, "unexpected text after the counts");
    if (*nv < 0 || *nf < 0 || ne < 0)
        return errore(l, riga, "negative count");
    vai_a_capo(c);
    return true;
}

// A vertex from its numbers: position, then normal and colour as the header
// says.
static bool metti_punto(Lettura &l, Luogo dove, const PrefissiOff &h, const double *v)
{
    PuntoLetto *p = aggiungi_punto(l, dove, v);
    if (!p)
        return false;
    if (h.n) {
        if (!controlla_normale(l, dove, v + 3))
            return false;
        std::memcpy(p->normale, v + 3, sizeof p->normale);
    }
    return !h.c || converti_colore(l, dove, v + 3 + (h.n ? 3 : 0), p->colore);
}

// A face from its indices and the nc numbers after them: a colour when
// there are 3 or 4, a colour-map index (ignored) when 1.
static bool metti_faccia(Lettura &l, Luogo dove, const int *indici, int n, const double *colore,
                         int nc)
{
    float rgb[3];
    if (nc >= 3 && !converti_colore(l, dove, colore, rgb))
        return false;
    return aggiungi_faccia(l, dove, indici, n, 0, nc >= 3 ? rgb : nullptr);
}

// The shortest lines: "0 0 0" and "3 0 1 2", each with its line break.
constexpr size_t RIGA_PUNTO_MINIMA = 6;
constexpr size_t RIGA_FACCIA_MINIMA = 8;

static bool leggi_testo(Lettura &l, Cursore &c, const Intestazione &h)
{
    long long nv, nf;
    if (!leggi_conteggi(l, c, &nv, &nf))
        return false;
    const PrefissiOff &x = h.prefissi;
    const int fissi = 3 + (x.n ? 3 : 0) + (x.st ? 2 : 0);
    riserva_punti(l, nv, byte_letti(l, c), RIGA_PUNTO_MINIMA);
    for (long long i = 0; i < nv; i++) {
        if (!riga_utile(c, '#'))
            return errore(l, in_riga(c.riga), "the file ends after %lld of its %lld vertices", i,
                          nv);
        const Luogo riga = in_riga(c.riga);
        double v[MAX_NUMERI_PUNTO];
        int n;
        if (!numeri(l, c, v, MAX_NUMERI_PUNTO, &n, "on a vertex line", false, a_fine_riga))
            return false;
        const bool giusto = x.c ? (n == fissi + 3 || n == fissi + 4) : n == fissi;
        if (!giusto)
            return errore(l, riga, "%d numbers for a vertex, expected %d%s", n,
                          x.c ? fissi + 3 : fissi, x.c ? " or one more (RGBA)" : "");
        if (!metti_punto(l, riga, x, v))
            return false;
        vai_a_capo(c);
    }
    riserva_facce(l, nf, byte_letti(l, c), RIGA_FACCIA_MINIMA, 3);
    for (long long j = 0; j < nf; j++) {
        if (!riga_utile(c, '#'))
            return errore(l, in_riga(c.riga), "the file ends after %lld of its %lld faces", j, nf);
        const Luogo riga = in_riga(c.riga);
        long long n;
        if (!intero(c, &n))
            return errore(l, riga, "expected a face's vertex count");
        if (n < 0)
            return errore(l, riga, "a face of %lld vertices", n);
        l.indici.clear();
        for (long long k = 0; k < n; k++) {
            long long x;
            if (!intero(c, &x)) {
                if (a_fine_riga(c))
                    return errore(l, riga, "a face of %lld vertices, but the line holds %lld indices",
                                  n, k);
                return errore(l, riga, "a vertex index is not an integer");
            }
            if (x < 0 || x >= nv)
                return errore(l, riga, "vertex index %lld is outside the %lld vertices (0 to %lld)",
                              x, nv, nv - 1);
            l.indici.push_back((int)x);
        }
        double colore[4];
        int nc;
        if (!numeri(l, c, colore, 4, &nc, "after the indices", false, a_fine_riga))
            return false;
        if (nc == 2)
            return errore(l, riga, "2 numbers after the indices: a colour has 1, 3 or 4");
        if (!metti_faccia(l, riga, l.indici.data(), (int)n, colore, nc))
            return false;
        vai_a_capo(c);
    }
    // Whatever follows the declared faces is not ours: other programs'
    // additions, which other readers pass over too.
    return true;
}

// The shortest binary face: its count, three indices and its colour count.
constexpr size_t FACCIA_BINARIA_MINIMA = 5 * 4;

// Binary: all big-endian; the cursor sits on the byte after the header line.
static bool leggi_binario(Lettura &l, size_t inizio, const Intestazione &h)
{
    const char *d = l.dati;
    const size_t fine = l.dimensione;
    size_t q = inizio;
    if (fine - q < 12)
        return errore(l, al_byte(q), "the file ends before the vertex, face and edge counts");
    const int32_t nv = (int32_t)u32_be(d + q), nf = (int32_t)u32_be(d + q + 4),
                  ne = (int32_t)u32_be(d + q + 8);
    if (nv < 0 || nf < 0 || ne < 0)
        return errore(l, al_byte(q), "negative count");
    q += 12;
    const PrefissiOff &x = h.prefissi;
    const size_t numeri = 3 + (x.n ? 3 : 0) + (x.c ? 4 : 0) + (x.st ? 2 : 0);
    if ((fine - q) / (4 * numeri) < (size_t)nv)
        return errore(l, al_byte(fine), "the file ends within its %d vertices", nv);
    l.maglia->punti.reserve((size_t)nv);
    for (int i = 0; i < nv; i++, q += 4 * numeri) {
        double v[MAX_NUMERI_PUNTO];
        for (size_t k = 0; k < numeri; k++)
            v[k] = f32_be(d + q + 4 * k);
        if (!metti_punto(l, al_byte(q), x, v))
            return false;
    }
    riserva_facce(l, nf, q, FACCIA_BINARIA_MINIMA, 3);
    for (int j = 0; j < nf; j++) {
        const size_t faccia = q;
        if (fine - q < 4)
            return errore(l, al_byte(q), "the file ends after %d of its %d faces", j, nf);
        const int32_t n = (int32_t)u32_be(d + q);
        q += 4;
        if (n < 0)
            return errore(l, al_byte(faccia), "a face of %d vertices", n);
        if ((fine - q) / 4 < (size_t)n + 1)
            return errore(l, al_byte(faccia), "the file ends within a face of %d vertices", n);
        l.indici.resize((size_t)n);
        for (int k = 0; k < n; k++, q += 4) {
            const int32_t x = (int32_t)u32_be(d + q);
            if (x < 0 || x >= nv)
                return errore(l, al_byte(q), "vertex index %d is outside the %d vertices (0 to %d)",
                              x, nv, nv - 1);
            l.indici[(size_t)k] = x;
        }
        const int32_t nc = (int32_t)u32_be(d + q);
        q += 4;
        if (nc < 0 || nc > 4 || nc == 2)
            return errore(l, al_byte(q - 4), "%d colour components: a face has 0, 1, 3 or 4", nc);
        if ((fine - q) / 4 < (size_t)nc)
            return errore(l, al_byte(q), "the file ends within a face's colour");
        double colore[4];
        for (int k = 0; k < nc; k++)
            colore[k] = f32_be(d + q + 4 * k);
        q += 4 * (size_t)nc;
        if (!metti_faccia(l, al_byte(faccia), l.indici.data(), n, colore, nc))
            return false;
    }
    if (q != fine)
        return errore(l, al_byte(q), "%zu bytes after the %d faces the header declares", fine - q,
                      nf);
    return true;
}

bool leggi_off(Lettura &l)
{
    // The keyword's line is text in both forms; a binary body may hold any
    // byte, a text one none.
    Cursore &c = l.c;
    c.commento = '#';
    if (!riga_utile(c, '#'))
        return errore(l, in_riga(c.riga), "no OFF keyword and no counts");
    Intestazione h;
    if (!riga_pulita(l, c) || !leggi_intestazione(l, c, &h))
        return false;
    const bool letto = h.binario ? leggi_binario(l, byte_letti(l, c), h)
                                 : testo_pulito(l) && leggi_testo(l, c, h);
    l.maglia->normali = h.prefissi.n;
    l.maglia->colori_punti = h.prefissi.c && !l.maglia->punti.empty();
    return letto;
}
