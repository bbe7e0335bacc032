// Records, constructors, palettes, completion, matrices and transformations, without GL.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "model/colori.h"
#include "model/faccia.h"
#include "transform/matrice.h"
#include "transform/trasforma.h"
#include "state/vista.h"

namespace {

struct Scena : ::testing::Test {
    void SetUp() override { std::memset(ElencoPoliedri, 0, sizeof ElencoPoliedri), distanza = 1.0; }
};

}  // namespace

// Calls outside the table's capacities write nothing; the limits are inside.
TEST_F(Scena, GuardsWriteNothingOutsideTheTable)
{
    std::memset(ElencoPoliedri, 0x5a, sizeof ElencoPoliedri);  // every byte one a write would change
    static Poliedro prima[MAX_POLIEDRI];
    std::memcpy(prima, ElencoPoliedri, sizeof prima);
    const double t[3] = {1.0, 2.0, 3.0};
    for (int s : {-1, 4, -2147483647 - 1}) {
        creapunto(s, 0, 1, 1, 1, 1, 1, 1), creafaccia3(s, 0, 0, 1, 2, 'r'), creanormalfaccia(s, 0);
        creapoliedro(s, 3, 1, 1), Trasla_oggetto(t, s, +1), Ruota_oggetto(0.5, 0.5, s);
        Scala_oggetto(2.0, s), ApplicaTrasformazioni(s);
    }
    for (int i : {-1, 3000, 2147483647}) creapunto(0, i, 1, 1, 1, 1, 1, 1);
    for (int j : {-1, 5000, 2147483647}) creafaccia3(0, j, 0, 1, 2, 'r'), creanormalfaccia(0, j);
    // A bad vertex index anywhere in the list stops the whole face.
    creafaccia5(0, 0, 0, 1, 2, 0, 3000.0, 'r');
    creafaccia10(0, 0, 0, 1, 2, 0, 0, 0, 0, 0, std::nan(""), -1.0, 'r');
    creapoliedro(0, 3001, 1, 1), creapoliedro(0, -1, 1, 1), creapoliedro(0, 3, 5001, 1);
    EXPECT_EQ(std::memcmp(prima, ElencoPoliedri, sizeof prima), 0);
    creapunto(3, 2999, 1, 2, 3, 0, 0, 1), creafaccia3(3, 4999, 2999.5, 2999, -0.5, 'g');
    creapoliedro(3, 3000, 5000, 0);
    const Poliedro &p = ElencoPoliedri[3];
    EXPECT_TRUE(p.punti[2999].id == 2999 && p.facce[4999].vertici[0] == 2999 && p.numfacce == 5000);
}

TEST_F(Scena, FaceIndicesTruncateNormalIsBMinusACrossCMinusAAndBothPalettes)
{
    const double pos[5][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 5}, {2, 2, 0}};
    for (int i = 0; i < 5; i++) creapunto(0, i, pos[i][0], pos[i][1], pos[i][2], 0, 0, 1);
    const Faccia *f = ElencoPoliedri[0].facce;
    creafaccia3(0, 0, 0.99, 1.9, 2.999, 'y');
    EXPECT_TRUE(f[0].id == 0 && f[0].numvertici == 3 && f[0].codicecolore == 'y' && f[0].vertici[0] == 0 &&
                f[0].vertici[1] == 1 && f[0].vertici[2] == 2);
    // Reversed or degenerate windings follow from the plain product, unnormalised.
    creafaccia4(0, 1, 0, 3, 1, 2, 'y');  // the fourth vertex does not count
    creafaccia3(0, 2, 1, 4, 2, 'y');     // (1, 2, 0) x (-1, 1, 0)
    const double attesa[3][3] = {{0, 0, 1}, {0, 5, 0}, {0, 0, 3}};
    for (int j = 0; j < 3; j++) {
        const double *n = f[j].normale, *a = attesa[j];
        EXPECT_TRUE(n[0] == a[0] && n[1] == a[1] && n[2] == a[2] && n[3] == 1.0) << j;
    }
    // Both palettes, either case; the edge is fill / 1.25f; unknown letters keep the fill.
    const char lettere[] = "rygbploewk";
    const float tav[10][6] = {  // opaque rgb, transparent rgb
        {.8f, .2f, .2f, .5f, 0, 0}, {.8f, .8f, .2f, .5f, .5f, 0}, {.2f, .8f, .2f, 0, .5f, 0},
        {.2f, .2f, .8f, 0, 0, .5f}, {.8f, .2f, .8f, .5f, 0, .5f}, {.2f, .8f, .8f, 0, .5f, .5f},
        {.8f, .4f, 0, .5f, .2f, 0}, {.6f, .6f, .6f, .3f, .3f, .3f}, {.8f, .8f, .8f, .5f, .5f, .5f},
        {.2f, .2f, .2f, .1f, .1f, .1f}};
    auto atteso = [&](const float *rgb, float a, char l) {
        for (int k = 0; k < 3; k++)  // edge by division: 0.6f / 1.25f is not 0.6f * 0.8f
            EXPECT_TRUE(f->colore[k] == rgb[k] && f->colore_bordo[k] == rgb[k] / 1.25f) << l << k;
        EXPECT_TRUE(f->colore[3] == a && f->colore_bordo[3] == 1.0f) << l;
    };
    for (int r = 0; r < 10; r++)
        for (char l : {lettere[r], (char)(lettere[r] - 'a' + 'A')}) {
            trasparenza = 0, alpha = 0.8, colorafaccia(0, 0, l);
            atteso(tav[r], 0.8f, l);
            trasparenza = -7, alpha = 0.35, colorafaccia(0, 0, l);  // any nonzero flag
            atteso(tav[r] + 3, (float)0.35, l);
        }
    trasparenza = 0, alpha = 0.1, colorafaccia(0, 0, 'b');
    for (char c : {'x', '\0', (char)0xE9, 'Z'}) {
        ElencoPoliedri[0].facce[0].colore_bordo[3] = 0.0f, colorafaccia(0, 0, c);
        atteso(tav[3], 0.1f, c);
    }
}

TEST_F(Scena, CreapuntoScalesByDistanzaAndCompletionFindsCentreRadiusMatrices)
{
    distanza = 2.0;
    creapunto(2, 0, 0, 0, 0, 0, 0, 1), creapunto(2, 1, 1, 0, 0, 0, 3, 1);
    creapunto(2, 2, 0, 2, 0, 0, 0, 1), creapunto(2, 3, 50, 50, 50, 0, 0, 1);  // 3: beyond the count
    distanza = 1.0;
    const Poliedro &p = ElencoPoliedri[2];
    for (const Punto *q : {&p.punti[1], &p.punti_trasformati[1]})
        EXPECT_TRUE(q->id == 1 && q->x == 2.0 && q->y == 0.0 && q->z == 0.0 && q->w == 1.0 && q->nx == 0.0 &&
                    q->ny == 3.0 && q->nz == 1.0 && q->nw == 1.0);
    creapoliedro(2, 3, 1, 1);
    EXPECT_TRUE(p.numpunti == 3 && p.numfacce == 1 && p.liscio == 1 && p.scala == 1.0);
    EXPECT_TRUE(p.centro[0] == 2.0 / 3.0 && p.centro[1] == 4.0 / 3.0 && p.centro[2] == 0.0 &&
                p.centro[3] == 1.0);
    EXPECT_EQ(std::memcmp(p.centro, p.centro_trasformato, sizeof p.centro), 0);
    EXPECT_EQ(p.raggio, std::hypot(0.0 - 2.0 / 3.0, 4.0 - 4.0 / 3.0));  // vertex 2 is the farthest
    for (int i = 0; i < 16; i++)  // both identities
        EXPECT_TRUE(p.matrice.e[i] == (i % 5 == 0) && p.matrice_normali.e[i] == (i % 5 == 0)) << i;
    creapoliedro(1, 0, 0, 1);  // no vertex: the origin rather than 0/0
    const double *c = ElencoPoliedri[1].centro;
    EXPECT_TRUE(c[0] == 0.0 && c[1] == 0.0 && c[2] == 0.0 && c[3] == 1.0 && ElencoPoliedri[1].raggio == 0.0);
}

// Row times column, summed left to right: 1e16 + 1 - 1e16 + 1 is 1 only in
// that order, here in row 1 and column 2 of the 4x4 product and the
// application, and in row 1 of the 3x3 product; quarter turns about z and x,
// row-major, and their 3x3 products in both orders worked out by hand.
TEST(Matrici, ProductsAndApplicationSumRowTimesColumnLeftToRight)
{
    const double riga[4] = {1e16, 1.0, -1e16, 1.0}, uno[4] = {1, 1, 1, 1};
    Matrice p{}, q{}, m;
    for (int k = 0; k < 4; k++) p.e[4 + k] = riga[k], q.e[4 * k + 2] = 1.0;
    double out[4];
    prodmat2(&m, &p, &q), ApplicaMatrice(out, &p, uno);
    for (int i = 0; i < 16; i++) EXPECT_EQ(m.e[i], i == 6 ? 1.0 : 0.0) << i;
    for (int r = 0; r < 4; r++) EXPECT_EQ(out[r], r == 1 ? 1.0 : 0.0) << r;
    const double z[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1}, x[9] = {1, 0, 0, 0, 0, -1, 0, 1, 0};
    const double zx[9] = {0, 0, 1, 1, 0, 0, 0, 1, 0}, xz[9] = {0, -1, 0, 0, 0, -1, 1, 0, 0};
    const double r3[9] = {0, 0, 0, 1e16, -1e16, 1.0, 0, 0, 0}, uni[9] = {1, 0, 0, 1, 0, 0, 1, 0, 0};
    double t[3][9];
    for (auto &r : t) std::fill(r, r + 9, std::nan(""));
    prodmat(t[0], z, x), prodmat(t[1], x, z), prodmat(t[2], r3, uni);
    for (int i = 0; i < 9; i++)
        EXPECT_TRUE(t[0][i] == zx[i] && t[1][i] == xz[i] && t[2][i] == (i == 3 ? 1.0 : 0.0)) << i;
}

// Every vertex, vertex normal, face normal and the centre after random
// quarter turns (about x, y, or both in one call: x first), scalings by 2 and
// 0.75 (never back to 1) and moves, against the same steps done by hand:
// about the pivot, a quarter turn about x takes (x, y, z) to (x, -z, y) and
// one about y to (z, y, -x); normals only turn; a face normal, (b - a) x
// (c - a), turns and grows by the square of the scale. Half the moves are not
// applied before the next step, which then pivots on the centre as the last
// recomputation left it.
TEST_F(Scena, ApplicaTrasformazioniMatchesQuarterTurnsScalingsAndMovesByHand)
{
    // Twenty steps composed into the matrices, on coordinates of at most a
    // few hundred: rounding stays far below this, any wrong entry far above.
    const double kComposti = 1e-9;
    std::mt19937 g(7);
    std::uniform_real_distribution<double> d(-5.0, 5.0);
    for (int i = 0; i < 300; i++) creapunto(3, i, d(g), d(g), d(g), d(g), d(g), d(g));
    for (int j = 0; j < 200; j++) creafaccia3(3, j, g() % 300, g() % 300, g() % 300, 'e');
    creapoliedro(3, 300, 200, 0);
    const Poliedro &p = ElencoPoliedri[3];
    // World data by row: 300 vertices, 300 vertex normals, 200 face normals,
    // the centre; each with its fourth component, 1.0.
    auto mondo = [&](int k) -> const double * {
        return k < 300 ? &p.punti_trasformati[k].x : k < 600 ? &p.punti_trasformati[k - 300].nx
                                                  : k < 800 ? p.facce[k - 600].normale : p.centro_trasformato;
    };
    double e[801][4];
    for (int k = 0; k < 801; k++) std::copy(mondo(k), mondo(k) + 4, e[k]);
    auto gira = [](double *a, int asse) {  // a quarter turn about x (0) or y (1)
        const double x = a[0], y = a[1], z = a[2];
        a[0] = asse ? z : x, a[1] = asse ? y : -z, a[2] = asse ? -x : y;
    };
    double scala = 1.0, c[3] = {e[800][0], e[800][1], e[800][2]};  // the pivot
    for (int step = 0; step < 20; step++) {
        const int mossa = (int)(g() % 5);
        const bool x = mossa == 0 || mossa == 2, y = mossa == 1 || mossa == 2;
        const double s = mossa != 3 ? 1.0 : scala > 1.0 ? 0.75 : 2.0, m = mossa != 4 ? 0.0 : step % 2 ? 1.0 : -1.0;
        const double t[3] = {d(g), d(g), d(g)};
        if (mossa < 3) Ruota_oggetto(x ? M_PI / 2 : 0.0, y ? M_PI / 2 : 0.0, 3);
        if (mossa == 3) Scala_oggetto(s, 3), scala *= s;
        if (mossa == 4) Trasla_oggetto(t, 3, (int)m);
        for (int k = 0; k < 801; k++) {
            const bool punto = k < 300 || k == 800;
            const double f = punto ? s : k < 600 ? 1.0 : s * s;
            for (int i = 0; i < 3; i++) e[k][i] = (e[k][i] - (punto ? c[i] : 0.0)) * f;
            if (x) gira(e[k], 0);
            if (y) gira(e[k], 1);
            for (int i = 0; i < 3; i++) e[k][i] += punto ? c[i] + m * t[i] : 0.0;
        }
        if (m <= 0.0) {
            ApplicaTrasformazioni(3);
            std::copy(e[800], e[800] + 3, c);
        }
    }
    ApplicaTrasformazioni(3);
    int errati = 0;
    for (int k = 0; k < 801; k++)
        for (int i = 0; i < 4; i++) errati += std::fabs(mondo(k)[i] - e[k][i]) > kComposti;
    EXPECT_EQ(errati, 0);
    EXPECT_EQ(scala, p.scala);
}
