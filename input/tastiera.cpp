// tastiera.cpp: the ordinary-key and special-key handlers.
//
// Mouse: a left drag turns the selected object about its own centre, 100
// pixels to one radian (vertical movement about the world X axis, horizontal
// about the world Y axis). A right drag rescales it, 1 % per pixel, up to
// enlarge and down to shrink; it works only once the left button has been
// released at least once, and until then a right drag turns. A middle drag
// moves the object in the floor plane, 10 pixels to one unit, down the
// screen towards the viewer. The first motion of a left or right drag still
// goes to the handler that the previous frame chose.
//
// Keys, upper and lower case alike: "0" to "3" select the object in that
// slot, "4" and space select none; "a" shrinks the selected object to three
// quarters and "q" grows it by a quarter (up to a million times its size); "r" puts it back as it was
// created; "o" switches the floor shadows, "b" the edges; "j" makes every
// face more transparent (blending on, depth test off) and "u" less, back to
// opaque at the start alpha. Every ordinary key recolours every face. The
// arrow keys turn the selected object by 6 radians: up and down about the
// world X axis, left and right about the world Y axis.
#include <GL/freeglut.h>

#include "input/input.h"
#include "model/colori.h"
#include "model/poliedro.h"
#include "transform/matrice.h"
#include "transform/trasforma.h"
#include "viewer/vista.h"

static void azzera(int slot)
{
    if (!slot_valido(slot))
        return;
    Poliedro &p = ElencoPoliedri[slot];
    identita(&p.matrice);
    identita(&p.matrice_normali);
    for (int k = 0; k < 4; k++)
        p.centro_trasformato[k] = p.centro[k];
    // Scala_oggetto(1.0) multiplies scala by 1: set it back here.
    p.scala = 1.0;
    Scala_oggetto(1.0, slot);
    ApplicaTrasformazioni(slot);
}

void keyboard(unsigned char key, int x, int y)
{
    (void)x;
    (void)y;
    switch (key) {
    case ' ':
        // Slot -1 has no centre to translate slot 0 by: nothing moves.
        p_target = -1;
        glutPostRedisplay();
        break;
    case '0': case '1': case '2': case '3': case '4':
        p_target = key - '0';
        break;
    case 'a': case 'A':
        Scala_oggetto(0.75, p_target);
        ApplicaTrasformazioni(p_target);
        break;
    case 'q': case 'Q':
        if (crescita_ammessa(p_target, 1.25)) {
            Scala_oggetto(1.25, p_target);
            ApplicaTrasformazioni(p_target);
        }
        break;
    case 'r': case 'R':
        azzera(p_target);
        break;
    case 'j': case 'J':
        if (trasparenza == 0) {
            trasparenza = 1;
            glDisable(GL_DEPTH_TEST);
            glEnable(GL_BLEND);
        }
        if (alpha >= 0.05)
            alpha -= 0.05;
        break;
    case 'u': case 'U':
        if (alpha <= 0.75)
            alpha += 0.05;
        // Exact comparison: n steps down and n up land on 0.8 to the bit.
        if (alpha == 0.8) {
            trasparenza = 0;
            glEnable(GL_DEPTH_TEST);
            glDisable(GL_BLEND);
        }
        break;
    case 'o': case 'O':
        ombra = ombra == 0 ? 1 : 0;
        break;
    case 'b': case 'B':
        bordi = bordi == 0 ? 1 : 0;
        break;
    default:
        break;
    }

    ricolora_facce();
    glutPostRedisplay();
}

void keyboard_s(int key, int x, int y)
{
    (void)x;
    (void)y;
    rotation_x = 0.0;
    rotation_y = 0.0;
    switch (key) {
    case GLUT_KEY_UP:
        rotation_x = PASSO_FRECCIA;
        break;
    case GLUT_KEY_DOWN:
        rotation_x = -PASSO_FRECCIA;
        break;
    case GLUT_KEY_LEFT:
        rotation_y = PASSO_FRECCIA;
        break;
    case GLUT_KEY_RIGHT:
        rotation_y = -PASSO_FRECCIA;
        break;
    default:
        break;
    }
    Ruota_oggetto(rotation_x, rotation_y, p_target);
    ApplicaTrasformazioni(p_target);
    glutPostRedisplay();
}
