// fuzz_pacchetti.cpp: libFuzzer target over the glTF and 3MF readers. Each
// input is read as it is (a GLB, or glTF JSON named .gltf), and, its bytes
// as 3MF model parts, inside a package the harness builds around them, once
// stored and once deflated, so that the XML reader is reached past the ZIP:
// the bytes up to a '\0' are the root part, those after it 3D/parte.model.
// After each reading the checks of invarianti.h.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/formats/pacchetti_prova.h"
#include "tests/fuzz/invarianti.h"

Maglia maglia;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dati, size_t n)
{
    const std::string d(reinterpret_cast<const char *>(dati), n);
    if (leggi("fuzz.gltf", d.data(), n, maglia)) in_scena(maglia);
    if (n >= 4 && std::memcmp(dati, "glTF", 4) == 0)
        return 0;   // a GLB: read above, not XML
    // XML holds no '\0': what follows the first one is a second model part,
    // for components to reach by p:path.
    const size_t zero = d.find('\0');
    std::vector<std::pair<std::string, std::string>> parti = {{"3D/3dmodel.model", d.substr(0, zero)}};
    if (zero != std::string::npos)
        parti.push_back({"3D/parte.model", d.substr(zero + 1)});
    for (bool deflata : {false, true}) {
        const std::string zip = prova::pacchetto_3mf(parti, deflata);
        if (leggi("fuzz.3mf", zip.data(), zip.size(), maglia)) in_scena(maglia);
    }
    return 0;
}
