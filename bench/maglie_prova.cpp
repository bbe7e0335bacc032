// maglie_prova.cpp: the capacity files and the readers' floor.
#include "bench/maglie_prova.h"

#include <fast_float/fast_float.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "mesh/maglia.h"

namespace {

struct Toro {
    std::vector<float> pos;             // 3 per vertex
    std::vector<std::vector<int>> facce;
};

// u rings of v vertices; quad q stays whole when intera(q), otherwise
// it becomes two triangles. Faces wind the same way all round.
Toro toro(int u, int v, bool (*intera)(int q))
{
    Toro t;
    const double R = 3.0, r = 1.2;
    for (int i = 0; i < u; i++)
        for (int j = 0; j < v; j++) {
            const double a = 2.0 * M_PI * i / u, b = 2.0 * M_PI * j / v;
            t.pos.push_back((float)((R + r * std::cos(b)) * std::cos(a)));
            t.pos.push_back((float)(r * std::sin(b)));
            t.pos.push_back((float)((R + r * std::cos(b)) * std::sin(a)));
        }
    for (int i = 0; i < u; i++)
        for (int j = 0; j < v; j++) {
            const int a = i * v + j, b = ((i + 1) % u) * v + j;
            const int c = ((i + 1) % u) * v + (j + 1) % v, d = i * v + (j + 1) % v;
            if (intera(a)) {
                t.facce.push_back({a, d, c, b});
            } else {
                t.facce.push_back({a, d, c});
                t.facce.push_back({a, c, b});
            }
        }
    return t;
}

bool un_terzo(int q) { return q % 3 == 0; }
bool nessuna(int) { return false; }

// 1000 quads and 4000 triangles over 3000 vertices.
Toro toro_pieno() { return toro(60, 50, un_terzo); }
// 5000 triangles over 2500 vertices.
Toro toro_triangoli() { return toro(50, 50, nessuna); }

void numero(std::string &s, float x)
{
    char b[32];
    const auto r = std::to_chars(b, b + sizeof b, x);
    s.append(b, r.ptr);
}

void intero(std::string &s, long x)
{
    char b[24];
    const auto r = std::to_chars(b, b + sizeof b, x);
    s.append(b, r.ptr);
}

template <class T>
void binario(std::string &s, T x)
{
    char b[sizeof x];
    std::memcpy(b, &x, sizeof x);   // little-endian machine, as the file wants
    s.append(b, sizeof x);
}

std::string ply(const Toro &t, bool ascii)
{
    std::string s = "ply\nformat ";
    s += ascii ? "ascii" : "binary_little_endian";
    s += " 1.0\nelement vertex " + std::to_string(t.pos.size() / 3) +
         "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
         std::to_string(t.facce.size()) + "\nproperty list uchar int vertex_indices\nend_header\n";
    for (size_t i = 0; i < t.pos.size(); i += 3)
        for (int k = 0; k < 3; k++) {
            if (ascii) {
                numero(s, t.pos[i + k]);
                s += k < 2 ? ' ' : '\n';
            } else {
                binario(s, t.pos[i + k]);
            }
        }
    for (const auto &f : t.facce) {
        if (ascii)
            intero(s, (long)f.size());
        else
            binario(s, (uint8_t)f.size());
        for (int k : f) {
            if (ascii) {
                s += ' ';
                intero(s, k);
            } else {
                binario(s, (int32_t)k);
            }
        }
        if (ascii)
            s += '\n';
    }
    return s;
}

// A triangle's facet normal, as an exporter writes it.
void normale(const Toro &t, const std::vector<int> &f, float n[3])
{
    const float *a = &t.pos[3 * f[0]], *b = &t.pos[3 * f[1]], *c = &t.pos[3 * f[2]];
    const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const float w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    n[0] = u[1] * w[2] - u[2] * w[1];
    n[1] = u[2] * w[0] - u[0] * w[2];
    n[2] = u[0] * w[1] - u[1] * w[0];
    const float l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; k < 3; k++)
        n[k] = l > 0.0f ? n[k] / l : 0.0f;
}

std::string stl(const Toro &t, bool ascii)
{
    std::string s;
    if (ascii) {
        s = "solid torus\n";
    } else {
        s.assign(80, ' ');
        s.replace(0, 22, "binary STL, one torus.");
        binario(s, (uint32_t)t.facce.size());
    }
    for (const auto &f : t.facce) {
        float n[3];
        normale(t, f, n);
        if (!ascii) {
            for (float x : n)
                binario(s, x);
            for (int k : f)
                for (int c = 0; c < 3; c++)
                    binario(s, t.pos[3 * k + c]);
            binario(s, (uint16_t)0);
            continue;
        }
        s += "  facet normal ";
        for (int c = 0; c < 3; c++) {
            numero(s, n[c]);
            s += c < 2 ? ' ' : '\n';
        }
        s += "    outer loop\n";
        for (int k : f) {
            s += "      vertex ";
            for (int c = 0; c < 3; c++) {
                numero(s, t.pos[3 * k + c]);
                s += c < 2 ? ' ' : '\n';
            }
        }
        s += "    endloop\n  endfacet\n";
    }
    if (ascii)
        s += "endsolid torus\n";
    return s;
}

size_t numeri_testo(const char *p, const char *fine, double *v)
{
    size_t n = 0;
    while (p < fine) {
        while (p < fine && (unsigned char)*p <= ' ')
            p++;
        const char *t = p;
        while (p < fine && (unsigned char)*p > ' ')
            p++;
        if (t == p)
            break;
        double x;
        const auto r = fast_float::from_chars(t, p, x);
        if (r.ec == std::errc() && r.ptr == p)
            v[n++] = x;
    }
    return n;
}

float f32(const char *p)
{
    float f;
    std::memcpy(&f, p, sizeof f);
    return f;
}

int32_t i32(const char *p)
{
    int32_t i;
    std::memcpy(&i, p, sizeof i);
    return i;
}

} // namespace

FileProva file_prova(FormatoProva f)
{
    FileProva file{"torus", {}, 0, 0};
    const Toro t = f == STL_BINARIO || f == STL_ASCII ? toro_triangoli() : toro_pieno();
    file.vertici = (int)t.pos.size() / 3;
    file.facce = (int)t.facce.size();
    std::string &s = file.dati;
    switch (f) {
    case OFF_TESTO:
        file.nome = "torus.off";
        s = "OFF\n" + std::to_string(file.vertici) + " " + std::to_string(file.facce) + " 0\n";
        for (size_t i = 0; i < t.pos.size(); i += 3)
            for (int k = 0; k < 3; k++) {
                numero(s, t.pos[i + k]);
                s += k < 2 ? ' ' : '\n';
            }
        for (const auto &fa : t.facce) {
            intero(s, (long)fa.size());
            for (int k : fa) {
                s += ' ';
                intero(s, k);
            }
            s += '\n';
        }
        break;
    case OBJ_TESTO:
        file.nome = "torus.obj";
        s = "# one torus\no torus\n";
        for (size_t i = 0; i < t.pos.size(); i += 3) {
            s += "v";
            for (int k = 0; k < 3; k++) {
                s += ' ';
                numero(s, t.pos[i + k]);
            }
            s += '\n';
        }
        for (const auto &fa : t.facce) {
            s += "f";
            for (int k : fa) {
                s += ' ';
                intero(s, k + 1);
            }
            s += '\n';
        }
        break;
    case PLY_ASCII:
        file.nome = "torus.ply";
        s = ply(t, true);
        break;
    case PLY_BINARIO:
        file.nome = "torus-binary.ply";
        s = ply(t, false);
        break;
    case STL_BINARIO:
        file.nome = "torus-binary.stl";
        s = stl(t, false);
        break;
    case STL_ASCII:
        file.nome = "torus.stl";
        s = stl(t, true);
        break;
    default:
        break;
    }
    return file;
}

size_t numeri_massimi(const FileProva &file)
{
    // A number takes at least two bytes in text and four in binary.
    return file.dati.size() / 2 + 1;
}

size_t numeri_file(FormatoProva f, const FileProva &file, double *v)
{
    const char *p = file.dati.data(), *fine = p + file.dati.size();
    size_t n = 0;
    switch (f) {
    case PLY_BINARIO: {
        const char *const testata = "end_header\n";
        const char *corpo = (const char *)memmem(p, file.dati.size(), testata, std::strlen(testata));
        if (!corpo)
            return 0;
        p = corpo + std::strlen(testata);
        for (int i = 0; i < 3 * file.vertici; i++, p += 4)
            v[n++] = f32(p);
        for (int j = 0; j < file.facce && p < fine; j++) {
            const int k = (unsigned char)*p++;
            v[n++] = k;
            for (int i = 0; i < k; i++, p += 4)
                v[n++] = i32(p);
        }
        return n;
    }
    case STL_BINARIO: {
        uint32_t triangoli;
        std::memcpy(&triangoli, p + 80, sizeof triangoli);
        p += 84;
        for (uint32_t t = 0; t < triangoli; t++, p += 50)
            for (int i = 0; i < 12; i++)
                v[n++] = f32(p + 4 * i);
        return n;
    }
    default:
        return numeri_testo(p, fine, v);
    }
}

bool come_floor(FormatoProva f, const FileProva &file, const double *v, size_t n,
                const Maglia &m, std::string *perche)
{
    auto no = [&](const std::string &s) {
        *perche = s;
        return false;
    };
    const int numpunti = (int)m.punti.size(), numfacce = (int)m.facce.size();
    if (numpunti != file.vertici || numfacce != file.facce)
        return no("the reader made " + std::to_string(numpunti) + " vertices and " +
                  std::to_string(numfacce) + " faces, the file has " +
                  std::to_string(file.vertici) + " and " + std::to_string(file.facce));
    if (f == STL_BINARIO || f == STL_ASCII) {
        // Per triangle: the facet normal, then three corners.
        if (n != 12 * (size_t)numfacce)
            return no("the floor found " + std::to_string(n) + " numbers");
        for (int j = 0; j < numfacce; j++) {
            const FacciaLetta &fa = m.facce[j];
            const int *vertici = &m.angoli[(size_t)fa.primo];
            if (fa.numvertici != 3)
                return no("face " + std::to_string(j) + " is not a triangle");
            for (int k = 0; k < 3; k++)
                for (int c = 0; c < 3; c++)
                    if (m.punti[vertici[k]].pos[c] != v[12 * j + 3 + 3 * k + c])
                        return no("triangle " + std::to_string(j) + " corner " +
                                  std::to_string(k) + " is not where the floor has it");
        }
        return true;
    }
    // OFF and ascii PLY: three numbers of header first.
    size_t i = f == OFF_TESTO || f == PLY_ASCII ? 3 : 0;
    for (int p = 0; p < numpunti; p++)
        for (int c = 0; c < 3; c++, i++)
            if (i >= n || m.punti[p].pos[c] != v[i])
                return no("vertex " + std::to_string(p) + " differs from the floor's");
    // Faces: OBJ gives the corners from 1 with no count, the others a count first.
    const bool obj = f == OBJ_TESTO;
    for (int j = 0; j < numfacce; j++) {
        const FacciaLetta &fa = m.facce[j];
        const int *vertici = &m.angoli[(size_t)fa.primo];
        if (!obj && (i >= n || v[i++] != fa.numvertici))
            return no("face " + std::to_string(j) + " has another count in the floor");
        for (int k = 0; k < fa.numvertici; k++, i++)
            if (i >= n || v[i] != vertici[k] + (obj ? 1 : 0))
                return no("face " + std::to_string(j) + " has other corners in the floor");
    }
    if (i != n)
        return no("the floor found " + std::to_string(n - i) + " numbers more");
    return true;
}
