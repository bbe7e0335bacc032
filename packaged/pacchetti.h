// pacchetti.h: the readers of the packaged formats, glTF 2.0 (.gltf, .glb)
// and 3MF, and what they share: affine transforms, and the
// triangles they gather before the shared checks take them into a Maglia.
//
// Both formats describe a scene of instances (nodes, build items,
// components), each placing a mesh with a transform. The readers walk it and
// gather every instance's triangles into one Geometria, already in the
// file's world coordinates; dai_geometria then hands it to the shared
// checks, which fit it to the store like any other file.
//
// Every function that can fail returns false with a message that starts at
// the place in the file ("accessors[3]: ...", "3D/3dmodel.model:12: ...",
// "byte 40: ..."), written by sbaglio (lettura.h) into the reading's one
// string, the first message kept; names and values from the file go
// through citato. The reader puts the file's name in front. Storage grows
// with what was actually read, never with a count the file claims.
#ifndef SUPERFICIE_PACKAGED_PACCHETTI_H
#define SUPERFICIE_PACKAGED_PACCHETTI_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "text/lettura.h"

// What one file's instances amount to: triangles over shared vertices.
struct Geometria {
    std::vector<double> pos;              // x y z per vertex, world coordinates
    std::vector<double> normali;          // x y z per vertex when liscia
    std::vector<int> triangoli;           // 3 vertex indices per triangle, counter-clockwise outside
    std::vector<float> colori;            // r g b per triangle (meaningful when colorata)
    std::vector<unsigned char> colorata;  // per triangle: 1 when the file coloured it
    bool liscia = false;                  // every vertex has its normal
};

// Instances can repeat one mesh many times over: past this many vertices
// and triangles together (65536, four more for every byte read, at most
// 2^24), a file is refused rather than multiplied without bound, so that
// what it takes stays in proportion to its bytes.
inline size_t massimo_istanze(size_t byte_letti)
{
    const size_t m = (size_t(1) << 16) + 4 * byte_letti;
    return m < (size_t(1) << 24) ? m : size_t(1) << 24;
}
// Entry and part names quoted in messages: at most this many bytes.
constexpr size_t MAX_NOME_CITATO = 60;
// Everything unpacked from one file (ZIP entries, external buffers,
// decompressed views) together stays below the file size limit.
constexpr size_t MAX_SPACCHETTATI = size_t(256) << 20;

// p' = a[0..2][0..2] p + a[0..2][3]: the columns are the images of the axes.
struct Affine {
    double a[3][4];
};
Affine identita();
Affine per(const Affine &x, const Affine &y);   // x after y
void applica_punto(const Affine &t, const double p[3], double out[3]);
// By the inverse transpose of the linear part, renormalised (a zero normal
// stays zero).
void applica_normale(const Affine &t, const double n[3], double out[3]);
double determinante(const Affine &t);

// Whether g has room for nv more vertices and nt more triangles among the
// instances of a file of which byte_letti bytes were read; the bound in
// *massimo.
bool entro_istanze(const Geometria &g, size_t nv, size_t nt, size_t byte_letti,
                   size_t *massimo);
// pos[0..3 nv) placed by t after g's vertices; the index of the first.
size_t aggiungi_vertici(Geometria &g, const Affine &t, const double *pos, size_t nv);
// The triangle over vertices base + v[0..2], coloured rgb (null for none).
// A mirroring transform (specchio) turns the triangles inside out: this
// turns them back.
void aggiungi_triangolo(Geometria &g, size_t base, const size_t v[3], bool specchio,
                        const float *rgb);

// What tells them apart.
bool sembra_glb(const char *dati, size_t n);
bool sembra_3mf(const char *dati, size_t n);
bool sembra_gltf(const char *nome, const char *dati, size_t n);

// The readers: into g, or false with errore (without the file's name).
// A buffer named by a relative URI is read from among the files handed over
// (accanto, when given: the page's, picked with the .gltf), or else from
// the folder of the .gltf (cartella; "" for none: then it is refused).
bool leggi_gltf_geometria(const char *dati, size_t n, const std::string &cartella,
                          const FileAccanto *accanto, Geometria &g, std::string &errore);
bool leggi_3mf_geometria(const char *dati, size_t n, Geometria &g, std::string &errore);

// g into the reading context's Maglia through the shared checks.
bool dai_geometria(Lettura &l, const Geometria &g);
// The readers on a reading context, as the other formats'.
bool leggi_gltf(Lettura &l);
bool leggi_3mf(Lettura &l);

#endif
