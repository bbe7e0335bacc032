// invarianti.h: how the fuzz targets report a broken invariant, and the
// reading and checks the readers' targets share.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "loading/formati.h"
#include "model/poliedro.h"

// Aborting is what libFuzzer reports as a crash, with the input kept.
#define ROTTO(...) \
    (std::fprintf(stderr, "\n*** invariant broken: " __VA_ARGS__), std::fputc('\n', stderr), std::abort())

// Reads dati as the file nome. A refusal must be one line without control
// bytes that names the file and says something, and leave nothing read.
inline bool leggi(const char *nome, const char *dati, size_t n, Maglia &m)
{
    char errore[512] = "";
    if (leggi_maglia(nome, dati, n, &m, errore, sizeof errore)) return true;
    const size_t k = std::strlen(nome);
    if (std::strncmp(errore, nome, k) != 0 || errore[k] != ':' || std::strlen(errore) < k + 3)
        ROTTO("message does not name the file, or is too short: %s", errore);
    for (const char *c = errore; *c; c++)
        if ((unsigned char)*c < ' ' || *c == 127) ROTTO("control byte %d in the message: %s", *c, errore);
    if (!m.punti.empty() || !m.angoli.empty() || !m.facce.empty())
        ROTTO("refused, yet %zu vertices and %zu faces left", m.punti.size(), m.facce.size());
    return false;
}

// m put in the scene: slot 0 finite and well-formed, the rest empty.
inline void in_scena(const Maglia &m)
{
    const Maglia *una[] = {&m};
    metti_in_scena(una, 1);
    const Poliedro &p = ElencoPoliedri[0];
    if (p.numpunti < 1 || p.numpunti > MAX_PUNTI || p.numfacce < 1 || p.numfacce > MAX_FACCE)
        ROTTO("slot 0 has %d vertices, %d faces", p.numpunti, p.numfacce);
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &v = p.punti_trasformati[i];
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            ROTTO("world vertex %d not finite", i);
    }
    for (int j = 0; j < p.numfacce; j++) {
        const Faccia &f = p.facce[j];
        if (f.numvertici < 3 || f.numvertici > MAX_VERTICI) ROTTO("face %d has %d vertices", j, f.numvertici);
        for (int k = 0; k < f.numvertici; k++)
            if (f.vertici[k] < 0 || f.vertici[k] >= p.numpunti)
                ROTTO("face %d index %d of %d vertices", j, f.vertici[k], p.numpunti);
        if (!std::isfinite(f.normale[0]) || !std::isfinite(f.normale[1]) || !std::isfinite(f.normale[2]))
            ROTTO("face %d normal not finite", j);
    }
    for (int s = 1; s < MAX_POLIEDRI; s++)
        if (ElencoPoliedri[s].numpunti || ElencoPoliedri[s].numfacce) ROTTO("slot %d not empty", s);
}
