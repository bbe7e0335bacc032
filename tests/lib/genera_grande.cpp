// genera_grande.cpp: writes a large mesh for the tests that open one.
//
//   genera_grande FORMAT TRIANGLES OUT
//
// A bumpy torus of about TRIANGLES triangles (a grid of 2v x v vertices,
// each quad two triangles), so that no simplification can take it for a
// plain shape. FORMAT: off (text, with vertex normals: NOFF), obj (text, no
// normals), ply (binary little-endian), stl (binary), stla (ascii STL).
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

Vertice punto(double a, double b)
{
    const double r = PICCOLO * (1.0 + BOZZE * std::sin(5 * a) * std::cos(3 * b));
    const double c[3] = {GRANDE * std::cos(a), GRANDE * std::sin(a), 0.0};
    const double d[3] = {std::cos(b) * std::cos(a), std::cos(b) * std::sin(a), std::sin(b)};
    Vertice v;
    for (int k = 0; k < 3; k++) {
        v.p[k] = c[k] + r * d[k];
        v.n[k] = d[k];   // the torus's own normal: near enough for shading
    }
    return v;
}

template <typename T> void binario(FILE *f, T x) { std::fwrite(&x, sizeof x, 1, f); }

}  // namespace

int main(int argc, char **argv)
{
    const std::string formato = argc == 4 ? argv[1] : "";
    const int v = argc == 4 ? (int)std::lround(std::sqrt(std::atol(argv[2]) / 4.0)) : 0, u = 2 * v;
    FILE *f = v >= 3 && std::string(" off obj ply stl stla ").find(" " + formato + " ") !=
                            std::string::npos ? std::fopen(argv[3], "wb") : nullptr;
    if (!f) {
        std::fprintf(stderr, "usage: genera_grande off|obj|ply|stl|stla TRIANGLES (12 or more) OUT\n");
        return 2;
    }
    std::vector<Vertice> punti;
    for (int i = 0; i < u; i++)
        for (int j = 0; j < v; j++)
            punti.push_back(punto(2 * M_PI * i / u, 2 * M_PI * j / v));
    std::vector<uint32_t> t;   // outward: counter-clockwise seen from outside
    for (int i = 0; i < u; i++)
        for (int j = 0; j < v; j++) {
            const uint32_t a = i * v + j, b = (i + 1) % u * v + j, c = (i + 1) % u * v + (j + 1) % v,
                           d = i * v + (j + 1) % v;
            t.insert(t.end(), {a, b, c, a, c, d});
        }
    const size_t nt = t.size() / 3;
    if (formato == "off") {
        std::fprintf(f, "NOFF\n%zu %zu 0\n", punti.size(), nt);
        for (const Vertice &p : punti)
            std::fprintf(f, "%.9g %.9g %.9g %.6g %.6g %.6g\n", p.p[0], p.p[1], p.p[2], p.n[0],
                         p.n[1], p.n[2]);
    } else if (formato == "obj") {
        std::fprintf(f, "# a bumpy torus\no toro\n");
        for (const Vertice &p : punti)
            std::fprintf(f, "v %.9g %.9g %.9g\n", p.p[0], p.p[1], p.p[2]);
    } else if (formato == "ply") {
        std::fprintf(f, "ply\nformat binary_little_endian 1.0\nelement vertex %zu\n"
                     "property float x\nproperty float y\nproperty float z\nelement face %zu\n"
                     "property list uchar int vertex_indices\nend_header\n", punti.size(), nt);
        for (const Vertice &p : punti)
            for (double x : p.p)
                binario(f, (float)x);
    } else if (formato == "stl") {
        const char testa[80] = "a bumpy torus";
        std::fwrite(testa, 1, sizeof testa, f);
        binario(f, (uint32_t)nt);
    } else {
        std::fprintf(f, "solid toro\n");
    }
    for (size_t k = 0; k < nt; k++) {
        const uint32_t *c = &t[3 * k];
        const double *a = punti[c[0]].p, *b = punti[c[1]].p, *d = punti[c[2]].p;
        if (formato == "off")
            std::fprintf(f, "3 %u %u %u\n", c[0], c[1], c[2]);
        else if (formato == "obj")
            std::fprintf(f, "f %u %u %u\n", c[0] + 1, c[1] + 1, c[2] + 1);
        else if (formato == "ply")
            binario(f, (uint8_t)3), binario(f, c[0]), binario(f, c[1]), binario(f, c[2]);
        else if (formato == "stl") {
            for (int i = 0; i < 3; i++)   // a zero normal, then the corners
                binario(f, 0.0f);
            for (const double *p : {a, b, d})
                for (int i = 0; i < 3; i++)
                    binario(f, (float)p[i]);
            binario(f, (uint16_t)0);
        } else
            std::fprintf(f, "facet normal 0 0 0\nouter loop\nvertex %.7g %.7g %.7g\nvertex %.7g "
                         "%.7g %.7g\nvertex %.7g %.7g %.7g\nendloop\nendfacet\n", a[0], a[1], a[2],
                         b[0], b[1], b[2], d[0], d[1], d[2]);
    }
    if (formato == "stla")
        std::fprintf(f, "endsolid toro\n");
    if (std::fclose(f) != 0) {
        std::perror(argv[3]);
        return 2;
    }
    return 0;
}
