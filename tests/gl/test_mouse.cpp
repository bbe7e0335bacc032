// test_mouse.cpp: the mouse-button callback, the drag handlers, and which
// handler each frame installs.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>

#include "finestra_test.h"
#include "geometria_test.h"
#include "input/input.h"
#include "model/poliedro.h"
#include "viewer/finestra.h"
#include "viewer/vista.h"

namespace {

const double nulla[3] = {0.0, 0.0, 0.0};

void pronto()
{
    mostra_finestra();
    ASSERT_EQ(ElencoPoliedri[0].numpunti, 2050) << "the built-in surface is missing";
}

} // namespace

TEST(MouseButton, FlagsAndPositionForEveryButtonAndState)
{
    pronto();
    pompa_eventi();
    struct {
        int bottone, stato;
        int sinistro, destro;   // expected flags, from sinistro 1 and destro 0
    } casi[] = {
        {GLUT_LEFT_BUTTON, GLUT_UP, 0, 0},
        {GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 1},
        {GLUT_MIDDLE_BUTTON, GLUT_DOWN, 0, 1},
        {GLUT_MIDDLE_BUTTON, GLUT_UP, 0, 1},
        {GLUT_LEFT_BUTTON, GLUT_DOWN, 1, 1},
        {GLUT_RIGHT_BUTTON, GLUT_UP, 1, 0},
        {3, GLUT_DOWN, 1, 0},           // wheel
        {GLUT_LEFT_BUTTON, 7, 1, 0},    // no such state
        {GLUT_RIGHT_BUTTON, 7, 1, 0},
    };
    int x = 10;
    for (const auto &c : casi) {
        SCOPED_TRACE(testing::Message() << "button " << c.bottone << " state " << c.stato);
        x += 17;
        mouse(c.bottone, c.stato, x, 2 * x);
        EXPECT_EQ(sinistro, c.sinistro);
        EXPECT_EQ(destro, c.destro);
        EXPECT_EQ(old_mouX, x);
        EXPECT_EQ(old_mouY, 2 * x);
        EXPECT_FALSE(ridisegno_chiesto());
    }
}

TEST(DragHandler, EachFrameInstallsTheOneTheFlagsAskFor)
{
    pronto();
    // The first frame, before any button: left flag at its start value 1.
    EXPECT_EQ(trascinamento, &rotazione_mouse);

    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
    display();
    EXPECT_EQ(trascinamento, &rotazione_mouse);   // no flag held: kept
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
    EXPECT_EQ(trascinamento, &rotazione_mouse);   // a press alone changes nothing
    display();
    EXPECT_EQ(trascinamento, &riscalamento_mouse);
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    display();
    EXPECT_EQ(trascinamento, &riscalamento_mouse);   // both held: kept
    mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 0, 0);
    display();
    EXPECT_EQ(trascinamento, &rotazione_mouse);
}

TEST(DragHandler, RightDragTurnsUntilTheLeftButtonWasReleasedOnce)
{
    pronto();
    // Right drag from the start: the left flag is still 1, so it turns.
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 100, 100);
    trascinamento(100, 150);
    EXPECT_EQ(rotation_x, 0.5);
    display();
    EXPECT_EQ(trascinamento, &rotazione_mouse);
    trascinamento(100, 200);
    verifica_mondo(0, 1.0, 0.0, 1.0, nulla);
    EXPECT_EQ(ElencoPoliedri[0].scala, 1.0);
    mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 100, 200);

    // Once the left button has gone up, a right drag begins with one turn
    // (the handler of the last frame) and rescales from its second event.
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 200);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 100, 200);
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 100, 200);
    trascinamento(100, 250);
    verifica_mondo(0, 1.5, 0.0, 1.0, nulla);
    display();
    ASSERT_EQ(trascinamento, &riscalamento_mouse);
    trascinamento(100, 240);   // 10 px up: 1.1
    verifica_mondo(0, 1.5, 0.0, 1.1, nulla);
    mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 100, 240);

    // A left drag after a right drag begins with one rescale step.
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 240);
    trascinamento(100, 230);
    verifica_mondo(0, 1.5, 0.0, 1.1 * 1.1, nulla);
    display();
    EXPECT_EQ(trascinamento, &rotazione_mouse);
}

TEST(RotationDrag, HundredPixelsAreOneRadian)
{
    pronto();
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 300, 200);
    rotazione_mouse(400, 200);
    EXPECT_EQ(rotation_x, 0.0);
    EXPECT_EQ(rotation_y, 1.0);
    EXPECT_EQ(new_mouX, 400.0);
    EXPECT_EQ(old_mouX, 400.0);
    verifica_mondo(0, 0.0, 1.0, 1.0, nulla);
    EXPECT_TRUE(ridisegno_chiesto());

    // Down the screen turns about X; one diagonal event turns about X first,
    // then about Y.
    keyboard('r', 0, 0);
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    rotazione_mouse(0, 50);
    EXPECT_EQ(rotation_x, 0.5);
    EXPECT_EQ(rotation_y, 0.0);
    verifica_mondo(0, 0.5, 0.0, 1.0, nulla);
    keyboard('r', 0, 0);
    rotazione_mouse(-70, 80);
    EXPECT_EQ(rotation_x, 0.3);
    EXPECT_EQ(rotation_y, -0.7);
    verifica_mondo(0, 0.3, -0.7, 1.0, nulla);

    // No movement: a turn by zero, and still a redisplay.
    rotazione_mouse(-70, 80);
    EXPECT_EQ(rotation_x, 0.0);
    EXPECT_EQ(rotation_y, 0.0);
    verifica_mondo(0, 0.3, -0.7, 1.0, nulla);
    EXPECT_TRUE(ridisegno_chiesto());
}

TEST(RescaleDrag, OnePercentPerPixelMultipliedAcrossEvents)
{
    pronto();
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 50, 100);
    riscalamento_mouse(50, 90);
    verifica_mondo(0, 0.0, 0.0, 1.1, nulla);
    EXPECT_TRUE(ridisegno_chiesto());
    riscalamento_mouse(50, 80);
    verifica_mondo(0, 0.0, 0.0, 1.1 * 1.1, nulla);
    riscalamento_mouse(50, 90);
    verifica_mondo(0, 0.0, 0.0, 1.1 * 1.1 * 0.9, nulla);
    // Horizontal movement scales by 1 and still moves the stored position.
    riscalamento_mouse(250, 90);
    verifica_mondo(0, 0.0, 0.0, 1.1 * 1.1 * 0.9, nulla);
    EXPECT_EQ(old_mouX, 250.0);
    EXPECT_NEAR(ElencoPoliedri[0].scala, 1.1 * 1.1 * 0.9, TOLLERANZA_GEOMETRIA);
}

TEST(RescaleDrag, FastFlickDownShrinksButNeverCollapsesOrMirrors)
{
    pronto();
    for (int salto : {100, 160}) {
        SCOPED_TRACE(salto);
        keyboard('r', 0, 0);
        mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 50, 100);
        riscalamento_mouse(50, 100 + salto);
        verifica_mondo(0, 0.0, 0.0, FATTORE_MINIMO, nulla);
        EXPECT_NEAR(ElencoPoliedri[0].scala, FATTORE_MINIMO, TOLLERANZA_GEOMETRIA);
    }
}

// Unbounded growth would overflow the matrices to infinity and NaN.
TEST(RescaleDrag, GrowthByDragOrKeyStopsAtTheLargestScale)
{
    pronto();
    keyboard('r', 0, 0);
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 50, 1000);
    const auto prima = istantanea();
    riscalamento_mouse(50, -2000000000);   // factor 2e7 in one event: refused
    EXPECT_TRUE(prima == istantanea());
    EXPECT_EQ(old_mouY, -2000000000.0);
    EXPECT_TRUE(ridisegno_chiesto());

    for (int i = 0; i < 100; i++)
        keyboard('q', 0, 0);
    for (int i = 0; i < 10; i++)
        riscalamento_mouse(50, (int)old_mouY - 900);   // factor 10 each
    const Poliedro &p = ElencoPoliedri[0];
    EXPECT_LE(p.scala, SCALA_MASSIMA);
    EXPECT_GT(p.scala, SCALA_MASSIMA / 10.0);
    for (double v : p.matrice.e)
        ASSERT_TRUE(std::isfinite(v));
    for (int i = 0; i < p.numpunti; i++)
        ASSERT_EQ(p.punti_trasformati[i].w, 1.0) << i;

    // Shrinking is never refused.
    const double s = p.scala;
    keyboard('a', 0, 0);
    EXPECT_EQ(p.scala, s * 0.75);
}

TEST(RescaleDrag, AtHalfSizeOrBelowOnlyUpwardMovementScales)
{
    pronto();
    for (int i = 0; i < 3; i++)
        keyboard('a', 0, 0);
    const double s = 0.75 * 0.75 * 0.75;
    ASSERT_NEAR(ElencoPoliedri[0].scala, s, TOLLERANZA_GEOMETRIA);
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 50, 100);
    const auto prima = istantanea();
    riscalamento_mouse(50, 130);   // down
    riscalamento_mouse(90, 130);   // sideways
    EXPECT_TRUE(prima == istantanea());
    EXPECT_EQ(old_mouX, 90.0);
    EXPECT_EQ(old_mouY, 130.0);
    EXPECT_TRUE(ridisegno_chiesto());
    riscalamento_mouse(90, 120);   // up: enlarges
    verifica_mondo(0, 0.0, 0.0, s * 1.1, nulla);
}

TEST(MiddleDrag, MovesInTheFloorPlaneForTheWholeDrag)
{
    pronto();
    ASSERT_EQ(trascinamento, &rotazione_mouse);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 100, 100);
    EXPECT_EQ(trascinamento, &traslazione_mouse);   // from the first motion event
    trascinamento(120, 70);
    const double t1[3] = {2.0, 0.0, -3.0};
    verifica_mondo(0, 0.0, 0.0, 1.0, t1);
    EXPECT_TRUE(ridisegno_chiesto());   // that frame keeps the handler
    EXPECT_EQ(trascinamento, &traslazione_mouse);
    trascinamento(110, 80);
    const double t2[3] = {1.0, 0.0, -2.0};
    verifica_mondo(0, 0.0, 0.0, 1.0, t2);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_UP, 110, 80);
    EXPECT_EQ(trascinamento, &rotazione_mouse);

    // The handler put back is whichever was installed, the rescale one too.
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
    display();
    mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 0, 0);
    ASSERT_EQ(trascinamento, &riscalamento_mouse);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 0, 0);
    display();
    EXPECT_EQ(trascinamento, &traslazione_mouse);
    mouse(GLUT_MIDDLE_BUTTON, GLUT_UP, 0, 0);
    EXPECT_EQ(trascinamento, &riscalamento_mouse);
}

TEST(TranslationDrag, TwentyRightThirtyUpMovesByTwoAndMinusThree)
{
    pronto();
    mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 300, 300);
    traslazione_mouse(320, 270);
    const double t[3] = {2.0, 0.0, -3.0};
    verifica_mondo(0, 0.0, 0.0, 1.0, t);
    EXPECT_EQ(new_mouX, 320.0);
    EXPECT_EQ(new_mouY, 270.0);
    EXPECT_EQ(old_mouX, 320.0);
    EXPECT_EQ(old_mouY, 270.0);
}

TEST(CameraDrag, RecordsTheAnglesAndMovesNothing)
{
    pronto();
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    const auto prima = istantanea();
    rotazione_camera_mouse(-50, 30);
    EXPECT_EQ(rotation_x, 0.3);
    EXPECT_EQ(rotation_y, -0.5);
    EXPECT_EQ(old_mouX, -50.0);
    EXPECT_TRUE(prima == istantanea());
    EXPECT_TRUE(ridisegno_chiesto());
}

TEST(NoSlotSelected, DragsChangeNoSlotAndStillRedisplay)
{
    pronto();
    for (int slot : {4, -1, 1000000, -1000000}) {
        SCOPED_TRACE(slot);
        p_target = slot;
        const auto prima = istantanea();
        mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
        rotazione_mouse(40, 40);
        EXPECT_TRUE(ridisegno_chiesto());
        riscalamento_mouse(40, 0);
        EXPECT_TRUE(ridisegno_chiesto());
        riscalamento_mouse(40, 400);
        EXPECT_TRUE(ridisegno_chiesto());
        traslazione_mouse(80, 80);
        EXPECT_TRUE(ridisegno_chiesto());
        EXPECT_TRUE(prima == istantanea());
    }
}
