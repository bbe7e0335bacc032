// vivi.cpp: the timer that keeps the window's files live.
#include "viewer/vivi.h"

#include <cstdio>
#include <ctime>

#include <GL/freeglut.h>

#include "loading/formati.h"
#include "viewer/osserva.h"
#include "viewer/rilascio.h"

static double adesso()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + 1e-9 * (double)t.tv_nsec;
}

// A dropped text/uri-list: its files in place of the scene, or one line.
static bool prendi(const char *testo, size_t n)
{
    static char percorsi[MAX_POLIEDRI][LUNGHEZZA_PERCORSO];
    char errore[600], note[MAX_POLIEDRI * 600];
    const int quanti = percorsi_da_uri(testo, n, percorsi, MAX_POLIEDRI, errore, sizeof errore);
    const char *file[MAX_POLIEDRI];
    for (int k = 0; k < MAX_POLIEDRI; k++)
        file[k] = percorsi[k];
    if (quanti < 0 || !carica_file(file, quanti, errore, sizeof errore, note, sizeof note)) {
        std::fprintf(stderr, "superficie: %s\n", errore);
        return false;
    }
    stampa_note(note);
    osserva_file(file, quanti);
    glutPostRedisplay();
    return true;
}

void vivi_passo()
{
    const double t = adesso();
    osserva_leggi(t);
    const unsigned pronti = osserva_pronti(t);
    for (int k = 0; k < MAX_POLIEDRI; k++) {
        if (!(pronti & (1u << k)))
            continue;
        char errore[600], nota[600];
        if (ricarica_file(k, osservato(k), errore, sizeof errore, nota, sizeof nota)) {
            if (nota[0])
                std::fprintf(stderr, "superficie: %s\n", nota);
            glutPostRedisplay();
        } else {
            std::fprintf(stderr, "superficie: %s\n", errore);
        }
    }
    rilascio_passo(t);
}

static void tempo(int)
{
    vivi_passo();
    glutTimerFunc(PERIODO_VIVI, tempo, 0);
}

void avvia_vivi(const char *const *file, int nfile)
{
    osserva_file(file, nfile);
    prepara_rilascio(prendi);
    glutTimerFunc(PERIODO_VIVI, tempo, 0);
}
