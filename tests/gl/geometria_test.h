// geometria_test.h: expectations about the scene table shared by the GL
// tests, computed from the model-space data independently of the
// transformation code.
#ifndef SUPERFICIE_TESTS_GL_GEOMETRIA_TEST_H
#define SUPERFICIE_TESTS_GL_GEOMETRIA_TEST_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "model/poliedro.h"

// World-space results go through a few 4x4 products of doubles on
// coordinates below 10: far below 1e-9 of error.
constexpr double TOLLERANZA_GEOMETRIA = 1e-9;

// The raw bytes of the whole scene table, to prove that nothing changed.
inline std::vector<unsigned char> istantanea()
{
    std::vector<unsigned char> b(sizeof(ElencoPoliedri));
    std::memcpy(b.data(), ElencoPoliedri, sizeof(ElencoPoliedri));
    return b;
}

// R = Ry(ay) Rx(ax) applied to v (three components).
inline void ruota(double ax, double ay, const double v[3], double out[3])
{
    const double y1 = std::cos(ax) * v[1] - std::sin(ax) * v[2];
    const double z1 = std::sin(ax) * v[1] + std::cos(ax) * v[2];
    out[0] = std::cos(ay) * v[0] + std::sin(ay) * z1;
    out[1] = y1;
    out[2] = -std::sin(ay) * v[0] + std::cos(ay) * z1;
}

// Every world-space vertex of the slot is c + s R (p - c) + t, with p the
// model-space vertex, c the model-space centre, and the normal R n.
inline void verifica_mondo(int slot, double ax, double ay, double s, const double t[3])
{
    const Poliedro &p = ElencoPoliedri[slot];
    ASSERT_GT(p.numpunti, 0);
    const double *c = p.centro;
    int errati = 0;
    for (int i = 0; i < p.numpunti && errati < 5; i++) {
        const Punto &a = p.punti[i], &b = p.punti_trasformati[i];
        const double d[3] = {a.x - c[0], a.y - c[1], a.z - c[2]};
        double r[3];
        ruota(ax, ay, d, r);
        const double n[3] = {a.nx, a.ny, a.nz};
        double rn[3];
        ruota(ax, ay, n, rn);
        const double atteso[3] = {c[0] + s * r[0] + t[0], c[1] + s * r[1] + t[1], c[2] + s * r[2] + t[2]};
        const double ottenuto[3] = {b.x, b.y, b.z};
        const double normale[3] = {b.nx, b.ny, b.nz};
        for (int k = 0; k < 3; k++) {
            if (std::fabs(ottenuto[k] - atteso[k]) > TOLLERANZA_GEOMETRIA ||
                std::fabs(normale[k] - rn[k]) > TOLLERANZA_GEOMETRIA) {
                ADD_FAILURE() << "vertex " << i << " component " << k << ": " << ottenuto[k]
                              << " vs " << atteso[k] << ", normal " << normale[k] << " vs " << rn[k];
                errati++;
                break;
            }
        }
        EXPECT_EQ(b.w, 1.0);
        EXPECT_EQ(b.nw, 1.0);
    }
    for (int k = 0; k < 3; k++)
        EXPECT_NEAR(p.centro_trasformato[k], c[k] + t[k], TOLLERANZA_GEOMETRIA);
}

#endif
