// Files larger than a polyhedron holds: read whole, fitted with one line for
// the user, written back by superficie-export --from as the viewer shows
// them; large hostile files refused at once, in memory bounded by their size.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <algorithm>

#include <sys/wait.h>

#include "model/poliedro.h"
#include "tests/formats/leggi_testo.h"

namespace {

// A bumpy torus of u x v vertices: position of vertex (i, j).
void punto_toro(int i, int j, int u, int v, double p[3])
{
    const double a = 2 * M_PI * i / u, b = 2 * M_PI * j / v;
    const double r = 1.0 + 0.15 * std::sin(5 * a) * std::cos(3 * b);
    p[0] = (3.0 + r * std::cos(b)) * std::cos(a);
    p[1] = (3.0 + r * std::cos(b)) * std::sin(a);
    p[2] = r * std::sin(b);
}

// The quad (i, j) of the torus, counter-clockwise from outside.
void quadrato_toro(int i, int j, int u, int v, int q[4])
{
    q[0] = i * v + j;
    q[1] = ((i + 1) % u) * v + j;
    q[2] = ((i + 1) % u) * v + (j + 1) % v;
    q[3] = i * v + (j + 1) % v;
}

// OFF of the torus: the first `quadrati` quads whole, the others as two
// triangles each.
std::string toro_off(int u, int v, int quadrati)
{
    std::ostringstream s;
    s.precision(17);
    const int n = u * v;
    s << "OFF\n" << n << " " << quadrati + 2 * (n - quadrati) << " 0\n";
    for (int i = 0; i < u; i++)
        for (int j = 0; j < v; j++) {
            double p[3];
            punto_toro(i, j, u, v, p);
            s << p[0] << " " << p[1] << " " << p[2] << "\n";
        }
    for (int k = 0; k < n; k++) {
        int q[4];
        quadrato_toro(k / v, k % v, u, v, q);
        if (k < quadrati)
            s << "4 " << q[0] << " " << q[1] << " " << q[2] << " " << q[3] << "\n";
        else
            s << "3 " << q[0] << " " << q[1] << " " << q[2] << "\n3 " << q[0] << " " << q[2]
              << " " << q[3] << "\n";
    }
    return s.str();
}

// Ascii PLY of the torus in quads.
std::string toro_ply(int u, int v)
{
    std::ostringstream s;
    s.precision(17);
    s << "ply\nformat ascii 1.0\nelement vertex " << u * v
      << "\nproperty float x\nproperty float y\nproperty float z\nelement face " << u * v
      << "\nproperty list uchar int vertex_indices\nend_header\n";
    for (int i = 0; i < u; i++)
        for (int j = 0; j < v; j++) {
            double p[3];
            punto_toro(i, j, u, v, p);
            s << p[0] << " " << p[1] << " " << p[2] << "\n";
        }
    for (int k = 0; k < u * v; k++) {
        int q[4];
        quadrato_toro(k / v, k % v, u, v, q);
        s << "4 " << q[0] << " " << q[1] << " " << q[2] << " " << q[3] << "\n";
    }
    return s.str();
}

void metti_u32(std::string &s, uint32_t u)
{
    for (int k = 0; k < 4; k++)
        s += (char)(u >> 8 * k & 0xff);
}
void metti_f32(std::string &s, float x)
{
    uint32_t u;
    std::memcpy(&u, &x, sizeof u);
    metti_u32(s, u);
}

// Binary STL of the torus, two triangles a quad.
std::string toro_stl(int u, int v)
{
    std::string s(80, '\0');
    metti_u32(s, (uint32_t)(2 * u * v));
    s.reserve(84 + 100 * (size_t)u * v);
    for (int k = 0; k < u * v; k++) {
        int q[4];
        quadrato_toro(k / v, k % v, u, v, q);
        const int tri[2][3] = {{q[0], q[1], q[2]}, {q[0], q[2], q[3]}};
        for (const auto &t : tri) {
            s.append(12, '\0');
            for (int c = 0; c < 3; c++) {
                double p[3];
                punto_toro(t[c] / v, t[c] % v, u, v, p);
                for (double x : p)
                    metti_f32(s, (float)x);
            }
            s.append(2, '\0');
        }
    }
    return s;
}

// The files through carica_dati, as the page gives them: true and the notes,
// or false and the message in *errore.
bool carica(const std::vector<std::pair<std::string, std::string>> &file, std::string *note,
            std::string *errore = nullptr)
{
    std::vector<const char *> nomi, dati;
    std::vector<size_t> lunghezze;
    for (const auto &[nome, contenuto] : file) {
        nomi.push_back(nome.c_str());
        dati.push_back(contenuto.c_str());
        lunghezze.push_back(contenuto.size());
    }
    char e[600] = "", n[4 * 600] = "x";
    const bool ok = carica_dati(nomi.data(), dati.data(), lunghezze.data(), (int)file.size(), e,
                                sizeof e, n, sizeof n);
    *note = n;
    if (errore)
        *errore = e;
    return ok;
}

// The line a fitted file gives.
std::string riga(const std::string &nome, int facce, int mostrate)
{
    return nome + ": " + std::to_string(facce) + " faces shown as " + std::to_string(mostrate) +
           " (a polyhedron holds 5000)\n";
}

// The faces a file holds as read, before any fitting.
int facce_lette(const std::string &nome, const std::string &contenuto)
{
    const Letto r = leggi(nome, contenuto);
    EXPECT_TRUE(r.ok) << r.errore;
    return numfacce(r.m);
}

void entro_capacita(int slot)
{
    const Poliedro &p = ElencoPoliedri[slot];
    EXPECT_GE(p.numpunti, 3) << slot;
    EXPECT_LE(p.numpunti, MAX_PUNTI) << slot;
    EXPECT_GE(p.numfacce, 1) << slot;
    EXPECT_LE(p.numfacce, MAX_FACCE) << slot;
    for (int j = 0; j < p.numfacce; j++)
        for (int k = 0; k < p.facce[j].numvertici; k++)
            ASSERT_TRUE(p.facce[j].vertici[k] >= 0 && p.facce[j].vertici[k] < p.numpunti);
}

// 3000 vertices, and three more: copies for the second normal of 1, 2, 3;
// with `in_fila`, those three lie on a line, so that no face has an area.
std::string obj_pieno(bool in_fila = false)
{
    std::string s;
    for (int i = 0; i < MAX_PUNTI; i++)
        s += "v " + std::to_string(i) + " " + std::to_string(in_fila ? i % 7 : i * i % 7) + " 0\n";
    return s + "vn 0 0 1\nvn 0 0 -1\nf 1//1 2//1 3//1\nf 3//2 2//2 1//2\n";
}

std::string obj_lungo()
{
    // One face of 40004 corners: a fan of 5001 pieces of at most 10.
    std::string s = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf";
    for (int i = 0; i <= 40002; i++)
        s += i % 2 ? " 2" : " 1";
    return s + " 3\n";
}

} // namespace

// Every file that used to be refused only for its size now opens, fitted,
// and says so in one line; a file within both capacities says nothing.
TEST(Grandi, OverEitherCapacityIsFittedWithOneLine)
{
    const std::vector<std::pair<std::string, std::string>> grandi = {
        {"vertici.off", toro_off(61, 50, 61 * 50)},   // 3050 vertices, 3050 quads
        {"facce.off", toro_off(50, 51, 0)},           // 2550 vertices, 5100 triangles
        {"grande.ply", toro_ply(80, 50)},             // 4000 vertices and quads
        {"grande.stl", toro_stl(60, 50)},             // 6000 triangles, 3000 vertices
        {"pieno.obj", obj_pieno()},                   // 3003 vertices, 2 faces
        {"in_fila.obj", obj_pieno(true)},             // the same, every face without area
        {"lunga.obj", obj_lungo()},                   // 5001 pieces of one face
    };
    for (const auto &file : grandi) {
        SCOPED_TRACE(file.first);
        const int facce = facce_lette(file.first, file.second);
        std::string note, errore;
        ASSERT_TRUE(carica({file}, &note, &errore)) << errore;
        EXPECT_EQ(note, riga(file.first, facce, ElencoPoliedri[0].numfacce));
        entro_capacita(0);
        EXPECT_EQ(ElencoPoliedri[1].numpunti, 0);
    }
    // The torus keeps being a torus: it still goes round the hole.
    std::string note;
    ASSERT_TRUE(carica({grandi[3]}, &note));
    ASSERT_EQ(grandi[3].first, "grande.stl");
    const Poliedro &p = ElencoPoliedri[0];
    EXPECT_GT(p.numfacce, MAX_FACCE * 9 / 10) << "fitted close to the capacity";
    double vicino = 1e9;
    for (int i = 0; i < p.numpunti; i++)
        vicino = std::fmin(vicino, std::hypot(p.punti[i].x - p.centro[0], p.punti[i].y - p.centro[1]));
    EXPECT_GT(vicino, 0.2 * RAGGIO_SCENA) << "no vertex near the hole's axis";

    // Four large files: four lines, in order, four fitted objects.
    ASSERT_TRUE(carica({grandi[0], grandi[1], grandi[2], grandi[3]}, &note));
    std::string attese;
    for (int k = 0; k < MAX_POLIEDRI; k++)
        attese += riga(grandi[k].first, facce_lette(grandi[k].first, grandi[k].second),
                       ElencoPoliedri[k].numfacce);
    ASSERT_TRUE(carica({grandi[0], grandi[1], grandi[2], grandi[3]}, &note));
    EXPECT_EQ(note, attese);
    for (int k = 0; k < MAX_POLIEDRI; k++)
        entro_capacita(k);

    // A bad file among large ones: its message, no notes, the scene as it was.
    std::string errore;
    EXPECT_FALSE(carica({grandi[0], {"rotto.off", "OFF\n3 1 0\n"}}, &note, &errore));
    EXPECT_EQ(errore, "rotto.off:3: the file ends after 0 of its 3 vertices");
    EXPECT_EQ(note, "");
    for (int k = 0; k < MAX_POLIEDRI; k++)
        entro_capacita(k);
}

// At the capacities exactly: built as it is, vertex for vertex, no line.
TEST(Grandi, AtTheCapacitiesNothingIsFitted)
{
    const std::string file = toro_off(60, 50, 1000);   // 3000 vertices, 1000 + 4000 faces
    const Letto r = leggi("pieno.off", file);
    ASSERT_TRUE(r.ok) << r.errore;
    ASSERT_EQ(numpunti(r.m), MAX_PUNTI);
    ASSERT_EQ(numfacce(r.m), MAX_FACCE);
    const std::vector<int> angoli = r.m.angoli;
    std::string note;
    ASSERT_TRUE(carica({{"pieno.off", file}}, &note));
    EXPECT_EQ(note, "");
    const Poliedro &p = ElencoPoliedri[0];
    ASSERT_EQ(p.numpunti, MAX_PUNTI);
    ASSERT_EQ(p.numfacce, MAX_FACCE);
    size_t a = 0;
    for (int j = 0; j < p.numfacce; j++)
        for (int k = 0; k < p.facce[j].numvertici; k++)
            ASSERT_EQ(p.facce[j].vertici[k], angoli[a++]) << j;
}

namespace {

namespace fs = std::filesystem;

struct Esito {
    int stato;
    std::string errore;                 // its standard error
};

Esito esporta(const std::string &argomenti, const fs::path &dir)
{
    const fs::path err = dir / "err";
    const int r = std::system(("'" SUPERFICIE_EXPORT "' " + argomenti + " 2>'" + err.string() + "'").c_str());
    std::ifstream f(err);
    std::stringstream s;
    s << f.rdbuf();
    return Esito{WIFEXITED(r) ? WEXITSTATUS(r) : -1, s.str()};
}

std::string leggi_file(const fs::path &p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// Slot 0 after loading one file: what the viewer would show.
std::vector<double> scena(const std::string &nome, const std::string &contenuto)
{
    std::string note;
    EXPECT_TRUE(carica({{nome, contenuto}}, &note));
    const Poliedro &p = ElencoPoliedri[0];
    std::vector<double> s{(double)p.numpunti, (double)p.numfacce, (double)p.liscio};
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &v = p.punti[i];
        s.insert(s.end(), {v.x, v.y, v.z, v.nx, v.ny, v.nz});
    }
    for (int j = 0; j < p.numfacce; j++) {
        const Faccia &f = p.facce[j];
        s.push_back(f.numvertici);
        s.push_back(f.codicecolore);
        s.insert(s.end(), f.vertici, f.vertici + f.numvertici);
    }
    return s;
}

}  // namespace

// What --from writes reads back to the polyhedron the viewer shows for the
// file itself: every vertex, normal, face and colour letter, bit for bit.
TEST(Grandi, ExportFromWritesThePolyhedronTheViewerShows)
{
    char modello[] = "/tmp/superficie-from-test.XXXXXX";
    const fs::path dir = mkdtemp(modello);
    // Large and flat, large and smooth with coloured faces, small with colours.
    std::string liscio = toro_off(61, 50, 0);
    liscio.replace(0, 3, "NOFF");
    {
        std::istringstream in(toro_off(61, 50, 0));
        std::ostringstream out;
        std::string l;
        std::getline(in, l);
        out << "NOFF\n";
        std::getline(in, l);
        out << l << "\n";
        for (int i = 0; i < 61 * 50; i++) {
            std::getline(in, l);
            out << l << " 0 0 1\n";
        }
        for (int j = 0; std::getline(in, l); j++)
            out << l << (j % 3 ? " 0.9 0.1 0.1\n" : "\n");
        liscio = out.str();
    }
    const std::vector<std::pair<std::string, std::string>> casi = {
        {"piatto.stl", toro_stl(60, 50)},
        {"liscio.off", liscio},
        {"colori.off", "OFF\n4 4 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 2 1 1 0 0\n3 0 1 3 0 0 255\n"
                       "3 1 2 3 0.9 0.9 0.1\n3 0 3 2\n"},
    };
    for (const auto &[nome, contenuto] : casi) {
        const fs::path sorgente = dir / nome;
        std::ofstream(sorgente, std::ios::binary) << contenuto;
        const std::vector<double> attesa = scena(nome, contenuto);
        for (const char *opzione : {"", "--obj "}) {
            const bool obj = *opzione != '\0';
            if (obj && nome != "piatto.stl")
                continue;   // OBJ carries no colours
            const fs::path uscita = dir / (obj ? "uscita.obj" : "uscita.off");
            const Esito e = esporta(std::string(opzione) + "--from '" + sorgente.string() + "' '" +
                                        uscita.string() + "'", dir);
            ASSERT_EQ(e.stato, 0) << e.errore;
            const std::string scritto = leggi_file(uscita);
            EXPECT_EQ(scritto.rfind(obj ? "v " : nome == "liscio.off" ? "NOFF\n" : "OFF\n", 0), 0u)
                << nome;
            const bool grande = nome != "colori.off";
            EXPECT_EQ(e.errore, grande ? "superficie-export: " + sorgente.string() + ": " +
                                             std::to_string(facce_lette(nome, contenuto)) +
                                             " faces shown as " +
                                             std::to_string((int)attesa[1]) +
                                             " (a polyhedron holds 5000)\n"
                                       : "");
            EXPECT_EQ(scena(uscita.filename().string(), scritto), attesa) << nome << " " << opzione;
        }
    }
    // A bad file: the viewer's message, status 2, nothing written.
    std::ofstream(dir / "rotto.ply") << "ply\nformat ascii 1.0\nelement vertex 1000000000\n";
    const Esito e = esporta("--from '" + (dir / "rotto.ply").string() + "' '" +
                                (dir / "niente.off").string() + "'", dir);
    EXPECT_EQ(e.stato, 2);
    EXPECT_EQ(e.errore, "superficie-export: " + (dir / "rotto.ply").string() +
                            ": the header has no end_header line\n");
    EXPECT_FALSE(fs::exists(dir / "niente.off"));
    EXPECT_EQ(esporta("--from", dir).stato, 2);
    fs::remove_all(dir);
}

namespace {

std::string rifiuto(const std::string &nome, const std::string &contenuto)
{
    char errore[600] = "";
    static Maglia m;
    EXPECT_FALSE(leggi_maglia_terminata(nome.c_str(), contenuto.c_str(), contenuto.size(), &m,
                                        errore, sizeof errore))
        << nome;
    EXPECT_TRUE(m.punti.empty() && m.angoli.empty() && m.facce.empty()) << nome;
    EXPECT_EQ(std::strchr(errore, '\n'), nullptr) << errore;
    return errore;
}

void metti_u32_be(std::string &s, uint32_t u)
{
    for (int k = 3; k >= 0; k--)
        s += (char)(u >> 8 * k & 0xff);
}

} // namespace

// Counts that the bytes cannot hold, in every format: refused by what the
// bytes hold, at once.
TEST(Grandi, LyingCountsAreRefusedByWhatTheBytesHold)
{
    const std::string v3 = "0 0 0\n1 0 0\n0 1 0\n";
    EXPECT_EQ(rifiuto("l.off", "OFF\n1000000000 1 0\n" + v3 + "3 0 1 2\n"),
              "l.off:6: 4 numbers for a vertex, expected 3");
    EXPECT_EQ(rifiuto("l.off", "OFF\n1000000000 1 0\n" + v3),
              "l.off:6: the file ends after 3 of its 1000000000 vertices");
    EXPECT_EQ(rifiuto("l.off", "OFF\n3 1000000000 0\n" + v3 + "3 0 1 2\n"),
              "l.off:7: the file ends after 1 of its 1000000000 faces");
    std::string b = "OFF BINARY\n";
    for (uint32_t x : {1000000000u, 1u, 0u})
        metti_u32_be(b, x);
    b.append(36, '\0');
    EXPECT_EQ(rifiuto("l.off", b), "l.off: byte 59: the file ends within its 1000000000 vertices");
    const std::string ply = "ply\nformat ascii 1.0\nelement vertex 1000000000\nproperty float x\n"
                            "property float y\nproperty float z\nelement face 1\n"
                            "property list uchar int vertex_indices\nend_header\n" + v3 + "3 0 1 2\n";
    EXPECT_EQ(rifiuto("l.ply", ply), "l.ply:13: more values than one vertex record holds");
    std::string bply = ply.substr(0, ply.find("end_header"));
    bply.replace(bply.find("ascii"), 5, "binary_little_endian");
    bply += "end_header\n" + std::string(36, '\0');
    const std::string e = rifiuto("l.ply", bply);
    EXPECT_EQ(e.rfind("l.ply: byte 178: 1000000000 vertex records of at least 12 bytes each cannot "
                      "fit", 0), 0u) << e;
    std::string stl(80, '\0');
    metti_u32(stl, 1000000000u);
    stl.append(50, '\0');
    EXPECT_EQ(rifiuto("l.stl", stl), "l.stl: byte 134: the file ends, but its 1000000000 triangles "
                                     "need 50000000084 bytes (84 + 50 each)");
    EXPECT_EQ(rifiuto("l.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 1000000000\n"),
              "l.obj:4: vertex index 1000000000 is beyond the 3 vertices defined so far");
}

namespace {

// superficie-export --from FILE: its status, its standard error and its peak
// resident memory.
struct Figlio {
    int stato;
    std::string errore;
    size_t picco;                   // bytes
};

Figlio esporta_da(const fs::path &file, const fs::path &dir)
{
    // Through time(1): a child forked from this process, which holds the
    // test's large files, would count their pages as its own.
    const fs::path err = dir / "err", picco = dir / "picco";
    const int r = std::system(("/usr/bin/time -f %M -o '" + picco.string() + "' '" SUPERFICIE_EXPORT
                               "' --from '" + file.string() + "' >/dev/null 2>'" + err.string() +
                               "'").c_str());
    // time(1) says first when the status is not 0; the figure is the last line.
    std::ifstream righe(picco);
    std::string ultima;
    for (std::string l; std::getline(righe, l);)
        ultima = l;
    const size_t kib = std::strtoull(ultima.c_str(), nullptr, 10);
    return Figlio{WIFEXITED(r) ? WEXITSTATUS(r) : -1, leggi_file(err), kib * 1024};
}

// Memory a reading may take: twice the file and a margin for everything else.
constexpr size_t MARGINE_MEMORIA = 100u << 20;

} // namespace

// Large hostile files, read from disk by the real path: each gets its one
// line and status 2, and the reading takes no more memory than the file's
// size allows.
TEST(Grandi, LargeHostileFilesAreRefusedInBoundedMemory)
{
    char modello[] = "/tmp/superficie-ostili-test.XXXXXX";
    const fs::path dir = mkdtemp(modello);
    auto prova = [&](const std::string &nome, const std::string &contenuto,
                     const std::string &atteso) {
        const fs::path file = dir / nome;
        std::ofstream(file, std::ios::binary) << contenuto;
        const Figlio f = esporta_da(file, dir);
        EXPECT_EQ(f.stato, 2) << nome;
        EXPECT_EQ(f.errore.rfind("superficie-export: " + file.string() + atteso, 0), 0u)
            << f.errore << "want: " << atteso;
        EXPECT_EQ(std::count(f.errore.begin(), f.errore.end(), '\n'), 1) << f.errore;
        EXPECT_GT(f.picco, contenuto.size()) << nome << ": the file alone takes that much";
        EXPECT_LE(f.picco, 2 * contenuto.size() + MARGINE_MEMORIA) << nome;
        std::printf("%s: %zu bytes, peak %zu MiB\n", nome.c_str(), contenuto.size(), f.picco >> 20);
        fs::remove(file);
    };
    // A million zero triangles: the size matches the count, and every
    // triangle is a point.
    constexpr uint32_t MILIONE = 1000000;
    std::string zeri(80, '\0');
    metti_u32(zeri, MILIONE);
    zeri.append(50 * (size_t)MILIONE, '\0');
    prova("zeri.stl", zeri, ": no face: nothing to show");
    zeri = std::string();

    // A million triangles of a torus with a NaN near the end; the same cut
    // in the middle.
    std::string toro = toro_stl(1000, 500);
    ASSERT_EQ(toro.size(), 84 + 50 * (size_t)MILIONE);
    const size_t nan_a = 84 + 50 * 900000 + 12 + 4;
    const float nan = std::nanf("");
    std::memcpy(&toro[nan_a], &nan, 4);
    prova("nan.stl", toro, ": byte " + std::to_string(nan_a - 4) +
                               ": a vertex coordinate is not a finite number");
    prova("tronco.stl", toro.substr(0, toro.size() / 2),
          ": byte 25000042: the file ends, but its 1000000 triangles need 50000084 bytes "
          "(84 + 50 each)");
    toro = std::string();

    // A million triangles in text, cut in the middle of a face's line.
    std::string testo = toro_off(1000, 500, 0);
    testo.resize(testo.size() * 3 / 4);
    testo.resize(testo.rfind(' '));
    prova("tronco.off", testo, ":");
    EXPECT_NE(esporta_da(dir / "manca", dir).errore.find("No such file"), std::string::npos);
    testo = std::string();

    // Noise, under every name that picks a reader.
    std::mt19937_64 caso(17);
    std::string rumore(20u << 20, '\0');
    for (size_t i = 0; i + 8 <= rumore.size(); i += 8) {
        const uint64_t x = caso();
        std::memcpy(&rumore[i], &x, 8);
    }
    for (const char *nome : {"rumore.off", "rumore.obj", "rumore.stl", "rumore.ply"})
        prova(nome, rumore, ":");
    fs::remove_all(dir);
}
