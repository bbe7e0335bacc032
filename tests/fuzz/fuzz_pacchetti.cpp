// fuzz_pacchetti.cpp: libFuzzer target over the glTF and 3MF readers. Each
// input is read as it is (a GLB, or glTF JSON named .gltf), and, its bytes
// as 3MF model parts, inside a package the harness builds around them, once
// stored and once deflated, so that the XML reader is reached past the ZIP:
// the bytes up to a '\0' are the root part, those after it 3D/parte.model.
// After each reading: a refusal is one line without control bytes that
// names the file and leaves nothing read; an acceptance builds a scene that
// keeps the store's invariants.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "loading/formati.h"
#include "model/poliedro.h"
#include "tests/formats/pacchetti_prova.h"

#define ROTTO(...) \
    (std::fprintf(stderr, "\n*** invariant broken: " __VA_ARGS__), std::fputc('\n', stderr), std::abort())

namespace {

Maglia maglia;

void controlla_scena()
{
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
        if (f.numvertici < 3 || f.numvertici > MAX_VERTICI)
            ROTTO("face %d has %d vertices", j, f.numvertici);
        for (int k = 0; k < f.numvertici; k++)
            if (f.vertici[k] < 0 || f.vertici[k] >= p.numpunti)
                ROTTO("face %d index %d of %d vertices", j, f.vertici[k], p.numpunti);
        if (!std::isfinite(f.normale[0]) || !std::isfinite(f.normale[1]) ||
            !std::isfinite(f.normale[2]))
            ROTTO("face %d normal not finite", j);
    }
}

void leggi_come(const char *nome, const std::string &dati)
{
    char errore[512];
    errore[0] = '\0';
    if (!leggi_maglia(nome, dati.data(), dati.size(), &maglia, errore, sizeof errore)) {
        const size_t k = std::strlen(nome);
        if (std::strncmp(errore, nome, k) != 0 || errore[k] != ':')
            ROTTO("message does not name the file: %s", errore);
        for (const char *c = errore; *c; c++)
            if ((unsigned char)*c < ' ' || *c == 127)
                ROTTO("control byte %d in the message: %s", *c, errore);
        if (std::strlen(errore) < k + 3)
            ROTTO("message too short: %s", errore);
        return;
    }
    const Maglia *una[] = {&maglia};
    metti_in_scena(una, 1);
    controlla_scena();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dati, size_t n)
{
    const std::string d(reinterpret_cast<const char *>(dati), n);
    leggi_come("fuzz.gltf", d);
    if (n >= 4 && std::memcmp(dati, "glTF", 4) == 0)
        return 0;   // a GLB: read above, not XML
    // XML holds no '\0': what follows the first one is a second model part,
    // for components to reach by p:path.
    const size_t zero = d.find('\0');
    std::vector<std::pair<std::string, std::string>> parti = {{"3D/3dmodel.model", d.substr(0, zero)}};
    if (zero != std::string::npos)
        parti.push_back({"3D/parte.model", d.substr(zero + 1)});
    for (bool deflata : {false, true})
        leggi_come("fuzz.3mf", prova::pacchetto_3mf(parti, deflata));
    return 0;
}
