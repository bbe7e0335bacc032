// Faces, face normals and the colour palettes.
#include <gtest/gtest.h>

#include "model/colori.h"
#include "model/faccia.h"
#include "model/poliedro.h"
#include "scena_vuota.h"
#include "viewer/vista.h"

namespace {

// Slot 0, vertices 0..3 at the given positions (world = model space).
void quattro_punti(const double (*pos)[3])
{
    for (int i = 0; i < 4; i++)
        creapunto(0, i, pos[i][0], pos[i][1], pos[i][2], 0, 0, 1);
}

void attesa_normale(const Faccia &f, double x, double y, double z)
{
    EXPECT_EQ(f.normale[0], x);
    EXPECT_EQ(f.normale[1], y);
    EXPECT_EQ(f.normale[2], z);
    EXPECT_EQ(f.normale[3], 1.0);
}

} // namespace

using Facce = ScenaVuota;

TEST_F(Facce, IndicesAreTruncatedTowardZero)
{
    for (int i = 0; i < 10; i++)
        creapunto(0, i, i, i * i, 0, 0, 0, 1);
    creafaccia3(0, 5, 2.0, 7.9, 3.0, 'y');
    const Faccia &f = ElencoPoliedri[0].facce[5];
    EXPECT_EQ(f.id, 5);
    EXPECT_EQ(f.numvertici, 3);
    EXPECT_EQ(f.vertici[0], 2);
    EXPECT_EQ(f.vertici[1], 7);
    EXPECT_EQ(f.vertici[2], 3);
    EXPECT_EQ(f.codicecolore, 'y');
    EXPECT_EQ(f.colore[0], 0.8f);
    EXPECT_EQ(f.colore[2], 0.2f);
    EXPECT_EQ(ElencoPoliedri[0].numfacce, 0);

    creafaccia3(0, 6, 0.99, -0.99, 9.999, 'y');
    EXPECT_EQ(ElencoPoliedri[0].facce[6].vertici[0], 0);
    EXPECT_EQ(ElencoPoliedri[0].facce[6].vertici[1], 0);
    EXPECT_EQ(ElencoPoliedri[0].facce[6].vertici[2], 9);
}

TEST_F(Facce, EveryConstructorStoresItsIndicesInOrder)
{
    for (int i = 0; i < 12; i++)
        creapunto(1, i, i, (i % 3) * 1.5, (i % 2) * 0.5, 0, 1, 0);
    creafaccia4(1, 0, 1, 2, 3, 4, 'r');
    creafaccia5(1, 1, 1, 2, 3, 4, 5, 'g');
    creafaccia6(1, 2, 1, 2, 3, 4, 5, 6, 'b');
    creafaccia8(1, 3, 1, 2, 3, 4, 5, 6, 7, 8, 'p');
    creafaccia10(1, 4, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 'w');
    const int attesi[] = {4, 5, 6, 8, 10};
    for (int j = 0; j < 4; j++) {
        const Faccia &f = ElencoPoliedri[1].facce[j];
        EXPECT_EQ(f.numvertici, attesi[j]);
        for (int k = 0; k < f.numvertici; k++)
            EXPECT_EQ(f.vertici[k], k + 1);
    }
    const Faccia &dieci = ElencoPoliedri[1].facce[4];
    for (int k = 0; k < 10; k++)
        EXPECT_EQ(dieci.vertici[k], 11 - k);
    EXPECT_EQ(dieci.codicecolore, 'w');
}

TEST_F(Facce, RecreatingAFaceKeepsUnusedIndices)
{
    for (int i = 0; i < 8; i++)
        creapunto(0, i, i, i % 2, i % 3, 0, 0, 1);
    creafaccia5(0, 9, 1, 2, 3, 4, 5, 'r');
    creafaccia3(0, 9, 6, 7, 0, 'k');
    const Faccia &f = ElencoPoliedri[0].facce[9];
    EXPECT_EQ(f.numvertici, 3);
    EXPECT_EQ(f.vertici[0], 6);
    EXPECT_EQ(f.vertici[2], 0);
    EXPECT_EQ(f.vertici[3], 4);
    EXPECT_EQ(f.vertici[4], 5);
    EXPECT_EQ(f.codicecolore, 'k');
    EXPECT_EQ(f.colore[0], 0.2f);
}

TEST_F(Facce, NormalIsTheCrossProductOfTheFirstThreeVertices)
{
    const double pos[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 5}};
    quattro_punti(pos);
    creafaccia3(0, 0, 0, 1, 2, 'y');
    attesa_normale(ElencoPoliedri[0].facce[0], 0, 0, 1);
    creafaccia3(0, 1, 0, 2, 1, 'y');
    attesa_normale(ElencoPoliedri[0].facce[1], 0, 0, -1);
    // The fourth vertex, off the plane, does not count.
    creafaccia4(0, 2, 0, 1, 2, 3, 'y');
    attesa_normale(ElencoPoliedri[0].facce[2], 0, 0, 1);
    // (b - a) x (c - a) for a = (0,0,0), b = (0,0,5), c = (1,0,0): (0, 5, 0).
    creafaccia3(0, 3, 0, 3, 1, 'y');
    attesa_normale(ElencoPoliedri[0].facce[3], 0, 5, 0);
}

TEST_F(Facce, NormalLengthIsTwiceTheArea)
{
    const double pos[4][3] = {{1, 1, 1}, {3, 1, 1}, {1, 3, 1}, {2, 2, 2}};
    quattro_punti(pos);
    creafaccia3(0, 0, 0, 1, 2, 'y');
    attesa_normale(ElencoPoliedri[0].facce[0], 0, 0, 4);
    // A general triangle, against the expanded determinant.
    const double gen[4][3] = {{0.5, -1.25, 2}, {3, 0.75, -1}, {-2, 4, 0.5}, {0, 0, 0}};
    quattro_punti(gen);
    creafaccia3(0, 1, 0, 1, 2, 'y');
    const double ux = 2.5, uy = 2.0, uz = -3.0, vx = -2.5, vy = 5.25, vz = -1.5;
    attesa_normale(ElencoPoliedri[0].facce[1], uy * vz - uz * vy, uz * vx - ux * vz,
                   ux * vy - uy * vx);
}

TEST_F(Facce, DegenerateFacesGetAZeroNormal)
{
    const double pos[4][3] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {0, 7, 0}};
    quattro_punti(pos);
    creafaccia4(0, 0, 0, 1, 2, 3, 'y');
    attesa_normale(ElencoPoliedri[0].facce[0], 0, 0, 0);
    creafaccia3(0, 1, 3, 3, 3, 'y');
    attesa_normale(ElencoPoliedri[0].facce[1], 0, 0, 0);
}

TEST_F(Facce, NormalReadsTheWorldSpaceVertices)
{
    const double pos[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}};
    quattro_punti(pos);
    // Moved in world space only: the normal follows the world copy.
    ElencoPoliedri[0].punti_trasformati[2].y = 0.0;
    ElencoPoliedri[0].punti_trasformati[2].z = 3.0;
    creafaccia3(0, 0, 0, 1, 2, 'y');
    attesa_normale(ElencoPoliedri[0].facce[0], 0, -3, 0);
}

namespace {

struct Riga {
    char lettera;
    float opaco[3];
    float trasparente[3];
};

const Riga tavolozza[] = {
    {'r', {0.8f, 0.2f, 0.2f}, {0.5f, 0.0f, 0.0f}}, {'y', {0.8f, 0.8f, 0.2f}, {0.5f, 0.5f, 0.0f}},
    {'g', {0.2f, 0.8f, 0.2f}, {0.0f, 0.5f, 0.0f}}, {'b', {0.2f, 0.2f, 0.8f}, {0.0f, 0.0f, 0.5f}},
    {'p', {0.8f, 0.2f, 0.8f}, {0.5f, 0.0f, 0.5f}}, {'l', {0.2f, 0.8f, 0.8f}, {0.0f, 0.5f, 0.5f}},
    {'o', {0.8f, 0.4f, 0.0f}, {0.5f, 0.2f, 0.0f}}, {'e', {0.6f, 0.6f, 0.6f}, {0.3f, 0.3f, 0.3f}},
    {'w', {0.8f, 0.8f, 0.8f}, {0.5f, 0.5f, 0.5f}}, {'k', {0.2f, 0.2f, 0.2f}, {0.1f, 0.1f, 0.1f}},
};

void attesi_colori(const Faccia &f, const float *rgb, float a)
{
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(f.colore[k], rgb[k]) << k;
        EXPECT_EQ(f.colore_bordo[k], rgb[k] / 1.25f) << k;
    }
    EXPECT_EQ(f.colore[3], a);
    EXPECT_EQ(f.colore_bordo[3], 1.0f);
}

} // namespace

using Colori = ScenaVuota;

TEST_F(Colori, BothPalettesInEitherCase)
{
    for (const Riga &r : tavolozza) {
        for (char l : {r.lettera, (char)(r.lettera - 'a' + 'A')}) {
            trasparenza = 0;
            alpha = 0.8;
            colorafaccia(0, 0, l);
            attesi_colori(ElencoPoliedri[0].facce[0], r.opaco, 0.8f);
            trasparenza = 1;
            alpha = 0.35;
            colorafaccia(0, 0, l);
            attesi_colori(ElencoPoliedri[0].facce[0], r.trasparente, (float)0.35);
            // Any nonzero flag picks the transparent column.
            trasparenza = -7;
            colorafaccia(0, 0, l);
            attesi_colori(ElencoPoliedri[0].facce[0], r.trasparente, (float)0.35);
        }
    }
}

TEST_F(Colori, EdgeColourIsFillOverOneAndAQuarterInSinglePrecision)
{
    colorafaccia(0, 0, 'r');
    const Faccia &f = ElencoPoliedri[0].facce[0];
    EXPECT_EQ(f.colore_bordo[0], 0.64f);
    EXPECT_EQ(f.colore_bordo[1], 0.16f);
    EXPECT_EQ(f.colore[3], 0.8f);
    trasparenza = 1;
    alpha = 0.5;
    colorafaccia(0, 1, 'g');
    EXPECT_EQ(ElencoPoliedri[0].facce[1].colore[1], 0.5f);
    EXPECT_EQ(ElencoPoliedri[0].facce[1].colore_bordo[1], 0.4f);
    EXPECT_EQ(ElencoPoliedri[0].facce[1].colore[3], 0.5f);
    trasparenza = 0;
    colorafaccia(0, 2, 'e');
    // 0.6f / 1.25f is one unit in the last place away from 0.48f.
    EXPECT_EQ(ElencoPoliedri[0].facce[2].colore_bordo[0], 0.6f / 1.25f);
    EXPECT_FLOAT_EQ(ElencoPoliedri[0].facce[2].colore_bordo[0], 0.48f);
}

TEST_F(Colori, UnknownCharactersKeepTheFillButRefreshEdgeAndAlpha)
{
    colorafaccia(0, 0, 'z');
    const float nero[3] = {0, 0, 0};
    attesi_colori(ElencoPoliedri[0].facce[0], nero, 0.8f);

    colorafaccia(0, 1, 'b');
    alpha = 0.1;
    trasparenza = 1;
    for (char c : {'x', '5', ' ', '\0', (char)0xE9, (char)0xFF, 'Z'}) {
        ElencoPoliedri[0].facce[1].colore_bordo[3] = 0.0f;
        colorafaccia(0, 1, c);
        attesi_colori(ElencoPoliedri[0].facce[1], tavolozza[3].opaco, 0.1f);
    }
}

TEST_F(Colori, DoesNotStoreTheLetter)
{
    colorafaccia(0, 0, 'r');
    EXPECT_EQ(ElencoPoliedri[0].facce[0].codicecolore, '\0');
    colorafaccia(-1, 0, 'r');
    colorafaccia(0, 5000, 'r');
}
