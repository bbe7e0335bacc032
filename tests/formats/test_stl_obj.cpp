// The STL and OBJ readers, through leggi_maglia as the viewer calls it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "text/lettura.h"
#include "tests/formats/leggi_testo.h"

namespace {

// The unit cube: corner i at (i & 1, i >> 1 & 1, i >> 2 & 1), six outward
// quads, each split into two triangles.
const int QUADRATI[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                            {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};

struct Triangolo {
    float v[3][3];
};

std::vector<Triangolo> triangoli_cubo()
{
    std::vector<Triangolo> t;
    for (const auto &q : QUADRATI)
        for (int mezzo = 0; mezzo < 2; mezzo++) {
            Triangolo tr;
            for (int k = 0; k < 9; k++)
                tr.v[k / 3][k % 3] = (float)(q[k / 3 ? k / 3 + mezzo : 0] >> k % 3 & 1);
            t.push_back(tr);
        }
    return t;
}

// A binary STL; `conteggio` overrides the triangle count in the header.
std::string stl_binario(const std::vector<Triangolo> &t, const std::string &testa = "",
                        long long conteggio = -1)
{
    Binario b{false, testa};
    b.s.resize(80, '\0');
    b << (uint32_t)(conteggio < 0 ? (long long)t.size() : conteggio);
    for (const Triangolo &tr : t) {
        b << 0.0f << 0.0f << 0.0f;   // the facet normal, which the reader ignores
        for (const auto &v : tr.v)
            b << v[0] << v[1] << v[2];
        b << (uint16_t)0;
    }
    return b.s;
}

std::string stl_testo(const std::vector<Triangolo> &t, const char *a_capo = "\n")
{
    std::string s = std::string("solid cubo") + a_capo;
    for (const Triangolo &tr : t) {
        s += std::string("  facet normal 0 0 0") + a_capo + "    outer loop" + a_capo;
        for (const auto &v : tr.v)
            s += "      vertex " + std::to_string(v[0]) + " " + std::to_string(v[1]) + " " +
                 std::to_string(v[2]) + a_capo;
        s += std::string("    endloop") + a_capo + "  endfacet" + a_capo;
    }
    return s + "endsolid cubo" + a_capo;
}

// Every edge in exactly two faces, once in each direction: closed and
// consistently oriented.
void chiuso(const Maglia &m)
{
    std::map<std::pair<int, int>, int> spigoli;
    for (int j = 0; j < numfacce(m); j++) {
        const int n = m.facce[j].numvertici, *v = vertici(m, j);
        for (int k = 0; k < n; k++)
            spigoli[{v[k], v[(k + 1) % n]}]++;
    }
    for (const auto &[s, n] : spigoli) {
        EXPECT_EQ(n, 1) << s.first << "-" << s.second;
        EXPECT_EQ(spigoli.count({s.second, s.first}), 1u) << s.first << "-" << s.second;
    }
}

// A cube read without normals: its eight corners, the faces asked, closed.
void cubo_piatto(const Letto &r, int facce)
{
    ASSERT_TRUE(r.ok) << r.errore;
    EXPECT_TRUE(numpunti(r.m) == 8 && numfacce(r.m) == facce && r.m.normali == 0) << numpunti(r.m);
    chiuso(r.m);
}

// The message of a file that must be refused.
std::string rifiuto(const std::string &nome, const std::string &contenuto)
{
    const Letto r = leggi(nome, contenuto);
    EXPECT_FALSE(r.ok) << nome;
    return r.errore;
}

} // namespace

TEST(Stl, CubeIsOneClosedPolyhedronInEveryForm)
{
    const std::vector<Triangolo> t = triangoli_cubo();
    const Letto b = leggi("cubo.stl", stl_binario(t));
    ASSERT_NO_FATAL_FAILURE(cubo_piatto(b, 12));
    const Forma binaria = forma(b.m);

    // Two solids in one file, capital keywords, words across lines, a facet
    // normal that is no number (unused: the faces get theirs from the corners).
    std::string due = stl_testo({t.begin(), t.begin() + 5}) + stl_testo({t.begin() + 5, t.end()});
    due.replace(0, 5, "SOLID");
    due.replace(due.find("normal 0 0 0"), 12, "normal nan -nan inf");
    due.replace(due.find("vertex 0"), 8, "VERTEX\n 0");
    // A triangle with two equal corners is no face.
    std::vector<Triangolo> piatto = t;
    piatto.push_back(t[0]);
    std::memcpy(piatto.back().v[1], piatto.back().v[0], sizeof piatto.back().v[0]);
    const std::string varianti[] = {
        stl_binario(t, "solid cubo exported"),   // told from ascii by its size, whatever its header says
        stl_testo(t), stl_testo(t, "\r\n"), due, stl_binario(piatto)};
    for (const std::string &v : varianti) {
        const Letto r = leggi("cubo.stl", v);
        ASSERT_TRUE(r.ok) << r.errore;
        EXPECT_EQ(forma(r.m), binaria);
    }
}

// Binary sizes and counts are checked first; ascii errors name their line.
TEST(Stl, BadFilesNameTheByteOrLineAndWhatIsWrong)
{
    const std::vector<Triangolo> t = triangoli_cubo();
    const std::string cubo = stl_binario(t);   // 84 + 12 * 50 = 684 bytes
    const std::string uno = stl_testo({t[0]});
    // Line 1 solid, 2 facet, 3 outer loop, 4-6 vertices, 7 endloop, 8 endfacet, 9 endsolid.
    auto senza_riga = [&](int riga) {
        std::string s = uno;
        size_t a = 0;
        for (int k = 1; k < riga; k++)
            a = s.find('\n', a) + 1;
        return s.erase(a, s.find('\n', a) + 1 - a);
    };
    const struct { std::string testo, messaggio; } casi[] = {
        {cubo + "x", "f.stl: byte 684: 1 bytes past the end of the 12 triangles (84 + 50 each)"},
        // A count the bytes do not hold is refused by the size it needs.
        {stl_binario(t, "", 6000), "f.stl: byte 684: the file ends, but its 6000 triangles need 300084 bytes "
                                   "(84 + 50 each)"},
        {"abc", "f.stl: neither ascii STL (no 'solid' first) nor binary STL (3 bytes, fewer than the 84 of the "
                "header)"},
        {senza_riga(6), "f.stl:6: the facet of line 2 has 2 vertices: an STL facet has 3"},
        {senza_riga(7), "f.stl:7: 'endfacet' in a facet, where 'vertex' or 'endloop' should be"},
        {senza_riga(9), "f.stl:9: the file ends before the 'endsolid' of the solid of line 1"},
        {senza_riga(3), "f.stl:3: 'vertex' after the facet normal, where 'outer' should be"},
        {std::string(uno).insert(uno.find("endloop"), "vertex 1 1 1\n"),
         "f.stl:7: a fourth vertex: an STL facet is a triangle"},
        {std::string(uno).replace(uno.find("vertex") + 7, 8, "zero"), "f.stl:4: 'zero' in a vertex is not a number"},
        {uno + "\n  junk\n", "f.stl:11: 'junk' after 'endsolid', where only another 'solid' may follow"},
        {std::string(uno).replace(uno.find("endloop") + 3, 1, std::string(1, '\0')),
         "f.stl:7: binary data (byte 0x00) in a text file"},
        {std::string(uno).replace(uno.find("vertex") + 4, 0, "\x7f"),
         "f.stl:4: binary data (byte 0x7f) in a text file"},
    };
    for (const auto &c : casi)
        EXPECT_EQ(rifiuto("f.stl", c.testo), c.messaggio);
}

namespace {

// The cube's outward normals, face by face as in QUADRATI.
const double NORMALI_CUBO[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0},
                                   {0, 1, 0},  {-1, 0, 0}, {1, 0, 0}};

// The cube as OBJ, every corner written as `forma` says ("v", "v/", "v/t",
// "v//n" or "v/t/n"), indices counted from the start or back from the end.
std::string vertici_cubo()
{
    std::string s;
    for (int i = 0; i < 8; i++)
        s += "v " + std::to_string(i & 1) + " " + std::to_string(i >> 1 & 1) + " " +
             std::to_string(i >> 2 & 1) + "\n";
    return s;
}

std::string obj_cubo(const std::string &forma, bool relativi = false)
{
    std::string s = "# cubo\n" + vertici_cubo() + "vt 0 0\n";
    for (const auto &n : NORMALI_CUBO)
        s += "vn " + std::to_string(n[0]) + " " + std::to_string(n[1]) + " " +
             std::to_string(n[2]) + "\n";
    for (int j = 0; j < 6; j++) {
        s += "f";
        for (int v : QUADRATI[j]) {
            const std::string iv = std::to_string(relativi ? v - 8 : v + 1);
            const std::string in = std::to_string(relativi ? j - 6 : j + 1);
            s += " " + iv + (forma == "v/" ? "/" : forma == "v/t" ? "/1" : forma == "v//n" ? "//" + in
                             : forma == "v/t/n" ? "/1/" + in : "");
        }
        s += "\n";
    }
    return s;
}

// Each face as the positions of its corners: equal between readings that
// number their vertices differently.
std::vector<std::vector<std::vector<double>>> angoli(const Maglia &m)
{
    std::vector<std::vector<std::vector<double>>> r(numfacce(m));
    for (int j = 0; j < numfacce(m); j++)
        for (int k = 0; k < m.facce[j].numvertici; k++) {
            const double *p = m.punti[vertici(m, j)[k]].pos;
            r[j].push_back({p[0], p[1], p[2]});
        }
    return r;
}

} // namespace

TEST(Obj, EveryCornerFormGivesTheSameFaces)
{
    const Letto piatto = leggi("cubo.obj", obj_cubo("v"));
    ASSERT_NO_FATAL_FAILURE(cubo_piatto(piatto, 6));
    const Forma cubo = forma(piatto.m);
    const auto facce = angoli(piatto.m);

    for (bool relativi : {false, true}) {
        for (const char *f : {"v", "v/", "v/t"}) {
            const Letto r = leggi("cubo.obj", obj_cubo(f, relativi));
            ASSERT_TRUE(r.ok) << f << ": " << r.errore;
            EXPECT_EQ(forma(r.m), cubo) << f;
        }
        // With a normal on every corner: smooth, each corner of the cube in
        // three faces with three normals, so two copies of each after the
        // file's eight.
        for (const char *f : {"v//n", "v/t/n"}) {
            const Letto r = leggi("cubo.obj", obj_cubo(f, relativi));
            ASSERT_TRUE(r.ok) << f << ": " << r.errore;
            EXPECT_TRUE(r.m.normali == 1 && numpunti(r.m) == 24) << numpunti(r.m);
            EXPECT_EQ(angoli(r.m), facce) << f;
            for (int i = 0; i < 8; i++)
                EXPECT_EQ(r.m.punti[i].pos[2], cubo.first[i][2]) << i;
            for (int j = 0; j < 6; j++)
                for (int k = 0; k < 4; k++)
                    for (int a = 0; a < 3; a++)
                        EXPECT_EQ(r.m.punti[vertici(r.m, j)[k]].normale[a], NORMALI_CUBO[j][a]);
        }
    }

    // Everything but v, vn and f is passed over, as are faces of fewer than
    // three corners; a '\' joins two lines.
    std::string altro = obj_cubo("v/t");
    altro.replace(altro.find("f "), 0,
                  "mtllib assente.mtl\no cubo\ng lati\nusemtl rosso\ns 1\nl 1 2\np 3\n"
                  "vp 0.5\ncstype bspline\nchissà 1 2 3\n");
    altro.replace(altro.find("f ") + 2, 0, "\\\n");
    altro += "f 1 2\nf 3\nf\ng altro # comment\nf 1 3 4 \\ \n 2 # also a comment\n";
    const Letto r = leggi("cubo.obj", altro);
    ASSERT_TRUE(r.ok) << r.errore;
    const Forma con_doppia = forma(r.m);
    EXPECT_EQ(con_doppia.first, cubo.first);
    ASSERT_EQ(con_doppia.second.size(), 7u);
    EXPECT_EQ(std::vector<std::vector<int>>(con_doppia.second.begin(), con_doppia.second.end() - 1),
              cubo.second);
    EXPECT_EQ(con_doppia.second.back(), (std::vector<int>{0, 2, 3, 1}));
}

TEST(Obj, NormalsAndColoursOnlyWhenEveryOneHasThem)
{
    // As superficie-export writes it: vertex i with normal i, in file order.
    std::string esportato = vertici_cubo();
    for (int i = 0; i < 8; i++)
        esportato += "vn " + std::to_string(2 * (i & 1) - 1) + " 0 0\n";
    for (const auto &q : QUADRATI) {
        esportato += "f";
        for (int v : q)
            esportato += " " + std::to_string(v + 1) + "//" + std::to_string(v + 1);
        esportato += "\n";
    }
    // One corner without its normal: flat, no copies.
    std::string misto = obj_cubo("v//n");
    misto.replace(misto.rfind("//"), 3, "");
    // Colours on every vertex, or on none that counts.
    std::string colori = obj_cubo("v");
    for (size_t at = colori.find("\nv "); at != std::string::npos; at = colori.find("\nv ", at + 1))
        colori.insert(colori.find('\n', at + 1), " 1 0.5 0");
    std::string meno_uno = colori;
    meno_uno.erase(meno_uno.find(" 1 0.5 0"), 8);
    const struct { std::string testo; int normali, colori; float verde_7; } casi[] = {{esportato, 1, 0, 0}, {misto, 0, 0, 0}, {colori, 0, 1, 0.5f}, {meno_uno, 0, 0, 0}};
    for (const auto &c : casi) {
        const Letto r = leggi("cubo.obj", c.testo);
        ASSERT_TRUE(r.ok) << r.errore;
        EXPECT_EQ(numpunti(r.m), 8);
        EXPECT_TRUE(r.m.normali == c.normali && r.m.colori_punti == c.colori) << r.m.normali << r.m.colori_punti;
        for (int i = 0; i < 8 && c.normali; i++)
            EXPECT_EQ(r.m.punti[i].normale[0], 2 * (i & 1) - 1) << i;
        EXPECT_EQ(r.m.punti[7].colore[1] * c.colori, c.verde_7);
    }
}

TEST(Obj, BadInputIsRefusedWithItsLine)
{
    const std::string tre = "# a triangle\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n";
    const struct { std::string riga, messaggio; } casi[] = {
        {"f 1 2 0", "t.obj:6: vertex index 0: OBJ counts from 1"},
        {"f 1 2 1000000000", "t.obj:6: vertex index 1000000000 is beyond the 3 vertices defined so far"},
        {"f 1 -2 -4", "t.obj:6: vertex index -4 reaches before the first of the 3 vertices defined so far"},
        {"f 1//1 2//2 3//1", "t.obj:6: normal index 2 is beyond the 1 normals defined so far"},
        {"f 1 2 99999999999999999999999",
         "t.obj:6: vertex index 99999999999999999999999 is beyond the 3 vertices defined so far"},
        {"f 1 2 \\\n 3/x", "t.obj:7: '3/x' is not a face corner (v, v/vt, v//vn or v/vt/vn)"},
        {"f 1 2 3//", "t.obj:6: '3//' is not a face corner (v, v/vt, v//vn or v/vt/vn)"},
        {"f 1 2 3/1/", "t.obj:6: '3/1/' is not a face corner (v, v/vt, v//vn or v/vt/vn)"},
        {"f 1 2 /3", "t.obj:6: '/3' is not a face corner (v, v/vt, v//vn or v/vt/vn)"},
        {"f 1 2 3/1/1/1", "t.obj:6: '3/1/1/1' is not a face corner (v, v/vt, v//vn or v/vt/vn)"},
        {"f 1 2 3\nf 1 2 4\nv 1 1 1", "t.obj:7: vertex index 4 is beyond the 3 vertices defined so far"},
        {"v 1 uno 0", "t.obj:6: 'uno' in a vertex is not a number"},
        {"v 1 1", "t.obj:6: a vertex of 2 numbers: reads x y z, x y z w or x y z r g b"},
        {"v 1 1 1 1 1 1 1", "t.obj:6: more than 6 numbers in a vertex"},
        {"vn 1 inf 0", "t.obj:6: a vertex normal is not a finite number within 1e30"},
        {"vn 1 0", "t.obj:6: a vertex normal of 2 numbers: reads x y z"},
        {"v 1 1 1 -1 0 0", "t.obj:6: a colour component is negative or not a number"},
    };
    for (const auto &c : casi)
        EXPECT_EQ(rifiuto("t.obj", tre + c.riga + "\nf 1 2 3\n"), c.messaggio) << c.riga;
    // The same face with the indices it refers to defined is read.
    const Letto r = leggi("t.obj", tre + "f 1 -2 -1\n");
    EXPECT_TRUE(r.ok) << r.errore;
}

// The fuzzer's seeds must be files the readers take.
TEST(Semi, FuzzSeedsAreRead)
{
    const std::string file(__FILE__);
    const std::string cartella = file.substr(0, file.rfind("formats/")) + "fuzz/corpus_file/";
    static Maglia m;   // half a megabyte: not on the stack
    char errore[512];
    for (const char *nome : {"stl_ascii.stl", "stl_binary.stl", "obj_forme.obj", "obj_normali.obj"}) {
        ASSERT_TRUE(leggi_percorso((cartella + nome).c_str(), &m, errore, sizeof errore)) << errore;
        if (!m.normali)
            chiuso(m);   // copies for further normals are other vertices: not closed by index
    }
    // Its vertices 1 and 4 with two normals each, 2 and 3 with three.
    EXPECT_EQ(numpunti(m), 4 + 1 + 2 + 2 + 1);
    EXPECT_EQ(m.normali, 1);
}
