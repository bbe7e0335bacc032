// The STL and OBJ readers, through leggi_maglia as the viewer calls it.
#include <array>
#include <map>

#include "tests/formats/leggi_testo.h"

namespace {

// Triangles by the cube's corners, each quad split in two.
using Triangoli = std::vector<std::array<int, 3>>;
Triangoli triangoli_cubo()
{
    Triangoli t;
    for (const auto &q : QUADRATI) t.push_back({q[0], q[1], q[2]}), t.push_back({q[0], q[2], q[3]});
    return t;
}

std::string xyz(int c)
{
    return std::to_string(angolo(c, 0)) + " " + std::to_string(angolo(c, 1)) + " " + std::to_string(angolo(c, 2));
}

// A binary STL; `conteggio` overrides the triangle count in the header.
std::string stl_binario(const Triangoli &t, const std::string &testa = "", long long conteggio = -1)
{
    Binario b{false, testa};
    b.s.resize(80, '\0');
    b << (uint32_t)(conteggio < 0 ? (long long)t.size() : conteggio);
    for (const auto &tr : t) {
        b << 0.0f << 0.0f << 0.0f;   // the facet normal, which the reader ignores
        for (int c : tr) b << angolo(c, 0) << angolo(c, 1) << angolo(c, 2);
        b << (uint16_t)0;
    }
    return b.s;
}

std::string stl_testo(const Triangoli &t, const std::string &a_capo = "\n")
{
    std::string s = "solid cubo" + a_capo;
    for (const auto &tr : t)
        s += "  facet normal 0 0 0" + a_capo + "    outer loop" + a_capo + "      vertex " + xyz(tr[0]) + a_capo +
             "      vertex " + xyz(tr[1]) + a_capo + "      vertex " + xyz(tr[2]) + a_capo + "    endloop" + a_capo +
             "  endfacet" + a_capo;
    return s + "endsolid cubo" + a_capo;
}

} // namespace

TEST(Stl, CubeIsOneClosedPolyhedronInEveryForm)
{
    const Triangoli t = triangoli_cubo();
    // One vertex for each corner, numbered as they first come.
    Forma attesa;
    std::map<int, int> numero;
    for (const auto &tr : t) {
        attesa.second.emplace_back();
        for (int c : tr) {
            if (numero.emplace(c, (int)numero.size()).second) attesa.first.push_back(forma_cubo().first[c]);
            attesa.second.back().push_back(numero[c]);
        }
    }

    // Two solids in one file, capital keywords, words across lines, a facet
    // normal that is no number (unused: the faces get theirs from the corners).
    std::string due = stl_testo({t.begin(), t.begin() + 5}) + stl_testo({t.begin() + 5, t.end()});
    due = cambia(cambia(cambia(due, "solid", "SOLID"), "normal 0 0 0", "normal nan -nan inf"), "vertex 0", "VERTEX\n 0");
    // A triangle with two equal corners is no face.
    Triangoli piatto = t;
    piatto.push_back({0, 0, 1});
    // A binary file is told from ascii by its size, whatever its header says.
    for (const std::string &v : {stl_binario(t), stl_binario(t, "solid cubo exported"), stl_testo(t),
                                 stl_testo(t, "\r\n"), due, stl_binario(piatto)}) {
        const Letto r = leggi("cubo.stl", v);
        ASSERT_TRUE(r.ok) << r.errore;
        EXPECT_EQ(forma(r.m), attesa);
        EXPECT_EQ(r.m.normali, 0);
    }
}

// Binary sizes and counts are checked first; ascii errors name their line.
TEST(Stl, BadFilesNameTheByteOrLineAndWhatIsWrong)
{
    const Triangoli t = triangoli_cubo();
    const std::string cubo = stl_binario(t);   // 84 + 12 * 50 = 684 bytes
    const std::string uno = stl_testo({t[0]});
    // Line 1 solid, 2 facet, 3 outer loop, 4-6 vertices, 7 endloop, 8 endfacet, 9 endsolid.
    auto u = [&](const std::string &da, const std::string &a) { return cambia(uno, da, a); };
    const struct { std::string testo, messaggio; } casi[] = {
        {cubo + "x", ": byte 684: 1 bytes past the end of the 12 triangles (84 + 50 each)"},
        // A count the bytes do not hold is refused by the size it needs.
        {stl_binario(t, "", 6000), ": byte 684: the file ends, but its 6000 triangles need 300084 bytes (84 + 50 each)"},
        {"abc", ": neither ascii STL (no 'solid' first) nor binary STL (3 bytes, fewer than the 84 of the header)"},
        {u("      vertex 1.000000 1.000000 0.000000\n", ""), ":6: the facet of line 2 has 2 vertices: an STL facet has 3"},
        {u("    endloop\n", ""), ":7: 'endfacet' in a facet, where 'vertex' or 'endloop' should be"},
        {u("endsolid cubo\n", ""), ":9: the file ends before the 'endsolid' of the solid of line 1"},
        {u("    outer loop\n", ""), ":3: 'vertex' after the facet normal, where 'outer' should be"},
        {u("    endloop", "vertex 1 1 1\n    endloop"), ":7: a fourth vertex: an STL facet is a triangle"},
        {u("vertex 0.000000", "vertex zero"), ":4: 'zero' in a vertex is not a number"},
        {uno + "\n  junk\n", ":11: 'junk' after 'endsolid', where only another 'solid' may follow"},
        {u("vertex", "vert\x7f" "ex"), ":4: binary data (byte 0x7f) in a text file"},
    };
    for (const auto &c : casi) rifiutato("f.stl", c.testo, "f.stl" + c.messaggio);
}

namespace {

// The cube's outward normals, face by face as in QUADRATI.
const double NORMALI_CUBO[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};

// The cube as OBJ, every corner v written as v and `forma` ("", "/", "/1",
// "//n" or "/1/n", n its face's normal), indices counted from the start or
// back from the end, and `colore` after each vertex.
std::string obj_cubo(const std::string &forma, bool relativi = false, const char *colore = "")
{
    std::string s = "# cubo\n";
    for (int i = 0; i < 8; i++) s += "v " + xyz(i) + colore + "\n";
    for (const auto &n : NORMALI_CUBO)
        s += "vn " + std::to_string(n[0]) + " " + std::to_string(n[1]) + " " + std::to_string(n[2]) + "\n";
    s += "vt 0 0\n";
    for (int j = 0; j < 6; j++) {
        s += "f";
        for (int v : QUADRATI[j]) {
            const std::string n = std::to_string(relativi ? j - 6 : j + 1);
            s += " " + std::to_string(relativi ? v - 8 : v + 1) +
                 (forma.find('n') == std::string::npos ? forma : cambia(forma, "n", n));
        }
        s += "\n";
    }
    return s;
}

} // namespace

TEST(Obj, EveryCornerFormGivesTheSameFaces)
{
    for (bool relativi : {false, true})
        for (const std::string f : {"", "/", "/1", "//n", "/1/n"}) {
            SCOPED_TRACE("v" + f + (relativi ? " counted from the end" : ""));
            const Letto r = leggi("cubo.obj", obj_cubo(f, relativi));
            ASSERT_TRUE(r.ok) << r.errore;
            if (f.find('n') == std::string::npos) {
                EXPECT_EQ(forma(r.m), forma_cubo());
                EXPECT_EQ(r.m.normali, 0);
                continue;
            }
            // With a normal on every corner: smooth, each corner of the cube in
            // three faces with three normals, so two copies of each after the
            // file's eight.
            ASSERT_TRUE(r.m.normali == 1 && r.m.punti.size() == 24 && r.m.facce.size() == 6) << r.m.punti.size();
            for (int i = 0; i < 8; i++) EXPECT_EQ(forma(r.m).first[i], forma_cubo().first[i]) << i;
            for (int j = 0; j < 6; j++)
                for (int k = 0; k < 4; k++) {
                    const PuntoLetto &p = r.m.punti[vertici(r.m, j)[k]];
                    for (int a = 0; a < 3; a++)
                        EXPECT_TRUE(p.pos[a] == angolo(QUADRATI[j][k], a) && p.normale[a] == NORMALI_CUBO[j][a]) << j << k << a;
                }
        }

    // Everything but v, vn and f is passed over, as are faces of fewer than
    // three corners; a '\' joins two lines.
    std::string altro = cambia(obj_cubo("/1"), "f ", "mtllib assente.mtl\no cubo\ng lati\nusemtl rosso\ns 1\n"
                               "l 1 2\np 3\nvp 0.5\ncstype bspline\nchissà 1 2 3\nf \\\n");
    altro += "f 1 2\nf 3\nf\ng altro # comment\nf 1 3 4 \\ \n 2 # also a comment\n";
    Forma attesa = forma_cubo();
    attesa.second.push_back({0, 2, 3, 1});
    const Letto r = leggi("cubo.obj", altro);
    ASSERT_TRUE(r.ok) << r.errore;
    EXPECT_EQ(forma(r.m), attesa);
}

TEST(Obj, NormalsAndColoursOnlyWhenEveryOneHasThem)
{
    // One corner without its normal: flat, no copies.
    std::string misto = obj_cubo("//n");
    misto.replace(misto.rfind("//"), 3, "");
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

TEST(Obj, BadInputIsRefusedWithItsLine)
{
    const std::string nessuno = " is not a face corner (v, v/vt, v//vn or v/vt/vn)";
    const struct { std::string riga, messaggio; } casi[] = {
        {"f 1 2 0", "6: vertex index 0: OBJ counts from 1"},
        {"f 1 -2 -4", "6: vertex index -4 reaches before the first of the 3 vertices defined so far"},
        {"f 1//1 2//2 3//1", "6: normal index 2 is beyond the 1 normals defined so far"},
        {"f 1 2 99999999999999999999999", "6: vertex index 99999999999999999999999 is beyond the 3 vertices defined so far"},
        {"f 1 2 \\\n 3/x", "7: '3/x'" + nessuno},
        {"f 1 2 3//", "6: '3//'" + nessuno},
        {"f 1 2 /3", "6: '/3'" + nessuno},
        {"f 1 2 3/1/1/1", "6: '3/1/1/1'" + nessuno},
        {"f 1 2 3\nf 1 2 4\nv 1 1 1", "7: vertex index 4 is beyond the 3 vertices defined so far"},
        {"v 1 uno 0", "6: 'uno' in a vertex is not a number"},
        {"v 1 1", "6: a vertex of 2 numbers: reads x y z, x y z w or x y z r g b"},
        {"v 1 1 1 1 1 1 1", "6: more than 6 numbers in a vertex"},
        {"vn 1 inf 0", "6: a vertex normal is not a finite number within 1e30"},
        {"vn 1 0", "6: a vertex normal of 2 numbers: reads x y z"},
        {"v 1 1 1 -1 0 0", "6: a colour component is negative or not a number"},
    };
    for (const auto &c : casi)
        rifiutato("t.obj", "# a triangle\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n" + c.riga + "\nf 1 2 3\n",
                  "t.obj:" + c.messaggio);
}
