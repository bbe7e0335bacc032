// Fitting a mesh over the store's capacities down to them, on meshes made
// here from a few parametric surfaces. Each result must fit, keep its shape
// and turn, and keep what its vertices carry.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "loading/formati.h"
#include "mesh/adatta.h"
#include "mesh/aspetto.h"
#include "mesh/maglia.h"

namespace {

// Symmetric Hausdorff distance allowed, as a share of the box's diagonal: an
// object fills some 500 pixels of the window, so this is 5 pixels at most.
constexpr double FORMA_MASSIMA = 0.01;
// Volume a closed mesh may lose or gain: flat triangles cut the bumps' tops.
constexpr double VOLUME_MASSIMO = 0.03;
// Least share of their volume separate spheres keep, cut to a hundred
// triangles each with their vertices on the sphere.
constexpr double VOLUME_PEZZI = 0.8;
// Share of the area that may newly face inwards: the fit keeps every turn.
constexpr double ROVESCIO_MASSIMO = 0.01;
// Share of the target kept at least: the last round of collapses lands up
// to a tenth below it.
constexpr double QUASI_TUTTE = 0.85;
// A corner turns when its sine stands well clear of double rounding (1e-16):
// a triangle that does not would have no normal to light it by.
constexpr double SENO_VISIBILE = 1e-12;
// Under the sanitizers the spheres and grids have half the quads a side (a
// quarter of the faces; the torus keeps more, to stay over the vertices'
// capacity): the same cases, in a build some ten times slower.
#ifdef SUPERFICIE_ISTANZA_PICCOLA
constexpr int PICCOLA = 1;
#else
constexpr int PICCOLA = 0;
#endif
// Rounding in the unit normal of a triangle on a side of the cube.
constexpr double PIANO_ARROTONDATO = 1e-12;
// Float rounding in a mean of three colours.
constexpr float COLORE_ARROTONDATO = 1e-6f;
// Corners this far from the octants' borders, twice the file's edges, have
// only faces of their own octant about them.
constexpr double LONTANO_CONFINE = 0.05;

using V3 = std::array<double, 3>;

V3 meno(const V3 &a, const V3 &b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
V3 piu(const V3 &a, const V3 &b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
V3 per(const V3 &a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double punto(const V3 &a, const V3 &b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
V3 croce(const V3 &a, const V3 &b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double norma(const V3 &a) { return std::sqrt(punto(a, a)); }
V3 unita(const V3 &a) { return per(a, 1.0 / norma(a)); }
V3 pos(const Maglia &m, int i) { return {m.punti[i].pos[0], m.punti[i].pos[1], m.punti[i].pos[2]}; }
// Twice the area of corners v[0..2] of m, along their normal.
V3 normale(const Maglia &m, const int *v) { return croce(meno(pos(m, v[1]), pos(m, v[0])), meno(pos(m, v[2]), pos(m, v[0]))); }

int aggiungi_punto(Maglia &m, const V3 &p, const V3 &n = {0, 0, 0})
{
    m.punti.push_back({{p[0], p[1], p[2]}, {n[0], n[1], n[2]}, {}});
    return (int)m.punti.size() - 1;
}

void aggiungi_faccia(Maglia &m, const std::vector<int> &v)
{
    m.facce.push_back({(int)m.angoli.size(), (int)v.size(), {}, 0});
    m.angoli.insert(m.angoli.end(), v.begin(), v.end());
}

// Appended to m: a grid of n x n quads over [-1, 1]^2 mapped by `dove`,
// facing along du x dv, every vertex carrying `normale`. Row j's faces are
// 1 + j % largo quads long, polygons of 4 to 2 largo + 2 corners; chiusa
// wraps both ways.
Maglia superficie(int n, int largo, bool chiusa, const std::function<V3(double, double)> &dove, Maglia m = {},
                  const V3 &normale = {})
{
    const int c = chiusa ? n : n + 1, base = (int)m.punti.size();
    for (int k = 0; k < c * c; k++)
        aggiungi_punto(m, dove((double)(k % c) / n, (double)(k / c) / n), normale);
    for (int j = 0; j < n; j++)
        for (int i = 0; i < n; i += 1 + j % largo) {
            std::vector<int> f;
            for (int q = i; q <= std::min(i + 1 + j % largo, n); q++)
                f.push_back(base + j % c * c + q % c);
            for (int q = std::min(i + 1 + j % largo, n); q >= i; q--)
                f.push_back(base + (j + 1) % c * c + q % c);
            aggiungi_faccia(m, f);
        }
    return m;
}

constexpr double TORO_R = 1.0, TORO_r = 0.35;

V3 su_toro(double u, double v)
{
    u *= 2 * M_PI;
    v *= 2 * M_PI;
    const double r = TORO_r * (1.0 + 0.1 * std::sin(3 * u) * std::cos(2 * v));
    return {(TORO_R + r * std::cos(v)) * std::cos(u), (TORO_R + r * std::cos(v)) * std::sin(u), r * std::sin(v)};
}

V3 su_altura(double u, double v)
{
    const double x = 2 * u - 1, y = 2 * v - 1;
    return {x, y, 0.15 * std::sin(3 * x) * std::cos(2 * y + 0.5)};
}

// Six sides of n x n quads, each with vertices of its own carrying its
// normal: flat sides and sharp edges, smooth nowhere.
Maglia cubo(int n)
{
    Maglia m{};
    for (int lato = 0; lato < 6; lato++) {
        const int asse = lato / 2;
        const double segno = lato % 2 ? 1.0 : -1.0;
        V3 fuori{};
        fuori[asse] = segno;
        m = superficie(n, 1, false, [&](double u, double v) {
            V3 p = fuori;
            p[(asse + 1) % 3] = segno * (2 * u - 1);   // -0.0 on three sides
            p[(asse + 2) % 3] = 2 * v - 1;
            return p;
        }, std::move(m), fuori);
    }
    m.normali = 1;
    return m;
}

// Not a sphere, so that the fit has a shape to keep; every face faces out.
V3 su_sfera(const V3 &d)
{
    return per(d, 1.0 + 0.08 * std::sin(5 * d[0]) * std::sin(4 * d[1] + 1) * std::sin(3 * d[2] + 2));
}

// n^3 bumpy spheres 3 apart, each the cube of g x g quads a side blown up
// (its corners on the integer grid once scaled by g, so that the sides'
// edges meet bit for bit); with sciolta every quad has four vertices of its
// own (a soup), with liscia every vertex has its smooth normal.
Maglia sfere(int g, int n = 1, bool sciolta = false, bool liscia = false)
{
    const Maglia c = cubo(g);
    Maglia m{};
    m.normali = liscia;
    for (int i = 0; i < n * n * n; i++) {
        const V3 centro{3.0 * (i % n), 3.0 * (i / n % n), 3.0 * (i / n / n)};
        auto punto_di = [&](int k) {
            const double *p = c.punti[k].pos;
            const V3 d = unita({std::round(p[0] * g), std::round(p[1] * g), std::round(p[2] * g)});
            return aggiungi_punto(m, piu(centro, su_sfera(d)), liscia ? d : V3{});
        };
        const int base = (int)m.punti.size();
        for (size_t k = 0; k < c.punti.size() && !sciolta; k++)
            punto_di((int)k);
        for (size_t k = 0; k < c.angoli.size(); k += 4)
            aggiungi_faccia(m, sciolta ? std::vector<int>{punto_di(c.angoli[k]), punto_di(c.angoli[k + 1]),
                                                          punto_di(c.angoli[k + 2]), punto_di(c.angoli[k + 3])}
                                       : std::vector<int>{base + c.angoli[k], base + c.angoli[k + 1],
                                                          base + c.angoli[k + 2], base + c.angoli[k + 3]});
    }
    return m;
}

// Each face of the sphere, shrunk about its middle, is the outer face of a
// closed pyramid pointing in: more pieces than the triangles that fit.
Maglia tessere(int g)
{
    const Maglia s = sfere(g);
    Maglia m{};
    for (size_t k = 0; k < s.angoli.size(); k += 4) {
        V3 mezzo{0, 0, 0};
        for (int q = 0; q < 4; q++)
            mezzo = piu(mezzo, per(pos(s, s.angoli[k + q]), 0.25));
        std::vector<int> v;
        for (int q = 0; q < 4; q++)
            v.push_back(aggiungi_punto(m, piu(mezzo, per(meno(pos(s, s.angoli[k + q]), mezzo), 0.9))));
        const int cima = aggiungi_punto(m, per(mezzo, 0.98));
        aggiungi_faccia(m, v);
        for (int q = 0; q < 4; q++)
            aggiungi_faccia(m, {v[(q + 1) % 4], v[q], cima});
    }
    return m;
}


using Tri = std::array<V3, 3>;

// Every face as the fan from its first corner it is drawn as.
std::vector<Tri> triangoli(const Maglia &m)
{
    std::vector<Tri> t;
    for (const FacciaLetta &f : m.facce)
        for (int k = 1; k + 1 < f.numvertici; k++)
            t.push_back({pos(m, m.angoli[f.primo]), pos(m, m.angoli[f.primo + k]), pos(m, m.angoli[f.primo + k + 1])});
    return t;
}

void scatola(const Maglia &m, V3 &basso, V3 &alto)
{
    basso = alto = pos(m, 0);
    for (const PuntoLetto &p : m.punti)
        for (int k = 0; k < 3; k++)
            basso[k] = std::min(basso[k], p.pos[k]), alto[k] = std::max(alto[k], p.pos[k]);
}

double segmento(const V3 &p, const V3 &a, const V3 &b)
{
    const V3 ab = meno(b, a), d = meno(p, piu(a, per(ab, std::clamp(punto(meno(p, a), ab) / punto(ab, ab), 0.0, 1.0))));
    return punto(d, d);
}

// The squared distance from p to t: to its plane when p stands over it, else
// to its nearest side.
double distanza(const V3 &p, const Tri &t)
{
    const V3 n = croce(meno(t[1], t[0]), meno(t[2], t[0]));
    bool sopra = true;
    for (int k = 0; k < 3; k++)
        sopra = sopra && punto(croce(meno(t[(k + 1) % 3], t[k]), meno(p, t[k])), n) >= 0;
    const double h = punto(meno(p, t[0]), n);
    return sopra ? h * h / punto(n, n)
                 : std::min({segmento(p, t[0], t[1]), segmento(p, t[1], t[2]), segmento(p, t[2], t[0])});
}

// The greatest distance from samples of `da` (corners and a barycentric
// grid of `righe` rows) to `a`, over the diagonal of the box, capped at
// twice the bound: triangles are binned in cells as wide as the bound, so
// any within it are in the 27 cells about a sample.
double lontananza(const std::vector<Tri> &da, int righe, const std::vector<Tri> &a, const V3 &basso, double diagonale)
{
    const double cella = FORMA_MASSIMA * diagonale;
    auto in_cella = [&](const V3 &p, int k) { return (long long)std::floor((p[k] - basso[k]) / cella); };
    auto chiave = [](long long x, long long y, long long z) { return (x * 4096 + y) * 4096 + z; };
    std::unordered_map<long long, std::vector<int>> celle;
    for (size_t i = 0; i < a.size(); i++) {
        long long lo[3], hi[3];
        for (int k = 0; k < 3; k++)
            lo[k] = std::min({in_cella(a[i][0], k), in_cella(a[i][1], k), in_cella(a[i][2], k)}),
            hi[k] = std::max({in_cella(a[i][0], k), in_cella(a[i][1], k), in_cella(a[i][2], k)});
        for (long long x = lo[0]; x <= hi[0]; x++)
            for (long long y = lo[1]; y <= hi[1]; y++)
                for (long long z = lo[2]; z <= hi[2]; z++)
                    celle[chiave(x, y, z)].push_back((int)i);
    }
    double peggiore = 0.0;
    for (const Tri &t : da)
        for (int i = 0; i <= righe; i++)
            for (int j = 0; i + j <= righe; j++) {
                const V3 p = piu(t[0], piu(per(meno(t[1], t[0]), (double)i / righe),
                                             per(meno(t[2], t[0]), (double)j / righe)));
                const long long x = in_cella(p, 0), y = in_cella(p, 1), z = in_cella(p, 2);
                double d = 4 * cella * cella;
                for (int c = 0; c < 27; c++) {
                    const auto it = celle.find(chiave(x + c % 3 - 1, y + c / 3 % 3 - 1, z + c / 9 - 1));
                    for (size_t q = 0; it != celle.end() && q < it->second.size(); q++)
                        d = std::min(d, distanza(p, a[it->second[q]]));
                }
                peggiore = std::max(peggiore, std::sqrt(d));
            }
    return peggiore / diagonale;
}

// Symmetric Hausdorff distance over the file's box diagonal; the file's
// triangles are small, their corners and middles are enough. The fitted ones
// are sampled on 8 rows, or 3 in the small instance.
double hausdorff(const Maglia &prima, const Maglia &dopo)
{
    V3 b, a;
    scatola(prima, b, a);
    const std::vector<Tri> t1 = triangoli(prima), t2 = triangoli(dopo);
    const double d = norma(meno(a, b));
    return std::max(lontananza(t1, 1, t2, b, d), lontananza(t2, PICCOLA ? 3 : 8, t1, b, d));
}

double volume(const Maglia &m, const V3 &centro)
{
    double v = 0.0;
    for (const Tri &t : triangoli(m))
        v += punto(meno(t[0], centro), croce(meno(t[1], centro), meno(t[2], centro))) / 6.0;
    return v;
}

using Fuori = std::function<V3(const V3 &)>;

// The share of the area whose triangles face away from outward.
double area_rovescia(const Maglia &m, const Fuori &fuori)
{
    double tutta = 0.0, rovescia = 0.0;
    for (const Tri &t : triangoli(m)) {
        const V3 n = croce(meno(t[1], t[0]), meno(t[2], t[0]));
        tutta += norma(n);
        if (punto(n, fuori(per(piu(t[0], piu(t[1], t[2])), 1.0 / 3.0))) <= 0.0)
            rovescia += norma(n);
    }
    return rovescia / tutta;
}

// The vertices' bits, field by field (the record's padding is nobody's), the
// normal and colour when the mesh carries them.
std::string bit(const std::vector<PuntoLetto> &v, bool normali = true, bool colori = true)
{
    std::string s;
    for (const PuntoLetto &p : v)
        s.append((const char *)p.pos, sizeof p.pos).append((const char *)p.normale, normali ? sizeof p.normale : 0)
            .append((const char *)p.colore, colori ? sizeof p.colore : 0);
    return s;
}

// Within both limits, triangles only, every index valid, every corner turning,
// every vertex used and one of the file's with what it carried.
void controlla(const Maglia &prima, const Maglia &dopo, size_t max_punti, size_t max_facce)
{
    ASSERT_GE(dopo.facce.size(), 1u);
    EXPECT_TRUE(dopo.facce.size() <= max_facce && dopo.punti.size() <= max_punti)
        << dopo.punti.size() << " vertices, " << dopo.facce.size() << " faces";
    ASSERT_EQ(dopo.angoli.size(), 3 * dopo.facce.size());
    EXPECT_TRUE(dopo.normali == prima.normali && dopo.colori_punti == prima.colori_punti);
    std::vector<int> usato(dopo.punti.size(), 0);
    for (size_t j = 0; j < dopo.facce.size(); j++) {
        ASSERT_TRUE(dopo.facce[j].numvertici == 3 && dopo.facce[j].primo == (int)(3 * j)) << "face " << j;
        const int *v = &dopo.angoli[3 * j];
        for (int k = 0; k < 3; k++)
            ASSERT_TRUE(v[k] >= 0 && v[k] < (int)dopo.punti.size()) << "index " << v[k];
        for (int k = 0; k < 3; k++) {
            usato[v[k]] = 1;
            const V3 u = meno(pos(dopo, v[(k + 1) % 3]), pos(dopo, v[k])), w = meno(pos(dopo, v[(k + 2) % 3]), pos(dopo, v[k]));
            EXPECT_GT(norma(croce(u, w)), SENO_VISIBILE * norma(u) * norma(w)) << "triangle " << j;
        }
    }
    EXPECT_EQ(std::count(usato.begin(), usato.end(), 0), 0) << "vertices used by no face";
    std::set<std::string> del_file;
    for (const PuntoLetto &p : prima.punti)
        del_file.insert(bit({p}, prima.normali, prima.colori_punti));
    for (const PuntoLetto &p : dopo.punti)
        ASSERT_TRUE(del_file.count(bit({p}, prima.normali, prima.colori_punti)))
            << "a vertex of the result is none of the file's";
}

Maglia adattata(const Maglia &m, int max_punti = MAX_PUNTI, int max_facce = MAX_FACCE)
{
    Maglia r = m;
    EXPECT_TRUE(adatta_maglia(r, max_punti, max_facce));
    return r;
}

TEST(Adatta, FitsKeepingShapeAndTurn)
{
    const Fuori dal_centro = [](const V3 &p) { return p; };
    const Fuori dalla_pallina = [](const V3 &p) {
        return V3{p[0] - 3 * std::round(p[0] / 3), p[1] - 3 * std::round(p[1] / 3), p[2] - 3 * std::round(p[2] / 3)};
    };
    const Fuori dal_cerchio = [](const V3 &p) {
        const double u = std::atan2(p[1], p[0]);
        return meno(p, V3{TORO_R * std::cos(u), TORO_R * std::sin(u), 0.0});
    };
    const Fuori in_su = [](const V3 &) { return V3{0, 0, 1}; };
    // Far from the origin, or so small, that floats taken straight from the
    // doubles would merge neighbouring vertices.
    auto spostata = [](double scala, double spostamento) {
        Maglia m = sfere(41 >> PICCOLA);
        for (PuntoLetto &p : m.punti)
            for (double &x : p.pos)
                x = x * scala + spostamento;
        return m;
    };
    const struct Caso {
        const char *nome;
        Maglia m;
        int punti, facce;
        Fuori fuori;
        double volume_minimo, quante;   // volume_minimo 0: open
        V3 centro;
    } casi[] = {
        {"closed", sfere(83 >> PICCOLA), MAX_PUNTI, MAX_FACCE, dal_centro, 1 - VOLUME_MASSIMO, QUASI_TUTTE, {}},
        {"soup", sfere(83 >> PICCOLA, 1, true), MAX_PUNTI, MAX_FACCE, dal_centro, 1 - VOLUME_MASSIMO, QUASI_TUTTE, {}},
        {"smooth", sfere(83 >> PICCOLA, 1, false, true), MAX_PUNTI, MAX_FACCE, dal_centro, 1 - VOLUME_MASSIMO, QUASI_TUTTE, {}},
        {"pieces", sfere(21 >> PICCOLA, 3), MAX_PUNTI, MAX_FACCE, dalla_pallina, VOLUME_PEZZI, 0, {}},
        {"pieces, vertices bind", sfere(21 >> PICCOLA, 3), 1500, MAX_FACCE, dalla_pallina, VOLUME_PEZZI, 0, {}},
        {"border", superficie(200 >> PICCOLA, 1, false, su_altura), MAX_PUNTI, MAX_FACCE, in_su, 0, 0, {}},
        {"polygons", superficie(PICCOLA ? 60 : 78, 5, true, su_toro), MAX_PUNTI, MAX_FACCE, dal_cerchio, 1 - VOLUME_MASSIMO, 0, {}},
        {"creases", cubo(60 >> PICCOLA), MAX_PUNTI, MAX_FACCE, dal_centro, 1 - VOLUME_MASSIMO, 0, {}},
        {"far", spostata(1e21, 1e29), 1000, 2000, nullptr, 1 - VOLUME_MASSIMO, QUASI_TUTTE, {1e29, 1e29, 1e29}},
        {"tiny", spostata(1e-43, 0), 1000, 2000, dal_centro, 1 - VOLUME_MASSIMO, QUASI_TUTTE, {}},
    };
    std::vector<Maglia> fatte;
    for (const Caso &c : casi) {
        SCOPED_TRACE(c.nome);
        const Fuori fuori = c.fuori ? c.fuori : [&c](const V3 &p) { return meno(p, c.centro); };
        fatte.push_back(adattata(c.m, c.punti, c.facce));
        const Maglia &r = fatte.back();
        controlla(c.m, r, c.punti, c.facce);
        if (HasFatalFailure())
            return;
        EXPECT_GE(r.facce.size(), c.facce * c.quante);
        EXPECT_LE(hausdorff(c.m, r), FORMA_MASSIMA);
        EXPECT_LE(area_rovescia(r, fuori), area_rovescia(c.m, fuori) + ROVESCIO_MASSIMO);
        const double v0 = volume(c.m, c.centro), v1 = volume(r, c.centro);
        EXPECT_TRUE(c.volume_minimo == 0 || (v1 / v0 >= c.volume_minimo && v1 / v0 <= 1 + VOLUME_MASSIMO))
            << v1 << " of " << v0;
    }
    // The border stays where it was; the creases stay sharp: each triangle
    // has its side's normal at all three corners, so no vertices were merged
    // across an edge.
    V3 b0, a0, b1, a1;
    scatola(casi[5].m, b0, a0);
    scatola(fatte[5], b1, a1);
    EXPECT_TRUE(b1[0] == b0[0] && a1[0] == a0[0] && b1[1] == b0[1] && a1[1] == a0[1]);
    const Maglia &r = fatte[7];
    for (size_t j = 0; j < r.facce.size(); j++)
        for (int k = 0; k < 3; k++) {
            const double *nk = r.punti[r.angoli[3 * j + k]].normale;
            ASSERT_NEAR(punto(unita(normale(r, &r.angoli[3 * j])), {nk[0], nk[1], nk[2]}), 1.0, PIANO_ARROTONDATO) << j;
        }
}

// The colour of the octant of p.
std::array<float, 3> ottante(const V3 &p)
{
    return {p[0] > 0 ? 1.0f : 0.2f, p[1] > 0 ? 0.9f : 0.1f, p[2] > 0 ? 0.8f : 0.3f};
}

TEST(Adatta, ColoursAreCarried)
{
    // The north faces coloured by octant, the south not: away from the
    // octants' borders every fitted face has the colour of those about it.
    // Vertex colours stay on their vertices (controlla) and colour each
    // triangle with their mean.
    Maglia m = sfere(83), mv = m;
    for (FacciaLetta &f : m.facce) {
        const V3 mezzo = piu(pos(m, m.angoli[f.primo]), piu(pos(m, m.angoli[f.primo + 1]), pos(m, m.angoli[f.primo + 2])));
        f.colorata = mezzo[2] > 0;
        const auto c = ottante(mezzo);
        std::copy(c.begin(), c.end(), f.colore);
    }
    mv.colori_punti = 1;
    for (PuntoLetto &p : mv.punti)
        for (int k = 0; k < 3; k++)
            p.colore[k] = (float)(0.5 + 0.4 * p.pos[k]);
    const Maglia r = adattata(m), rv = adattata(mv);
    controlla(m, r, MAX_PUNTI, MAX_FACCE);
    controlla(mv, rv, MAX_PUNTI, MAX_FACCE);
    for (size_t j = 0; j < r.facce.size(); j++) {
        const int *v = &r.angoli[3 * j];
        const V3 mezzo = per(piu(pos(r, v[0]), piu(pos(r, v[1]), pos(r, v[2]))), 1.0 / 3);
        bool lontano = true;
        for (int k = 0; k < 9; k++)
            lontano = lontano && std::copysign(r.punti[v[k / 3]].pos[k % 3], mezzo[k % 3]) == r.punti[v[k / 3]].pos[k % 3] &&
                      std::abs(r.punti[v[k / 3]].pos[k % 3]) > LONTANO_CONFINE;
        if (!lontano)
            continue;
        ASSERT_EQ(r.facce[j].colorata, mezzo[2] > 0) << "triangle " << j;
        for (int i = 0; i < 3 && mezzo[2] > 0; i++)
            ASSERT_NEAR(r.facce[j].colore[i], ottante(mezzo)[i], COLORE_ARROTONDATO) << "triangle " << j;
    }
    for (size_t j = 0; j < rv.facce.size(); j++) {
        ASSERT_EQ(rv.facce[j].colorata, 1);
        for (int c = 0; c < 3; c++) {
            const int *v = &rv.angoli[3 * j];
            const float media = (rv.punti[v[0]].colore[c] + rv.punti[v[1]].colore[c] + rv.punti[v[2]].colore[c]) / 3.0f;
            EXPECT_NEAR(rv.facce[j].colore[c], media, COLORE_ARROTONDATO);
        }
    }
}

// Within both limits nothing changes, and one over either fits; tiny limits
// still give a face; the same mesh and limits give the same result.
TEST(Adatta, LimitsAreKeptToTheLeastAndTheSameEachTime)
{
    const Maglia m = sfere(10);
    const int punti = (int)m.punti.size(), facce = (int)m.facce.size();
    Maglia r = m;
    EXPECT_FALSE(adatta_maglia(r) || adatta_maglia(r, punti, facce));
    EXPECT_TRUE(bit(r.punti) == bit(m.punti) && r.angoli == m.angoli && r.facce.size() == m.facce.size());
    EXPECT_TRUE(adatta_maglia(r, punti - 1, facce));
    r = m;
    EXPECT_TRUE(adatta_maglia(r, punti, facce - 1));
    const Maglia meshes[] = {sfere(10), tessere(5), superficie(20, 1, false, su_altura),
                             superficie(12, 5, true, su_toro), cubo(6), sfere(5, 1, true)};
    for (const Maglia &m : meshes)
        for (int max_facce = 1; max_facce <= 10; max_facce++)
            for (int max_punti = 3; max_punti <= 12; max_punti++) {
                SCOPED_TRACE(testing::Message() << m.facce.size() << " faces, limits " << max_punti << " " << max_facce);
                controlla(m, adattata(m, max_punti, max_facce), max_punti, max_facce);
                if (HasFatalFailure())
                    return;
            }
    // Below the least that makes a triangle counts as that least; one limit
    // as large as it can be and the other binding.
    for (const auto &l : {std::array<int, 4>{0, 0, 3, 1}, {3, INT_MAX, 3, INT_MAX}, {INT_MAX, 1, INT_MAX, 1},
                          {40, INT_MAX, 40, INT_MAX}})
        controlla(meshes[5], adattata(meshes[5], l[0], l[1]), l[2], l[3]);
    // Many pieces smaller than the triangles that fit, within both limits,
    // the vertices binding; and the same each time, bit for bit.
    const Maglia t = tessere(24 >> PICCOLA);
    for (const auto &l : {std::array<int, 2>{MAX_PUNTI, MAX_FACCE}, {600, 1000}, {100, MAX_FACCE}}) {
        const Maglia a = adattata(t, l[0], l[1]), b = adattata(t, l[0], l[1]);
        controlla(t, a, l[0], l[1]);
        EXPECT_GE(a.facce.size(), a.punti.size() / 2) << l[0];
        EXPECT_TRUE(bit(a.punti) == bit(b.punti) && a.angoli == b.angoli) << l[0];
    }
}

// -0.0 and 0.0 are one place to the fit, as to every reader: meshoptimizer
// 0.18 tells them apart by their bits and would simplify as if a border ran
// between them.
TEST(Adatta, NegativeZeroFitsAsZero)
{
    Maglia z = cubo(60);
    for (PuntoLetto &p : z.punti)
        for (double &x : p.pos)
            x += 0.0;
    EXPECT_EQ(adattata(cubo(60)).angoli, adattata(z).angoli);
}

// A box's computed normals are its six sides' (each corner split three
// ways); a sphere's are smooth, no vertex split, and point out.
TEST(Aspetto, CreasesSplitSmoothSurfacesDoNot)
{
    Maglia b{};
    for (int i = 0; i < 8; i++)
        aggiungi_punto(b, {i & 1 ? 1.0 : -1.0, i & 2 ? 1.0 : -1.0, i & 4 ? 3.0 : -3.0});
    for (const std::vector<int> &f : {std::vector<int>{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                      {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}})
        aggiungi_faccia(b, f);
    liscia(b);
    EXPECT_TRUE(b.normali == 1 && b.punti.size() == 24u) << b.punti.size();
    for (const FacciaLetta &f : b.facce)
        for (int k = 0; k < 12; k++)
            EXPECT_NEAR(b.punti[b.angoli[f.primo + k / 3]].normale[k % 3], unita(normale(b, &b.angoli[f.primo]))[k % 3], 1e-12);
    Maglia s = sfere(10);
    const size_t n = s.punti.size();
    EXPECT_EQ(punti_lisciati(s), (int)n);
    liscia(s);
    ASSERT_EQ(s.punti.size(), n);
    for (const PuntoLetto &p : s.punti)
        EXPECT_GT(punto(unita({p.pos[0], p.pos[1], p.pos[2]}), {p.normale[0], p.normale[1], p.normale[2]}), 0.9);
}

// STL and 3MF stand z up, the others y up, unless --up says which.
TEST(Aspetto, ZUpIsTurnedToYUp)
{
    const struct { int stampa; Su su; bool girata; } casi[] = {
        {1, SU_DAL_FORMATO, true}, {0, SU_DAL_FORMATO, false}, {1, SU_Y, false}, {0, SU_Z, true}};
    for (const auto &c : casi) {
        Maglia m{{{{1, 2, 3}, {4, 5, 6}, {}}}, {}, {}, 1, 0, c.stampa, 0};
        su_dei_file = c.su;
        raddrizza(m);
        const double *p = m.punti[0].pos, *n = m.punti[0].normale, attesi[2][6] = {{1, 2, 3, 4, 5, 6}, {1, 3, -2, 4, 6, -5}};
        const double letti[6] = {p[0], p[1], p[2], n[0], n[1], n[2]};
        EXPECT_TRUE(std::equal(letti, letti + 6, attesi[c.girata])) << c.stampa << " " << c.su;
    }
    su_dei_file = SU_DAL_FORMATO;
}

// Split vertices count against the store: many small tetrahedra, every
// vertex a crease, fit once split, and not much further; a zigzag fan of
// 2998 triangles on 3000 vertices, within both limits as read, every
// corner its own vertex once split, fits too.
TEST(Aspetto, SplitMeshFitsTheStore)
{
    Maglia fan{};
    aggiungi_punto(fan, {0, 0, 0});
    for (int i = 1; i < MAX_PUNTI; i++)
        aggiungi_punto(fan, {std::cos(i * 0.001), std::sin(i * 0.001), i % 2 * 0.01});
    for (int i = 1; i + 1 < MAX_PUNTI; i++)
        aggiungi_faccia(fan, {0, i, i + 1});
    const struct { Maglia m; size_t almeno; } casi[] = {{tessere(15), MAX_PUNTI * 8 / 10}, {fan, 3}};
    for (const auto &c : casi) {
        Maglia m = c.m;
        m.stampa = 1;
        char nota[300];
        EXPECT_TRUE(adatta_file("t.stl", &m, nota, sizeof nota));
        EXPECT_TRUE(m.normali == 1 && m.punti.size() <= (size_t)MAX_PUNTI && m.facce.size() <= (size_t)MAX_FACCE);
        EXPECT_GE(m.punti.size(), c.almeno) << "fitted no further than it must";
    }
}

}  // namespace
