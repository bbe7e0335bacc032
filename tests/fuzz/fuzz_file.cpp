// fuzz_file.cpp: libFuzzer target over every reader. Each input is a whole
// file, read under three names, since OBJ is known only by its extension and
// an unmarked .stl goes to the STL reader. After each reading: a refusal is
// one line that names the file and leaves nothing read; an acceptance leaves
// a well-formed Maglia, which is then fitted to small limits taken from the
// input's last bytes (so that inputs of a few KiB reach the fitting), must
// fit them, and the scene built from it keeps the store's invariants.
// Inputs are plain mesh files, so the corpus and the regression files open
// in any mesh tool.
#include <cstddef>
#include <cstdint>

#include "loading/formati.h"
#include "mesh/adatta.h"
#include "tests/fuzz/invarianti.h"

namespace {

Maglia maglia;
// Relative: the centre and radius are computed again from the placed vertices.
constexpr double TOLL_RAGGIO = 1e-9;

// A Maglia as the readers leave it, or within max_punti and max_facce.
void controlla_maglia(const Maglia &m, size_t max_punti, size_t max_facce)
{
    const size_t np = m.punti.size(), nf = m.facce.size();
    if (np < 1 || np > max_punti || nf < 1 || nf > max_facce)
        ROTTO("counts %zu vertices, %zu faces (limits %zu, %zu)", np, nf, max_punti, max_facce);
    for (size_t i = 0; i < np; i++)
        for (int k = 0; k < 3; k++)
            if (!std::isfinite(m.punti[i].pos[k]) || std::fabs(m.punti[i].pos[k]) > COORDINATA_MASSIMA ||
                (m.normali && !std::isfinite(m.punti[i].normale[k])))
                ROTTO("vertex %zu not finite or absurd", i);
    for (size_t j = 0; j < nf; j++) {
        const FacciaLetta &f = m.facce[j];
        if (f.numvertici < 3 || f.numvertici > MAX_VERTICI)
            ROTTO("face %zu has %d vertices", j, f.numvertici);
        if (f.primo < 0 || (size_t)f.primo + (size_t)f.numvertici > m.angoli.size())
            ROTTO("face %zu corners %d..+%d of %zu", j, f.primo, f.numvertici, m.angoli.size());
        for (int k = 0; k < f.numvertici; k++) {
            const int v = m.angoli[(size_t)(f.primo + k)];
            if (v < 0 || (size_t)v >= np) ROTTO("face %zu index %d of %zu vertices", j, v, np);
        }
        for (int c = 0; c < 3; c++)
            if (f.colorata && !(f.colore[c] >= 0.0f && f.colore[c] <= 1.0f))
                ROTTO("face %zu colour %g", j, f.colore[c]);
    }
}

// Besides in_scena's checks: all of m, scaled to the scene's radius unless the
// file's own is too small to scale from (then kept).
void controlla_messa(const Maglia &m)
{
    const Poliedro &p = ElencoPoliedri[0];
    if ((size_t)p.numpunti != m.punti.size() || (size_t)p.numfacce != m.facce.size())
        ROTTO("slot 0 has %d vertices, %d faces; read %zu, %zu", p.numpunti, p.numfacce,
              m.punti.size(), m.facce.size());
    if (!(std::fabs(p.raggio - RAGGIO_SCENA) <= TOLL_RAGGIO * RAGGIO_SCENA || p.raggio < 1e-300))
        ROTTO("radius %.17g", p.raggio);
    for (int j = 0; j < p.numfacce; j++)
        if (p.facce[j].numvertici != m.facce[j].numvertici)
            ROTTO("face %d built with %d vertices", j, p.facce[j].numvertici);
}

}  // namespace

// Small limits for the fitting, from the input's last two bytes.
constexpr int MINIMI_PUNTI = 3, MINIMI_FACCE = 1, SPAN_LIMITI = 64;

void leggi_come(const char *nome, const uint8_t *dati, size_t n)
{
    if (!leggi(nome, reinterpret_cast<const char *>(dati), n, maglia)) return;
    controlla_maglia(maglia, (size_t)-1, (size_t)-1);
    const int max_punti = MINIMI_PUNTI + (n > 1 ? dati[n - 2] % SPAN_LIMITI : 0);
    const int max_facce = MINIMI_FACCE + (n > 0 ? dati[n - 1] % SPAN_LIMITI : 0);
    const size_t facce = maglia.facce.size(), punti = maglia.punti.size();
    const bool adattata = adatta_maglia(maglia, max_punti, max_facce);
    if (adattata != (facce > (size_t)max_facce || punti > (size_t)max_punti))
        ROTTO("fitted %d for %zu vertices, %zu faces into %d, %d", adattata, punti, facce,
              max_punti, max_facce);
    controlla_maglia(maglia, (size_t)max_punti, (size_t)max_facce);
    in_scena(maglia);
    controlla_messa(maglia);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dati, size_t n)
{
    for (const char *nome : {"fuzz.obj", "fuzz.stl", "fuzz.off"}) leggi_come(nome, dati, n);
    return 0;
}
