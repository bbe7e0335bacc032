// glTF (embedded, GLB, external buffers; strips, fans, node trees,
// quantized and meshopt-compressed data, colours) and 3MF (stored and
// deflated, components across parts, build transforms, colours): each
// against the same mesh written as OFF, compared in the store. Then the
// hostile files, each refused with its one line.
#include <gtest/gtest.h>
#include <meshoptimizer.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "model/poliedro.h"
#include "tests/formats/leggi_testo.h"
#include "tests/formats/pacchetti_prova.h"

using namespace prova;

namespace {

// Transforms of non-integer angles round each coordinate once or twice.
constexpr double TOLL_TRASFORMATA = 1e-9;
// Vertex normals renormalised after the inverse transpose: a few ulps.
constexpr double TOLL_NORMALE = 1e-12;

// The polyhedron a file gives in slot 0, as the viewer builds it (fitted
// where it must be), copied away; nota is the fitting's line.
struct Esito {
    bool ok;
    std::string errore;
};
std::string nota;
Esito in_slot(const std::string &nome, const std::string &dati, Poliedro *dove)
{
    static Maglia m;
    char e[512] = "", n[512] = "";
    if (!leggi_maglia(nome.c_str(), dati.data(), dati.size(), &m, e, sizeof e))
        return Esito{false, e};
    adatta_file(nome.c_str(), &m, n, sizeof n);
    nota = n;
    const Maglia *una[] = {&m};
    metti_in_scena(una, 1);
    *dove = ElencoPoliedri[0];
    return Esito{true, ""};
}

Poliedro a, b;

// The file and the OFF give the same polyhedron in the store: vertices,
// normals, faces and their colour letters.
::testing::AssertionResult come_off(const std::string &nome, const std::string &dati,
                                    const std::string &off, double toll = 0.0)
{
    const Esito e = in_slot(nome, dati, &a);
    if (!e.ok)
        return ::testing::AssertionFailure() << nome << ": " << e.errore;
    const Esito o = in_slot("atteso.off", off, &b);
    if (!o.ok)
        return ::testing::AssertionFailure() << "the OFF: " << o.errore;
    if (a.numpunti != b.numpunti || a.numfacce != b.numfacce || a.liscio != b.liscio)
        return ::testing::AssertionFailure() << a.numpunti << " vertices, " << a.numfacce
                                             << " faces, liscio " << a.liscio << "; the OFF "
                                             << b.numpunti << ", " << b.numfacce << ", "
                                             << b.liscio;
    for (int i = 0; i < a.numpunti; i++) {
        const Punto &p = a.punti[i], &q = b.punti[i];
        if (std::fabs(p.x - q.x) > toll || std::fabs(p.y - q.y) > toll ||
            std::fabs(p.z - q.z) > toll)
            return ::testing::AssertionFailure() << "vertex " << i << " at " << p.x << " " << p.y
                                                 << " " << p.z << ", the OFF's at " << q.x
                                                 << " " << q.y << " " << q.z;
    }
    for (int j = 0; j < a.numfacce; j++) {
        const Faccia &f = a.facce[j], &g = b.facce[j];
        // The same face from any of its corners (meshopt's codec may start
        // a triangle elsewhere).
        bool stessa = false;
        for (int r = 0; r < f.numvertici && !stessa; r++) {
            stessa = f.numvertici == g.numvertici && f.codicecolore == g.codicecolore;
            for (int k = 0; stessa && k < f.numvertici; k++)
                stessa = f.vertici[(k + r) % f.numvertici] == g.vertici[k];
        }
        if (!stessa)
            return ::testing::AssertionFailure()
                   << "face " << j << ": " << f.vertici[0] << " " << f.vertici[1] << " "
                   << f.vertici[2] << " '" << f.codicecolore << "', the OFF's " << g.vertici[0]
                   << " " << g.vertici[1] << " " << g.vertici[2] << " '" << g.codicecolore
                   << "'";
    }
    return ::testing::AssertionSuccess();
}

// A folder of its own for files that refer to others.
struct Cartella {
    std::string via;
    Cartella()
    {
        char t[] = "/tmp/superficie-pacchetti-XXXXXX";
        via = mkdtemp(t);
    }
    ~Cartella() { std::system(("rm -rf '" + via + "'").c_str()); }
    std::string scrivi(const std::string &nome, const std::string &dati) const
    {
        std::ofstream(via + "/" + nome, std::ios::binary) << dati;
        return via + "/" + nome;
    }
};

std::string per_percorso(const std::string &percorso, bool *ok)
{
    static Maglia m;
    char e[512] = "";
    *ok = leggi_percorso(percorso.c_str(), &m, e, sizeof e);
    return e;
}

}  // namespace

TEST(Gltf, EmbeddedBinaryAndExternalBuffersGiveTheOffCube)
{
    const Triangoli t = cubo();
    const std::string off = off_di(t);
    EXPECT_TRUE(come_off("cubo.gltf", gltf_incorporato(t), off));
    // The JSON tells glTF apart without its name; GLB by its magic.
    EXPECT_TRUE(come_off("cubo", gltf_incorporato(t), off));
    EXPECT_TRUE(come_off("cubo.bin", glb_di(t), off));

    Cartella c;
    c.scrivi("cubo.bin", byte_di(t.pos) + byte_di(t.tri));
    c.scrivi("sotto dir.bin", byte_di(t.pos) + byte_di(t.tri));
    const std::string g = c.scrivi("cubo.gltf", gltf_di(t, "cubo.bin"));
    bool ok;
    std::memset(ElencoPoliedri, 0, sizeof ElencoPoliedri);
    std::string e = per_percorso(g, &ok);
    EXPECT_TRUE(ok) << e;
    EXPECT_EQ(ElencoPoliedri[0].numfacce, 0) << "leggi_percorso touched the store";
    // Percent-escapes in a URI name the file as it is on disk.
    e = per_percorso(c.scrivi("spazio.gltf", gltf_di(t, "sotto%20dir.bin")), &ok);
    EXPECT_TRUE(ok) << e;
    e = per_percorso(c.scrivi("manca.gltf", gltf_di(t, "manca.bin")), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(e, c.via + "/manca.gltf: buffers[0]: manca.bin: No such file or directory");
}

TEST(Gltf, ThePagesFilesPickedWithTheModelHoldItsBuffers)
{
    // As the page hands them over: the .gltf to read, its .bin beside it
    // by name only, though the URI names a folder.
    const Triangoli t = cubo();
    const std::string gltf = gltf_di(t, "dati/cubo.bin"), bin = byte_di(t.pos) + byte_di(t.tri);
    const char *nomi[] = {"cubo.gltf"}, *dati[] = {gltf.c_str()};
    const size_t lunghezze[] = {gltf.size()};
    const char *altri[] = {"altro.bin", "cubo.bin"}, *altri_dati[] = {"", bin.c_str()};
    const size_t altre_lunghezze[] = {0, bin.size()};
    const FileAccanto accanto = {2, altri, altri_dati, altre_lunghezze};
    char e[512] = "";
    std::memset(ElencoPoliedri, 0, sizeof ElencoPoliedri);
    EXPECT_TRUE(carica_dati(nomi, dati, lunghezze, 1, e, sizeof e, nullptr, 0, &accanto)) << e;
    EXPECT_EQ(ElencoPoliedri[0].numfacce, 12);
    // Without it, the message names the missing file.
    const FileAccanto uno = {1, altri, altri_dati, altre_lunghezze};
    EXPECT_FALSE(carica_dati(nomi, dati, lunghezze, 1, e, sizeof e, nullptr, 0, &uno));
    EXPECT_STREQ(e, "cubo.gltf: buffers[0]: dati/cubo.bin: not among the files given with the model");
}

TEST(Gltf, StripsAndFansAreTriangulatedWithTheirWinding)
{
    // A square of four corners in the z = 0 plane, counter-clockwise seen
    // from +z, as a strip 0 1 3 2 and as a fan 0 1 2 3; a tip above makes it solid.
    Triangoli t;
    t.pos = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0.5f, 0.5f, 1};
    // Strip: triangles (0 1 3) and (1 2 3) (every other one turned round).
    Triangoli atteso = t;
    atteso.tri = {0, 1, 3, 1, 2, 3};
    Triangoli striscia = t;
    striscia.tri = {0, 1, 3, 2};
    EXPECT_TRUE(come_off("s.gltf", gltf_incorporato(striscia, "", ",\"mode\":5"), off_di(atteso)));
    // Fan: (1 2 0) and (2 3 0), the centre last.
    atteso.tri = {1, 2, 0, 2, 3, 0};
    Triangoli ventaglio = t;
    ventaglio.tri = {0, 1, 2, 3};
    EXPECT_TRUE(come_off("v.gltf", gltf_incorporato(ventaglio, "", ",\"mode\":6"), off_di(atteso)));
    // Points and lines alone: nothing to show.
    const Letto r = leggi("l.gltf", gltf_incorporato(ventaglio, "", ",\"mode\":1"));
    EXPECT_EQ(r.errore, "l.gltf: no triangles in the scene: nothing to show");
}

TEST(Gltf, NodeTreeWithMatrixAndTrsPlacesEveryInstance)
{
    const Triangoli t = cubo();
    const std::string bin = byte_di(t.pos) + byte_di(t.tri);
    // Node 0: a column-major matrix scaling by 2 and moving by (10, 0, 0),
    // parent of node 1: T (0, 1, 0) R (90 degrees about z) S (1, 1, 3),
    // holding the mesh. Node 2, a root of its own, holds it unmoved.
    const double s = std::sqrt(0.5);
    std::string j = gltf_di(t, uri_dati(bin));
    const std::string nodi =
        "\"scenes\":[{\"nodes\":[0,2]}],\"nodes\":["
        "{\"matrix\":[2,0,0,0, 0,2,0,0, 0,0,2,0, 10,0,0,1],\"children\":[1]},"
        "{\"mesh\":0,\"translation\":[0,1,0],\"rotation\":[0,0," + numero(s) + "," + numero(s) +
        "],\"scale\":[1,1,3]},{\"mesh\":0}],";
    j.replace(j.find("\"scenes\""), j.find("\"meshes\"") - j.find("\"scenes\""), nodi);
    // By hand: S then R: (x, y, 3z) -> (-y, x, 3z); then T: (-y, x + 1, 3z);
    // then the parent: (10 - 2y, 2x + 2, 6z).
    Triangoli due = t;
    for (uint32_t i : t.tri)
        due.tri.push_back(i + 8);
    for (float x : t.pos)
        due.pos.push_back(x);
    std::string off = off_di(due, [](double *) {}, [](size_t) { return std::string(); });
    const std::string primi = off_di(
        t, [](double *p) {
            const double x = p[0], y = p[1], z = p[2];
            p[0] = 10 - 2 * y, p[1] = 2 * x + 2, p[2] = 6 * z;
        },
        [](size_t) { return std::string(); });
    // The OFF of both instances: the moved cube's vertices, then the plain ones.
    std::string v1 = primi.substr(primi.find('\n', 4) + 1);
    v1 = v1.substr(0, v1.find("3 "));
    std::string v2 = off_di(t).substr(off_di(t).find('\n', 4) + 1);
    v2 = v2.substr(0, v2.find("3 "));
    std::string facce = off.substr(off.find("\n3 ") + 1);
    off = "OFF\n16 24 0\n" + v1 + v2 + facce;
    EXPECT_TRUE(come_off("albero.gltf", j, off, TOLL_TRASFORMATA));
}

TEST(Gltf, NormalsGoThroughTheInverseTransposeAndMakeItSmooth)
{
    // One triangle in the plane x + y = 1 with its normal, scaled by 2
    // along x: the plane becomes x / 2 + y = 1, normal (1/2, 1, 0) normalised.
    std::vector<float> pos = {1, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 1};
    const float r = (float)std::sqrt(0.5);
    std::vector<float> nor = {r, r, 0, r, r, 0, r, r, 0, r, r, 0};
    std::vector<uint32_t> tri = {0, 1, 2, 2, 1, 3};
    const std::string bin = byte_di(pos) + byte_di(nor) + byte_di(tri);
    const std::string j =
        "{\"asset\":{\"version\":\"2.0\"},\"nodes\":[{\"mesh\":0,\"scale\":[2,1,1]}],"
        "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0,\"NORMAL\":1},\"indices\":2}]}],"
        "\"buffers\":[{\"byteLength\":" + std::to_string(bin.size()) + ",\"uri\":\"" + uri_dati(bin) +
        "\"}],\"bufferViews\":[{\"buffer\":0,\"byteLength\":48},{\"buffer\":0,\"byteOffset\":48,"
        "\"byteLength\":48},{\"buffer\":0,\"byteOffset\":96,\"byteLength\":24}],"
        "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":4,\"type\":\"VEC3\"},"
        "{\"bufferView\":1,\"componentType\":5126,\"count\":4,\"type\":\"VEC3\"},"
        "{\"bufferView\":2,\"componentType\":5125,\"count\":6,\"type\":\"SCALAR\"}]}";
    const Letto l = leggi("n.gltf", j);
    ASSERT_TRUE(l.ok) << l.errore;
    EXPECT_EQ(l.m.normali, 1);
    const double n[3] = {0.5 / std::sqrt(1.25), 1.0 / std::sqrt(1.25), 0.0};
    for (int i = 0; i < (int)l.m.punti.size(); i++)
        for (int k = 0; k < 3; k++)
            EXPECT_NEAR(l.m.punti[i].normale[k], n[k], TOLL_NORMALE) << i;
    EXPECT_EQ(l.m.punti[0].pos[0], 2.0);
}

TEST(Gltf, QuantizedPositionsWithAStrideReadAsTheirValues)
{
    // KHR_mesh_quantization: SHORT positions padded to 8 bytes, and
    // normalized UNSIGNED_SHORT ones (0 and 65535 are 0 and 1).
    const Triangoli t = cubo();
    std::vector<int16_t> corti;
    std::vector<uint16_t> norm;
    for (size_t i = 0; i < t.pos.size(); i += 3) {
        for (int k = 0; k < 3; k++) {
            corti.push_back((int16_t)(t.pos[i + k] * 3));
            norm.push_back((uint16_t)(t.pos[i + k] * 65535));
        }
        corti.push_back(0x7777);   // padding that must not be read
    }
    for (const auto &caso : {std::make_pair(byte_di(corti), std::string(",\"byteStride\":8")),
                             std::make_pair(byte_di(norm), std::string())}) {
        const bool normalizzato = caso.second.empty();
        std::string j = gltf_incorporato(t);
        const std::string bin = caso.first + byte_di(t.tri);
        j = "{\"asset\":{\"version\":\"2.0\"},\"extensionsUsed\":[\"KHR_mesh_quantization\"],"
            "\"extensionsRequired\":[\"KHR_mesh_quantization\"],\"nodes\":[{\"mesh\":0}],"
            "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0},\"indices\":1}]}],"
            "\"buffers\":[{\"byteLength\":" + std::to_string(bin.size()) + ",\"uri\":\"" +
            uri_dati(bin) + "\"}],\"bufferViews\":[{\"buffer\":0,\"byteLength\":" +
            std::to_string(caso.first.size()) + caso.second + "},{\"buffer\":0,\"byteOffset\":" +
            std::to_string(caso.first.size()) + ",\"byteLength\":144}],\"accessors\":["
            "{\"bufferView\":0,\"componentType\":" + (normalizzato ? "5123,\"normalized\":true" : "5122") +
            ",\"count\":8,\"type\":\"VEC3\"},"
            "{\"bufferView\":1,\"componentType\":5125,\"count\":36,\"type\":\"SCALAR\"}]}";
        const double f = normalizzato ? 1.0 : 3.0;
        EXPECT_TRUE(come_off("q.gltf", j,
                             off_di(t, [f](double *p) { p[0] *= f, p[1] *= f, p[2] *= f; },
                                    [](size_t) { return std::string(); })))
            << (normalizzato ? "normalized" : "short");
    }
}

TEST(Gltf, MeshoptCompressedBuffersDecodeToTheSameCube)
{
    const Triangoli t = cubo();
    std::vector<unsigned char> v(meshopt_encodeVertexBufferBound(8, 12));
    v.resize(meshopt_encodeVertexBuffer(v.data(), v.size(), t.pos.data(), 8, 12));
    std::vector<unsigned char> ind(meshopt_encodeIndexBufferBound(36, 8));
    ind.resize(meshopt_encodeIndexBuffer(ind.data(), ind.size(), t.tri.data(), 36));
    std::vector<unsigned char> seq(meshopt_encodeIndexSequenceBound(36, 8));
    seq.resize(meshopt_encodeIndexSequence(seq.data(), seq.size(), t.tri.data(), 36));
    for (const char *modo : {"TRIANGLES", "INDICES"}) {
        const std::vector<unsigned char> &iv = std::string(modo) == "TRIANGLES" ? ind : seq;
        const std::string bin = byte_di(v) + byte_di(iv);
        const std::string j =
            "{\"asset\":{\"version\":\"2.0\"},\"extensionsUsed\":[\"EXT_meshopt_compression\"],"
            "\"extensionsRequired\":[\"EXT_meshopt_compression\"],\"nodes\":[{\"mesh\":0}],"
            "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0},\"indices\":1}]}],"
            "\"buffers\":[{\"byteLength\":" + std::to_string(bin.size()) + "},"
            "{\"byteLength\":240,\"extensions\":{\"EXT_meshopt_compression\":{\"fallback\":true}}}],"
            "\"bufferViews\":[{\"buffer\":1,\"byteLength\":96,\"byteStride\":12,\"extensions\":"
            "{\"EXT_meshopt_compression\":{\"buffer\":0,\"byteLength\":" + std::to_string(v.size()) +
            ",\"byteStride\":12,\"count\":8,\"mode\":\"ATTRIBUTES\"}}},"
            "{\"buffer\":1,\"byteOffset\":96,\"byteLength\":144,\"extensions\":"
            "{\"EXT_meshopt_compression\":{\"buffer\":0,\"byteOffset\":" + std::to_string(v.size()) +
            ",\"byteLength\":" + std::to_string(iv.size()) + ",\"byteStride\":4,\"count\":36,"
            "\"mode\":\"" + modo + "\"}}}],"
            "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":8,\"type\":\"VEC3\"},"
            "{\"bufferView\":1,\"componentType\":5125,\"count\":36,\"type\":\"SCALAR\"}]}";
        EXPECT_TRUE(come_off("m.glb", glb_di(j, bin), off_di(t))) << modo;
        // A compressed stream cut short does not decode.
        const Letto r = leggi("m.glb", glb_di(j, bin.substr(0, v.size() / 2) + std::string(bin.size() - v.size() / 2, '\0')));
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.errore.find("m.glb: bufferViews[0].extensions.EXT_meshopt_compression: the "
                                "compressed data does not decode"), std::string::npos)
            << r.errore;
    }
}

TEST(Gltf, MaterialAndVertexColoursColourTheFaces)
{
    const Triangoli t = cubo();
    // Two primitives over the same vertices: half the triangles red by
    // their material, half green by COLOR_0 (normalized bytes, RGBA).
    std::vector<uint8_t> colori;
    for (int i = 0; i < 8; i++)
        colori.insert(colori.end(), {0, 255, 0, 255});
    const std::string bin = byte_di(t.pos) + byte_di(t.tri) + byte_di(colori);
    const std::string j =
        "{\"asset\":{\"version\":\"2.0\"},\"nodes\":[{\"mesh\":0}],"
        "\"materials\":[{\"pbrMetallicRoughness\":{\"baseColorFactor\":[0.9,0.1,0.1,1]}}],"
        "\"meshes\":[{\"primitives\":["
        "{\"attributes\":{\"POSITION\":0},\"indices\":1,\"material\":0},"
        "{\"attributes\":{\"POSITION\":0,\"COLOR_0\":3},\"indices\":2}]}],"
        "\"buffers\":[{\"byteLength\":" + std::to_string(bin.size()) + ",\"uri\":\"" + uri_dati(bin) +
        "\"}],\"bufferViews\":[{\"buffer\":0,\"byteLength\":96},"
        "{\"buffer\":0,\"byteOffset\":96,\"byteLength\":144},"
        "{\"buffer\":0,\"byteOffset\":240,\"byteLength\":32}],"
        "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":8,\"type\":\"VEC3\"},"
        "{\"bufferView\":1,\"componentType\":5125,\"count\":18,\"type\":\"SCALAR\"},"
        "{\"bufferView\":1,\"byteOffset\":72,\"componentType\":5125,\"count\":18,\"type\":\"SCALAR\"},"
        "{\"bufferView\":2,\"componentType\":5121,\"normalized\":true,\"count\":8,\"type\":\"VEC4\"}]}";
    // Each primitive brings its own copy of the 8 vertices.
    Triangoli due = t;
    due.pos.insert(due.pos.end(), t.pos.begin(), t.pos.end());
    for (size_t k = 18; k < 36; k++)
        due.tri[k] += 8;
    EXPECT_TRUE(come_off("c.gltf", j,
                         off_di(due, [](double *) {},
                                [](size_t k) { return std::string(k < 6 ? "1 0 0" : "0 1 0"); })));
}

TEST(TreMf, StoredAndDeflatedPackagesGiveTheOffCube)
{
    const Triangoli t = cubo();
    for (bool deflata : {false, true})
        EXPECT_TRUE(come_off("cubo.3mf", pacchetto_3mf({{"3D/3dmodel.model", modello_3mf(t)}}, deflata),
                             off_di(t)))
            << (deflata ? "deflated" : "stored");
    // The model part found through the relationships, under another name.
    EXPECT_TRUE(come_off("altro.3mf", pacchetto_3mf({{"3D/Altro.model", modello_3mf(t)}}), off_di(t)));
}

TEST(TreMf, ComponentsAcrossPartsBuildTransformsAndColours)
{
    const Triangoli t = cubo();
    // Part 2 holds the mesh, red from its base materials except two green
    // triangles of a colour group. The root's object 5 holds it twice by
    // p:path, once moved; its build item scales all by 2 and moves by (0, 0, 7).
    const std::string colorata = std::string(TESTA_MODELLO) +
        "<resources><basematerials id=\"1\"><base name=\"a\" displaycolor=\"#0000FF\"/>"
        "<base name=\"b\" displaycolor=\"#E01010FF\"/></basematerials>"
        "<m:colorgroup id=\"2\"><m:color color=\"#10E010\"/></m:colorgroup>"
        "<object id=\"3\" type=\"model\" pid=\"1\" pindex=\"1\">" +
        mesh_3mf(t) + "</object></resources><build/></model>\n";
    std::string parte = colorata;
    // Triangles 4 and 5 by the colour group.
    for (int k = 0, p = 0; k < 6; k++) {
        p = (int)parte.find("<triangle ", p) + 1;
        if (k >= 4)
            parte.insert(parte.find("/>", p), " pid=\"2\" p1=\"0\"");
    }
    const std::string radice = std::string(TESTA_MODELLO) +
        "<resources><object id=\"5\" type=\"model\"><components>"
        "<component p:path=\"/3D/Objects/parte.model\" objectid=\"3\"/>"
        "<component p:path=\"/3D/Objects/parte.model\" objectid=\"3\" "
        "transform=\"1 0 0 0 1 0 0 0 1 3 0 0\"/></components></object></resources>"
        "<build><item objectid=\"5\" transform=\"2 0 0 0 2 0 0 0 2 0 0 7\"/></build></model>\n";
    Triangoli due = t;
    due.pos.insert(due.pos.end(), t.pos.begin(), t.pos.end());
    for (uint32_t i : t.tri)
        due.tri.push_back(i + 8);
    const std::string off = off_di(
        due, [](double *) {}, [](size_t k) {
            return std::string(k % 12 == 4 || k % 12 == 5 ? "0.0627 0.878 0.0627" : "0.878 0.0627 0.0627");
        });
    // Expected coordinates: the second 8 moved by 3 along x, then all by the item.
    std::string atteso = "OFF\n16 24 0\n";
    for (int c = 0; c < 2; c++)
        for (size_t i = 0; i < t.pos.size(); i += 3)
            atteso += numero(2 * (t.pos[i] + 3 * c)) + " " + numero(2 * t.pos[i + 1]) + " " +
                      numero(2 * t.pos[i + 2] + 7) + "\n";
    atteso += off.substr(off.find("\n3 ") + 1);
    EXPECT_TRUE(come_off("p.3mf", pacchetto_3mf({{"3D/3dmodel.model", radice},
                                                 {"3D/Objects/parte.model", parte}}),
                         atteso));
    // A mirroring build transform keeps the faces turned outwards.
    const std::string specchio = modello_3mf(t, " transform=\"-1 0 0 0 1 0 0 0 1 0 0 0\"");
    const Triangoli &u = t;
    Triangoli girato = u;
    for (size_t k = 0; k < girato.tri.size(); k += 3)
        std::swap(girato.tri[k + 1], girato.tri[k + 2]);
    EXPECT_TRUE(come_off("s.3mf", pacchetto_3mf({{"3D/3dmodel.model", specchio}}),
                         off_di(girato, [](double *p) { p[0] = -p[0]; },
                                [](size_t) { return std::string(); })));
}

TEST(Grandi, GltfAnd3mfOverTheCapacitiesAreFittedAsTheSameOffIs)
{
    // A band around a cylinder, 1000 vertices around, 9 rings: 9000
    // vertices, 16000 triangles.
    Triangoli t;
    const int attorno = 1000, anelli = 9;
    for (int r = 0; r < anelli; r++)
        for (int i = 0; i < attorno; i++) {
            const double a = 2 * M_PI * i / attorno;
            t.pos.insert(t.pos.end(), {(float)std::cos(a), (float)std::sin(a), (float)(0.3 * r)});
        }
    for (int r = 0; r + 1 < anelli; r++)
        for (int i = 0; i < attorno; i++) {
            const uint32_t a = r * attorno + i, b = r * attorno + (i + 1) % attorno;
            t.tri.insert(t.tri.end(), {a, b, a + attorno, b, b + attorno, a + attorno});
        }
    const std::string off = off_di(t);
    ASSERT_TRUE(in_slot("fascia.off", off, &b).ok);
    const std::string nota_off = nota;
    EXPECT_EQ(nota_off.rfind("fascia.off: 16000 faces shown as ", 0), 0u) << nota_off;
    EXPECT_LE(b.numfacce, (int)MAX_FACCE);
    EXPECT_LE(b.numpunti, (int)MAX_PUNTI);
    for (const auto &f : {std::make_pair(std::string("fascia.glb"), glb_di(t)),
                          std::make_pair(std::string("fascia.3mf"),
                                         pacchetto_3mf({{"3D/3dmodel.model", modello_3mf(t)}}))}) {
        EXPECT_TRUE(come_off(f.first, f.second, off)) << f.first;
        ASSERT_TRUE(in_slot(f.first, f.second, &a).ok);
        EXPECT_EQ(nota, f.first + nota_off.substr(10)) << f.first;
    }
}

// Each hostile file: one line naming the file and the place, nothing read.
TEST(Ostili, GltfFilesAreRefusedWithTheirJsonPath)
{
    const Triangoli t = cubo();
    const std::string buono = gltf_incorporato(t);
    auto con = [&](const std::string &da, const std::string &a) {
        std::string s = buono;
        const size_t i = s.find(da);
        EXPECT_NE(i, std::string::npos) << da;
        return s.replace(i, da.size(), a);
    };
    const struct {
        std::string file, atteso;
    } casi[] = {
        {con("\"count\":8", "\"count\":900"),
         "m.gltf: accessors[0]: count 900 runs past bufferView 0 (96 bytes)"},
        {con("\"count\":8", "\"count\":18446744073709551615"),
         "m.gltf: accessors[0]: count 18446744073709551615 runs past bufferView 0 (96 bytes)"},
        {con("\"bufferView\":0,", "\"bufferView\":0,\"byteOffset\":90,"),
         "m.gltf: accessors[0]: count 8 runs past bufferView 0 (96 bytes)"},
        {con("\"byteLength\":96}", "\"byteLength\":96,\"byteStride\":8}"),
         "m.gltf: accessors[0]: bufferView 0's byteStride 8 is smaller than its element (12 bytes)"},
        {con("\"byteLength\":144}", "\"byteLength\":1440}"),
         "m.gltf: bufferViews[1]: 1440 bytes at byte 96 run past buffer 0 (240 bytes)"},
        {con("\"bufferView\":1", "\"bufferView\":7"),
         "m.gltf: accessors[1]: bufferViews[7] is not there (the file has 2)"},
        {con("\"byteLength\":240", "\"byteLength\":241"),
         "m.gltf: buffers[0]: byteLength 241, but its data holds 240 bytes"},
        {con("\"scenes\":[{\"nodes\":[0]}]", "\"scenes\":[{\"nodes\":[0]}],\"extensionsRequired\":[\"KHR_draco_mesh_compression\"]"),
         "m.gltf: extensionsRequired[0]: KHR_draco_mesh_compression, which this reader does not read"},
        {con("\"nodes\":[{\"mesh\":0}]", "\"nodes\":[{\"mesh\":0,\"children\":[1]},{\"children\":[0]}]"),
         "m.gltf: nodes[0]: reached twice: the node hierarchy has a cycle"},
        {con("\"uri\":\"data:", "\"uri\":\"../x.bin\",\"u\":\""),
         "m.gltf: buffers[0]: uri \"../x.bin\" leaves the model's folder"},
        {con("\"uri\":\"data:", "\"uri\":\"/etc/passwd\",\"u\":\""),
         "m.gltf: buffers[0]: uri \"/etc/passwd\" leaves the model's folder"},
        {con("\"uri\":\"data:", "\"uri\":\"file:///etc/passwd\",\"u\":\""),
         "m.gltf: buffers[0]: uri \"file:///etc/passwd\" leaves the model's folder"},
        {con("\"uri\":\"data:", "\"uri\":\"a/%2e%2e/../b.bin\",\"u\":\""),
         "m.gltf: buffers[0]: uri \"a/%2e%2e/../b.bin\" leaves the model's folder"},
        {con("\"type\":\"VEC3\"", "\"type\":\"VEC3\",\"sparse\":{\"count\":1}"),
         "m.gltf: accessors[0]: a sparse accessor, which this reader does not read"},
        {con("\"version\":\"2.0\"", "\"version\":\"1.0\""),
         "m.gltf: asset.version: 1.0 (only glTF 2.0 is read)"},
        {buono.substr(0, 100), "m.gltf: byte 100: JSON: "},
        {std::string(100000, '[') + "{\"asset\":1}", "m.gltf: byte "},
    };
    for (const auto &c : casi) {
        const Letto r = leggi("m.gltf", c.file);
        EXPECT_FALSE(r.ok) << c.atteso;
        EXPECT_EQ(r.errore.rfind(c.atteso, 0), 0u) << "got:  " << r.errore << "\nwant: " << c.atteso;
        EXPECT_EQ(r.errore.find('\n'), std::string::npos);
        EXPECT_EQ(r.m.punti.size() + r.m.facce.size(), 0u) << c.atteso;
    }
    // An index past the vertices.
    Triangoli fuori = t;
    fuori.tri[5] = 8;
    const Letto r = leggi("m.gltf", gltf_incorporato(fuori));
    EXPECT_EQ(r.errore, "m.gltf: accessors[1]: index 8 is not below POSITION's count 8");
}

TEST(Ostili, AUriLeavingTheFolderReadsNothingThere)
{
    // The file above the folder exists: reading it would have succeeded.
    Cartella c;
    const Triangoli t = cubo();
    c.scrivi("cubo.bin", byte_di(t.pos) + byte_di(t.tri));
    std::system(("mkdir '" + c.via + "/dentro'").c_str());
    bool ok;
    const std::string e = per_percorso(c.scrivi("dentro/m.gltf", gltf_di(t, "../cubo.bin")), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(e, c.via + "/dentro/m.gltf: buffers[0]: uri \"../cubo.bin\" leaves the model's folder "
                         "(only data: URIs and files beside the model are read)");
    // From standard input there is no folder to read beside.
    const Letto r = leggi("standard input", gltf_di(t, "cubo.bin"));
    EXPECT_EQ(r.errore, "standard input: buffers[0]: cubo.bin: the model was not read from a folder");
}

TEST(Ostili, ZipBombsLiesCorruptionAndTruncation)
{
    const Triangoli t = cubo();
    const std::string modello = modello_3mf(t);
    // 300 MiB of zeros deflate to some 300 KB.
    std::string zeri;
    {
        z_stream s{};
        deflateInit2(&s, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        std::string blocco(1 << 20, '\0');
        char out[1 << 16];
        for (int i = 0; i < 300; i++) {
            s.next_in = (Bytef *)&blocco[0];
            s.avail_in = (uInt)blocco.size();
            do {
                s.next_out = (Bytef *)out;
                s.avail_out = sizeof out;
                deflate(&s, i == 299 ? Z_FINISH : Z_NO_FLUSH);
                zeri.append(out, sizeof out - s.avail_out);
            } while (s.avail_out == 0);
        }
        deflateEnd(&s);
    }
    auto con_bomba = [&](uint32_t dichiarata) {
        std::vector<Voce> v = {{"[Content_Types].xml", TIPI_3MF}, {"_rels/.rels", rels_3mf("3D/3dmodel.model")}};
        Voce b{"3D/3dmodel.model", "x"};
        b.compressa = zeri;
        b.piena = dichiarata;
        v.push_back(b);
        return zip_di(v);
    };
    std::string crc = pacchetto_3mf({{"3D/3dmodel.model", modello}});
    // The model's CRC in the central directory: 16 bytes into its entry.
    const size_t cd = crc.rfind(std::string("PK\1\2", 4));
    crc[cd + 16] ^= 1;
    const std::string intero = pacchetto_3mf({{"3D/3dmodel.model", modello}});
    std::string danneggiato = intero;
    danneggiato[intero.find("3D/3dmodel.model") + 16 + 10] ^= 0x5a;   // inside the deflated data
    const struct {
        std::string file, atteso;
    } casi[] = {
        {con_bomba(300u << 20), "z.3mf: 3D/3dmodel.model: unpacks to 314572800 bytes, past the 256 MiB"},
        {con_bomba(1000), "z.3mf: 3D/3dmodel.model: inflates past the 1000 bytes its header gives: a ZIP bomb"},
        {crc, "z.3mf: 3D/3dmodel.model: CRC "},
        {danneggiato, "z.3mf: 3D/3dmodel.model: "},
        {intero.substr(0, intero.size() - 10), "z.3mf: ZIP archive without its end record: truncated"},
        {intero.substr(0, intero.size() / 2), "z.3mf: ZIP archive without its end record: truncated"},
        {zip_di({{"a.txt", "ciao"}}), "z.3mf: a ZIP archive without [Content_Types].xml: not a 3MF package"},
        {zip_di({{"[Content_Types].xml", "<Types/>"}}), "z.3mf: a ZIP archive whose [Content_Types].xml does not name the 3MF model"},
    };
    for (const auto &c : casi) {
        const Letto r = leggi("z.3mf", c.file);
        EXPECT_FALSE(r.ok) << c.atteso;
        EXPECT_EQ(r.errore.rfind(c.atteso, 0), 0u) << "got:  " << r.errore << "\nwant: " << c.atteso;
        EXPECT_EQ(r.m.punti.size() + r.m.facce.size(), 0u) << c.atteso;
    }
}

TEST(Ostili, TreMfModelsNameThePartAndTheLine)
{
    const Triangoli t = cubo();
    const std::string buono = modello_3mf(t);
    auto con = [&](const std::string &da, const std::string &a) {
        std::string s = buono;
        const size_t i = s.find(da);
        EXPECT_NE(i, std::string::npos) << da;
        return s.replace(i, da.size(), a);
    };
    const std::string risate =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE model [\n<!ENTITY a \"hahahahahahaha\">\n"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
        "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">\n<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">\n"
        "]>\n<model xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\">&g;</model>\n";
    // Each line of the model: the header's 2, then <resources><object><mesh><vertices> on line 3.
    const struct {
        std::string modello, atteso;
    } casi[] = {
        {risate, "t.3mf: 3D/3dmodel.model:2: a DTD (<!DOCTYPE>): refused"},
        {con("v3=\"1\"/>", "v3=\"8\"/>"), "t.3mf: 3D/3dmodel.model:13: v3=8 is not below the object's 8 vertices"},
        {con("x=\"1\"", "x=\"1e\""), "t.3mf: 3D/3dmodel.model:5: x \"1e\" is not a finite number"},
        {con("x=\"1\"", "x=\"nan\""), "t.3mf: 3D/3dmodel.model:5: x \"nan\" is not a finite number"},
        {con("<item objectid=\"1\"", "<item objectid=\"4\""), "t.3mf: 3D/3dmodel.model:26: object 4 is not among the part's resources"},
        {con("<item objectid=\"1\"", "<item objectid=\"1\" transform=\"1 0 0\""), "t.3mf: 3D/3dmodel.model:26: transform \"1 0 0\" is not 12 finite numbers"},
        {con("<triangle v1=\"0\"", "<triangle pid=\"9\" v1=\"0\""), "t.3mf: 3D/3dmodel.model:13: property group 9 is not among the resources"},
        {buono.substr(0, 200), "t.3mf: 3D/3dmodel.model:"},
    };
    for (const auto &c : casi) {
        const Letto r = leggi("t.3mf", pacchetto_3mf({{"3D/3dmodel.model", c.modello}}));
        EXPECT_FALSE(r.ok) << c.atteso;
        EXPECT_EQ(r.errore.rfind(c.atteso, 0), 0u) << "got:  " << r.errore << "\nwant: " << c.atteso;
        EXPECT_EQ(r.m.punti.size() + r.m.facce.size(), 0u) << c.atteso;
    }
    // Components of components, a hundred each: a million cubes from a few
    // kilobytes, refused once they pass what the file could stand for.
    std::string strati = std::string(TESTA_MODELLO) + "<resources><object id=\"1\">" + mesh_3mf(t) +
                         "</object>\n";
    for (int o = 2; o <= 4; o++) {
        strati += "<object id=\"" + std::to_string(o) + "\"><components>";
        for (int k = 0; k < 100; k++)
            strati += "<component objectid=\"" + std::to_string(o - 1) + "\"/>";
        strati += "</components></object>\n";
    }
    strati += "</resources><build><item objectid=\"4\"/></build></model>\n";
    const Letto bomba = leggi("t.3mf", pacchetto_3mf({{"3D/3dmodel.model", strati}}));
    EXPECT_NE(bomba.errore.find("t.3mf: 3D/3dmodel.model:27: the build repeats its meshes past "),
              std::string::npos)
        << bomba.errore;
    // A component cycle, across two parts: named where it closes.
    const std::string uno = std::string(TESTA_MODELLO) +
        "<resources><object id=\"1\"><components>\n<component objectid=\"2\" p:path=\"/3D/due.model\"/>"
        "</components></object></resources><build><item objectid=\"1\"/></build></model>";
    const std::string due = std::string(TESTA_MODELLO) +
        "<resources><object id=\"2\"><components>\n\n<component objectid=\"1\" p:path=\"/3D/3dmodel.model\"/>"
        "</components></object></resources><build/></model>";
    const Letto r = leggi("t.3mf", pacchetto_3mf({{"3D/3dmodel.model", uno}, {"3D/due.model", due}}));
    EXPECT_EQ(r.errore, "t.3mf: 3D/due.model:5: a component cycle: object 1 contains itself");
}
