// maglie_prova.h: files at the store's capacity, made in memory, the same
// bytes every run, for the readers' cases and the four-slot frame.
//
// OFF, OBJ and PLY hold a torus of 60 x 50 vertices (MAX_PUNTI) whose
// quads are partly split, 1000 quads and 4000 triangles (MAX_FACCE). STL
// holds triangles only: a torus of 50 x 50 vertices, every quad split, 5000
// triangles whose corners merge into 2500 vertices. Coordinates are floats,
// written in text in their shortest form, as exporters of float data do.
#ifndef SUPERFICIE_BENCH_MAGLIE_PROVA_H
#define SUPERFICIE_BENCH_MAGLIE_PROVA_H

#include <cstddef>
#include <string>

struct Maglia;

enum FormatoProva { OFF_TESTO, OBJ_TESTO, PLY_ASCII, PLY_BINARIO, STL_BINARIO, STL_ASCII,
                    NUM_FORMATI_PROVA };

struct FileProva {
    const char *nome;               // as leggi_maglia is told it (OBJ needs its extension)
    std::string dati;
    int vertici, facce;             // what the reader must end up with
};

FileProva file_prova(FormatoProva f);

// The floor of a reader: every number of the file into v, in file order,
// with nothing else done. Text: each whitespace-separated token that reads
// whole as a number, through fast_float. Binary: the values decoded from
// their bytes (PLY: positions, then each face's count and indices; STL: the
// twelve floats of each triangle). Returns how many.
size_t numeri_file(FormatoProva f, const FileProva &file, double *v);
// Room numeri_file may need for this file.
size_t numeri_massimi(const FileProva &file);

// Whether the Maglia holds exactly the numbers the floor found: the same
// counts, positions bit for bit, the same corners of every face. On false,
// perche says where they part.
bool come_floor(FormatoProva f, const FileProva &file, const double *v, size_t n,
                const Maglia &m, std::string *perche);

#endif
