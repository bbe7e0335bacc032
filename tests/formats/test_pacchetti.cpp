// glTF and 3MF files against the same mesh written as OFF, compared in the
// store; then the hostile files, each refused with its one line.
#include <gtest/gtest.h>
#include <meshoptimizer.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "tests/formats/leggi_testo.h"

using namespace prova;

namespace {

// The polyhedron a file gives in slot 0, as the viewer builds it. `stampa`
// reads it as STL and 3MF are read, stood z up and smoothed.
std::vector<std::vector<double>> in_slot(const std::string &nome, const std::string &dati, bool stampa)
{
    static Maglia m;
    char err[512] = "", nota[512] = "";
    EXPECT_TRUE(leggi_maglia(nome.c_str(), dati.data(), dati.size(), &m, err, sizeof err)) << err;
    m.stampa = m.stampa || stampa;
    adatta_file(nome.c_str(), &m, nota, sizeof nota);
    in_scena(m);
    return scena(0);
}

// The file and the OFF give the same vertices, faces and colour letters; a
// 3MF the OFF's turned z up and smoothed.
void come_off(const std::string &nome, const std::string &dati, const std::string &off)
{
    EXPECT_EQ(in_slot(nome, dati, false), in_slot("atteso.off", off, nome.find(".3mf") != std::string::npos)) << nome;
}

// a, then b, its vertices after a's.
Triangoli unisci(Triangoli a, const Triangoli &b)
{
    for (uint32_t k : b.tri) a.tri.push_back(k + (uint32_t)a.pos.size() / 3);
    a.pos.insert(a.pos.end(), b.pos.begin(), b.pos.end());
    return a;
}

std::string buffer_di(const std::string &b)
{
    return "{\"byteLength\":" + std::to_string(b.size()) + ",\"uri\":\"" + uri_dati(b) + "\"}";
}

}  // namespace

TEST(Gltf, BuffersBesideTheModelOnDiskOrFromThePage)
{
    const Triangoli t = cubo();
    const std::string bin = bin_di(t);
    // Buffers beside the model, in its folder or among the files the page
    // hands over with it (by name only). The file above the folder exists:
    // reading it would have succeeded.
    const std::string via = mkdtemp(&std::string("/tmp/superficie-pacchetti-XXXXXX")[0]);
    const std::string file = via + "/dentro/m.gltf";
    mkdir((via + "/dentro").c_str(), 0700);
    std::ofstream(via + "/dentro/sotto dir.bin", std::ios::binary) << bin;
    std::ofstream(via + "/cubo.bin", std::ios::binary) << bin;
    const char *altri[] = {"altro.bin", "sotto dir.bin"}, *altri_dati[] = {"", bin.c_str()};
    const size_t altre_lunghezze[] = {0, bin.size()};
    const FileAccanto accanto = {2, altri, altri_dati, altre_lunghezze};
    const std::string su = "uri \"a/%2e%2e/../cubo.bin\" leaves the model's folder (only data: URIs and files beside "
                           "the model are read)";
    const struct { std::string uri, da_cartella, dalla_pagina; } casi[] = {
        {"sotto%20dir.bin", "", ""},   // percent-escapes name the file as it is on disk
        {"dati/sotto%20dir.bin", "dati/sotto dir.bin: No such file or directory", ""},
        {"manca.bin", "manca.bin: No such file or directory", "manca.bin: not among the files given with the model"},
        {"a/%2e%2e/../cubo.bin", su, su},
    };
    for (const auto &k : casi) {
        static Maglia m;
        char e[512] = "";
        const std::string gltf = gltf_di(t, k.uri);
        std::ofstream(file, std::ios::binary) << gltf;
        std::memset(ElencoPoliedri, 0, sizeof ElencoPoliedri);
        EXPECT_EQ(leggi_percorso(file.c_str(), &m, e, sizeof e), k.da_cartella.empty()) << e;
        EXPECT_EQ(e, k.da_cartella.empty() ? "" : file + ": buffers[0]: " + k.da_cartella);
        EXPECT_EQ(ElencoPoliedri[0].numfacce, 0) << "leggi_percorso touched the store";
        const auto [ok, uscita] = carica({{"m.gltf", gltf}}, &accanto);
        EXPECT_EQ(ok, k.dalla_pagina.empty()) << uscita;
        EXPECT_EQ(uscita, k.dalla_pagina.empty() ? "" : "m.gltf: buffers[0]: " + k.dalla_pagina);
    }
    std::system(("rm -rf '" + via + "'").c_str());
}

TEST(Gltf, StripsFansNodeTreesAndColours)
{
    // Four primitives over the cube's corners, each with its own copy of
    // them: half the triangles red by their material, half green by COLOR_0
    // (normalized RGBA bytes), a strip, which turns every other triangle,
    // and a fan. Node 0: a matrix scaling by 2 and moving by (10, 0, 0),
    // parent of node 1: T (0, 1, 0) R (120 degrees about (-1, -1, -1), x y z
    // to y z x, exact in doubles, w not first) S (1, 1, 3). Node 2 unmoved.
    const Triangoli q = cubo();
    std::string bin = bin_di(q) + byte_di(std::vector<uint32_t>{0, 1, 2, 3, 0, 1, 3, 2});
    for (int i = 0; i < 8; i++) bin += byte_di(std::vector<uint8_t>{0, 255, 0, 255});
    std::string j = gltf_da(
        "", "{\"attributes\":{\"POSITION\":0},\"indices\":1,\"material\":0},"
            "{\"attributes\":{\"POSITION\":0,\"COLOR_0\":3},\"indices\":2},"
            R"({"attributes":{"POSITION":0},"indices":4,"mode":5},{"attributes":{"POSITION":0},"indices":5,"mode":6})",
        buffer_di(bin), vista(0, 96) + "," + vista(96, 72) + "," + vista(168, 72) + "," + vista(272, 32) + "," +
                            vista(240, 16) + "," + vista(256, 16),
        accessorio(0, "5126", 8, "VEC3") + "," + accessorio(1, "5125", 18, "SCALAR") + "," +
            accessorio(2, "5125", 18, "SCALAR") + "," + accessorio(3, "5121,\"normalized\":true", 8, "VEC4") + "," +
            accessorio(4, "5125", 4, "SCALAR") + "," + accessorio(5, "5125", 4, "SCALAR"));
    j.replace(j.find("\"nodes\""), j.find("\"meshes\"") - j.find("\"nodes\""),
              "\"scene\":0,\"scenes\":[{\"nodes\":[0,2]}],\"nodes\":[{\"matrix\":[2,0,0,0, 0,2,0,0, 0,0,2,0, 10,0,0,1],"
              "\"children\":[1]},{\"mesh\":0,\"translation\":[0,1,0],\"rotation\":[0.5,0.5,0.5,-0.5],"
              "\"scale\":[1,1,3]},{\"mesh\":0}],"
              "\"materials\":[{\"pbrMetallicRoughness\":{\"baseColorFactor\":[0.9,0.1,0.1,1]}}],");
    Triangoli mesh = q;
    for (int c = 1; c < 4; c++) mesh.pos.insert(mesh.pos.end(), q.pos.begin(), q.pos.end());
    for (size_t k = 18; k < 36; k++) mesh.tri[k] += 8;
    mesh.tri.insert(mesh.tri.end(), {16, 17, 18, 18, 17, 19, 24, 25, 27, 24, 27, 26});
    const auto albero = [](double *p, size_t i) {   // the first copy, under node 0
        const double q[3] = {2 * p[1] + 10, 6 * p[2] + 2, 2 * p[0]};
        if (i < 32) std::copy(q, q + 3, p);
    };
    // Named without .gltf: told a glTF by its JSON.
    const auto colore = [](size_t k) { return std::string(k % 16 < 6 ? "1 0 0" : k % 16 < 12 ? "0 1 0" : ""); };
    come_off("albero", j, off_di(unisci(mesh, mesh), albero, colore));
}

TEST(Gltf, QuantizedShortAndCompressedBuffersReadAsTheirValues)
{
    // Buffers short enough to live inside their strings: the second one read
    // must not move the first, whose view the second primitive reads again.
    const Triangoli t = cubo(), c = {{0, 0, 0, 5, 0, 0, 0, 5, 0}, {0, 1, 2}, {}};
    const std::string pos("\0\0\0\5\0\0\0\5\0", 9), ind("\0\1\2", 3);
    std::string j = gltf_da("KHR_mesh_quantization", R"({"attributes":{"POSITION":0},"indices":1},{"attributes":{"POSITION":0},"indices":1})",
                            buffer_di(pos) + "," + buffer_di(ind), vista(0, 9) + "," + vista(0, 3, "", 1),
                            accessorio(0, "5120", 3, "VEC3") + "," + accessorio(1, "5121", 3, "SCALAR"));
    come_off("corti.gltf", j, off_di(unisci(c, c)));

    // A GLB. Its chunk, buffer 0, holds meshopt-compressed views of the
    // fallback buffer 1: the cube's vertices, its indices as triangles and as
    // a sequence. Buffer 2: SHORT positions padded to 8 bytes, the indices,
    // normalized UNSIGNED_SHORT positions.
    std::vector<int16_t> corti;
    std::vector<uint16_t> norm;
    for (size_t i = 0; i < t.pos.size(); i++) {
        corti.push_back((int16_t)(t.pos[i] * 3));
        norm.push_back((uint16_t)(t.pos[i] * 65535));
        if (i % 3 == 2) corti.push_back(0x7777);   // padding that must not be read
    }
    std::vector<unsigned char> v(meshopt_encodeVertexBufferBound(8, 12)), tri(meshopt_encodeIndexBufferBound(36, 8)),
        seq(meshopt_encodeIndexSequenceBound(36, 8));
    v.resize(meshopt_encodeVertexBuffer(v.data(), v.size(), t.pos.data(), 8, 12));
    tri.resize(meshopt_encodeIndexBuffer(tri.data(), tri.size(), t.tri.data(), 36));
    seq.resize(meshopt_encodeIndexSequence(seq.data(), seq.size(), t.tri.data(), 36));
    auto compressa = [&](size_t da, size_t quanti, int passo, int n, const std::string &m) {
        return ",\"extensions\":{\"EXT_meshopt_compression\":{\"buffer\":0,\"byteOffset\":" + std::to_string(da) +
               ",\"byteLength\":" + std::to_string(quanti) + ",\"byteStride\":" + std::to_string(passo) +
               ",\"count\":" + std::to_string(n) + ",\"mode\":\"" + m + "\"}}";
    };
    const std::string bin = byte_di(v) + byte_di(tri) + byte_di(seq);
    j = gltf_da("KHR_mesh_quantization\",\"EXT_meshopt_compression",
                R"({"attributes":{"POSITION":0},"indices":1},{"attributes":{"POSITION":0},"indices":2},)"
                R"({"attributes":{"POSITION":3},"indices":4},{"attributes":{"POSITION":5},"indices":4})",
                "{\"byteLength\":" + std::to_string(bin.size()) + "},{\"byteLength\":384,\"extensions\":"
                "{\"EXT_meshopt_compression\":{\"fallback\":true}}}," +
                    buffer_di(byte_di(corti) + byte_di(t.tri) + byte_di(norm)),
                vista(0, 96, ",\"byteStride\":12" + compressa(0, v.size(), 12, 8, "ATTRIBUTES"), 1) + "," +
                    vista(96, 144, compressa(v.size(), tri.size(), 4, 36, "TRIANGLES"), 1) + "," +
                    vista(240, 144, compressa(v.size() + tri.size(), seq.size(), 4, 36, "INDICES"), 1) + "," +
                    vista(0, 64, ",\"byteStride\":8", 2) + "," + vista(64, 144, "", 2) + "," + vista(208, 48, "", 2),
                accessorio(0, "5126", 8, "VEC3") + "," + accessorio(1, "5125", 36, "SCALAR") + "," +
                    accessorio(2, "5125", 36, "SCALAR") + "," + accessorio(3, "5122", 8, "VEC3") + "," +
                    accessorio(4, "5125", 36, "SCALAR") + "," + accessorio(5, "5123,\"normalized\":true", 8, "VEC3"));
    const auto triplo = [](double *p, size_t i) { for (int k = 0; k < 3 && i / 8 == 2; k++) p[k] *= 3; };
    come_off("m.bin", glb_di(j, bin), off_di(unisci(unisci(t, t), unisci(t, t)), triplo));   // a GLB by its magic
    // A compressed stream cut short does not decode.
    rifiutato("m.glb", glb_di(j, bin.substr(0, v.size() / 2) + std::string(bin.size() - v.size() / 2, '\0')),
              "m.glb: bufferViews[0].extensions.EXT_meshopt_compression: the compressed data does not decode (-3)");
}

TEST(TreMf, ComponentsAcrossPartsBuildTransformsAndColours)
{
    // The second model part holds the mesh, red by its base material but
    // for triangles 4 and 5 of a green colour group. The root, which only
    // the package's relationship names, holds it twice by p:path, once
    // moved; its build item scales by 2, moves by (0, 0, 7) and mirrors x,
    // which keeps the faces turned outwards. Stored, not deflated.
    const Triangoli t = cubo();
    std::string parte = modello(
        "<basematerials id=\"1\"><base name=\"a\" displaycolor=\"#0000FF\"/><base name=\"b\" displaycolor=\"#E01010FF\"/>"
        "</basematerials><m:colorgroup id=\"2\"><m:color color=\"#10E010\"/></m:colorgroup>"
        "<object id=\"3\" type=\"model\" pid=\"1\" pindex=\"1\">" + mesh_3mf(t) + "</object>", "");
    for (const std::string v : {"v1=\"0\" v2=\"1\" v3=\"4\"", "v1=\"1\" v2=\"5\" v3=\"4\""})   // triangles 4 and 5
        parte = cambia(parte, v, v + " pid=\"2\" p1=\"0\"");
    const std::string radice = modello(
        "<object id=\"5\" type=\"model\"><components><component p:path=\"/3D/Objects/parte.model\" objectid=\"3\"/>"
        "<component p:path=\"/3D/Objects/parte.model\" objectid=\"3\" transform=\"1 0 0 0 1 0 0 0 1 3 0 0\"/>"
        "</components></object>", "<item objectid=\"5\" transform=\"-2 0 0 0 2 0 0 0 2 0 0 7\"/>");
    Triangoli girato = t;
    for (size_t k = 0; k < girato.tri.size(); k += 3) std::swap(girato.tri[k + 1], girato.tri[k + 2]);
    const auto sposta = [](double *p, size_t i) {
        const double q[3] = {-2 * (p[0] + (i < 8 ? 0 : 3)), 2 * p[1], 2 * p[2] + 7};
        std::copy(q, q + 3, p);
    };
    come_off("p.3mf", pacchetto_3mf({{"3D/Altro.model", radice}, {"3D/Objects/parte.model", parte}}, false),
             off_di(unisci(girato, girato), sposta, [](size_t k) {
                 return std::string(k % 12 / 2 == 2 ? "0.0627 0.878 0.0627" : "0.878 0.0627 0.0627");
             }));
}

// Each hostile file: one line naming the file and the place, nothing read.
TEST(Ostili, FilesAreRefusedWithOneLineNamingThePlace)
{
    const Triangoli t = cubo();
    const std::string gltf = gltf_incorporato(t), modello_cubo = modello_3mf(t);
    auto g = [&](const std::string &da, const std::string &a) { return cambia(gltf, da, a); };
    auto tremf = [](const std::string &x) { return pacchetto_3mf({{"3D/3dmodel.model", x}}); };
    auto m = [&](const std::string &da, const std::string &a) { return tremf(cambia(modello_cubo, da, a)); };

    const std::string mib(1 << 20, '\0');   // deflated, a KB
    std::string crc = zip_di({{"[Content_Types].xml", "x", false}});
    crc[crc.rfind(std::string("PK\1\2", 4)) + 16] ^= 1;   // the CRC in the central directory
    // Components of components, a hundred each: a million cubes from a few kilobytes.
    std::string strati = "<object id=\"1\">" + mesh_3mf(t) + "</object>\n";
    for (int o = 2; o <= 4; o++) {
        strati += "<object id=\"" + std::to_string(o) + "\"><components>";
        for (int k = 0; k < 100; k++) strati += "<component objectid=\"" + std::to_string(o - 1) + "\"/>";
        strati += "</components></object>\n";
    }
    // Past 65536 vertices and triangles, four more for every byte read, packed or unpacked.
    const std::string stratificato = modello(strati, "<item objectid=\"4\"/>"), pila = tremf(stratificato);
    const size_t letti = pila.size() + stratificato.size() + sizeof TIPI_3MF - 1 + rels_3mf("3D/3dmodel.model").size();
    const std::string ciclo1 = modello("<object id=\"1\"><components>\n<component objectid=\"2\" "
                                       "p:path=\"/3D/due.model\"/></components></object>", "<item objectid=\"1\"/>");
    const std::string ciclo2 = modello("<object id=\"2\"><components>\n\n<component objectid=\"1\" "
                                       "p:path=\"/3D/3dmodel.model\"/></components></object>", "");

    const struct { std::string nome, file, atteso; } casi[] = {
        {"m.gltf", g("\"count\":8", "\"count\":18446744073709551615"),
         "accessors[0]: count 18446744073709551615 runs past bufferView 0 (96 bytes)"},
        {"m.gltf", g("\"byteLength\":96}", "\"byteLength\":96,\"byteStride\":8}"),
         "accessors[0]: bufferView 0's byteStride 8 is smaller than its element (12 bytes)"},
        {"m.gltf", g("\"byteLength\":144}", "\"byteLength\":1440}"),
         "bufferViews[1]: 1440 bytes at byte 96 run past buffer 0 (240 bytes)"},
        {"m.gltf", g("\"count\":8", "\"count\":7"), "accessors[1]: index 7 is not below POSITION's count 7"},
        {"m.gltf", g("\"scenes\"", "\"extensionsRequired\":[\"KHR_draco_mesh_compression\"],\"scenes\""),
         "extensionsRequired[0]: KHR_draco_mesh_compression, which this reader does not read"},
        {"m.gltf", g("\"nodes\":[{\"mesh\":0}]", "\"nodes\":[{\"mesh\":0,\"children\":[1]},{\"children\":[0]}]"),
         "nodes[0]: reached twice: the node hierarchy has a cycle or a node with two parents"},
        {"standard input", gltf_di(t, "cubo.bin"), "buffers[0]: cubo.bin: the model was not read from a folder"},
        {"l.gltf", g("\"indices\":1", "\"indices\":1,\"mode\":1"), "no triangles in the scene: nothing to show"},
        {"m.gltf", std::string(100000, '[') + "{\"asset\":1}",
         "byte 100011: JSON: Missing a comma or ']' after an array element."},
        {"z.3mf", zip_di({{"[Content_Types].xml", mib, true, 300u << 20}}),
         "[Content_Types].xml: unpacks to 314572800 bytes, past the 256 MiB a file may hold"},
        {"z.3mf", zip_di({{"[Content_Types].xml", mib, true, 1000}}),
         "[Content_Types].xml: inflates past the 1000 bytes its header gives: a ZIP bomb or a damaged entry"},
        // CRC-32 of "x": 8cdc1683.
        {"z.3mf", crc, "[Content_Types].xml: CRC 8cdc1683, its header says 8cdc1682: a corrupt entry"},
        {"z.3mf", crc.substr(0, crc.size() - 10), "ZIP archive without its end record: truncated or not a ZIP"},
        {"t.3mf", tremf("<?xml version=\"1.0\"?>\n<!DOCTYPE model [<!ENTITY a \"ha\"><!ENTITY b \"&a;&a;\">]>\n"
                        "<model>&b;</model>"),
         "3D/3dmodel.model:2: a DTD (<!DOCTYPE>): refused, its entities could expand without bound"},
        {"t.3mf", m("v3=\"1\"/>", "v3=\"8\"/>"), "3D/3dmodel.model:13: v3=8 is not below the object's 8 vertices"},
        {"t.3mf", m("x=\"1\"", "x=\"nan\""), "3D/3dmodel.model:5: x \"nan\" is not a finite number"},
        // Control bytes from the file are quoted, not written.
        {"t.3mf", m("x=\"1\"", "x=\"1&#10;2\""), "3D/3dmodel.model:5: x \"1?2\" is not a finite number"},
        {"t.3mf", tremf(modello("<object id=\"1\"><components><component objectid=\"1\" p:path=\"/3D/x&#10;y.model\"/>"
                                "</components></object>", "<item objectid=\"1\"/>")),
         "3D/3dmodel.model:3: the package holds no part /3D/x?y.model"},
        {"z.3mf", zip_di({{"\x1b[31mevil\nname", "x", false, 0xffffffffu}}),
         "?[31mevil?name: a ZIP64 entry, which this reader does not read"},
        {"t.3mf", pila, "3D/3dmodel.model:27: the build repeats its meshes past " + std::to_string(65536 + 4 * letti) +
                        " vertices and triangles"},
        {"t.3mf", pacchetto_3mf({{"3D/3dmodel.model", ciclo1}, {"3D/due.model", ciclo2}}),
         "3D/due.model:5: a component cycle: object 1 contains itself"},
    };
    for (const auto &c : casi) rifiutato(c.nome, c.file, c.nome + ": " + c.atteso);
}
