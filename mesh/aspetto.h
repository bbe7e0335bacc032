// aspetto.h: how a file's mesh looks in the scene: which way it stands, and
// where it is smooth.
//
// adatta_file (formati.h) runs these between reading and the store, so that
// superficie-export --from writes what the viewer shows:
//
//   raddrizza       a mesh that stands z up (STL and 3MF by default, every
//                   file with --up z) turned to the scene's y up:
//                   (x, y, z) becomes (x, z, -y), normals alike. A turn, so
//                   the faces keep their sense.
//   punti_lisciati  how many vertices liscia would leave, to fit to.
//   liscia          vertex normals from the faces, each face weighted by its
//                   angle at the vertex; where two faces that share an edge
//                   meet at more than ANGOLO_SPIGOLO the vertex is split, so
//                   that a box stays a box. Afterwards m.normali is 1 and the
//                   object is built smooth.
//   adatta_liscia   liscia, after fitting the mesh further while the split
//                   vertices would be more than the store holds; whether it
//                   fitted.
//
// STL and 3MF hold a printer's tessellation, a fitted mesh the fit's
// triangles: both are smoothed when the file gives no normals. The other
// formats' own polygons stay flat and show their edges.
#ifndef SUPERFICIE_MESH_ASPETTO_H
#define SUPERFICIE_MESH_ASPETTO_H

#include "mesh/maglia.h"

// Which way is up in the files of a run: as each format means it (z for STL
// and 3MF, y for the others), or y or z for every file (--up).
enum Su { SU_DAL_FORMATO, SU_Y, SU_Z };
extern Su su_dei_file;

// Faces meeting at more than this many degrees keep a crease between them.
constexpr double ANGOLO_SPIGOLO = 40.0;

void raddrizza(Maglia &m);
int punti_lisciati(const Maglia &m);
void liscia(Maglia &m);
bool adatta_liscia(Maglia &m);

#endif
