// costruzione.h: how the built-in surface is made, apart from the values it yields.
//
// The control mesh (five lobes of a rhombicuboctahedron layout joined by four
// square tubes), two Catmull-Clark steps, the cut of each quadrilateral along
// its shorter diagonal and the vertex normals. The numbering of vertices and
// faces is fixed here; the generator (genera_superficie.cpp) runs this once at
// build time and writes the rounded tables that superficie.cpp loads.
//
// Turning sense: quadrilaterals are kept counter-clockwise seen from outside,
// triangles clockwise seen from outside, so triangle normals point inwards.
#ifndef SUPERFICIE_DATA_COSTRUZIONE_H
#define SUPERFICIE_DATA_COSTRUZIONE_H

enum {
    SUP_CONTROLLO = 120,     // control vertices
    SUP_SPIGOLI = 256,       // control edges
    SUP_FACCE_CONTROLLO = 138,
    SUP_PUNTI1 = 514,        // vertices after the first step
    SUP_QUAD1 = 512,         // quadrilaterals after the first step
    SUP_PUNTI = 2050,        // vertices after the second step
    SUP_QUAD = 2048,         // quadrilaterals after the second step
    SUP_FACCE = 4096         // triangles
};

struct Superficie {
    double punto[SUP_PUNTI][3];      // position, unrounded
    double normale[SUP_PUNTI][3];    // unit vertex normal, unrounded, inwards
    int quad[SUP_QUAD][4];           // second-step quads: corner, next edge point, face point, previous edge point
    int faccia[SUP_FACCE][3];        // triangles a, b, c; 2m and 2m+1 come from quad m
    int taglio_corto[SUP_QUAD];      // 1: quad m cut between its edge points, 0: corner to face point
    double scarto_diagonali[SUP_QUAD];  // |d1 - d2| / max(d1, d2) of quad m, relative
};

// Runs the whole construction into *s, in doubles, nothing rounded.
void costruisci_superficie(Superficie *s);

// What the tables hold: components below 1e-12 in size become exactly 0
// (floating noise on the symmetry planes), then every position and normal
// component is rounded to six significant digits.
double arrotonda_sei_cifre(double v);

#endif
