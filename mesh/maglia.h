// maglia.h: a polyhedron as a reader leaves it, before it enters the store.
//
// Every reader fills one Maglia through aggiungi_punto and aggiungi_faccia,
// which check what the file says against its own vertices: finite
// coordinates, faces of 3 to MAX_VERTICI indices, every index below
// punti.size(). The vectors grow with what the file holds, never with what
// it claims; a mesh over the store's capacities is fitted down to them after
// chiudi_maglia (adatta_maglia). chiudi_maglia checks the whole (faces
// present, some extent) and lists every face from a corner whose first three
// vertices are not collinear.
#ifndef SUPERFICIE_MESH_MAGLIA_H
#define SUPERFICIE_MESH_MAGLIA_H

#include "model/poliedro.h"

#include <vector>

struct PuntoLetto {
    double pos[3];                  // model space as in the file
    double normale[3];              // as in the file; meaningful when Maglia::normali
    float colore[3];                // RGB 0..1; meaningful when Maglia::colori_punti
};

struct FacciaLetta {
    int primo;                      // its corners are Maglia::angoli[primo .. primo + numvertici)
    int numvertici;                 // 3..MAX_VERTICI
    float colore[3];                // RGB 0..1 when colorata
    int colorata;                   // 1: the file gave this face a colour (or chiudi_maglia did, from vertex colours)
};

// Counts and indices are int: a file is at most MAX_DIMENSIONE_FILE
// (256 MiB) and every vertex or corner costs it at least one byte, so none
// comes near 2^31.
struct Maglia {
    std::vector<PuntoLetto> punti;  // grows with what the file holds
    std::vector<int> angoli;        // every face's corners, face after face; 0 <= index < punti.size()
    std::vector<FacciaLetta> facce;
    int normali;                    // 1: every vertex has its normal: built smooth
    int colori_punti;               // 1: every vertex has its colour
    int stampa;                     // 1: read from STL or 3MF, 3D printing's formats (aspetto.h)
    int saldata;                    // 1: no two vertices share a position (the STL reader welds them)
};

// Coordinates beyond this are refused as absurd.
constexpr double COORDINATA_MASSIMA = 1e30;

// Below this sine of a corner's angle its sides are taken as collinear: an
// angle no display would show.
constexpr double SENO_MINIMO = 1e-9;
// |(b - a) x (c - a)| squared (twice the triangle's area, squared), or 0 when
// the corner at a does not turn: its sine below SENO_MINIMO, whatever the
// size of the object.
double gira(const double *a, const double *b, const double *c);

#endif
