// poliedro.h: the scene table and the records it holds.
//
// The scene is one fixed global table, ElencoPoliedri, of MAX_POLIEDRI
// records, all zero at start. A polyhedron is built in three stages, always
// in this order:
//
//   creapunto      for every vertex       (model and world copy alike)
//   creafaccia3..  for every face         (colours it, computes its normal)
//   creapoliedro   once                   (counts, identity matrices, centre)
//
// Until creapoliedro runs both counts are 0 and nothing of the slot is drawn
// or transformed.
//
// Model space versus world space: punti and centro hold the vertices as they
// were created and never change afterwards; punti_trasformati and
// centro_trasformato are recomputed from them by ApplicaTrasformazioni
// (transform/trasforma.h) through the two accumulated matrices.
//
// Guards: the design validates nothing, but a call with a slot outside 0..3,
// an element index outside its capacity, or a face vertex index outside
// 0..MAX_PUNTI-1 writes nothing at all, so no call can reach outside the
// table. No message is given. Vertex indices of a face are not checked
// against numpunti: callers name vertices they created.
//
// Glossary of the Italian words used throughout:
//   poliedro    polyhedron          punto / punti     vertex / vertices
//   faccia      face                vertici           vertex indices of a face
//   normale     normal              colore / bordo    fill colour / edge colour
//   centro      centre              raggio            bounding radius
//   trasformati world-space copy    liscio            smooth (vertex normals)
//   scala       scale               matrice           matrix
//   crea...     create              colora...         colour
//   distanza    distance factor     trasparenza       transparency flag
#ifndef SUPERFICIE_MODEL_POLIEDRO_H
#define SUPERFICIE_MODEL_POLIEDRO_H

#include <cstddef>

enum {
    MAX_POLIEDRI = 4,     // slots in ElencoPoliedri
    MAX_PUNTI = 3000,     // vertices per polyhedron
    MAX_FACCE = 5000,     // faces per polyhedron
    MAX_VERTICI = 10      // vertex indices per face
};

// 4x4 matrix of doubles, row-major: element (r, c) is e[4*r + c]; it acts on
// column vectors, so a translation sits in e[3], e[7], e[11].
struct Matrice {
    double e[16];
};

struct Punto {
    int id;                         // own index in its array
    double x, y, z, w;              // position; w is 1.0
    double nx, ny, nz, nw;          // vertex normal as given; nw is 1.0
};

struct Faccia {
    int id;                         // own index in facce
    int numvertici;                 // 3 to 10
    int vertici[MAX_VERTICI];       // indices into punti; entries past numvertici are never read
    float colore[4];                // fill RGBA
    float colore_bordo[4];          // edge RGBA: fill RGB / 1.25, alpha 1.0
    double normale[4];              // (b - a) x (c - a) of the first three vertices, w 1.0
    char codicecolore;              // colour letter, kept for recolouring
};

struct Poliedro {
    int numfacce;                   // faces in use, 0..MAX_FACCE; set at completion
    int numpunti;                   // vertices in use, 0..MAX_PUNTI; set at completion
    Punto punti[MAX_PUNTI];         // model space, never changed after creation
    Punto punti_trasformati[MAX_PUNTI];  // world space
    Faccia facce[MAX_FACCE];
    Matrice matrice;                // accumulated transformation of positions
    Matrice matrice_normali;        // accumulated rotations, for vertex normals
    double centro[4];               // model-space centroid, w 1.0
    double centro_trasformato[4];   // world-space centre: pivot of turns and scalings
    double raggio;                  // largest distance of a model-space vertex from centro
    int liscio;                     // nonzero: smooth, vertex normals, edges only on request
    double scala;                   // size relative to the completed size; 1.0 at completion
};

// Positions, normals and centres go to the matrix code as four consecutive
// doubles.
static_assert(offsetof(Punto, y) == offsetof(Punto, x) + sizeof(double), "Punto position");
static_assert(offsetof(Punto, z) == offsetof(Punto, x) + 2 * sizeof(double), "Punto position");
static_assert(offsetof(Punto, w) == offsetof(Punto, x) + 3 * sizeof(double), "Punto position");
static_assert(offsetof(Punto, ny) == offsetof(Punto, nx) + sizeof(double), "Punto normal");
static_assert(offsetof(Punto, nz) == offsetof(Punto, nx) + 2 * sizeof(double), "Punto normal");
static_assert(offsetof(Punto, nw) == offsetof(Punto, nx) + 3 * sizeof(double), "Punto normal");
static_assert(sizeof(Matrice) == 16 * sizeof(double), "Matrice is 16 doubles");
static_assert(sizeof(int) == 4, "32-bit int");

// The whole scene; zero at start.
extern Poliedro ElencoPoliedri[MAX_POLIEDRI];

// Vertex index of the slot's record at index; both copies get id = index,
// position (x, y, z) * distanza with w 1.0, normal (nx, ny, nz) with nw 1.0.
void creapunto(int slot, int index, double x, double y, double z,
               double nx, double ny, double nz);

// Completion: counts, identity matrices, centre, radius, liscio, scala 1.0.
// Counts outside 0..capacity write nothing. With 0 vertices the centre is
// (0, 0, 0, 1) and raggio 0.0.
void creapoliedro(int slot, int numpunti, int numfacce, int liscio);

// True when slot names a row of ElencoPoliedri.
inline bool slot_valido(int slot) { return slot >= 0 && slot < MAX_POLIEDRI; }

#endif
