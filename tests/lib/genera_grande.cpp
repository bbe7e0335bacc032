// genera_grande.cpp: writes a large mesh for the tests that open one.
//
//   genera_grande FORMAT TRIANGLES OUT [sfera]
//
// A bumpy torus of about TRIANGLES triangles (a grid of 2v x v vertices,
// each quad two triangles), so that no simplification can take it for a
// plain shape; with "sfera" a bumpy sphere (2v meridians, v - 1 parallels
// and the two poles). FORMAT: off (text, with vertex normals: NOFF), obj
// (text, no normals), ply (binary little-endian), stl (binary), stla (ascii STL).
// Written by itself, not by the viewer's code, so that what the viewer reads
// is what another program would have written.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// The torus: u rings of v points each, each quad of the grid two triangles.
void toro(int u, int v, std::vector<Vertice> &punti, std::vector<uint32_t> &t)
{
    auto at = [&](int i, int j) { return (uint32_t)(i % u * v + j % v); };
    for (int i = 0; i < u; i++)
        for (int j = 0; j < v; j++) {
            punti.push_back(punto(2 * M_PI * i / u, 2 * M_PI * j / v));
            t.insert(t.end(), {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j), at(i + 1, j + 1), at(i, j + 1)});
        }
}

// The sphere: parallels j = 1 .. v-1 of u points each, then the poles.
void sfera(int u, int v, std::vector<Vertice> &punti, std::vector<uint32_t> &t)
{
    for (int i = 0; i < u; i++)
        for (int j = 1; j < v; j++) punti.push_back(punto(2 * M_PI * i / u, M_PI * j / v - M_PI / 2, false));
    const uint32_t sud = (uint32_t)punti.size(), nord = sud + 1;
    punti.push_back(punto(0, -M_PI / 2, false));
    punti.push_back(punto(0, M_PI / 2, false));
    auto at = [&](int i, int j) { return (uint32_t)((i % u) * (v - 1) + j - 1); };
    for (int i = 0; i < u; i++) {
        t.insert(t.end(), {sud, at(i + 1, 1), at(i, 1), nord, at(i, v - 1), at(i + 1, v - 1)});
        for (int j = 1; j + 1 < v; j++)
            t.insert(t.end(), {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j), at(i + 1, j + 1), at(i, j + 1)});
    }
}

void scrivi_u32(FILE *f, uint32_t u) { std::fwrite(&u, 4, 1, f); }
void scrivi_f32(FILE *f, double x) { const float v = (float)x; std::fwrite(&v, 4, 1, f); }

}  // namespace

int main(int argc, char **argv)
{
    const int v = argc < 4 ? 0 : (int)std::lround(std::sqrt((double)std::atol(argv[2]) / 4.0)), u = 2 * v;
    const std::string formato = argc < 4 ? "" : argv[1];
    if (v < 3 || std::string(" off obj ply stl stla ").find(" " + formato + " ") == std::string::npos) {
        std::fprintf(stderr, "usage: genera_grande off|obj|ply|stl|stla TRIANGLES OUT [sfera], TRIANGLES >= 36\n");
        return 2;
    }
    std::vector<Vertice> punti;
    std::vector<uint32_t> t;   // outward: counter-clockwise seen from outside
    (argc > 4 ? sfera : toro)(u, v, punti, t);
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
        for (size_t k = 0; k < nt; k++) std::fprintf(f, "3 %u %u %u\n", t[3 * k], t[3 * k + 1], t[3 * k + 2]);
    } else if (formato == "obj") {
        for (const Vertice &p : punti) std::fprintf(f, "v %.9g %.9g %.9g\n", p.p[0], p.p[1], p.p[2]);
        for (size_t k = 0; k < 3 * nt; k++) std::fprintf(f, k % 3 ? " %u%s" : "f %u%s", t[k] + 1, k % 3 == 2 ? "\n" : "");
    } else if (formato == "ply") {
        std::fprintf(f, "ply\nformat binary_little_endian 1.0\nelement vertex %zu\n"
                     "property float x\nproperty float y\nproperty float z\nelement face %zu\n"
                     "property list uchar int vertex_indices\nend_header\n", punti.size(), nt);
        for (const Vertice &p : punti)
            for (double x : p.p) scrivi_f32(f, x);
        for (size_t k = 0; k < 3 * nt; k++) {
            if (k % 3 == 0) std::fputc(3, f);
            scrivi_u32(f, t[k]);
        }
    } else if (formato == "stl") {
        char testa[80] = "a bumpy torus";
        std::fwrite(testa, 1, sizeof testa, f);
        scrivi_u32(f, (uint32_t)nt);
        for (size_t k = 0; k < nt; k++) {
            for (int c = 0; c < 12; c++)   // a zero normal, then the corners
                scrivi_f32(f, c < 3 ? 0.0 : punti[t[3 * k + c / 3 - 1]].p[c % 3]);
            std::fwrite("\0", 1, 2, f);   // no attribute bytes
        }
    } else {
        std::fprintf(f, "solid toro\n");
        for (size_t k = 0; k < 3 * nt; k++) {
            const double *p = punti[t[k]].p;
            std::fprintf(f, "%svertex %.7g %.7g %.7g\n%s", k % 3 ? "" : "facet normal 0 0 0\nouter loop\n",
                         p[0], p[1], p[2], k % 3 == 2 ? "endloop\nendfacet\n" : "");
        }
        std::fprintf(f, "endsolid toro\n");
    }
    if (std::fclose(f) != 0) {
        std::perror(argv[3]);
        return 2;
    }
    return 0;
}
