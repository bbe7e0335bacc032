// scrivi_pacchetti MESH DIR: the mesh read by the viewer's own readers,
// written again as DIR/m.glb, DIR/m.gltf with DIR/m.bin, and DIR/m.3mf, with
// the OFF of the same numbers beside them: DIR/m.noff with the vertex
// normals (what glTF shows), DIR/m.off without (3MF has none). glTF keeps
// floats, so every number is rounded to a float before any file is
// written: the viewer then builds each file from the very same doubles.
#include <cstdio>
#include <fstream>
#include <string>

#include "loading/formati.h"
#include "tests/formats/pacchetti_prova.h"

using namespace prova;

static Maglia m;

static void scrivi(const std::string &percorso, const std::string &dati)
{
    std::ofstream(percorso, std::ios::binary) << dati;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: scrivi_pacchetti MESH DIR\n");
        return 2;
    }
    char errore[512];
    if (!leggi_percorso(argv[1], &m, errore, sizeof errore)) {
        std::fprintf(stderr, "%s\n", errore);
        return 2;
    }
    const std::string dir = argv[2];
    std::vector<float> pos, nor;
    std::vector<uint32_t> tri;
    for (size_t i = 0; i < m.punti.size(); i++)
        for (int k = 0; k < 3; k++) {
            pos.push_back((float)m.punti[i].pos[k]);
            nor.push_back((float)m.punti[i].normale[k]);
        }
    for (const FacciaLetta &f : m.facce) {
        const int *v = &m.angoli[f.primo];
        for (int k = 1; k + 1 < f.numvertici; k++)
            tri.insert(tri.end(), {(uint32_t)v[0], (uint32_t)v[k], (uint32_t)v[k + 1]});
    }
    const size_t nv = pos.size() / 3, nt = tri.size() / 3;
    Triangoli t;
    t.pos = pos;
    t.tri = tri;
    // The test glTF with the normals after the indices, as accessor 2.
    const std::string bin = byte_di(pos) + byte_di(tri) + byte_di(nor);
    const auto con_normali = [&](std::string j) {
        const auto cambia = [&](const std::string &da, const std::string &a) { j.replace(j.find(da), da.size(), a); };
        cambia("{\"POSITION\":0}", "{\"POSITION\":0,\"NORMAL\":2}");
        cambia("\"byteLength\":" + std::to_string(12 * (nv + nt)), "\"byteLength\":" + std::to_string(bin.size()));
        cambia("}],\"accessors\"", "},{\"buffer\":0,\"byteOffset\":" + std::to_string(12 * (nv + nt)) +
                                   ",\"byteLength\":" + std::to_string(12 * nv) + "}],\"accessors\"");
        return j.insert(j.size() - 2, ",{\"bufferView\":2,\"componentType\":5126,\"count\":" +
                                          std::to_string(nv) + ",\"type\":\"VEC3\"}");
    };
    scrivi(dir + "/m.gltf", con_normali(gltf_di(t, "m.bin")));
    scrivi(dir + "/m.bin", bin);
    scrivi(dir + "/m.glb", glb_di(con_normali(gltf_di(t, "")), bin));
    scrivi(dir + "/m.3mf", pacchetto_3mf({{"3D/3dmodel.model", modello_3mf(t)}}));
    scrivi(dir + "/m.off", off_di(t));
    const auto tre = [](const float *v) { return numero(v[0]) + " " + numero(v[1]) + " " + numero(v[2]); };
    std::string noff = "NOFF\n" + std::to_string(nv) + " " + std::to_string(nt) + " 0\n";
    for (size_t i = 0; i < nv; i++)
        noff += tre(&pos[3 * i]) + " " + tre(&nor[3 * i]) + "\n";
    for (size_t k = 0; k < nt; k++)
        noff += "3 " + std::to_string(tri[3 * k]) + " " + std::to_string(tri[3 * k + 1]) + " " +
                std::to_string(tri[3 * k + 2]) + "\n";
    scrivi(dir + "/m.noff", noff);
    return 0;
}
