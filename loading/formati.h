// formati.h: the user's polyhedra from files into the scene, and the scene's
// polyhedra out to files.
//
// Reading, in this order:
//   leggi_percorso / leggi_maglia   one file into a Maglia (maglia.h), or a
//                                   message "NAME:LINE: what is wrong"
//   adatta_file                     a Maglia over either capacity fitted to
//                                   them, with the line that tells the user
//   metti_in_scena                  the Maglie into slots 0..n-1, through
//                                   creapunto, the face constructors and
//                                   creapoliedro only
// carica_file does all three for up to MAX_POLIEDRI files and touches the
// store only once every file has been read, so a bad file leaves the scene as
// it was.
//
// Formats are told apart by content: "ply" opens PLY; a binary STL has
// exactly 84 + 50 * (its triangle count) bytes; an OFF keyword
// ([ST][C][N][4][n]OFF [BINARY]) or a first line of counts opens OFF; "solid"
// opens ascii STL; "glTF" opens GLB; a ZIP archive opens 3MF (and is refused
// if it is no 3MF package); a .gltf name or JSON with an "asset" object opens
// glTF. OBJ has no mark and is known by its .obj extension. Any other file
// named .stl goes to the STL reader, which says why it is neither form.
//
// Placement: object k of n has its centroid at x = PASSO_SCENA * (k - (n-1)/2),
// y = z = 0, and its bounding radius scaled to RAGGIO_SCENA, the built-in
// surface's. Colours from the file go to the nearest colour letter; without
// them slot k takes LETTERE_SLOT[k]. Vertex normals, the file's or computed
// (adatta_file), make the object smooth (liscio 1), otherwise it is flat.
#ifndef SUPERFICIE_LOADING_FORMATI_H
#define SUPERFICIE_LOADING_FORMATI_H

#include <cstddef>
#include <cstdio>
#include <string>

#include "mesh/maglia.h"
#include "text/lettura.h"

constexpr double RAGGIO_SCENA = 5.59995;   // bounding radius of every object from a file
constexpr double PASSO_SCENA = 12.0;       // x distance between neighbouring objects
extern const char LETTERE_SLOT[MAX_POLIEDRI];       // colour letter of a file without colours

// One file's bytes (dati[0..n)) into m, as the file holds it: any number of
// vertices and faces. nome is used in messages only.
bool leggi_maglia(const char *nome, const char *dati, size_t n, Maglia *m,
                  char *errore, size_t dim_errore);
// The same without a copy, for bytes already followed by a '\0' (dati[n]).
// A null dati is a file that could not be read, n bytes long: its message
// says so, or that it is over MAX_DIMENSIONE_FILE.
bool leggi_maglia_terminata(const char *nome, const char *dati, size_t n, Maglia *m,
                            char *errore, size_t dim_errore, Avanzamento avanzamento = nullptr,
                            void *chi = nullptr, const FileAccanto *accanto = nullptr);
// One file by path; "-" is standard input.
bool leggi_percorso(const char *percorso, Maglia *m, char *errore, size_t dim_errore,
                    Avanzamento avanzamento = nullptr, void *chi = nullptr);

// Readies m, read from the file nome, for the store: stood up (raddrizza,
// aspetto.h), fitted to MAX_PUNTI vertices and MAX_FACCE faces when it holds
// more, and, for STL and 3MF and every fitted mesh without normals of its
// own, smoothed (liscia), fitted further while its split vertices are too
// many. A fit is said in nota: "NAME: F faces shown as G (a polyhedron holds
// 5000)". Returns whether it fitted; nota is empty otherwise.
bool adatta_file(const char *nome, Maglia *m, char *nota, size_t dim_nota);

// Where a file's coordinates go in the scene: (p - centro) * scala, moved
// by spostamento along x.
struct Posto {
    double centro[3];
    double scala;
    double spostamento;
};
// The placement metti_in_scena gave each slot.
extern Posto PostiScena[MAX_POLIEDRI];

// Builds maglie[0..n) into slots 0..n-1 and empties the other slots. Each
// goes in wound the other way, its normals negated: the scene's convention
// is the built-in surface's, inwards; the files' is outwards.
void metti_in_scena(const Maglia *const *maglie, int n);
// A face's corners v[0..n) into dopo[0..n), wound the other way; its own
// inverse.
void rovescia(const int *v, int n, int *dopo);

// Reads percorso again, fitting it where it must be, into slot, at the
// placement of its first reading (PostiScena[slot]) and with the slot's
// matrices and scale: the shape is the file's, the turns, scalings and
// moves stay the user's. Otherwise the message and the slot untouched.
// nota as adatta_file.
bool ricarica_file(int slot, const char *percorso, char *errore, size_t dim_errore, char *nota,
                   size_t dim_nota);

// Reads percorsi[0..n), fitting each where it must be, and, if all of them
// can be read, puts them in the scene; otherwise the first file's message
// and the scene untouched. note (if given) receives one line per fitted
// file, as adatta_file writes it, each ended by '\n'; "" when none was
// fitted. While reading takes long and standard error is a terminal, one
// line there says how far it has come ("superficie: reading NAME  42 %"),
// erased before this returns.
bool carica_file(const char *const *percorsi, int n, char *errore, size_t dim_errore,
                 char *note = nullptr, size_t dim_note = 0);
// Each line of note, as carica_file writes them, on standard error
// ("superficie: LINE").
void stampa_note(const char *note);
// The same for files already in memory (the page's): nomi[k] names dati[k],
// lunghezze[k] bytes long and followed by a '\0', or null when it could not be
// read (as leggi_maglia_terminata). It prints nothing.
// With accanto, a glTF's buffers come from those files (none from the disk).
bool carica_dati(const char *const *nomi, const char *const *dati, const size_t *lunghezze, int n,
                 char *errore, size_t dim_errore, char *note = nullptr, size_t dim_note = 0,
                 const FileAccanto *accanto = nullptr);

// The polyhedron in slot, model space, as NOFF (positions and vertex normals)
// or as Wavefront OBJ (v, vn, f a//a b//b ...). Numbers read back to the same
// doubles.
void scrivi_noff(FILE *f, int slot);
void scrivi_obj(FILE *f, int slot);

#endif
