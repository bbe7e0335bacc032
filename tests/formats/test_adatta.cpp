// Fitting a mesh over the store's capacities down to them, on meshes made
// here: a closed bumpy sphere (shared and as a triangle soup), a shell of
// separate pieces, a grid with borders, a torus of polygons of up to 12
// corners, a cube with creases, and the colours and normals they carry.
// Each result must fit, keep its shape and keep what it carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "formats/adatta.h"
#include "formats/maglia.h"

namespace {

// The bound on the symmetric Hausdorff distance between the mesh and its
// fitted form, as a share of the bounding box's diagonal: an object from a
// file fills some 500 pixels of the window, so this is 5 pixels at most,
// and a closed surface of 5000 triangles follows a smooth one far closer.
constexpr double FORMA_MASSIMA = 0.01;
// The volume a closed mesh may lose or gain in the fit, as a share: flat
// triangles between kept vertices cut the bumps' tops a little.
constexpr double VOLUME_MASSIMO = 0.03;
// The least share of their volume the separate pieces keep: spheres cut to
// a hundred triangles each, their vertices on the sphere, hold some nine
// tenths of it.
constexpr double VOLUME_PEZZI = 0.8;
// Share of the result's area whose triangles may face away from the centre
// (beyond the file's own): the fit keeps the turn of every triangle.
constexpr double ROVESCIO_MASSIMO = 0.01;
// Share of the target a simplified mesh keeps at least: meshopt_simplify's
// last round of collapses lands up to a tenth below it.
constexpr double QUASI_TUTTE = 0.85;
// Rounding in the unit normal of a triangle on a side of the cube.
constexpr double PIANO_ARROTONDATO = 1e-12;
// Float rounding in a mean of three colours.
constexpr float COLORE_ARROTONDATO = 1e-6f;

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

V3 pos(const Maglia &m, int i)
{
    const double *p = m.punti[i].pos;
    return {p[0], p[1], p[2]};
}

int aggiungi_punto(Maglia &m, const V3 &p)
{
    PuntoLetto q{};
    for (int k = 0; k < 3; k++)
        q.pos[k] = p[k];
    m.punti.push_back(q);
    return (int)m.punti.size() - 1;
}

void aggiungi_faccia(Maglia &m, const std::vector<int> &v, const float *colore = nullptr)
{
    FacciaLetta f{};
    f.primo = (int)m.angoli.size();
    f.numvertici = (int)v.size();
    m.angoli.insert(m.angoli.end(), v.begin(), v.end());
    if (colore) {
        f.colorata = 1;
        for (int k = 0; k < 3; k++)
            f.colore[k] = colore[k];
    }
    m.facce.push_back(f);
}

// ---- the meshes ----------------------------------------------------------

// Radius of the bumpy sphere in direction d (unit): not a sphere, so that
// the fit has a shape to keep, gentle enough that every face faces out.
double raggio(const V3 &d)
{
    return 1.0 + 0.08 * std::sin(5.0 * d[0]) * std::sin(4.0 * d[1] + 1.0) *
                     std::sin(3.0 * d[2] + 2.0);
}

struct Icosfera {
    std::vector<V3> direzioni;            // unit
    std::vector<std::array<int, 3>> facce; // outward
};

Icosfera icosfera(int livelli)
{
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    Icosfera s;
    const double v[12][3] = {{-1, t, 0}, {1, t, 0},  {-1, -t, 0}, {1, -t, 0},
                             {0, -1, t}, {0, 1, t},  {0, -1, -t}, {0, 1, -t},
                             {t, 0, -1}, {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    for (const auto &p : v)
        s.direzioni.push_back(unita({p[0], p[1], p[2]}));
    s.facce = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
               {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
               {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
               {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    for (int l = 0; l < livelli; l++) {
        std::map<std::pair<int, int>, int> mezzi;
        auto mezzo = [&](int a, int b) {
            const auto k = std::make_pair(std::min(a, b), std::max(a, b));
            auto it = mezzi.find(k);
            if (it != mezzi.end())
                return it->second;
            s.direzioni.push_back(unita(piu(s.direzioni[a], s.direzioni[b])));
            return mezzi[k] = (int)s.direzioni.size() - 1;
        };
        std::vector<std::array<int, 3>> nuove;
        for (const auto &f : s.facce) {
            const int ab = mezzo(f[0], f[1]), bc = mezzo(f[1], f[2]), ca = mezzo(f[2], f[0]);
            nuove.push_back({f[0], ab, ca});
            nuove.push_back({f[1], bc, ab});
            nuove.push_back({f[2], ca, bc});
            nuove.push_back({ab, bc, ca});
        }
        s.facce.swap(nuove);
    }
    return s;
}

V3 su_sfera(const V3 &d) { return per(d, raggio(d)); }

// The bumpy sphere, vertices shared; 20 * 4^livelli triangles.
Maglia sfera(int livelli)
{
    const Icosfera s = icosfera(livelli);
    Maglia m{};
    for (const V3 &d : s.direzioni)
        aggiungi_punto(m, su_sfera(d));
    for (const auto &f : s.facce)
        aggiungi_faccia(m, {f[0], f[1], f[2]});
    return m;
}

// The same as a triangle soup, each triangle with its own three vertices.
Maglia sfera_sciolta(int livelli)
{
    const Icosfera s = icosfera(livelli);
    Maglia m{};
    for (const auto &f : s.facce) {
        std::vector<int> v;
        for (int k = 0; k < 3; k++)
            v.push_back(aggiungi_punto(m, su_sfera(s.direzioni[f[k]])));
        aggiungi_faccia(m, v);
    }
    return m;
}

// A shell of separate pieces: each face of the sphere, shrunk to 90 % about
// its middle, is the outer face of a small closed tetrahedron whose tip
// points in. No two pieces share a vertex.
Maglia tessere(int livelli)
{
    const Icosfera s = icosfera(livelli);
    Maglia m{};
    for (const auto &f : s.facce) {
        V3 c[3], mezzo{0, 0, 0};
        for (int k = 0; k < 3; k++) {
            c[k] = su_sfera(s.direzioni[f[k]]);
            mezzo = piu(mezzo, per(c[k], 1.0 / 3.0));
        }
        int v[4];
        for (int k = 0; k < 3; k++)
            v[k] = aggiungi_punto(m, piu(mezzo, per(meno(c[k], mezzo), 0.9)));
        v[3] = aggiungi_punto(m, per(mezzo, 0.98));
        aggiungi_faccia(m, {v[0], v[1], v[2]});
        aggiungi_faccia(m, {v[1], v[0], v[3]});
        aggiungi_faccia(m, {v[2], v[1], v[3]});
        aggiungi_faccia(m, {v[0], v[2], v[3]});
    }
    return m;
}

// n x n x n separate bumpy spheres of radius about 1, 3 apart, each of
// 20 * 4^livelli triangles: each piece must be simplified on its own, and
// they keep more vertices than one surface of as many triangles.
Maglia palline(int n, int livelli)
{
    const Icosfera s = icosfera(livelli);
    Maglia m{};
    for (int z = 0; z < n; z++)
        for (int y = 0; y < n; y++)
            for (int x = 0; x < n; x++) {
                const int base = (int)m.punti.size();
                const V3 centro{3.0 * x, 3.0 * y, 3.0 * z};
                for (const V3 &d : s.direzioni)
                    aggiungi_punto(m, piu(centro, su_sfera(d)));
                for (const auto &f : s.facce)
                    aggiungi_faccia(m, {base + f[0], base + f[1], base + f[2]});
            }
    return m;
}

// A height field of n x n quads, facing up: a mesh with a long border.
double altezza(double x, double y) { return 0.15 * std::sin(3.0 * x) * std::cos(2.0 * y + 0.5); }

Maglia griglia(int n)
{
    Maglia m{};
    for (int j = 0; j <= n; j++)
        for (int i = 0; i <= n; i++) {
            const double x = 2.0 * i / n - 1.0, y = 2.0 * j / n - 1.0;
            aggiungi_punto(m, {x, y, altezza(x, y)});
        }
    for (int j = 0; j < n; j++)
        for (int i = 0; i < n; i++) {
            const int a = j * (n + 1) + i;
            aggiungi_faccia(m, {a, a + 1, a + n + 2, a + n + 1});
        }
    return m;
}

// A torus of nu x nv cells whose edges carry 0 to 2 more vertices each, so
// that its faces have 4 to 12 corners; the torus is a little bumpy.
constexpr double TORO_R = 1.0, TORO_r = 0.35;

V3 su_toro(double u, double v)
{
    const double r = TORO_r * (1.0 + 0.1 * std::sin(3.0 * u) * std::cos(2.0 * v));
    return {(TORO_R + r * std::cos(v)) * std::cos(u), (TORO_R + r * std::cos(v)) * std::sin(u),
            r * std::sin(v)};
}

Maglia toro_di_poligoni(int nu, int nv)
{
    Maglia m{};
    const double pu = 2.0 * M_PI / nu, pv = 2.0 * M_PI / nv;
    auto angolo = [&](int i, int j) { return (j % nv) * nu + (i % nu); };
    for (int j = 0; j < nv; j++)
        for (int i = 0; i < nu; i++)
            aggiungi_punto(m, su_toro(i * pu, j * pv));
    // The extra vertices along the edge from cell corner (i, j) in u and in v.
    std::vector<std::vector<int>> lungo_u(nu * nv), lungo_v(nu * nv);
    for (int j = 0; j < nv; j++)
        for (int i = 0; i < nu; i++) {
            const int ku = i % 3, kv = j % 3;
            for (int k = 1; k <= ku; k++)
                lungo_u[angolo(i, j)].push_back(
                    aggiungi_punto(m, su_toro((i + k / (ku + 1.0)) * pu, j * pv)));
            for (int k = 1; k <= kv; k++)
                lungo_v[angolo(i, j)].push_back(
                    aggiungi_punto(m, su_toro(i * pu, (j + k / (kv + 1.0)) * pv)));
        }
    for (int j = 0; j < nv; j++)
        for (int i = 0; i < nu; i++) {
            // Outward: along u, then along v, back along u, back along v.
            std::vector<int> f{angolo(i, j)};
            const auto &a = lungo_u[angolo(i, j)];
            f.insert(f.end(), a.begin(), a.end());
            f.push_back(angolo(i + 1, j));
            const auto &b = lungo_v[angolo(i + 1, j)];
            f.insert(f.end(), b.begin(), b.end());
            f.push_back(angolo(i + 1, j + 1));
            const auto &c = lungo_u[angolo(i, j + 1)];
            f.insert(f.end(), c.rbegin(), c.rend());
            f.push_back(angolo(i, j + 1));
            const auto &d = lungo_v[angolo(i, j)];
            f.insert(f.end(), d.rbegin(), d.rend());
            aggiungi_faccia(m, f);
        }
    return m;
}

// A cube of 6 x n x n quads, each side with vertices of its own and its
// normal on them: flat sides and sharp edges, smooth nowhere.
Maglia cubo_a_spigoli(int n)
{
    Maglia m{};
    m.normali = 1;
    for (int lato = 0; lato < 6; lato++) {
        const int asse = lato / 2;
        const double segno = lato % 2 ? 1.0 : -1.0;
        const int a1 = (asse + 1) % 3, a2 = (asse + 2) % 3;
        const int base = (int)m.punti.size();
        for (int j = 0; j <= n; j++)
            for (int i = 0; i <= n; i++) {
                V3 p{};
                p[asse] = segno;
                p[a1] = 2.0 * i / n - 1.0;
                p[a2] = 2.0 * j / n - 1.0;
                const int v = aggiungi_punto(m, p);
                m.punti[v].normale[asse] = segno;
            }
        for (int j = 0; j < n; j++)
            for (int i = 0; i < n; i++) {
                const int a = base + j * (n + 1) + i;
                // a1 x a2 is the axis itself: the turn that faces out on + sides.
                if (segno > 0)
                    aggiungi_faccia(m, {a, a + 1, a + n + 2, a + n + 1});
                else
                    aggiungi_faccia(m, {a, a + n + 1, a + n + 2, a + 1});
            }
    }
    return m;
}

// ---- measures ------------------------------------------------------------

struct Tri {
    V3 v[3];
};

// Every face as a fan of triangles from its first corner, as it is drawn.
std::vector<Tri> triangoli(const Maglia &m)
{
    std::vector<Tri> t;
    for (const FacciaLetta &f : m.facce)
        for (int k = 1; k + 1 < f.numvertici; k++)
            t.push_back({{pos(m, m.angoli[f.primo]), pos(m, m.angoli[f.primo + k]),
                          pos(m, m.angoli[f.primo + k + 1])}});
    return t;
}

void scatola(const Maglia &m, V3 &basso, V3 &alto)
{
    basso = alto = pos(m, 0);
    for (size_t i = 0; i < m.punti.size(); i++)
        for (int k = 0; k < 3; k++) {
            basso[k] = std::min(basso[k], m.punti[i].pos[k]);
            alto[k] = std::max(alto[k], m.punti[i].pos[k]);
        }
}

// The point of t nearest p, by the regions of the triangle's plane.
V3 piu_vicino(const V3 &p, const Tri &t)
{
    const V3 &a = t.v[0], &b = t.v[1], &c = t.v[2];
    const V3 ab = meno(b, a), ac = meno(c, a), ap = meno(p, a);
    const double d1 = punto(ab, ap), d2 = punto(ac, ap);
    if (d1 <= 0 && d2 <= 0)
        return a;
    const V3 bp = meno(p, b);
    const double d3 = punto(ab, bp), d4 = punto(ac, bp);
    if (d3 >= 0 && d4 <= d3)
        return b;
    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return piu(a, per(ab, d1 / (d1 - d3)));
    const V3 cp = meno(p, c);
    const double d5 = punto(ab, cp), d6 = punto(ac, cp);
    if (d6 >= 0 && d5 <= d6)
        return c;
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return piu(a, per(ac, d2 / (d2 - d6)));
    const double va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
        return piu(b, per(meno(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6))));
    const double den = 1.0 / (va + vb + vc);
    return piu(a, piu(per(ab, vb * den), per(ac, vc * den)));
}

// Triangles binned in a coarse grid of cubic cells, for nearest-point
// queries that look at the cells in growing shells about the point.
struct Griglia {
    const std::vector<Tri> &t;
    V3 basso;
    double cella;
    int n[3];
    std::vector<int> inizio, elenco;
    mutable std::vector<int> visto;
    mutable int giro = 0;

    Griglia(const std::vector<Tri> &tri, const V3 &b, const V3 &a, int celle) : t(tri), basso(b)
    {
        const V3 d = meno(a, b);
        cella = std::max({d[0], d[1], d[2]}) / celle;
        for (int k = 0; k < 3; k++)
            n[k] = std::max(1, (int)std::ceil(d[k] / cella));
        std::vector<std::vector<int>> dentro((size_t)n[0] * n[1] * n[2]);
        for (size_t i = 0; i < t.size(); i++) {
            int lo[3], hi[3];
            for (int k = 0; k < 3; k++) {
                const double mn = std::min({t[i].v[0][k], t[i].v[1][k], t[i].v[2][k]});
                const double mx = std::max({t[i].v[0][k], t[i].v[1][k], t[i].v[2][k]});
                lo[k] = indice(mn, k);
                hi[k] = indice(mx, k);
            }
            for (int z = lo[2]; z <= hi[2]; z++)
                for (int y = lo[1]; y <= hi[1]; y++)
                    for (int x = lo[0]; x <= hi[0]; x++)
                        dentro[((size_t)z * n[1] + y) * n[0] + x].push_back((int)i);
        }
        inizio.push_back(0);
        for (const auto &c : dentro) {
            elenco.insert(elenco.end(), c.begin(), c.end());
            inizio.push_back((int)elenco.size());
        }
        visto.assign(t.size(), -1);
    }
    int indice(double x, int k) const
    {
        return std::clamp((int)std::floor((x - basso[k]) / cella), 0, n[k] - 1);
    }
    double distanza(const V3 &p) const
    {
        giro++;
        int c[3];
        for (int k = 0; k < 3; k++)
            c[k] = indice(p[k], k);
        double migliore = INFINITY;
        const int massimo = std::max({n[0], n[1], n[2]});
        for (int r = 0; r <= massimo; r++) {
            for (int z = c[2] - r; z <= c[2] + r; z++)
                for (int y = c[1] - r; y <= c[1] + r; y++)
                    for (int x = c[0] - r; x <= c[0] + r; x++) {
                        if (std::max({std::abs(x - c[0]), std::abs(y - c[1]),
                                      std::abs(z - c[2])}) != r)
                            continue;
                        if (x < 0 || y < 0 || z < 0 || x >= n[0] || y >= n[1] || z >= n[2])
                            continue;
                        const size_t s = ((size_t)z * n[1] + y) * n[0] + x;
                        for (int q = inizio[s]; q < inizio[s + 1]; q++) {
                            const int i = elenco[q];
                            if (visto[i] == giro)
                                continue;
                            visto[i] = giro;
                            migliore = std::min(migliore, norma(meno(p, piu_vicino(p, t[i]))));
                        }
                    }
            // Cells beyond this shell are at least r cells away.
            if (migliore <= r * cella)
                break;
        }
        return migliore;
    }
};

// Points on the surface: each triangle's corners, middle and a barycentric
// grid of `righe` rows, so small and large triangles alike are covered.
std::vector<V3> campioni(const std::vector<Tri> &t, int righe)
{
    std::vector<V3> p;
    for (const Tri &x : t)
        for (int i = 0; i <= righe; i++)
            for (int j = 0; i + j <= righe; j++) {
                const double a = (double)i / righe, b = (double)j / righe;
                p.push_back(piu(x.v[0], piu(per(meno(x.v[1], x.v[0]), a),
                                            per(meno(x.v[2], x.v[0]), b))));
            }
    return p;
}

double lontananza(const std::vector<Tri> &da, int righe, const std::vector<Tri> &a,
                  const V3 &basso, const V3 &alto)
{
    const Griglia g(a, basso, alto, 48);
    double d = 0.0;
    for (const V3 &p : campioni(da, righe))
        d = std::max(d, g.distanza(p));
    return d;
}

// The symmetric Hausdorff distance between two meshes' surfaces, over the
// first's bounding box diagonal.
double hausdorff(const Maglia &prima, const Maglia &dopo)
{
    V3 b, a;
    scatola(prima, b, a);
    const std::vector<Tri> t1 = triangoli(prima), t2 = triangoli(dopo);
    // The file's triangles are small: their corners and middles are enough.
    const double avanti = lontananza(t1, 1, t2, b, a);
    const double indietro = lontananza(t2, 8, t1, b, a);
    return std::max(avanti, indietro) / norma(meno(a, b));
}

double volume(const Maglia &m, const V3 &centro)
{
    double v = 0.0;
    for (const Tri &t : triangoli(m))
        v += punto(meno(t.v[0], centro), croce(meno(t.v[1], centro), meno(t.v[2], centro))) / 6.0;
    return v;
}

// The share of the area whose triangles face away from where `fuori` says
// outward is.
template <class Fuori>
double area_rovescia(const Maglia &m, Fuori fuori)
{
    double tutta = 0.0, rovescia = 0.0;
    for (const Tri &t : triangoli(m)) {
        const V3 n = croce(meno(t.v[1], t.v[0]), meno(t.v[2], t.v[0]));
        const V3 mezzo = per(piu(t.v[0], piu(t.v[1], t.v[2])), 1.0 / 3.0);
        tutta += norma(n);
        if (punto(n, fuori(mezzo)) <= 0.0)
            rovescia += norma(n);
    }
    return rovescia / tutta;
}

V3 dal_centro(const V3 &p) { return p; }

// ---- checks on every result --------------------------------------------

bool stessi_bit(const double *a, const double *b)
{
    return std::memcmp(a, b, 3 * sizeof(double)) == 0;
}

// Field by field: the record's padding is nobody's.
bool stessi_punti(const std::vector<PuntoLetto> &a, const std::vector<PuntoLetto> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (!stessi_bit(a[i].pos, b[i].pos) || !stessi_bit(a[i].normale, b[i].normale) ||
            std::memcmp(a[i].colore, b[i].colore, sizeof a[i].colore) != 0)
            return false;
    return true;
}

// Within both limits, triangles only, every index valid, every triangle
// turning at each corner, and every vertex one of the file's own with what
// it carried (a vertex may be found by its position and normal).
void controlla(const Maglia &prima, const Maglia &dopo, size_t max_punti, size_t max_facce)
{
    ASSERT_GE(dopo.facce.size(), 1u);
    EXPECT_LE(dopo.facce.size(), max_facce);
    EXPECT_LE(dopo.punti.size(), max_punti);
    EXPECT_EQ(dopo.angoli.size(), 3 * dopo.facce.size());
    EXPECT_EQ(dopo.normali, prima.normali);
    EXPECT_EQ(dopo.colori_punti, prima.colori_punti);
    std::vector<int> usato(dopo.punti.size(), 0);
    for (size_t j = 0; j < dopo.facce.size(); j++) {
        const FacciaLetta &f = dopo.facce[j];
        ASSERT_EQ(f.numvertici, 3);
        ASSERT_EQ(f.primo, (int)(3 * j));
        int v[3];
        for (int k = 0; k < 3; k++) {
            v[k] = dopo.angoli[f.primo + k];
            ASSERT_GE(v[k], 0);
            ASSERT_LT(v[k], (int)dopo.punti.size());
            usato[v[k]] = 1;
        }
        for (int k = 0; k < 3; k++) {
            const V3 a = pos(dopo, v[k]), b = pos(dopo, v[(k + 1) % 3]),
                     c = pos(dopo, v[(k + 2) % 3]);
            const V3 u = meno(b, a), w = meno(c, a);
            EXPECT_GT(norma(croce(u, w)), 1e-9 * norma(u) * norma(w)) << "triangle " << j;
        }
    }
    for (size_t i = 0; i < usato.size(); i++)
        EXPECT_TRUE(usato[i]) << "vertex " << i << " used by no face";
    std::multimap<std::array<double, 3>, const PuntoLetto *> del_file;
    for (const PuntoLetto &p : prima.punti)
        del_file.insert({{p.pos[0], p.pos[1], p.pos[2]}, &p});
    for (const PuntoLetto &p : dopo.punti) {
        bool trovato = false;
        auto r = del_file.equal_range({p.pos[0], p.pos[1], p.pos[2]});
        for (auto it = r.first; it != r.second && !trovato; ++it)
            trovato = stessi_bit(it->second->pos, p.pos) &&
                      (!prima.normali || stessi_bit(it->second->normale, p.normale)) &&
                      (!prima.colori_punti ||
                       std::memcmp(it->second->colore, p.colore, sizeof p.colore) == 0);
        EXPECT_TRUE(trovato) << "a vertex of the result is none of the file's";
        if (!trovato)
            return;
    }
}

Maglia adattata(const Maglia &m, int max_punti = MAX_PUNTI, int max_facce = MAX_FACCE)
{
    Maglia r = m;
    EXPECT_TRUE(adatta_maglia(r, max_punti, max_facce));
    return r;
}

// ---- the tests -----------------------------------------------------------

TEST(Adatta, WithinBothLimitsNothingChanges)
{
    const Maglia m = sfera(3);   // 1280 triangles, 642 vertices
    Maglia r = m;
    EXPECT_FALSE(adatta_maglia(r));
    EXPECT_FALSE(adatta_maglia(r, 642, 1280));
    EXPECT_TRUE(stessi_punti(r.punti, m.punti));
    EXPECT_EQ(r.angoli, m.angoli);
    ASSERT_EQ(r.facce.size(), m.facce.size());
    // One vertex or one face too many, and it is fitted.
    EXPECT_TRUE(adatta_maglia(r, 641, 1280));
    r = m;
    EXPECT_TRUE(adatta_maglia(r, 642, 1279));
}

TEST(Adatta, ClosedSurfaceKeepsShapeAndTurn)
{
    const Maglia m = sfera(6);   // 81920 triangles, 40962 vertices
    const Maglia r = adattata(m);
    controlla(m, r, MAX_PUNTI, MAX_FACCE);
    // Simplified, not cut to pieces: close to the target.
    EXPECT_GE(r.facce.size(), MAX_FACCE * QUASI_TUTTE);
    const double h = hausdorff(m, r);
    EXPECT_LE(h, FORMA_MASSIMA);
    const double v0 = volume(m, {0, 0, 0}), v1 = volume(r, {0, 0, 0});
    EXPECT_GT(v0, 0.0);
    EXPECT_NEAR(v1 / v0, 1.0, VOLUME_MASSIMO);
    EXPECT_LE(area_rovescia(r, dal_centro), area_rovescia(m, dal_centro) + ROVESCIO_MASSIMO);
    RecordProperty("hausdorff", std::to_string(h));
}

TEST(Adatta, TriangleSoupIsWeldedFirst)
{
    const Maglia m = sfera_sciolta(6);   // 81920 triangles, 245760 vertices
    const Maglia r = adattata(m);
    controlla(m, r, MAX_PUNTI, MAX_FACCE);
    // A soup not welded cannot be simplified: it would lose its triangles
    // to the grid or keep them apart, too many vertices for few faces.
    EXPECT_GE(r.facce.size(), MAX_FACCE * QUASI_TUTTE);
    EXPECT_LE(hausdorff(m, r), FORMA_MASSIMA);
    EXPECT_NEAR(volume(r, {0, 0, 0}) / volume(m, {0, 0, 0}), 1.0, VOLUME_MASSIMO);
}

TEST(Adatta, SeparatePiecesKeepShape)
{
    const Maglia m = palline(3, 4);   // 27 pieces, 138240 triangles, 69174 vertices
    const double v0 = volume(m, {0, 0, 0});
    ASSERT_GT(v0, 0.0);
    // Within the triangles the pieces need; then with fewer vertices than
    // 5000 triangles take, so that the vertices bind.
    const struct {
        int punti, facce;
    } limiti[] = {{MAX_PUNTI, MAX_FACCE}, {1500, MAX_FACCE}};
    for (const auto &l : limiti) {
        const Maglia r = adattata(m, l.punti, l.facce);
        controlla(m, r, l.punti, l.facce);
        const double h = hausdorff(m, r);
        RecordProperty("hausdorff_" + std::to_string(l.punti), std::to_string(h));
        EXPECT_LE(h, FORMA_MASSIMA) << l.punti;
        // Each piece closed and facing out still.
        EXPECT_GT(volume(r, {0, 0, 0}) / v0, VOLUME_PEZZI) << l.punti;
    }
}

// A shell of pieces smaller than the triangles that fit: meshopt_simplify
// takes some away whole, the rest keep more vertices than the limit, and
// further passes must bring both within it.
TEST(Adatta, ManySmallPiecesFitBothLimits)
{
    const Maglia m = tessere(4);   // 5120 pieces: 20480 triangles, 20480 vertices
    const struct {
        int punti, facce;
    } limiti[] = {{MAX_PUNTI, MAX_FACCE}, {600, 1000}, {100, MAX_FACCE}};
    for (const auto &l : limiti) {
        const Maglia r = adattata(m, l.punti, l.facce);
        controlla(m, r, l.punti, l.facce);
        // The vertices bound: well over one triangle for each.
        EXPECT_GE(r.facce.size(), r.punti.size() / 2) << l.punti;
        EXPECT_LE(area_rovescia(r, dal_centro), area_rovescia(m, dal_centro) + ROVESCIO_MASSIMO);
    }
}

TEST(Adatta, GridKeepsItsBorderAndFacesUp)
{
    const Maglia m = griglia(200);   // 40000 quads, 40401 vertices
    const Maglia r = adattata(m);
    controlla(m, r, MAX_PUNTI, MAX_FACCE);
    EXPECT_LE(hausdorff(m, r), FORMA_MASSIMA);
    auto su = [](const V3 &) { return V3{0, 0, 1}; };
    EXPECT_EQ(area_rovescia(m, su), 0.0);
    EXPECT_LE(area_rovescia(r, su), ROVESCIO_MASSIMO);
    // The border is where it was: the box is the file's.
    V3 b0, a0, b1, a1;
    scatola(m, b0, a0);
    scatola(r, b1, a1);
    for (int k = 0; k < 2; k++) {
        EXPECT_EQ(b1[k], b0[k]);
        EXPECT_EQ(a1[k], a0[k]);
    }
}

TEST(Adatta, PolygonsOfUpTo12CornersAreCutAndKeepTheirTurn)
{
    const Maglia m = toro_di_poligoni(100, 60);
    int piu_grande = 0;
    for (const FacciaLetta &f : m.facce)
        piu_grande = std::max(piu_grande, f.numvertici);
    ASSERT_EQ(piu_grande, 12);
    const Maglia r = adattata(m);
    controlla(m, r, MAX_PUNTI, MAX_FACCE);
    EXPECT_LE(hausdorff(m, r), FORMA_MASSIMA);
    const double v0 = volume(m, {0, 0, 0});
    EXPECT_NEAR(v0, 2.0 * M_PI * M_PI * TORO_R * TORO_r * TORO_r, 0.05 * v0);
    EXPECT_NEAR(volume(r, {0, 0, 0}) / v0, 1.0, VOLUME_MASSIMO);
    // Outward is away from the circle inside the tube.
    auto dal_cerchio = [](const V3 &p) {
        const double u = std::atan2(p[1], p[0]);
        return meno(p, V3{TORO_R * std::cos(u), TORO_R * std::sin(u), 0.0});
    };
    EXPECT_LE(area_rovescia(r, dal_cerchio), area_rovescia(m, dal_cerchio) + ROVESCIO_MASSIMO);
}

TEST(Adatta, CreasesStaySharpAndFlatSidesFlat)
{
    const Maglia m = cubo_a_spigoli(60);   // 21600 quads, 22326 vertices
    const Maglia r = adattata(m);
    controlla(m, r, MAX_PUNTI, MAX_FACCE);
    EXPECT_LE(hausdorff(m, r), FORMA_MASSIMA);
    // Each triangle lies on one side, with that side's normal at all three
    // corners: vertices at an edge were not merged across it.
    for (size_t j = 0; j < r.facce.size(); j++) {
        const int *v = &r.angoli[3 * j];
        const V3 n = unita(croce(meno(pos(r, v[1]), pos(r, v[0])), meno(pos(r, v[2]), pos(r, v[0]))));
        for (int k = 0; k < 3; k++) {
            const double *nk = r.punti[v[k]].normale;
            ASSERT_NEAR(punto(n, {nk[0], nk[1], nk[2]}), 1.0, PIANO_ARROTONDATO) << "triangle " << j;
        }
    }
    EXPECT_NEAR(volume(r, {0, 0, 0}), 8.0, 8.0 * 1e-9);
}

// Smooth normals on the sphere: each the direction of its vertex.
Maglia sfera_liscia(int livelli)
{
    Maglia m = sfera(livelli);
    m.normali = 1;
    for (PuntoLetto &p : m.punti) {
        const V3 n = unita({p.pos[0], p.pos[1], p.pos[2]});
        for (int k = 0; k < 3; k++)
            p.normale[k] = n[k];
    }
    return m;
}

// The colour of the octant of p.
std::array<float, 3> ottante(const V3 &p)
{
    return {p[0] > 0 ? 1.0f : 0.2f, p[1] > 0 ? 0.9f : 0.1f, p[2] > 0 ? 0.8f : 0.3f};
}

TEST(Adatta, NormalsStayOnTheirVertices)
{
    const Maglia m = sfera_liscia(6);
    const Maglia r = adattata(m);
    controlla(m, r, MAX_PUNTI, MAX_FACCE);   // normals found with their positions
    EXPECT_EQ(r.normali, 1);
    EXPECT_LE(hausdorff(m, r), FORMA_MASSIMA);
    for (const PuntoLetto &p : r.punti)
        EXPECT_GT(punto({p.normale[0], p.normale[1], p.normale[2]}, {p.pos[0], p.pos[1], p.pos[2]}),
                  0.0);
}

TEST(Adatta, FaceColoursReachTheFittedFacesThroughTheVertices)
{
    Maglia m = sfera_liscia(6);
    // The range of the colours of the faces about each vertex.
    std::vector<std::array<float, 3>> basso(m.punti.size(), {2, 2, 2}),
        alto(m.punti.size(), {-1, -1, -1});
    for (FacciaLetta &f : m.facce) {
        V3 mezzo{0, 0, 0};
        for (int k = 0; k < 3; k++)
            mezzo = piu(mezzo, pos(m, m.angoli[f.primo + k]));
        const auto c = ottante(mezzo);
        f.colorata = 1;
        std::copy(c.begin(), c.end(), f.colore);
        for (int k = 0; k < 3; k++)
            for (int i = 0; i < 3; i++) {
                const int v = m.angoli[f.primo + k];
                basso[v][i] = std::min(basso[v][i], c[i]);
                alto[v][i] = std::max(alto[v][i], c[i]);
            }
    }
    std::map<std::array<double, 3>, int> dove;
    for (size_t i = 0; i < m.punti.size(); i++)
        dove[{m.punti[i].pos[0], m.punti[i].pos[1], m.punti[i].pos[2]}] = (int)i;
    const Maglia r = adattata(m);
    controlla(m, r, MAX_PUNTI, MAX_FACCE);
    // Each fitted face's colour is within those of the faces about its
    // vertices; where those are all one colour, it is that colour.
    double tutta = 0.0, pura = 0.0;
    for (size_t j = 0; j < r.facce.size(); j++) {
        const FacciaLetta &f = r.facce[j];
        ASSERT_EQ(f.colorata, 1);
        const int *v = &r.angoli[3 * j];
        std::array<float, 3> b{2, 2, 2}, a{-1, -1, -1};
        for (int k = 0; k < 3; k++) {
            const int i = dove.at({r.punti[v[k]].pos[0], r.punti[v[k]].pos[1], r.punti[v[k]].pos[2]});
            for (int c = 0; c < 3; c++) {
                b[c] = std::min(b[c], basso[i][c]);
                a[c] = std::max(a[c], alto[i][c]);
            }
        }
        for (int c = 0; c < 3; c++) {
            ASSERT_GE(f.colore[c], b[c] - COLORE_ARROTONDATO) << "triangle " << j;
            ASSERT_LE(f.colore[c], a[c] + COLORE_ARROTONDATO) << "triangle " << j;
        }
        const double area = norma(croce(meno(pos(r, v[1]), pos(r, v[0])), meno(pos(r, v[2]), pos(r, v[0]))));
        tutta += area;
        if (b == a)
            pura += area;
    }
    // Faces across the three great circles between octants are a band some
    // two triangles wide: a fifth of the area, little more.
    EXPECT_GE(pura / tutta, 0.75);
}

TEST(Adatta, HalfColouredStaysHalfColoured)
{
    Maglia m = sfera(6);
    const float rosso[3] = {1.0f, 0.0f, 0.0f};
    for (FacciaLetta &f : m.facce)
        if (pos(m, m.angoli[f.primo])[2] > 0.0) {
            f.colorata = 1;
            std::copy(rosso, rosso + 3, f.colore);
        }
    const Maglia r = adattata(m);
    controlla(m, r, MAX_PUNTI, MAX_FACCE);
    // Away from the equator, as the file had it.
    for (size_t j = 0; j < r.facce.size(); j++) {
        double z = 0.0;
        for (int k = 0; k < 3; k++)
            z += pos(r, r.angoli[3 * j + k])[2] / 3.0;
        if (z > 0.1) {
            EXPECT_EQ(r.facce[j].colorata, 1);
            EXPECT_EQ(r.facce[j].colore[0], 1.0f);
            EXPECT_EQ(r.facce[j].colore[1], 0.0f);
        }
        if (z < -0.1) {
            EXPECT_EQ(r.facce[j].colorata, 0);
        }
    }
}

TEST(Adatta, VertexColoursStayAndColourTheFaces)
{
    Maglia m = sfera(6);
    m.colori_punti = 1;
    for (PuntoLetto &p : m.punti)
        for (int k = 0; k < 3; k++)
            p.colore[k] = (float)(0.5 + 0.4 * p.pos[k]);
    const Maglia r = adattata(m);
    controlla(m, r, MAX_PUNTI, MAX_FACCE);   // colours found with their positions
    for (size_t j = 0; j < r.facce.size(); j++) {
        const FacciaLetta &f = r.facce[j];
        ASSERT_EQ(f.colorata, 1);
        for (int c = 0; c < 3; c++) {
            float s = 0.0f;
            for (int k = 0; k < 3; k++)
                s += r.punti[r.angoli[3 * j + k]].colore[c];
            EXPECT_NEAR(f.colore[c], s / 3.0f, COLORE_ARROTONDATO);
        }
    }
}

TEST(Adatta, FarAndTinyMeshesKeepTheirDetail)
{
    // So far from the origin, or so small, that floats taken straight from
    // the doubles would merge neighbouring vertices.
    const struct {
        double scala, spostamento;
    } casi[] = {{1e21, 1e29}, {1e-43, 0.0}, {1e29, -5e29}};
    for (const auto &c : casi) {
        Maglia m = sfera(5);
        for (PuntoLetto &p : m.punti)
            for (int k = 0; k < 3; k++)
                p.pos[k] = p.pos[k] * c.scala + c.spostamento;
        const Maglia r = adattata(m, 1000, 2000);
        controlla(m, r, 1000, 2000);
        EXPECT_GE(r.facce.size(), 2000 * QUASI_TUTTE) << c.scala;
        EXPECT_LE(hausdorff(m, r), FORMA_MASSIMA) << c.scala;
    }
}

TEST(Adatta, TinyLimitsAlwaysGiveAFace)
{
    const Maglia meshes[] = {sfera(3), tessere(2), griglia(20), toro_di_poligoni(12, 8),
                             cubo_a_spigoli(6), sfera_sciolta(2)};
    for (const Maglia &m : meshes)
        for (int max_facce = 1; max_facce <= 10; max_facce++)
            for (int max_punti = 3; max_punti <= 12; max_punti++) {
                SCOPED_TRACE(testing::Message() << m.facce.size() << " faces, limits "
                                                << max_punti << " " << max_facce);
                const Maglia r = adattata(m, max_punti, max_facce);
                controlla(m, r, max_punti, max_facce);
                if (HasFatalFailure())
                    return;
            }
    // Limits below the least that makes a triangle count as that least;
    // one limit as large as it can be and the other binding.
    const Maglia m = sfera(2);
    controlla(m, adattata(m, 0, 0), 3, 1);
    controlla(m, adattata(m, 3, INT_MAX), 3, INT_MAX);
    controlla(m, adattata(m, INT_MAX, 1), INT_MAX, 1);
    controlla(m, adattata(m, 40, INT_MAX), 40, INT_MAX);
}

TEST(Adatta, SameMeshSameResult)
{
    const Maglia m = tessere(3);
    const Maglia a = adattata(m, 500, 700), b = adattata(m, 500, 700);
    EXPECT_TRUE(stessi_punti(a.punti, b.punti));
    EXPECT_EQ(a.angoli, b.angoli);
}

}  // namespace
