// pacchetti.cpp: what the glTF and 3MF readers share: transforms, the
// instances gathered into a Geometria within their bound, and that into a
// Maglia; the readers on a reading context.
#include "packaged/pacchetti.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "text/lettura.h"

Affine identita()
{
    Affine t{};
    for (int i = 0; i < 3; i++)
        t.a[i][i] = 1.0;
    return t;
}

Affine per(const Affine &x, const Affine &y)
{
    Affine r{};
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 4; j++) {
            double s = j == 3 ? x.a[i][3] : 0.0;
            for (int k = 0; k < 3; k++)
                s += x.a[i][k] * y.a[k][j];
            r.a[i][j] = s;
        }
    }
    return r;
}

void applica_punto(const Affine &t, const double p[3], double out[3])
{
    for (int i = 0; i < 3; i++)
        out[i] = t.a[i][0] * p[0] + t.a[i][1] * p[1] + t.a[i][2] * p[2] + t.a[i][3];
}

double determinante(const Affine &t)
{
    const double(*a)[4] = t.a;
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
}

void applica_normale(const Affine &t, const double n[3], double out[3])
{
    // The cofactor matrix is the inverse transpose times the determinant:
    // the same direction once renormalised, and no division by a
    // determinant that may be tiny.
    const double(*a)[4] = t.a;
    double c[3][3];
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) {
            const int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            c[i][j] = a[i1][j1] * a[i2][j2] - a[i1][j2] * a[i2][j1];
        }
    const double s = determinante(t) < 0.0 ? -1.0 : 1.0;
    double m = 0.0;
    for (int i = 0; i < 3; i++) {
        out[i] = s * (c[i][0] * n[0] + c[i][1] * n[1] + c[i][2] * n[2]);
        m += out[i] * out[i];
    }
    m = std::sqrt(m);
    for (int i = 0; i < 3; i++)
        out[i] = m > 0.0 && std::isfinite(m) ? out[i] / m : 0.0;
}

bool entro_istanze(const Geometria &g, size_t nv, size_t nt, size_t byte_letti,
                   size_t *massimo)
{
    *massimo = massimo_istanze(byte_letti);
    return g.pos.size() / 3 + g.triangoli.size() / 3 + nv + nt <= *massimo;
}

size_t aggiungi_vertici(Geometria &g, const Affine &t, const double *pos, size_t nv)
{
    const size_t base = g.pos.size() / 3;
    for (size_t i = 0; i < nv; i++) {
        double w[3];
        applica_punto(t, &pos[3 * i], w);
        g.pos.insert(g.pos.end(), w, w + 3);
    }
    return base;
}

void aggiungi_triangolo(Geometria &g, size_t base, const size_t v[3], bool specchio,
                        const float *rgb)
{
    const size_t w[3] = {v[0], specchio ? v[2] : v[1], specchio ? v[1] : v[2]};
    for (size_t k : w)
        g.triangoli.push_back((int)(base + k));
    static const float nero[3] = {0.0f, 0.0f, 0.0f};
    g.colori.insert(g.colori.end(), rgb ? rgb : nero, (rgb ? rgb : nero) + 3);
    g.colorata.push_back(rgb != nullptr);
}

bool dai_geometria(Lettura &l, const Geometria &g)
{
    Maglia &m = *l.maglia;
    const size_t n = g.pos.size() / 3, nt = g.triangoli.size() / 3;
    // What was actually read: room for it at once.
    m.punti.reserve(n);
    m.angoli.reserve(3 * nt);
    m.facce.reserve(nt);
    for (size_t i = 0; i < n; i++) {
        PuntoLetto *p = aggiungi_punto(l, NEL_FILE, &g.pos[3 * i]);
        if (!p)
            return false;
        if (g.liscia)
            for (int k = 0; k < 3; k++)
                p->normale[k] = g.normali[3 * i + k];
    }
    m.normali = g.liscia && n > 0;
    for (size_t t = 0; t < nt; t++)
        if (!aggiungi_faccia(l, NEL_FILE, &g.triangoli[3 * t], 3, 0,
                             g.colorata[t] ? &g.colori[3 * t] : nullptr))
            return false;
    return true;
}

bool leggi_gltf(Lettura &l)
{
    std::string cartella;
    if (!l.file_accanto && std::strcmp(l.nome, "standard input") != 0) {
        // External buffers are looked for beside the file as it was named.
        const char *barra = std::strrchr(l.nome, '/');
        cartella = barra ? std::string(l.nome, (size_t)(barra - l.nome) + 1) : "./";
        if (cartella.size() > 1)
            cartella.pop_back();
    }
    Geometria g;
    std::string errore;
    if (!leggi_gltf_geometria(l.dati, l.dimensione, cartella, l.file_accanto, g, errore))
        return ::errore(l, NEL_FILE, "%s", errore.c_str());
    return dai_geometria(l, g);
}

bool leggi_3mf(Lettura &l)
{
    l.maglia->stampa = 1;   // z up from the build platform
    Geometria g;
    std::string errore;
    if (!leggi_3mf_geometria(l.dati, l.dimensione, g, errore))
        return ::errore(l, NEL_FILE, "%s", errore.c_str());
    return dai_geometria(l, g);
}
