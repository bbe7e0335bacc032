// esporta.cpp: superficie-export, writes the built-in surface, or the
// polyhedron the viewer shows for a file, as NOFF or Wavefront OBJ.
//
// Usage: superficie-export [--from MESH] [--up y|z] [--obj] [--] [FILE]
//   Builds slot 0 exactly as the viewer's start-up does and writes it to FILE,
//   or to standard output when FILE is missing or "-". NOFF by default, OBJ with
//   --obj. With --from, MESH is read, stood up, fitted and smoothed as the
//   viewer reads it (--up as the viewer's) and written in its own
//   coordinates: NOFF, or OFF when it has no normals, with the colours of
//   its faces. Faces are written wound outwards, normals out, as files hold
//   them; the built-in surface too. A file is written beside its final name and
//   renamed into place, so a failed run never leaves a partial FILE. Exit
//   status 0, or 2 on a bad option, a bad MESH or a failed write, with one
//   line on standard error; a fitted MESH says so in one line too.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "data/superficie.h"
#include "mesh/aspetto.h"
#include "loading/formati.h"

static const char USO[] =
    "usage: superficie-export [--from MESH] [--up y|z] [--obj] [--] [FILE]\n"
    "Writes the built-in surface as NOFF (default) or Wavefront OBJ (--obj)\n"
    "to FILE, or to standard output without FILE or with FILE \"-\".\n"
    "  --from MESH  write instead the polyhedron the viewer shows for MESH\n"
    "               (OFF, OBJ, PLY, STL, glTF or 3MF), fitted to 5000 faces if\n"
    "               larger, in its own coordinates stood y up; NOFF, or OFF\n"
    "               when the viewer shows it flat\n"
    "  --up y|z     the axis that points up in MESH (default: z in STL and 3MF,\n"
    "               y in the others)\n";

// The mesh of --from, read and fitted; empty without --from.
static Maglia letta;

static void scrivi(FILE *f, bool obj, bool da_file)
{
    if (da_file && obj)
        scrivi_maglia_obj(f, letta);
    else if (da_file)
        scrivi_maglia_off(f, letta);
    else if (obj)
        scrivi_obj(f, 0);
    else
        scrivi_noff(f, 0);
}

static int errore(const std::string &messaggio)
{
    std::fprintf(stderr, "superficie-export: %s\n", messaggio.c_str());
    return 2;
}

// MESH of --from into letta, as the viewer reads it. False after one line.
static bool leggi_sorgente(const char *sorgente)
{
    char messaggio[600], nota[600];
    if (!leggi_percorso(sorgente, &letta, messaggio, sizeof messaggio))
        return errore(messaggio), false;
    const char *nome_sorgente = std::strcmp(sorgente, "-") ? sorgente : "standard input";
    if (adatta_file(nome_sorgente, &letta, nota, sizeof nota))
        std::fprintf(stderr, "superficie-export: %s\n", nota);
    return true;
}

int main(int argc, char **argv)
{
    bool obj = false;
    const char *nome = nullptr, *sorgente = nullptr;
    bool opzioni = true;
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (opzioni && a == "--help") {
            std::fputs(USO, stdout);
            return 0;
        } else if (opzioni && a == "--obj") {
            obj = true;
        } else if (opzioni && a == "--from") {
            if (i + 1 == argc)
                return errore("--from needs a MESH file (try --help)");
            if (sorgente)
                return errore("more than one --from given (try --help)");
            sorgente = argv[++i];
        } else if (opzioni && a == "--up") {
            if (i + 1 == argc || (std::strcmp(argv[i + 1], "y") && std::strcmp(argv[i + 1], "z")))
                return errore("--up: expected y or z (try --help)");
            su_dei_file = argv[++i][0] == 'y' ? SU_Y : SU_Z;
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

    if (!sorgente)
        inizializza_poliedro();
    else if (!leggi_sorgente(sorgente))
        return 2;

    if (!nome || std::strcmp(nome, "-") == 0) {
        scrivi(stdout, obj, sorgente != nullptr);
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
    scrivi(f, obj, sorgente != nullptr);
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
