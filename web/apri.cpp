// apri.cpp: the page's files into the scene, as the desktop's command line
// puts them there. The page (apri.js) copies the chosen or dropped files
// into the heap and calls apri_file; the readers and the placement are the
// desktop's own (carica_dati).
#include <cstdio>
#include <cstdlib>

#include <emscripten.h>
#include <GL/freeglut.h>

#include "formats/formati.h"

static char messaggio[600];

extern "C" {

// Files above this are not read by the page at all: the desktop stops
// reading them here too.
EMSCRIPTEN_KEEPALIVE double apri_limite(void)
{
    return (double)MAX_DIMENSIONE_FILE;
}

// nomi[k] names the file of lunghezze[k] bytes at dati[k]; a null dati[k]
// is a file the page did not read (over the limit, or the browser could not
// read it). Returns null once the files are in the scene, otherwise the
// message the desktop would give, the scene as it was.
EMSCRIPTEN_KEEPALIVE const char *apri_file(int n, const char *const *nomi,
                                           const char *const *dati, const size_t *lunghezze)
{
    // Too many files are refused by their count, before any is read.
    int mancante = -1;
    for (int k = 0; k < n && k < MAX_POLIEDRI && mancante < 0; k++)
        if (!dati[k])
            mancante = k;
    if (n > MAX_POLIEDRI || mancante < 0) {
        if (!carica_dati(nomi, dati, lunghezze, n, messaggio, sizeof messaggio))
            return messaggio;
        glutPostRedisplay();
        return nullptr;
    }
    // The desktop reads in order and stops at the first bad file: the files
    // before the missing one may hold the message. Read into a Maglia of
    // their own, the scene is not touched; rare, so not kept.
    Maglia *prova = mancante ? static_cast<Maglia *>(std::malloc(sizeof(Maglia))) : nullptr;
    bool letti = true;
    for (int k = 0; k < mancante && letti && prova; k++)
        letti = leggi_maglia(nomi[k], dati[k], lunghezze[k], prova, messaggio, sizeof messaggio);
    std::free(prova);
    if (letti) {
        if (lunghezze[mancante] > MAX_DIMENSIONE_FILE)   // formats/lettura.cpp's words
            std::snprintf(messaggio, sizeof messaggio,
                          "%s: larger than %zu MiB, far more than %d vertices and %d faces need",
                          nomi[mancante], MAX_DIMENSIONE_FILE >> 20, MAX_PUNTI, MAX_FACCE);
        else
            std::snprintf(messaggio, sizeof messaggio, "%s: could not be read", nomi[mancante]);
    }
    return messaggio;
}

} // extern "C"
