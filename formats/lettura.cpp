// lettura.cpp: the shared reading machinery and the choice of a reader.
#include "formats/lettura.h"

#include <fast_float/fast_float.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "formats/formati.h"
#include "formats/pacchetti.h"

// "NAME:LINE: ", "NAME: byte N: " (riga < 0) or "NAME: " (riga 0), then
// the message.
static bool scrivi_errore(Lettura &l, int riga, size_t posizione, const char *formato,
                          va_list a)
{
    char luogo[40] = "";
    if (riga > 0)
        std::snprintf(luogo, sizeof luogo, ":%d", riga);
    else if (riga < 0)
        std::snprintf(luogo, sizeof luogo, ": byte %zu", posizione);
    const int n = std::snprintf(l.errore, sizeof l.errore, "%s%s: ", l.nome, luogo);
    if (n >= 0 && (size_t)n < sizeof l.errore)
        std::vsnprintf(l.errore + n, sizeof l.errore - n, formato, a);
    return false;
}

bool errore(Lettura &l, int riga, const char *formato, ...)
{
    va_list a;
    va_start(a, formato);
    scrivi_errore(l, riga < 0 ? 0 : riga, 0, formato, a);
    va_end(a);
    return false;
}

bool errore_byte(Lettura &l, size_t posizione, const char *formato, ...)
{
    va_list a;
    va_start(a, formato);
    scrivi_errore(l, -1, posizione, formato, a);
    va_end(a);
    return false;
}

bool errore_in(Lettura &l, int riga, size_t posizione, const char *formato, ...)
{
    va_list a;
    va_start(a, formato);
    scrivi_errore(l, riga, posizione, formato, a);
    va_end(a);
    return false;
}

// 1 for a '\0' or a control byte other than tab, LF, CR, VT and FF: binary
// data where text is expected. A table: one load per byte.
struct TavolaBinari {
    unsigned char b[256];
    constexpr TavolaBinari() : b()
    {
        for (int i = 0; i < 32; i++)
            b[i] = i != '\t' && i != '\n' && i != '\r' && i != '\v' && i != '\f';
    }
};
constexpr TavolaBinari BINARI;

// The first binary byte of dati[da..a), or a. Control bytes are rare: look
// for one without a branch per byte.
static size_t primo_binario(const Lettura &l, size_t da, size_t a)
{
    const unsigned char *d = (const unsigned char *)l.dati;
    unsigned cattivi = 0;
    size_t i = da;
    for (; i + 8 <= a; i += 8)
        cattivi |= BINARI.b[d[i]] | BINARI.b[d[i + 1]] | BINARI.b[d[i + 2]] | BINARI.b[d[i + 3]] |
                   BINARI.b[d[i + 4]] | BINARI.b[d[i + 5]] | BINARI.b[d[i + 6]] | BINARI.b[d[i + 7]];
    for (; i < a; i++)
        cattivi |= BINARI.b[d[i]];
    if (!cattivi)
        return a;
    for (i = da; !BINARI.b[d[i]]; i++) {
    }
    return i;
}

bool solo_testo(const Lettura &l) { return primo_binario(l, 0, l.dimensione) == l.dimensione; }

bool testo_pulito(Lettura &l)
{
    const size_t i = primo_binario(l, 0, l.dimensione);
    if (i == l.dimensione)
        return true;
    // Lines are counted only now that there is something to say.
    int riga = 1;
    for (size_t k = 0; k < i; k++)
        riga += l.dati[k] == '\n';
    return errore(l, riga, "binary data (byte 0x%02x) in a text file", (unsigned char)l.dati[i]);
}

bool riga_pulita(Lettura &l, const Cursore &c)
{
    const size_t da = (size_t)(c.p - l.dati);
    const char *a_capo = static_cast<const char *>(std::memchr(c.p, '\n', l.dimensione - da));
    const size_t a = a_capo ? (size_t)(a_capo - l.dati) : l.dimensione;
    const size_t i = primo_binario(l, da, a);
    return i == a || errore(l, c.riga, "binary data (byte 0x%02x) in the header",
                            (unsigned char)l.dati[i]);
}

bool spazio(char b)
{
    return b == ' ' || b == '\t' || b == '\r' || b == '\v' || b == '\f';
}

static bool separatore(char b) { return spazio(b) || b == '\n' || b == '\0'; }

void salta_spazi(Cursore &c)
{
    while (spazio(*c.p))
        c.p++;
}

bool a_fine_riga(Cursore &c)
{
    salta_spazi(c);
    return *c.p == '\n' || *c.p == '\0';
}

void vai_a_capo(Cursore &c)
{
    while (*c.p != '\n' && *c.p != '\0')
        c.p++;
    if (*c.p == '\n') {
        c.p++;
        c.riga++;
    }
}

bool riga_utile(Cursore &c, char commento)
{
    for (;;) {
        salta_spazi(c);
        if (*c.p == '\0')
            return false;
        if (*c.p == '\n' || (commento && *c.p == commento)) {
            vai_a_capo(c);
            continue;
        }
        return true;
    }
}

bool numero(Cursore &c, double *v)
{
    salta_spazi(c);
    const char *p = c.p;
    if (*p == '+')
        p++;
    // fast_float stops at the first byte that cannot continue the number;
    // the token must end right there.
    double x;
    const fast_float::from_chars_result r = fast_float::from_chars(p, c.fine, x);
    if (r.ec != std::errc() || r.ptr == p || !separatore(*r.ptr))
        return false;
    *v = x;
    c.p = r.ptr;
    return true;
}

bool intero(Cursore &c, long long *v)
{
    salta_spazi(c);
    const char *p = c.p;
    const bool meno = *p == '-';
    if (*p == '-' || *p == '+')
        p++;
    long long x;
    const char *dopo = cifre(p, &x);
    if (dopo == p || !separatore(*dopo))
        return false;
    *v = meno ? -x : x;
    c.p = dopo;
    return true;
}

bool parola(Cursore &c, const char **inizio, size_t *lunghezza)
{
    salta_spazi(c);
    if (*c.p == '\n' || *c.p == '\0')
        return false;
    const char *p = c.p;
    while (!separatore(*c.p))
        c.p++;
    *inizio = p;
    *lunghezza = (size_t)(c.p - p);
    return true;
}

bool parola_uguale(Cursore &c, const char *testo)
{
    salta_spazi(c);
    const size_t n = std::strlen(testo);
    if (std::strncmp(c.p, testo, n) != 0 || !separatore(c.p[n]))
        return false;
    c.p += n;
    return true;
}

uint32_t u32_le(const char *p)
{
    const unsigned char *b = (const unsigned char *)p;
    return (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
}

uint32_t u32_be(const char *p)
{
    const unsigned char *b = (const unsigned char *)p;
    return (uint32_t)b[3] | (uint32_t)b[2] << 8 | (uint32_t)b[1] << 16 | (uint32_t)b[0] << 24;
}

float f32_le(const char *p)
{
    const uint32_t u = u32_le(p);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

float f32_be(const char *p)
{
    const uint32_t u = u32_be(p);
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

bool entro_capacita(Lettura &l, int riga, size_t posizione, long long vertici, long long facce)
{
    if (vertici > MAX_PUNTI)
        return errore_in(l, riga, posizione, "%lld vertices, more than the %d a polyhedron holds",
                         vertici, MAX_PUNTI);
    if (facce > MAX_FACCE)
        return errore_in(l, riga, posizione, "%lld faces, more than the %d a polyhedron holds",
                         facce, MAX_FACCE);
    return true;
}

PuntoLetto *aggiungi_punto(Lettura &l, int riga, size_t posizione, const double pos[3])
{
    Maglia &m = *l.maglia;
    for (int k = 0; k < 3; k++) {
        if (!std::isfinite(pos[k])) {
            errore_in(l, riga, posizione, "a vertex coordinate is not a finite number");
            return nullptr;
        }
        if (std::fabs(pos[k]) > COORDINATA_MASSIMA) {
            errore_in(l, riga, posizione, "vertex coordinate %g is beyond %g", pos[k],
                      COORDINATA_MASSIMA);
            return nullptr;
        }
    }
    if (m.numpunti >= MAX_PUNTI) {
        errore_in(l, riga, posizione, "more than %d vertices, the most a polyhedron holds",
                  MAX_PUNTI);
        return nullptr;
    }
    PuntoLetto &p = m.punti[m.numpunti++];
    p = PuntoLetto{};
    for (int k = 0; k < 3; k++)
        p.pos[k] = pos[k];
    return &p;
}

bool controlla_normale(Lettura &l, int riga, size_t posizione, const double n[3])
{
    for (int k = 0; k < 3; k++)
        if (!std::isfinite(n[k]) || std::fabs(n[k]) > COORDINATA_MASSIMA)
            return errore_in(l, riga, posizione, "a vertex normal is not a finite number within 1e30");
    return true;
}

bool converti_colore(Lettura &l, int riga, size_t posizione, const double *c, float rgb[3])
{
    bool byte = false;
    for (int k = 0; k < 3; k++) {
        if (!std::isfinite(c[k]) || c[k] < 0.0)
            return errore_in(l, riga, posizione, "a colour component is negative or not a number");
        if (c[k] > 1.0)
            byte = true;
    }
    for (int k = 0; k < 3; k++) {
        const double v = byte ? c[k] / 255.0 : c[k];
        rgb[k] = (float)(v > 1.0 ? 1.0 : v);
    }
    return true;
}

int togli_ripetuti(int *v, int n, int *accanto)
{
    int k = 0;
    for (int i = 0; i < n; i++)
        if (k == 0 || v[i] != v[k - 1]) {
            v[k] = v[i];
            if (accanto)
                accanto[k] = accanto[i];
            k++;
        }
    while (k > 1 && v[k - 1] == v[0])
        k--;
    return k;
}

bool aggiungi_faccia(Lettura &l, int riga, size_t posizione, const int *indici, int n, int base,
                     const float *rgb)
{
    Maglia &m = *l.maglia;
    if (n > MAX_VERTICI_FACCIA)
        return errore_in(l, riga, posizione,
                         "a face of %d vertices cannot fit in %d faces of at most %d", n,
                         MAX_FACCE, MAX_VERTICI);
    for (int k = 0; k < n; k++)
        if (indici[k] < 0 || indici[k] >= m.numpunti)
            return errore_in(l, riga, posizione,
                             "vertex index %lld is outside the %d vertices (%d to %d)",
                             (long long)indici[k] + base, m.numpunti, base,
                             m.numpunti - 1 + base);
    // Repeated neighbours say nothing about the shape.
    static int v[MAX_VERTICI_FACCIA];
    std::memcpy(v, indici, (size_t)n * sizeof *v);
    const int nv = togli_ripetuti(v, n, nullptr);
    if (nv < 3)
        return true;   // a point or a segment: no face
    // A fan from v[0]: each piece takes up to MAX_VERTICI - 2 more corners
    // past the one it shares with the piece before.
    const int pezzi = nv <= MAX_VERTICI ? 1 : (nv - 2 + (MAX_VERTICI - 2) - 1) / (MAX_VERTICI - 2);
    if (m.numfacce + pezzi > MAX_FACCE)
        return errore_in(l, riga, posizione,
                         "more than %d faces (faces of more than %d vertices split in fans), "
                         "the most a polyhedron holds", MAX_FACCE, MAX_VERTICI);
    for (int primo = 1; primo < nv - 1;) {
        const int ultimo = primo + (MAX_VERTICI - 2) < nv - 1 ? primo + (MAX_VERTICI - 2) : nv - 1;
        FacciaLetta &f = m.facce[m.numfacce++];
        f.numvertici = 0;
        f.vertici[f.numvertici++] = v[0];
        for (int k = primo; k <= ultimo; k++)
            f.vertici[f.numvertici++] = v[k];
        f.colorata = rgb != nullptr;
        for (int k = 0; k < 3; k++)
            f.colore[k] = rgb ? rgb[k] : 0.0f;
        primo = ultimo;
    }
    return true;
}

// Below this sine of the angle at the first corner, the first three corners
// are taken as collinear: an angle no display would show.
constexpr double SENO_MINIMO = 1e-9;

// Whether the corners a, b, c turn: |(b - a) x (c - a)| against
// |b - a| |c - a|, squared, so that the size of the object does not matter.
static bool girano(const Maglia &m, int a, int b, int c)
{
    const double *pa = m.punti[a].pos, *pb = m.punti[b].pos, *pc = m.punti[c].pos;
    const double u[3] = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
    const double w[3] = {pc[0] - pa[0], pc[1] - pa[1], pc[2] - pa[2]};
    const double x[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                         u[0] * w[1] - u[1] * w[0]};
    const double xx = x[0] * x[0] + x[1] * x[1] + x[2] * x[2];
    const double uu = u[0] * u[0] + u[1] * u[1] + u[2] * u[2];
    const double ww = w[0] * w[0] + w[1] * w[1] + w[2] * w[2];
    return xx > 0.0 && xx >= SENO_MINIMO * SENO_MINIMO * uu * ww;
}

bool chiudi_maglia(Lettura &l)
{
    Maglia &m = *l.maglia;
    if (m.numfacce == 0)
        return errore(l, 0, "no face: nothing to show");
    bool esteso = false;
    for (int i = 1; i < m.numpunti && !esteso; i++)
        for (int k = 0; k < 3; k++)
            if (m.punti[i].pos[k] != m.punti[0].pos[k])
                esteso = true;
    if (!esteso)
        return errore(l, 0, "every vertex is at the same point: nothing to show");
    for (int j = 0; j < m.numfacce; j++) {
        FacciaLetta &f = m.facce[j];
        const int n = f.numvertici;
        if (!f.colorata && m.colori_punti) {
            float s[3] = {0.0f, 0.0f, 0.0f};
            for (int k = 0; k < n; k++)
                for (int c = 0; c < 3; c++)
                    s[c] += m.punti[f.vertici[k]].colore[c];
            for (int c = 0; c < 3; c++)
                f.colore[c] = s[c] / (float)n;
            f.colorata = 1;
        }
        if (girano(m, f.vertici[0], f.vertici[1], f.vertici[2]))
            continue;
        // The normal comes from the first three corners: start where they turn.
        for (int s = 1; s < n; s++) {
            if (girano(m, f.vertici[s], f.vertici[(s + 1) % n], f.vertici[(s + 2) % n])) {
                int ruotati[MAX_VERTICI];
                for (int k = 0; k < n; k++)
                    ruotati[k] = f.vertici[(s + k) % n];
                for (int k = 0; k < n; k++)
                    f.vertici[k] = ruotati[k];
                break;
            }
        }
    }
    return true;
}

enum Formato { SCONOSCIUTO, OFF, OBJ, PLY, STL, GLTF, TREMF };

static bool estensione(const char *nome, const char *est)
{
    const size_t n = std::strlen(nome), e = std::strlen(est);
    if (n <= e)
        return false;
    for (size_t i = 0; i < e; i++) {
        char c = nome[n - e + i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (c != est[i])
            return false;
    }
    return true;
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
    // The first token past blank lines and comments.
    Cursore c = cursore(l);
    if (riga_utile(c, '#')) {
        const char *p;
        size_t k;
        Cursore prima = c;
        if (parola(c, &p, &k)) {
            if (parola_off(p, k, nullptr))
                return OFF;
            if (k == 5 && std::memcmp(p, "solid", 5) == 0)
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

bool leggi_maglia_terminata(const char *nome, const char *dati, size_t n, Maglia *m, char *testo,
                            size_t dim_errore)
{
    m->numpunti = 0;
    m->numfacce = 0;
    if (!dati) {
        if (n > MAX_DIMENSIONE_FILE)
            std::snprintf(testo, dim_errore, "%s: larger than %zu MiB, far more than %d vertices "
                          "and %d faces need", nome, MAX_DIMENSIONE_FILE >> 20, MAX_PUNTI,
                          MAX_FACCE);
        else
            std::snprintf(testo, dim_errore, "%s: could not be read", nome);
        return false;
    }
    static Lettura l;
    l.nome = nome;
    l.dati = dati;
    l.dimensione = n;
    l.maglia = m;
    l.errore[0] = '\0';
    m->normali = 0;
    m->colori_punti = 0;
    bool ok;
    if (n == 0) {
        ok = errore(l, 0, "empty file");
    } else {
        switch (formato(l)) {
        case OFF: ok = leggi_off(l); break;
        case OBJ: ok = leggi_obj(l); break;
        case PLY: ok = leggi_ply(l); break;
        case STL: ok = leggi_stl(l); break;
        case GLTF: ok = leggi_gltf(l); break;
        case TREMF: ok = leggi_3mf(l); break;
        default:
            ok = errore(l, 0, "unknown format: reads OFF, PLY, STL, glTF (.gltf, .glb), 3MF, and OBJ named *.obj");
            break;
        }
        if (ok)
            ok = chiudi_maglia(l);
    }
    if (!ok) {
        m->numpunti = 0;
        m->numfacce = 0;
        std::snprintf(testo, dim_errore, "%s", l.errore);
    }
    return ok;
}

bool leggi_percorso(const char *percorso, Maglia *m, char *testo, size_t dim_errore)
{
    const bool ingresso = std::strcmp(percorso, "-") == 0;
    const char *nome = ingresso ? "standard input" : percorso;
    const int fd = ingresso ? 0 : open(percorso, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::snprintf(testo, dim_errore, "%s: %s", nome, std::strerror(errno));
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        if (!ingresso)
            close(fd);
        std::snprintf(testo, dim_errore, "%s: is a directory", nome);
        return false;
    }
    // Read in blocks, never by a size the file or the system claims, and
    // stop one byte past the limit.
    std::string dati;
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
    }
    if (!ingresso)
        close(fd);
    // A file over the limit is named as such, unread.
    const char *letti = dati.size() > MAX_DIMENSIONE_FILE ? nullptr : dati.c_str();
    return ok && leggi_maglia_terminata(nome, letti, dati.size(), m, testo, dim_errore);
}
