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

static bool scrivi_errore(Lettura &l, const char *luogo, const char *formato, va_list a)
{
    const int n = std::snprintf(l.errore, sizeof l.errore, "%s%s: ", l.nome, luogo);
    if (n >= 0 && (size_t)n < sizeof l.errore)
        std::vsnprintf(l.errore + n, sizeof l.errore - n, formato, a);
    return false;
}

bool errore(Lettura &l, int riga, const char *formato, ...)
{
    char luogo[32] = "";
    if (riga > 0)
        std::snprintf(luogo, sizeof luogo, ":%d", riga);
    va_list a;
    va_start(a, formato);
    scrivi_errore(l, luogo, formato, a);
    va_end(a);
    return false;
}

bool errore_byte(Lettura &l, size_t posizione, const char *formato, ...)
{
    char luogo[40];
    std::snprintf(luogo, sizeof luogo, ": byte %zu", posizione);
    va_list a;
    va_start(a, formato);
    scrivi_errore(l, luogo, formato, a);
    va_end(a);
    return false;
}

static bool binario(unsigned char b)
{
    return b < 32 && b != '\t' && b != '\n' && b != '\r' && b != '\v' && b != '\f';
}

// 1 for the bytes binario() refuses, as a table: one load per byte.
struct TavolaBinari {
    unsigned char b[256];
    constexpr TavolaBinari() : b()
    {
        for (int i = 0; i < 256; i++)
            b[i] = i < 32 && i != '\t' && i != '\n' && i != '\r' && i != '\v' && i != '\f';
    }
};
constexpr TavolaBinari BINARI;

bool testo_pulito(Lettura &l)
{
    // Control bytes are rare: look for one without a branch per byte, and
    // count lines only once one turns up.
    const unsigned char *dati = (const unsigned char *)l.dati;
    const size_t n = l.dimensione;
    unsigned cattivi = 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8)
        cattivi |= BINARI.b[dati[i]] | BINARI.b[dati[i + 1]] | BINARI.b[dati[i + 2]] |
                   BINARI.b[dati[i + 3]] | BINARI.b[dati[i + 4]] | BINARI.b[dati[i + 5]] |
                   BINARI.b[dati[i + 6]] | BINARI.b[dati[i + 7]];
    for (; i < n; i++)
        cattivi |= BINARI.b[dati[i]];
    if (!cattivi)
        return true;
    i = 0;
    while (!binario(dati[i]))
        i++;
    int riga = 1;
    for (size_t k = 0; k < i; k++)
        riga += dati[k] == '\n';
    return errore(l, riga, "binary data (byte 0x%02x) in a text file", dati[i]);
}

static bool spazio(char b)
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
    if (*p < '0' || *p > '9')
        return false;
    long long x = 0;
    for (; *p >= '0' && *p <= '9'; p++)
        x = x < (1LL << 58) ? x * 10 + (*p - '0') : (1LL << 62);
    if (!separatore(*p))
        return false;
    *v = meno ? -x : x;
    c.p = p;
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

// The words a message uses for a place in the file: a line, or a byte.
static bool errore_in(Lettura &l, int riga, size_t posizione, const char *testo)
{
    return riga >= 0 ? errore(l, riga, "%s", testo) : errore_byte(l, posizione, "%s", testo);
}

PuntoLetto *aggiungi_punto(Lettura &l, int riga, size_t posizione, const double pos[3])
{
    Maglia &m = *l.maglia;
    char testo[160];
    for (int k = 0; k < 3; k++) {
        if (!std::isfinite(pos[k])) {
            errore_in(l, riga, posizione, "a vertex coordinate is not a finite number");
            return nullptr;
        }
        if (std::fabs(pos[k]) > COORDINATA_MASSIMA) {
            std::snprintf(testo, sizeof testo, "vertex coordinate %g is beyond %g", pos[k],
                          COORDINATA_MASSIMA);
            errore_in(l, riga, posizione, testo);
            return nullptr;
        }
    }
    if (m.numpunti >= MAX_PUNTI) {
        std::snprintf(testo, sizeof testo, "more than %d vertices, the most a polyhedron holds",
                      MAX_PUNTI);
        errore_in(l, riga, posizione, testo);
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

bool aggiungi_faccia(Lettura &l, int riga, size_t posizione, const int *indici, int n, int base,
                     const float *rgb)
{
    Maglia &m = *l.maglia;
    char testo[200];
    if (n > MAX_VERTICI_FACCIA) {
        std::snprintf(testo, sizeof testo, "a face of %d vertices cannot fit in %d faces of at most %d",
                      n, MAX_FACCE, MAX_VERTICI);
        return errore_in(l, riga, posizione, testo);
    }
    for (int k = 0; k < n; k++) {
        if (indici[k] < 0 || indici[k] >= m.numpunti) {
            std::snprintf(testo, sizeof testo, "vertex index %lld is outside the %d vertices (%d to %d)",
                          (long long)indici[k] + base, m.numpunti, base, m.numpunti - 1 + base);
            return errore_in(l, riga, posizione, testo);
        }
    }
    // Repeated neighbours (the closing pair too) say nothing about the shape.
    static int v[MAX_VERTICI_FACCIA];
    int nv = 0;
    for (int k = 0; k < n; k++)
        if (nv == 0 || indici[k] != v[nv - 1])
            v[nv++] = indici[k];
    while (nv > 1 && v[nv - 1] == v[0])
        nv--;
    if (nv < 3)
        return true;   // a point or a segment: no face
    // A fan from v[0]: each piece takes up to MAX_VERTICI - 1 more corners,
    // sharing one with the piece before.
    const int pezzi = nv <= MAX_VERTICI ? 1 : (nv - 2 + (MAX_VERTICI - 2) - 1) / (MAX_VERTICI - 2);
    if (m.numfacce + pezzi > MAX_FACCE) {
        std::snprintf(testo, sizeof testo,
                      "more than %d faces (faces of more than %d vertices split in fans), "
                      "the most a polyhedron holds", MAX_FACCE, MAX_VERTICI);
        return errore_in(l, riga, posizione, testo);
    }
    int primo = 1;
    while (primo < nv - 1) {
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

// The OFF keyword: [ST][C][N][4][n]OFF, as a whole token.
static bool parola_off(const char *p, size_t n)
{
    size_t i = 0;
    if (n - i >= 2 && p[i] == 'S' && p[i + 1] == 'T')
        i += 2;
    if (i < n && p[i] == 'C') i++;
    if (i < n && p[i] == 'N') i++;
    if (i < n && p[i] == '4') i++;
    if (i < n && p[i] == 'n') i++;
    return n - i == 3 && std::memcmp(p + i, "OFF", 3) == 0;
}

enum Formato { SCONOSCIUTO, OFF, OBJ, PLY, STL };

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
    if (n >= 84 && (uint64_t)n == 84 + 50 * (uint64_t)u32_le(d + 80))
        return STL;
    // The first token past blank lines and comments.
    Cursore c = cursore(l);
    if (riga_utile(c, '#')) {
        const char *p;
        size_t k;
        Cursore prima = c;
        if (parola(c, &p, &k)) {
            if (parola_off(p, k))
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
    static Lettura l;
    l.nome = nome;
    l.dati = dati;
    l.dimensione = n;
    l.maglia = m;
    l.errore[0] = '\0';
    m->numpunti = 0;
    m->numfacce = 0;
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
        default:
            ok = errore(l, 0, "unknown format: reads OFF, PLY, STL, and OBJ named *.obj");
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
        if (dati.size() > MAX_DIMENSIONE_FILE) {
            std::snprintf(testo, dim_errore, "%s: larger than %zu MiB, far more than %d vertices "
                          "and %d faces need", nome, MAX_DIMENSIONE_FILE >> 20, MAX_PUNTI, MAX_FACCE);
            ok = false;
            break;
        }
    }
    if (!ingresso)
        close(fd);
    return ok && leggi_maglia_terminata(nome, dati.c_str(), dati.size(), m, testo, dim_errore);
}
