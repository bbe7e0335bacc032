// lessico.cpp: the reading of text and binary values that every reader
// shares, and the one place a message is written.
#include "text/lettura.h"

#include <fast_float/fast_float.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

bool errore(Lettura &l, Luogo dove, const char *formato, ...)
{
    char luogo[40] = "";
    if (dove.tipo == Luogo::RIGA)
        std::snprintf(luogo, sizeof luogo, ":%zu", dove.n);
    else if (dove.tipo == Luogo::BYTE)
        std::snprintf(luogo, sizeof luogo, ": byte %zu", dove.n);
    const int n = std::snprintf(l.errore, sizeof l.errore, "%s%s: ", l.nome, luogo);
    if (n >= 0 && (size_t)n < sizeof l.errore) {
        va_list a;
        va_start(a, formato);
        std::vsnprintf(l.errore + n, sizeof l.errore - n, formato, a);
        va_end(a);
    }
    return false;
}

std::string testo(const char *formato, ...)
{
    char b[400];
    va_list a;
    va_start(a, formato);
    std::vsnprintf(b, sizeof b, formato, a);
    va_end(a);
    return b;
}

bool sbaglio(std::string &errore, const char *formato, ...)
{
    if (!errore.empty())
        return false;
    char b[512];
    va_list a;
    va_start(a, formato);
    std::vsnprintf(b, sizeof b, formato, a);
    va_end(a);
    errore = b;
    return false;
}

std::string citato(const char *s, size_t n, size_t massimo)
{
    std::string r;
    for (size_t i = 0; i < n && i < massimo; i++) {
        const unsigned char b = (unsigned char)s[i];
        r += b < ' ' || b == 127 ? '?' : (char)b;
    }
    return n > massimo ? r + "..." : r;
}

int esadecimale(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 for a '\0' or a control byte other than tab, LF, CR, VT and FF, DEL
// included: binary data where text is expected (and so no word a message
// quotes from a text file holds a control byte). A table: one load per byte.
namespace {

struct TavolaBinari {
    unsigned char b[256];
    constexpr TavolaBinari() : b()
    {
        for (int i = 0; i < 32; i++)
            b[i] = i != '\t' && i != '\n' && i != '\r' && i != '\v' && i != '\f';
        b[127] = 1;
    }
};
constexpr TavolaBinari BINARI;

}  // namespace

// The first binary byte of dati[da..a), or a. Control bytes are rare: look
// for one without a branch per byte.
static size_t primo_binario(const Lettura &l, size_t da, size_t a)
{
    const unsigned char *d = (const unsigned char *)l.dati;
    unsigned cattivi = 0;
    size_t i = da;
    for (; i + 8 <= a; i += 8)
        cattivi |= BINARI.b[d[i]] | BINARI.b[d[i + 1]] | BINARI.b[d[i + 2]] | BINARI.b[d[i + 3]] |
                   BINARI.b[d[i + 4]] | BINARI.b[d[i + 5]] | BINARI.b[d[i + 6]] |
                   BINARI.b[d[i + 7]];
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
    return errore(l, in_riga(riga), "binary data (byte 0x%02x) in a text file",
                  (unsigned char)l.dati[i]);
}

bool riga_pulita(Lettura &l, const Cursore &c)
{
    const size_t da = byte_letti(l, c);
    const char *a_capo = static_cast<const char *>(std::memchr(c.p, '\n', l.dimensione - da));
    const size_t a = a_capo ? (size_t)(a_capo - l.dati) : l.dimensione;
    const size_t i = primo_binario(l, da, a);
    return i == a || errore(l, in_riga(c.riga), "binary data (byte 0x%02x) in the header",
                            (unsigned char)l.dati[i]);
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
    if (r.ec != std::errc() || r.ptr == p || !separatore(c, *r.ptr))
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
    if (dopo == p || !separatore(c, *dopo))
        return false;
    *v = meno ? -x : x;
    c.p = dopo;
    return true;
}

bool parola_uguale(Cursore &c, const char *testo)
{
    salta_spazi(c);
    const size_t n = std::strlen(testo);
    if (std::strncmp(c.p, testo, n) != 0 || !separatore(c, c.p[n]))
        return false;
    c.p += n;
    return true;
}

bool non_numero(Lettura &l, Cursore &c, const char *ambito)
{
    const int riga = c.riga;
    const char *p = c.p;
    size_t k = 0;
    parola(c, &p, &k);
    if (ambito)
        return errore(l, in_riga(riga), "'%s' %s is not a number", citato(p, k).c_str(), ambito);
    return errore(l, in_riga(riga), "'%s' is not a number", citato(p, k).c_str());
}
