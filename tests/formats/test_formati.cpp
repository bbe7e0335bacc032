// OFF in its variants, what every reader shares (faces split and turned,
// colours to letters) and placement into the scene.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "data/superficie.h"
#include "model/poliedro.h"
#include "tests/formats/leggi_testo.h"

namespace {

// Placement divides by the file's radius and multiplies back: a few ulps.
constexpr double TOLL_POSTO = 1e-12;

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

// Builds the Maglia just read into slot 0 alone.
const Poliedro &in_scena(const Maglia &m)
{
    const Maglia *una[] = {&m};
    metti_in_scena(una, 1);
    return ElencoPoliedri[0];
}

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
        {"OFF\n4 5 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n"
         "3 0 2 1 1 0 0\n"            // red, floats
         "3 0 1 3 0 0 255 255\n"      // blue, bytes with alpha
         "3 1 2 3 0.9 0.1 0.9 0.5\n"  // purple, RGBA floats
         "3 0 3 2 7\n"                // colour-map index: none, the slot's yellow
         "3 0 1 2 # a comment\n", "rbpyy", 0},
        {"OFF\n3 1 0\n1 -1 0\n0 1 0\n-1 -1 0\n3 0 1 2 0.9 0 0#red\n", "r", 0},
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
    const Letto r = leggi("c.off", casi[2].file);
    EXPECT_TRUE(r.m.normali && r.m.colori_punti && r.m.punti[2].normale[2] == 1.0 && r.m.punti[1].colore[0] == 1.0f);
}

// Whole messages; nothing half-read is left.
TEST(Off, BadFilesNameTheLineAndWhatIsWrong)
{
    const std::string v3 = "0 0 0\n1 0 0\n0 1 0\n", b = cubo_binario();
    const struct { std::string testo, atteso; } casi[] = {
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
    };
    for (const auto &c : casi) rifiutato("e.off", c.testo, c.atteso);
}

// Faces of 7 and 9 vertices stay whole; 12 becomes a fan of 10 and 4 sharing
// vertex 0 and the diagonal; repeated neighbours go, degenerate faces are
// skipped; collinear first corners are turned to a corner that gives the
// normal.
TEST(Facce, LargeFacesSplitRepeatsDroppedCollinearStartsTurned)
{
    std::string t = "OFF\n12 6 0\n";
    for (int i = 0; i < 12; i++)
        t += std::to_string(std::cos(i * M_PI / 6)) + " " + std::to_string(std::sin(i * M_PI / 6)) + " 0\n";
    t += "7 0 1 2 3 4 5 6\n9 0 1 2 3 4 5 6 7 8\n12 0 1 2 3 4 5 6 7 8 9 10 11\n"
         "4 0 1 1 0\n5 0 0 1 2 0\n3 3 3 3\n";
    const Letto r = leggi("f.off", t);
    ASSERT_TRUE(r.ok) << r.errore;
    EXPECT_EQ(r.m.punti.size(), 12u);
    const std::vector<std::vector<int>> attese = {
        {0, 1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4, 5, 6, 7, 8}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 9, 10, 11}, {0, 1, 2}};
    EXPECT_EQ(forma(r.m).second, attese);
    const Poliedro &p = in_scena(r.m);
    ASSERT_EQ(p.numfacce, 5);
    for (int j = 0; j < 5; j++) {
        EXPECT_EQ(p.facce[j].numvertici, r.m.facce[j].numvertici) << j;
        // Counter-clockwise in the file, wound the other way in the scene.
        EXPECT_LT(p.facce[j].normale[2], 0.0) << "face " << j;
    }
    // A square listed from the middle of a side: 0 1 2 collinear.
    const Letto q = leggi("q.off", "OFF\n5 1 0\n0 0 0\n1 0 0\n2 0 0\n2 2 0\n0 2 0\n5 0 1 2 3 4\n");
    ASSERT_TRUE(q.ok) << q.errore;
    EXPECT_TRUE(vertici(q.m, 0)[0] == 1 && vertici(q.m, 0)[4] == 0);   // the same cycle, turned
    EXPECT_LT(in_scena(q.m).facce[0].normale[2], 0.0);
}

// Object k of n centred at x = 12 (k - (n - 1) / 2), every radius the
// built-in surface's; the slots past n are empty. A file without colours is
// yellow alone, as the start picture, and each slot has a colour of its own.
TEST(Scena, PlacementOfOneToFourObjects)
{
    static Maglia m[MAX_POLIEDRI];
    const std::string files[] = {off("OFF"), "OFF\n4 1 0\n0 0 0\n100 0 0\n0 50 0\n7 7 7\n3 0 1 2\n",
                                 CUBO, "OFF\n3 1\n-5 -5 -5\n1 2 3\n4 4 1e-3\n3 2 1 0\n"};
    for (int k = 0; k < MAX_POLIEDRI; k++) {
        char errore[512];
        ASSERT_TRUE(leggi_maglia("p.off", files[k].data(), files[k].size(), &m[k], errore, sizeof errore)) << errore;
    }
    const Maglia *tutte[] = {&m[0], &m[1], &m[2], &m[3]};
    for (int n = MAX_POLIEDRI; n >= 1; n--) {   // down, so that slots held before are emptied
        metti_in_scena(tutte, n);
        for (int k = 0; k < MAX_POLIEDRI; k++) {
            const Poliedro &p = ElencoPoliedri[k];
            if (k >= n) {
                EXPECT_EQ(p.numpunti + p.numfacce, 0) << n << " " << k;
                continue;
            }
            EXPECT_EQ((size_t)p.numpunti, m[k].punti.size());
            for (int a = 0; a < 3; a++)
                EXPECT_NEAR(p.centro[a], a ? 0.0 : 12.0 * (k - (n - 1) / 2.0), TOLL_POSTO) << n << " " << k;
            EXPECT_NEAR(p.raggio, RAGGIO_SCENA, TOLL_POSTO);
            for (int a = 0; a < k; a++)
                EXPECT_NE(std::memcmp(ElencoPoliedri[a].facce[0].colore, p.facce[0].colore, 3 * sizeof(float)), 0)
                    << "slots " << a << " and " << k << " look alike";
        }
        EXPECT_EQ(ElencoPoliedri[0].facce[0].codicecolore, 'y');
    }
}
