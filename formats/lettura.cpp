// lettura.cpp: a file's bytes, and the choice of its reader.
#include "formats/lettura.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "formats/pacchetti.h"

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
}

bool leggi_maglia_terminata(const char *nome, const char *dati, size_t n, Maglia *m, char *testo,
                            size_t dim_errore, Avanzamento avanzamento, void *chi,
                            const FileAccanto *accanto)
{
    svuota(m);
    if (!dati) {
        if (n > MAX_DIMENSIONE_FILE)
            std::snprintf(testo, dim_errore, "%s: larger than %zu MiB, far more than %d vertices "
                          "and %d faces need", nome, MAX_DIMENSIONE_FILE >> 20, MAX_PUNTI,
                          MAX_FACCE);
        else
            std::snprintf(testo, dim_errore, "%s: could not be read", nome);
        return false;
    }
    Lettura l{};
    l.nome = nome;
    l.dati = dati;
    l.dimensione = n;
    l.maglia = m;
    l.c = cursore(l);
    l.avanzamento = avanzamento;
    l.chi = chi;
    l.file_accanto = accanto;
    bool ok;
    if (n == 0) {
        ok = errore(l, NEL_FILE, "empty file");
    } else {
        switch (formato(l)) {
        case OFF: ok = leggi_off(l); break;
        case OBJ: ok = leggi_obj(l); break;
        case PLY: ok = leggi_ply(l); break;
        case STL: ok = leggi_stl(l), m->stampa = 1; break;
        case GLTF: ok = leggi_gltf(l); break;
        case TREMF: ok = leggi_3mf(l), m->stampa = 1; break;
        default:
            ok = errore(l, NEL_FILE, "unknown format: reads OFF, PLY, STL, glTF (.gltf, .glb), 3MF, and OBJ named *.obj");
            break;
        }
        if (ok)
            ok = chiudi_maglia(l);
    }
    if (!ok) {
        // Nothing half-read is kept, nor the room it took.
        *m = Maglia{};
        std::snprintf(testo, dim_errore, "%s", l.errore);
    }
    return ok;
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

static void dopo_il_disco(void *chi, double frazione)
{
    const Inoltro &i = *static_cast<const Inoltro *>(chi);
    i.avanzamento(i.chi, QUOTA_DISCO + (1.0 - QUOTA_DISCO) * frazione);
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
    // Read in blocks, stopping one byte past the limit. A regular file's
    // size, within the limit, saves the copies of a growing buffer; nothing
    // relies on it.
    const size_t atteso = misurato && S_ISREG(st.st_mode) && st.st_size > 0
                              ? ((size_t)st.st_size < MAX_DIMENSIONE_FILE ? (size_t)st.st_size
                                                                         : MAX_DIMENSIONE_FILE)
                              : 0;
    std::string dati;
    dati.reserve(atteso + 1);
    char blocco[65536];
    bool ok = true;
    for (;;) {
        const ssize_t r = read(fd, blocco, sizeof blocco);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            std::snprintf(testo, dim_errore, "%s: %s", nome, std::strerror(errno));
            ok = false;
            break;
        }
        if (r == 0)
            break;
        dati.append(blocco, (size_t)r);
        if (dati.size() > MAX_DIMENSIONE_FILE)
            break;
        if (avanzamento && atteso && dati.size() % (64u << 20) < sizeof blocco)
            avanzamento(chi, QUOTA_DISCO * (double)dati.size() / (double)atteso);
    }
    if (!ingresso)
        close(fd);
    if (!ok) {
        svuota(m);
        return false;
    }
    // A file over the limit is named as such, unread.
    const char *letti = dati.size() > MAX_DIMENSIONE_FILE ? nullptr : dati.c_str();
    Inoltro inoltro{avanzamento, chi};
    return leggi_maglia_terminata(nome, letti, dati.size(), m, testo, dim_errore,
                                  avanzamento ? dopo_il_disco : nullptr, &inoltro);
}
