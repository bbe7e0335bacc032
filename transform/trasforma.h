// trasforma.h: moving one polyhedron of the scene.
//
// Trasla_oggetto, Ruota_oggetto and Scala_oggetto only extend the slot's
// accumulated matrices; ApplicaTrasformazioni then recomputes the world-space
// vertices, vertex normals, centre and face normals from the model-space
// ones. Callers follow one or more transformations with it, then redisplay.
//
// Turns and scalings pivot on centro_trasformato as the last recomputation
// left it. Angles are radians, passed to sin and cos unchanged. A slot
// outside 0..3 is left alone.
#ifndef SUPERFICIE_TRANSFORM_TRASFORMA_H
#define SUPERFICIE_TRANSFORM_TRASFORMA_H

// matrice := T(sign * t) matrice; only t[0..2] are read.
void Trasla_oggetto(const double *t, int slot, int sign);

// matrice := T(c) Ry(angle_y) Rx(angle_x) T(-c) matrice and
// matrice_normali := Ry(angle_y) Rx(angle_x) matrice_normali, c the world
// centre: the X turn first, then the Y turn.
void Ruota_oggetto(double angle_x, double angle_y, int slot);

// matrice := T(c) S(factor) T(-c) matrice; scala *= factor.
void Scala_oggetto(double factor, int slot);

// World space from model space: punti_trasformati, centro_trasformato, and
// every face normal.
void ApplicaTrasformazioni(int slot);

#endif
