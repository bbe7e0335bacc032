// Records, vertex creation, completion and the guards of the constructors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <type_traits>

#include "model/faccia.h"
#include "model/poliedro.h"
#include "scena_vuota.h"
#include "transform/matrice.h"
#include "viewer/vista.h"

TEST(Records, CapacitiesAndFieldTypes)
{
    EXPECT_EQ(sizeof ElencoPoliedri / sizeof ElencoPoliedri[0], 4u);
    Poliedro *p = nullptr;
    EXPECT_EQ(sizeof p->punti / sizeof p->punti[0], 3000u);
    EXPECT_EQ(sizeof p->punti_trasformati / sizeof p->punti_trasformati[0], 3000u);
    EXPECT_EQ(sizeof p->facce / sizeof p->facce[0], 5000u);
    Faccia *f = nullptr;
    EXPECT_EQ(sizeof f->vertici / sizeof f->vertici[0], 10u);
    static_assert(std::is_same<decltype(f->colore[0]), float &>::value, "float colours");
    static_assert(std::is_same<decltype(f->normale[0]), double &>::value, "double normal");
    static_assert(std::is_same<decltype(p->scala), double>::value, "double scale");
    // Field order of the records.
    EXPECT_LT(offsetof(Poliedro, numfacce), offsetof(Poliedro, numpunti));
    EXPECT_LT(offsetof(Poliedro, numpunti), offsetof(Poliedro, punti));
    EXPECT_LT(offsetof(Poliedro, punti), offsetof(Poliedro, punti_trasformati));
    EXPECT_LT(offsetof(Poliedro, punti_trasformati), offsetof(Poliedro, facce));
    EXPECT_LT(offsetof(Poliedro, facce), offsetof(Poliedro, matrice));
    EXPECT_LT(offsetof(Poliedro, matrice), offsetof(Poliedro, matrice_normali));
    EXPECT_LT(offsetof(Poliedro, matrice_normali), offsetof(Poliedro, centro));
    EXPECT_LT(offsetof(Poliedro, centro), offsetof(Poliedro, centro_trasformato));
    EXPECT_LT(offsetof(Poliedro, centro_trasformato), offsetof(Poliedro, raggio));
    EXPECT_LT(offsetof(Poliedro, raggio), offsetof(Poliedro, liscio));
    EXPECT_LT(offsetof(Poliedro, liscio), offsetof(Poliedro, scala));
    EXPECT_LT(offsetof(Faccia, id), offsetof(Faccia, numvertici));
    EXPECT_LT(offsetof(Faccia, numvertici), offsetof(Faccia, vertici));
    EXPECT_LT(offsetof(Faccia, vertici), offsetof(Faccia, colore));
    EXPECT_LT(offsetof(Faccia, colore), offsetof(Faccia, colore_bordo));
    EXPECT_LT(offsetof(Faccia, colore_bordo), offsetof(Faccia, normale));
    EXPECT_LT(offsetof(Faccia, normale), offsetof(Faccia, codicecolore));
}

// Runs in its own process under CTest, before anything touched the table.
TEST(Records, SceneAndViewStateStartAtTheirDefaults)
{
    static const Poliedro zero{};
    for (int s = 0; s < MAX_POLIEDRI; s++)
        EXPECT_EQ(std::memcmp(&ElencoPoliedri[s], &zero, sizeof zero), 0) << "slot " << s;
    EXPECT_EQ(distanza, 1.0);
    EXPECT_EQ(trasparenza, 0);
    EXPECT_EQ(alpha, 0.8);
    EXPECT_EQ(p_target, 0);
    EXPECT_EQ(ombra, 1);
    EXPECT_EQ(bordi, 0);
    EXPECT_EQ(sinistro, 1);
    EXPECT_EQ(destro, 0);
    EXPECT_EQ(screen_width, 1000);
    EXPECT_EQ(screen_height, 660);
}

TEST(Records, PositionAndNormalAreHomogeneousVectors)
{
    // A translation moves the position (w 1) through ApplicaMatrice, read
    // straight out of the record.
    Punto p{};
    p.x = 1.0, p.y = 2.0, p.z = 3.0, p.w = 1.0;
    p.nx = 4.0, p.ny = 5.0, p.nz = 6.0, p.nw = 1.0;
    Matrice t{};
    for (int i = 0; i < 16; i += 5)
        t.e[i] = 1.0;
    t.e[3] = 10.0, t.e[7] = 20.0, t.e[11] = 30.0;
    double out[4];
    ApplicaMatrice(out, &t, &p.x);
    EXPECT_EQ(out[0], 11.0);
    EXPECT_EQ(out[1], 22.0);
    EXPECT_EQ(out[2], 33.0);
    EXPECT_EQ(out[3], 1.0);
    ApplicaMatrice(out, &t, &p.nx);
    EXPECT_EQ(out[0], 14.0);
    EXPECT_EQ(out[2], 36.0);
}

using Vertici = ScenaVuota;

TEST_F(Vertici, CreatesBothCopiesWithUnitFourthComponents)
{
    creapunto(0, 7, 1.5, -2.0, 0.25, 0.0, 0.0, 1.0);
    for (const Punto *p : {&ElencoPoliedri[0].punti[7], &ElencoPoliedri[0].punti_trasformati[7]}) {
        EXPECT_EQ(p->id, 7);
        EXPECT_EQ(p->x, 1.5);
        EXPECT_EQ(p->y, -2.0);
        EXPECT_EQ(p->z, 0.25);
        EXPECT_EQ(p->w, 1.0);
        EXPECT_EQ(p->nx, 0.0);
        EXPECT_EQ(p->ny, 0.0);
        EXPECT_EQ(p->nz, 1.0);
        EXPECT_EQ(p->nw, 1.0);
    }
    EXPECT_EQ(ElencoPoliedri[0].numpunti, 0);
    EXPECT_EQ(ElencoPoliedri[0].matrice.e[0], 0.0);
}

TEST_F(Vertici, DistanceScalesThePositionOnly)
{
    distanza = 2.0;
    creapunto(1, 7, 1.5, -2.0, 0.25, 0.0, 3.0, 1.0);
    const Punto &p = ElencoPoliedri[1].punti_trasformati[7];
    EXPECT_EQ(p.x, 3.0);
    EXPECT_EQ(p.y, -4.0);
    EXPECT_EQ(p.z, 0.5);
    EXPECT_EQ(p.w, 1.0);
    EXPECT_EQ(p.ny, 3.0);
    EXPECT_EQ(ElencoPoliedri[1].punti[7].x, 3.0);
}

TEST_F(Vertici, OverwritesAMovedVertexCompletely)
{
    creapunto(0, 3, 1.0, 1.0, 1.0, 1.0, 0.0, 0.0);
    Punto &w = ElencoPoliedri[0].punti_trasformati[3];
    w.x = 99.0, w.nz = -5.0, w.w = 7.0, w.id = 42;
    creapunto(0, 3, -1.0, 2.0, -3.0, 0.0, 1.0, 0.0);
    EXPECT_EQ(std::memcmp(&ElencoPoliedri[0].punti[3], &w, sizeof w), 0);
    EXPECT_EQ(w.id, 3);
    EXPECT_EQ(w.x, -1.0);
    EXPECT_EQ(w.nz, 0.0);
    EXPECT_EQ(w.w, 1.0);
}

using Completamento = ScenaVuota;

TEST_F(Completamento, CentreRadiusMatricesAndCounts)
{
    creapunto(2, 0, 0, 0, 0, 0, 0, 1);
    creapunto(2, 1, 2, 0, 0, 0, 0, 1);
    creapunto(2, 2, 0, 4, 0, 0, 0, 1);
    creafaccia3(2, 0, 0, 1, 2, 'r');
    creapoliedro(2, 3, 1, 1);
    const Poliedro &p = ElencoPoliedri[2];
    EXPECT_EQ(p.numpunti, 3);
    EXPECT_EQ(p.numfacce, 1);
    EXPECT_EQ(p.liscio, 1);
    EXPECT_EQ(p.scala, 1.0);
    EXPECT_EQ(p.centro[0], 2.0 / 3.0);
    EXPECT_EQ(p.centro[1], 4.0 / 3.0);
    EXPECT_EQ(p.centro[2], 0.0);
    EXPECT_EQ(p.centro[3], 1.0);
    EXPECT_EQ(std::memcmp(p.centro, p.centro_trasformato, sizeof p.centro), 0);
    const double dx = 0.0 - 2.0 / 3.0, dy = 4.0 - 4.0 / 3.0;
    EXPECT_EQ(p.raggio, std::sqrt(dx * dx + dy * dy));
    EXPECT_NEAR(p.raggio, std::sqrt(4.0 / 9.0 + 64.0 / 9.0), 1e-15);
    for (int i = 0; i < 16; i++) {
        const double id = (i == 0 || i == 5 || i == 10 || i == 15) ? 1.0 : 0.0;
        EXPECT_EQ(p.matrice.e[i], id) << i;
        EXPECT_EQ(p.matrice_normali.e[i], id) << i;
    }
}

TEST_F(Completamento, OneVertexZeroVerticesAndFewerThanCreated)
{
    creapunto(0, 0, 3, -1, 2, 0, 0, 1);
    creapunto(0, 1, 100, 100, 100, 0, 0, 1);
    creapoliedro(0, 1, 0, 0);
    EXPECT_EQ(ElencoPoliedri[0].centro[0], 3.0);
    EXPECT_EQ(ElencoPoliedri[0].centro[1], -1.0);
    EXPECT_EQ(ElencoPoliedri[0].centro[2], 2.0);
    EXPECT_EQ(ElencoPoliedri[0].raggio, 0.0);

    // No vertex: a finite centre at the origin rather than 0/0.
    creapoliedro(1, 0, 0, 1);
    const Poliedro &v = ElencoPoliedri[1];
    for (int k = 0; k < 3; k++)
        EXPECT_EQ(v.centro[k], 0.0);
    EXPECT_EQ(v.centro[3], 1.0);
    EXPECT_EQ(v.centro_trasformato[3], 1.0);
    EXPECT_EQ(v.raggio, 0.0);
    EXPECT_EQ(v.scala, 1.0);
    EXPECT_EQ(v.matrice.e[15], 1.0);
}

TEST_F(Completamento, ReadsModelSpaceAndLeavesWorldSpaceAlone)
{
    creapunto(0, 0, 1, 0, 0, 0, 0, 1);
    creapunto(0, 1, -1, 0, 0, 0, 0, 1);
    ElencoPoliedri[0].punti_trasformati[0].x = 50.0;
    creapoliedro(0, 2, 0, 1);
    EXPECT_EQ(ElencoPoliedri[0].centro[0], 0.0);
    EXPECT_EQ(ElencoPoliedri[0].raggio, 1.0);
    EXPECT_EQ(ElencoPoliedri[0].punti_trasformati[0].x, 50.0);
}

using Guardie = ScenaVuota;

// Calls outside the table's capacities write nothing at all.
TEST_F(Guardie, ConstructorsOutsideTheTableWriteNothing)
{
    creapunto(0, 0, 0, 0, 0, 0, 0, 1);
    creapunto(0, 1, 1, 0, 0, 0, 0, 1);
    creapunto(0, 2, 0, 1, 0, 0, 0, 1);
    creafaccia3(0, 0, 0, 1, 2, 'y');
    const Istantanea prima;
    for (int slot : {-1, 4, 1000000, -2147483647 - 1})
        creapunto(slot, 0, 1, 1, 1, 1, 1, 1);
    for (int idx : {-1, 3000, 2147483647})
        creapunto(0, idx, 1, 1, 1, 1, 1, 1);
    creafaccia3(-1, 0, 0, 1, 2, 'r');
    creafaccia3(4, 0, 0, 1, 2, 'r');
    creafaccia3(0, -1, 0, 1, 2, 'r');
    creafaccia3(0, 5000, 0, 1, 2, 'r');
    // A bad vertex index anywhere in the list stops the whole face.
    creafaccia3(0, 0, 0, 1, 3000.0, 'r');
    creafaccia4(0, 0, 0, 1, 2, -1.0, 'r');
    creafaccia10(0, 0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 1e300, 'r');
    creafaccia5(0, 0, 0, 1, 2, 0, std::nan(""), 'r');
    creafaccia6(0, 0, -INFINITY, 1, 2, 0, 0, 0, 'r');
    creafaccia8(0, 0, 0, 1, 2, 0, 0, 0, 0, 2999.99999 + 1, 'r');
    creanormalfaccia(-1, 0);
    creanormalfaccia(0, 5000);
    creapoliedro(-1, 3, 1, 1);
    creapoliedro(4, 3, 1, 1);
    creapoliedro(0, -1, 1, 1);
    creapoliedro(0, 3001, 1, 1);
    creapoliedro(0, 3, 5001, 1);
    creapoliedro(0, 3, -1, 1);
    EXPECT_TRUE(prima.invariata());

    // The limits themselves are inside.
    creapunto(3, 2999, 1, 2, 3, 0, 0, 1);
    EXPECT_EQ(ElencoPoliedri[3].punti[2999].id, 2999);
    creafaccia3(3, 4999, 2999.5, 2999, -0.5, 'g');
    EXPECT_EQ(ElencoPoliedri[3].facce[4999].vertici[0], 2999);
    EXPECT_EQ(ElencoPoliedri[3].facce[4999].vertici[2], 0);
    creapoliedro(3, 3000, 5000, 0);
    EXPECT_EQ(ElencoPoliedri[3].numpunti, 3000);
    EXPECT_EQ(ElencoPoliedri[3].numfacce, 5000);
}
