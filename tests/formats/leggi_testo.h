// leggi_testo.h: a file's contents, written in a test, through the readers;
// the cube the readers' tests write, the check of a refused file, and a slot
// of the scene.
#ifndef SUPERFICIE_TESTS_FORMATS_LEGGI_TESTO_H
#define SUPERFICIE_TESTS_FORMATS_LEGGI_TESTO_H

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "loading/formati.h"
#include "model/poliedro.h"
#include "tests/formats/pacchetti_prova.h"   // Binario, for binary bodies

// The outcome of reading one file: the Maglia and, on failure, the message.
struct Letto {
    bool ok;
    std::string errore;
    const Maglia &m;
};

// The corners of face j.
inline const int *vertici(const Maglia &m, int j) { return &m.angoli[(size_t)m.facce[(size_t)j].primo]; }

// Positions and faces, comparable between two readings.
using Forma = std::pair<std::vector<std::vector<double>>, std::vector<std::vector<int>>>;
inline Forma forma(const Maglia &m)
{
    Forma r;
    for (const PuntoLetto &p : m.punti) r.first.push_back({p.pos[0], p.pos[1], p.pos[2]});
    for (size_t j = 0; j < m.facce.size(); j++) r.second.emplace_back(vertici(m, j), vertici(m, j) + m.facce[j].numvertici);
    return r;
}

// Reads `contenuto` as a file named `nome` (the name picks OBJ and ends up in
// messages). The Maglia is static: valid until the next call.
inline Letto leggi(const std::string &nome, const std::string &contenuto)
{
    static Maglia m;
    char errore[512] = "";
    const bool ok = leggi_maglia(nome.c_str(), contenuto.data(), contenuto.size(), &m, errore, sizeof errore);
    return Letto{ok, errore, m};
}

// The unit cube: corner i at (i & 1, i >> 1 & 1, i >> 2 & 1), six quads
// counter-clockwise seen from outside.
const int QUADRATI[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
inline float angolo(int i, int k) { return (float)(i >> k & 1); }
inline Forma forma_cubo()
{
    Forma f;
    for (int i = 0; i < 8; i++) f.first.push_back({angolo(i, 0), angolo(i, 1), angolo(i, 2)});
    for (const auto &q : QUADRATI) f.second.emplace_back(q, q + 4);
    return f;
}

// s with its first `da` made `a`; a test whose `da` is missing fails.
inline std::string cambia(std::string s, const std::string &da, const std::string &a)
{
    const size_t i = s.find(da);
    EXPECT_NE(i, std::string::npos) << da;
    return i == std::string::npos ? s : s.replace(i, da.size(), a);
}

// A file refused with exactly the message `atteso`, nothing of it kept.
inline void rifiutato(const std::string &nome, const std::string &file, const std::string &atteso)
{
    const Letto r = leggi(nome, file);
    EXPECT_FALSE(r.ok) << atteso;
    EXPECT_EQ(r.errore, atteso);
    EXPECT_EQ(r.m.punti.size() + r.m.angoli.size() + r.m.facce.size(), 0u) << atteso;
}

// Builds the Maglia just read into slot 0 alone.
inline const Poliedro &in_scena(const Maglia &m)
{
    const Maglia *una[] = {&m};
    metti_in_scena(una, 1);
    return ElencoPoliedri[0];
}

using File = std::pair<std::string, std::string>;
// The files through carica_dati, as the page gives them: its answer, and
// its message followed by its notes; `accanto` the files handed over beside them.
inline std::pair<bool, std::string> carica(const std::vector<File> &file, const FileAccanto *accanto = nullptr)
{
    std::vector<const char *> nomi, dati;
    std::vector<size_t> lunghezze;
    for (const auto &[nome, contenuto] : file) {
        nomi.push_back(nome.c_str());
        dati.push_back(contenuto.c_str());
        lunghezze.push_back(contenuto.size());
    }
    char e[600] = "", n[4 * 600] = "x";
    const bool ok = carica_dati(nomi.data(), dati.data(), lunghezze.data(), (int)file.size(), e, sizeof e, n, sizeof n,
                                accanto);
    return {ok, std::string(e) + n};
}

// Slot k as the viewer shows it, as rows of numbers: its counts, each vertex
// and its normal, and each face from its smallest corner (meshopt's codec may
// start a triangle elsewhere) with its colour letter.
inline std::vector<std::vector<double>> scena(int k)
{
    const Poliedro &p = ElencoPoliedri[k];
    std::vector<std::vector<double>> r = {{(double)p.numpunti, (double)p.numfacce, (double)p.liscio}};
    for (const Punto &v : std::vector<Punto>(p.punti, p.punti + p.numpunti))
        r.push_back({v.x, v.y, v.z, v.nx, v.ny, v.nz});
    for (int j = 0; j < p.numfacce; j++) {
        const int *v = p.facce[j].vertici, n = p.facce[j].numvertici, *primo = std::min_element(v, v + n);
        r.emplace_back(primo, v + n);
        r.back().insert(r.back().end(), v, primo);
        r.back().push_back(p.facce[j].codicecolore);
    }
    return r;
}

#endif
