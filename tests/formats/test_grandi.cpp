// Files larger than a polyhedron holds: fitted with one line, written back by
// superficie-export --from as the viewer shows them; large hostile files
// refused at once, in memory bounded by their size.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/wait.h>

#include "tests/formats/leggi_testo.h"

using namespace prova;

namespace {

namespace fs = std::filesystem;

// Memory a reading may take: the file and a margin for everything else.
constexpr size_t MARGINE_MEMORIA = 100u << 20;
// Triangles of the large hostile files: a tenth under the sanitizers, whose
// build reads them some ten times slower.
#ifdef SUPERFICIE_ISTANZA_PICCOLA
constexpr uint32_t TRIANGOLI_OSTILI = 100000;
#else
constexpr uint32_t TRIANGOLI_OSTILI = 1000000;
#endif

// A bumpy torus of u x v vertices, each quad two triangles counter-clockwise
// from outside.
Triangoli toro(int u, int v)
{
    Triangoli t;
    for (int k = 0; k < u * v; k++) {
        const double a = 2 * M_PI * (k / v) / u, b = 2 * M_PI * (k % v) / v;
        const double r = 1.0 + 0.15 * std::sin(5 * a) * std::cos(3 * b);
        t.pos.insert(t.pos.end(), {(float)((3.0 + r * std::cos(b)) * std::cos(a)),
                                   (float)((3.0 + r * std::cos(b)) * std::sin(a)), (float)(r * std::sin(b))});
        const uint32_t i = k / v * v, j = k % v, i1 = (k / v + 1) % u * v, j1 = (j + 1) % v;
        t.tri.insert(t.tri.end(), {i + j, i1 + j, i1 + j1, i + j, i1 + j1, i + j1});
    }
    return t;
}

// 3000 vertices and three copies for a second normal; `in_fila` puts them on a line.
std::string obj_pieno(bool in_fila)
{
    std::string s;
    for (int i = 0; i < MAX_PUNTI; i++)
        s += "v " + std::to_string(i) + " " + std::to_string(in_fila ? i % 7 : i * i % 7) + " 0\n";
    return s + "vn 0 0 1\nvn 0 0 -1\nf 1//1 2//1 3//1\nf 3//2 2//2 1//2\n";
}

// The line a fitted file gives: the count as read, and the faces the slot k shows.
std::string riga(const std::string &inizio, int k)
{
    return inizio + " faces shown as " + std::to_string(ElencoPoliedri[k].numfacce) + " (a polyhedron holds 5000)\n";
}

std::string leggi_file(const fs::path &p)
{
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// superficie-export ARGS, through time(1): a child forked from this process would
// count the test's large files as its own. Status, standard error, peak bytes.
struct Esito { int stato; std::string errore; size_t picco; };
Esito esporta(const std::string &argomenti, const fs::path &dir)
{
    const fs::path err = dir / "err", picco = dir / "picco";
    const int r = std::system(("/usr/bin/time -f %M -o '" + picco.string() + "' '" SUPERFICIE_EXPORT
                               "' " + argomenti + " >/dev/null 2>'" + err.string() + "'").c_str());
    const std::string t = leggi_file(picco);   // the figure is the last line
    return Esito{WIFEXITED(r) ? WEXITSTATUS(r) : -1, leggi_file(err),
                 (size_t)std::strtoull(t.c_str() + t.rfind('\n', t.size() - 2) + 1, nullptr, 10) * 1024};
}

}  // namespace

// Each file over a capacity gives its one line and a slot within them; a file
// at the capacities exactly none, and keeps them all; up to four at once,
// their lines in order; a bad one among them: its message alone, and the
// store as it was.
TEST(Grandi, OverEitherCapacityIsFittedWithOneLine)
{
    std::string lunga = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf";   // 40004 corners: 5001 pieces
    for (int i = 0; i <= 40002; i++)
        lunga += i % 2 ? " 2" : " 1";
    Triangoli pieno = toro(50, 50);
    pieno.pos.resize(3 * MAX_PUNTI);   // vertices no face uses, to the capacity
    const std::vector<File> grandi = {
        {"facce.off", off_di(toro(50, 51))},    // 2550 vertices, 5100 triangles
        {"grande.stl", stl_di(toro(60, 50))},   // 6000 triangles
        {"pieno.obj", obj_pieno(false)},        // 3003 vertices, 2 faces
        {"in_fila.obj", obj_pieno(true)},       // every face without area
        {"lunga.obj", lunga + " 3\n"},
        {"pieno.off", off_di(pieno)},           // 3000 vertices, 5000 faces
    };
    const char *righe[] = {"facce.off: 5100", "grande.stl: 6000", "pieno.obj: 2", "in_fila.obj: 2", "lunga.obj: 5001",
                           nullptr};
    for (size_t da = 0; da < grandi.size(); da += MAX_POLIEDRI) {
        const std::vector<File> insieme(grandi.begin() + da, grandi.begin() + std::min(da + MAX_POLIEDRI, grandi.size()));
        const auto [ok, uscita] = carica(insieme);
        ASSERT_TRUE(ok) << uscita;
        std::string attese;
        for (size_t k = 0; k < insieme.size(); k++) {
            const Poliedro &p = ElencoPoliedri[k];
            EXPECT_TRUE(p.numpunti >= 3 && p.numpunti <= MAX_PUNTI && p.numfacce >= 1 && p.numfacce <= MAX_FACCE)
                << insieme[k].first << ": " << p.numpunti << " " << p.numfacce;
            attese += righe[da + k] ? riga(righe[da + k], k) : "";
        }
        EXPECT_EQ(uscita, attese);
    }
    EXPECT_TRUE(ElencoPoliedri[1].numpunti == MAX_PUNTI && ElencoPoliedri[1].numfacce == MAX_FACCE)
        << "pieno.off, whole";
    const std::vector<std::vector<double>> prima[] = {scena(0), scena(1)};
    EXPECT_EQ(carica({grandi[0], {"rotto.off", "OFF\n3 1 0\n"}}).second,
              "rotto.off:3: the file ends after 0 of its 3 vertices");
    EXPECT_TRUE(scena(0) == prima[0] && scena(1) == prima[1]) << "the store changed";
}

// --from writes what reads back, bit for bit, to the polyhedron the viewer
// shows of the file handed over whole (--from reads a binary STL from disk a
// block at a time); --from needs its file.
TEST(Grandi, ExportFromWritesThePolyhedronTheViewerShows)
{
    char modello[] = "/tmp/superficie-from-test.XXXXXX";
    const fs::path dir = mkdtemp(modello);
    const struct { File file; const char *opzione, *lette; } casi[] = {
        {{"blocchi.stl", stl_di(toro(300, 100))}, "", ": 60000"},   // three blocks of the reading from disk
        {{"piatto.stl", stl_di(toro(60, 50))}, "--obj ", ": 6000"},
        {{"colorato.off", off_di(toro(61, 50), nullptr,
                                 [](size_t k) -> std::string { return k % 3 ? "0.9 0.1 0.1" : ""; })},
         "", ": 6100"},
        {{"colori.off", "OFF\n4 4 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 2 1 1 0 0\n3 0 1 3 0 0 255\n"
                        "3 1 2 3 0.9 0.9 0.1\n3 0 3 2\n"}, "", nullptr},
    };
    for (const auto &c : casi) {
        SCOPED_TRACE(c.file.first + " " + c.opzione);
        const fs::path sorgente = dir / c.file.first, uscita = dir / (*c.opzione ? "u.obj" : "u.off");
        std::ofstream(sorgente, std::ios::binary) << c.file.second;
        ASSERT_TRUE(carica({c.file}).first);
        const auto attesa = scena(0);
        const Esito e = esporta(c.opzione + ("--from '" + sorgente.string() + "' '" + uscita.string() + "'"), dir);
        ASSERT_EQ(e.stato, 0) << e.errore;
        EXPECT_EQ(e.errore, c.lette ? "superficie-export: " + sorgente.string() + riga(c.lette, 0) : "");
        ASSERT_TRUE(carica({{uscita.filename().string(), leggi_file(uscita)}}).first);
        EXPECT_EQ(scena(0), attesa);
    }
    const Esito vuoto = esporta("--from", dir);
    EXPECT_EQ(vuoto.stato, 2);
    EXPECT_EQ(vuoto.errore, "superficie-export: --from needs a MESH file (try --help)\n");
    fs::remove_all(dir);
}

// Hostile files from disk, most of them large: one line, status 2, nothing
// written, memory bounded by the file's size.
TEST(Grandi, LargeHostileFilesAreRefusedInBoundedMemory)
{
    char modello[] = "/tmp/superficie-ostili-test.XXXXXX";
    const fs::path dir = mkdtemp(modello);
    auto prova = [&](const std::string &nome, const std::string &contenuto, const std::string &atteso) {
        const fs::path file = dir / nome;
        std::ofstream(file, std::ios::binary) << contenuto;
        const Esito f = esporta("--from '" + file.string() + "' '" + (dir / "niente.off").string() + "'", dir);
        EXPECT_TRUE(f.stato == 2 && !fs::exists(dir / "niente.off")) << nome;
        EXPECT_EQ(f.errore, "superficie-export: " + file.string() + atteso + "\n");
        EXPECT_LE(f.picco, contenuto.size() + MARGINE_MEMORIA) << nome;
        fs::remove(file);
    };
    prova("rotto.ply", "ply\nformat ascii 1.0\nelement vertex 1000000000\n", ": the header has no end_header line");
    const uint32_t n = TRIANGOLI_OSTILI;
    const std::string zeri = stl_di({{0, 0, 0}, std::vector<uint32_t>(3 * (size_t)n), {}});   // each a point
    prova("zeri.stl", zeri, ": no face: nothing to show");
    // Triangles of a torus, a NaN near the end; the same cut in the middle.
    std::string stl = stl_di(toro(1000, n / 2000));
    const size_t nan_a = 84 + 50 * (size_t)n / 10 * 9 + 12 + 4;
    const float nan = std::nanf("");
    std::memcpy(&stl[nan_a], &nan, 4);
    prova("nan.stl", stl, ": byte " + std::to_string(nan_a - 4) + ": a vertex coordinate is not a finite number");
    prova("tronco.stl", stl.substr(0, stl.size() / 2), ": byte " + std::to_string(stl.size() / 2) + ": the file ends, but its " +
          std::to_string(n) + " triangles need " + std::to_string(84 + 50 * (size_t)n) + " bytes (84 + 50 each)");
    // Triangles in text, cut after a face's first index.
    std::string testo = off_di(toro(1000, n / 2000));
    testo.resize(testo.find(' ', testo.rfind("\n3 ", testo.size() * 3 / 4) + 3));
    prova("tronco.off", testo, ":" + std::to_string(std::count(testo.begin(), testo.end(), '\n') + 1) +
          ": a face of 3 vertices, but the line holds 1 indices");
    std::mt19937 caso(17);   // noise, under every name that picks a reader
    std::string rumore((size_t)n / 50000 << 20, '\0');   // 20 MiB, or 2
    std::generate(rumore.begin(), rumore.end(), [&] { return (char)caso(); });
    const std::string ignoto = ": unknown format: reads OFF, PLY, STL, glTF (.gltf, .glb), 3MF, and OBJ named *.obj";
    const std::string rumori[][2] = {
        {"rumore.off", ignoto}, {"rumore.obj", ":1: binary data (byte 0x16) in a text file"},
        {"rumore.stl", ": byte " + std::to_string(rumore.size()) + ": the file ends, but its 467477732 triangles "
                       "need 23373886684 bytes (84 + 50 each)"}};
    for (const auto &r : rumori)
        prova(r[0], rumore, r[1]);
    fs::remove_all(dir);
}
