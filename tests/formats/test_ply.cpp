// The PLY reader: the three encodings, the types, what it skips and keeps,
// and files that are wrong in every place they can be.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/formats/leggi_testo.h"

namespace {

// Colours go from 0..255 to floats through a division: a few float ulps.
constexpr float TOLLERANZA_COLORE = 1e-6f;

const float CUBO[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                          {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
const int FACCE_CUBO[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                              {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};

// A cube among elements and properties the reader must read past.
std::string cubo(const std::string &formato, const char *a_capo = "\n")
{
    std::string h = "ply\nformat " + formato + " 1.0\ncomment a cube\nobj_info none\n"
        "element material 2\nproperty uchar ambient\nproperty list uchar float coeff\n"
        "element vertex 8\nproperty float x\nproperty float y\nproperty float confidence\n"
        "property float z\nelement face 6\nproperty list uchar int vertex_indices\n"
        "property uchar flags\nelement edge 2\nproperty int vertex1\n"
        "property list ushort short path\nend_header\n";
    std::string testo;
    for (char c : h)
        testo += c == '\n' ? std::string(a_capo) : std::string(1, c);
    if (formato == "ascii") {
        testo += "7 2 0.5 0.25\n9 0\n";
        for (const auto &v : CUBO)
            testo += std::to_string(v[0]) + " " + std::to_string(v[1]) + " 0.9 " +
                     std::to_string(v[2]) + "\n";
        for (const auto &f : FACCE_CUBO)
            testo += "4 " + std::to_string(f[0]) + " " + std::to_string(f[1]) + " " +
                     std::to_string(f[2]) + " " + std::to_string(f[3]) + " 3\n";
        return testo + "0 3 1 2 3\n1 0\n  \n";
    }
    Binario b{formato == "binary_big_endian", ""};
    b << (uint8_t)7 << (uint8_t)2 << 0.5f << 0.25f << (uint8_t)9 << (uint8_t)0;
    for (const auto &v : CUBO)
        b << v[0] << v[1] << 0.9f << v[2];
    for (const auto &f : FACCE_CUBO)
        b << (uint8_t)4 << f[0] << f[1] << f[2] << f[3] << (uint8_t)3;
    b << 0 << (uint16_t)3 << (int16_t)1 << (int16_t)2 << (int16_t)3 << 1 << (uint16_t)0;
    return testo + b.s;
}

void controlla_cubo(const Letto &r)
{
    ASSERT_TRUE(r.ok) << r.errore;
    Forma attesa;
    for (int i = 0; i < 8; i++)
        attesa.first.push_back({CUBO[i][0], CUBO[i][1], CUBO[i][2]});
    for (const auto &f : FACCE_CUBO)
        attesa.second.emplace_back(f, f + 4);
    EXPECT_EQ(forma(r.m), attesa);
    for (const FacciaLetta &f : r.m.facce)
        EXPECT_FALSE(f.colorata);
    EXPECT_FALSE(r.m.normali || r.m.colori_punti);
}

const float TETRA[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

// A tetrahedron, line by line, for the bad files to spoil.
const std::string TETRAEDRO =
    "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\n"
    "property float z\nelement face 4\nproperty list uchar int vertex_indices\nend_header\n"
    "0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n";

std::string cambia(std::string s, const std::string &da, const std::string &a)
{
    const size_t i = s.find(da);
    EXPECT_NE(i, std::string::npos) << da;
    return i == std::string::npos ? s : s.replace(i, da.size(), a);
}

// The tetrahedron's header in binary, with `in_piu` before its elements.
std::string tetraedro_binario(bool grande, const std::string &in_piu = "")
{
    return cambia(TETRAEDRO.substr(0, TETRAEDRO.find("end_header\n") + 11), "ascii 1.0\n",
                  (grande ? "binary_big_endian 1.0\n" : "binary_little_endian 1.0\n") + in_piu);
}

}  // namespace

TEST(Ply, TheSameCubeInEveryEncodingSkippingWhatItDoesNotUse)
{
    for (const char *formato : {"ascii", "binary_little_endian", "binary_big_endian"}) {
        SCOPED_TRACE(formato);
        controlla_cubo(leggi("cubo.ply", cubo(formato)));
        controlla_cubo(leggi("cubo.ply", cubo(formato, "\r\n")));
    }
    // Elements of no properties take no bytes, however many the header claims.
    controlla_cubo(leggi("cubo.ply", cambia(cubo("binary_little_endian"), "end_header",
                                            "element nothing 2000000000\nend_header")));
    controlla_cubo(leggi("cubo.ply", cambia(cubo("ascii"), "end_header",
                                            "element nothing 2000000000\nend_header")));
}

TEST(Ply, EveryNumericTypeInEitherByteOrder)
{
    // Values at the ends of their types' ranges: sign and byte order show.
    const double v[4][3] = {{-128, -32768, 0.5}, {127, 32767, -1.25}, {0, 0, 1e10}, {-3, 300, 2}};
    const std::string h = " 1.0\nelement vertex 4\nproperty int8 x\nproperty short y\n"
        "property float64 z\nproperty uint32 id\nelement face 2\n"
        "property list ushort uint vertex_index\nend_header\n";
    std::string ascii = "ply\nformat ascii" + h;
    for (const auto &p : v)
        ascii += std::to_string((int)p[0]) + " " + std::to_string((int)p[1]) + " " +
                 std::to_string(p[2]) + " 4294967295\n";
    ascii += "3 0 1 2\n4 3 2 1 0\n";
    std::vector<std::string> file = {ascii};
    for (bool grande : {false, true}) {
        Binario b{grande, ""};
        for (const auto &p : v)
            b << (int8_t)p[0] << (int16_t)p[1] << p[2] << (uint32_t)4294967295u;
        b << (uint16_t)3 << 0u << 1u << 2u << (uint16_t)4 << 3u << 2u << 1u << 0u;
        file.push_back(std::string("ply\nformat ") +
                       (grande ? "binary_big_endian" : "binary_little_endian") + h + b.s);
    }
    for (const std::string &f : file) {
        const Letto r = leggi("tipi.ply", f);
        ASSERT_TRUE(r.ok) << r.errore;
        ASSERT_EQ(numpunti(r.m), 4);
        for (int i = 0; i < 4; i++)
            for (int k = 0; k < 3; k++)
                EXPECT_EQ(r.m.punti[i].pos[k], v[i][k]) << i << " " << k;
        ASSERT_EQ(numfacce(r.m), 2);
        EXPECT_TRUE(r.m.facce[1].numvertici == 4 && vertici(r.m, 1)[0] == 3);
    }
}

TEST(Ply, NormalsAndColours)
{
    // uchar colours and normals on the vertices.
    std::string s = cambia(TETRAEDRO, "property float z\n", "property float z\nproperty float nx\n"
        "property float ny\nproperty float nz\nproperty uchar red\nproperty uchar green\n"
        "property uchar blue\n");
    s = cambia(s, "0 0 0\n1 0 0\n0 1 0\n0 0 1\n", "0 0 0 -1 -1 -1 255 51 0\n1 0 0 1 0 0 0 1 1\n"
               "0 1 0 0 1 0 0 0 0\n0 0 1 0 0 1 0 0 0\n");
    const Letto r = leggi("colori.ply", s);
    ASSERT_TRUE(r.ok) << r.errore;
    EXPECT_TRUE(r.m.normali && r.m.colori_punti && r.m.punti[0].normale[0] == -1.0 &&
                r.m.punti[3].normale[2] == 1.0);
    EXPECT_NEAR(r.m.punti[0].colore[0], 1.0f, TOLLERANZA_COLORE);
    EXPECT_NEAR(r.m.punti[0].colore[1], 0.2f, TOLLERANZA_COLORE);
    // A uchar 1 is near black even when no component passes 1.
    EXPECT_NEAR(r.m.punti[1].colore[2], 1.0f / 255.0f, TOLLERANZA_COLORE);
    // Float colours 0..1 on the vertices, a uchar colour on each face.
    const int facce[4][3] = {{0, 1, 2}, {0, 1, 3}, {0, 1, 0}, {1, 2, 3}};
    Binario b{true, ""};
    for (const auto &p : TETRA)
        b << p[0] << p[1] << p[2] << 0.5f << 0.25f << 1.0f;
    for (int j = 0; j < 4; j++)
        b << (uint8_t)3 << facce[j][0] << facce[j][1] << facce[j][2] << (uint8_t)(51 * j)
          << (uint8_t)255 << (uint8_t)0;
    const Letto f = leggi("colori.ply", cambia(cambia(tetraedro_binario(true), "property float z\n",
        "property float z\nproperty float diffuse_red\nproperty float diffuse_green\n"
        "property float diffuse_blue\n"), "vertex_indices\n", "vertex_indices\nproperty uchar "
        "red\nproperty uchar green\nproperty uchar blue\n") + b.s);
    ASSERT_TRUE(f.ok) << f.errore;
    EXPECT_TRUE(f.m.colori_punti);
    EXPECT_NEAR(f.m.punti[2].colore[1], 0.25f, TOLLERANZA_COLORE);
    ASSERT_EQ(numfacce(f.m), 3);   // 0 1 0 is no face
    ASSERT_TRUE(f.m.facce[2].colorata);
    EXPECT_NEAR(f.m.facce[2].colore[0], 0.6f, TOLLERANZA_COLORE);
    EXPECT_NEAR(f.m.facce[2].colore[1], 1.0f, TOLLERANZA_COLORE);
}

TEST(Ply, BadFilesAreRefusedWithWhereAndWhat)
{
    struct Caso { std::string file, atteso; };
    const std::string h = TETRAEDRO.substr(0, TETRAEDRO.find("end_header"));
    std::string corto = TETRAEDRO;
    corto.resize(corto.size() - 8);
    const Caso casi[] = {
        {cambia(TETRAEDRO, "ascii", "ebcdic"),
         "t.ply:2: unknown format 'ebcdic': expected ascii, binary_little_endian or binary_big_endian"},
        {cambia(TETRAEDRO, "1.0", "2.0"), "t.ply:2: the format line needs the version, 1.0"},
        {cambia(TETRAEDRO, "float y", "int64 y"),
         "t.ply:5: unknown type 'int64': expected char, uchar, short, ushort, int, uint, float or double (or int8 ... float64)"},
        {cambia(TETRAEDRO, "float y", "float y z"),
         "t.ply:5: unexpected 'z' at the end of the property line"},
        {cambia(TETRAEDRO, "float y", std::string("float\0 y", 8)),
         "t.ply:5: binary data (byte 0x00) in the header"},
        {cambia(TETRAEDRO, "vertex 4", "vertex -4"), "t.ply:3: element vertex has a negative count, -4"},
        {cambia(TETRAEDRO, "vertex 4", "vertex 4.5"),
         "t.ply:3: the count '4.5' of element vertex is not a whole number"},
        {cambia(TETRAEDRO, "vertex 4", "vertex 2000000000"),
         "t.ply:14: more values than one vertex record holds"},
        {cambia(TETRAEDRO, "face 4", "face 2000000000"),
         "t.ply:18: the file ends after 4 of the 2000000000 face records"},
        {cambia(TETRAEDRO, "element vertex 4\n", "element face 0\nelement vertex 4\n"),
         "t.ply:4: element vertex after element face: the faces need their vertices first"},
        {cambia(h, "element vertex", "element point") + "end_header\n",
         "t.ply:7: element face with no element vertex before it"},
        {cambia(TETRAEDRO, "float x", "float w"),
         "t.ply:3: element vertex has no property x: x, y and z are all needed"},
        {cambia(TETRAEDRO, "list uchar int vertex_indices", "int vertex_indices"),
         "t.ply:8: property vertex_indices of element face is a single number: a list is expected"},
        {cambia(TETRAEDRO, "list uchar", "list float"),
         "t.ply:8: a list's length must have an integer type, not float"},
        {cambia(TETRAEDRO, "element vertex", "property int q\nelement vertex"),
         "t.ply:3: property before any element"},
        {cambia(TETRAEDRO, "element face", "elemnt face"),
         "t.ply:7: unknown header line 'elemnt': expected format, element, property, comment or end_header"},
        {cambia(TETRAEDRO, "1 0 0\n", "1 0\n"),
         "t.ply:11: too few values for one vertex record: z is missing"},
        {cambia(TETRAEDRO, "1 0 0\n", "1 0 0 7\n"), "t.ply:11: more values than one vertex record holds"},
        {cambia(TETRAEDRO, "1 0 0\n", "1 zero 0\n"), "t.ply:11: 'zero' is not a number (y, float)"},
        {cambia(TETRAEDRO, "0 1 0\n", std::string("0 1\0 0\n", 7)),
         "t.ply:12: binary data (byte 0x00) in a text file"},
        {cambia(cambia(TETRAEDRO, "uchar int", "uchar uint"), "3 1 2 3", "3 1 2 4000000000"),
         "t.ply:17: vertex index 4000000000 is outside the 4 vertices (0 to 3)"},
        {cambia(TETRAEDRO, "3 0 1 3", "-3 0 1 3"),
         "t.ply:15: -3 does not fit the type uchar (vertex_indices)"},
        {cambia(cambia(TETRAEDRO, "list uchar", "list char"), "3 0 1 3", "-3 0 1 3"),
         "t.ply:15: list vertex_indices has a negative length, -3"},
        {cambia(cambia(TETRAEDRO, "list uchar", "list uint"), "3 0 1 3", "50000 0 1 3"),
         "t.ply:15: list vertex_indices announces 50000 values, the line holds 3"},
        {cambia(TETRAEDRO, "3 0 1 3", "3 0 1.5 3"),
         "t.ply:15: '1.5' is not a whole number (vertex_indices, int)"},
        {corto, "t.ply:17: the file ends after 3 of the 4 face records"},
        {TETRAEDRO + "\n  junk\n", "t.ply:19: data after the last element: the header announces no more"},
    };
    for (const Caso &c : casi) {
        const Letto r = leggi("t.ply", c.file);
        EXPECT_FALSE(r.ok) << c.atteso;
        EXPECT_EQ(r.errore, c.atteso);
    }
}

TEST(Ply, BadBinaryBodiesNameTheByte)
{
    for (bool grande : {false, true}) {
        const size_t n = tetraedro_binario(grande).size();
        Binario v{grande, ""};
        for (const auto &p : TETRA)
            v << p[0] << p[1] << p[2];
        Binario f = v;   // three of the four faces
        f << (uint8_t)3 << 0 << 2 << 1 << (uint8_t)3 << 0 << 1 << 3 << (uint8_t)3 << 0 << 3 << 2;
        Binario fuori = f, lunga = f, nan = v, buona = f;
        fuori << (uint8_t)3 << 1 << 2 << 9;
        lunga << (uint8_t)200 << 1 << 2 << 3;
        buona << (uint8_t)3 << 1 << 2 << 3;
        nan.s.replace(4, 4, std::string(grande ? "\x7f\xc0\0\0" : "\0\0\xc0\x7f", 4));
        nan << (uint8_t)3 << 0 << 1 << 2;
        const std::string t = tetraedro_binario(grande);
        struct Caso { std::string file, atteso; };
        const Caso casi[] = {
            {t + v.s.substr(0, 30), "t.ply: byte " + std::to_string(n) + ": 4 vertex records of "
                                    "at least 12 bytes each cannot fit in the 30 bytes left"},
            {t + fuori.s, "t.ply: byte " + std::to_string(n + 48 + 3 * 13) +
                              ": vertex index 9 is outside"},
            {t + lunga.s, "t.ply: byte " + std::to_string(n + 48 + 3 * 13) +
                              ": list vertex_indices of 200 values runs past the end"},
            {t + nan.s, "t.ply: byte " + std::to_string(n) + ": a vertex coordinate is not a finite"},
            {t + buona.s + "xyz", "t.ply: byte " + std::to_string(n + 48 + 4 * 13) +
                                      ": 3 bytes after the last element"},
            // A skipped element that claims more records than the bytes left.
            {tetraedro_binario(grande, "element junk 2000000000\nproperty int a\n") + buona.s,
             "t.ply: byte " + std::to_string(n + 39) + ": 2000000000 junk records of at least 4 "
             "bytes each cannot fit in the 100 bytes left"},
        };
        for (const Caso &c : casi) {
            const Letto r = leggi("t.ply", c.file);
            EXPECT_FALSE(r.ok) << c.atteso;
            EXPECT_NE(r.errore.find(c.atteso), std::string::npos) << r.errore;
        }
        // The cube without its last face's flags: the material takes 12 bytes, the
        // vertices 128, each face 18.
        const std::string c = cubo(grande ? "binary_big_endian" : "binary_little_endian");
        const size_t fine = c.find("end_header\n") + 11 + 12 + 128 + 6 * 18 - 1;
        const Letto tronco = leggi("t.ply", c.substr(0, fine));
        EXPECT_NE(tronco.errore.find("t.ply: byte " + std::to_string(fine) +
                                     ": the file ends after 5 of the 6 face records"),
                  std::string::npos) << tronco.errore;
        const Letto r = leggi("t.ply", t + buona.s);
        EXPECT_TRUE(r.ok) << r.errore;
        EXPECT_EQ(numfacce(r.m), 4);
    }
}
