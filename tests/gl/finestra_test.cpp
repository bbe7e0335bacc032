// finestra_test.cpp: the test window and pixel read-back.
#include "finestra_test.h"

#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "data/superficie.h"
#include "input/input.h"
#include "viewer/finestra.h"
#include "viewer/vista.h"

static bool aperta = false;
static int conteggio = 0;

static void display_contato()
{
    conteggio++;
    display();
}

void apri_finestra_di_prova()
{
    if (aperta)
        return;
    aperta = true;
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "GL tests need an X display ($DISPLAY)\n");
        std::abort();
    }
    inizializza_poliedro();
    int argc = 1;
    char nome[] = "test_gl";
    char *argv[] = {nome, nullptr};
    apri_finestra(&argc, argv);
    // Closing the window must not end the test process behind gtest's back.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    glutDisplayFunc(display_contato);
}

void pompa_eventi()
{
    // Long enough for the X server's round trip; the loop returns as soon
    // as nothing more is pending after that.
    const auto fine = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
    while (std::chrono::steady_clock::now() < fine)
        glutMainLoopEvent();
}

void mostra_finestra()
{
    apri_finestra_di_prova();
    // Mapping a window on Xvfb takes well under a second; ten is a deadline
    // for a loaded machine, not an expectation.
    const auto fine = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (conteggio == 0 && std::chrono::steady_clock::now() < fine)
        glutMainLoopEvent();
    if (conteggio == 0) {
        std::fprintf(stderr, "the window was never drawn\n");
        std::abort();
    }
}

int fotogrammi_disegnati() { return conteggio; }

Immagine disegna_e_leggi()
{
    display();
    Immagine im;
    im.larghezza = screen_width;
    im.altezza = screen_height;
    im.rgb.assign(3 * im.larghezza * im.altezza, 0);
    glFinish();
    // Mesa's software path swaps by copying, so the back buffer still holds
    // the frame just shown; unlike the window it is private to this context,
    // so another test's window on the same server cannot cover it.
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, im.larghezza, im.altezza, GL_RGB, GL_UNSIGNED_BYTE, im.rgb.data());
    return im;
}

bool ridisegno_chiesto()
{
    const int prima = conteggio;
    glutMainLoopEvent();
    return conteggio > prima;
}
