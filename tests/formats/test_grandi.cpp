// Files larger than a polyhedron holds: fitted with one line, written back by
// superficie-export --from as the viewer shows them; large hostile files
// refused at once, in memory bounded by their size.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>

#include "model/poliedro.h"
#include "tests/formats/leggi_testo.h"

namespace {

namespace fs = std::filesystem;
using File = std::pair<std::string, std::string>;

// Memory a reading may take: the file and a margin for everything else.
constexpr size_t MARGINE_MEMORIA = 100u << 20;
// Triangles of the large hostile files: a tenth under the sanitizers, whose
// build reads them some ten times slower.
#ifdef SUPERFICIE_ISTANZA_PICCOLA
constexpr uint32_t TRIANGOLI_OSTILI = 100000;
#else
constexpr uint32_t TRIANGOLI_OSTILI = 1000000;
#endif

// A bumpy torus of u x v vertices: vertex k, and quad k counter-clockwise from outside.
std::array<double, 3> punto_toro(int k, int u, int v)
{
    const double a = 2 * M_PI * (k / v) / u, b = 2 * M_PI * (k % v) / v;
    const double r = 1.0 + 0.15 * std::sin(5 * a) * std::cos(3 * b);
    return {(3.0 + r * std::cos(b)) * std::cos(a), (3.0 + r * std::cos(b)) * std::sin(a), r * std::sin(b)};
}
std::array<int, 4> quadrato_toro(int k, int u, int v)
{
    const int i = k / v * v, j = k % v, i1 = (k / v + 1) % u * v, j1 = (j + 1) % v;
    return {i + j, i1 + j, i1 + j1, i + j1};
}

// Text OFF of the torus: the first `quadrati` quads whole, the others as two
// triangles. `liscio` gives NOFF normals and colours two quads in three.
std::string toro_testo(int u, int v, int quadrati, bool liscio = false)
{
    std::ostringstream s;
    s.precision(17);
    const int n = u * v;
    s << (liscio ? "NOFF\n" : "OFF\n") << n << " " << quadrati + 2 * (n - quadrati) << " 0\n";
    for (int i = 0; i < n; i++) {
        const auto p = punto_toro(i, u, v);
        s << p[0] << " " << p[1] << " " << p[2] << (liscio ? " 0 0 1\n" : "\n");
    }
    for (int k = 0; k < n; k++) {
        const auto q = quadrato_toro(k, u, v);
        const char *fine = liscio && k % 3 ? " 0.9 0.1 0.1\n" : "\n";
        if (k < quadrati)
            s << "4 " << q[0] << " " << q[1] << " " << q[2] << " " << q[3] << fine;
        else
            s << "3 " << q[0] << " " << q[1] << " " << q[2] << fine << "3 " << q[0] << " " << q[2] << " " << q[3] << fine;
    }
    return s.str();
}

// Binary STL of the torus, two triangles a quad.
std::string toro_stl(int u, int v)
{
    Binario b{false, std::string(80, '\0')};
    b << (uint32_t)(2 * u * v);
    for (int k = 0; k < u * v; k++) {
        const auto q = quadrato_toro(k, u, v);
        for (const auto &t : {std::array<int, 3>{q[0], q[1], q[2]}, {q[0], q[2], q[3]}}) {
            b << 0.0f << 0.0f << 0.0f;
            for (int c : t)
                for (double x : punto_toro(c, u, v))
                    b << (float)x;
            b << (uint16_t)0;
        }
    }
    return b.s;
}

// 3000 vertices and three copies for a second normal; `in_fila` puts them on a line.
std::string obj_pieno(bool in_fila)
{
    std::string s;
    for (int i = 0; i < MAX_PUNTI; i++)
        s += "v " + std::to_string(i) + " " + std::to_string(in_fila ? i % 7 : i * i % 7) + " 0\n";
    return s + "vn 0 0 1\nvn 0 0 -1\nf 1//1 2//1 3//1\nf 3//2 2//2 1//2\n";
}

// The files through carica_dati, as the page gives them: its answer, notes and message.
bool carica(const std::vector<File> &file, std::string *note, std::string *errore = nullptr)
{
    std::vector<const char *> nomi, dati;
    std::vector<size_t> lunghezze;
    for (const auto &[nome, contenuto] : file) {
        nomi.push_back(nome.c_str());
        dati.push_back(contenuto.c_str());
        lunghezze.push_back(contenuto.size());
    }
    char e[600] = "", n[4 * 600] = "x";
    const bool ok = carica_dati(nomi.data(), dati.data(), lunghezze.data(), (int)file.size(), e, sizeof e, n, sizeof n);
    *note = n;
    if (errore)
        *errore = e;
    return ok;
}

// The line a fitted file gives: the count as read, and the faces the slot k shows.
std::string riga(const std::string &inizio, int k)
{
    return inizio + " faces shown as " + std::to_string(ElencoPoliedri[k].numfacce) + " (a polyhedron holds 5000)\n";
}

void entro_capacita(int slot)
{
    const Poliedro &p = ElencoPoliedri[slot];
    ASSERT_TRUE(p.numpunti >= 3 && p.numpunti <= MAX_PUNTI && p.numfacce >= 1 && p.numfacce <= MAX_FACCE)
        << slot << ": " << p.numpunti << " " << p.numfacce;
    for (int j = 0; j < p.numfacce; j++)
        for (int k = 0; k < p.facce[j].numvertici; k++)
            ASSERT_TRUE(p.facce[j].vertici[k] >= 0 && p.facce[j].vertici[k] < p.numpunti);
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

// Slot 0 after loading one file: what the viewer would show.
std::vector<double> scena(const std::string &nome, const std::string &contenuto)
{
    std::string n;
    EXPECT_TRUE(carica({{nome, contenuto}}, &n));
    const Poliedro &p = ElencoPoliedri[0];
    std::vector<double> s{(double)p.numpunti, (double)p.numfacce, (double)p.liscio};
    for (const Punto &v : std::vector<Punto>(p.punti, p.punti + p.numpunti))
        s.insert(s.end(), {v.x, v.y, v.z, v.nx, v.ny, v.nz});
    for (const Faccia &f : std::vector<Faccia>(p.facce, p.facce + p.numfacce)) {
        s.insert(s.end(), {(double)f.numvertici, (double)f.codicecolore});
        s.insert(s.end(), f.vertici, f.vertici + f.numvertici);
    }
    return s;
}

}  // namespace

// Each file over a capacity gives its one line and a slot within them; a file
// at the capacities exactly none, and every face as read.
TEST(Grandi, OverEitherCapacityIsFittedWithOneLine)
{
    std::string lunga = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf";   // 40004 corners: 5001 pieces
    for (int i = 0; i <= 40002; i++)
        lunga += i % 2 ? " 2" : " 1";
    const std::vector<File> grandi = {
        {"vertici.off", toro_testo(61, 50, 61 * 50)},   // 3050 vertices, 3050 quads
        {"facce.off", toro_testo(50, 51, 0)},           // 2550 vertices, 5100 triangles
        {"grande.stl", toro_stl(60, 50)},               // 6000 triangles
        {"pieno.obj", obj_pieno(false)},                // 3003 vertices, 2 faces
        {"in_fila.obj", obj_pieno(true)},               // every face without area
        {"lunga.obj", lunga + " 3\n"},
        {"pieno.off", toro_testo(60, 50, 1000)},        // 3000 vertices, 5000 faces
    };
    const char *righe[] = {"vertici.off: 3050", "facce.off: 5100", "grande.stl: 6000",
                           "pieno.obj: 2", "in_fila.obj: 2", "lunga.obj: 5001", nullptr};
    std::string note, errore;
    for (size_t k = 0; k < grandi.size(); k++) {
        SCOPED_TRACE(grandi[k].first);
        ASSERT_TRUE(carica({grandi[k]}, &note, &errore)) << errore;
        EXPECT_EQ(note, righe[k] ? riga(righe[k], 0) : "");
        entro_capacita(0);
    }
    const Letto pieno = leggi("pieno.off", grandi.back().second);
    const Poliedro &p = ElencoPoliedri[0];
    ASSERT_TRUE(p.numpunti == MAX_PUNTI && p.numfacce == MAX_FACCE) << p.numpunti << " " << p.numfacce;
    // Each face wound the other way from the same three corners, which the
    // reader chose to turn: 0 1 2 3 is 2 1 0 3.
    for (int j = 0; j < MAX_FACCE; j++) {
        const int *v = vertici(pieno.m, j), n = pieno.m.facce[j].numvertici;
        std::vector<int> atteso{v[2], v[1], v[0]};
        for (int k = n - 1; k >= 3; k--)
            atteso.push_back(v[k]);
        ASSERT_EQ(std::vector<int>(p.facce[j].vertici, p.facce[j].vertici + p.facce[j].numvertici), atteso) << j;
    }
    // The fitted torus still goes round its hole, stood up: the STL's z is y.
    ASSERT_TRUE(carica({grandi[2]}, &note));
    EXPECT_GT(p.numfacce, MAX_FACCE * 9 / 10) << "fitted close to the capacity";
    double vicino = 1e9;
    for (int i = 0; i < p.numpunti; i++)
        vicino = std::fmin(vicino, std::hypot(p.punti[i].x - p.centro[0], p.punti[i].z - p.centro[2]));
    EXPECT_GT(vicino, 0.2 * RAGGIO_SCENA) << "no vertex near the hole's axis";

    // Four at once: four lines in order; a bad one among them: its message alone.
    ASSERT_TRUE(carica(std::vector<File>(grandi.begin(), grandi.begin() + MAX_POLIEDRI), &note));
    std::string attese;
    for (int k = 0; k < MAX_POLIEDRI; k++) {
        attese += riga(righe[k], k);
        entro_capacita(k);
    }
    EXPECT_EQ(note, attese);
    EXPECT_FALSE(carica({grandi[0], {"rotto.off", "OFF\n3 1 0\n"}}, &note, &errore));
    EXPECT_EQ(errore + note, "rotto.off:3: the file ends after 0 of its 3 vertices");
    for (int k = 0; k < MAX_POLIEDRI; k++)
        entro_capacita(k);
}

// --from writes what reads back, bit for bit, to the polyhedron the viewer
// shows; a binary STL read from disk a block at a time is the mesh read whole.
TEST(Grandi, ExportFromWritesThePolyhedronTheViewerShows)
{
    char modello[] = "/tmp/superficie-from-test.XXXXXX";
    const fs::path dir = mkdtemp(modello);
    const struct { File file; const char *opzione, *lette; } casi[] = {
        {{"piatto.stl", toro_stl(60, 50)}, "", ": 6000"},
        {{"piatto.stl", toro_stl(60, 50)}, "--obj ", ": 6000"},
        {{"liscio.off", toro_testo(61, 50, 0, true)}, "", ": 6100"},
        {{"colori.off", "OFF\n4 4 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 2 1 1 0 0\n3 0 1 3 0 0 255\n"
                        "3 1 2 3 0.9 0.9 0.1\n3 0 3 2\n"}, "", nullptr},
    };
    for (const auto &c : casi) {
        SCOPED_TRACE(c.file.first + " " + c.opzione);
        const fs::path sorgente = dir / c.file.first, uscita = dir / (*c.opzione ? "u.obj" : "u.off");
        std::ofstream(sorgente, std::ios::binary) << c.file.second;
        const std::vector<double> attesa = scena(c.file.first, c.file.second);
        const Esito e = esporta(c.opzione + ("--from '" + sorgente.string() + "' '" + uscita.string() + "'"), dir);
        ASSERT_EQ(e.stato, 0) << e.errore;
        EXPECT_EQ(e.errore, c.lette ? "superficie-export: " + sorgente.string() + riga(c.lette, 0) : "");
        EXPECT_EQ(scena(uscita.filename().string(), leggi_file(uscita)), attesa);
    }
    std::ofstream(dir / "rotto.ply") << "ply\nformat ascii 1.0\nelement vertex 1000000000\n";
    const Esito e = esporta("--from '" + (dir / "rotto.ply").string() + "' '" + (dir / "niente.off").string() + "'", dir);
    EXPECT_EQ(e.stato, 2);
    EXPECT_EQ(e.errore, "superficie-export: " + (dir / "rotto.ply").string() + ": the header has no end_header line\n");
    EXPECT_FALSE(fs::exists(dir / "niente.off"));
    const Esito vuoto = esporta("--from", dir);
    EXPECT_EQ(vuoto.stato, 2);
    EXPECT_EQ(vuoto.errore, "superficie-export: --from needs a MESH file (try --help)\n");

    const std::string toro = toro_stl(300, 100);   // 60,000 triangles: three blocks
    std::ofstream(dir / "t.stl", std::ios::binary) << toro;
    static Maglia disco, memoria;
    char errore[600];
    ASSERT_TRUE(leggi_percorso((dir / "t.stl").c_str(), &disco, errore, sizeof errore)) << errore;
    ASSERT_TRUE(leggi_maglia_terminata("t.stl", toro.c_str(), toro.size(), &memoria, errore, sizeof errore)) << errore;
    fs::remove_all(dir);
    EXPECT_TRUE(forma(disco) == forma(memoria)) << "the two readings differ";
}

// Large hostile files from disk: one line, status 2, memory bounded by the file's size.
TEST(Grandi, LargeHostileFilesAreRefusedInBoundedMemory)
{
    char modello[] = "/tmp/superficie-ostili-test.XXXXXX";
    const fs::path dir = mkdtemp(modello);
    auto prova = [&](const std::string &nome, const std::string &contenuto, const std::string &atteso) {
        const fs::path file = dir / nome;
        std::ofstream(file, std::ios::binary) << contenuto;
        const Esito f = esporta("--from '" + file.string() + "'", dir);
        EXPECT_EQ(f.stato, 2) << nome;
        EXPECT_EQ(f.errore, "superficie-export: " + file.string() + atteso + "\n");
        EXPECT_LE(f.picco, contenuto.size() + MARGINE_MEMORIA) << nome;
        fs::remove(file);
    };
    const uint32_t n = TRIANGOLI_OSTILI;
    std::string zeri = (Binario{false, std::string(80, '\0')} << n).s;   // triangles, each a point
    zeri.append(50 * (size_t)n, '\0');
    prova("zeri.stl", zeri, ": no face: nothing to show");
    // Triangles of a torus, a NaN near the end; the same cut in the middle.
    std::string toro = toro_stl(1000, n / 2000);
    const size_t nan_a = 84 + 50 * (size_t)n / 10 * 9 + 12 + 4;
    const float nan = std::nanf("");
    std::memcpy(&toro[nan_a], &nan, 4);
    prova("nan.stl", toro, ": byte " + std::to_string(nan_a - 4) + ": a vertex coordinate is not a finite number");
    prova("tronco.stl", toro.substr(0, toro.size() / 2), ": byte " + std::to_string(toro.size() / 2) + ": the file ends, but its " +
          std::to_string(n) + " triangles need " + std::to_string(84 + 50 * (size_t)n) + " bytes (84 + 50 each)");
    // Triangles in text, cut after a face's first index.
    std::string testo = toro_testo(1000, n / 2000, 0);
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
    EXPECT_EQ(esporta("--from '" + (dir / "manca").string() + "'", dir).errore,
              "superficie-export: " + (dir / "manca").string() + ": No such file or directory\n");
    fs::remove_all(dir);
}
