// test_tastiera.cpp: the ordinary-key and special-key handlers.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "finestra_test.h"
#include "geometria_test.h"
#include "input/input.h"
#include "model/faccia.h"
#include "model/poliedro.h"
#include "viewer/finestra.h"
#include "viewer/vista.h"

namespace {

const double nulla[3] = {0.0, 0.0, 0.0};

void pronto()
{
    mostra_finestra();
    ASSERT_EQ(ElencoPoliedri[0].numpunti, 2050) << "the built-in surface is missing";
    pompa_eventi();
}

// The letters the tests use, with their opaque and transparent colours.
struct Tinta {
    char lettera;
    float opaco[3], trasparente[3];
};
const Tinta tinte[] = {
    {'y', {0.8f, 0.8f, 0.2f}, {0.5f, 0.5f, 0.0f}},
    {'r', {0.8f, 0.2f, 0.2f}, {0.5f, 0.0f, 0.0f}},
    {'g', {0.2f, 0.8f, 0.2f}, {0.0f, 0.5f, 0.0f}},
    {'k', {0.2f, 0.2f, 0.2f}, {0.1f, 0.1f, 0.1f}},
};

const Tinta &tinta(char c)
{
    for (const Tinta &t : tinte)
        if (t.lettera == std::tolower((unsigned char)c))
            return t;
    ADD_FAILURE() << "letter " << c;
    return tinte[0];
}

// Three faces of other letters in slot 3 (a faceted tetrahedron).
void tetraedro_in_3()
{
    creapunto(3, 0, 0, 0, 0, 0, 0, 0);
    creapunto(3, 1, 1, 0, 0, 0, 0, 0);
    creapunto(3, 2, 0, 1, 0, 0, 0, 0);
    creapunto(3, 3, 0, 0, 1, 0, 0, 0);
    creafaccia3(3, 0, 0, 1, 2, 'r');
    creafaccia3(3, 1, 0, 1, 3, 'G');
    creafaccia3(3, 2, 0, 2, 3, 'k');
    creafaccia3(3, 3, 1, 2, 3, 'y');
    creapoliedro(3, 4, 4, 0);
}

void sporca_colori()
{
    for (int s = 0; s < MAX_POLIEDRI; s++)
        for (int f = 0; f < ElencoPoliedri[s].numfacce; f++)
            for (int k = 0; k < 4; k++) {
                ElencoPoliedri[s].facce[f].colore[k] = 9.0f;
                ElencoPoliedri[s].facce[f].colore_bordo[k] = 9.0f;
            }
}

// Every face's colours follow its letter and the current trasparenza and
// alpha; at most one failure is reported per call.
void verifica_colori()
{
    for (int s = 0; s < MAX_POLIEDRI; s++)
        for (int f = 0; f < ElencoPoliedri[s].numfacce; f++) {
            const Faccia &fa = ElencoPoliedri[s].facce[f];
            const Tinta &t = tinta(fa.codicecolore);
            const float *rgb = trasparenza ? t.trasparente : t.opaco;
            bool giusto = fa.colore[3] == (float)alpha && fa.colore_bordo[3] == 1.0f;
            for (int k = 0; k < 3; k++)
                giusto = giusto && fa.colore[k] == rgb[k] && fa.colore_bordo[k] == rgb[k] / 1.25f;
            if (!giusto) {
                ADD_FAILURE() << "slot " << s << " face " << f << " letter " << fa.codicecolore;
                return;
            }
        }
}

bool identita(const Matrice &a)
{
    for (int i = 0; i < 16; i++)
        if (a.e[i] != (i % 5 == 0 ? 1.0 : 0.0))
            return false;
    return true;
}

} // namespace

TEST(TransparencyKeys, OneStepDownAndUp)
{
    pronto();
    keyboard('j', 0, 0);
    EXPECT_EQ(trasparenza, 1);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(alpha, 0.8 - 0.05);
    const Faccia &f = ElencoPoliedri[0].facce[4095];
    EXPECT_EQ(f.colore[0], 0.5f);
    EXPECT_EQ(f.colore[2], 0.0f);
    EXPECT_EQ(f.colore[3], (float)0.75);
    EXPECT_TRUE(ridisegno_chiesto());
    keyboard('u', 0, 0);
    EXPECT_EQ(alpha, 0.8);
    EXPECT_EQ(trasparenza, 0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(f.colore[0], 0.8f);
    EXPECT_EQ(f.colore[3], 0.8f);
}

TEST(TransparencyKeys, SixteenDownThenFifteenUpIsExactlyPointEight)
{
    pronto();
    double visti[17];
    visti[0] = alpha;
    for (int i = 1; i <= 16; i++) {
        keyboard(i % 2 ? 'j' : 'J', 0, 0);
        visti[i] = alpha;
    }
    // Fifteen steps take it just under 0.05; the sixteenth leaves it alone.
    EXPECT_LT(visti[15], 0.05);
    EXPECT_GT(visti[15], 0.0);
    EXPECT_EQ(visti[16], visti[15]);
    EXPECT_GE(visti[14], 0.05);
    EXPECT_EQ(trasparenza, 1);
    for (int i = 0; i < 15; i++) {
        EXPECT_EQ(trasparenza, 1) << "after " << i << " up steps";
        keyboard(i % 2 ? 'u' : 'U', 0, 0);
    }
    EXPECT_EQ(alpha, 0.8);   // exactly, so the last step switched back
    EXPECT_EQ(trasparenza, 0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    verifica_colori();
    // At 0.8 "u" changes nothing and switches transparency off again.
    keyboard('u', 0, 0);
    EXPECT_EQ(alpha, 0.8);
    EXPECT_EQ(trasparenza, 0);
}

TEST(OrdinaryKeys, EveryKeyRecoloursEveryFaceOfEverySlot)
{
    pronto();
    tetraedro_in_3();
    for (int k = 0; k < 256; k++) {
        SCOPED_TRACE(testing::Message() << "key " << k);
        sporca_colori();
        keyboard((unsigned char)k, 0, 0);
        verifica_colori();
        EXPECT_TRUE(ridisegno_chiesto());
    }
}

TEST(OrdinaryKeys, KeysOutsideTheTableChangeNothingElse)
{
    pronto();
    const char *fuori = "56789cdefghiklmnpstvwxyzCDEFGHIKLMNPSTVWXYZ!?.,-+\t\r\x1b\x7f";
    const auto prima = istantanea();
    const int p = p_target, o = ombra, b = bordi, t = trasparenza;
    const double a = alpha;
    for (const char *c = fuori; *c; c++)
        keyboard((unsigned char)*c, 0, 0);
    for (int k = 128; k < 256; k++)
        keyboard((unsigned char)k, 0, 0);
    EXPECT_TRUE(prima == istantanea());
    EXPECT_EQ(p_target, p);
    EXPECT_EQ(ombra, o);
    EXPECT_EQ(bordi, b);
    EXPECT_EQ(trasparenza, t);
    EXPECT_EQ(alpha, a);
}

TEST(OrdinaryKeys, UpperAndLowerCaseActAlike)
{
    pronto();
    for (const char *coppia : {"aA", "qQ"}) {
        SCOPED_TRACE(coppia);
        keyboard('r', 0, 0);
        keyboard(coppia[0], 0, 0);
        const Matrice dopo_minuscola = ElencoPoliedri[0].matrice;
        const double scala = ElencoPoliedri[0].scala;
        keyboard('R', 0, 0);
        keyboard(coppia[1], 0, 0);
        EXPECT_EQ(std::memcmp(&ElencoPoliedri[0].matrice, &dopo_minuscola, sizeof(Matrice)), 0);
        EXPECT_EQ(ElencoPoliedri[0].scala, scala);
        EXPECT_NE(scala, 1.0);
    }
    keyboard('o', 0, 0);
    EXPECT_EQ(ombra, 0);
    keyboard('O', 0, 0);
    EXPECT_EQ(ombra, 1);
    keyboard('B', 0, 0);
    EXPECT_EQ(bordi, 1);
    keyboard('b', 0, 0);
    EXPECT_EQ(bordi, 0);
    keyboard('J', 0, 0);
    EXPECT_EQ(trasparenza, 1);
    keyboard('U', 0, 0);
    EXPECT_EQ(trasparenza, 0);
    EXPECT_EQ(alpha, 0.8);
}

TEST(ArrowKeys, SixRadianStepAboutTheWorldAxes)
{
    pronto();
    struct {
        int tasto;
        double ax, ay;
    } casi[] = {
        {GLUT_KEY_UP, PASSO_FRECCIA, 0.0},
        {GLUT_KEY_DOWN, -PASSO_FRECCIA, 0.0},
        {GLUT_KEY_LEFT, 0.0, PASSO_FRECCIA},
        {GLUT_KEY_RIGHT, 0.0, -PASSO_FRECCIA},
    };
    for (const auto &c : casi) {
        SCOPED_TRACE(c.tasto);
        keyboard('r', 0, 0);
        pompa_eventi();
        keyboard_s(c.tasto, 0, 0);
        EXPECT_EQ(rotation_x, c.ax);
        EXPECT_EQ(rotation_y, c.ay);
        verifica_mondo(0, c.ax, c.ay, 1.0, nulla);
        EXPECT_TRUE(ridisegno_chiesto());
    }
    EXPECT_EQ(PASSO_FRECCIA, 6.0);

    // Up then down: back to the former orientation, up to rounding.
    keyboard('r', 0, 0);
    keyboard_s(GLUT_KEY_UP, 0, 0);
    keyboard_s(GLUT_KEY_DOWN, 0, 0);
    verifica_mondo(0, 0.0, 0.0, 1.0, nulla);
}

TEST(ArrowKeys, OtherSpecialKeysTurnByZeroWithoutRecolouring)
{
    pronto();
    keyboard_s(GLUT_KEY_LEFT, 0, 0);
    pompa_eventi();
    ElencoPoliedri[0].facce[7].colore[0] = 0.25f;
    for (int tasto : {GLUT_KEY_F1, GLUT_KEY_PAGE_UP, GLUT_KEY_HOME, 0, 9999}) {
        SCOPED_TRACE(tasto);
        keyboard_s(tasto, 0, 0);
        EXPECT_EQ(rotation_x, 0.0);
        EXPECT_EQ(rotation_y, 0.0);
        verifica_mondo(0, 0.0, PASSO_FRECCIA, 1.0, nulla);
        EXPECT_TRUE(ridisegno_chiesto());
    }
    EXPECT_EQ(ElencoPoliedri[0].facce[7].colore[0], 0.25f);
}

TEST(ResetKey, IdentityMatricesAndModelSpaceBack)
{
    pronto();
    for (unsigned char r : {'r', 'R'}) {
        SCOPED_TRACE(r);
        // A mix of every way of moving the object.
        mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
        rotazione_mouse(37, -81);
        keyboard_s(GLUT_KEY_UP, 0, 0);
        keyboard('a', 0, 0);
        keyboard('q', 0, 0);
        keyboard('q', 0, 0);
        riscalamento_mouse(37, -60);
        traslazione_mouse(90, 10);
        keyboard_s(GLUT_KEY_RIGHT, 0, 0);
        const Poliedro &p = ElencoPoliedri[0];
        ASSERT_NE(p.punti_trasformati[5].x, p.punti[5].x);
        ASSERT_NE(p.scala, 1.0);

        keyboard(r, 0, 0);
        EXPECT_TRUE(identita(p.matrice));
        EXPECT_TRUE(identita(p.matrice_normali));
        EXPECT_EQ(std::memcmp(p.centro_trasformato, p.centro, sizeof p.centro), 0);
        EXPECT_EQ(p.scala, 1.0);
        int diversi = 0;
        for (int i = 0; i < p.numpunti; i++) {
            const Punto &a = p.punti[i], &b = p.punti_trasformati[i];
            if (a.x != b.x || a.y != b.y || a.z != b.z || a.w != b.w || a.nx != b.nx ||
                a.ny != b.ny || a.nz != b.nz || a.nw != b.nw)
                diversi++;
        }
        EXPECT_EQ(diversi, 0);
        EXPECT_TRUE(ridisegno_chiesto());
    }
}

TEST(SlotKeys, EmptySlotTwoChangesNothingVisible)
{
    pronto();
    const Immagine inizio = disegna_e_leggi();
    keyboard('2', 0, 0);
    EXPECT_EQ(p_target, 2);
    keyboard('a', 0, 0);
    keyboard('q', 0, 0);
    keyboard_s(GLUT_KEY_UP, 0, 0);
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    rotazione_mouse(50, 50);
    riscalamento_mouse(50, 0);
    traslazione_mouse(0, 0);
    keyboard('r', 0, 0);
    EXPECT_EQ(ElencoPoliedri[2].numpunti, 0);
    EXPECT_EQ(ElencoPoliedri[2].numfacce, 0);
    const Immagine dopo = disegna_e_leggi();
    EXPECT_TRUE(inizio.rgb == dopo.rgb);
    // Back on slot 0 the keys act again.
    keyboard('0', 0, 0);
    keyboard('a', 0, 0);
    EXPECT_FALSE(inizio.rgb == disegna_e_leggi().rgb);
}

TEST(SlotKeys, NoSlotSelectedKeysChangeNoSlotAndStillRedisplay)
{
    pronto();
    for (unsigned char scelta : {'4', ' '}) {
        SCOPED_TRACE(scelta);
        keyboard('0', 0, 0);
        keyboard('r', 0, 0);
        pompa_eventi();
        const auto prima = istantanea();
        keyboard(scelta, 0, 0);
        EXPECT_EQ(p_target, scelta == '4' ? 4 : -1);
        EXPECT_TRUE(ridisegno_chiesto());
        for (unsigned char k : {'a', 'q', 'r', 'A', 'Q', 'R'}) {
            keyboard(k, 0, 0);
            EXPECT_TRUE(ridisegno_chiesto());
        }
        for (int k : {GLUT_KEY_UP, GLUT_KEY_DOWN, GLUT_KEY_LEFT, GLUT_KEY_RIGHT}) {
            keyboard_s(k, 0, 0);
            EXPECT_TRUE(ridisegno_chiesto());
        }
        EXPECT_TRUE(prima == istantanea());
    }
}
