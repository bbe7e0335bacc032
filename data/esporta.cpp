// esporta.cpp: superficie-export, writes the built-in surface as NOFF or Wavefront OBJ.
//
// Usage: superficie-export [--obj] [--] [FILE]
//   Builds slot 0 exactly as the viewer's start-up does and writes it to FILE,
//   or to standard output when FILE is missing or "-". NOFF by default, OBJ with
//   --obj. A file is written beside its final name and renamed into place,
//   so a failed run never leaves a partial FILE. Exit status 0, or 2 on a bad
//   option or a failed write, with one line on standard error.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "data/superficie.h"
#include "model/poliedro.h"

static const char USO[] = "usage: superficie-export [--obj] [--] [FILE]\n"
                          "Writes the built-in surface as NOFF (default) or Wavefront OBJ (--obj)\n"
                          "to FILE, or to standard output without FILE or with FILE \"-\".\n";

// The shortest of %.15g, %.16g, %.17g that reads back to the same double,
// so a table value such as 0.537901 is written as such.
static const char *numero(double v, char *testo)
{
    for (int cifre = 15;; cifre++) {
        std::snprintf(testo, 32, "%.*g", cifre, v);
        if (cifre == 17 || std::strtod(testo, nullptr) == v)
            return testo;
    }
}

static void scrivi(FILE *f, bool obj)
{
    char a[32], b[32], c[32], d[32], e[32], g[32];
    const Poliedro &p = ElencoPoliedri[0];
    if (!obj) {
        std::fprintf(f, "NOFF\n%d %d 0\n", p.numpunti, p.numfacce);
        for (int i = 0; i < p.numpunti; i++) {
            const Punto &v = p.punti[i];
            std::fprintf(f, "%s %s %s %s %s %s\n", numero(v.x, a), numero(v.y, b),
                         numero(v.z, c), numero(v.nx, d), numero(v.ny, e), numero(v.nz, g));
        }
        for (int j = 0; j < p.numfacce; j++) {
            const int *v = p.facce[j].vertici;
            std::fprintf(f, "3 %d %d %d\n", v[0], v[1], v[2]);
        }
        return;
    }
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &v = p.punti[i];
        std::fprintf(f, "v %s %s %s\n", numero(v.x, a), numero(v.y, b), numero(v.z, c));
    }
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &v = p.punti[i];
        std::fprintf(f, "vn %s %s %s\n", numero(v.nx, a), numero(v.ny, b), numero(v.nz, c));
    }
    for (int j = 0; j < p.numfacce; j++) {
        const int *v = p.facce[j].vertici;
        std::fprintf(f, "f %d//%d %d//%d %d//%d\n", v[0] + 1, v[0] + 1, v[1] + 1, v[1] + 1,
                     v[2] + 1, v[2] + 1);
    }
}

static int errore(const std::string &messaggio)
{
    std::fprintf(stderr, "superficie-export: %s\n", messaggio.c_str());
    return 2;
}

int main(int argc, char **argv)
{
    bool obj = false;
    const char *nome = nullptr;
    bool opzioni = true;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (opzioni && a == "--help") {
            std::fputs(USO, stdout);
            return 0;
        } else if (opzioni && a == "--obj") {
            obj = true;
        } else if (opzioni && a == "--") {
            opzioni = false;
        } else if (opzioni && a.size() > 1 && a[0] == '-') {
            return errore("unknown option '" + a + "' (try --help)");
        } else if (nome) {
            return errore("more than one FILE given (try --help)");
        } else {
            nome = argv[i];
        }
    }

    inizializza_poliedro();

    if (!nome || std::strcmp(nome, "-") == 0) {
        scrivi(stdout, obj);
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            return errore(std::string("cannot write standard output: ") +
                          std::strerror(errno ? errno : EIO));
        return 0;
    }
    std::string temp = std::string(nome) + ".XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0)
        return errore(std::string("cannot write ") + nome + ": " + std::strerror(errno));
    FILE *f = fdopen(fd, "w");
    if (!f) {
        const int e = errno;
        close(fd);
        unlink(temp.c_str());
        return errore(std::string("cannot write ") + nome + ": " + std::strerror(e));
    }
    scrivi(f, obj);
    int e = 0;
    if (std::fflush(f) != 0 || std::ferror(f))
        e = errno ? errno : EIO;
    if (std::fclose(f) != 0 && !e)
        e = errno;
    // mkstemp makes the file 0600; give it the usual mode under the umask.
    const mode_t maschera = umask(0);
    umask(maschera);
    if (!e && chmod(temp.c_str(), 0666 & ~maschera) != 0)
        e = errno;
    if (!e && std::rename(temp.c_str(), nome) != 0)
        e = errno;
    if (e) {
        unlink(temp.c_str());
        return errore(std::string("cannot write ") + nome + ": " + std::strerror(e));
    }
    return 0;
}
