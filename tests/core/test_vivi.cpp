// Files followed as they change, without a display: a file read again into
// its own slot, the inotify watch on a real folder with the times given, and
// the list of a drop decoded.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "loading/formati.h"
#include "model/poliedro.h"
#include "transform/matrice.h"
#include "transform/trasforma.h"
#include "viewer/osserva.h"

namespace {

std::string cubo(double lato)
{
    std::string s = "OFF\n8 6 0\n";
    for (int i = 0; i < 8; i++) {  // round the bottom, then the top
        const int b[3] = {(i ^ i >> 1) & 1, i >> 1 & 1, i >> 2 & 1};
        for (int k = 0; k < 3; k++) s += std::to_string((b[k] - 0.5) * lato) + (k < 2 ? " " : "\n");
    }
    return s + "4 0 3 2 1\n4 4 5 6 7\n4 0 1 5 4\n4 1 2 6 5\n4 2 3 7 6\n4 3 0 4 7\n";
}

struct Cartella {
    char via[28] = "/tmp/superficie-vivi-XXXXXX";
    Cartella() { mkdtemp(via); }
    ~Cartella() { std::system(("rm -rf " + std::string(via)).c_str()); }
};

}  // namespace

// The new shape takes the first reading's shift and scale, so a cube twice
// the size is twice the size on screen. The user's turn and scaling staying,
// the other slots untouched and a bad version refused are e2e/vivi.sh's.
TEST(Vivi, ReadAgainIntoItsSlotKeepingPlacementAndMatrices)
{
    Cartella c;
    const std::string v = c.via, a = v + "/a.off", b = v + "/b.off";
    std::ofstream(a) << cubo(2);
    std::ofstream(b) << cubo(2);
    const char *nomi[] = {a.c_str(), b.c_str()};
    char errore[600], nota[600];
    ASSERT_TRUE(carica_file(nomi, 2, errore, sizeof errore)) << errore;
    Ruota_oggetto(0.3, 0.7, 1), Scala_oggetto(0.5, 1), ApplicaTrasformazioni(1);
    static Poliedro prima[MAX_POLIEDRI];
    std::memcpy(prima, ElencoPoliedri, sizeof prima);

    std::ofstream(b) << cubo(4);
    ASSERT_TRUE(ricarica_file(1, b.c_str(), errore, sizeof errore, nota, sizeof nota)) << errore;
    EXPECT_STREQ(nota, "");
    const Poliedro &p = ElencoPoliedri[1], &q = prima[1];
    ASSERT_EQ(p.numpunti, 8);
    for (int i = 0; i < 8; i++) {
        const double attesi[3] = {2 * (q.punti[i].x - q.centro[0]) + q.centro[0],
                                  2 * q.punti[i].y, 2 * q.punti[i].z};
        for (int k = 0; k < 3; k++) EXPECT_NEAR((&p.punti[i].x)[k], attesi[k], 1e-12) << i << " " << k;
        double w[4];
        ApplicaMatrice(w, &p.matrice, &p.punti[i].x);
        EXPECT_EQ(std::memcmp(w, &p.punti_trasformati[i].x, sizeof w), 0) << i;
    }
}

// Every way of saving is seen once the file has been quiet for QUIETE, and
// only for the file it names (or a link leads to); a deleted file waits for
// its name to return.
TEST(Vivi, EveryWayOfSavingIsSeenOnceQuiet)
{
    Cartella c;
    const std::string v = c.via, a = v + "/a.off", b = v + "/b b.off", tmp = v + "/.a.tmp", link = v + "/link.off";
    std::ofstream(a) << cubo(1);
    std::ofstream(b) << cubo(1);
    mkdir((v + "/sotto").c_str(), 0700);
    std::ofstream(v + "/sotto/vero.off") << cubo(1);
    ASSERT_EQ(symlink("sotto/vero.off", link.c_str()), 0);
    const char *nomi[] = {a.c_str(), "-", b.c_str(), link.c_str()};
    osserva_file(nomi, 4);
    EXPECT_TRUE(osservato(0) == a && osservato(1) == nullptr);
    const struct { const char *come; std::function<void()> salva; unsigned pronti; } casi[] = {
        {"in place", [&] { std::ofstream(a) << cubo(2); }, 1u},
        {"appended", [&] { std::ofstream(b, std::ios::app) << "# more\n"; }, 4u},
        {"renamed over", [&] { std::ofstream(tmp) << cubo(3); rename(tmp.c_str(), a.c_str()); }, 1u},
        {"another file of the folder", [&] { std::ofstream(v + "/c.off") << cubo(1); }, 0u},
        {"through a symbolic link", [&] { std::ofstream(link) << cubo(2); }, 8u},
        {"deleted", [&] { unlink(a.c_str()); }, 0u},
        {"written again", [&] { std::ofstream(a) << cubo(1); }, 1u},
        {"both, deleted and written again", [&] {
             unlink(b.c_str()); std::ofstream(b) << cubo(2); std::ofstream(a) << cubo(2); }, 5u},
    };
    double t = 100.0;
    for (const auto &caso : casi) {
        caso.salva();
        osserva_leggi(t);
        EXPECT_EQ(osserva_pronti(t + QUIETE / 2), 0u) << caso.come << ": read before quiet";
        osserva_leggi(t + QUIETE / 2);
        EXPECT_EQ(osserva_pronti(t + 1.01 * QUIETE), caso.pronti) << caso.come;
        EXPECT_EQ(osserva_pronti(t + 2 * QUIETE), 0u) << caso.come << ": handed out twice";
        t += 1.0;
    }
    // Many small writes: each one puts the reading off, for as long as they come.
    for (int k = 0; k < 5; k++, t += QUIETE / 2) {
        EXPECT_EQ(osserva_pronti(t), 0u) << k;
        std::ofstream(a, std::ios::app) << "#\n";
        osserva_leggi(t);
    }
    EXPECT_EQ(osserva_pronti(t + QUIETE), 1u);
}

TEST(Vivi, DroppedUriListsToPaths)
{
    const struct { const char *lista; int quanti; const char *primo, *secondo; } casi[] = {
        {"file:///tmp/a.off\r\nfile:///tmp/b.off\r\n", 2, "/tmp/a.off", "/tmp/b.off"},
        {"# from a file manager\r\nfile:///tmp/a%20b%2Bc.off", 1, "/tmp/a b+c.off", ""},
        {"file://localhost/x/%C3%A8.stl\n", 1, "/x/\xc3\xa8.stl", ""},
        {"FILE:/y.ply\r\n\r\n", 1, "/y.ply", ""},
        {"file:///1\nfile:///2\nfile:///3\nfile:///4\nfile:///5\n", 5, "/1", "/2"},
        {"file://elsewhere/a.off\r\n", -1, "", ""},
        {"file:///a%2.off\r\n", -1, "", ""},
        {"file:///a%00b.off\r\n", -1, "", ""},
        {"file:///a.off\r\nsmb://host/b.off\r\n", -1, "", ""},
        {"# nothing\r\n", -1, "", ""},
    };
    for (const auto &caso : casi) {
        char percorsi[MAX_POLIEDRI][LUNGHEZZA_PERCORSO] = {};
        char errore[300] = "";
        const int n = percorsi_da_uri(caso.lista, std::strlen(caso.lista), percorsi, MAX_POLIEDRI,
                                      errore, sizeof errore);
        EXPECT_TRUE(n == caso.quanti && (n >= 0 || errore[0] != '\0')) << caso.lista << n;
        EXPECT_TRUE(n < 0 || (!std::strcmp(percorsi[0], caso.primo) && !std::strcmp(percorsi[1], caso.secondo)))
            << caso.lista;
    }
}
