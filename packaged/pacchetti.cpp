// pacchetti.cpp: what the glTF and 3MF readers share: transforms, and the
// gathered triangles into a Maglia.
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

// The message after the file's name, into the context.
static bool rifiuta(Lettura &l, const std::string &messaggio)
{
    return errore(l, NEL_FILE, "%s", messaggio.c_str());
}

// A buffer among the files handed over: by its whole name, or else by the
// name's last part (the page's files come without their folders).
static bool tra_accanto(const void *chi, const std::string &nome, std::string &dati, std::string &errore)
{
    const FileAccanto &a = *static_cast<const FileAccanto *>(chi);
    const size_t barra = nome.rfind('/');
    const std::string ultimo = barra == std::string::npos ? nome : nome.substr(barra + 1);
    for (const std::string &cercato : {nome, ultimo})
        for (int k = 0; k < a.n; k++)
            if (cercato == a.nomi[k]) {
                if (!a.dati[k]) {
                    errore = "could not be read";
                    return false;
                }
                dati.assign(a.dati[k], a.lunghezze[k]);
                return true;
            }
    errore = "not among the files given with the model";
    return false;
}

bool leggi_gltf(Lettura &l)
{
    FileVicini vicini;
    if (l.file_accanto) {
        vicini.leggi = tra_accanto;
        vicini.chi = l.file_accanto;
    } else if (std::strcmp(l.nome, "standard input") != 0) {
        // External buffers are looked for beside the file as it was named.
        const char *barra = std::strrchr(l.nome, '/');
        vicini.cartella = barra ? std::string(l.nome, (size_t)(barra - l.nome) + 1) : "./";
        if (vicini.cartella.size() > 1)
            vicini.cartella.pop_back();
    }
    Geometria g;
    std::string errore;
    if (!leggi_gltf_geometria(l.dati, l.dimensione, vicini, g, errore))
        return rifiuta(l, errore);
    return dai_geometria(l, g);
}

bool leggi_3mf(Lettura &l)
{
    l.maglia->stampa = 1;   // z up from the build platform
    Geometria g;
    std::string errore;
    if (!leggi_3mf_geometria(l.dati, l.dimensione, g, errore))
        return rifiuta(l, errore);
    return dai_geometria(l, g);
}
