// test_gl.cpp: the viewer on a real freeglut window: GL state, projection, pixels, handlers.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data/superficie.h"
#include "input/input.h"
#include "model/poliedro.h"
#include "viewer/finestra.h"
#include "viewer/scena.h"
#include "state/vista.h"

namespace {

constexpr int L = 1000, H = 660;                // window size at start-up, pixels
constexpr double TOLLERANZA_MATRICE = 1e-6;     // GLU's doubles read back as floats
constexpr double TOLLERANZA_GEOMETRIA = 1e-9;   // a few 4x4 products on coordinates below 10

int fotogrammi = 0;
void display_contato() { fotogrammi++; display(); }

// Scene and window as main opens them, up to the first frame; ctest runs each case alone.
void pronto()
{
    inizializza_poliedro();
    int argc = 1;
    char nome[] = "test_gl", *argv[] = {nome, nullptr};
    apri_finestra(&argc, argv);
    glutDisplayFunc(display_contato);
    // Mapping on Xvfb takes well under a second; ten allows for a loaded machine.
    const auto fine = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (fotogrammi == 0 && std::chrono::steady_clock::now() < fine) glutMainLoopEvent();
    if (fotogrammi == 0 || ElencoPoliedri[0].numpunti != 2050)
        std::abort();   // never drawn, or the built-in surface is missing
}

using Immagine = std::vector<unsigned char>;   // RGB rows, bottom to top

Immagine disegna_e_leggi()
{
    display();
    // Mesa's software swap copies: the back buffer (read by default), private
    // to this context, still holds the frame just shown whatever covers the window.
    Immagine im(3 * L * H);
    glReadPixels(0, 0, L, H, GL_RGB, GL_UNSIGNED_BYTE, im.data());
    return im;
}

int differenti(const Immagine &a, const Immagine &b)
{
    int n = 0;
    for (size_t i = 0; i < a.size(); i += 3) n += std::memcmp(&a[i], &b[i], 3) != 0;
    return n;
}

std::string istantanea() { return std::string((const char *)ElencoPoliedri, sizeof ElencoPoliedri); }

// Every world vertex of slot 0 must be c + s R (p - c) + (tx, 0, tz) and its
// normal R n, with R = Ry(ay) Rx(ax); computed apart from the transform code.
void mondo(double ax, double ay, double s, double tx = 0.0, double tz = 0.0)
{
    const Poliedro &p = ElencoPoliedri[0];
    const double *c = p.centro, cx = std::cos(ax), sx = std::sin(ax), cy = std::cos(ay), sy = std::sin(ay);
    int errati = 0;
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &a = p.punti[i], &b = p.punti_trasformati[i];
        const double in[6] = {a.x - c[0], a.y - c[1], a.z - c[2], a.nx, a.ny, a.nz};
        const double out[6] = {b.x - c[0] - tx, b.y - c[1], b.z - c[2] - tz, b.nx, b.ny, b.nz};
        for (int j = 0; j < 6; j += 3) {
            const double y = cx * in[j + 1] - sx * in[j + 2], z = sx * in[j + 1] + cx * in[j + 2];
            const double r[3] = {cy * in[j] + sy * z, y, -sy * in[j] + cy * z};
            for (int k = 0; k < 3; k++)
                errati += std::fabs(out[j + k] - (j ? 1.0 : s) * r[k]) > TOLLERANZA_GEOMETRIA;
        }
    }
    EXPECT_EQ(errati, 0) << "turn " << ax << ", " << ay << " scale " << s << " move " << tx << ", " << tz;
}

} // namespace

// The motion callback is whatever the last frame chose from the button flags;
// the rescale's guards and cap; the camera's handler, installed by no gesture,
// only records the step's turn and asks for a frame.
TEST(Drag, FrameChosenHandlersRescaleGuardsAndCamera)
{
    pronto();
    // 100 px = 1 radian
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
    trascinamento(200, 100);
    mondo(0.0, 1.0, 1.0);
    keyboard('r', 0, 0);
    // The left flag starts at 1: a right drag turns until left has gone up once.
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 100, 100);
    trascinamento(100, 150);
    display();
    EXPECT_EQ(trascinamento, &rotazione_mouse);
    trascinamento(100, 200);
    mondo(1.0, 0.0, 1.0);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 100, 200);
    // The last frame's handler still turns once
    trascinamento(100, 250);
    display();
    ASSERT_EQ(trascinamento, &riscalamento_mouse);
    trascinamento(100, 240);
    mondo(1.5, 0.0, 1.1);
    // Middle drag: translation from press to release, whatever the flags.
    mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 100, 240);
    display();
    EXPECT_EQ(trascinamento, &traslazione_mouse);
    trascinamento(120, 210);   // (+20, -30) px
    mondo(1.5, 0.0, 1.1, 2.0, -3.0);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_UP, 120, 210);
    EXPECT_EQ(trascinamento, &riscalamento_mouse);   // the one it replaced

    keyboard('r', 0, 0);
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 50, 100);
    // 1 % a pixel up, then down; -100 % in one flick is floored; at half size
    // or below, down does nothing.
    const double f = FATTORE_MINIMO;
    const struct { int y; double s; } passi[] = {{90, 1.1}, {100, 1.1 * 0.9}, {200, 1.1 * 0.9 * f},
                                                 {230, 1.1 * 0.9 * f}, {220, 1.1 * 0.9 * f * 1.1}};
    for (const auto &p : passi) {
        riscalamento_mouse(50, p.y);
        mondo(0.0, 0.0, p.s);
    }
    for (int i = 0; i <= 100; i++)   // reset, then grow
        keyboard(i ? 'q' : 'r', 0, 0);
    const double s = ElencoPoliedri[0].scala;
    EXPECT_TRUE(s <= SCALA_MASSIMA && s > SCALA_MASSIMA / 1.25) << s;
    riscalamento_mouse(50, 120);   // doubling would pass the cap
    EXPECT_EQ(ElencoPoliedri[0].scala, s);

    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
    // Whatever the toolkit still has to draw is drawn first, so a frame after
    // the call is the one it asked for.
    for (auto fine = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
         std::chrono::steady_clock::now() < fine;)
        glutMainLoopEvent();
    const auto prima = istantanea();
    const int fatti = fotogrammi;
    rotazione_camera_mouse(130, 80);   // 100 px = 1 radian, as a left drag
    EXPECT_TRUE(rotation_x == -0.2 && rotation_y == 0.3) << rotation_x << ", " << rotation_y;
    EXPECT_TRUE(old_mouX == 130 && old_mouY == 80 && new_mouX == 130 && new_mouY == 80);
    EXPECT_TRUE(prima == istantanea());
    const auto fine = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (fotogrammi == fatti && std::chrono::steady_clock::now() < fine) glutMainLoopEvent();
    EXPECT_GT(fotogrammi, fatti);
}

// The start picture itself is docs/superficie.png's, through the same drawing
// (the offscreen tests), and so is the rest of the start state; "o" is e2e.sh's.
TEST(Keys, BlendingAlphaProjectionArrowsResetAndNoSlot)
{
    pronto();
    GLint vp[4], src, dst;
    GLfloat p[16];
    glGetIntegerv(GL_BLEND_SRC, &src), glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_TRUE(src == GL_SRC_ALPHA && dst == GL_ONE);
    const Immagine inizio = disegna_e_leggi();
    for (int i = 0; i < 16 + 15; i++) {   // down to just under 0.05, where it stops, and back
        keyboard(i < 16 ? 'j' : 'u', 0, 0);
        EXPECT_TRUE(i != 15 || (alpha > 0.0 && alpha < 0.05)) << alpha;
        EXPECT_TRUE(i > 0 || differenti(inizio, disegna_e_leggi()) > 5000) << "transparency shows";
    }
    EXPECT_EQ(alpha, 0.8);   // exactly: the last step switched transparency off
    EXPECT_TRUE(trasparenza == 0 && glIsEnabled(GL_DEPTH_TEST) && !glIsEnabled(GL_BLEND));
    EXPECT_EQ(ElencoPoliedri[0].facce[0].colore[3], 0.8f);
    EXPECT_EQ(differenti(inizio, disegna_e_leggi()), 0);
    // Height 0 (a minimised window) counts as 1.
    struct { int w, h; double a; } casi[] = {{L, H, 1000 / 660.0}, {800, 800, 1}, {640, 0, 640}, {0, 0, 1}};
    for (const auto &c : casi) {
        resize(c.w, c.h), glGetIntegerv(GL_VIEWPORT, vp), glGetFloatv(GL_PROJECTION_MATRIX, p);
        EXPECT_TRUE(vp[2] == c.w && vp[3] == c.h) << c.w << "x" << c.h;
        EXPECT_NEAR(p[5] / p[0], c.a, TOLLERANZA_MATRICE * c.a) << c.w << "x" << c.h;
    }

    const struct { int tasto; double ax, ay; } frecce[] = {
        {GLUT_KEY_UP, 6, 0}, {GLUT_KEY_DOWN, -6, 0}, {GLUT_KEY_LEFT, 0, 6}, {GLUT_KEY_RIGHT, 0, -6}};
    for (const auto &c : frecce) {
        keyboard('r', 0, 0);
        keyboard_s(c.tasto, 0, 0);
        mondo(c.ax, c.ay, 1.0);
    }
    // "r" after a move: e2e.sh's start picture again; to the bit after a long session: the soak.
    for (unsigned char scelta : {'4', ' '}) {
        keyboard(scelta, 0, 0);
        EXPECT_EQ(p_target, scelta == '4' ? 4 : -1);
        const auto prima = istantanea();
        for (unsigned char k : {'a', 'q', 'r'}) keyboard(k, 0, 0);
        keyboard_s(GLUT_KEY_UP, 0, 0);
        rotazione_mouse(40, 40);
        riscalamento_mouse(40, 0);
        traslazione_mouse(80, 80);
        EXPECT_TRUE(prima == istantanea()) << "p_target " << p_target;
    }
}
