// scrivi_pacchetti --ostili DIR: hostile glTF and 3MF files, DIR/NAME.gltf
// or .3mf, each a way such a file can lie (see ostili below).
//
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

// A replacement in a copy of s.
static std::string con(std::string s, const std::string &da, const std::string &a)
{
    return s.replace(s.find(da), da.size(), a);
}

static void ostili(const std::string &dir)
{
    const Triangoli t = cubo();
    const std::string g = gltf_incorporato(t);
    scrivi(dir + "/oltre.gltf", con(g, "\"count\":8", "\"count\":900"));
    scrivi(dir + "/passo.gltf", con(g, "\"byteLength\":96}", "\"byteLength\":96,\"byteStride\":8}"));
    Triangoli fuori = t;
    fuori.tri[4] = 8;
    scrivi(dir + "/indice.gltf", gltf_incorporato(fuori));
    scrivi(dir + "/uscita.gltf", gltf_di(t, "../cubo.bin"));
    scrivi(dir + "/ciclo.gltf", con(g, "\"nodes\":[{\"mesh\":0}]",
                                    "\"nodes\":[{\"mesh\":0,\"children\":[1]},{\"children\":[0]}]"));
    scrivi(dir + "/draco.gltf", con(g, "\"scene\":0", "\"scene\":0,\"extensionsRequired\":[\"KHR_draco_mesh_compression\"]"));
    // 300 MiB of zeros, as the header says (bomba) and as it does not (bugiarda).
    std::string zeri = deflato(std::string(300u << 20, '\0'));
    for (uint32_t piena : {300u << 20, 1000u}) {
        std::vector<Voce> v = {{"[Content_Types].xml", TIPI_3MF}, {"_rels/.rels", rels_3mf("3D/3dmodel.model")}};
        Voce b("3D/3dmodel.model", "x");
        b.compressa = zeri;
        b.piena = piena;
        v.push_back(b);
        scrivi(dir + (piena == 1000 ? "/bugiarda.3mf" : "/bomba.3mf"), zip_di(v));
    }
    const std::string p = pacchetto_3mf({{"3D/3dmodel.model", modello_3mf(t)}});
    std::string crc = p;
    crc[crc.rfind(std::string("PK\1\2", 4)) + 16] ^= 1;
    scrivi(dir + "/crc.3mf", crc);
    scrivi(dir + "/tronca.3mf", p.substr(0, p.size() / 2));
    scrivi(dir + "/risate.3mf", pacchetto_3mf({{"3D/3dmodel.model",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE m [\n<!ENTITY a \"aaaaaaaaaa\">\n"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
        "]>\n<model>&c;</model>\n"}}));
    scrivi(dir + "/componenti.3mf", pacchetto_3mf({{"3D/3dmodel.model", std::string(TESTA_MODELLO) +
        "<resources><object id=\"1\"><components><component objectid=\"2\"/></components></object>\n"
        "<object id=\"2\"><components><component objectid=\"1\"/></components></object>\n"
        "</resources><build><item objectid=\"1\"/></build></model>\n"}}));
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--ostili") {
        ostili(argv[2]);
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: scrivi_pacchetti MESH DIR | --ostili DIR\n");
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
    std::ofstream(dir + "/m.gltf", std::ios::binary) << json;
    std::ofstream(dir + "/m.bin", std::ios::binary) << bin;
    std::string glb_json = json;
    glb_json.erase(glb_json.find(",\"uri\":\"m.bin\""), 14);
    std::ofstream(dir + "/m.glb", std::ios::binary) << glb_di(glb_json, bin);

    Triangoli t;
    t.pos = pos;
    t.tri = tri;
    std::ofstream(dir + "/m.3mf", std::ios::binary)
        << pacchetto_3mf({{"3D/3dmodel.model", modello_3mf(t)}});
    std::ofstream(dir + "/m.off", std::ios::binary) << off_di(t);
    std::string noff = "NOFF\n" + std::to_string(nv) + " " + std::to_string(nt) + " 0\n";
    for (size_t i = 0; i < nv; i++)
        noff += numero(pos[3 * i]) + " " + numero(pos[3 * i + 1]) + " " + numero(pos[3 * i + 2]) +
                " " + numero(nor[3 * i]) + " " + numero(nor[3 * i + 1]) + " " +
                numero(nor[3 * i + 2]) + "\n";
    for (size_t k = 0; k < nt; k++)
        noff += "3 " + std::to_string(tri[3 * k]) + " " + std::to_string(tri[3 * k + 1]) + " " +
                std::to_string(tri[3 * k + 2]) + "\n";
    std::ofstream(dir + "/m.noff", std::ios::binary) << noff;
    return 0;
}
