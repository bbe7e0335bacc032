// mouse.cpp: the mouse-button callback and the four drag handlers.
#include <GL/freeglut.h>

#include "input/input.h"
#include "model/poliedro.h"
#include "transform/trasforma.h"
#include "state/vista.h"

int centrale = 0;

void (*trascinamento)(int, int) = nullptr;

void installa_trascinamento(void (*handler)(int, int))
{
    trascinamento = handler;
    glutMotionFunc(handler);
}

// What was installed when the middle button went down, put back on release
// so that the next left or right drag starts exactly as it would have.
static void (*prima_del_centrale)(int, int) = nullptr;

void mouse(int button, int state, int x, int y)
{
    switch (button) {
    case GLUT_LEFT_BUTTON:
        if (state == GLUT_DOWN)
            sinistro = 1;
        else if (state == GLUT_UP)
            sinistro = 0;
        break;
    case GLUT_RIGHT_BUTTON:
        if (state == GLUT_DOWN)
            destro = 1;
        else if (state == GLUT_UP)
            destro = 0;
        break;
    case GLUT_MIDDLE_BUTTON:
        if (state == GLUT_DOWN && !centrale) {
            centrale = 1;
            prima_del_centrale = trascinamento;
            installa_trascinamento(traslazione_mouse);
        } else if (state == GLUT_UP && centrale) {
            centrale = 0;
            installa_trascinamento(prima_del_centrale);
        }
        break;
    default:
        break;
    }
    old_mouX = x;
    old_mouY = y;
}

// The turn a drag step asks for: 100 pixels to one radian, vertical
// movement about X and horizontal about Y; the step's position is kept.
static void angoli_del_passo(int x, int y)
{
    new_mouX = x;
    new_mouY = y;
    rotation_x = (new_mouY - old_mouY) / 100.0;
    rotation_y = (new_mouX - old_mouX) / 100.0;
    old_mouX = x;
    old_mouY = y;
}

void rotazione_mouse(int x, int y)
{
    angoli_del_passo(x, y);
    Ruota_oggetto(rotation_x, rotation_y, p_target);
    ApplicaTrasformazioni(p_target);
    glutPostRedisplay();
}

void riscalamento_mouse(int x, int y)
{
    new_mouX = x;
    new_mouY = y;
    const double dy = new_mouY - old_mouY;
    // The guard reads scala of a slot that exists; an unnamed slot scales
    // nothing anyway.
    if (slot_valido(p_target) && (dy < 0.0 || ElencoPoliedri[p_target].scala > 0.5)) {
        double fattore = 1.0 - dy / 100.0;
        // One fast downward flick would collapse or mirror the object.
        if (fattore <= 0.0)
            fattore = FATTORE_MINIMO;
        if (crescita_ammessa(p_target, fattore)) {
            Scala_oggetto(fattore, p_target);
            ApplicaTrasformazioni(p_target);
        }
    }
    old_mouX = new_mouX;
    old_mouY = new_mouY;
    glutPostRedisplay();
}

bool crescita_ammessa(int slot, double factor)
{
    return !slot_valido(slot) || factor <= 1.0 ||
           ElencoPoliedri[slot].scala * factor <= SCALA_MASSIMA;
}

void traslazione_mouse(int x, int y)
{
    new_mouX = x;
    new_mouY = y;
    // Down the screen is towards the viewer (+z); nothing moves along y.
    const double t[3] = {(new_mouX - old_mouX) / 10.0, 0.0, (new_mouY - old_mouY) / 10.0};
    Trasla_oggetto(t, p_target, +1);
    ApplicaTrasformazioni(p_target);
    old_mouX = new_mouX;
    old_mouY = new_mouY;
    glutPostRedisplay();
}

void rotazione_camera_mouse(int x, int y)
{
    angoli_del_passo(x, y);
    glutPostRedisplay();
}
