// genera_grande.cpp: writes a large mesh for the tests that open one.
//
//   genera_grande FORMAT TRIANGLES OUT [sfera]
//
// A bumpy torus of about TRIANGLES triangles (a grid of 2v x v vertices,
// each quad two triangles), so that no simplification can take it for a
// plain shape; with "sfera" a bumpy sphere (2v meridians, v - 1 parallels
// and the two poles). FORMAT: off (text, with vertex normals: NOFF), obj (text, no
// normals), ply (binary little-endian), stl (binary), stla (ascii STL).
// Written by itself, not by the viewer's code, so that what the viewer reads
// is what another program would have written.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Vertice {
    double p[3], n[3];
};

// Radii of the torus and of its bumps.
constexpr double GRANDE = 3.0, PICCOLO = 1.0, BOZZE = 0.15;

// The point at angles a and b of a bumpy torus, or with centro false of a
// bumpy sphere (longitude a, latitude b).
Vertice punto(double a, double b, bool centro = true)
{
    const double r = PICCOLO * (1.0 + BOZZE * std::sin(5 * a) * std::cos(3 * b));
    const double c[3] = {GRANDE * std::cos(a), GRANDE * std::sin(a), 0.0};
    const double d[3] = {std::cos(b) * std::cos(a), std::cos(b) * std::sin(a), std::sin(b)};
    Vertice v;
    for (int k = 0; k < 3; k++)   // the surface's own normal: near enough for shading
        v.p[k] = centro ? c[k] + r * d[k] : r * d[k], v.n[k] = d[k];
    return v;
}

// The sphere: parallels j = 1 .. v-1 of u points each, then the poles.
void sfera(int u, int v, std::vector<Vertice> &punti, std::vector<uint32_t> &t)
{
    for (int i = 0; i < u; i++)
        for (int j = 1; j < v; j++)
            punti.push_back(punto(2 * M_PI * i / u, M_PI * j / v - M_PI / 2, false));
    const uint32_t sud = (uint32_t)punti.size(), nord = sud + 1;
    punti.push_back(punto(0, -M_PI / 2, false));
    punti.push_back(punto(0, M_PI / 2, false));
    auto at = [&](int i, int j) { return (uint32_t)((i % u) * (v - 1) + j - 1); };
    for (int i = 0; i < u; i++) {
        const uint32_t poli[6] = {sud, at(i + 1, 1), at(i, 1), nord, at(i, v - 1), at(i + 1, v - 1)};
        t.insert(t.end(), poli, poli + 6);
        for (int j = 1; j + 1 < v; j++) {
            const uint32_t due[6] = {at(i, j), at(i + 1, j), at(i + 1, j + 1),
                                     at(i, j), at(i + 1, j + 1), at(i, j + 1)};
            t.insert(t.end(), due, due + 6);
        }
    }
}

void scrivi_u32(FILE *f, uint32_t u) { std::fwrite(&u, 4, 1, f); }
void scrivi_f32(FILE *f, double x) { const float v = (float)x; std::fwrite(&v, 4, 1, f); }

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 4 && !(argc == 5 && std::string(argv[4]) == "sfera")) {
        std::fprintf(stderr, "usage: genera_grande off|obj|ply|stl|stla TRIANGLES OUT [sfera]\n");
        return 2;
    }
    const std::string formato = argv[1];
    const long triangoli = std::atol(argv[2]);
    const int v = (int)std::lround(std::sqrt((double)triangoli / 4.0));
    const int u = 2 * v;
    if (v < 3) {
        std::fprintf(stderr, "genera_grande: too few triangles\n");
        return 2;
    }
    std::vector<Vertice> punti;
    std::vector<uint32_t> t;   // outward: counter-clockwise seen from outside
    if (argc == 5)
        sfera(u, v, punti, t);
    for (int i = 0; i < u && argc == 4; i++)
        for (int j = 0; j < v; j++)
            punti.push_back(punto(2 * M_PI * i / u, 2 * M_PI * j / v));
    for (int i = 0; i < u && argc == 4; i++)
        for (int j = 0; j < v; j++) {
            const uint32_t a = (uint32_t)(i * v + j), b = (uint32_t)(((i + 1) % u) * v + j),
                           c = (uint32_t)(((i + 1) % u) * v + (j + 1) % v),
                           d = (uint32_t)(i * v + (j + 1) % v);
            const uint32_t due[6] = {a, b, c, a, c, d};
            t.insert(t.end(), due, due + 6);
        }
    const size_t nt = t.size() / 3;
    FILE *f = std::fopen(argv[3], "wb");
    if (!f) {
        std::perror(argv[3]);
        return 2;
    }
    if (formato == "off") {
        std::fprintf(f, "NOFF\n%zu %zu 0\n", punti.size(), nt);
        for (const Vertice &p : punti)
            std::fprintf(f, "%.9g %.9g %.9g %.6g %.6g %.6g\n", p.p[0], p.p[1], p.p[2], p.n[0],
                         p.n[1], p.n[2]);
        for (size_t k = 0; k < nt; k++)
            std::fprintf(f, "3 %u %u %u\n", t[3 * k], t[3 * k + 1], t[3 * k + 2]);
    } else if (formato == "obj") {
        std::fprintf(f, "# a bumpy torus\no toro\n");
        for (const Vertice &p : punti)
            std::fprintf(f, "v %.9g %.9g %.9g\n", p.p[0], p.p[1], p.p[2]);
        for (size_t k = 0; k < nt; k++)
            std::fprintf(f, "f %u %u %u\n", t[3 * k] + 1, t[3 * k + 1] + 1, t[3 * k + 2] + 1);
    } else if (formato == "ply") {
        std::fprintf(f, "ply\nformat binary_little_endian 1.0\nelement vertex %zu\n"
                     "property float x\nproperty float y\nproperty float z\nelement face %zu\n"
                     "property list uchar int vertex_indices\nend_header\n", punti.size(), nt);
        for (const Vertice &p : punti)
            for (double x : p.p)
                scrivi_f32(f, x);
        for (size_t k = 0; k < nt; k++) {
            std::fputc(3, f);
            for (int c = 0; c < 3; c++)
                scrivi_u32(f, t[3 * k + c]);
        }
    } else if (formato == "stl") {
        char testa[80] = "a bumpy torus";
        std::fwrite(testa, 1, sizeof testa, f);
        scrivi_u32(f, (uint32_t)nt);
        for (size_t k = 0; k < nt; k++) {
            for (int c = 0; c < 3; c++)
                scrivi_f32(f, 0.0);
            for (int c = 0; c < 3; c++)
                for (double x : punti[t[3 * k + c]].p)
                    scrivi_f32(f, x);
            std::fwrite("\0", 1, 2, f);   // no attribute bytes
        }
    } else if (formato == "stla") {
        std::fprintf(f, "solid toro\n");
        for (size_t k = 0; k < nt; k++) {
            std::fprintf(f, "facet normal 0 0 0\nouter loop\n");
            for (int c = 0; c < 3; c++) {
                const double *p = punti[t[3 * k + c]].p;
                std::fprintf(f, "vertex %.7g %.7g %.7g\n", p[0], p[1], p[2]);
            }
            std::fprintf(f, "endloop\nendfacet\n");
        }
        std::fprintf(f, "endsolid toro\n");
    } else {
        std::fprintf(stderr, "genera_grande: unknown format %s\n", argv[1]);
        return 2;
    }
    if (std::fclose(f) != 0) {
        std::perror(argv[3]);
        return 2;
    }
    return 0;
}
