// main.cpp: start-up of the viewer.
//
//   superficie [toolkit options] [--] [FILE...]
//
// The toolkit's own options (-display and -geometry with their values,
// -direct, -indirect, -iconic, -gldebug, -sync) are left in argv for
// glutInit; the rest are up to four files, read before any window exists.
// With none the scene is the built-in surface, as it always was.
#include <cstdio>
#include <cstring>

#include "data/superficie.h"
#include "formats/formati.h"
#include "viewer/finestra.h"

#include <GL/freeglut.h>

static const char USO[] =
    "usage: superficie [toolkit options] [--] [FILE...]\n"
    "Shows up to four polyhedra from OFF, OBJ, PLY or STL files (\"-\" is standard\n"
    "input), side by side; with no FILE, the built-in surface.\n"
    "  --help       this text\n"
    "  --version    the program's version\n"
    "Toolkit options: -display DISPLAY, -geometry WxH+X+Y, -direct, -indirect,\n"
    "-iconic, -gldebug, -sync.\n";

// Splits argv: toolkit options stay in argv (argc shrinks to them), files go
// to `file` (the first MAX_POLIEDRI) and their count to *nfile. Returns -1 to
// go on, or the exit status.
static int argomenti(int *argc, char **argv, const char **file, int *nfile)
{
    int tenuti = 1;
    bool opzioni = true;
    *nfile = 0;
    for (int i = 1; i < *argc; i++) {
        const char *a = argv[i];
        const bool valore = !std::strcmp(a, "-display") || !std::strcmp(a, "-geometry");
        if (opzioni && (valore || !std::strcmp(a, "-direct") || !std::strcmp(a, "-indirect") ||
                        !std::strcmp(a, "-iconic") || !std::strcmp(a, "-gldebug") ||
                        !std::strcmp(a, "-sync"))) {
            argv[tenuti++] = argv[i];
            if (valore && i + 1 < *argc)
                argv[tenuti++] = argv[++i];
        } else if (opzioni && !std::strcmp(a, "--help")) {
            std::fputs(USO, stdout);
            return 0;
        } else if (opzioni && !std::strcmp(a, "--version")) {
            std::printf("superficie %s\n", SUPERFICIE_VERSIONE);
            return 0;
        } else if (opzioni && !std::strcmp(a, "--")) {
            opzioni = false;
        } else if (opzioni && a[0] == '-' && a[1] != '\0') {
            std::fprintf(stderr, "superficie: unknown option '%s' (try --help)\n", a);
            return 2;
        } else {
            // Files past the scene's four are only counted: carica_file
            // refuses them by their number.
            if (*nfile < MAX_POLIEDRI)
                file[*nfile] = a;
            (*nfile)++;
        }
    }
    argv[tenuti] = nullptr;
    *argc = tenuti;
    return -1;
}

int main(int argc, char **argv)
{
    const char *file[MAX_POLIEDRI];
    int nfile;
    const int esito = argomenti(&argc, argv, file, &nfile);
    if (esito >= 0)
        return esito;
    char errore[600], note[MAX_POLIEDRI * 600];
    if (nfile == 0)
        inizializza_poliedro();                   // the scene exists before any window
    else if (!carica_file(file, nfile, errore, sizeof errore, note, sizeof note)) {
        std::fprintf(stderr, "superficie: %s\n", errore);
        return 2;
    } else {
        // A line for each file fitted to the store.
        for (const char *riga = note; *riga;) {
            const char *fine = std::strchr(riga, '\n');
            std::fprintf(stderr, "superficie: %.*s\n", (int)(fine - riga), riga);
            riga = fine + 1;
        }
    }
    apri_finestra(&argc, argv);                   // toolkit, window, callbacks, GL state
    glutMainLoop();                               // never returns
    return 0;
}
