// The built-in surface as start-up leaves it in slot 0: counts, topology,
// normals, geometry, symmetry, numbering and a few reference rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <vector>

#include "data/superficie.h"
#include "model/poliedro.h"

namespace {

const int V = 2050, F = 4096;

// Unit normals are rounded to six digits per component: their length can be
// off by up to about 1e-6.
const double TOLL_UNITARIA = 1e-6;
// Symmetric positions come from different floating sums, rounded to six
// digits: they can differ in the last kept digit.
const double TOLL_SIMMETRIA = 1e-6;
// Two vertices closer than this count as coincident (edges are >= 0.186).
const double TOLL_COINCIDENTI = 1e-3;
// Quantities quoted to a few digits: half a unit of the last quoted digit.
const double MEZZA_UNITA_VOLUME = 0.005;     // -84.45
const double MEZZA_UNITA_AREA = 0.005;       // 157.94
// Ranges quoted as the tightest enclosing ones at their last digit: the
// extremes lie inside, within one unit of that digit.
const double UNITA_AREE = 0.0001;            // [0.0227, 0.0609]
const double UNITA_SPIGOLI = 0.001;          // [0.186, 0.425]
// The centre is an index-order sum of values up to 5.6 that cancel exactly;
// what is left is floating noise.
const double TOLL_CENTRO = 1e-16;
// raggio is a square root of one square: exact up to an ulp or so.
const double TOLL_RAGGIO = 1e-12;
const double ANGOLO_MASSIMO = 19.0;          // degrees, face normal to vertex normals
const double SCARTO_DIAGONALI = 0.005;       // relative, between the two diagonals

struct P3 {
    double x, y, z;
};
P3 meno(P3 a, P3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
P3 croce(P3 a, P3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double punto(P3 a, P3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double lung(P3 a) { return std::sqrt(punto(a, a)); }

const Poliedro &superficie()
{
    static bool fatto = false;
    if (!fatto) {
        inizializza_poliedro();
        fatto = true;
    }
    return ElencoPoliedri[0];
}
P3 pos(int i) { const Punto &p = superficie().punti[i]; return {p.x, p.y, p.z}; }
P3 nor(int i) { const Punto &p = superficie().punti[i]; return {p.nx, p.ny, p.nz}; }
const int *tri(int j) { return superficie().facce[j].vertici; }

std::array<int, 3> ordinata(const int *v)
{
    std::array<int, 3> t = {v[0], v[1], v[2]};
    std::sort(t.begin(), t.end());
    return t;
}

// Same triangle with the same winding, whichever vertex it lists first.
bool stesso_giro(const int *v, int a, int b, int c)
{
    for (int r = 0; r < 3; r++)
        if (v[r] == a && v[(r + 1) % 3] == b && v[(r + 2) % 3] == c)
            return true;
    return false;
}

}  // namespace

TEST(Superficie, CountsSlotsAndFaceRecords)
{
    const Poliedro &p = superficie();
    EXPECT_EQ(p.numpunti, V);
    EXPECT_EQ(p.numfacce, F);
    EXPECT_EQ(p.liscio, 1);
    EXPECT_EQ(p.scala, 1.0);
    for (int s = 1; s < MAX_POLIEDRI; s++) {
        EXPECT_EQ(ElencoPoliedri[s].numpunti, 0) << s;
        EXPECT_EQ(ElencoPoliedri[s].numfacce, 0) << s;
        EXPECT_EQ(ElencoPoliedri[s].punti[0].w, 0.0) << s;   // nothing was created there
    }
    for (int i = 0; i < V; i++) {
        EXPECT_EQ(p.punti[i].id, i);
        EXPECT_EQ(p.punti[i].w, 1.0);
        EXPECT_EQ(p.punti[i].nw, 1.0);
    }
    for (int j = 0; j < F; j++) {
        const Faccia &f = p.facce[j];
        ASSERT_EQ(f.id, j);
        ASSERT_EQ(f.numvertici, 3) << j;
        EXPECT_EQ(f.codicecolore, 'y') << j;
        for (int k = 0; k < 3; k++)
            ASSERT_TRUE(f.vertici[k] >= 0 && f.vertici[k] < V) << j;
    }
}

TEST(Superficie, ClosedManifoldOrientedOnePieceGenusZero)
{
    std::map<std::pair<int, int>, int> diretti;
    std::set<std::array<int, 3>> terne;
    std::vector<int> usato(V, 0);
    for (int j = 0; j < F; j++) {
        const int *v = tri(j);
        EXPECT_TRUE(v[0] != v[1] && v[1] != v[2] && v[0] != v[2]) << "face " << j;
        EXPECT_TRUE(terne.insert(ordinata(v)).second) << "duplicate face " << j;
        for (int k = 0; k < 3; k++) {
            diretti[{v[k], v[(k + 1) % 3]}]++;
            usato[v[k]]++;
        }
    }
    std::set<std::pair<int, int>> spigoli;
    for (const auto &d : diretti) {
        EXPECT_EQ(d.second, 1) << d.first.first << "->" << d.first.second;
        const auto inverso = diretti.find({d.first.second, d.first.first});
        EXPECT_TRUE(inverso != diretti.end() && inverso->second == 1)
            << d.first.first << "->" << d.first.second << " has no single reverse";
        spigoli.insert({std::min(d.first.first, d.first.second),
                        std::max(d.first.first, d.first.second)});
    }
    EXPECT_EQ(spigoli.size(), 6144u);
    EXPECT_EQ(V - (int)spigoli.size() + F, 2);
    EXPECT_EQ(std::count(usato.begin(), usato.end(), 0), 0);

    // One piece: walk the edges from vertex 0.
    std::vector<std::vector<int>> vicini(V);
    for (const auto &e : spigoli) {
        vicini[e.first].push_back(e.second);
        vicini[e.second].push_back(e.first);
    }
    std::vector<int> visto(V, 0), coda = {0};
    visto[0] = 1;
    for (size_t k = 0; k < coda.size(); k++)
        for (int w : vicini[coda[k]])
            if (!visto[w]) {
                visto[w] = 1;
                coda.push_back(w);
            }
    EXPECT_EQ((int)coda.size(), V);

    // Vertices around a vertex.
    std::map<int, int> istogramma;
    for (int i = 0; i < V; i++)
        istogramma[usato[i]]++;
    const std::map<int, int> atteso = {{4, 114}, {5, 168}, {6, 1472}, {7, 208}, {8, 88}};
    EXPECT_EQ(istogramma, atteso);
}

TEST(Superficie, UnitNormalsPointIntoTheirLobeAndAgreeWithTheWinding)
{
    const P3 centri[5] = {{-4, 0, 0}, {4, 0, 0}, {0, 0, 0}, {0, 0, -4}, {0, 0, 4}};
    for (int i = 0; i < V; i++) {
        EXPECT_NEAR(lung(nor(i)), 1.0, TOLL_UNITARIA) << i;
        int vicino = 0;
        for (int c = 1; c < 5; c++)
            if (lung(meno(centri[c], pos(i))) < lung(meno(centri[vicino], pos(i))))
                vicino = c;
        EXPECT_GT(punto(nor(i), meno(centri[vicino], pos(i))), 0.0) << i;
    }
    double peggiore = 0.0;
    for (int j = 0; j < F; j++) {
        const int *v = tri(j);
        const P3 n = croce(meno(pos(v[1]), pos(v[0])), meno(pos(v[2]), pos(v[0])));
        for (int k = 0; k < 3; k++) {
            const double c = punto(n, nor(v[k])) / (lung(n) * lung(nor(v[k])));
            peggiore = std::max(peggiore, std::acos(std::min(1.0, c)) * 180.0 / M_PI);
        }
    }
    EXPECT_LT(peggiore, ANGOLO_MASSIMO);
}

TEST(Superficie, VolumeAreaTriangleAndEdgeSizes)
{
    double volume = 0.0, area = 0.0, amin = 1e9, amax = 0.0, lmin = 1e9, lmax = 0.0;
    for (int j = 0; j < F; j++) {
        const int *v = tri(j);
        const P3 a = pos(v[0]), b = pos(v[1]), c = pos(v[2]);
        volume += punto(a, croce(b, c)) / 6.0;
        const double t = lung(croce(meno(b, a), meno(c, a))) / 2.0;
        area += t;
        amin = std::min(amin, t);
        amax = std::max(amax, t);
        for (int k = 0; k < 3; k++) {
            const double l = lung(meno(pos(v[(k + 1) % 3]), pos(v[k])));
            lmin = std::min(lmin, l);
            lmax = std::max(lmax, l);
        }
    }
    EXPECT_NEAR(volume, -84.45, MEZZA_UNITA_VOLUME);
    EXPECT_NEAR(area, 157.94, MEZZA_UNITA_AREA);
    EXPECT_GE(amin, 0.0227);
    EXPECT_LT(amin, 0.0227 + UNITA_AREE);
    EXPECT_LE(amax, 0.0609);
    EXPECT_GT(amax, 0.0609 - UNITA_AREE);
    EXPECT_GE(lmin, 0.186);
    EXPECT_LT(lmin, 0.186 + UNITA_SPIGOLI);
    EXPECT_LE(lmax, 0.425);
    EXPECT_GT(lmax, 0.425 - UNITA_SPIGOLI);
}

TEST(Superficie, ExtentAxisVerticesAndNoCoincidentVertices)
{
    double mx = 0, my = 0, mz = 0;
    int sugli_assi = 0;
    for (int i = 0; i < V; i++) {
        const P3 p = pos(i), n = nor(i);
        mx = std::max(mx, std::fabs(p.x));
        my = std::max(my, std::fabs(p.y));
        mz = std::max(mz, std::fabs(p.z));
        const int zeri = (p.x == 0.0) + (p.y == 0.0) + (p.z == 0.0);
        if (zeri < 2)
            continue;
        sugli_assi++;
        // On an axis: the normal is the exact unit vector back to the origin.
        const double l = p.x != 0 ? p.x : p.y != 0 ? p.y : p.z;
        EXPECT_EQ(std::fabs(l), p.y != 0 ? 1.59995 : 5.59995) << i;
        EXPECT_EQ(n.x, p.x == 0 ? 0.0 : -std::copysign(1.0, p.x)) << i;
        EXPECT_EQ(n.y, p.y == 0 ? 0.0 : -std::copysign(1.0, p.y)) << i;
        EXPECT_EQ(n.z, p.z == 0 ? 0.0 : -std::copysign(1.0, p.z)) << i;
    }
    EXPECT_EQ(sugli_assi, 6);
    EXPECT_EQ(mx, 5.59995);
    EXPECT_EQ(my, 1.59995);
    EXPECT_EQ(mz, 5.59995);

    // Sorted by x, only neighbours within the tolerance in x need a look.
    std::vector<int> per_x(V);
    for (int i = 0; i < V; i++)
        per_x[i] = i;
    std::sort(per_x.begin(), per_x.end(), [](int a, int b) { return pos(a).x < pos(b).x; });
    for (int k = 0; k < V; k++)
        for (int h = k + 1; h < V && pos(per_x[h]).x - pos(per_x[k]).x < TOLL_COINCIDENTI; h++)
            EXPECT_GE(lung(meno(pos(per_x[h]), pos(per_x[k]))), TOLL_COINCIDENTI)
                << per_x[k] << " " << per_x[h];
}

// The 16 symmetries of the square prism about y: (x, z) -> a signed
// permutation, y -> +-y. Positions map to vertices, normals exactly, faces to
// faces, and a mirror reverses the winding.
TEST(Superficie, SixteenSymmetries)
{
    std::multimap<long, int> per_chiave;   // vertices by rounded x
    for (int i = 0; i < V; i++)
        per_chiave.insert({std::lround(pos(i).x * 1000), i});
    std::set<std::array<int, 3>> facce_girate;   // rotated so the smallest comes first
    auto normalizza = [](int a, int b, int c) {
        std::array<int, 3> t = {a, b, c};
        std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
        return t;
    };
    for (int j = 0; j < F; j++)
        facce_girate.insert(normalizza(tri(j)[0], tri(j)[1], tri(j)[2]));

    int viste = 0;
    for (int scambio = 0; scambio < 2; scambio++)
        for (int sx = -1; sx <= 1; sx += 2)
            for (int sy = -1; sy <= 1; sy += 2)
                for (int sz = -1; sz <= 1; sz += 2) {
                    auto muovi = [&](P3 p) {
                        const double x = scambio ? p.z : p.x, z = scambio ? p.x : p.z;
                        return P3{sx * x, sy * p.y, sz * z};
                    };
                    const bool specchio = (sx * sy * sz * (scambio ? -1 : 1)) < 0;
                    std::vector<int> immagine(V, -1);
                    for (int i = 0; i < V; i++) {
                        const P3 q = muovi(pos(i));
                        const long k = std::lround(q.x * 1000);
                        for (long kk = k - 1; kk <= k + 1; kk++) {
                            auto r = per_chiave.equal_range(kk);
                            for (auto it = r.first; it != r.second; ++it)
                                if (lung(meno(pos(it->second), q)) < TOLL_SIMMETRIA)
                                    immagine[i] = it->second;
                        }
                        ASSERT_GE(immagine[i], 0) << "vertex " << i;
                        const P3 n = muovi(nor(i)), m = nor(immagine[i]);
                        // The tables hold +0.0 only; a mirrored 0 is -0.0 and compares equal.
                        EXPECT_TRUE(n.x == m.x && n.y == m.y && n.z == m.z) << "normal " << i;
                    }
                    for (int j = 0; j < F; j++) {
                        const int *v = tri(j);
                        const int a = immagine[v[0]], b = immagine[v[1]], c = immagine[v[2]];
                        EXPECT_TRUE(facce_girate.count(specchio ? normalizza(a, c, b)
                                                                : normalizza(a, b, c)))
                            << "face " << j;
                    }
                    viste++;
                }
    EXPECT_EQ(viste, 16);
}

// Faces 2m and 2m+1 are the two halves of one second-step quadrilateral;
// 1538 + k is the face point of first-step quadrilateral k = m / 4.
TEST(Superficie, QuadsCutAlongTheClearlyShorterDiagonal)
{
    int tra_spigoli = 0, angolo_centro = 0;
    for (int m = 0; m < F / 2; m++) {
        const int *t0 = tri(2 * m), *t1 = tri(2 * m + 1);
        std::vector<int> comuni, soli;
        for (int k = 0; k < 3; k++) {
            if (std::count(t1, t1 + 3, t0[k]))
                comuni.push_back(t0[k]);
            else
                soli.push_back(t0[k]);
            if (!std::count(t0, t0 + 3, t1[k]))
                soli.push_back(t1[k]);
        }
        ASSERT_EQ(comuni.size(), 2u) << m;
        ASSERT_EQ(soli.size(), 2u) << m;
        const int centro = 1538 + m / 4;
        ASSERT_TRUE(std::count(comuni.begin(), comuni.end(), centro) +
                    std::count(soli.begin(), soli.end(), centro) == 1) << m;
        if (std::count(comuni.begin(), comuni.end(), centro))
            angolo_centro++;
        else
            tra_spigoli++;
        const double taglio = lung(meno(pos(comuni[0]), pos(comuni[1])));
        const double altra = lung(meno(pos(soli[0]), pos(soli[1])));
        EXPECT_LT(taglio, altra * (1.0 - SCARTO_DIAGONALI)) << m;
    }
    EXPECT_EQ(tra_spigoli, 1080);
    EXPECT_EQ(angolo_centro, 968);
}

TEST(Superficie, CentreAndRadiusAfterCompletion)
{
    const Poliedro &p = superficie();
    for (int k = 0; k < 3; k++) {
        EXPECT_LE(std::fabs(p.centro[k]), TOLL_CENTRO) << k;
        EXPECT_EQ(p.centro_trasformato[k], p.centro[k]);
    }
    EXPECT_EQ(p.centro[3], 1.0);
    EXPECT_NEAR(p.raggio, 5.59995, TOLL_RAGGIO);
}

TEST(Superficie, EveryNumberHasAtMostSixSignificantDigits)
{
    for (int i = 0; i < V; i++) {
        const Punto &p = superficie().punti[i];
        for (double v : {p.x, p.y, p.z, p.nx, p.ny, p.nz}) {
            char testo[32];
            std::snprintf(testo, sizeof testo, "%.6g", v);
            EXPECT_EQ(std::strtod(testo, nullptr), v) << "vertex " << i;
        }
    }
}

TEST(Superficie, ReferenceVerticesAndFaces)
{
    struct Riga {
        int i;
        double x, y, z, nx, ny, nz;
    };
    const Riga righe[] = {
        {0, -5.3567, 0.537901, 0.537901, 0.849633, -0.37291, -0.37291},
        {1, -5.3567, 0.537901, -0.537901, 0.849633, -0.37291, 0.37291},
        {2, -5.3567, -0.537901, 0.537901, 0.849633, 0.37291, -0.37291},
        {3, -5.3567, -0.537901, -0.537901, 0.849633, 0.37291, 0.37291},
        {4, -2.47446, 0.543768, 0.543768, -0.579989, -0.576027, -0.576027},
        {5, -2.47446, 0.543768, -0.543768, -0.579989, -0.576027, 0.576027},
        {6, -2.47446, -0.543768, 0.543768, -0.579989, 0.576027, -0.576027},
        {7, -2.47446, -0.543768, -0.543768, -0.579989, 0.576027, 0.576027},
        {376, -5.59995, 0.0, 0.0, 1.0, 0.0, 0.0},
        {401, 5.59995, 0.0, 0.0, -1.0, 0.0, 0.0},
        {436, 0.0, 1.59995, 0.0, 0.0, -1.0, 0.0},
        {437, 0.0, -1.59995, 0.0, 0.0, 1.0, 0.0},
        {480, 0.0, 0.0, -5.59995, 0.0, 0.0, 1.0},
        {502, 0.0, 0.0, 5.59995, 0.0, 0.0, -1.0},
        {2049, 0.241397, 0.554147, 2.20749, -0.320182, -0.89206, 0.318924},
    };
    for (const Riga &r : righe) {
        const Punto &p = superficie().punti[r.i];
        EXPECT_EQ(p.x, r.x) << r.i;
        EXPECT_EQ(p.y, r.y) << r.i;
        EXPECT_EQ(p.z, r.z) << r.i;
        EXPECT_EQ(p.nx, r.nx) << r.i;
        EXPECT_EQ(p.ny, r.ny) << r.i;
        EXPECT_EQ(p.nz, r.nz) << r.i;
    }
    const int facce[][4] = {{0, 514, 0, 515},     {1, 514, 515, 1538}, {2, 120, 514, 1538},
                            {3, 1538, 1027, 120}, {4, 1026, 376, 1027}, {5, 1026, 1027, 1538},
                            {6, 121, 1026, 1538}, {7, 121, 1538, 515}, {4095, 361, 2049, 1011}};
    for (const auto &f : facce)
        EXPECT_TRUE(stesso_giro(tri(f[0]), f[1], f[2], f[3]))
            << "face " << f[0] << ": " << tri(f[0])[0] << " " << tri(f[0])[1] << " "
            << tri(f[0])[2];
}
