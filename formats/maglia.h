// maglia.h: a polyhedron as a reader leaves it, before it enters the store.
//
// Every reader fills one Maglia through aggiungi_punto and aggiungi_faccia,
// which check what the file says against the store's capacities and its own
// vertices, so that what ends up here always fits ElencoPoliedri: at most
// MAX_PUNTI vertices with finite coordinates, at most MAX_FACCE faces of 3 to
// MAX_VERTICI indices each, every index below numpunti. chiudi_maglia then
// checks the whole (faces present, some extent) and lists every face from a
// corner whose first three vertices are not collinear. The fixed arrays are
// the only storage: nothing is allocated by what a file claims.
#ifndef SUPERFICIE_FORMATS_MAGLIA_H
#define SUPERFICIE_FORMATS_MAGLIA_H

#include "model/poliedro.h"

struct PuntoLetto {
    double pos[3];                  // model space as in the file
    double normale[3];              // as in the file; meaningful when Maglia::normali
    float colore[3];                // RGB 0..1; meaningful when Maglia::colori_punti
};

struct FacciaLetta {
    int numvertici;                 // 3..MAX_VERTICI
    int vertici[MAX_VERTICI];       // 0 <= index < Maglia::numpunti
    float colore[3];                // RGB 0..1 when colorata
    int colorata;                   // 1: the file gave this face a colour
};

struct Maglia {
    int numpunti;                   // vertices in use, 0..MAX_PUNTI
    PuntoLetto punti[MAX_PUNTI];
    int numfacce;                   // faces in use, 0..MAX_FACCE, after splitting
    FacciaLetta facce[MAX_FACCE];
    int normali;                    // 1: every vertex has its normal: built smooth
    int colori_punti;               // 1: every vertex has its colour
};

// Coordinates beyond this are refused as absurd.
constexpr double COORDINATA_MASSIMA = 1e30;

#endif
