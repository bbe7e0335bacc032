// apertura.cpp: a file's bytes, and the choice of its reader.
#include "loading/formati.h"

#include "text/lettura.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "packaged/pacchetti.h"

enum Formato { SCONOSCIUTO, OFF, OBJ, PLY, STL, GLTF, TREMF };

static bool estensione(const char *nome, const char *est)
{
    const size_t n = std::strlen(nome), e = std::strlen(est);
    return n > e && uguale_maiuscole(nome + n - e, e, est);
}

static Formato formato(const Lettura &l)
{
    const char *d = l.dati;
    const size_t n = l.dimensione;
    if (n >= 4 && std::memcmp(d, "ply", 3) == 0 && (d[3] == '\n' || d[3] == '\r'))
        return PLY;
    if (misura_stl_binario(l))
        return STL;
    if (sembra_glb(d, n))
        return GLTF;
    // Any ZIP: the 3MF reader says what it lacks if it is not a package.
    if (sembra_3mf(d, n))
        return TREMF;
    if (sembra_gltf(l.nome, d, n))
        return GLTF;
    // The first token past blank lines and comments, which OFF lets start
    // anywhere.
    Cursore c = cursore(l);
    c.commento = '#';
    if (riga_utile(c, '#')) {
        const char *p;
        size_t k;
        Cursore prima = c;
        if (parola(c, &p, &k)) {
            if (parola_off(p, k, nullptr))
                return OFF;
            if (uguale(p, k, "solid"))
                return STL;
            long long x;
            if (intero(prima, &x))
                return OFF;
        }
    }
    if (estensione(l.nome, ".obj"))
        return OBJ;
    if (estensione(l.nome, ".stl"))
        return STL;
    return SCONOSCIUTO;
}

bool leggi_maglia(const char *nome, const char *dati, size_t n, Maglia *m, char *testo,
                  size_t dim_errore)
{
    // The sentinel needs a copy; the readers need nothing else.
    const std::string copia(dati, n);
    return leggi_maglia_terminata(nome, copia.c_str(), n, m, testo, dim_errore);
}

static void svuota(Maglia *m)
{
    m->punti.clear();
    m->angoli.clear();
    m->facce.clear();
    m->normali = 0;
    m->colori_punti = 0;
    m->stampa = 0;
    m->saldata = 0;
}

// Everything a reading needs besides its reader: the Lettura, the closing
// of the mesh, and on failure the message and nothing half-read kept.
template <class Leggi>
static bool leggi_con(const char *nome, const char *dati, size_t n, Maglia *m, char *testo,
                      size_t dim_errore, Avanzamento avanzamento, void *chi,
                      const FileAccanto *accanto, Leggi leggi)
{
    svuota(m);
    Lettura l{};
    l.nome = nome;
    l.dati = dati;
    l.dimensione = n;
    l.maglia = m;
    l.c = cursore(l);
    l.avanzamento = avanzamento;
    l.chi = chi;
    l.file_accanto = accanto;
    const bool ok = leggi(l) && chiudi_maglia(l);
    if (!ok) {
        // Nothing half-read is kept, nor the room it took.
        *m = Maglia{};
        std::snprintf(testo, dim_errore, "%s", l.errore);
    }
    return ok;
}

static bool scegli_e_leggi(Lettura &l)
{
    if (l.dimensione == 0)
        return errore(l, NEL_FILE, "empty file");
    switch (formato(l)) {
    case OFF: return leggi_off(l);
    case OBJ: return leggi_obj(l);
    case PLY: return leggi_ply(l);
    case STL: return leggi_stl(l);
    case GLTF: return leggi_gltf(l);
    case TREMF: return leggi_3mf(l);
    default:
        return errore(l, NEL_FILE, "unknown format: reads OFF, PLY, STL, glTF (.gltf, .glb), 3MF, "
                      "and OBJ named *.obj");
    }
}

bool leggi_maglia_terminata(const char *nome, const char *dati, size_t n, Maglia *m, char *testo,
                            size_t dim_errore, Avanzamento avanzamento, void *chi,
                            const FileAccanto *accanto)
{
    if (!dati) {
        svuota(m);
        if (n > MAX_DIMENSIONE_FILE)
            std::snprintf(testo, dim_errore, "%s: larger than %zu MiB, far more than %d vertices "
                          "and %d faces need", nome, MAX_DIMENSIONE_FILE >> 20, MAX_PUNTI,
                          MAX_FACCE);
        else
            std::snprintf(testo, dim_errore, "%s: could not be read", nome);
        return false;
    }
    return leggi_con(nome, dati, n, m, testo, dim_errore, avanzamento, chi, accanto,
                     scegli_e_leggi);
}

// Share of the progress that the bytes from the disk take; the readers take
// the rest.
constexpr double QUOTA_DISCO = 0.1;

namespace {
struct Inoltro {
    Avanzamento avanzamento;
    void *chi;
};
}  // namespace

static void sul_disco(void *chi, double frazione)
{
    const Inoltro &i = *static_cast<const Inoltro *>(chi);
    i.avanzamento(i.chi, QUOTA_DISCO * frazione);
}

static void dopo_il_disco(void *chi, double frazione)
{
    const Inoltro &i = *static_cast<const Inoltro *>(chi);
    i.avanzamento(i.chi, QUOTA_DISCO + (1.0 - QUOTA_DISCO) * frazione);
}


// A regular file that is a binary STL by its size (and not PLY, which its
// first bytes would say): its header into testa.
static bool stl_binario_su_disco(int fd, const struct stat &st, char testa[TESTA_BINARIO + 1])
{
    if (!S_ISREG(st.st_mode) || st.st_size < (off_t)TESTA_BINARIO ||
        (size_t)st.st_size > MAX_DIMENSIONE_FILE)
        return false;
    size_t letti = 0;
    while (letti < TESTA_BINARIO) {
        const ssize_t r = pread(fd, testa + letti, TESTA_BINARIO - letti, (off_t)letti);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        letti += (size_t)r;
    }
    testa[TESTA_BINARIO] = '\0';
    if (std::memcmp(testa, "ply", 3) == 0 && (testa[3] == '\n' || testa[3] == '\r'))
        return false;
    return (uint64_t)st.st_size == TESTA_BINARIO + TRIANGOLO_BINARIO * (uint64_t)u32_le(testa + 80);
}

bool leggi_percorso(const char *percorso, Maglia *m, char *testo, size_t dim_errore,
                    Avanzamento avanzamento, void *chi)
{
    const bool ingresso = std::strcmp(percorso, "-") == 0;
    const char *nome = ingresso ? "standard input" : percorso;
    const int fd = ingresso ? 0 : open(percorso, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::snprintf(testo, dim_errore, "%s: %s", nome, std::strerror(errno));
        return false;
    }
    struct stat st;
    const bool misurato = fstat(fd, &st) == 0;
    if (misurato && S_ISDIR(st.st_mode)) {
        if (!ingresso)
            close(fd);
        std::snprintf(testo, dim_errore, "%s: is a directory", nome);
        return false;
    }
    // A binary STL is read a block at a time: its bytes are never all in
    // memory beside the mesh they make.
    char testa[TESTA_BINARIO + 1];
    if (misurato && stl_binario_su_disco(fd, st, testa)) {
        const bool ok = leggi_con(nome, testa, (size_t)st.st_size, m, testo, dim_errore,
                                  avanzamento, chi, nullptr,
                                  [fd](Lettura &l) { return leggi_stl_a_blocchi(l, fd); });
        if (!ingresso)
            close(fd);
        return ok;
    }
    std::string dati;
    Inoltro inoltro{avanzamento, chi};
    const int e = leggi_descrittore(fd, MAX_DIMENSIONE_FILE, dati,
                                    avanzamento ? sul_disco : nullptr, &inoltro);
    if (!ingresso)
        close(fd);
    if (e != 0) {
        std::snprintf(testo, dim_errore, "%s: %s", nome, std::strerror(e));
        svuota(m);
        return false;
    }
    // A file over the limit is named as such, unread.
    const char *letti = dati.size() > MAX_DIMENSIONE_FILE ? nullptr : dati.c_str();
    return leggi_maglia_terminata(nome, letti, dati.size(), m, testo, dim_errore,
                                  avanzamento ? dopo_il_disco : nullptr, &inoltro);
}
