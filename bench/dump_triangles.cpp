// dump_triangles.cpp: writes the built-in triangles as a C table for the bare
// program, so that program draws exactly what the viewer draws at start.
#include <cstdio>

#include "data/superficie.h"
#include "model/poliedro.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    inizializza_poliedro();
    const Poliedro &p = ElencoPoliedri[0];
    std::FILE *out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    int angoli = 0;
    for (int f = 0; f < p.numfacce; f++)
        angoli += p.facce[f].numvertici;
    const float *c = p.numfacce > 0 ? p.facce[0].colore : nullptr;
    std::fprintf(out, "// Made by bench_dump_triangles from the built-in surface.\n");
    std::fprintf(out, "static const int num_angoli = %d;\n", angoli);
    std::fprintf(out, "static const float colore_superficie[4] = {%#.9gf, %#.9gf, %#.9gf, %#.9gf};\n",
                 c ? c[0] : 0.0f, c ? c[1] : 0.0f, c ? c[2] : 0.0f, c ? c[3] : 0.0f);
    std::fprintf(out, "// per corner: normal, then position\n");
    std::fprintf(out, "static const float angoli[] = {\n");
    for (int f = 0; f < p.numfacce; f++)
        for (int k = 0; k < p.facce[f].numvertici; k++) {
            const Punto &v = p.punti_trasformati[p.facce[f].vertici[k]];
            std::fprintf(out, "%#.9gf,%#.9gf,%#.9gf,%#.9gf,%#.9gf,%#.9gf,\n", (float)v.nx,
                         (float)v.ny, (float)v.nz, (float)v.x, (float)v.y, (float)v.z);
        }
    if (angoli == 0)
        std::fprintf(out, "0.0f\n");
    std::fprintf(out, "};\n");
    return std::fclose(out) == 0 ? 0 : 1;
}
