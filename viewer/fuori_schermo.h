// fuori_schermo.h: pictures drawn without any window system.
//
//   superficie --output FILE.png [--size WxH] [--keys KEYS] [FILE...]
//   superficie --thumbnail SIZE INPUT OUTPUT
//
// Both draw into an OpenGL context of Mesa's EGL on the surfaceless platform
// (a pbuffer of the picture's size with the window's colour and depth bits,
// compatibility profile, so that the fixed-function calls work), never into
// X: neither needs a display, and freeglut is never initialised. Call order:
// build the scene first (the built-in surface or the files), then one of the
// two below; each returns the process's exit status after writing its PNG or
// one line on standard error.
//
// The picture is the window's first frame: init(), resize() with the size,
// the keys through keyboard() and keyboard_s() as if typed, then
// disegna_quadro() (viewer/scena.h). The handlers post redisplays as in the
// window; here a posted redisplay is a no-op (see fuori_schermo.cpp), as
// the one frame is drawn after the last key anyway.
//
// The thumbnail shows the scene without its floor shadows, framed so that
// the bounding sphere of every vertex spans FRAZIONE_MINIATURA of the side
// in the plane through its centre, object pixels opaque, background
// transparent.
#ifndef SUPERFICIE_VIEWER_FUORI_SCHERMO_H
#define SUPERFICIE_VIEWER_FUORI_SCHERMO_H

#include <cstddef>

constexpr int LATO_MASSIMO = 8192;           // largest side of a picture, pixels
constexpr double FRAZIONE_MINIATURA = 0.9;   // bounding sphere's share of a thumbnail's side

// "WxH" with 1 <= W, H <= LATO_MASSIMO, decimal digits only. False on
// anything else.
bool leggi_dimensioni(const char *testo, int *larghezza, int *altezza);

// One side for --thumbnail: decimal digits, 1 to LATO_MASSIMO.
bool leggi_lato(const char *testo, int *lato);

// Checks KEYS: every byte is an ordinary key, except "<Up>", "<Down>",
// "<Left>" and "<Right>" for the arrows. On an unknown "<...>" writes
// its name to errore and returns false.
bool tasti_validi(const char *tasti, char *errore, size_t dim_errore);

// The window's first frame at larghezza x altezza after tasti (already
// checked), as an RGB PNG in uscita. Returns 0, or 2 after one line.
int scrivi_quadro(const char *uscita, int larghezza, int altezza, const char *tasti);

// The thumbnail of the scene, lato x lato, RGBA, in uscita. Returns 0, or 2
// after one line with no file left behind.
int scrivi_miniatura(const char *uscita, int lato);

#endif
