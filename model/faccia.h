// faccia.h: face constructors and face normals.
//
// Each constructor writes, in order: codicecolore, id, numvertici, the vertex
// indices (passed as doubles, truncated toward zero), then colours the face
// (colorafaccia) and computes its normal (creanormalfaccia) from the current
// world-space vertices. The vertices must exist before the face. numfacce is
// left to creapoliedro.
//
// A slot outside 0..3, a face index outside 0..MAX_FACCE-1 or a vertex index
// outside 0..MAX_PUNTI-1 writes nothing.
#ifndef SUPERFICIE_MODEL_FACCIA_H
#define SUPERFICIE_MODEL_FACCIA_H

void creafaccia3(int slot, int face, double v0, double v1, double v2, char letter);
void creafaccia4(int slot, int face, double v0, double v1, double v2, double v3,
                 char letter);
void creafaccia5(int slot, int face, double v0, double v1, double v2, double v3,
                 double v4, char letter);
void creafaccia6(int slot, int face, double v0, double v1, double v2, double v3,
                 double v4, double v5, char letter);
void creafaccia7(int slot, int face, double v0, double v1, double v2, double v3,
                 double v4, double v5, double v6, char letter);
void creafaccia8(int slot, int face, double v0, double v1, double v2, double v3,
                 double v4, double v5, double v6, double v7, char letter);
void creafaccia9(int slot, int face, double v0, double v1, double v2, double v3,
                 double v4, double v5, double v6, double v7, double v8, char letter);
void creafaccia10(int slot, int face, double v0, double v1, double v2, double v3,
                  double v4, double v5, double v6, double v7, double v8,
                  double v9, char letter);

// normale = (b - a) x (c - a) of the face's first three world-space vertices,
// w 1.0; not normalised (its length is twice the triangle's area).
void creanormalfaccia(int slot, int face);

#endif
