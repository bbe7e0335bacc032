// leggi_testo.h: a file's contents, written in a test, through the readers.
#ifndef SUPERFICIE_TESTS_FORMATS_LEGGI_TESTO_H
#define SUPERFICIE_TESTS_FORMATS_LEGGI_TESTO_H

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "loading/formati.h"

// The outcome of reading one file: the Maglia and, on failure, the message.
struct Letto {
    bool ok;
    std::string errore;
    const Maglia &m;
};

// Counts and corners of a Maglia, as the store counts them.
inline int numpunti(const Maglia &m) { return (int)m.punti.size(); }
inline int numfacce(const Maglia &m) { return (int)m.facce.size(); }
inline const int *vertici(const Maglia &m, int j) { return &m.angoli[(size_t)m.facce[(size_t)j].primo]; }

// Positions and faces, comparable between two readings.
using Forma = std::pair<std::vector<std::vector<double>>, std::vector<std::vector<int>>>;
inline Forma forma(const Maglia &m)
{
    Forma r;
    for (const PuntoLetto &p : m.punti)
        r.first.push_back({p.pos[0], p.pos[1], p.pos[2]});
    for (int j = 0; j < numfacce(m); j++)
        r.second.emplace_back(vertici(m, j), vertici(m, j) + m.facce[j].numvertici);
    return r;
}

// A binary body in either byte order: b << x appends x's bytes.
struct Binario {
    bool grande;                    // big endian
    std::string s;
    template <class T> Binario &operator<<(T v)
    {
        char b[sizeof v];
        std::memcpy(b, &v, sizeof v);
        const uint16_t uno = 1;
        const bool ospite_piccolo = *(const unsigned char *)&uno == 1;
        for (size_t i = 0; i < sizeof v; i++)
            s += b[ospite_piccolo == grande ? sizeof v - 1 - i : i];
        return *this;
    }
};

// Reads `contenuto` as a file named `nome` (the name picks OBJ and ends up in
// messages). The Maglia is static: valid until the next call.
inline Letto leggi(const std::string &nome, const std::string &contenuto)
{
    static Maglia m;
    char errore[512] = "";
    const bool ok = leggi_maglia(nome.c_str(), contenuto.data(), contenuto.size(), &m, errore,
                                 sizeof errore);
    return Letto{ok, errore, m};
}

#endif
