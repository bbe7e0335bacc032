// adatta.cpp: fitting a large mesh to the store (see adatta.h).
#include "mesh/adatta.h"
#include "mesh/unione.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

// Above this many times the target, a sloppy pass first brings the mesh to
// PRIMA_SLOPPY times the target, and meshopt_simplify takes it from there.
// Measured on the bumpy sphere of 1.3 M triangles: 0.42 s of processor
// instead of 1.35 s, and the same shape (Hausdorff distance 0.095 % of the
// diagonal against 0.104 %); at twice the target the distance grows to
// 0.18 %, so five times it is.
constexpr size_t SOGLIA_SLOPPY = 10;
constexpr size_t PRIMA_SLOPPY = 5;

// meshopt_simplify and the sloppy pass may move the surface this far,
// relative to its extent: as far as the target needs.
constexpr float ERRORE_LIBERO = 1.0f;

// Passes of further simplification while too many vertices remain; each
// asks for fewer triangles in proportion, so a few are always enough, and
// the last resort below ends it in any case.
constexpr int PASSI_MASSIMI = 12;

using Indici = std::vector<unsigned int>;

// What makes two vertices one: position, and the normal and colour where the
// mesh has them.
static uint64_t chiave(const Maglia &m, const PuntoLetto &p)
{
    uint64_t h = hash_numeri(p.pos, 3, 0);
    if (m.normali)
        h = hash_numeri(p.normale, 3, h);
    if (m.colori_punti) {
        const double c[3] = {p.colore[0], p.colore[1], p.colore[2]};
        h = hash_numeri(c, 3, h);
    }
    return h;
}

static bool stesso(const Maglia &m, const PuntoLetto &a, const PuntoLetto &b)
{
    for (int k = 0; k < 3; k++) {
        if (a.pos[k] != b.pos[k])
            return false;
        if (m.normali && a.normale[k] != b.normale[k])
            return false;
        if (m.colori_punti && a.colore[k] != b.colore[k])
            return false;
    }
    return true;
}

// uno[i]: the merged vertex of m.punti[i]; primo[u]: the first of the file's
// vertices that merged into u. Merged vertices are numbered in file order.
static void unisci(const Maglia &m, std::vector<unsigned int> &uno, std::vector<int> &primo)
{
    const size_t n = m.punti.size();
    if (m.saldata) {
        // Welded as it was read: every vertex is its own, and a second weld
        // would only miss the cache once per vertex.
        uno.resize(n);
        primo.resize(n);
        std::iota(uno.begin(), uno.end(), 0u);
        std::iota(primo.begin(), primo.end(), 0);
        return;
    }
    Unione u;
    prepara_unione(u, n);
    uno.resize(n);
    primo.clear();
    for (size_t i = 0; i < n; i++) {
        const PuntoLetto &p = m.punti[i];
        const uint64_t h = chiave(m, p);
        size_t posto = 0;
        const int v = cerca(u, h, [&](int j) { return stesso(m, m.punti[(size_t)primo[(size_t)j]], p); },
                            &posto);
        if (v >= 0) {
            uno[i] = (unsigned int)v;
            continue;
        }
        uno[i] = (unsigned int)primo.size();
        metti(u, posto, h, (int)primo.size());
        primo.push_back((int)i);
    }
}

static const double *posizione(const Maglia &m, const std::vector<int> &primo, unsigned int v)
{
    return m.punti[primo[v]].pos;
}

// Twice the area of a, b, c squared, or 0 when any corner does not turn:
// the store's normal comes from the first, the picture from all three.
static double area2(const double *a, const double *b, const double *c)
{
    const double xx = gira(a, b, c);
    return xx > 0.0 && gira(b, c, a) > 0.0 && gira(c, a, b) > 0.0 ? xx : 0.0;
}

// Each merged vertex's share of coloured faces about it, and their mean
// colour: how face colours reach the vertices.
struct ColoreVertice {
    float somma[3];
    int colorate, tutte;
};

struct Fitto {
    const Maglia &m;
    std::vector<int> primo;         // merged vertex -> first file vertex
    std::vector<float> xyz;         // merged vertices for meshoptimizer, within -1..1
    Indici tri, altro;              // triangles, and room for meshoptimizer's result
    bool colori_facce;              // the faces' colours go through the vertices
    std::vector<ColoreVertice> colori;  // of each merged vertex, with colori_facce
    unsigned int riserva[3];        // the last resort's last resort
};

static size_t numero_triangoli(const Fitto &f) { return f.tri.size() / 3; }

// meshoptimizer's result in altro becomes tri; altro keeps its room for the next.
static void prendi(Fitto &f, size_t indici)
{
    f.altro.resize(indici);
    f.tri.swap(f.altro);
}

// meshoptimizer works on every vertex it is given, used or not: after a
// sloppy pass has kept a few of a million, fn runs on those alone, on
// f.tri numbered 0..n-1 and their n positions, and f.tri is numbered back.
template <class Fn>
static void sui_vertici_usati(Fitto &f, Fn fn)
{
    std::vector<unsigned int> riordino(f.primo.size());
    const size_t n =
        meshopt_optimizeVertexFetchRemap(riordino.data(), f.tri.data(), f.tri.size(), f.primo.size());
    if (n == f.primo.size()) {
        std::vector<unsigned int>().swap(riordino);
        fn(f.xyz.data(), n);
        return;
    }
    std::vector<unsigned int> globale(n);
    std::vector<float> xyz(3 * n);
    for (size_t v = 0; v < f.primo.size(); v++)
        if (riordino[v] != ~0u) {
            globale[riordino[v]] = (unsigned int)v;
            std::copy(&f.xyz[3 * v], &f.xyz[3 * v + 3], &xyz[3 * riordino[v]]);
        }
    for (unsigned int &i : f.tri)
        i = riordino[i];
    fn(xyz.data(), n);
    for (unsigned int &i : f.tri)
        i = globale[i];
}

static void semplifica(Fitto &f, size_t bersaglio, float errore)
{
    sui_vertici_usati(f, [&](const float *xyz, size_t n) {
        f.altro.resize(f.tri.size());
        prendi(f, meshopt_simplify(f.altro.data(), f.tri.data(), f.tri.size(), xyz, n,
                                   3 * sizeof(float), 3 * bersaglio, errore, 0, nullptr));
    });
}

// The sloppy pass down to at most bersaglio triangles. It may give none at
// all when the target is very small: then it is asked for more, and what
// comes out over the target is left to the last resort.
static void semplifica_sloppy(Fitto &f, size_t bersaglio)
{
    sui_vertici_usati(f, [&](const float *xyz, size_t n) {
        f.altro.resize(f.tri.size());
        for (size_t b = bersaglio; b < numero_triangoli(f); b *= 2) {
            const size_t k = meshopt_simplifySloppy(f.altro.data(), f.tri.data(), f.tri.size(),
                                                    xyz, n, 3 * sizeof(float), 3 * b,
                                                    ERRORE_LIBERO, nullptr);
            if (k > 0) {
                prendi(f, k);
                return;
            }
        }
    });
}

static void togli_degeneri(Fitto &f)
{
    size_t k = 0;
    for (size_t t = 0; t < f.tri.size(); t += 3) {
        const unsigned int a = f.tri[t], b = f.tri[t + 1], c = f.tri[t + 2];
        if (area2(posizione(f.m, f.primo, a), posizione(f.m, f.primo, b),
                  posizione(f.m, f.primo, c)) > 0.0) {
            f.tri[k++] = a;
            f.tri[k++] = b;
            f.tri[k++] = c;
        }
    }
    f.tri.resize(k);
}

static size_t vertici_usati(const Fitto &f, std::vector<unsigned char> &visto)
{
    visto.assign(f.primo.size(), 0);
    size_t n = 0;
    for (unsigned int v : f.tri)
        if (!visto[v]) {
            visto[v] = 1;
            n++;
        }
    return n;
}

// The last resort, for limits too small for the simplifiers: the largest
// triangles, as many as fit both limits. Always at least one when there is
// any triangle with area, since a triangle needs 3 <= max_punti vertices.
static void i_piu_grandi(Fitto &f, size_t max_punti, size_t max_facce)
{
    const size_t n = numero_triangoli(f);
    std::vector<std::pair<double, size_t>> ordine(n);
    for (size_t t = 0; t < n; t++)
        ordine[t] = {area2(posizione(f.m, f.primo, f.tri[3 * t]),
                           posizione(f.m, f.primo, f.tri[3 * t + 1]),
                           posizione(f.m, f.primo, f.tri[3 * t + 2])),
                     t};
    // Larger first, and the earlier of two alike, so the choice is the same
    // every time.
    std::sort(ordine.begin(), ordine.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::vector<unsigned char> visto(f.primo.size(), 0);
    size_t punti = 0;
    Indici scelti;
    for (const auto &o : ordine) {
        if (o.first <= 0.0 || scelti.size() / 3 >= max_facce)
            break;
        const unsigned int *v = &f.tri[3 * o.second];
        size_t nuovi = 0;
        for (int k = 0; k < 3; k++)
            nuovi += !visto[v[k]];
        if (punti + nuovi > max_punti)
            continue;
        for (int k = 0; k < 3; k++) {
            punti += !visto[v[k]];
            visto[v[k]] = 1;
            scelti.push_back(v[k]);
        }
    }
    f.tri.swap(scelti);
}

// The file's faces as fans of merged vertices, turning as they did.
static void in_triangoli(const Maglia &m, const std::vector<unsigned int> &uno, Indici &tri)
{
    size_t n = 0;
    for (const FacciaLetta &fa : m.facce)
        n += 3 * (size_t)(fa.numvertici - 2);
    tri.reserve(n);
    for (const FacciaLetta &fa : m.facce) {
        const int *a = &m.angoli[fa.primo];
        const unsigned int v0 = uno[a[0]];
        for (int k = 1; k + 1 < fa.numvertici; k++) {
            const unsigned int v1 = uno[a[k]], v2 = uno[a[k + 1]];
            if (v0 == v1 || v1 == v2 || v0 == v2)
                continue;
            tri.push_back(v0);
            tri.push_back(v1);
            tri.push_back(v2);
        }
    }
}

static std::vector<ColoreVertice> colori_dalle_facce(const Maglia &m,
                                                     const std::vector<unsigned int> &uno,
                                                     size_t numuniti)
{
    std::vector<ColoreVertice> c(numuniti, ColoreVertice{{0.0f, 0.0f, 0.0f}, 0, 0});
    for (const FacciaLetta &fa : m.facce)
        for (int k = 0; k < fa.numvertici; k++) {
            ColoreVertice &v = c[uno[m.angoli[fa.primo + k]]];
            v.tutte++;
            if (fa.colorata) {
                v.colorate++;
                for (int j = 0; j < 3; j++)
                    v.somma[j] += fa.colore[j];
            }
        }
    return c;
}

// Phases 1 and 2: the faces as triangles of merged vertices, and the face
// colours on those vertices.
static void unisci_in_triangoli(Fitto &f)
{
    const Maglia &m = f.m;
    std::vector<unsigned int> uno;
    unisci(m, uno, f.primo);
    in_triangoli(m, uno, f.tri);
    f.colori_facce = false;
    for (const FacciaLetta &fa : m.facce)
        f.colori_facce = f.colori_facce || fa.colorata;
    f.colori_facce = f.colori_facce && !m.colori_punti;
    if (f.colori_facce)
        f.colori = colori_dalle_facce(m, uno, f.primo.size());
}

// The last resort's last resort: the first triangle that turns, or if none
// does (a file of collinear faces), the first face's first corners as they
// are.
static void scegli_riserva(Fitto &f)
{
    for (size_t t = 0; t < f.tri.size(); t += 3)
        if (area2(posizione(f.m, f.primo, f.tri[t]), posizione(f.m, f.primo, f.tri[t + 1]),
                  posizione(f.m, f.primo, f.tri[t + 2])) > 0.0) {
            std::copy(&f.tri[t], &f.tri[t + 3], f.riserva);
            return;
        }
    const FacciaLetta &fa = f.m.facce[0];
    for (int k = 0; k < 3; k++) {
        f.riserva[k] = (unsigned int)f.primo.size();
        f.primo.push_back(f.m.angoli[fa.primo + k]);
        if (f.colori_facce) {
            f.colori.push_back(ColoreVertice{{0.0f, 0.0f, 0.0f}, 0, 1});
            if (fa.colorata) {
                f.colori.back().colorate = 1;
                std::copy(fa.colore, fa.colore + 3, f.colori.back().somma);
            }
        }
    }
}

// Positions for meshoptimizer in floats, from the middle of the box and in
// its half size, so that a mesh far from the origin keeps its detail.
// meshoptimizer 0.18 tells positions apart by their bits: -0.0 and 0.0 at
// one place would make a border there, so -0.0 becomes 0.0.
static void in_float(Fitto &f)
{
    const Maglia &m = f.m;
    double basso[3], alto[3];
    for (int k = 0; k < 3; k++)
        basso[k] = alto[k] = m.punti[0].pos[k];
    for (const PuntoLetto &p : m.punti)
        for (int k = 0; k < 3; k++) {
            basso[k] = std::min(basso[k], p.pos[k]);
            alto[k] = std::max(alto[k], p.pos[k]);
        }
    double mezzo[3], lato = 0.0;
    for (int k = 0; k < 3; k++) {
        mezzo[k] = basso[k] / 2.0 + alto[k] / 2.0;
        lato = std::max(lato, alto[k] / 2.0 - basso[k] / 2.0);
    }
    if (!(lato > 0.0))
        lato = 1.0;
    f.xyz.resize(3 * f.primo.size());
    for (size_t v = 0; v < f.primo.size(); v++)
        for (int k = 0; k < 3; k++)
            f.xyz[3 * v + k] = (float)((m.punti[f.primo[v]].pos[k] - mezzo[k]) / lato) + 0.0f;
}

// Phases 3 and 4: simplified until both limits hold, the last resort if
// they never do.
static void semplifica_fino(Fitto &f, size_t limite_punti, size_t limite_facce)
{
    // Never more than there are, so that no product below overflows (the
    // page's size_t has 32 bits).
    size_t bersaglio = std::max<size_t>(1, std::min(limite_facce, numero_triangoli(f)));
    if (numero_triangoli(f) / SOGLIA_SLOPPY > bersaglio)
        semplifica_sloppy(f, PRIMA_SLOPPY * bersaglio);
    std::vector<unsigned char> visto;
    for (int passo = 0; passo < PASSI_MASSIMI && !f.tri.empty(); passo++) {
        if (numero_triangoli(f) > bersaglio)
            semplifica(f, bersaglio, ERRORE_LIBERO);
        if (numero_triangoli(f) > bersaglio)
            semplifica_sloppy(f, bersaglio);
        togli_degeneri(f);
        const size_t usati = vertici_usati(f, visto);
        if (f.tri.empty())
            break;
        if (numero_triangoli(f) <= limite_facce && usati <= limite_punti)
            return;
        // Too many vertices for the triangles (separate pieces): fewer
        // triangles in proportion, and a tenth less to land below.
        const double quota = (double)limite_punti / (double)usati * 0.9;
        const size_t meno = (size_t)((double)std::min(bersaglio, numero_triangoli(f)) * quota);
        bersaglio = std::max<size_t>(1, std::min(meno, numero_triangoli(f) - 1));
    }
    i_piu_grandi(f, limite_punti, limite_facce);
    if (f.tri.empty())
        f.tri.assign(f.riserva, f.riserva + 3);
}

// A kept triangle's colour: the mean of its vertices' colours, or, with
// face colours, of those of its vertices that have one when most of the
// faces about its vertices were coloured.
static void colora(const Maglia &m, bool colori_facce, const std::vector<PuntoLetto> &punti,
                   const std::vector<float> &frazione, const int *a, FacciaLetta &fa)
{
    if (m.colori_punti) {
        fa.colorata = 1;
        for (int k = 0; k < 3; k++)
            fa.colore[k] = (punti[a[0]].colore[k] + punti[a[1]].colore[k] +
                            punti[a[2]].colore[k]) / 3.0f;
    } else if (colori_facce && frazione[a[0]] + frazione[a[1]] + frazione[a[2]] >= 1.5f) {
        fa.colorata = 1;
        int n = 0;
        for (int k = 0; k < 3; k++)
            if (frazione[a[k]] > 0.0f) {
                n++;
                for (int c = 0; c < 3; c++)
                    fa.colore[c] += punti[a[k]].colore[c];
            }
        for (int c = 0; c < 3; c++)
            fa.colore[c] /= (float)n;
    }
}

// Phase 4's end: the kept vertices, in the order the triangles first use
// them, and the triangles on them, into m.
static void compatta(const Fitto &f, Maglia &m)
{
    std::vector<unsigned int> nuovo(f.primo.size());
    const size_t numpunti =
        meshopt_optimizeVertexFetchRemap(nuovo.data(), f.tri.data(), f.tri.size(), f.primo.size());
    std::vector<PuntoLetto> punti(numpunti);
    std::vector<float> frazione(f.colori_facce ? numpunti : 0);
    for (size_t v = 0; v < f.primo.size(); v++) {
        if (nuovo[v] == ~0u)
            continue;
        PuntoLetto &p = punti[nuovo[v]];
        p = m.punti[f.primo[v]];
        if (f.colori_facce) {
            const ColoreVertice &c = f.colori[v];
            for (int k = 0; k < 3; k++)
                p.colore[k] = c.colorate > 0 ? c.somma[k] / (float)c.colorate : 0.0f;
            frazione[nuovo[v]] = (float)c.colorate / (float)c.tutte;
        }
    }
    const size_t numfacce = numero_triangoli(f);
    std::vector<int> angoli(3 * numfacce);
    std::vector<FacciaLetta> facce(numfacce, FacciaLetta{0, 3, {0.0f, 0.0f, 0.0f}, 0});
    for (size_t j = 0; j < numfacce; j++) {
        facce[j].primo = (int)(3 * j);
        for (int k = 0; k < 3; k++)
            angoli[3 * j + k] = (int)nuovo[f.tri[3 * j + k]];
        colora(m, f.colori_facce, punti, frazione, &angoli[3 * j], facce[j]);
    }
    m.punti.swap(punti);
    m.angoli.swap(angoli);
    m.facce.swap(facce);
    m.saldata = 0;
}

bool adatta_maglia(Maglia &m, int max_punti, int max_facce)
{
    if (m.punti.size() <= (size_t)std::max(max_punti, 0) &&
        m.facce.size() <= (size_t)std::max(max_facce, 0))
        return false;
    Fitto f{m, {}, {}, {}, {}, false, {}, {0, 0, 0}};
    unisci_in_triangoli(f);
    scegli_riserva(f);
    // From here on the triangles stand for the faces: their room goes back
    // before meshoptimizer takes its own.
    std::vector<int>().swap(m.angoli);
    std::vector<FacciaLetta>().swap(m.facce);
    in_float(f);
    semplifica_fino(f, (size_t)std::max(max_punti, 3), (size_t)std::max(max_facce, 1));
    compatta(f, m);
    return true;
}
