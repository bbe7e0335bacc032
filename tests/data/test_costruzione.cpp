// The compiled-in tables against the construction they come from.
#include <gtest/gtest.h>

#include <algorithm>

#include "data/costruzione.h"
#include "data/superficie.h"
#include "model/poliedro.h"

namespace {

// Rounding to six significant digits moves a position of size below 10 by
// at most 5e-6 and a normal component below 1 by at most 5e-7.
const double TOLL_POSIZIONE = 6e-6;
const double TOLL_NORMALE = 5e-7;
const double SCARTO_DIAGONALI = 0.005;   // relative

Superficie costruita;

}  // namespace

TEST(Costruzione, TablesAreTheRoundedConstruction)
{
    costruisci_superficie(&costruita);
    inizializza_poliedro();
    const Poliedro &p = ElencoPoliedri[0];
    for (int i = 0; i < SUP_PUNTI; i++) {
        const Punto &t = p.punti[i];
        const double *q = costruita.punto[i], *n = costruita.normale[i];
        EXPECT_NEAR(t.x, q[0], TOLL_POSIZIONE) << i;
        EXPECT_NEAR(t.y, q[1], TOLL_POSIZIONE) << i;
        EXPECT_NEAR(t.z, q[2], TOLL_POSIZIONE) << i;
        EXPECT_NEAR(t.nx, n[0], TOLL_NORMALE) << i;
        EXPECT_NEAR(t.ny, n[1], TOLL_NORMALE) << i;
        EXPECT_NEAR(t.nz, n[2], TOLL_NORMALE) << i;
    }
    for (int j = 0; j < SUP_FACCE; j++)
        for (int k = 0; k < 3; k++)
            ASSERT_EQ(p.facce[j].vertici[k], costruita.faccia[j][k]) << j;
}

// The cut is chosen on the unrounded quadrilaterals; it must not hinge on
// the rounding, so the diagonals are never within 0.5 % of each other.
TEST(Costruzione, DiagonalsOfTheUnroundedQuadsAreClearlyApart)
{
    costruisci_superficie(&costruita);
    int tra_spigoli = 0;
    double minimo = 1.0;
    for (int m = 0; m < SUP_QUAD; m++) {
        tra_spigoli += costruita.taglio_corto[m];
        minimo = std::min(minimo, costruita.scarto_diagonali[m]);
        const int *q = costruita.quad[m];
        // Corner, edge point, face point, edge point: the face point of
        // first-step quadrilateral m / 4, and a corner from the first-step mesh.
        EXPECT_EQ(q[2], 1538 + m / 4) << m;
        EXPECT_LT(q[0], 1538) << m;
    }
    EXPECT_EQ(tra_spigoli, 1080);
    EXPECT_GT(minimo, SCARTO_DIAGONALI);
}
