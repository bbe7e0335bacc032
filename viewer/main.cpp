// main.cpp: start-up of the viewer.
//
//   superficie [toolkit options] [--up y|z] [--] [FILE...]
//   superficie --output FILE.png [--size WxH] [--keys KEYS] [--up y|z] [--] [FILE...]
//   superficie [--up y|z] --thumbnail SIZE INPUT OUTPUT
//
// The toolkit's own options (-display and -geometry with their values,
// -direct, -indirect, -iconic, -gldebug, -sync) are left in argv for
// glutInit; the rest are up to four files, read before any window exists.
// With none the scene is the built-in surface, as it always was. The window
// follows its files as they change and takes files dropped onto it
// (viewer/vivi.h). --output and --thumbnail draw without any window
// (viewer/fuori_schermo.h), read once and follow nothing: the toolkit is
// then never initialised.
#include <cstdio>
#include <cstring>

#include "data/superficie.h"
#include "mesh/aspetto.h"
#include "loading/formati.h"
#include "viewer/finestra.h"
#ifndef __EMSCRIPTEN__
#include "viewer/fuori_schermo.h"   // the page has no EGL: only the window there
#include "viewer/vivi.h"            // nor inotify, nor X
#endif
#include "state/vista.h"

#include <GL/freeglut.h>

static const char USO[] =
    "usage: superficie [toolkit options] [--up y|z] [--] [FILE...]\n"
    "       superficie --output FILE.png [--size WxH] [--keys KEYS] [--up y|z] [--] [FILE...]\n"
    "       superficie [--up y|z] --thumbnail SIZE INPUT OUTPUT\n"
    "Shows up to four polyhedra from OFF, OBJ, PLY, STL, glTF or 3MF files (\"-\" is\n"
    "standard input), side by side; with no FILE, the built-in surface. The window\n"
    "follows its files as they change, and opens files dropped onto it.\n"
    "  --output FILE.png   write the window's first picture as PNG, with no display\n"
    "  --size WxH          its size (default 1000x660)\n"
    "  --keys KEYS         keys typed first; arrows <Up> <Down> <Left> <Right>\n"
    "  --up y|z            the axis that points up in every file (default: z in\n"
    "                      STL and 3MF, y in the others)\n"
    "  --thumbnail SIZE INPUT OUTPUT\n"
    "                      a SIZExSIZE PNG preview of INPUT, for file managers\n"
    "  --help              this text\n"
    "  --version           the program's version\n"
    "Toolkit options: -display DISPLAY, -geometry WxH+X+Y, -direct, -indirect,\n"
    "-iconic, -gldebug, -sync.\n";

namespace {

// What the options ask for besides the window.
struct Richiesta {
    const char *png = nullptr;          // --output
    const char *dimensioni = nullptr;   // --size
    const char *tasti = nullptr;        // --keys
    const char *miniatura[3] = {};      // --thumbnail SIZE INPUT OUTPUT
    bool toolkit = false;               // a toolkit option was given
};

}  // namespace

// Splits argv: toolkit options stay in argv (argc shrinks to them), files go
// to `file` (the first MAX_POLIEDRI) and their count to *nfile, the
// options of a picture without a window to *r. Returns -1 to go on, or the
// exit status.
static int argomenti(int *argc, char **argv, const char **file, int *nfile, Richiesta *r)
{
    int tenuti = 1;
    bool opzioni = true;
    *nfile = 0;
    for (int i = 1; i < *argc; i++) {
        const char *a = argv[i];
        const bool valore = !std::strcmp(a, "-display") || !std::strcmp(a, "-geometry");
        const char **opzione_valore = !std::strcmp(a, "--output") ? &r->png
                                      : !std::strcmp(a, "--size") ? &r->dimensioni
                                      : !std::strcmp(a, "--keys") ? &r->tasti
                                                                  : nullptr;
        if (opzioni && (valore || !std::strcmp(a, "-direct") || !std::strcmp(a, "-indirect") ||
                        !std::strcmp(a, "-iconic") || !std::strcmp(a, "-gldebug") ||
                        !std::strcmp(a, "-sync"))) {
            argv[tenuti++] = argv[i];
            if (valore && i + 1 < *argc)
                argv[tenuti++] = argv[++i];
            r->toolkit = true;
        } else if (opzioni && !std::strcmp(a, "--help")) {
            std::fputs(USO, stdout);
            return 0;
        } else if (opzioni && !std::strcmp(a, "--version")) {
            std::printf("superficie %s\n", SUPERFICIE_VERSIONE);
            return 0;
        } else if (opzioni && opzione_valore) {
            if (i + 1 >= *argc) {
                std::fprintf(stderr, "superficie: %s needs a value (try --help)\n", a);
                return 2;
            }
            *opzione_valore = argv[++i];
        } else if (opzioni && !std::strcmp(a, "--up")) {
            if (i + 1 >= *argc || (std::strcmp(argv[i + 1], "y") && std::strcmp(argv[i + 1], "z"))) {
                std::fprintf(stderr, "superficie: --up: expected y or z (try --help)\n");
                return 2;
            }
            su_dei_file = argv[++i][0] == 'y' ? SU_Y : SU_Z;
        } else if (opzioni && !std::strcmp(a, "--thumbnail")) {
            if (i + 3 >= *argc || *nfile > 0 || r->png || r->dimensioni || r->tasti || r->toolkit ||
                i + 4 != *argc) {
                std::fprintf(stderr, "superficie: usage: superficie --thumbnail SIZE INPUT OUTPUT\n");
                return 2;
            }
            for (int k = 0; k < 3; k++)
                r->miniatura[k] = argv[i + 1 + k];
            i += 3;
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

// The built-in surface, or the files. False after one line.
static bool scena(const char *const *file, int nfile)
{
    char errore[600], note[MAX_POLIEDRI * 600];
    if (nfile == 0)
        inizializza_poliedro();
    else if (!carica_file(file, nfile, errore, sizeof errore, note, sizeof note)) {
        std::fprintf(stderr, "superficie: %s\n", errore);
        return false;
    } else {
        stampa_note(note);   // a line for each file fitted to the store
    }
    return true;
}

#ifndef __EMSCRIPTEN__
// --thumbnail SIZE INPUT OUTPUT.
static int miniatura(const char *const *argomento)
{
    int lato;
    if (!leggi_lato(argomento[0], &lato)) {
        std::fprintf(stderr, "superficie: --thumbnail: bad size '%s': expected 1 to %d\n",
                     argomento[0], LATO_MASSIMO);
        return 2;
    }
    if (!scena(&argomento[1], 1))
        return 2;
    return scrivi_miniatura(argomento[2], lato);
}

// --output FILE.png [--size WxH] [--keys KEYS] [FILE...]: everything that
// can be wrong with the options is found before the files are read.
static int quadro(const Richiesta &r, const char *const *file, int nfile)
{
    if (r.toolkit) {
        std::fprintf(stderr, "superficie: --output opens no window: toolkit options do not apply\n");
        return 2;
    }
    int larghezza = screen_width, altezza = screen_height;
    if (r.dimensioni && !leggi_dimensioni(r.dimensioni, &larghezza, &altezza)) {
        std::fprintf(stderr, "superficie: --size: bad size '%s': expected WxH, each 1 to %d\n",
                     r.dimensioni, LATO_MASSIMO);
        return 2;
    }
    char errore[200];
    if (r.tasti && !tasti_validi(r.tasti, errore, sizeof errore)) {
        std::fprintf(stderr, "superficie: %s\n", errore);
        return 2;
    }
    if (!scena(file, nfile))
        return 2;
    return scrivi_quadro(r.png, larghezza, altezza, r.tasti ? r.tasti : "");
}
#endif

int main(int argc, char **argv)
{
    const char *file[MAX_POLIEDRI];
    int nfile;
    Richiesta r;
    const int esito = argomenti(&argc, argv, file, &nfile, &r);
    if (esito >= 0)
        return esito;
#ifndef __EMSCRIPTEN__
    if (r.miniatura[0])
        return miniatura(r.miniatura);
    if (r.png)
        return quadro(r, file, nfile);
#endif
    if (r.dimensioni || r.tasti) {
        std::fprintf(stderr, "superficie: --size and --keys go with --output\n");
        return 2;
    }
    if (!scena(file, nfile))                      // before the window: its first frame draws it
        return 2;
    apri_finestra(&argc, argv);
#ifndef __EMSCRIPTEN__
    avvia_vivi(file, nfile < MAX_POLIEDRI ? nfile : MAX_POLIEDRI);
#endif
    // Nothing after this runs: freeglut exits when the window is closed, and
    // in the page the toolkit leaves main here while the page runs on.
    glutMainLoop();
    return 0;
}
