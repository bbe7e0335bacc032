// The PLY reader: the three encodings, the types, what it skips and keeps,
// and files that are wrong in every place they can be.
#include "tests/formats/leggi_testo.h"

namespace {

// Colours go from 0..255 to floats through a division: a few float ulps.
constexpr float TOLLERANZA_COLORE = 1e-6f;

// The cube and, past its corners, four vertices at the ends of their types'
// ranges, where sign and byte order show; a triangle and a quad join them.
Forma cubo_ed_estremi()
{
    Forma f = forma_cubo();
    f.first.insert(f.first.end(), {{-128, -32768, 0.5}, {127, 32767, -1.25}, {0, 0, 1e10}, {-3, 300, 2}});
    f.second.insert(f.second.end(), {{8, 9, 10}, {11, 10, 9, 8}});
    return f;
}

// cubo_ed_estremi among elements and properties the reader must read past.
std::string cubo(const std::string &formato, const char *a_capo = "\n")
{
    std::string testo;
    for (char c : "ply\nformat " + formato + " 1.0\ncomment a cube\nobj_info none\nelement material 2\n"
                  "property uchar ambient\nproperty list uchar float coeff\nelement vertex 12\nproperty int8 x\n"
                  "property short y\nproperty float confidence\nproperty float64 z\nproperty uint32 id\n"
                  "element face 8\nproperty list ushort uint vertex_indices\nproperty uchar flags\n"
                  "element edge 2\nproperty int vertex1\nproperty list ushort short path\nend_header\n")
        testo += c == '\n' ? std::string(a_capo) : std::string(1, c);
    const Forma f = cubo_ed_estremi();
    auto n = [](auto x) { return std::to_string(x) + " "; };
    if (formato == "ascii") {
        testo += "7 2 0.5 0.25\n9 0\n";
        for (const auto &p : f.first) testo += n((int)p[0]) + n((int)p[1]) + "0.9 " + n(p[2]) + "4294967295\n";
        for (const auto &q : f.second) {
            testo += n(q.size());
            for (int v : q) testo += n(v);
            testo += "3\n";
        }
        return testo + "0 3 1 2 3\n1 0\n  \n";
    }
    Binario b{formato == "binary_big_endian", testo};
    b << (uint8_t)7 << (uint8_t)2 << 0.5f << 0.25f << (uint8_t)9 << (uint8_t)0;
    for (const auto &p : f.first) b << (int8_t)p[0] << (int16_t)p[1] << 0.9f << p[2] << 4294967295u;
    for (const auto &q : f.second) {
        b << (uint16_t)q.size();
        for (int v : q) b << (uint32_t)v;
        b << (uint8_t)3;
    }
    return (b << 0 << (uint16_t)3 << (int16_t)1 << (int16_t)2 << (int16_t)3 << 1 << (uint16_t)0).s;
}

const float TETRA[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

// A tetrahedron, line by line, for the bad files to spoil.
const std::string TETRAEDRO =
    "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\n"
    "property float z\nelement face 4\nproperty list uchar int vertex_indices\nend_header\n"
    "0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n";

// The tetrahedron's header in binary.
std::string tetraedro_binario(bool grande)
{
    return cambia(TETRAEDRO.substr(0, TETRAEDRO.find("end_header\n") + 11), "ascii 1.0",
                  grande ? "binary_big_endian 1.0" : "binary_little_endian 1.0");
}

}  // namespace

TEST(Ply, EveryEncodingAndTypeSkippingWhatItDoesNotUse)
{
    // Each encoding, with CRLF lines, and with an element of no properties,
    // which takes no bytes however many the header claims.
    for (const char *formato : {"ascii", "binary_little_endian", "binary_big_endian"})
        for (const std::string &f : {cubo(formato), cubo(formato, "\r\n"),
                                     cambia(cubo(formato), "end_header", "element nothing 2000000000\nend_header")}) {
            SCOPED_TRACE(formato);
            const Letto r = leggi("t.ply", f);
            ASSERT_TRUE(r.ok) << r.errore;
            EXPECT_EQ(forma(r.m), cubo_ed_estremi());
            for (const FacciaLetta &g : r.m.facce) EXPECT_FALSE(g.colorata);
            EXPECT_FALSE(r.m.normali || r.m.colori_punti);
        }
}

TEST(Ply, NormalsAndColours)
{
    // uchar colours and normals on the vertices; a uchar 1 is near black
    // even when no component passes 1.
    const Letto r = leggi("colori.ply", cambia(cambia(TETRAEDRO, "property float z\n", "property float z\nproperty "
        "float nx\nproperty float ny\nproperty float nz\nproperty uchar red\nproperty uchar green\nproperty uchar blue\n"),
        "0 0 0\n1 0 0\n0 1 0\n0 0 1\n", "0 0 0 -1 -1 -1 255 51 0\n1 0 0 1 0 0 0 1 1\n0 1 0 0 1 0 0 0 0\n0 0 1 0 0 1 0 0 0\n"));
    ASSERT_TRUE(r.ok) << r.errore;
    EXPECT_TRUE(r.m.normali && r.m.colori_punti && r.m.punti[0].normale[0] == -1.0 && r.m.punti[3].normale[2] == 1.0);
    const float attesi[][2] = {{r.m.punti[0].colore[0], 1.0f}, {r.m.punti[0].colore[1], 0.2f},
                               {r.m.punti[1].colore[2], 1.0f / 255.0f}};
    for (const auto &c : attesi) EXPECT_NEAR(c[0], c[1], TOLLERANZA_COLORE);
    // Float colours 0..1 on the vertices, a uchar colour on each face.
    const int facce[4][3] = {{0, 1, 2}, {0, 1, 3}, {0, 1, 0}, {1, 2, 3}};
    Binario b{true, cambia(cambia(tetraedro_binario(true), "property float z\n", "property float z\nproperty float "
        "diffuse_red\nproperty float diffuse_green\nproperty float diffuse_blue\n"), "vertex_indices\n",
        "vertex_indices\nproperty uchar red\nproperty uchar green\nproperty uchar blue\n")};
    for (const auto &p : TETRA) b << p[0] << p[1] << p[2] << 0.5f << 0.25f << 1.0f;
    for (int j = 0; j < 4; j++)
        b << (uint8_t)3 << facce[j][0] << facce[j][1] << facce[j][2] << (uint8_t)(51 * j) << (uint8_t)255 << (uint8_t)0;
    const Letto f = leggi("colori.ply", b.s);
    ASSERT_TRUE(f.ok) << f.errore;
    ASSERT_TRUE(f.m.colori_punti && f.m.facce.size() == 3 && f.m.facce[2].colorata);   // 0 1 0 is no face
    const float di_f[][2] = {{f.m.punti[2].colore[1], 0.25f}, {f.m.facce[2].colore[0], 0.6f}, {f.m.facce[2].colore[1], 1}};
    for (const auto &c : di_f) EXPECT_NEAR(c[0], c[1], TOLLERANZA_COLORE);
}

TEST(Ply, BadFilesAreRefusedWithWhereAndWhat)
{
    auto t = [](const std::string &da, const std::string &a) { return cambia(TETRAEDRO, da, a); };
    const struct { std::string file, atteso; } casi[] = {
        {t("ascii", "ebcdic"), "2: unknown format 'ebcdic': expected ascii, binary_little_endian or binary_big_endian"},
        {t("1.0", "2.0"), "2: the format line needs the version, 1.0"},
        {t("float y", "int64 y"),
         "5: unknown type 'int64': expected char, uchar, short, ushort, int, uint, float or double (or int8 ... float64)"},
        {t("float y", "float y z"), "5: unexpected 'z' at the end of the property line"},
        {t("float y", std::string("float\0 y", 8)), "5: binary data (byte 0x00) in the header"},
        {t("vertex 4", "vertex -4"), "3: element vertex has a negative count, -4"},
        {t("vertex 4", "vertex 4.5"), "3: the count '4.5' of element vertex is not a whole number"},
        {t("vertex 4", "vertex 2000000000"), "14: more values than one vertex record holds"},
        {t("face 4", "face 2000000000"), "18: the file ends after 4 of the 2000000000 face records"},
        {t("element vertex 4\n", "element face 0\nelement vertex 4\n"),
         "4: element vertex after element face: the faces need their vertices first"},
        {cambia(TETRAEDRO.substr(0, TETRAEDRO.find("0 0 0")), "element vertex", "element point"),
         "7: element face with no element vertex before it"},
        {t("float x", "float w"), "3: element vertex has no property x: x, y and z are all needed"},
        {t("list uchar int vertex_indices", "int vertex_indices"),
         "8: property vertex_indices of element face is a single number: a list is expected"},
        {t("list uchar", "list float"), "8: a list's length must have an integer type, not float"},
        {t("element vertex", "property int q\nelement vertex"), "3: property before any element"},
        {t("element face", "elemnt face"),
         "7: unknown header line 'elemnt': expected format, element, property, comment or end_header"},
        {t("1 0 0\n", "1 0\n"), "11: too few values for one vertex record: z is missing"},
        {t("1 0 0\n", "1 zero 0\n"), "11: 'zero' is not a number (y, float)"},
        {t("0 1 0\n", std::string("0 1\0 0\n", 7)), "12: binary data (byte 0x00) in a text file"},
        {cambia(t("uchar int", "uchar uint"), "3 1 2 3", "3 1 2 4000000000"),
         "17: vertex index 4000000000 is outside the 4 vertices (0 to 3)"},
        {t("3 0 1 3", "-3 0 1 3"), "15: -3 does not fit the type uchar (vertex_indices)"},
        {cambia(t("list uchar", "list char"), "3 0 1 3", "-3 0 1 3"), "15: list vertex_indices has a negative length, -3"},
        {cambia(t("list uchar", "list uint"), "3 0 1 3", "50000 0 1 3"),
         "15: list vertex_indices announces 50000 values, the line holds 3"},
        {t("3 0 1 3", "3 0 1.5 3"), "15: '1.5' is not a whole number (vertex_indices, int)"},
        {TETRAEDRO + "\n  junk\n", "19: data after the last element: the header announces no more"},
    };
    for (const auto &c : casi) rifiutato("t.ply", c.file, "t.ply:" + c.atteso);
}

TEST(Ply, BadBinaryBodiesNameTheByte)
{
    for (bool grande : {false, true}) {
        const std::string t = tetraedro_binario(grande);
        const size_t n = t.size(), facce = n + 48 + 3 * 13;   // the vertices take 48 bytes, each face 13
        Binario v{grande, t};
        for (const auto &p : TETRA) v << p[0] << p[1] << p[2];
        Binario f = v;   // three of the four faces
        f << (uint8_t)3 << 0 << 2 << 1 << (uint8_t)3 << 0 << 1 << 3 << (uint8_t)3 << 0 << 3 << 2;
        Binario fuori = f, lunga = f, nan = v, buona = f;
        fuori << (uint8_t)3 << 1 << 2 << 9;
        lunga << (uint8_t)200 << 1 << 2 << 3;
        buona << (uint8_t)3 << 1 << 2 << 3;
        nan << (uint8_t)3 << 0 << 1 << 2;
        nan.s.replace(n + 4, 4, std::string(grande ? "\x7f\xc0\0\0" : "\0\0\xc0\x7f", 4));
        // The cube without its last face's flags: the material takes 12 bytes,
        // the vertices 12 * 19, the faces 7 * 19 and 15.
        const std::string c = cubo(grande ? "binary_big_endian" : "binary_little_endian");
        const size_t fine = c.find("end_header\n") + 11 + 12 + 12 * 19 + 7 * 19 + 15 - 1;
        auto byte = [](size_t k) { return "t.ply: byte " + std::to_string(k) + ": "; };
        const struct { std::string file, atteso; } casi[] = {
            {v.s.substr(0, n + 30), byte(n) + "4 vertex records of at least 12 bytes each cannot fit in the 30 bytes left"},
            {fuori.s, byte(facce) + "vertex index 9 is outside the 4 vertices (0 to 3)"},
            {lunga.s, byte(facce) + "list vertex_indices of 200 values runs past the end of the file"},
            {nan.s, byte(n) + "a vertex coordinate is not a finite number"},
            {buona.s + "xyz", byte(facce + 13) + "3 bytes after the last element: the header announces no more"},
            {c.substr(0, fine), byte(fine) + "the file ends after 7 of the 8 face records"},
        };
        for (const auto &k : casi) rifiutato("t.ply", k.file, k.atteso);
    }
}
