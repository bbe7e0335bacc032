// soak.cpp: a long seeded session on slot 0 through the real handlers: how far
// the matrices drift, and that "r" still restores the start. The handlers post
// redisplays, so a small window exists; no frame is drawn (llvmpipe is slow).
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <random>

#include "data/superficie.h"
#include "input/input.h"
#include "model/poliedro.h"
#include "viewer/finestra.h"
#include "state/vista.h"

#ifdef SUPERFICIE_ISTANZA_PICCOLA
#define SUPERFICIE_SOAK_PASSI 50000
#else
#define SUPERFICIE_SOAK_PASSI 1000000
#endif

namespace {

// Rounding adds about an ulp per product, so a million steps drift near 1e-10;
// a composition fault (a factor twice, a pivot off the centre) shows as 1e-3
// or more. One part in a million is far from both.
constexpr double DERIVA_AMMESSA = 1e-6;
// Between about half and twice the size (the guard stops shrinking at 0.5).
constexpr double SCALA_MIN = 0.6, SCALA_MAX = 1.8;

// Worst of |A^T A / s^2 - I| (position), |N^T N - I| (normals) and the
// centre's shift over raggio. World vertices are the matrices applied to the
// bit (fuzz_eventi, test_core), so the matrices bound their drift too.
double deriva(const Poliedro &p)
{
    const double *a = p.centro_trasformato, *b = p.centro;
    double d = std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]) / p.raggio;
    for (const Matrice *mt : {&p.matrice, &p.matrice_normali})
        for (int i = 0; i < 9; i++) {
            double c = 0.0;
            for (int k = 0; k < 3; k++) c += mt->e[4 * k + i / 3] * mt->e[4 * k + i % 3];
            const double s2 = mt == &p.matrice ? p.scala * p.scala : 1.0;
            d = std::max(d, std::fabs(c / s2 - (i % 4 == 0 ? 1.0 : 0.0)));
        }
    return d;
}

} // namespace

TEST(Soak, LongSessionDriftsLittleAndResetRestoresTheStart)
{
    inizializza_poliedro();
    int argc = 1;
    char nome[] = "test_soak", *argv[] = {nome, nullptr};
    screen_width = screen_height = 32;
    apri_finestra(&argc, argv);
    glutPositionWindow(1200, 950);    // away from the GL tests' windows
    glutMainLoopEvent();
    const Poliedro &p = ElencoPoliedri[0];
    ASSERT_TRUE(p.numpunti > 0 && p_target == 0);

    std::mt19937_64 caso(20261206);
    std::uniform_int_distribution<int> tipo(0, 99), mossa(-15, 15), freccia(100, 103), tasto(0, 3);
    int x = 500, y = 330;
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);    // the drags read the pointer only
    double peggiore = 0.0;
    for (long i = 1; i <= SUPERFICIE_SOAK_PASSI; i++) {
        const int t = tipo(caso);
        if (t < 70) {
            x += mossa(caso), y += mossa(caso);
            rotazione_mouse(x, y);
        } else if (t < 85) {
            const int dy = mossa(caso);    // up grows, down shrinks: steer by the scale
            y += p.scala > SCALA_MAX ? std::abs(dy) : p.scala < SCALA_MIN ? -std::abs(dy) : dy;
            riscalamento_mouse(x, y);
        } else if (t < 95) {
            keyboard_s(freccia(caso), 0, 0);
        } else {
            keyboard(t == 95 ? (p.scala > 1.0 ? 'a' : 'q') : "obju"[tasto(caso)], 0, 0);
        }
        if (i % (SUPERFICIE_SOAK_PASSI / 10) == 0) peggiore = std::max(peggiore, deriva(p));
    }
    EXPECT_LT(peggiore, DERIVA_AMMESSA);
    // The session moved the object, or the reset below proves nothing.
    EXPECT_NE(0, std::memcmp(&p.punti_trasformati[1].x, &p.punti[1].x, 3 * sizeof(double)));

    keyboard('r', 0, 0);
    const Matrice identita = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    int diversi = std::memcmp(p.centro_trasformato, p.centro, sizeof p.centro) != 0;
    for (const Matrice *mt : {&p.matrice, &p.matrice_normali})
        diversi += std::memcmp(mt, &identita, sizeof identita) != 0;
    for (int i = 0; i < p.numpunti; i++)
        diversi += std::memcmp(&p.punti_trasformati[i].x, &p.punti[i].x, 8 * sizeof(double)) != 0;
    // Face normals follow the world vertices to the bit: fuzz_eventi checks that after every event.
    EXPECT_EQ(diversi, 0) << "matrices, world centre or vertices not back at the start";
}
