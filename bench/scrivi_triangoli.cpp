// scrivi_triangoli.cpp: writes the built-in surface as C tables for the bare
// programs, so they draw exactly what the viewer draws at start: its
// triangles for one glBegin, and the floats of the viewer's whole primitive
// stream (bench/flusso.h).
#include <cstdio>
#include <vector>

#include "bench/flusso.h"
#include "data/superficie.h"
#include "model/poliedro.h"

static void scrivi_float(std::FILE *out, const char *nome, const std::vector<float> &v, int riga)
{
    std::fprintf(out, "static const float %s[] = {\n", nome);
    for (size_t i = 0; i < v.size(); i++)
        std::fprintf(out, "%#.9gf,%s", v[i], (i + 1) % riga == 0 ? "\n" : "");
    if (v.empty())
        std::fprintf(out, "0.0f\n");
    std::fprintf(out, "};\n");
}

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
    const TabellaFlusso t = tabella_flusso(p);
    const int angoli = t.inizio.back();
    const float *c = p.numfacce > 0 ? p.facce[0].colore : nullptr;
    std::fprintf(out, "// Made by bench_scrivi_triangoli from the built-in surface.\n");
    std::fprintf(out, "static const int num_angoli = %d;\n", angoli);
    std::fprintf(out, "static const float colore_superficie[4] = {%#.9gf, %#.9gf, %#.9gf, %#.9gf};\n",
                 c ? c[0] : 0.0f, c ? c[1] : 0.0f, c ? c[2] : 0.0f, c ? c[3] : 0.0f);
    std::fprintf(out, "// per corner: normal, then position\n");
    scrivi_float(out, "angoli", t.angoli, 6);
    std::fprintf(out, "static const int num_facce = %d;\n", p.numfacce);
    std::fprintf(out, "static const int inizio_faccia[] = {\n");
    for (size_t i = 0; i < t.inizio.size(); i++)
        std::fprintf(out, "%d,%s", t.inizio[i], (i + 1) % 16 == 0 ? "\n" : "");
    std::fprintf(out, "};\n");
    std::fprintf(out, "// per corner: edge end point, z lifted\n");
    scrivi_float(out, "sollevati", t.sollevati, 3);
    scrivi_float(out, "colori_faccia", t.colori, 4);
    scrivi_float(out, "colori_bordo_faccia", t.colori_bordo, 4);
    return std::fclose(out) == 0 ? 0 : 1;
}
