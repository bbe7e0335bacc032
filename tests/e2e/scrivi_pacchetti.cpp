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
    const std::string bin = byte_di(pos) + byte_di(nor) + byte_di(tri);
    const std::string json = [&](const std::string &uri) {
        return "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],"
               "\"nodes\":[{\"mesh\":0}],\"meshes\":[{\"primitives\":[{\"attributes\":"
               "{\"POSITION\":0,\"NORMAL\":1},\"indices\":2}]}],\"buffers\":[{\"byteLength\":" +
               std::to_string(bin.size()) + uri + "}],\"bufferViews\":["
               "{\"buffer\":0,\"byteLength\":" + std::to_string(nv * 12) + "},"
               "{\"buffer\":0,\"byteOffset\":" + std::to_string(nv * 12) + ",\"byteLength\":" +
               std::to_string(nv * 12) + "},"
               "{\"buffer\":0,\"byteOffset\":" + std::to_string(nv * 24) + ",\"byteLength\":" +
               std::to_string(nt * 12) + "}],\"accessors\":["
               "{\"bufferView\":0,\"componentType\":5126,\"count\":" + std::to_string(nv) +
               ",\"type\":\"VEC3\"},{\"bufferView\":1,\"componentType\":5126,\"count\":" +
               std::to_string(nv) + ",\"type\":\"VEC3\"},{\"bufferView\":2,\"componentType\":5125,"
               "\"count\":" + std::to_string(nt * 3) + ",\"type\":\"SCALAR\"}]}";
    }(",\"uri\":\"m.bin\"");
    scrivi(dir + "/m.gltf", json);
    scrivi(dir + "/m.bin", bin);
    std::string glb_json = json;
    glb_json.erase(glb_json.find(",\"uri\":\"m.bin\""), 14);
    scrivi(dir + "/m.glb", glb_di(glb_json, bin));

    Triangoli t;
    t.pos = pos;
    t.tri = tri;
    scrivi(dir + "/m.3mf", pacchetto_3mf({{"3D/3dmodel.model", modello_3mf(t)}}));
    scrivi(dir + "/m.off", off_di(t));
    std::string noff = "NOFF\n" + std::to_string(nv) + " " + std::to_string(nt) + " 0\n";
    for (size_t i = 0; i < nv; i++)
        noff += numero(pos[3 * i]) + " " + numero(pos[3 * i + 1]) + " " + numero(pos[3 * i + 2]) +
                " " + numero(nor[3 * i]) + " " + numero(nor[3 * i + 1]) + " " +
                numero(nor[3 * i + 2]) + "\n";
    for (size_t k = 0; k < nt; k++)
        noff += "3 " + std::to_string(tri[3 * k]) + " " + std::to_string(tri[3 * k + 1]) + " " +
                std::to_string(tri[3 * k + 2]) + "\n";
    scrivi(dir + "/m.noff", noff);
    return 0;
}
