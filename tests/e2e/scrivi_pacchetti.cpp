// scrivi_pacchetti MESH DIR: the mesh read by the viewer's own readers,
// written again as DIR/m.glb, DIR/m.gltf with DIR/m.bin, and DIR/m.3mf, with
// the NOFF of the same numbers and normals beside them, DIR/m.noff. glTF
// keeps floats, so every number is rounded to a float before any file is
// written: the viewer then builds each file from the very same doubles.
#include <cstdio>
#include <fstream>
#include <string>

#include "loading/formati.h"
#include "tests/formats/pacchetti_prova.h"

using namespace prova;

static Maglia m;

int main(int argc, char **argv)
{
    char errore[512] = "usage: scrivi_pacchetti MESH DIR";
    if (argc != 3 || !leggi_percorso(argv[1], &m, errore, sizeof errore)) {
        std::fprintf(stderr, "%s\n", errore);
        return 2;
    }
    Triangoli t;
    for (const PuntoLetto &p : m.punti)
        for (int k = 0; k < 3; k++) {
            t.pos.push_back((float)p.pos[k]);
            t.nor.push_back((float)p.normale[k]);
        }
    for (const FacciaLetta &f : m.facce) {
        const int *v = &m.angoli[f.primo];
        for (int k = 1; k + 1 < f.numvertici; k++)
            t.tri.insert(t.tri.end(), {(uint32_t)v[0], (uint32_t)v[k], (uint32_t)v[k + 1]});
    }
    const auto scrivi = [&](const char *nome, const std::string &dati) {
        std::ofstream(std::string(argv[2]) + "/" + nome, std::ios::binary) << dati;
    };
    scrivi("m.gltf", gltf_di(t, "m.bin"));
    scrivi("m.bin", bin_di(t));
    scrivi("m.glb", glb_di(t));
    scrivi("m.3mf", pacchetto_3mf({{"3D/3dmodel.model", modello_3mf(t)}}));
    scrivi("m.noff", off_di(t));
}
