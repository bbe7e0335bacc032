// fuzz_file.cpp: libFuzzer target over every reader. Each input is a whole
// file, read under three names, since OBJ is known only by its extension and
// an unmarked .stl goes to the STL reader. After each reading: a refusal is
// one line that names the file and leaves nothing read; an acceptance leaves
// a Maglia that fits the store, and the scene built from it keeps the
// store's invariants. Inputs are plain mesh files, so the corpus and the
// regression files open in any mesh tool.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "formats/formati.h"
#include "model/poliedro.h"

#define ROTTO(...) \
    (std::fprintf(stderr, "\n*** invariant broken: " __VA_ARGS__), std::fputc('\n', stderr), std::abort())

namespace {

const char *const NOMI[] = {"fuzz.obj", "fuzz.stl", "fuzz.off"};
Maglia maglia;
// Relative: the centre and radius are computed again from the placed vertices.
constexpr double TOLL_RAGGIO = 1e-9;

void controlla_maglia(const Maglia &m)
{
    if (m.numpunti < 1 || m.numpunti > MAX_PUNTI || m.numfacce < 1 || m.numfacce > MAX_FACCE)
        ROTTO("counts %d vertices, %d faces", m.numpunti, m.numfacce);
    for (int i = 0; i < m.numpunti; i++)
        for (int k = 0; k < 3; k++)
            if (!std::isfinite(m.punti[i].pos[k]) || std::fabs(m.punti[i].pos[k]) > COORDINATA_MASSIMA ||
                (m.normali && !std::isfinite(m.punti[i].normale[k])))
                ROTTO("vertex %d not finite or absurd", i);
    for (int j = 0; j < m.numfacce; j++) {
        const FacciaLetta &f = m.facce[j];
        if (f.numvertici < 3 || f.numvertici > MAX_VERTICI)
            ROTTO("face %d has %d vertices", j, f.numvertici);
        for (int k = 0; k < f.numvertici; k++)
            if (f.vertici[k] < 0 || f.vertici[k] >= m.numpunti)
                ROTTO("face %d index %d of %d vertices", j, f.vertici[k], m.numpunti);
        for (int c = 0; c < 3; c++)
            if (f.colorata && !(f.colore[c] >= 0.0f && f.colore[c] <= 1.0f))
                ROTTO("face %d colour %g", j, f.colore[c]);
    }
}

void controlla_scena(const Maglia &m)
{
    const Poliedro &p = ElencoPoliedri[0];
    if (p.numpunti != m.numpunti || p.numfacce != m.numfacce)
        ROTTO("slot 0 has %d vertices, %d faces; read %d, %d", p.numpunti, p.numfacce, m.numpunti,
              m.numfacce);
    // Scaled to the scene's radius, unless the file's own is too small to
    // scale from (then kept).
    if (!(std::fabs(p.raggio - RAGGIO_SCENA) <= TOLL_RAGGIO * RAGGIO_SCENA || p.raggio < 1e-300))
        ROTTO("radius %.17g", p.raggio);
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &v = p.punti_trasformati[i];
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            ROTTO("world vertex %d not finite", i);
    }
    for (int j = 0; j < p.numfacce; j++) {
        const Faccia &f = p.facce[j];
        if (f.numvertici != m.facce[j].numvertici)
            ROTTO("face %d built with %d vertices", j, f.numvertici);
        for (int k = 0; k < f.numvertici; k++)
            if (f.vertici[k] < 0 || f.vertici[k] >= p.numpunti)
                ROTTO("built face %d index %d", j, f.vertici[k]);
        if (!std::isfinite(f.normale[0]) || !std::isfinite(f.normale[1]) || !std::isfinite(f.normale[2]))
            ROTTO("face %d normal not finite", j);
    }
    for (int s = 1; s < MAX_POLIEDRI; s++)
        if (ElencoPoliedri[s].numpunti || ElencoPoliedri[s].numfacce)
            ROTTO("slot %d not empty", s);
}

}  // namespace

void leggi_come(const char *nome, const uint8_t *dati, size_t n)
{
    char errore[512];
    errore[0] = '\0';
    if (!leggi_maglia(nome, reinterpret_cast<const char *>(dati), n, &maglia, errore,
                      sizeof errore)) {
        const size_t k = std::strlen(nome);
        if (std::strncmp(errore, nome, k) != 0 || errore[k] != ':')
            ROTTO("message does not name the file: %s", errore);
        if (std::strchr(errore, '\n') || std::strlen(errore) < k + 3)
            ROTTO("message not one line: %s", errore);
        if (maglia.numpunti || maglia.numfacce)
            ROTTO("refused, yet %d vertices and %d faces left", maglia.numpunti, maglia.numfacce);
        return;
    }
    controlla_maglia(maglia);
    const Maglia *una[] = {&maglia};
    metti_in_scena(una, 1);
    controlla_scena(maglia);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dati, size_t n)
{
    for (const char *nome : NOMI)
        leggi_come(nome, dati, n);
    return 0;
}
