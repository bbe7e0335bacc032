// adatta.h: a mesh over the store's capacities, fitted down to them.
//
// adatta_maglia takes a Maglia as the readers leave it (at least one face,
// some extent, finite coordinates, every index valid, faces of 3 corners or
// more). Within both limits it is left as it is and the answer is false.
// Otherwise it becomes a mesh of triangles within both limits, and the
// answer is true:
//
//   1. every polygon is cut into a fan of triangles, its turn kept;
//   2. vertices equal in position, normal and colour become one, so a
//      triangle soup (STL) is one surface again; vertices at one place with
//      different normals stay apart, so a crease stays a crease and
//      meshoptimizer sees it as a seam;
//   3. meshopt_simplify (quadric error) brings it down to max_facce
//      triangles; on a very large mesh a sloppy pass (a grid that merges the
//      vertices in each cell) comes first, and where meshopt_simplify stops
//      above the target (separate pieces, long borders) a sloppy pass
//      finishes the job;
//   4. triangles of no area are dropped, and while more than max_punti
//      vertices remain the mesh is simplified further; then the kept
//      vertices are compacted.
//
// adatta_maglia runs them in this order, each a function of adatta.cpp.
//
// Vertices are never moved: every vertex of the result is one of the file's,
// with its position, normal and colour. Vertex colours stay on the vertices
// and each triangle takes the mean of its three (as chiudi_maglia colours a
// face). Face colours are carried through the vertices: each vertex takes
// the mean colour of its coloured faces, and a triangle is coloured, with the
// mean of its vertices, when most of the faces about its vertices were.
//
// The result always holds at least one triangle, for any max_punti >= 3 and
// max_facce >= 1 (smaller limits count as those): one that turns, unless no
// triangle of the fans does (a file of collinear faces), and then the first
// face's first three corners as they are.
// The same mesh and limits give the same result, bit for bit. Memory is a
// few times the mesh's own arrays; nothing is sized by anything else.
#ifndef SUPERFICIE_MESH_ADATTA_H
#define SUPERFICIE_MESH_ADATTA_H

#include "mesh/maglia.h"
#include "model/poliedro.h"

bool adatta_maglia(Maglia &m, int max_punti = MAX_PUNTI, int max_facce = MAX_FACCE);

#endif
