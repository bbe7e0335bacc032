// The STL and OBJ readers, through leggi_maglia as the viewer calls it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

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
            const int c[3] = {q[0], q[1 + mezzo], q[2 + mezzo]};
            Triangolo tr;
            for (int k = 0; k < 3; k++)
                for (int a = 0; a < 3; a++)
                    tr.v[k][a] = (float)(c[k] >> a & 1);
            t.push_back(tr);
        }
    return t;
}

void metti_u32(std::string &s, uint32_t u)
{
    for (int k = 0; k < 4; k++)
        s += (char)(u >> 8 * k & 0xff);
}

void metti_f32(std::string &s, float f)
{
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    metti_u32(s, u);
}

// A binary STL; `conteggio` overrides the triangle count in the header.
std::string stl_binario(const std::vector<Triangolo> &t, const std::string &testa = "",
                        long long conteggio = -1)
{
    std::string s = testa;
    s.resize(80, '\0');
    metti_u32(s, (uint32_t)(conteggio < 0 ? (long long)t.size() : conteggio));
    for (const Triangolo &tr : t) {
        for (int k = 0; k < 3; k++)
            metti_f32(s, 0.0f);   // the facet normal, which the reader ignores
        for (const auto &v : tr.v)
            for (float x : v)
                metti_f32(s, x);
        s += std::string(2, '\0');
    }
    return s;
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
    for (int j = 0; j < m.numfacce; j++) {
        const FacciaLetta &f = m.facce[j];
        for (int k = 0; k < f.numvertici; k++)
            spigoli[{f.vertici[k], f.vertici[(k + 1) % f.numvertici]}]++;
    }
    for (const auto &[s, n] : spigoli) {
        EXPECT_EQ(n, 1) << s.first << "-" << s.second;
        EXPECT_EQ(spigoli.count({s.second, s.first}), 1u) << s.first << "-" << s.second;
    }
}

// Positions and faces, comparable between two readings.
using Forma = std::pair<std::vector<std::vector<double>>, std::vector<std::vector<int>>>;

Forma forma(const Maglia &m)
{
    Forma r;
    for (int i = 0; i < m.numpunti; i++)
        r.first.push_back({m.punti[i].pos[0], m.punti[i].pos[1], m.punti[i].pos[2]});
    for (int j = 0; j < m.numfacce; j++)
        r.second.emplace_back(m.facce[j].vertici, m.facce[j].vertici + m.facce[j].numvertici);
    return r;
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
    ASSERT_TRUE(b.ok) << b.errore;
    EXPECT_EQ(b.m.numpunti, 8);
    EXPECT_EQ(b.m.numfacce, 12);
    EXPECT_EQ(b.m.normali, 0);
    chiuso(b.m);
    const Forma binaria = forma(b.m);

    // Told from ascii by its size, whatever its header says.
    const Letto s = leggi("cubo.stl", stl_binario(t, "solid cubo exported"));
    ASSERT_TRUE(s.ok) << s.errore;
    EXPECT_EQ(forma(s.m), binaria);

    for (const char *a_capo : {"\n", "\r\n"}) {
        const Letto a = leggi("cubo.stl", stl_testo(t, a_capo));
        ASSERT_TRUE(a.ok) << a.errore;
        EXPECT_EQ(forma(a.m), binaria);
    }

    // Two solids in one file, capital keywords, words across lines.
    std::string due = stl_testo({t.begin(), t.begin() + 5}) + stl_testo({t.begin() + 5, t.end()});
    due.replace(0, 5, "SOLID");
    due.replace(due.find("vertex 0"), 8, "VERTEX\n 0");
    const Letto d = leggi("cubo.stl", due);
    ASSERT_TRUE(d.ok) << d.errore;
    EXPECT_EQ(forma(d.m), binaria);

    // A triangle with two equal corners is no face.
    std::vector<Triangolo> piatto = t;
    piatto.push_back(t[0]);
    std::memcpy(piatto.back().v[1], piatto.back().v[0], sizeof piatto.back().v[0]);
    const Letto p = leggi("cubo.stl", stl_binario(piatto));
    ASSERT_TRUE(p.ok) << p.errore;
    EXPECT_EQ(forma(p.m), binaria);
}

TEST(Stl, BinarySizeAndCountAreCheckedFirst)
{
    const std::string cubo = stl_binario(triangoli_cubo());   // 84 + 12 * 50 = 684 bytes
    EXPECT_EQ(rifiuto("cubo.stl", cubo.substr(0, cubo.size() - 1)),
              "cubo.stl: byte 683: the file ends, but its 12 triangles need 684 bytes "
              "(84 + 50 each)");
    EXPECT_EQ(rifiuto("cubo.stl", cubo + "x"),
              "cubo.stl: byte 684: 1 bytes past the end of the 12 triangles (84 + 50 each)");

    // The count is refused before any triangle is looked for.
    EXPECT_EQ(rifiuto("cubo.stl", stl_binario(triangoli_cubo(), "", 6000)),
              "cubo.stl: 6000 triangles, more than the 5000 faces a polyhedron holds");
    EXPECT_EQ(rifiuto("cubo.stl", stl_binario(triangoli_cubo(), "solid", 2000000000)),
              "cubo.stl: 2000000000 triangles, more than the 5000 faces a polyhedron holds");

    // A NaN corner: the byte where the vertex starts (after header, count
    // and the first triangle's normal).
    std::vector<Triangolo> t = triangoli_cubo();
    t[0].v[0][1] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(rifiuto("cubo.stl", stl_binario(t)),
              "cubo.stl: byte 96: a vertex coordinate is not a finite number");

    EXPECT_EQ(rifiuto("corto.stl", "abc").rfind("corto.stl: neither ascii STL", 0), 0u);
}

TEST(Stl, AsciiStructureErrorsNameTheirLine)
{
    const std::string uno = stl_testo({triangoli_cubo()[0]});
    // Line 1 solid, 2 facet, 3 outer loop, 4-6 vertices, 7 endloop, 8 endfacet, 9 endsolid.
    auto senza_riga = [&](int riga) {
        std::string s = uno;
        size_t a = 0;
        for (int k = 1; k < riga; k++)
            a = s.find('\n', a) + 1;
        return s.erase(a, s.find('\n', a) + 1 - a);
    };
    // The first vertex's x, a whole word, replaced.
    auto primo_numero = [&](const char *x) {
        const size_t a = uno.find("vertex") + 7;
        return std::string(uno).replace(a, uno.find(' ', a) - a, x);
    };
    const struct {
        std::string testo, messaggio;
    } casi[] = {
        {senza_riga(6), "f.stl:6: the facet of line 2 has 2 vertices: an STL facet has 3"},
        {senza_riga(7), "f.stl:7: 'endfacet' in a facet, where 'vertex' or 'endloop' should be"},
        {senza_riga(9), "f.stl:9: the file ends before the 'endsolid' of the solid of line 1"},
        {senza_riga(3), "f.stl:3: 'vertex' after the facet normal, where 'outer' should be"},
        {std::string(uno).insert(uno.find("endloop"), "vertex 1 1 1\n"),
         "f.stl:7: a fourth vertex: an STL facet is a triangle"},
        {primo_numero("zero"),
         "f.stl:4: 'zero' in a vertex is not a number"},
        {primo_numero("nan"),
         "f.stl:4: a vertex coordinate is not a finite number"},
        {primo_numero("1e31"),
         "f.stl:4: vertex coordinate 1e+31 is beyond 1e+30"},
        {uno + "\n  junk\n", "f.stl:11: 'junk' after 'endsolid', where only another 'solid' may follow"},
        {std::string(uno).replace(uno.find("endloop") + 3, 1, std::string(1, '\0')),
         "f.stl:7: binary data (byte 0x00) in a text file"},
    };
    for (const auto &c : casi)
        EXPECT_EQ(rifiuto("f.stl", c.testo), c.messaggio);
}
