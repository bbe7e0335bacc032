// soak.cpp: a long session on slot 0 through the real handlers: how far the
// accumulated matrices drift, and that "r" still brings back the start.
//
// The handlers post redisplays, so a window must exist; it stays a small one
// in a corner of the screen and no frame is drawn (frames are not what this
// measures, and llvmpipe would make the run a hundred times longer).
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "data/superficie.h"
#include "input/input.h"
#include "model/poliedro.h"
#include "viewer/finestra.h"
#include "viewer/vista.h"

#ifndef SUPERFICIE_SOAK_PASSI
#define SUPERFICIE_SOAK_PASSI 1000000
#endif

namespace {

// Rounding adds about one unit in the last place per product, so after a
// million steps the drift should stay near 1e-10; a composition error
// (a factor applied twice, a pivot off the centre) shows at once as 1e-3 or
// more. One part in a million is far from both.
constexpr double DERIVA_AMMESSA = 1e-6;

// Keep the object between half and twice its size: the rescale guard stops
// shrinking at 0.5, and an object far larger than the window tells nothing.
constexpr double SCALA_MIN = 0.6;
constexpr double SCALA_MAX = 1.8;

long passi_richiesti()
{
    // An override for measuring longer sessions by hand.
    if (const char *s = std::getenv("SUPERFICIE_SOAK_PASSI")) {
        const long n = std::atol(s);
        if (n > 0)
            return n;
    }
    return SUPERFICIE_SOAK_PASSI;
}

void apri_finestra_piccola()
{
    inizializza_poliedro();
    int argc = 1;
    char nome[] = "test_soak";
    char *argv[] = {nome, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    // Far from the viewer's place at (50, 50), so that the GL tests'
    // windows are never covered.
    glutInitWindowSize(32, 32);
    glutInitWindowPosition(1200, 950);
    glutCreateWindow("Superficie soak");
    glutDisplayFunc(display);
    glutReshapeFunc(resize);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(keyboard_s);
    glutMouseFunc(mouse);
    init();
}

struct Deriva {
    double ortogonalita;      // max |A^T A / s^2 - I| of the position matrix
    double ortogonalita_n;    // max |N^T N - I| of the normal matrix
    double distanze;          // max | |w_i - w_j| / (s |p_i - p_j|) - 1 | over the pairs
    double centro;            // |world centre - model centre| / raggio
    double scala;             // |cbrt(det A) / s - 1|
};

double max_scarto_ortogonale(const Matrice &m, double s)
{
    double peggiore = 0.0;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) {
            double d = 0.0;
            for (int k = 0; k < 3; k++)
                d += m.e[4 * k + i] * m.e[4 * k + j];
            d /= s * s;
            peggiore = std::max(peggiore, std::fabs(d - (i == j ? 1.0 : 0.0)));
        }
    return peggiore;
}

double distanza3(const double *a, const double *b)
{
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

Deriva misura(const std::vector<std::pair<int, int>> &coppie)
{
    const Poliedro &p = ElencoPoliedri[0];
    const double s = p.scala;
    Deriva d{};
    d.ortogonalita = max_scarto_ortogonale(p.matrice, s);
    d.ortogonalita_n = max_scarto_ortogonale(p.matrice_normali, 1.0);
    for (const auto &c : coppie) {
        const double modello = distanza3(&p.punti[c.first].x, &p.punti[c.second].x);
        const double mondo =
            distanza3(&p.punti_trasformati[c.first].x, &p.punti_trasformati[c.second].x);
        d.distanze = std::max(d.distanze, std::fabs(mondo / (s * modello) - 1.0));
    }
    d.centro = distanza3(p.centro_trasformato, p.centro) / p.raggio;
    const double *e = p.matrice.e;
    const double det = e[0] * (e[5] * e[10] - e[6] * e[9]) - e[1] * (e[4] * e[10] - e[6] * e[8]) +
                       e[2] * (e[4] * e[9] - e[5] * e[8]);
    d.scala = std::fabs(std::cbrt(det) / s - 1.0);
    return d;
}

} // namespace

TEST(Soak, LongSessionDriftsLittleAndResetRestoresTheStart)
{
    apri_finestra_piccola();
    const Poliedro &p = ElencoPoliedri[0];
    ASSERT_GT(p.numpunti, 0) << "the built-in surface is missing";
    ASSERT_EQ(p_target, 0);

    static Poliedro inizio;
    std::memcpy(&inizio, &p, sizeof inizio);

    std::mt19937_64 caso(20261206);
    std::vector<std::pair<int, int>> coppie;
    std::uniform_int_distribution<int> vertice(0, p.numpunti - 1);
    while (coppie.size() < 4000) {
        const int a = vertice(caso), b = vertice(caso);
        if (distanza3(&p.punti[a].x, &p.punti[b].x) > 0.0)
            coppie.emplace_back(a, b);
    }

    const long passi = passi_richiesti();
    const long ogni = std::max(1L, passi / 10);
    std::uniform_int_distribution<int> tipo(0, 99), mossa(-15, 15), freccia(100, 103);
    std::uniform_int_distribution<int> tasto_colore(0, 3);

    // Both buttons released once, then held by the step kinds below: the
    // handlers read the pointer only.
    int x = 500, y = 330;
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);

    std::printf("%10s %12s %12s %12s %12s %12s\n", "steps", "orthogonal", "normals",
                "distances", "centre", "scale");
    Deriva peggiore{};
    int rotazioni = 0, scalature = 0, frecce = 0, tasti = 0;
    for (long i = 1; i <= passi; i++) {
        const int t = tipo(caso);
        if (t < 70) {
            x += mossa(caso);
            y += mossa(caso);
            rotazione_mouse(x, y);
            rotazioni++;
        } else if (t < 85) {
            // Up grows, down shrinks; steer by the scale so far.
            int dy = mossa(caso);
            if (p.scala > SCALA_MAX)
                dy = std::abs(dy);
            else if (p.scala < SCALA_MIN)
                dy = -std::abs(dy);
            y += dy;
            riscalamento_mouse(x, y);
            scalature++;
        } else if (t < 95) {
            keyboard_s(freccia(caso), 0, 0);
            frecce++;
        } else {
            static const unsigned char colori[] = {'o', 'b', 'j', 'u'};
            if (t == 95)
                keyboard(p.scala > 1.0 ? 'a' : 'q', 0, 0);
            else
                keyboard(colori[tasto_colore(caso)], 0, 0);
            tasti++;
        }
        if (i % ogni == 0 || i == passi) {
            const Deriva d = misura(coppie);
            std::printf("%10ld %12.3e %12.3e %12.3e %12.3e %12.3e\n", i, d.ortogonalita,
                        d.ortogonalita_n, d.distanze, d.centro, d.scala);
            peggiore.ortogonalita = std::max(peggiore.ortogonalita, d.ortogonalita);
            peggiore.ortogonalita_n = std::max(peggiore.ortogonalita_n, d.ortogonalita_n);
            peggiore.distanze = std::max(peggiore.distanze, d.distanze);
            peggiore.centro = std::max(peggiore.centro, d.centro);
            peggiore.scala = std::max(peggiore.scala, d.scala);
        }
    }
    std::printf("soak: %ld steps (%d turns, %d rescales, %d arrows, %d keys), scale %.6f\n",
                passi, rotazioni, scalature, frecce, tasti, p.scala);
    std::fflush(stdout);

    EXPECT_LT(peggiore.ortogonalita, DERIVA_AMMESSA);
    EXPECT_LT(peggiore.ortogonalita_n, DERIVA_AMMESSA);
    EXPECT_LT(peggiore.distanze, DERIVA_AMMESSA);
    EXPECT_LT(peggiore.centro, DERIVA_AMMESSA);
    EXPECT_LT(peggiore.scala, DERIVA_AMMESSA);
    // The session did move the object: otherwise the reset below proves
    // nothing.
    EXPECT_GT(distanza3(&p.punti_trasformati[coppie[0].first].x, &p.punti[coppie[0].first].x),
              0.0);

    keyboard('r', 0, 0);
    for (int k = 0; k < 16; k++) {
        EXPECT_EQ(p.matrice.e[k], k % 5 == 0 ? 1.0 : 0.0) << "matrice[" << k << "]";
        EXPECT_EQ(p.matrice_normali.e[k], k % 5 == 0 ? 1.0 : 0.0) << "matrice_normali[" << k << "]";
    }
    EXPECT_EQ(0, std::memcmp(p.centro_trasformato, p.centro, sizeof p.centro));
    int diversi = 0;
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &w = p.punti_trasformati[i];
        const Punto &m = p.punti[i];
        if (std::memcmp(&w.x, &m.x, 4 * sizeof(double)) != 0 ||
            std::memcmp(&w.nx, &m.nx, 4 * sizeof(double)) != 0)
            diversi++;
    }
    EXPECT_EQ(diversi, 0) << "world-space vertices differing from the model-space ones";
    int normali_diverse = 0;
    for (int j = 0; j < p.numfacce; j++)
        if (std::memcmp(p.facce[j].normale, inizio.facce[j].normale, sizeof p.facce[j].normale))
            normali_diverse++;
    EXPECT_EQ(normali_diverse, 0) << "face normals differing from the start";
}
