// The text readers (OFF, STL, OBJ and PLY) through leggi_maglia as the
// viewer calls it, what they share (faces split and turned, colours to
// letters, refusals) and placement into the scene.
#include <cmath>
#include <cstring>

#include "data/superficie.h"
#include "tests/formats/leggi_testo.h"

using prova::Triangoli, prova::cubo, prova::stl_di;

namespace {

// The cube of forma_cubo.
const char CUBO[] =
    "8 6 0\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n"
    "4 0 2 3 1\n4 4 5 7 6\n4 0 1 5 4\n4 2 6 7 3\n4 0 4 6 2\n4 1 3 7 5\n";

std::string off(const std::string &testa) { return testa + "\n" + CUBO; }

// The cube in binary OFF, big-endian as binary OFF has it, its last face green.
std::string cubo_binario()
{
    Binario o{true, "OFF BINARY\n"};
    o << 8 << 6 << 0;
    for (int i = 0; i < 8; i++) o << angolo(i, 0) << angolo(i, 1) << angolo(i, 2);
    for (const auto &q : QUADRATI) o << 4 << q[0] << q[1] << q[2] << q[3] << (&q == &QUADRATI[5] ? 3 : 0);
    return (o << 0.2f << 0.8f << 0.2f).s;   // the last face's colour
}

std::string xyz(int c)
{
    return std::to_string(angolo(c, 0)) + " " + std::to_string(angolo(c, 1)) + " " + std::to_string(angolo(c, 2));
}

// Triangles by the cube's corners as ascii STL.
std::string stl_testo(const std::vector<uint32_t> &t, const std::string &a_capo = "\n")
{
    std::string s = "solid cubo" + a_capo;
    for (size_t k = 0; k < t.size(); k += 3)
        s += "  facet normal 0 0 0" + a_capo + "    outer loop" + a_capo + "      vertex " + xyz(t[k]) + a_capo +
             "      vertex " + xyz(t[k + 1]) + a_capo + "      vertex " + xyz(t[k + 2]) + a_capo + "    endloop" +
             a_capo + "  endfacet" + a_capo;
    return s + "endsolid cubo" + a_capo;
}

// The cube's outward normals, face by face as in QUADRATI.
const double NORMALI_CUBO[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};

// The cube as OBJ, every corner v written as v and `forma` ("", "/", "/1",
// "//n" or "/1/n", n its face's normal), indices counted from the start or
// back from the end, and `colore` after each vertex; among statements the
// reader passes over, and a '\' that joins the first face's two lines.
std::string obj_cubo(const std::string &forma, bool relativi = false, const char *colore = "")
{
    std::string s = "# cubo\nmtllib assente.mtl\no cubo\ng lati\nusemtl rosso\ns 1\nl 1 2\np 3\nvp 0.5\n"
                    "cstype bspline\nchissà 1 2 3\n";
    for (int i = 0; i < 8; i++) s += "v " + xyz(i) + colore + "\n";
    for (const auto &n : NORMALI_CUBO)
        s += "vn " + std::to_string(n[0]) + " " + std::to_string(n[1]) + " " + std::to_string(n[2]) + "\n";
    s += "vt 0 0\n";
    for (int j = 0; j < 6; j++) {
        s += j ? "f" : "f \\\n";
        for (int v : QUADRATI[j]) {
            const std::string n = std::to_string(relativi ? j - 6 : j + 1);
            s += " " + std::to_string(relativi ? v - 8 : v + 1) +
                 (forma.find('n') == std::string::npos ? forma : cambia(forma, "n", n));
        }
        s += "\n";
    }
    return s;
}

// The cube and, past its corners, four vertices at the ends of their types'
// ranges, where sign and byte order show.
Forma cubo_ed_estremi()
{
    Forma f = forma_cubo();
    f.first.insert(f.first.end(), {{-128, -32768, 0.5}, {127, 32767, -1.25}, {0, 0, 1e10}, {-3, 300, 2}});
    return f;
}

// cubo_ed_estremi among elements and properties the reader must read past.
std::string ply_cubo(const std::string &formato, const char *a_capo = "\n")
{
    std::string testo;
    for (char c : "ply\nformat " + formato + " 1.0\ncomment a cube\nobj_info none\nelement material 2\n"
                  "property uchar ambient\nproperty list uchar float coeff\nelement vertex 12\nproperty int8 x\n"
                  "property short y\nproperty float64 confidence\nproperty float z\nproperty uint32 id\n"
                  "element face 6\nproperty list ushort uint vertex_indices\nproperty uchar flags\n"
                  "element edge 2\nproperty int vertex1\nproperty list ushort short path\nend_header\n")
        testo += c == '\n' ? std::string(a_capo) : std::string(1, c);
    const bool ascii = formato == "ascii", grande = formato == "binary_big_endian";
    // One record: its values on a line of their own, or their bytes.
    auto record = [&](auto... x) {
        for (const std::string &v : {(ascii ? std::to_string(+x) + " " : (Binario{grande, ""} << x).s)...}) testo += v;
        testo += ascii ? "\n" : "";
    };
    record((uint8_t)7, (uint8_t)2, 0.5f, 0.25f);
    record((uint8_t)9, (uint8_t)0);
    for (const auto &p : cubo_ed_estremi().first) record((int8_t)p[0], (int16_t)p[1], 0.9, (float)p[2], 4294967295u);
    for (const auto &q : QUADRATI)
        record((uint16_t)4, (uint32_t)q[0], (uint32_t)q[1], (uint32_t)q[2], (uint32_t)q[3], (uint8_t)3);
    record(0, (uint16_t)3, (int16_t)1, (int16_t)2, (int16_t)3);
    record(1, (uint16_t)0);
    return testo + (ascii ? "  \n" : "");
}

// A tetrahedron, line by line, for the bad files to spoil.
const std::string TETRAEDRO =
    "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\n"
    "property float z\nelement face 4\nproperty list uchar int vertex_indices\nend_header\n"
    "0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n";

}  // namespace

// Keywords, comments anywhere (also right after a number), counts on the
// keyword's line, what follows the declared faces, the binary form: the same cube.
TEST(Off, KeywordsCommentsAndVariantsReadTheSameCube)
{
    const std::string corpo = std::string(CUBO).substr(6);
    const std::string varianti[] = {
        off("OFF"),
        CUBO,                                   // no keyword: counts first
        "# made by hand\n\n  # indented comment\nOFF\n\n" + std::string(CUBO),
        "OFF 8 6 0\n" + corpo,                  // counts on the keyword's line
        off("nOFF\n3"),
        off("OFF") + "\n# trailing comment\n\n",
        "OFF#kind\n8 6 0#counts\n" + corpo,
        "OFF\n8 6#no edges\n" + corpo,
        "OFF\n8 6 0\n0 0 0#a\n" + corpo.substr(6),
        off("OFF") + "3 0 1 2\nsome other program's own words\n",
        off("OFF") + "4 0 1 2 3 4 5 6 7 8\n",
        cubo_binario(),
    };
    for (const std::string &v : varianti) {
        const Letto r = leggi("cubo.off", v);
        ASSERT_TRUE(r.ok) << r.errore << "\n" << v;
        EXPECT_EQ(r.m.normali, 0);
        EXPECT_EQ(forma(r.m), forma_cubo()) << v;
    }
}

// Face colours in every form, per-vertex fields (normal, colour, texture
// coordinates) and a colour right before a comment, as the letters shown.
TEST(Off, ColoursInEveryFormGoToTheNearestLetter)
{
    const struct { std::string file, lettere; int liscio; } casi[] = {
        {"OFF\n4 6 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n"
         "3 0 2 1 1 0 0\n"            // red, floats
         "3 0 1 3 0 0 255 255\n"      // blue, bytes with alpha
         "3 1 2 3 0.9 0.1 0.9 0.5\n"  // purple, RGBA floats
         "3 0 3 2 7\n"                // colour-map index: none, the slot's yellow
         "3 0 1 2 # a comment\n"
         "3 1 2 3 0.9 0 0#red\n", "rbpyyr", 0},
        {"STCNOFF\n3 1 0\n"
         "0 0 0  0 0 1  1 0 0 1  0.5 0.5\n"
         "1 0 0  0 0 1  1 0 0 1  0 0\n"
         "0 1 0  0 0 1  1 0 0  0 1\n"
         "3 0 1 2\n", "r", 1},            // the mean of red vertices
        {cubo_binario(), "yyyyyg", 0},
    };
    for (const auto &c : casi) {
        const Letto r = leggi("c.off", c.file);
        ASSERT_TRUE(r.ok) << r.errore;
        const Poliedro &p = in_scena(r.m);
        EXPECT_EQ(p.liscio, c.liscio) << c.file;
        std::string lettere;
        for (int j = 0; j < p.numfacce; j++)
            lettere += p.facce[j].codicecolore;
        EXPECT_EQ(lettere, c.lettere);
    }
    const Letto r = leggi("c.off", casi[1].file);
    EXPECT_TRUE(r.m.normali && r.m.colori_punti && r.m.punti[2].normale[2] == 1.0 && r.m.punti[1].colore[0] == 1.0f);
}

// Faces of 7 and 9 vertices stay whole; 12 becomes a fan of 10 and 4 sharing
// vertex 0 and the diagonal; repeated neighbours go, degenerate faces are
// skipped; collinear first corners (a square listed from the middle of a
// side) are turned to a corner that gives the normal.
TEST(Facce, LargeFacesSplitRepeatsDroppedCollinearStartsTurned)
{
    std::string t = "OFF\n17 7 0\n";
    for (int i = 0; i < 12; i++)
        t += std::to_string(std::cos(i * M_PI / 6)) + " " + std::to_string(std::sin(i * M_PI / 6)) + " 0\n";
    t += "0 0 0\n1 0 0\n2 0 0\n2 2 0\n0 2 0\n7 0 1 2 3 4 5 6\n9 0 1 2 3 4 5 6 7 8\n12 0 1 2 3 4 5 6 7 8 9 10 11\n"
         "4 0 1 1 0\n5 0 0 1 2 0\n3 3 3 3\n5 12 13 14 15 16\n";
    const Letto r = leggi("f.off", t);
    ASSERT_TRUE(r.ok) << r.errore;
    const std::vector<std::vector<int>> attese = {{0, 1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4, 5, 6, 7, 8},
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 9, 10, 11}, {0, 1, 2}, {13, 14, 15, 16, 12}};
    EXPECT_EQ(forma(r.m).second, attese);
    const Poliedro &p = in_scena(r.m);
    ASSERT_EQ(p.numfacce, 6);
    for (int j = 0; j < 6; j++) {
        EXPECT_EQ(p.facce[j].numvertici, r.m.facce[j].numvertici) << j;
        // Counter-clockwise in the file, wound the other way in the scene.
        EXPECT_LT(p.facce[j].normale[2], 0.0) << "face " << j;
    }
}

// Object k of n centred at x = 12 (k - (n - 1) / 2), every radius the
// built-in surface's; the slots past n are empty. A file without colours is
// yellow alone, as the start picture, and each slot has a colour of its own.
TEST(Scena, PlacementOfOneToFourObjects)
{
    static Maglia m[MAX_POLIEDRI];
    const std::string files[] = {off("OFF"), "OFF\n4 1 0\n0 0 0\n100 0 0\n0 50 0\n7 7 7\n3 0 1 2\n",
                                 CUBO, "OFF\n3 1\n-5 -5 -5\n1 2 3\n4 4 1e-3\n3 2 1 0\n"};
    for (int k = 0; k < MAX_POLIEDRI; k++) m[k] = leggi("p.off", files[k]).m;   // a refused one places nothing
    const Maglia *tutte[] = {&m[0], &m[1], &m[2], &m[3]};
    for (int n = MAX_POLIEDRI; n >= 1; n--) {   // down, so that slots held before are emptied
        metti_in_scena(tutte, n);
        for (int k = 0; k < MAX_POLIEDRI; k++) {
            const Poliedro &p = ElencoPoliedri[k];
            EXPECT_EQ(p.numpunti + p.numfacce == 0, k >= n) << n << " " << k;
            if (k >= n) continue;
            EXPECT_EQ((size_t)p.numpunti, m[k].punti.size());
            // Placement divides by the file's radius and multiplies back: a few ulps.
            for (int a = 0; a < 3; a++)
                EXPECT_NEAR(p.centro[a], a ? 0.0 : 12.0 * (k - (n - 1) / 2.0), 1e-12) << n << " " << k;
            EXPECT_NEAR(p.raggio, RAGGIO_SCENA, 1e-12);
            for (int a = 0; a < k; a++)
                EXPECT_NE(std::memcmp(ElencoPoliedri[a].facce[0].colore, p.facce[0].colore, 3 * sizeof(float)), 0)
                    << "slots " << a << " and " << k << " look alike";
        }
        EXPECT_EQ(ElencoPoliedri[0].facce[0].codicecolore, 'y');
    }
}

TEST(Stl, CubeIsOneClosedPolyhedronInEveryForm)
{
    const Triangoli t = cubo();
    // Two solids in one file, capital keywords, words across lines, a facet
    // normal that is no number (unused: the faces get theirs from the corners).
    std::string due = stl_testo({t.tri.begin(), t.tri.begin() + 15}) + stl_testo({t.tri.begin() + 15, t.tri.end()});
    due = cambia(cambia(cambia(due, "solid", "SOLID"), "normal 0 0 0", "normal nan -nan inf"), "vertex 0",
                 "VERTEX\n 0");
    // A triangle with two equal corners is no face.
    Triangoli piatto = t;
    piatto.tri.insert(piatto.tri.end(), {0, 0, 1});
    // A binary file is told from ascii by its size, whatever its header says.
    for (const std::string &v : {stl_di(t), stl_di(t, "solid cubo exported"), stl_testo(t.tri),
                                 stl_testo(t.tri, "\r\n"), due, stl_di(piatto)}) {
        const Letto r = leggi("cubo.stl", v);
        ASSERT_TRUE(r.ok) << r.errore;
        // One vertex for each corner, each triangle the file's.
        const Forma f = forma(r.m);
        ASSERT_TRUE(f.first.size() == 8 && f.second.size() == 12) << f.first.size() << " " << f.second.size();
        for (size_t k = 0; k < t.tri.size(); k++)
            EXPECT_EQ(f.first[f.second[k / 3].at(k % 3)], forma_cubo().first[t.tri[k]]) << k;
        EXPECT_EQ(r.m.normali, 0);
    }
}

TEST(Obj, EveryCornerFormGivesTheSameFaces)
{
    // Faces of fewer than three corners are passed over; a '\' joins two lines.
    Forma attesa = forma_cubo();
    attesa.second.push_back({0, 2, 3, 1});
    for (bool relativi : {false, true})
        for (const std::string f : {"", "/", "/1", "//n", "/1/n"}) {
            SCOPED_TRACE("v" + f + (relativi ? " counted from the end" : ""));
            const bool normali = f.find('n') != std::string::npos;
            const Letto r = leggi("cubo.obj", obj_cubo(f, relativi) + (normali ? "" : "f 1 2\nf 3\nf\ng altro # comment\n"
                                                                                   "f 1 3 4 \\ \n 2 # also a comment\n"));
            ASSERT_TRUE(r.ok) << r.errore;
            if (!normali) {
                EXPECT_EQ(forma(r.m), attesa);
                EXPECT_EQ(r.m.normali, 0);
                continue;
            }
            // With a normal on every corner: smooth, each corner of the cube in
            // three faces with three normals, so 24 vertices.
            ASSERT_TRUE(r.m.normali == 1 && r.m.punti.size() == 24 && r.m.facce.size() == 6) << r.m.punti.size();
            for (int j = 0; j < 6; j++)
                for (int k = 0; k < 4; k++) {
                    const PuntoLetto &p = r.m.punti[vertici(r.m, j)[k]];
                    for (int a = 0; a < 3; a++)
                        EXPECT_TRUE(p.pos[a] == angolo(QUADRATI[j][k], a) && p.normale[a] == NORMALI_CUBO[j][a]) << j << k << a;
                }
        }
}

TEST(Obj, NormalsAndColoursOnlyWhenEveryOneHasThem)
{
    // One corner without its normal: flat, no copies.
    const std::string misto = cambia(obj_cubo("//n"), " 1//1", " 1");
    // Colours on every vertex, or on none that counts.
    const std::string colori = obj_cubo("", false, " 1 0.5 0");
    // Vertices under two and three normals: a copy made once for each
    // further normal, and reused by the faces after.
    const std::string copie = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nvn -1 -1 -1\nvn 0 0 -1\nvn 1 1 1\n"
                              "f 1//2 3//2 2//2\nf 1//1 2//1 4//1\nf 1//1 4//1 3//1\nf 2//3 3//3 4//3\n";
    const struct { std::string testo; size_t punti; int normali, colori; float verde_7; } casi[] = {
        {misto, 8, 0, 0, 0}, {colori, 8, 0, 1, 0.5f}, {cambia(colori, " 1 0.5 0", ""), 8, 0, 0, 0},
        {copie, 4 + 1 + 2 + 2 + 1, 1, 0, 0}};
    for (const auto &c : casi) {
        const Letto r = leggi("cubo.obj", c.testo);
        ASSERT_TRUE(r.ok) << r.errore;
        EXPECT_TRUE(r.m.punti.size() == c.punti && r.m.normali == c.normali && r.m.colori_punti == c.colori)
            << r.m.punti.size() << r.m.normali << r.m.colori_punti;
        EXPECT_EQ(r.m.punti[7].colore[1] * c.colori, c.verde_7);
    }
}

TEST(Ply, EveryEncodingAndTypeSkippingWhatItDoesNotUse)
{
    // Each encoding, with CRLF lines, and with an element of no properties,
    // which takes no bytes however many the header claims.
    for (const char *formato : {"ascii", "binary_little_endian", "binary_big_endian"})
        for (const std::string &f : {ply_cubo(formato), ply_cubo(formato, "\r\n"),
                                     cambia(ply_cubo(formato), "end_header", "element nothing 2000000000\nend_header")}) {
            SCOPED_TRACE(formato);
            const Letto r = leggi("t.ply", f);
            ASSERT_TRUE(r.ok) << r.errore;
            EXPECT_EQ(forma(r.m), cubo_ed_estremi());
            for (const FacciaLetta &g : r.m.facce) EXPECT_FALSE(g.colorata);
            EXPECT_FALSE(r.m.normali || r.m.colori_punti);
        }
}

// Normals and colours 0..1 (named diffuse_red ... or red ...) on the
// vertices, 0..255 on the faces: a uchar 1 is near black even when no
// component passes 1.
TEST(Ply, NormalsAndColours)
{
    for (const std::string colore : {"diffuse_", ""}) {
        std::string testa = "ply\nformat binary_big_endian 1.0\nelement vertex 4\n";
        // x wider than a float, nx wider than 16 bits: where a narrower reading shows.
        for (const std::string p : {"double x", "float y", "float z", "int nx", "float ny", "float nz"})
            testa += "property " + p + "\n";
        for (const std::string p : {"red", "green", "blue"}) testa += "property double " + colore + p + "\n";
        Binario b{true, testa + "element face 4\nproperty list uchar int vertex_indices\nproperty uchar red\n"
                                "property uchar green\nproperty uchar blue\nend_header\n"};
        for (int i : {0, 1, 2, 4})
            b << angolo(i, 0) + 0.1 << angolo(i, 1) << angolo(i, 2) << -100000 << 0.5f << (float)i
              << 0.5 << 0.25 << 1.0;
        const int facce[4][6] = {{0, 1, 2, 255, 51, 0}, {0, 1, 3, 0, 1, 1}, {0, 1, 0, 0, 0, 0}, {1, 2, 3, 0, 0, 0}};
        for (const auto &g : facce)
            b << (uint8_t)3 << g[0] << g[1] << g[2] << (uint8_t)g[3] << (uint8_t)g[4] << (uint8_t)g[5];
        const Letto r = leggi("colori.ply", b.s);
        ASSERT_TRUE(r.ok) << r.errore;
        ASSERT_TRUE(r.m.normali && r.m.colori_punti && r.m.facce.size() == 3) << "0 1 0 is no face";
        EXPECT_EQ(r.m.punti[1].pos[0], 1.1);
        const double attesi[][2] = {{r.m.punti[0].normale[0], -100000}, {r.m.punti[3].normale[2], 4},
                                    {r.m.punti[2].colore[1], 0.25}, {r.m.facce[0].colore[0], 1},
                                    {r.m.facce[0].colore[1], 0.2}, {r.m.facce[1].colore[2], 1 / 255.0},
                                    {r.m.punti[0].normale[1], 0.5}};
        // Colours go from 0..255 to floats through a division: a few float ulps.
        for (const auto &c : attesi) EXPECT_NEAR(c[0], c[1], 1e-6) << colore;
    }
}

// Every reader's refusals, each the whole message, nothing of the file kept.
TEST(Lettori, BadFilesNameWhereAndWhatIsWrong)
{
    const std::string v3 = "0 0 0\n1 0 0\n0 1 0\n", b = cubo_binario();
    // stl: 84 + 12 * 50 = 684 bytes. uno: line 1 solid, 2 facet, 3 outer loop,
    // 4-6 vertices, 7 endloop, 8 endfacet, 9 endsolid.
    const std::string stl = stl_di(cubo()), uno = stl_testo({0, 2, 3});
    auto u = [&](const std::string &da, const std::string &a) { return cambia(uno, da, a); };
    // An OBJ triangle whose line 6 is `riga`.
    auto o = [](const std::string &riga) { return "#\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n" + riga + "\nf 1 2 3\n"; };
    const std::string nessuno = " is not a face corner (v, v/vt, v//vn or v/vt/vn)";
    auto p = [](const std::string &da, const std::string &a) { return cambia(TETRAEDRO, da, a); };
    std::vector<std::pair<std::string, std::string>> casi = {
        {"4OFF\n3 1 0\n" + v3 + "3 0 1 2\n", "e.off:1: 4OFF is 4-dimensional: only 3-D objects are shown"},
        {"nOFF 4\n3 1 0\n" + v3 + "3 0 1 2\n", "e.off:1: a 4-dimensional OFF file: only 3-D objects are shown"},
        {"OFF\n3 1\n" + v3, "e.off:6: the file ends after 0 of its 1 faces"},
        {"OFF\n3 1\n0 0 0\n", "e.off:4: the file ends after 1 of its 3 vertices"},
        {"OFF\n3 1\n" + v3 + "3 0 1 3\n", "e.off:6: vertex index 3 is outside the 3 vertices (0 to 2)"},
        {"OFF\n3 1\n" + v3 + "3 0 -1 2\n", "e.off:6: vertex index -1 is outside the 3 vertices (0 to 2)"},
        {"OFF\n3 1\n0 nan 0\n1 0 0\n0 1 0\n3 0 1 2\n", "e.off:3: a vertex coordinate is not a finite number"},
        {"OFF\n3 1\n0 0 0\n1e31 0 0\n0 1 0\n3 0 1 2\n", "e.off:4: vertex coordinate 1e+31 is beyond 1e+30"},
        {"OFF\n3 1\n0 0 0\n1 0 x\n0 1 0\n3 0 1 2\n", "e.off:4: 'x' is not a number"},
        {"OFF\n3 1\n0 0\n1 0 0\n0 1 0\n3 0 1 2\n", "e.off:3: 2 numbers for a vertex, expected 3"},
        {"OFF\n3 1\n" + v3 + "3 0 1 2 0.5 0.5\n", "e.off:6: 2 numbers after the indices: a colour has 1, 3 or 4"},
        // Counts the bytes cannot hold: refused by what the bytes hold.
        {"OFF\n1000000000 1 0\n" + v3 + "3 0 1 2\n", "e.off:6: 4 numbers for a vertex, expected 3"},
        {"OFF\n3 1000000000 0\n" + v3 + "3 0 1 2\n", "e.off:7: the file ends after 1 of its 1000000000 faces"},
        {(Binario{true, "OFF BINARY\n"} << 1000000000 << 1 << 0).s + std::string(36, '\0'),
         "e.off: byte 59: the file ends within its 1000000000 vertices"},
        {"OFF\n3 2 0\n" + v3 + "3 0 1 2\n# the second face is missing\n",
         "e.off:8: the file ends after 1 of its 2 faces"},
        {"OFF\n-1 1 0\n", "e.off:2: negative count"},
        {"OFF\n3 0 0\n" + v3, "e.off: no face: nothing to show"},
        {"OFF\n3 1 0\n0 0 0\n0 0 0\n0 0 0\n3 0 1 2\n", "e.off: every vertex is at the same point: nothing to show"},
        {"OFF\n3 1\n0 0 0\n1 0\x01 0\n0 1 0\n3 0 1 2\n", "e.off:4: binary data (byte 0x01) in a text file"},
        {"OFF\n", "e.off:2: the file ends before the vertex and face counts"},
        // The binary cube cut anywhere, or longer than its faces.
        {b.substr(0, b.size() - 1), "e.off: byte 263: the file ends within a face's colour"},
        {b.substr(0, b.size() - 30), "e.off: byte 239: the file ends within a face of 4 vertices"},
        {b.substr(0, 30), "e.off: byte 30: the file ends within its 8 vertices"},
        {b.substr(0, 14), "e.off: byte 11: the file ends before the vertex, face and edge counts"},
        {b + "x", "e.off: byte 275: 1 bytes after the 6 faces the header declares"},
        // Binary STL sizes and counts are checked first.
        {stl + "x", "f.stl: byte 684: 1 bytes past the end of the 12 triangles (84 + 50 each)"},
        {"abc", "f.stl: neither ascii STL (no 'solid' first) nor binary STL (3 bytes, fewer than the 84 of the header)"},
        {u("      vertex 1.000000 1.000000 0.000000\n", ""), "f.stl:6: the facet of line 2 has 2 vertices: an STL facet has 3"},
        {u("    endloop\n", ""), "f.stl:7: 'endfacet' in a facet, where 'vertex' or 'endloop' should be"},
        {u("endsolid cubo\n", ""), "f.stl:9: the file ends before the 'endsolid' of the solid of line 1"},
        {u("    outer loop\n", ""), "f.stl:3: 'vertex' after the facet normal, where 'outer' should be"},
        {u("    endloop", "vertex 1 1 1\n    endloop"), "f.stl:7: a fourth vertex: an STL facet is a triangle"},
        {u("vertex 0.000000", "vertex zero"), "f.stl:4: 'zero' in a vertex is not a number"},
        {uno + "\n  junk\n", "f.stl:11: 'junk' after 'endsolid', where only another 'solid' may follow"},
        {u("vertex", "vert\x7f" "ex"), "f.stl:4: binary data (byte 0x7f) in a text file"},
        {o("f 1 2 0"), "t.obj:6: vertex index 0: OBJ counts from 1"},
        {o("f 1 -2 -4"), "t.obj:6: vertex index -4 reaches before the first of the 3 vertices defined so far"},
        {o("f 1//1 2//2 3//1"), "t.obj:6: normal index 2 is beyond the 1 normals defined so far"},
        {o("f 1 2 99999999999999999999999"),
         "t.obj:6: vertex index 99999999999999999999999 is beyond the 3 vertices defined so far"},
        {o("f 1 2 \\\n 3/x"), "t.obj:7: '3/x'" + nessuno},
        {o("f 1 2 3//"), "t.obj:6: '3//'" + nessuno},
        {o("f 1 2 /3"), "t.obj:6: '/3'" + nessuno},
        {o("f 1 2 3/1/1/1"), "t.obj:6: '3/1/1/1'" + nessuno},
        {o("f 1 2 3\nf 1 2 4\nv 1 1 1"), "t.obj:7: vertex index 4 is beyond the 3 vertices defined so far"},
        {o("v 1 uno 0"), "t.obj:6: 'uno' in a vertex is not a number"},
        {o("v 1 1"), "t.obj:6: a vertex of 2 numbers: reads x y z, x y z w or x y z r g b"},
        {o("v 1 1 1 1 1 1 1"), "t.obj:6: more than 6 numbers in a vertex"},
        {o("vn 1 inf 0"), "t.obj:6: a vertex normal is not a finite number within 1e30"},
        {o("vn 1 0"), "t.obj:6: a vertex normal of 2 numbers: reads x y z"},
        {o("v 1 1 1 -1 0 0"), "t.obj:6: a colour component is negative or not a number"},
        {p("ascii", "ebcdic"), "t.ply:2: unknown format 'ebcdic': expected ascii, binary_little_endian or binary_big_endian"},
        {p("1.0", "2.0"), "t.ply:2: the format line needs the version, 1.0"},
        {p("float y", "int64 y"), "t.ply:5: unknown type 'int64': expected char, uchar, short, ushort, int, uint, "
                                  "float or double (or int8 ... float64)"},
        {p("float y", "float y z"), "t.ply:5: unexpected 'z' at the end of the property line"},
        {p("float y", std::string("float\0 y", 8)), "t.ply:5: binary data (byte 0x00) in the header"},
        {p("vertex 4", "vertex -4"), "t.ply:3: element vertex has a negative count, -4"},
        {p("vertex 4", "vertex 4.5"), "t.ply:3: the count '4.5' of element vertex is not a whole number"},
        {p("vertex 4", "vertex 2000000000"), "t.ply:14: more values than one vertex record holds"},
        {p("face 4", "face 2000000000"), "t.ply:18: the file ends after 4 of the 2000000000 face records"},
        {p("element vertex 4\n", "element face 0\nelement vertex 4\n"),
         "t.ply:4: element vertex after element face: the faces need their vertices first"},
        {cambia(TETRAEDRO.substr(0, TETRAEDRO.find("0 0 0")), "element vertex", "element point"),
         "t.ply:7: element face with no element vertex before it"},
        {p("float x", "float w"), "t.ply:3: element vertex has no property x: x, y and z are all needed"},
        {p("list uchar int vertex_indices", "int vertex_indices"),
         "t.ply:8: property vertex_indices of element face is a single number: a list is expected"},
        {p("list uchar", "list float"), "t.ply:8: a list's length must have an integer type, not float"},
        {p("element vertex", "property int q\nelement vertex"), "t.ply:3: property before any element"},
        {p("element face", "elemnt face"),
         "t.ply:7: unknown header line 'elemnt': expected format, element, property, comment or end_header"},
        {p("1 0 0\n", "1 0\n"), "t.ply:11: too few values for one vertex record: z is missing"},
        {p("1 0 0\n", "1 zero 0\n"), "t.ply:11: 'zero' is not a number (y, float)"},
        {p("0 1 0\n", std::string("0 1\0 0\n", 7)), "t.ply:12: binary data (byte 0x00) in a text file"},
        {cambia(p("uchar int", "uchar uint"), "3 1 2 3", "3 1 2 4000000000"),
         "t.ply:17: vertex index 4000000000 is outside the 4 vertices (0 to 3)"},
        {p("3 0 1 3", "-3 0 1 3"), "t.ply:15: -3 does not fit the type uchar (vertex_indices)"},
        {cambia(p("list uchar", "list char"), "3 0 1 3", "-3 0 1 3"), "t.ply:15: list vertex_indices has a negative length, -3"},
        {cambia(p("list uchar", "list uint"), "3 0 1 3", "50000 0 1 3"),
         "t.ply:15: list vertex_indices announces 50000 values, the line holds 3"},
        {p("3 0 1 3", "3 0 1.5 3"), "t.ply:15: '1.5' is not a whole number (vertex_indices, int)"},
        {TETRAEDRO + "\n  junk\n", "t.ply:19: data after the last element: the header announces no more"},
    };
    // The binary cube: its vertices after the material's 12 bytes, 19 bytes
    // each, then its faces, 19 bytes each.
    for (bool grande : {false, true}) {
        const std::string c = ply_cubo(grande ? "binary_big_endian" : "binary_little_endian");
        const size_t v = c.find("end_header\n") + 11 + 12, f = v + 12 * 19 + 5 * 19;
        auto con = [&](size_t k, auto x) { return std::string(c).replace(k, sizeof x, (Binario{grande, ""} << x).s); };
        auto byte = [](size_t k) { return "t.ply: byte " + std::to_string(k) + ": "; };
        casi.insert(casi.end(), {
            {c.substr(0, v + 30), byte(v) + "12 vertex records of at least 19 bytes each cannot fit in the 30 bytes left"},
            {con(f + 2, 99u), byte(f) + "vertex index 99 is outside the 12 vertices (0 to 11)"},
            {con(f, (uint16_t)200), byte(f) + "list vertex_indices of 200 values runs past the end of the file"},
            {con(v + 11 * 19 + 11, std::nanf("")), byte(v + 11 * 19) + "a vertex coordinate is not a finite number"},
            {c + "xyz", byte(c.size()) + "3 bytes after the last element: the header announces no more"},
            {c.substr(0, f + 18), byte(f + 18) + "the file ends after 5 of the 6 face records"},
        });
    }
    for (const auto &[file, atteso] : casi) rifiutato(atteso.substr(0, atteso.find(':')), file, atteso);
}
