// flusso.h: the floor for frames that issue the viewer's primitive stream:
// the same GL calls in the same order as display() makes them (a polygon
// with its own material per face, its shadow polygon right after it, each
// edge its own GL_LINES), from a table of floats made beforehand, so that a
// frame does nothing but issue the calls.
//
// The drawing needs only GL and the toolkit; making a table needs the
// records, so the bare program gets its table at build time.
#ifndef SUPERFICIE_BENCH_FLUSSO_H
#define SUPERFICIE_BENCH_FLUSSO_H

#include <vector>

struct Flusso {
    int numfacce;
    const int *inizio;          // corners of face f: inizio[f] .. inizio[f + 1] - 1
    const float *angoli;        // per corner: normal as issued, then position
    const float *sollevati;     // per corner: edge end point, z already lifted
    const float *colori;        // per face: fill RGBA
    const float *colori_bordo;  // per face: edge RGBA
    // Per face: its edges drawn or not, for a scene whose objects differ
    // (flat ones always show them); null: as disegna_flusso's bordi says.
    const unsigned char *bordi_faccia;
};

// One whole frame, from the clear to the buffer swap, in the current GL
// state (blending, depth test) as the keyboard left it. Built with
// FLUSSO_SENZA_FINESTRA (the bare EGL program), it ends at the flush, as
// superficie --output does.
void disegna_flusso(const Flusso &s, bool ombre, bool bordi);

struct Poliedro;

// The floats a frame of p issues, converted once.
struct TabellaFlusso {
    std::vector<int> inizio;
    std::vector<float> angoli, sollevati, colori, colori_bordo;
    std::vector<unsigned char> bordi_faccia;    // empty but for a whole scene
    Flusso flusso() const;
};
TabellaFlusso tabella_flusso(const Poliedro &p);
// Every slot's faces in the order display() draws them, each with its
// edges as display() decides (flat, or edges asked for with bordi).
TabellaFlusso tabella_scena(bool bordi);

#endif
