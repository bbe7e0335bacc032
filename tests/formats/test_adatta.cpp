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
#include <vector>

#include "mesh/adatta.h"
#include "mesh/aspetto.h"
#include "tests/formats/leggi_testo.h"   // QUADRATI

namespace {

// How far the fitted triangles may stray from the surface beyond the file's
// own, as a share of the box's diagonal: an object fills some 500 pixels of
// the window, so this is 5 pixels at most.
constexpr double FORMA_MASSIMA = 0.01;
// Volume a closed mesh may lose or gain: flat triangles cut the bumps' tops.
// A hole loses its cone; an open height field closes with a point below it.
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
constexpr double LONTANO_CONFINE = 0.05 * (1 + PICCOLA);

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
V3 mezzo(const Maglia &m, const int *v) { return per(piu(pos(m, v[0]), piu(pos(m, v[1]), pos(m, v[2]))), 1.0 / 3); }

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

double raggio_toro(double u, double v) { return TORO_r * (1.0 + 0.1 * std::sin(3 * u) * std::cos(2 * v)); }

V3 su_toro(double u, double v)
{
    const double a = 2 * M_PI * u, b = 2 * M_PI * v, r = raggio_toro(a, b);
    return {(TORO_R + r * std::cos(b)) * std::cos(a), (TORO_R + r * std::cos(b)) * std::sin(a), r * std::sin(b)};
}

double altura(double x, double y) { return 0.15 * std::sin(3 * x) * std::cos(2 * y + 0.5); }

V3 su_altura(double u, double v) { return {2 * u - 1, 2 * v - 1, altura(2 * u - 1, 2 * v - 1)}; }

// Six sides of n x n quads, each with vertices of its own carrying its
// normal: flat sides and sharp edges, smooth nowhere. Appended to m, every
// vertex taken through `dove`.
Maglia cubo(int n, Maglia m = {}, const std::function<V3(const V3 &)> &dove = [](const V3 &p) { return p; })
{
    for (int lato = 0; lato < 6; lato++) {
        const int asse = lato / 2;
        const double segno = lato % 2 ? 1.0 : -1.0;
        V3 fuori{};
        fuori[asse] = segno;
        m = superficie(n, 1, false, [&](double u, double v) {
            V3 p = fuori;
            p[(asse + 1) % 3] = segno * (2 * u - 1);   // -0.0 on three sides
            p[(asse + 2) % 3] = 2 * v - 1;
            return dove(p);
        }, std::move(m), fuori);
    }
    m.normali = 1;
    return m;
}

// p from the middle of its sphere, the nearest point of the grid 3 apart.
V3 dalla_pallina(const V3 &p)
{
    return {p[0] - 3 * std::round(p[0] / 3), p[1] - 3 * std::round(p[1] / 3), p[2] - 3 * std::round(p[2] / 3)};
}

// Not a sphere, so that the fit has a shape to keep; every face faces out.
V3 su_sfera(const V3 &d)
{
    return per(d, 1.0 + 0.08 * std::sin(5 * d[0]) * std::sin(4 * d[1] + 1) * std::sin(3 * d[2] + 2));
}

// The colour of the octant of p.
std::array<float, 3> ottante(const V3 &p)
{
    return {p[0] > 0 ? 1.0f : 0.2f, p[1] > 0 ? 0.9f : 0.1f, p[2] > 0 ? 0.8f : 0.3f};
}

// n^3 bumpy spheres 3 apart, each the cube of g x g quads a side blown up
// (its corners on the integer grid once scaled by g, so that the sides'
// edges meet bit for bit). With liscia every vertex has its smooth normal
// and a colour; else each vertex has the normal of its side of the cube,
// unused, and the north faces the colour of their octant, the south none.
Maglia sfere(int g, int n = 1, bool liscia = false)
{
    Maglia m{};
    for (int i = 0; i < n * n * n; i++) {
        const V3 centro{3.0 * (i % n), 3.0 * (i / n % n), 3.0 * (i / n / n)};
        m = cubo(g, std::move(m), [&](const V3 &p) {
            return piu(centro, su_sfera(unita({std::round(p[0] * g), std::round(p[1] * g), std::round(p[2] * g)})));
        });
    }
    for (PuntoLetto &p : m.punti)
        for (int k = 0; k < 3 && liscia; k++) {
            p.normale[k] = unita(dalla_pallina({p.pos[0], p.pos[1], p.pos[2]}))[k];
            p.colore[k] = (float)(0.5 + 0.4 * p.normale[k]);
        }
    for (FacciaLetta &f : m.facce) {
        const V3 d = dalla_pallina(mezzo(m, &m.angoli[f.primo]));
        const std::array<float, 3> c = ottante(d);
        f.colorata = !liscia && d[2] > 0;
        std::copy(c.begin(), c.end(), f.colore);
    }
    m.normali = m.colori_punti = liscia;
    return m;
}

// Each face of the sphere, shrunk about its middle, is the outer face of a
// closed pyramid pointing in: more pieces than the triangles that fit.
Maglia tessere(int g)
{
    const Maglia s = sfere(g);
    Maglia m{};
    for (size_t k = 0; k < s.angoli.size(); k += 4) {
        V3 centro{0, 0, 0};
        for (int q = 0; q < 4; q++)
            centro = piu(centro, per(pos(s, s.angoli[k + q]), 0.25));
        std::vector<int> v;
        for (int q = 0; q < 4; q++)
            v.push_back(aggiungi_punto(m, piu(centro, per(meno(pos(s, s.angoli[k + q]), centro), 0.9))));
        const int cima = aggiungi_punto(m, per(centro, 0.98));
        aggiungi_faccia(m, v);
        for (int q = 0; q < 4; q++)
            aggiungi_faccia(m, {v[(q + 1) % 4], v[q], cima});
    }
    return m;
}

// The least and greatest of coordinate k over m's vertices.
std::pair<double, double> estremi(const Maglia &m, int k)
{
    const auto e = std::minmax_element(m.punti.begin(), m.punti.end(),
                                       [k](const PuntoLetto &a, const PuntoLetto &b) { return a.pos[k] < b.pos[k]; });
    return {e.first->pos[k], e.second->pos[k]};
}

// A surface seen from inside: for a point p, the point it is seen from and
// how far from there the surface lies on the ray through p.
using Superficie = std::function<std::pair<V3, double>(const V3 &)>;

struct Misura {
    double rovescia, scarto, volume;
};

// Over m's triangles, each the fan from its face's first corner it is drawn
// as: the share of their area facing back towards s's point of view; the
// farthest from s, along its rays, of their corners and a barycentric grid
// of `righe` rows; the volume they close with a point below them all.
Misura misura(const Maglia &m, const Superficie &s, int righe)
{
    Misura r{0, 0, 0};
    double tutta = 0;
    for (const FacciaLetta &f : m.facce)
        for (int k = 1; k + 1 < f.numvertici; k++) {
            const int v[3] = {m.angoli[f.primo], m.angoli[f.primo + k], m.angoli[f.primo + k + 1]};
            const V3 a = pos(m, v[0]), b = pos(m, v[1]), c = pos(m, v[2]), n = normale(m, v), sotto{0, 0, -1};
            const V3 centro = mezzo(m, v);
            tutta += norma(n);
            r.rovescia += punto(n, meno(centro, s(centro).first)) <= 0 ? norma(n) : 0;
            r.volume += punto(meno(a, sotto), croce(meno(b, sotto), meno(c, sotto))) / 6;
            for (int i = 0; i <= righe; i++)
                for (int j = 0; i + j <= righe; j++) {
                    const V3 p = piu(a, piu(per(meno(b, a), (double)i / righe), per(meno(c, a), (double)j / righe)));
                    const auto [da, fino] = s(p);
                    r.scarto = std::max(r.scarto, std::abs(norma(meno(p, da)) - fino));
                }
        }
    r.rovescia /= tutta;
    return r;
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

// Within both limits, triangles only, every vertex used, every corner
// turning, every vertex one of the file's with what it carried; with
// vertex colours, each triangle coloured with the mean of its three.
void controlla(const Maglia &prima, const Maglia &dopo, size_t max_punti, size_t max_facce)
{
    const std::set<int> usati(dopo.angoli.begin(), dopo.angoli.end());
    ASSERT_TRUE(!usati.empty() && *usati.begin() == 0 && usati.size() == dopo.punti.size() &&
                *usati.rbegin() + 1 == (int)usati.size()) << "vertices unused, or indices beyond them";
    EXPECT_TRUE(dopo.facce.size() <= max_facce && dopo.punti.size() <= max_punti)
        << dopo.punti.size() << " vertices, " << dopo.facce.size() << " faces";
    ASSERT_EQ(dopo.angoli.size(), 3 * dopo.facce.size());
    EXPECT_TRUE(dopo.normali == prima.normali && dopo.colori_punti == prima.colori_punti);
    for (size_t j = 0; j < dopo.facce.size(); j++) {
        ASSERT_TRUE(dopo.facce[j].numvertici == 3 && dopo.facce[j].primo == (int)(3 * j)) << "face " << j;
        const int *v = &dopo.angoli[3 * j];
        for (int k = 0; k < 3; k++) {
            const V3 u = meno(pos(dopo, v[(k + 1) % 3]), pos(dopo, v[k])), w = meno(pos(dopo, v[(k + 2) % 3]), pos(dopo, v[k]));
            EXPECT_GT(norma(croce(u, w)), SENO_VISIBILE * norma(u) * norma(w)) << "triangle " << j;
            const FacciaLetta &f = dopo.facce[j];
            const float media = (dopo.punti[v[0]].colore[k] + dopo.punti[v[1]].colore[k] + dopo.punti[v[2]].colore[k]) / 3;
            EXPECT_TRUE(!prima.colori_punti || (f.colorata && std::abs(f.colore[k] - media) <= COLORE_ARROTONDATO))
                << "triangle " << j;
        }
    }
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

// Every coordinate times scala, plus spostamento.
void sposta(Maglia &m, double scala, double spostamento)
{
    for (PuntoLetto &p : m.punti)
        for (double &x : p.pos)
            x = x * scala + spostamento;
}

TEST(Adatta, FitsKeepingShapeAndTurn)
{
    const Superficie pallina = [](const V3 &p) {
        return std::make_pair(meno(p, dalla_pallina(p)), norma(su_sfera(unita(dalla_pallina(p)))));
    };
    const Superficie scatola = [](const V3 &p) {
        return std::make_pair(V3{}, norma(p) / std::max({std::abs(p[0]), std::abs(p[1]), std::abs(p[2])}));
    };
    const Superficie su_quota = [](const V3 &p) { return std::make_pair(V3{p[0], p[1], -1}, 1 + altura(p[0], p[1])); };
    const Superficie toro = [](const V3 &p) {
        const double u = std::atan2(p[1], p[0]), v = std::atan2(p[2], std::hypot(p[0], p[1]) - TORO_R);
        return std::make_pair(V3{TORO_R * std::cos(u), TORO_R * std::sin(u), 0}, raggio_toro(u, v));
    };
    const struct Caso {
        const char *nome;
        Maglia m;
        int punti, facce;
        Superficie s;
        double volume_minimo, quante;
        // The file is the mesh so scaled and moved: far from the origin, or
        // so small, that floats taken straight from the doubles would merge
        // neighbouring vertices.
        double scala = 1, spostamento = 0;
    } casi[] = {
        {"closed, face colours", sfere(83 >> PICCOLA), MAX_PUNTI, MAX_FACCE, pallina, 1 - VOLUME_MASSIMO, QUASI_TUTTE},
        {"smooth, coloured", sfere(83 >> PICCOLA, 1, true), MAX_PUNTI, MAX_FACCE, pallina, 1 - VOLUME_MASSIMO, QUASI_TUTTE},
        {"pieces", sfere(21 >> PICCOLA, 3), MAX_PUNTI, MAX_FACCE, pallina, VOLUME_PEZZI, 0},
        {"pieces, vertices bind", sfere(21 >> PICCOLA, 3), 1500, MAX_FACCE, pallina, VOLUME_PEZZI, 0},
        {"border", superficie(200 >> PICCOLA, 1, false, su_altura), MAX_PUNTI, MAX_FACCE, su_quota, 1 - VOLUME_MASSIMO, 0},
        {"polygons", superficie(PICCOLA ? 60 : 78, 5, true, su_toro), MAX_PUNTI, MAX_FACCE, toro, 1 - VOLUME_MASSIMO, 0},
        {"creases", cubo(60 >> PICCOLA), MAX_PUNTI, MAX_FACCE, scatola, 1 - VOLUME_MASSIMO, 0},
        {"far", sfere(41 >> PICCOLA), 1000, 2000, pallina, 1 - VOLUME_MASSIMO, QUASI_TUTTE, 1e21, 1e29},
        {"tiny", sfere(41 >> PICCOLA), 1000, 2000, pallina, 1 - VOLUME_MASSIMO, QUASI_TUTTE, 1e-43, 0},
    };
    std::vector<Maglia> fatte;
    for (const Caso &c : casi) {
        SCOPED_TRACE(c.nome);
        Maglia m = c.m;
        sposta(m, c.scala, c.spostamento);
        fatte.push_back(adattata(m, c.punti, c.facce));
        Maglia &r = fatte.back();
        controlla(m, r, c.punti, c.facce);
        if (HasFatalFailure())
            return;
        EXPECT_GE(r.facce.size(), c.facce * c.quante);
        sposta(r, 1 / c.scala, -c.spostamento / c.scala);
        double diagonale = 0;
        for (int k = 0; k < 3; k++)
            diagonale = std::hypot(diagonale, estremi(c.m, k).second - estremi(c.m, k).first);
        const Misura prima = misura(c.m, c.s, 2), dopo = misura(r, c.s, PICCOLA ? 3 : 8);
        EXPECT_LE(dopo.scarto, prima.scarto + FORMA_MASSIMA * diagonale) << prima.scarto;
        EXPECT_LE(dopo.rovescia, prima.rovescia + ROVESCIO_MASSIMO);
        EXPECT_TRUE(dopo.volume / prima.volume >= c.volume_minimo && dopo.volume / prima.volume <= 1 + VOLUME_MASSIMO)
            << dopo.volume << " of " << prima.volume;
    }
    // Away from the octants' borders every fitted face has the colour of
    // the file's faces about it, or none. The border stays where it was; the
    // creases stay sharp: each triangle has its side's normal at all three
    // corners, so no vertices were merged across an edge.
    const Maglia &colorata = fatte[0];
    for (size_t j = 0; j < colorata.facce.size(); j++) {
        const int *v = &colorata.angoli[3 * j];
        const V3 centro = mezzo(colorata, v);
        bool lontano = true;
        for (int k = 0; k < 9; k++)
            lontano = lontano && colorata.punti[v[k / 3]].pos[k % 3] * std::copysign(1.0, centro[k % 3]) > LONTANO_CONFINE;
        const FacciaLetta &f = colorata.facce[j];
        for (int i = 0; i < 3 && lontano; i++)
            ASSERT_TRUE(f.colorata == (centro[2] > 0) &&
                        (centro[2] <= 0 || std::abs(f.colore[i] - ottante(centro)[i]) <= COLORE_ARROTONDATO))
                << "triangle " << j;
    }
    EXPECT_TRUE(estremi(fatte[4], 0) == estremi(casi[4].m, 0) && estremi(fatte[4], 1) == estremi(casi[4].m, 1));
    const Maglia &r = fatte[6];
    for (size_t j = 0; j < r.facce.size(); j++)
        for (int k = 0; k < 3; k++) {
            const double *nk = r.punti[r.angoli[3 * j + k]].normale;
            ASSERT_NEAR(punto(unita(normale(r, &r.angoli[3 * j])), {nk[0], nk[1], nk[2]}), 1.0, PIANO_ARROTONDATO) << j;
        }
}

// Tiny limits still give a face; the same mesh and limits give the same
// result, and -0.0 fits as 0.0, as every reader takes it: meshoptimizer 0.18
// tells them apart by their bits and would simplify as if a border ran
// between them. (Within both limits nothing changes: test_grandi's file at
// the capacities.)
TEST(Adatta, LimitsAreKeptToTheLeastAndTheSameEachTime)
{
    const Maglia meshes[] = {sfere(10), tessere(5), superficie(20, 1, false, su_altura),
                             superficie(12, 5, true, su_toro), cubo(6), sfere(5)};
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
    Maglia z = cubo(60);
    sposta(z, 1, 0.0);
    EXPECT_EQ(adattata(cubo(60)).angoli, adattata(z).angoli);
}

// A box's computed normals are its six sides' (each corner split three
// ways); a sphere's are smooth, no vertex split, and point out.
TEST(Aspetto, CreasesSplitSmoothSurfacesDoNot)
{
    Maglia b{};
    for (int i = 0; i < 8; i++)
        aggiungi_punto(b, {i & 1 ? 1.0 : -1.0, i & 2 ? 1.0 : -1.0, i & 4 ? 3.0 : -3.0});
    for (const auto &q : QUADRATI) aggiungi_faccia(b, {q, q + 4});
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
