// obj.cpp: Wavefront OBJ into a Maglia.
//
// Only v, vn and f shape the polyhedron; every other statement (texture
// coordinates, groups, objects, materials, smoothing groups, lines, curves)
// is passed over, and no other file is ever opened. All objects and groups
// form one polyhedron. A '\' ending a line joins the next one to it; a '#'
// ends a statement.
//
// The file is read twice when every face corner names a normal: the first
// pass checks everything and builds flat faces; the second rebuilds the faces
// so that each vertex carries one normal, appending a copy of a vertex for
// each further normal it is used with. The v vertices keep their file order
// at 0..nv-1 either way, so the OBJ that superficie-export writes reads back
// to the same vertices.
#include "text/lettura.h"

#include <cstring>
#include <unordered_map>
#include <vector>

// Spaces and line continuations.
static void salta(Cursore &c)
{
    for (;;) {
        salta_spazi(c);
        if (*c.p != '\\')
            return;
        const char *q = c.p + 1;
        while (spazio(*q))
            q++;
        if (*q != '\n' && *q != '\0')
            return;   // a backslash within the line is part of a word
        c.p = q;
        vai_a_capo(c);
    }
}

// The statement has no more words: end of line, of file, or a comment.
static bool fine(Cursore &c)
{
    salta(c);
    return *c.p == '\n' || *c.p == '\0' || *c.p == '#';
}

static void prossima_istruzione(Cursore &c)
{
    const char *p = nullptr;
    size_t n = 0;
    while (!fine(c))
        parola(c, &p, &n);
    vai_a_capo(c);
}

namespace {

// A vertex with one more normal: the vertex of the file and that normal.
struct Chiave {
    int v;
    double n[3];
    bool operator==(const Chiave &o) const
    {
        return v == o.v && n[0] == o.n[0] && n[1] == o.n[1] && n[2] == o.n[2];
    }
};

struct HashChiave {
    size_t operator()(const Chiave &k) const
    {
        return (size_t)hash_numeri(k.n, 3, (uint64_t)k.v * 0x9e3779b97f4a7c15ull);
    }
};

struct Obj {
    std::vector<double> normali;        // 3 per vn, in file order
    int colorati = 0;                   // v with a colour
    int angoli = 0;                     // corners of faces of 3 or more
    bool senza_normale = false;         // some such corner names no vn
    // Second pass: the normal each v took first, and the copies for the others.
    std::vector<char> assegnato;
    std::unordered_map<Chiave, int, HashChiave> copie;
};

} // namespace

static bool leggi_vertice(Lettura &l, Cursore &c, Obj &s)
{
    const int riga = c.riga;
    double x[6];
    int n;
    if (!numeri(l, c, x, 6, &n, "in a vertex", true, fine))
        return false;
    // x y z, x y z w (a weight, meaningless for a polygon), x y z r g b
    if (n != 3 && n != 4 && n != 6)
        return errore(l, in_riga(riga),
                      "a vertex of %d numbers: reads x y z, x y z w or x y z r g b", n);
    PuntoLetto *p = aggiungi_punto(l, in_riga(riga), x);
    if (!p)
        return false;
    if (n == 6) {
        if (!converti_colore(l, in_riga(riga), x + 3, p->colore))
            return false;
        s.colorati++;
    }
    return true;
}

static bool leggi_normale(Lettura &l, Cursore &c, Obj &s)
{
    const int riga = c.riga;
    double x[3];
    int n;
    if (!numeri(l, c, x, 3, &n, "in a vertex normal", true, fine))
        return false;
    if (n != 3)
        return errore(l, in_riga(riga), "a vertex normal of %d numbers: reads x y z", n);
    if (!controlla_normale(l, in_riga(riga), x))
        return false;
    s.normali.insert(s.normali.end(), x, x + 3);
    return true;
}

// An index as the file writes it, optional sign and digits, from p within
// the corner's token, which ends before `fine`. The digits may run to `fine`
// and no further: the token ends at whitespace, which is no digit.
static bool indice(const char *&p, const char *fine, long long *v)
{
    const char *q = p;
    const bool meno = q < fine && *q == '-';
    if (q < fine && (*q == '-' || *q == '+'))
        q++;
    const char *dopo = cifre(q, v);
    if (dopo == q)
        return false;
    if (meno)
        *v = -*v;
    p = dopo;
    return true;
}

// The index x (written as testo[0..n)) among the `definiti` so far, 0-based.
static bool risolvi(Lettura &l, int riga, long long x, const char *testo, size_t n, int definiti,
                    const char *che, const char *plurale, int *indice)
{
    if (x == 0)
        return errore(l, in_riga(riga), "%s index 0: OBJ counts from 1", che);
    if (x > definiti)
        return errore(l, in_riga(riga), "%s index %s is beyond the %d %s defined so far", che,
                      citato(testo, n).c_str(), definiti, plurale);
    if (-x > definiti)
        return errore(l, in_riga(riga),
                      "%s index %s reaches before the first of the %d %s defined so far", che,
                      citato(testo, n).c_str(), definiti, plurale);
    *indice = (int)(x > 0 ? x - 1 : definiti + x);
    return true;
}

// One corner: v, v/vt, v//vn or v/vt/vn. *vn is -1 without a normal.
// Texture coordinates are not used: their index only has to be a number.
// Some printers' models write every corner as v/, an empty texture index
// and no normal: that slash alone may end a corner.
static bool leggi_angolo(Lettura &l, Cursore &c, int nv, int nn, int *v, int *vn)
{
    const int riga = c.riga;
    const char *inizio = c.p;
    size_t n = 0;
    parola(c, &inizio, &n);
    const char *fine = inizio + n, *p = inizio;
    long long iv, it, in = 0;
    const char *testo_normale = nullptr;
    bool ok = indice(p, fine, &iv);
    const size_t lunghezza_v = (size_t)(p - inizio);
    if (ok && p < fine) {
        ok = *p++ == '/';
        if (ok && p < fine && *p != '/')
            ok = indice(p, fine, &it);
        if (ok && p < fine) {
            ok = *p++ == '/';
            testo_normale = p;
            ok = ok && indice(p, fine, &in);
        }
        ok = ok && p == fine && (fine[-1] != '/' || p == inizio + lunghezza_v + 1);
    }
    if (!ok)
        return errore(l, in_riga(riga), "'%s' is not a face corner (v, v/vt, v//vn or v/vt/vn)",
                      citato(inizio, n).c_str());
    if (!risolvi(l, riga, iv, inizio, lunghezza_v, nv, "vertex", "vertices", v))
        return false;
    *vn = -1;
    return !testo_normale || risolvi(l, riga, in, testo_normale, (size_t)(fine - testo_normale),
                                     nn, "normal", "normals", vn);
}

// The vertex at v's position with normal n: v itself if n is its first
// normal, otherwise its copy for n, made on first use.
static int con_normale(Lettura &l, Obj &s, int riga, int v, const double *n)
{
    Maglia &m = *l.maglia;
    if (!s.assegnato[v]) {
        PuntoLetto &p = m.punti[v];
        s.assegnato[v] = 1;
        std::memcpy(p.normale, n, sizeof p.normale);
        return v;
    }
    const PuntoLetto p = m.punti[v];   // a copy: adding a vertex may move them all
    if (p.normale[0] == n[0] && p.normale[1] == n[1] && p.normale[2] == n[2])
        return v;
    const Chiave k{v, {n[0], n[1], n[2]}};
    const auto trovata = s.copie.find(k);
    if (trovata != s.copie.end())
        return trovata->second;
    PuntoLetto *q = aggiungi_punto(l, in_riga(riga), p.pos);
    if (!q)
        return -1;
    std::memcpy(q->colore, p.colore, sizeof q->colore);
    std::memcpy(q->normale, n, sizeof q->normale);
    const int i = (int)m.punti.size() - 1;
    s.copie.emplace(k, i);
    return i;
}

static bool leggi_faccia(Lettura &l, Cursore &c, Obj &s, int nv, int nn, bool lisce)
{
    std::vector<int> &vertici = l.indici, &normali = l.allegati;
    vertici.clear();
    normali.clear();
    const int riga = c.riga;
    int n = 0;
    bool tutte = true;
    while (!fine(c)) {
        int v, vn;
        if (!leggi_angolo(l, c, nv, nn, &v, &vn))
            return false;
        vertici.push_back(v);
        normali.push_back(vn);
        tutte = tutte && vn >= 0;
        n++;
    }
    if (n < 3)
        return true;   // a point or a segment
    if (!lisce) {
        s.angoli += n;
        s.senza_normale = s.senza_normale || !tutte;
        return aggiungi_faccia(l, in_riga(riga), vertici.data(), n, 1, nullptr);
    }
    // Repeated neighbours go as the first pass dropped them, before their
    // normals could make them different vertices.
    const int k = togli_ripetuti(vertici.data(), n, normali.data());
    for (int i = 0; i < k; i++) {
        vertici[i] = con_normale(l, s, riga, vertici[i], &s.normali[3 * (size_t)normali[i]]);
        if (vertici[i] < 0)
            return false;
    }
    return aggiungi_faccia(l, in_riga(riga), vertici.data(), k, 1, nullptr);
}

// One pass over the statements. The second (lisce) only counts v and vn,
// for relative indices, and rebuilds the faces.
static bool leggi_istruzioni(Lettura &l, Obj &s, bool lisce)
{
    Cursore &c = l.c;
    c = cursore(l);
    int nv = 0, nn = 0;
    while (riga_utile(c, '#')) {
        const char *p = c.p;
        size_t n = 0;
        parola(c, &p, &n);
        bool ok = true;
        if (uguale(p, n, "v")) {
            ok = lisce || leggi_vertice(l, c, s);
            nv++;
        } else if (uguale(p, n, "vn")) {
            ok = lisce || leggi_normale(l, c, s);
            nn++;
        } else if (uguale(p, n, "f")) {
            ok = leggi_faccia(l, c, s, nv, nn, lisce);
        }
        if (!ok)
            return false;
        prossima_istruzione(c);
    }
    return true;
}

bool leggi_obj(Lettura &l)
{
    if (!testo_pulito(l))
        return false;
    Obj s;
    if (!leggi_istruzioni(l, s, false))
        return false;
    Maglia &m = *l.maglia;
    m.colori_punti = !m.punti.empty() && (size_t)s.colorati == m.punti.size();
    if (s.angoli == 0 || s.senza_normale)
        return true;
    s.assegnato.assign(m.punti.size(), 0);
    m.facce.clear();
    m.angoli.clear();
    if (!leggi_istruzioni(l, s, true))
        return false;
    m.normali = 1;
    return true;
}
