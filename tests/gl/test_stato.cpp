// test_stato.cpp: OpenGL state after start-up, the projection after
// reshapes, and the pixels of rendered frames.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>

#include "finestra_test.h"
#include "input/input.h"
#include "model/faccia.h"
#include "model/poliedro.h"
#include "viewer/finestra.h"
#include "viewer/vista.h"

namespace {

// The clear colour is 0.5 grey; an 8-bit buffer holds it as 127 or 128.
constexpr int TOLLERANZA_GRIGIO = 1;
// Shadows are lit by the ambient term alone: 0.2 * 0.1 of full scale is 5.
constexpr int MASSIMO_OMBRA = 20;
// Float matrices read back from GL, computed by GLU in double: a few ulps.
constexpr double TOLLERANZA_MATRICE = 1e-6;

bool grigio(const unsigned char *p)
{
    for (int c = 0; c < 3; c++)
        if (std::abs(p[c] - 128) > TOLLERANZA_GRIGIO)
            return false;
    return true;
}

bool scuro(const unsigned char *p) { return p[0] < MASSIMO_OMBRA && p[1] < MASSIMO_OMBRA && p[2] < MASSIMO_OMBRA; }

// Lit yellow: red and green high and alike, blue well below them.
bool giallo(const unsigned char *p)
{
    return p[0] > 60 && std::abs(p[0] - p[1]) <= 8 && p[2] * 2 < p[0];
}

struct Conta {
    int grigi = 0, gialli = 0, scuri = 0, altri = 0;
};

Conta conta(const Immagine &im, int x0, int y0, int x1, int y1)
{
    Conta c;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) {
            const unsigned char *p = im.pixel(x, y);
            if (grigio(p))
                c.grigi++;
            else if (giallo(p))
                c.gialli++;
            else if (scuro(p))
                c.scuri++;
            else
                c.altri++;
        }
    return c;
}

int differenti(const Immagine &a, const Immagine &b)
{
    int n = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3)
        if (a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2])
            n++;
    return n;
}

// The projection gluPerspective(45, aspect, 1, 1000) must give, column-major.
void atteso_prospettiva(double aspetto, double out[16])
{
    const double f = 1.0 / std::tan(45.0 / 2.0 * M_PI / 180.0);
    for (int i = 0; i < 16; i++)
        out[i] = 0.0;
    out[0] = f / aspetto;
    out[5] = f;
    out[10] = (1000.0 + 1.0) / (1.0 - 1000.0);
    out[11] = -1.0;
    out[14] = 2.0 * 1000.0 * 1.0 / (1.0 - 1000.0);
}

void verifica_proiezione(double aspetto)
{
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    double a[16];
    atteso_prospettiva(aspetto, a);
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(p[i], a[i], TOLLERANZA_MATRICE * (1.0 + std::fabs(a[i]))) << "element " << i;
}

} // namespace

TEST(StartUp, FixedOpenGLState)
{
    apri_finestra_di_prova();
    GLfloat v[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, v);
    EXPECT_FLOAT_EQ(v[0], 0.5f);
    EXPECT_FLOAT_EQ(v[1], 0.5f);
    EXPECT_FLOAT_EQ(v[2], 0.5f);
    EXPECT_FLOAT_EQ(v[3], 0.0f);

    GLint i;
    glGetIntegerv(GL_SHADE_MODEL, &i);
    EXPECT_EQ(i, GL_SMOOTH);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    glGetIntegerv(GL_BLEND_SRC, &i);
    EXPECT_EQ(i, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &i);
    EXPECT_EQ(i, GL_ONE);
    GLint modo[2];
    glGetIntegerv(GL_POLYGON_MODE, modo);
    EXPECT_EQ(modo[0], GL_FILL);
    EXPECT_EQ(modo[1], GL_FILL);
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    glGetIntegerv(GL_MATRIX_MODE, &i);
    EXPECT_EQ(i, GL_PROJECTION);

    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLint luci;
    glGetIntegerv(GL_MAX_LIGHTS, &luci);
    for (int l = 0; l < luci; l++)
        EXPECT_EQ(glIsEnabled(GL_LIGHT0 + l) == GL_TRUE, l == 1) << "light " << l;
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, v);
    EXPECT_FLOAT_EQ(v[0], 0.6f);
    EXPECT_FLOAT_EQ(v[1], 0.6f);
    EXPECT_FLOAT_EQ(v[2], 0.6f);
    EXPECT_FLOAT_EQ(v[3], 1.0f);
    // Given under an identity model-view, so eye coordinates equal the input.
    glGetLightfv(GL_LIGHT1, GL_POSITION, v);
    EXPECT_FLOAT_EQ(v[0], 0.0f);
    EXPECT_FLOAT_EQ(v[1], -10.0f);
    EXPECT_FLOAT_EQ(v[2], -5.0f);
    EXPECT_FLOAT_EQ(v[3], 0.0f);
    glGetLightfv(GL_LIGHT1, GL_CONSTANT_ATTENUATION, v);
    EXPECT_FLOAT_EQ(v[0], 1.0f);
    glGetLightfv(GL_LIGHT1, GL_LINEAR_ATTENUATION, v);
    EXPECT_FLOAT_EQ(v[0], 0.0f);
    glGetLightfv(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, v);
    EXPECT_FLOAT_EQ(v[0], 0.0f);
    // Ambient and specular keep the defaults of a light other than 0.
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, v);
    EXPECT_FLOAT_EQ(v[0], 0.0f);
    glGetLightfv(GL_LIGHT1, GL_SPECULAR, v);
    EXPECT_FLOAT_EQ(v[0], 0.0f);

    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[0], 0);
    EXPECT_EQ(vp[1], 0);
    EXPECT_EQ(vp[2], 1000);
    EXPECT_EQ(vp[3], 660);
    verifica_proiezione(1000.0 / 660.0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(StartUp, WindowSizeAndFirstFrame)
{
    mostra_finestra();
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 1000);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 660);
    EXPECT_EQ(glutGet(GLUT_WINDOW_DOUBLEBUFFER), 1);
    EXPECT_GT(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    // The event loop's first frame chose the rotation handler and left the
    // frame state behind.
    EXPECT_EQ(trascinamento, &rotazione_mouse);
    EXPECT_EQ(m, 4);
    GLint i;
    glGetIntegerv(GL_MATRIX_MODE, &i);
    EXPECT_EQ(i, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    GLfloat mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    EXPECT_FLOAT_EQ(mv[14], -50.0f);
    EXPECT_FLOAT_EQ(mv[0], 1.0f);
}

TEST(Reshape, ProjectionFollowsTheWindowSize)
{
    mostra_finestra();
    struct {
        int w, h;
        double aspetto;
    } casi[] = {
        {800, 800, 1.0},
        {1320, 660, 2.0},
        {640, 0, 640.0},   // a minimised window: the height counts as 1
        {0, 0, 1.0},
        {1000, 660, 1000.0 / 660.0},
    };
    for (const auto &c : casi) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        resize(c.w, c.h);
        EXPECT_EQ(screen_width, c.w);
        EXPECT_EQ(screen_height, c.h);
        GLint vp[4];
        glGetIntegerv(GL_VIEWPORT, vp);
        EXPECT_EQ(vp[2], c.w);
        EXPECT_EQ(vp[3], c.h);
        GLint modo;
        glGetIntegerv(GL_MATRIX_MODE, &modo);
        EXPECT_EQ(modo, GL_PROJECTION);
        verifica_proiezione(c.aspetto);
    }
    // Each reshape asked for a frame.
    const int prima = fotogrammi_disegnati();
    resize(1000, 660);
    pompa_eventi();
    EXPECT_GT(fotogrammi_disegnati(), prima);
}

TEST(Picture, GreyBackgroundYellowSurfaceDarkShadowBelow)
{
    mostra_finestra();
    ASSERT_EQ(ElencoPoliedri[0].numfacce, 4096) << "the built-in surface is missing";
    const Immagine im = disegna_e_leggi();
    ASSERT_EQ(im.larghezza, 1000);
    // Corners are background.
    EXPECT_TRUE(grigio(im.pixel(2, 2)));
    EXPECT_TRUE(grigio(im.pixel(997, 657)));
    // The middle of the window is the lit surface.
    EXPECT_TRUE(giallo(im.pixel(500, 330)));
    const Conta centro = conta(im, 475, 315, 525, 350);   // the central lobe
    EXPECT_GT(centro.gialli, centro.grigi);
    // The shadow lies on the floor, below the surface and nowhere above it.
    const Conta sotto = conta(im, 0, 0, 1000, 200);
    const Conta sopra = conta(im, 0, 460, 1000, 660);
    EXPECT_GT(sotto.scuri, 1000);
    EXPECT_EQ(sopra.scuri, 0);
    EXPECT_EQ(sopra.gialli, 0);
}

TEST(Picture, ShadowSwitchEdgesAndTransparency)
{
    mostra_finestra();
    ASSERT_EQ(ElencoPoliedri[0].numfacce, 4096) << "the built-in surface is missing";
    const Immagine inizio = disegna_e_leggi();
    const int ombre = conta(inizio, 0, 0, 1000, 660).scuri;
    ASSERT_GT(ombre, 1000);

    keyboard('o', 0, 0);
    const Immagine senza_ombra = disegna_e_leggi();
    EXPECT_EQ(conta(senza_ombra, 0, 0, 1000, 660).scuri, 0);
    // Only the shadow went: everything that was not shadow is unchanged.
    EXPECT_EQ(differenti(inizio, senza_ombra), ombre);
    keyboard('o', 0, 0);
    EXPECT_EQ(differenti(disegna_e_leggi(), inizio), 0);

    // Edges darken parts of the surface and nothing outside it.
    keyboard('b', 0, 0);
    const Immagine bordi_on = disegna_e_leggi();
    const int cambiati = differenti(inizio, bordi_on);
    EXPECT_GT(cambiati, 500);
    int bordo_scuro = 0;
    for (int y = 0; y < 660; y++)
        for (int x = 0; x < 1000; x++) {
            const unsigned char *a = inizio.pixel(x, y), *b = bordi_on.pixel(x, y);
            if (a[0] != b[0] && giallo(a) && b[0] < a[0])
                bordo_scuro++;
        }
    EXPECT_GT(bordo_scuro, cambiati / 2);
    keyboard('b', 0, 0);
    EXPECT_EQ(differenti(disegna_e_leggi(), inizio), 0);

    // Transparency: darker palette added onto the grey, so the middle turns
    // a different colour; two steps back to 0.8 restore the start picture.
    keyboard('j', 0, 0);
    const Immagine trasparente = disegna_e_leggi();
    EXPECT_GT(differenti(inizio, trasparente), 5000);
    const unsigned char *a = inizio.pixel(500, 330), *b = trasparente.pixel(500, 330);
    EXPECT_TRUE(a[0] != b[0] || a[1] != b[1] || a[2] != b[2]);
    keyboard('j', 0, 0);
    EXPECT_GT(differenti(trasparente, disegna_e_leggi()), 0);
    keyboard('u', 0, 0);
    keyboard('u', 0, 0);
    EXPECT_EQ(trasparenza, 0);
    EXPECT_EQ(differenti(disegna_e_leggi(), inizio), 0);
}

TEST(Picture, EmptySlotsDrawNothing)
{
    mostra_finestra();
    // Vertices and faces of slot 1 exist but it is not completed.
    creapunto(1, 0, -5, -5, 5, 0, 0, -1);
    creapunto(1, 1, 5, -5, 5, 0, 0, -1);
    creapunto(1, 2, 5, 5, 5, 0, 0, -1);
    creapunto(1, 3, -5, 5, 5, 0, 0, -1);
    creafaccia4(1, 0, 0, 1, 2, 3, 'r');
    ombra = 0;
    const Immagine prima = disegna_e_leggi();
    creapoliedro(1, 4, 1, 1);
    const Immagine dopo = disegna_e_leggi();
    EXPECT_GT(differenti(prima, dopo), 10000);
}

TEST(Picture, FacetedPolyhedronAlwaysShowsItsEdges)
{
    mostra_finestra();
    // A square facing the eye, in front of everything else, red, liscio 0.
    creapunto(1, 0, -5, -5, 20, 0, 0, -1);
    creapunto(1, 1, 5, -5, 20, 0, 0, -1);
    creapunto(1, 2, 5, 5, 20, 0, 0, -1);
    creapunto(1, 3, -5, 5, 20, 0, 0, -1);
    creafaccia4(1, 0, 0, 1, 2, 3, 'r');
    creapoliedro(1, 4, 1, 0);
    ombra = 0;
    bordi = 0;
    const Immagine im = disegna_e_leggi();
    // The face normal (0, 0, 100) turns away from the light: inside and
    // edges get the ambient term alone, the edge colour being the darker.
    const unsigned char *dentro = im.pixel(500, 330);
    EXPECT_GT(dentro[0], dentro[1]);
    // Scan a row through the square: its left and right edges are lines of
    // a colour different from the inside.
    int cambi = 0;
    for (int x = 1; x < 1000; x++) {
        const unsigned char *p = im.pixel(x, 330), *q = im.pixel(x - 1, 330);
        if (p[0] != q[0] || p[1] != q[1] || p[2] != q[2])
            cambi++;
    }
    EXPECT_GE(cambi, 4);   // grey -> edge -> inside -> edge -> grey
    // The same square with liscio 1 and bordi 0 shows no edge line.
    ElencoPoliedri[1].liscio = 1;
    const Immagine liscio = disegna_e_leggi();
    int cambi_liscio = 0;
    for (int x = 1; x < 1000; x++) {
        const unsigned char *p = liscio.pixel(x, 330), *q = liscio.pixel(x - 1, 330);
        if (p[0] != q[0] || p[1] != q[1] || p[2] != q[2])
            cambi_liscio++;
    }
    EXPECT_LT(cambi_liscio, cambi);
}
