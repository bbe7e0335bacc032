// tastiera.cpp: the ordinary-key and special-key handlers; what each key does
// is listed in input/input.h.
#include <GL/freeglut.h>

#include "input/input.h"
#include "model/colori.h"
#include "model/poliedro.h"
#include "transform/matrice.h"
#include "transform/trasforma.h"
#include "state/vista.h"

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
