// Matrix arithmetic and the transformations of one polyhedron.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "model/faccia.h"
#include "model/poliedro.h"
#include "scena_vuota.h"
#include "transform/matrice.h"
#include "transform/trasforma.h"

namespace {

// Rounding of a few operations on values of order one.
constexpr double kArrotondamento = 1e-12;

Matrice identita()
{
    Matrice a{};
    a.e[0] = a.e[5] = a.e[10] = a.e[15] = 1.0;
    return a;
}

Matrice casuale(std::mt19937 &g)
{
    std::uniform_real_distribution<double> d(-3.0, 3.0);
    Matrice a;
    for (double &x : a.e)
        x = d(g);
    return a;
}

// A small, non-symmetric tetrahedron in the given slot, centred away from the
// origin so that pivots matter.
void tetraedro(int slot)
{
    creapunto(slot, 0, 1.0, 2.0, 3.0, 0.0, 0.0, 1.0);
    creapunto(slot, 1, 2.0, 2.0, 3.0, 1.0, 0.0, 0.0);
    creapunto(slot, 2, 1.0, 3.0, 3.0, 0.0, 1.0, 0.0);
    creapunto(slot, 3, 1.0, 2.0, 4.5, 0.6, 0.0, 0.8);
    creafaccia3(slot, 0, 0, 2, 1, 'r');
    creafaccia3(slot, 1, 0, 1, 3, 'g');
    creafaccia3(slot, 2, 0, 3, 2, 'b');
    creafaccia3(slot, 3, 1, 2, 3, 'y');
    creapoliedro(slot, 4, 4, 1);
}

const Punto &mondo(int slot, int i) { return ElencoPoliedri[slot].punti_trasformati[i]; }

double distanza_punti(const Punto &a, const Punto &b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                     (a.z - b.z) * (a.z - b.z));
}

} // namespace

TEST(Matrici, IdentityOnEitherSide)
{
    std::mt19937 g(1);
    const Matrice a = casuale(g), id = identita();
    Matrice d;
    prodmat2(&d, &id, &a);
    EXPECT_EQ(std::memcmp(&d, &a, sizeof a), 0);
    prodmat2(&d, &a, &id);
    EXPECT_EQ(std::memcmp(&d, &a, sizeof a), 0);
}

TEST(Matrici, ProductsSumLeftToRight)
{
    // (1e16 + 1) - 1e16 + 1 is 1 summed left to right, 2 in other orders.
    Matrice a{}, b{};
    a.e[0] = 1e16, a.e[1] = 1.0, a.e[2] = -1e16, a.e[3] = 1.0;
    for (int r = 0; r < 4; r++)
        b.e[4 * r] = 1.0;
    Matrice d;
    prodmat2(&d, &a, &b);
    EXPECT_EQ(d.e[0], 1.0);
    const double v[4] = {1.0, 1.0, 1.0, 1.0};
    double out[4];
    ApplicaMatrice(out, &a, v);
    EXPECT_EQ(out[0], 1.0);
    const double a3[9] = {1e16, 1.0, -1e16, 0, 0, 0, 0, 0, 0};
    const double b3[9] = {1, 0, 0, 1, 0, 0, 1, 0, 0};
    double d3[9];
    prodmat(d3, a3, b3);
    EXPECT_EQ(d3[0], 0.0);  // (1e16 + 1) - 1e16 = 0; right to left would give 1
}

TEST(Matrici, GeneralProductsAgainstTheirDefinition)
{
    const double a3[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const double b3[9] = {9, 8, 7, 6, 5, 4, 3, 2, 1};
    const double atteso[9] = {30, 24, 18, 84, 69, 54, 138, 114, 90};
    double d3[9];
    prodmat(d3, a3, b3);
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(d3[i], atteso[i]) << i;

    Matrice a{}, b{};
    for (int i = 0; i < 16; i++) {
        a.e[i] = i + 1;
        b.e[i] = 16 - i;
    }
    Matrice d;
    prodmat2(&d, &a, &b);
    // Row 1 of a is (5, 6, 7, 8), column 2 of b is (14, 10, 6, 2).
    EXPECT_EQ(d.e[6], 5 * 14 + 6 * 10 + 7 * 6 + 8 * 2);
    EXPECT_EQ(d.e[15], 13 * 13 + 14 * 9 + 15 * 5 + 16 * 1);
}

TEST(Matrici, TranslationAndRotationComposeInOrder)
{
    Matrice t = identita();
    t.e[3] = 1.0, t.e[7] = -2.0, t.e[11] = 0.5;
    const double p[4] = {3.0, 4.0, 5.0, 1.0}, dir[4] = {3.0, 4.0, 5.0, 0.0};
    double out[4];
    ApplicaMatrice(out, &t, p);
    EXPECT_EQ(out[0], 4.0);
    EXPECT_EQ(out[1], 2.0);
    EXPECT_EQ(out[2], 5.5);
    EXPECT_EQ(out[3], 1.0);
    ApplicaMatrice(out, &t, dir);
    EXPECT_EQ(std::memcmp(out, dir, sizeof dir), 0);

    // A quarter turn about z: (x, y) -> (-y, x).
    Matrice r = identita();
    r.e[0] = 0.0, r.e[1] = -1.0, r.e[4] = 1.0, r.e[5] = 0.0;
    Matrice tr, rt;
    prodmat2(&tr, &t, &r);
    prodmat2(&rt, &r, &t);
    for (int i : {0, 1, 2, 4, 5, 6, 8, 9, 10}) {
        EXPECT_EQ(tr.e[i], r.e[i]);
        EXPECT_EQ(rt.e[i], r.e[i]);
    }
    EXPECT_EQ(tr.e[3], 1.0);
    EXPECT_EQ(tr.e[7], -2.0);
    EXPECT_EQ(rt.e[3], 2.0);   // R (1, -2, 0.5) = (2, 1, 0.5)
    EXPECT_EQ(rt.e[7], 1.0);
    EXPECT_EQ(rt.e[11], 0.5);
    EXPECT_EQ(rt.e[15], 1.0);
}

using Trasformazioni = ScenaVuota;

TEST_F(Trasformazioni, RotationAboutXThenY)
{
    tetraedro(0);
    const double c[3] = {ElencoPoliedri[0].centro[0], ElencoPoliedri[0].centro[1],
                         ElencoPoliedri[0].centro[2]};
    // Two probe vertices relative to the centre; counts stay as completed.
    creapunto(0, 4, c[0], c[1] + 1.0, c[2], 0, 0, 1);
    creapunto(0, 5, c[0] + 1.0, c[1], c[2], 0, 0, 1);
    ElencoPoliedri[0].numpunti = 6;

    const double a = 0.7;
    Ruota_oggetto(a, 0.0, 0);
    ApplicaTrasformazioni(0);
    EXPECT_NEAR(mondo(0, 4).x - c[0], 0.0, kArrotondamento);
    EXPECT_NEAR(mondo(0, 4).y - c[1], std::cos(a), kArrotondamento);
    EXPECT_NEAR(mondo(0, 4).z - c[2], std::sin(a), kArrotondamento);

    creapoliedro(0, 4, 4, 1);
    ElencoPoliedri[0].numpunti = 6;
    Ruota_oggetto(0.0, a, 0);
    ApplicaTrasformazioni(0);
    EXPECT_NEAR(mondo(0, 5).x - c[0], std::cos(a), kArrotondamento);
    EXPECT_NEAR(mondo(0, 5).y - c[1], 0.0, kArrotondamento);
    EXPECT_NEAR(mondo(0, 5).z - c[2], -std::sin(a), kArrotondamento);

    // Both at a quarter turn: X takes (0,1,0) to (0,0,1), Y then to (1,0,0).
    creapoliedro(0, 4, 4, 1);
    ElencoPoliedri[0].numpunti = 6;
    Ruota_oggetto(M_PI / 2, M_PI / 2, 0);
    ApplicaTrasformazioni(0);
    EXPECT_NEAR(mondo(0, 4).x - c[0], 1.0, kArrotondamento);
    EXPECT_NEAR(mondo(0, 4).y - c[1], 0.0, kArrotondamento);
    EXPECT_NEAR(mondo(0, 4).z - c[2], 0.0, kArrotondamento);
}

TEST_F(Trasformazioni, TurnsAndScalingsKeepTheCentre)
{
    tetraedro(1);
    double c[4];
    std::memcpy(c, ElencoPoliedri[1].centro, sizeof c);
    const double d01 = distanza_punti(mondo(1, 0), mondo(1, 1));
    Ruota_oggetto(1.3, -0.4, 1);
    ApplicaTrasformazioni(1);
    Scala_oggetto(2.0, 1);
    ApplicaTrasformazioni(1);
    Ruota_oggetto(6.0, 0.0, 1);
    ApplicaTrasformazioni(1);
    for (int k = 0; k < 3; k++)
        EXPECT_NEAR(ElencoPoliedri[1].centro_trasformato[k], c[k], kArrotondamento);
    EXPECT_EQ(ElencoPoliedri[1].centro_trasformato[3], 1.0);
    EXPECT_NEAR(distanza_punti(mondo(1, 0), mondo(1, 1)), 2.0 * d01, kArrotondamento);
    EXPECT_EQ(ElencoPoliedri[1].scala, 2.0);
}

TEST_F(Trasformazioni, ScalingDoublesDistancesAndLeavesNormals)
{
    tetraedro(0);
    const Poliedro &p = ElencoPoliedri[0];
    Scala_oggetto(2.0, 0);
    ApplicaTrasformazioni(0);
    for (int i = 0; i < 4; i++) {
        const Punto &w = mondo(0, i), &s = p.punti[i];
        EXPECT_NEAR(w.x - p.centro[0], 2.0 * (s.x - p.centro[0]), kArrotondamento);
        EXPECT_NEAR(w.y - p.centro[1], 2.0 * (s.y - p.centro[1]), kArrotondamento);
        EXPECT_NEAR(w.z - p.centro[2], 2.0 * (s.z - p.centro[2]), kArrotondamento);
        EXPECT_EQ(w.nx, s.nx);
        EXPECT_EQ(w.ny, s.ny);
        EXPECT_EQ(w.nz, s.nz);
    }
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(p.matrice_normali.e[i], identita().e[i]);
    Scala_oggetto(0.25, 0);
    EXPECT_EQ(p.scala, 0.5);
}

TEST_F(Trasformazioni, TranslationThereAndBack)
{
    tetraedro(2);
    const double t[4] = {0.75, -1.5, 3.25, 99.0};  // the fourth is never read
    Ruota_oggetto(0.3, 0.2, 2);
    const Matrice prima = ElencoPoliedri[2].matrice;
    Trasla_oggetto(t, 2, -1);
    Trasla_oggetto(t, 2, +1);
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(ElencoPoliedri[2].matrice.e[i], prima.e[i], kArrotondamento);

    creapoliedro(2, 4, 4, 1);
    double c[4];
    std::memcpy(c, ElencoPoliedri[2].centro, sizeof c);
    Trasla_oggetto(t, 2, +1);
    ApplicaTrasformazioni(2);
    for (int k = 0; k < 3; k++)
        EXPECT_EQ(ElencoPoliedri[2].centro_trasformato[k], c[k] + t[k]);
    EXPECT_EQ(ElencoPoliedri[2].centro_trasformato[3], 1.0);
    // Translations leave the normals' matrix alone.
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(ElencoPoliedri[2].matrice_normali.e[i], identita().e[i]);
}

TEST_F(Trasformazioni, NormalsFollowRotationsOnly)
{
    tetraedro(0);
    const double t[3] = {5, 5, 5};
    Trasla_oggetto(t, 0, +1);
    Scala_oggetto(3.0, 0);
    Ruota_oggetto(0.0, M_PI / 2, 0);
    ApplicaTrasformazioni(0);
    // Normal (0, 0, 1) of vertex 0 turned a quarter about Y: (1, 0, 0), unit length.
    EXPECT_NEAR(mondo(0, 0).nx, 1.0, kArrotondamento);
    EXPECT_NEAR(mondo(0, 0).ny, 0.0, kArrotondamento);
    EXPECT_NEAR(mondo(0, 0).nz, 0.0, kArrotondamento);
    EXPECT_EQ(mondo(0, 0).nw, 1.0);
}

TEST_F(Trasformazioni, PivotIsTheCentreOfTheLastRecomputation)
{
    tetraedro(0);
    tetraedro(1);
    const double t[3] = {10.0, 0.0, 0.0};
    // Slot 0: translate, recompute, turn: about the moved centre.
    Trasla_oggetto(t, 0, +1);
    ApplicaTrasformazioni(0);
    Ruota_oggetto(0.0, 1.0, 0);
    ApplicaTrasformazioni(0);
    // Slot 1: translate and turn with no recomputation in between: the
    // pivot is still the old centre, so the centre swings about it.
    Trasla_oggetto(t, 1, +1);
    Ruota_oggetto(0.0, 1.0, 1);
    ApplicaTrasformazioni(1);
    const double *c0 = ElencoPoliedri[0].centro, *w0 = ElencoPoliedri[0].centro_trasformato;
    const double *w1 = ElencoPoliedri[1].centro_trasformato;
    EXPECT_NEAR(w0[0], c0[0] + 10.0, kArrotondamento);
    EXPECT_NEAR(w0[2], c0[2], kArrotondamento);
    EXPECT_NEAR(w1[0], c0[0] + 10.0 * std::cos(1.0), kArrotondamento);
    EXPECT_NEAR(w1[2], c0[2] - 10.0 * std::sin(1.0), kArrotondamento);
}

// The world copy is exactly the matrices applied to the model copy, each
// component summed left to right, and the face normals come from it.
TEST_F(Trasformazioni, RecomputationIsExactlyTheMatricesApplied)
{
    std::mt19937 g(7);
    std::uniform_real_distribution<double> d(-5.0, 5.0);
    const int n = 300, nf = 200;
    for (int i = 0; i < n; i++)
        creapunto(3, i, d(g), d(g), d(g), d(g), d(g), d(g));
    std::uniform_int_distribution<int> vi(0, n - 1);
    for (int j = 0; j < nf; j++)
        creafaccia3(3, j, vi(g), vi(g), vi(g), 'e');
    creapoliedro(3, n, nf, 0);
    for (int step = 0; step < 20; step++) {
        Ruota_oggetto(d(g), d(g), 3);
        Scala_oggetto(1.0 + d(g) / 10.0, 3);
        const double t[3] = {d(g), d(g), d(g)};
        Trasla_oggetto(t, 3, step % 2 ? 1 : -1);
        ApplicaTrasformazioni(3);
    }
    const Poliedro &p = ElencoPoliedri[3];
    const double *M = p.matrice.e, *N = p.matrice_normali.e;
    for (int i = 0; i < n; i++) {
        const Punto &s = p.punti[i], &w = p.punti_trasformati[i];
        const double *ps = &s.x, *ns = &s.nx, *pw = &w.x, *nw = &w.nx;
        for (int r = 0; r < 4; r++) {
            double a = M[4 * r] * ps[0];
            a += M[4 * r + 1] * ps[1];
            a += M[4 * r + 2] * ps[2];
            a += M[4 * r + 3] * ps[3];
            double b = N[4 * r] * ns[0];
            b += N[4 * r + 1] * ns[1];
            b += N[4 * r + 2] * ns[2];
            b += N[4 * r + 3] * ns[3];
            ASSERT_EQ(pw[r], a) << "vertex " << i << " row " << r;
            ASSERT_EQ(nw[r], b) << "normal " << i << " row " << r;
        }
        ASSERT_EQ(w.w, 1.0);
        ASSERT_EQ(w.nw, 1.0);
        ASSERT_EQ(w.id, i);
    }
    for (int j = 0; j < nf; j++) {
        const Faccia &f = p.facce[j];
        const Punto &a = p.punti_trasformati[f.vertici[0]], &b = p.punti_trasformati[f.vertici[1]],
                    &c = p.punti_trasformati[f.vertici[2]];
        ASSERT_EQ(f.normale[0], (a.y - b.y) * (a.z - c.z) - (a.y - c.y) * (a.z - b.z));
        ASSERT_EQ(f.normale[1], (a.z - b.z) * (a.x - c.x) - (a.x - b.x) * (a.z - c.z));
        ASSERT_EQ(f.normale[2], (a.x - b.x) * (a.y - c.y) - (a.y - b.y) * (a.x - c.x));
        ASSERT_EQ(f.normale[3], 1.0);
    }
    for (int i = 12; i < 16; i++)
        EXPECT_EQ(M[i], i == 15 ? 1.0 : 0.0);
}

TEST_F(Trasformazioni, AnUncompletedSlotStaysZero)
{
    creapunto(1, 0, 1, 2, 3, 0, 0, 1);
    creapunto(1, 1, 2, 2, 3, 0, 0, 1);
    creapunto(1, 2, 1, 3, 3, 0, 0, 1);
    creafaccia3(1, 0, 0, 1, 2, 'y');
    const Istantanea prima;
    const double t[3] = {1, 2, 3};
    Trasla_oggetto(t, 1, +1);
    Ruota_oggetto(0.5, 0.5, 1);
    Scala_oggetto(2.0, 1);
    ApplicaTrasformazioni(1);
    const Poliedro &p = ElencoPoliedri[1];
    for (int i = 0; i < 16; i++) {
        EXPECT_EQ(p.matrice.e[i], 0.0);
        EXPECT_EQ(p.matrice_normali.e[i], 0.0);
    }
    for (int k = 0; k < 4; k++)
        EXPECT_EQ(p.centro_trasformato[k], 0.0);
    // Only scala, 0 * 2, may have been written: the rest is as it was.
    EXPECT_EQ(std::memcmp(&p.punti_trasformati, &prima.copia[1].punti_trasformati,
                          sizeof p.punti_trasformati), 0);
    EXPECT_EQ(std::memcmp(&p.facce, &prima.copia[1].facce, sizeof p.facce), 0);
}

TEST_F(Trasformazioni, SlotsOutsideTheTableAreLeftAlone)
{
    tetraedro(0);
    const Istantanea prima;
    const double t[3] = {1, 2, 3};
    for (int slot : {-1, 4, 5, -2147483647 - 1, 2147483647}) {
        Trasla_oggetto(t, slot, +1);
        Ruota_oggetto(0.5, 0.5, slot);
        Scala_oggetto(2.0, slot);
        ApplicaTrasformazioni(slot);
    }
    EXPECT_TRUE(prima.invariata());
}

TEST_F(Trasformazioni, RecompletionResetsMatricesButNotTheWorldCopy)
{
    tetraedro(0);
    Ruota_oggetto(1.0, 2.0, 0);
    Scala_oggetto(0.5, 0);
    ApplicaTrasformazioni(0);
    const Punto moved = mondo(0, 1);
    const double normale = ElencoPoliedri[0].facce[0].normale[0];
    creapoliedro(0, 4, 4, 1);
    EXPECT_EQ(ElencoPoliedri[0].scala, 1.0);
    EXPECT_EQ(ElencoPoliedri[0].matrice.e[0], 1.0);
    EXPECT_EQ(std::memcmp(ElencoPoliedri[0].centro_trasformato, ElencoPoliedri[0].centro,
                          sizeof ElencoPoliedri[0].centro), 0);
    EXPECT_EQ(std::memcmp(&mondo(0, 1), &moved, sizeof moved), 0);
    EXPECT_EQ(ElencoPoliedri[0].facce[0].normale[0], normale);
    ApplicaTrasformazioni(0);
    EXPECT_EQ(std::memcmp(&mondo(0, 1), &ElencoPoliedri[0].punti[1], sizeof moved), 0);
}
