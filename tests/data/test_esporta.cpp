// superficie-export, the real binary, against slot 0 as start-up builds it.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/superficie.h"
#include "model/poliedro.h"

namespace {

struct Esito {
    int stato;            // exit status, -1 if it did not exit
    std::string uscita;   // standard output
    std::string errori;   // standard error
};

std::string leggi(const std::string &nome)
{
    std::ifstream f(nome);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// A fresh directory per test, removed with whatever is left in it.
struct Cartella {
    std::string nome;
    Cartella()
    {
        char modello[] = "/tmp/superficie-export-test.XXXXXX";
        nome = mkdtemp(modello);
    }
    ~Cartella() { std::system(("rm -rf '" + nome + "'").c_str()); }
    std::vector<std::string> contenuto() const
    {
        std::vector<std::string> v;
        DIR *d = opendir(nome.c_str());
        while (dirent *e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                v.push_back(e->d_name);
        closedir(d);
        return v;
    }
};

Esito esegui(const std::string &argomenti, const Cartella &c)
{
    // Beside the directory, so that its listing shows only what the program left.
    const std::string out = c.nome + ".out", err = c.nome + ".err";
    const std::string comando =
        std::string("'") + SUPERFICIE_EXPORT + "' " + argomenti + " >'" + out + "' 2>'" + err + "'";
    const int r = std::system(comando.c_str());
    Esito e{WIFEXITED(r) ? WEXITSTATUS(r) : -1, leggi(out), leggi(err)};
    std::remove(out.c_str());
    std::remove(err.c_str());
    return e;
}

int righe(const std::string &s) { return (int)std::count(s.begin(), s.end(), '\n'); }

const Poliedro &slot0()
{
    static bool fatto = false;
    if (!fatto) {
        inizializza_poliedro();
        fatto = true;
    }
    return ElencoPoliedri[0];
}

void confronta_noff(const std::string &testo)
{
    const Poliedro &p = slot0();
    std::istringstream in(testo);
    std::string parola;
    int nv, nf, ne;
    ASSERT_TRUE(in >> parola >> nv >> nf >> ne);
    EXPECT_EQ(parola, "NOFF");
    ASSERT_EQ(nv, p.numpunti);
    ASSERT_EQ(nf, p.numfacce);
    EXPECT_EQ(ne, 0);
    for (int i = 0; i < nv; i++) {
        std::string c[6];
        ASSERT_TRUE(in >> c[0] >> c[1] >> c[2] >> c[3] >> c[4] >> c[5]) << i;
        const Punto &v = p.punti[i];
        const double atteso[6] = {v.x, v.y, v.z, v.nx, v.ny, v.nz};
        for (int k = 0; k < 6; k++)
            ASSERT_EQ(std::strtod(c[k].c_str(), nullptr), atteso[k]) << i << " " << k;
    }
    for (int j = 0; j < nf; j++) {
        int n, a, b, c;
        ASSERT_TRUE(in >> n >> a >> b >> c) << j;
        EXPECT_EQ(n, 3);
        const int *v = p.facce[j].vertici;
        ASSERT_TRUE(a == v[0] && b == v[1] && c == v[2]) << j;
    }
    EXPECT_FALSE(in >> parola) << "trailing " << parola;
}

}  // namespace

TEST(Esporta, NoffOnStandardOutputAndInAFileIsSlotZero)
{
    Cartella c;
    const Esito e = esegui("", c);
    EXPECT_EQ(e.stato, 0);
    EXPECT_EQ(e.errori, "");
    confronta_noff(e.uscita);
    EXPECT_EQ(righe(e.uscita), 2 + 2050 + 4096);

    const std::string nome = c.nome + "/superficie.off";
    const Esito f = esegui("'" + nome + "'", c);
    EXPECT_EQ(f.stato, 0);
    EXPECT_EQ(f.uscita, "");
    EXPECT_EQ(leggi(nome), e.uscita);
    EXPECT_EQ(c.contenuto(), std::vector<std::string>{"superficie.off"});
    EXPECT_EQ(esegui("-", c).uscita, e.uscita);
}

TEST(Esporta, ObjIsSlotZeroOneBased)
{
    Cartella c;
    const std::string nome = c.nome + "/superficie.obj";
    const Esito e = esegui("--obj '" + nome + "'", c);
    ASSERT_EQ(e.stato, 0) << e.errori;
    const Poliedro &p = slot0();
    std::istringstream in(leggi(nome));
    std::string riga;
    int v = 0, vn = 0, f = 0;
    while (std::getline(in, riga)) {
        std::istringstream r(riga);
        std::string tipo;
        r >> tipo;
        if (tipo == "v" || tipo == "vn") {
            std::string a, b, c3;
            ASSERT_TRUE(r >> a >> b >> c3) << riga;
            const int i = tipo == "v" ? v++ : vn++;
            ASSERT_LT(i, p.numpunti);
            const Punto &q = p.punti[i];
            const double *atteso = tipo == "v" ? &q.x : &q.nx;
            ASSERT_EQ(std::strtod(a.c_str(), nullptr), atteso[0]) << riga;
            ASSERT_EQ(std::strtod(b.c_str(), nullptr), atteso[1]) << riga;
            ASSERT_EQ(std::strtod(c3.c_str(), nullptr), atteso[2]) << riga;
        } else if (tipo == "f") {
            ASSERT_LT(f, p.numfacce);
            const int *w = p.facce[f].vertici;
            for (int k = 0; k < 3; k++) {
                std::string t;
                ASSERT_TRUE(r >> t) << riga;
                const std::string atteso = std::to_string(w[k] + 1) + "//" + std::to_string(w[k] + 1);
                ASSERT_EQ(t, atteso) << "face " << f;
            }
            f++;
        } else {
            ADD_FAILURE() << "unexpected line: " << riga;
        }
    }
    EXPECT_EQ(v, 2050);
    EXPECT_EQ(vn, 2050);
    EXPECT_EQ(f, 4096);
}

TEST(Esporta, HelpPrintsUsage)
{
    Cartella c;
    const Esito e = esegui("--help", c);
    EXPECT_EQ(e.stato, 0);
    EXPECT_NE(e.uscita.find("usage: superficie-export [--obj] [--] [FILE]"), std::string::npos);
    EXPECT_EQ(e.errori, "");
}

// Each failure: status 2, one line on standard error, no file and no
// temporary file left in the directory.
TEST(Esporta, FailuresExitTwoAndLeaveNothingBehind)
{
    Cartella c;
    const std::string sotto = c.nome + "/manca/superficie.off";
    const std::string cartella = c.nome + "/cartella";
    ASSERT_EQ(mkdir(cartella.c_str(), 0755), 0);
    const std::string casi[] = {"--bogus '" + c.nome + "/a.off'", "-x", "'" + sotto + "'",
                                "--obj '" + sotto + "'", "'" + cartella + "'",
                                "a.off b.off"};
    for (const std::string &argomenti : casi) {
        const Esito e = esegui(argomenti, c);
        EXPECT_EQ(e.stato, 2) << argomenti;
        EXPECT_EQ(righe(e.errori), 1) << argomenti << ": " << e.errori;
        EXPECT_EQ(e.uscita, "") << argomenti;
        EXPECT_EQ(c.contenuto(), std::vector<std::string>{"cartella"}) << argomenti;
        EXPECT_EQ(rmdir(cartella.c_str()), 0) << argomenti << ": something was left inside";
        ASSERT_EQ(mkdir(cartella.c_str(), 0755), 0);
    }
}
