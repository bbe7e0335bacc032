// faccia.cpp: the face constructors and the face normal.
#include "model/faccia.h"

#include "model/colori.h"
#include "model/poliedro.h"

// Builds face `face` of `slot` from n vertex indices given as doubles.
// Every index is checked before anything is written, so a bad call leaves
// the face as it was.
static void creafaccia(int slot, int face, int n, const double *v, char letter)
{
    if (!slot_valido(slot) || face < 0 || face >= MAX_FACCE)
        return;
    for (int k = 0; k < n; k++) {
        // Truncation toward zero maps (-1, MAX_PUNTI) onto the valid
        // indices; the test is done on the double so that converting a huge
        // or NaN value never happens.
        if (!(v[k] > -1.0 && v[k] < (double)MAX_PUNTI))
            return;
    }
    Faccia &f = ElencoPoliedri[slot].facce[face];
    f.codicecolore = letter;
    f.id = face;
    f.numvertici = n;
    for (int k = 0; k < n; k++)
        f.vertici[k] = (int)v[k];
    colorafaccia(slot, face, letter);
    creanormalfaccia(slot, face);
}

void creafaccia3(int slot, int face, double v0, double v1, double v2, char letter)
{
    const double v[] = {v0, v1, v2};
    creafaccia(slot, face, 3, v, letter);
}

void creafaccia4(int slot, int face, double v0, double v1, double v2, double v3,
                 char letter)
{
    const double v[] = {v0, v1, v2, v3};
    creafaccia(slot, face, 4, v, letter);
}

void creafaccia5(int slot, int face, double v0, double v1, double v2, double v3,
                 double v4, char letter)
{
    const double v[] = {v0, v1, v2, v3, v4};
    creafaccia(slot, face, 5, v, letter);
}

void creafaccia6(int slot, int face, double v0, double v1, double v2, double v3,
                 double v4, double v5, char letter)
{
    const double v[] = {v0, v1, v2, v3, v4, v5};
    creafaccia(slot, face, 6, v, letter);
}

void creafaccia7(int slot, int face, double v0, double v1, double v2, double v3,
                 double v4, double v5, double v6, char letter)
{
    const double v[] = {v0, v1, v2, v3, v4, v5, v6};
    creafaccia(slot, face, 7, v, letter);
}

void creafaccia8(int slot, int face, double v0, double v1, double v2, double v3,
                 double v4, double v5, double v6, double v7, char letter)
{
    const double v[] = {v0, v1, v2, v3, v4, v5, v6, v7};
    creafaccia(slot, face, 8, v, letter);
}

void creafaccia9(int slot, int face, double v0, double v1, double v2, double v3,
                 double v4, double v5, double v6, double v7, double v8, char letter)
{
    const double v[] = {v0, v1, v2, v3, v4, v5, v6, v7, v8};
    creafaccia(slot, face, 9, v, letter);
}

void creafaccia10(int slot, int face, double v0, double v1, double v2, double v3,
                  double v4, double v5, double v6, double v7, double v8,
                  double v9, char letter)
{
    const double v[] = {v0, v1, v2, v3, v4, v5, v6, v7, v8, v9};
    creafaccia(slot, face, 10, v, letter);
}

void creanormalfaccia(int slot, int face)
{
    if (!slot_valido(slot) || face < 0 || face >= MAX_FACCE)
        return;
    Poliedro &p = ElencoPoliedri[slot];
    Faccia &f = p.facce[face];
    // Faces are only made with valid indices, but a zero face record is
    // also reachable (vertici 0 0 0); a record changed by hand must still
    // not index outside the table.
    for (int k = 0; k < 3; k++)
        if (f.vertici[k] < 0 || f.vertici[k] >= MAX_PUNTI)
            return;
    const Punto &a = p.punti_trasformati[f.vertici[0]];
    const Punto &b = p.punti_trasformati[f.vertici[1]];
    const Punto &c = p.punti_trasformati[f.vertici[2]];
    f.normale[0] = (a.y - b.y) * (a.z - c.z) - (a.y - c.y) * (a.z - b.z);
    f.normale[1] = (a.z - b.z) * (a.x - c.x) - (a.x - b.x) * (a.z - c.z);
    f.normale[2] = (a.x - b.x) * (a.y - c.y) - (a.y - b.y) * (a.x - c.x);
    f.normale[3] = 1.0;
}
