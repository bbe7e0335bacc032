// apri.cpp: the page's files into the scene, as the desktop's command line
// puts them there. The page (apri.js) copies the chosen or dropped files
// into the heap and calls apri_file; the readers, the fitting of large
// meshes and the placement are the desktop's own (carica_dati).
#include <emscripten.h>
#include <GL/freeglut.h>

#include "loading/formati.h"

static char messaggio[600];
static char note[MAX_POLIEDRI * 600];

extern "C" {

// Files above this are not read by the page at all: the desktop stops
// reading them here too.
EMSCRIPTEN_KEEPALIVE double apri_limite(void)
{
    return (double)MAX_DIMENSIONE_FILE;
}

// nomi[k] names the file of lunghezze[k] bytes at dati[k], followed by a
// '\0'; a null dati[k] is a file the page did not read (over the limit, or
// the browser could not read it). The first n are the models to open, the
// m after them the files picked with them that a glTF may name as its
// buffers. Returns null once the files are in the scene, otherwise the
// message the desktop would give, the scene as it was.
EMSCRIPTEN_KEEPALIVE const char *apri_file(int n, int m, const char *const *nomi,
                                           const char *const *dati, const size_t *lunghezze)
{
    const FileAccanto accanto{m, nomi + n, dati + n, lunghezze + n};
    if (!carica_dati(nomi, dati, lunghezze, n, messaggio, sizeof messaggio, note, sizeof note,
                     &accanto))
        return messaggio;
    glutPostRedisplay();
    return nullptr;
}

// After files went in: the lines the desktop prints for the fitted ones,
// each ended by '\n', or "".
EMSCRIPTEN_KEEPALIVE const char *apri_note(void)
{
    return note;
}

} // extern "C"
