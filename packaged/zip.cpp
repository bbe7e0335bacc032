// zip.cpp: ZIP archives in memory, as 3MF packages them. Only what a
// package needs: one disk, entries stored or deflated, no encryption, no
// ZIP64. Every offset and size from the archive is checked against the
// bytes before it is used; inflated entries are bounded by what zlib
// actually produces, never by the sizes the headers claim.
#include "packaged/pacchetti.h"

#include <zlib.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

static uint16_t u16(const unsigned char *p) { return (uint16_t)(p[0] | p[1] << 8); }
static uint32_t u32(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
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

// Entry names come from the file: a message quotes at most this much.
static std::string citato(const std::string &s) { return s.size() <= 60 ? s : s.substr(0, 60) + "..."; }

constexpr uint32_t FIRMA_LOCALE = 0x04034b50, FIRMA_CENTRALE = 0x02014b50,
                   FIRMA_FINE = 0x06054b50, FIRMA_FINE64 = 0x07064b50;
constexpr size_t FINE = 22, CENTRALE = 46, LOCALE = 30;

bool sembra_zip(const char *dati, size_t n)
{
    return n >= 4 && u32((const unsigned char *)dati) == FIRMA_LOCALE;
}

bool apri_zip(const char *dati, size_t n, ArchivioZip &z, std::string &errore)
{
    const unsigned char *d = (const unsigned char *)dati;
    z = ArchivioZip{};
    z.dati = d;
    z.dimensione = n;
    // The end record is the last thing in the archive, followed only by its
    // comment of at most 65535 bytes.
    size_t fine = SIZE_MAX;
    if (n >= FINE)
        for (size_t i = n - FINE + 1; i-- > 0 && n - i <= FINE + 65535;)
            if (u32(d + i) == FIRMA_FINE && i + FINE + u16(d + i + 20) == n) {
                fine = i;
                break;
            }
    if (fine == SIZE_MAX) {
        errore = "ZIP archive without its end record: truncated or not a ZIP";
        return false;
    }
    const unsigned char *e = d + fine;
    if (fine >= 20 && u32(e - 20) == FIRMA_FINE64) {
        errore = testo("byte %zu: a ZIP64 archive, which this reader does not read", fine - 20);
        return false;
    }
    const uint16_t disco = u16(e + 4), disco_cd = u16(e + 6);
    const uint16_t voci_qui = u16(e + 8), voci = u16(e + 10);
    const uint32_t dim_cd = u32(e + 12), inizio_cd = u32(e + 16);
    if (voci == 0xffff || dim_cd == 0xffffffffu || inizio_cd == 0xffffffffu) {
        errore = testo("byte %zu: a ZIP64 archive, which this reader does not read", fine);
        return false;
    }
    if (disco != 0 || disco_cd != 0 || voci_qui != voci) {
        errore = testo("byte %zu: an archive split over several disks", fine);
        return false;
    }
    if ((uint64_t)inizio_cd + dim_cd > fine) {
        errore = testo("byte %zu: the central directory (%u bytes at byte %u) runs past the end "
                       "record", fine, dim_cd, inizio_cd);
        return false;
    }
    size_t p = inizio_cd;
    const size_t fine_cd = (size_t)inizio_cd + dim_cd;
    while (p < fine_cd) {
        if (fine_cd - p < CENTRALE || u32(d + p) != FIRMA_CENTRALE) {
            errore = testo("byte %zu: a damaged central directory entry", p);
            return false;
        }
        const unsigned char *c = d + p;
        const size_t lung = (size_t)u16(c + 28) + u16(c + 30) + u16(c + 32);
        if (fine_cd - p - CENTRALE < lung) {
            errore = testo("byte %zu: a central directory entry runs past the directory", p);
            return false;
        }
        VoceZip v;
        v.segni = u16(c + 8);
        v.metodo = u16(c + 10);
        v.crc = u32(c + 16);
        v.compressa = u32(c + 20);
        v.piena = u32(c + 24);
        v.locale = u32(c + 42);
        v.nome.assign((const char *)c + CENTRALE, u16(c + 28));
        if (v.compressa == 0xffffffffu || v.piena == 0xffffffffu || v.locale == 0xffffffffu) {
            errore = testo("%s: a ZIP64 entry, which this reader does not read",
                           citato(v.nome).c_str());
            return false;
        }
        z.voci.push_back(std::move(v));
        p += CENTRALE + lung;
    }
    if (z.voci.size() != voci) {
        errore = testo("byte %zu: the end record counts %u entries, the central directory holds "
                       "%zu", fine, voci, z.voci.size());
        return false;
    }
    return true;
}

// Part names in a package compare without regard to ASCII case.
static bool stesso_nome(const std::string &a, const std::string &b)
{
    const size_t i = !a.empty() && a[0] == '/', j = !b.empty() && b[0] == '/';
    if (a.size() - i != b.size() - j)
        return false;
    for (size_t k = 0; k + i < a.size(); k++) {
        char x = a[k + i], y = b[k + j];
        if (x >= 'A' && x <= 'Z')
            x = (char)(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = (char)(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

const VoceZip *voce_zip(const ArchivioZip &z, const std::string &nome)
{
    for (const VoceZip &v : z.voci)
        if (stesso_nome(v.nome, nome))
            return &v;
    return nullptr;
}

bool estrai_voce(ArchivioZip &z, const VoceZip &v, std::string &out, std::string &errore)
{
    const std::string nome = citato(v.nome);
    out.clear();
    if (v.segni & 1) {
        errore = nome + ": an encrypted entry";
        return false;
    }
    if (v.metodo != 0 && v.metodo != 8) {
        errore = testo("%s: compression method %u (this reader inflates only stored and "
                       "deflated entries)", nome.c_str(), v.metodo);
        return false;
    }
    if (v.locale > z.dimensione || z.dimensione - v.locale < LOCALE ||
        u32(z.dati + v.locale) != FIRMA_LOCALE) {
        errore = testo("%s: no local header at byte %llu", nome.c_str(),
                       (unsigned long long)v.locale);
        return false;
    }
    const unsigned char *h = z.dati + v.locale;
    const uint64_t inizio = v.locale + LOCALE + u16(h + 26) + u16(h + 28);
    if (inizio > z.dimensione || z.dimensione - inizio < v.compressa) {
        errore = testo("%s: its %llu bytes at byte %llu run past the end of the archive",
                       nome.c_str(), (unsigned long long)v.compressa,
                       (unsigned long long)inizio);
        return false;
    }
    const size_t resto = MAX_SPACCHETTATI - z.spacchettati;
    if (v.piena > resto) {
        errore = testo("%s: unpacks to %llu bytes, past the %zu MiB a file may hold",
                       nome.c_str(), (unsigned long long)v.piena, MAX_SPACCHETTATI >> 20);
        return false;
    }
    const unsigned char *sorgente = z.dati + inizio;
    if (v.metodo == 0) {
        if (v.compressa != v.piena) {
            errore = testo("%s: a stored entry of %llu bytes whose header says %llu",
                           nome.c_str(), (unsigned long long)v.compressa,
                           (unsigned long long)v.piena);
            return false;
        }
        out.assign((const char *)sorgente, v.compressa);
    } else {
        z_stream s{};
        if (inflateInit2(&s, -MAX_WBITS) != Z_OK) {
            errore = nome + ": zlib could not start inflating";
            return false;
        }
        // The header's size only stops inflating early: an entry that
        // produces one byte more than it claims is refused there, whatever
        // it would have grown to.
        const size_t limite = (size_t)v.piena;
        s.next_in = const_cast<unsigned char *>(sorgente);
        s.avail_in = 0;
        uint64_t dentro = v.compressa;
        int r = Z_OK;
        unsigned char blocco[65536];
        while (r != Z_STREAM_END) {
            if (s.avail_in == 0 && dentro > 0) {
                s.avail_in = dentro > (1u << 30) ? (1u << 30) : (uInt)dentro;
                dentro -= s.avail_in;
            }
            s.next_out = blocco;
            s.avail_out = sizeof blocco;
            r = inflate(&s, Z_NO_FLUSH);
            const size_t fatti = sizeof blocco - s.avail_out;
            if (r != Z_OK && r != Z_STREAM_END && !(r == Z_BUF_ERROR && fatti > 0)) {
                inflateEnd(&s);
                errore = r == Z_BUF_ERROR
                             ? nome + ": the deflated data ends early: a truncated entry"
                             : testo("%s: corrupt deflated data (%s)", nome.c_str(),
                                     s.msg ? s.msg : "zlib error");
                return false;
            }
            if (out.size() + fatti > limite) {
                inflateEnd(&s);
                errore = testo("%s: inflates past the %llu bytes its header gives: a ZIP bomb "
                               "or a damaged entry", nome.c_str(), (unsigned long long)v.piena);
                return false;
            }
            out.append((const char *)blocco, fatti);
            if (r != Z_STREAM_END && fatti == 0 && s.avail_in == 0 && dentro == 0) {
                inflateEnd(&s);
                errore = nome + ": the deflated data ends early: a truncated entry";
                return false;
            }
        }
        inflateEnd(&s);
        if (out.size() != v.piena) {
            errore = testo("%s: inflates to %zu bytes, its header says %llu", nome.c_str(),
                           out.size(), (unsigned long long)v.piena);
            return false;
        }
    }
    const uint32_t crc = (uint32_t)crc32_z(0L, (const Bytef *)out.data(), out.size());
    if (crc != v.crc) {
        errore = testo("%s: CRC %08x, its header says %08x: a corrupt entry", nome.c_str(), crc,
                       v.crc);
        out.clear();
        return false;
    }
    z.spacchettati += out.size();
    return true;
}
