// zip.cpp: ZIP archives in memory, as 3MF packages them. Only what a
// package needs: one disk, entries stored or deflated, no encryption, no
// ZIP64. Every offset and size from the archive is checked against the
// bytes before it is used; inflated entries are bounded by what zlib
// actually produces, never by the sizes the headers claim.
#include "packaged/pacchetti.h"
#include "packaged/zip.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>

namespace {

// The records and the offsets of their fields, as the ZIP format's own
// note (APPNOTE) names them.
constexpr uint32_t LOCAL_FILE_HEADER_SIGNATURE = 0x04034b50,
                   CENTRAL_FILE_HEADER_SIGNATURE = 0x02014b50,
                   END_OF_CENTRAL_DIR_SIGNATURE = 0x06054b50,
                   ZIP64_END_OF_CENTRAL_DIR_LOCATOR_SIGNATURE = 0x07064b50;
// Local file header.
enum : size_t {
    LOCAL_FILE_NAME_LENGTH = 26,
    LOCAL_EXTRA_FIELD_LENGTH = 28,
    LOCAL_FILE_HEADER_SIZE = 30,
};
// Central directory file header.
enum : size_t {
    CENTRAL_GENERAL_PURPOSE_BIT_FLAG = 8,
    CENTRAL_COMPRESSION_METHOD = 10,
    CENTRAL_CRC32 = 16,
    CENTRAL_COMPRESSED_SIZE = 20,
    CENTRAL_UNCOMPRESSED_SIZE = 24,
    CENTRAL_FILE_NAME_LENGTH = 28,
    CENTRAL_EXTRA_FIELD_LENGTH = 30,
    CENTRAL_FILE_COMMENT_LENGTH = 32,
    CENTRAL_RELATIVE_OFFSET_OF_LOCAL_HEADER = 42,
    CENTRAL_FILE_HEADER_SIZE = 46,
};
// End of central directory record, and the ZIP64 locator before it.
enum : size_t {
    END_NUMBER_OF_THIS_DISK = 4,
    END_DISK_WITH_CENTRAL_DIR = 6,
    END_ENTRIES_ON_THIS_DISK = 8,
    END_TOTAL_ENTRIES = 10,
    END_SIZE_OF_CENTRAL_DIR = 12,
    END_OFFSET_OF_CENTRAL_DIR = 16,
    END_COMMENT_LENGTH = 20,
    END_OF_CENTRAL_DIR_SIZE = 22,
    ZIP64_END_OF_CENTRAL_DIR_LOCATOR_SIZE = 20,
};
constexpr uint16_t STORED = 0, DEFLATED = 8;
constexpr uint16_t ENCRYPTED = 1;   // bit 0 of the general purpose flags

// The end record: the last thing in the archive, followed only by its
// comment of at most 65535 bytes. SIZE_MAX when there is none.
size_t fine_archivio(const unsigned char *d, size_t n)
{
    if (n < END_OF_CENTRAL_DIR_SIZE)
        return SIZE_MAX;
    for (size_t i = n - END_OF_CENTRAL_DIR_SIZE + 1;
         i-- > 0 && n - i <= END_OF_CENTRAL_DIR_SIZE + 65535;)
        if (u32_le(d + i) == END_OF_CENTRAL_DIR_SIGNATURE &&
            i + END_OF_CENTRAL_DIR_SIZE + u16_le(d + i + END_COMMENT_LENGTH) == n)
            return i;
    return SIZE_MAX;
}

// The central directory's entries [p, fine_cd) into z.
bool voci_centrali(ArchivioZip &z, size_t p, size_t fine_cd, std::string &errore)
{
    while (p < fine_cd) {
        if (fine_cd - p < CENTRAL_FILE_HEADER_SIZE ||
            u32_le(z.dati + p) != CENTRAL_FILE_HEADER_SIGNATURE)
            return sbaglio(errore, "byte %zu: a damaged central directory entry", p);
        const unsigned char *c = z.dati + p;
        const size_t lung = (size_t)u16_le(c + CENTRAL_FILE_NAME_LENGTH) +
                            u16_le(c + CENTRAL_EXTRA_FIELD_LENGTH) +
                            u16_le(c + CENTRAL_FILE_COMMENT_LENGTH);
        if (fine_cd - p - CENTRAL_FILE_HEADER_SIZE < lung)
            return sbaglio(errore, "byte %zu: a central directory entry runs past the directory",
                           p);
        VoceZip v;
        v.segni = u16_le(c + CENTRAL_GENERAL_PURPOSE_BIT_FLAG);
        v.metodo = u16_le(c + CENTRAL_COMPRESSION_METHOD);
        v.crc = u32_le(c + CENTRAL_CRC32);
        v.compressa = u32_le(c + CENTRAL_COMPRESSED_SIZE);
        v.piena = u32_le(c + CENTRAL_UNCOMPRESSED_SIZE);
        v.testata = u32_le(c + CENTRAL_RELATIVE_OFFSET_OF_LOCAL_HEADER);
        v.nome.assign((const char *)c + CENTRAL_FILE_HEADER_SIZE,
                      u16_le(c + CENTRAL_FILE_NAME_LENGTH));
        if (v.compressa == 0xffffffffu || v.piena == 0xffffffffu || v.testata == 0xffffffffu)
            return sbaglio(errore, "%s: a ZIP64 entry, which this reader does not read",
                           citato(v.nome, MAX_NOME_CITATO).c_str());
        z.voci.push_back(std::move(v));
        p += CENTRAL_FILE_HEADER_SIZE + lung;
    }
    return true;
}

// Part names in a package compare without regard to ASCII case.
bool stesso_nome(const std::string &a, const std::string &b)
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

// Where v's data starts, once its method, local header and bounds are
// what this reader can take.
bool dati_voce(const ArchivioZip &z, const VoceZip &v, const char *nome, uint64_t *inizio,
               std::string &errore)
{
    *inizio = 0;
    if (v.segni & ENCRYPTED)
        return sbaglio(errore, "%s: an encrypted entry", nome);
    if (v.metodo != STORED && v.metodo != DEFLATED)
        return sbaglio(errore, "%s: compression method %u (this reader inflates only stored and "
                               "deflated entries)", nome, v.metodo);
    if (v.testata > z.dimensione || z.dimensione - v.testata < LOCAL_FILE_HEADER_SIZE ||
        u32_le(z.dati + v.testata) != LOCAL_FILE_HEADER_SIGNATURE)
        return sbaglio(errore, "%s: no local header at byte %llu", nome,
                       (unsigned long long)v.testata);
    const unsigned char *h = z.dati + v.testata;
    *inizio = v.testata + LOCAL_FILE_HEADER_SIZE + u16_le(h + LOCAL_FILE_NAME_LENGTH) +
              u16_le(h + LOCAL_EXTRA_FIELD_LENGTH);
    if (*inizio > z.dimensione || z.dimensione - *inizio < v.compressa)
        return sbaglio(errore, "%s: its %llu bytes at byte %llu run past the end of the archive",
                       nome, (unsigned long long)v.compressa, (unsigned long long)*inizio);
    if (v.piena > MAX_SPACCHETTATI - z.spacchettati)
        return sbaglio(errore, "%s: unpacks to %llu bytes, past the %zu MiB a file may hold",
                       nome, (unsigned long long)v.piena, MAX_SPACCHETTATI >> 20);
    if (v.metodo == STORED && v.compressa != v.piena)
        return sbaglio(errore, "%s: a stored entry of %llu bytes whose header says %llu", nome,
                       (unsigned long long)v.compressa, (unsigned long long)v.piena);
    return true;
}

// Inflates v's deflated bytes at sorgente into out. The header's size only
// stops inflating early: an entry that produces one byte more than it
// claims is refused there, whatever it would have grown to.
bool inflata(const VoceZip &v, const unsigned char *sorgente, const char *nome,
             std::string &out, std::string &errore)
{
    z_stream s{};
    if (inflateInit2(&s, -MAX_WBITS) != Z_OK)
        return sbaglio(errore, "%s: zlib could not start inflating", nome);
    s.next_in = const_cast<unsigned char *>(sorgente);
    s.avail_in = 0;
    uint64_t dentro = v.compressa;
    int r = Z_OK;
    unsigned char blocco[65536];
    bool ok = true;
    while (ok && r != Z_STREAM_END) {
        if (s.avail_in == 0 && dentro > 0) {
            s.avail_in = dentro > (1u << 30) ? (1u << 30) : (uInt)dentro;
            dentro -= s.avail_in;
        }
        s.next_out = blocco;
        s.avail_out = sizeof blocco;
        r = inflate(&s, Z_NO_FLUSH);
        const size_t fatti = sizeof blocco - s.avail_out;
        if (r == Z_BUF_ERROR && fatti == 0)
            ok = sbaglio(errore, "%s: the deflated data ends early: a truncated entry", nome);
        else if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR)
            ok = sbaglio(errore, "%s: corrupt deflated data (%s)", nome,
                         s.msg ? s.msg : "zlib error");
        else if (out.size() + fatti > v.piena)
            ok = sbaglio(errore, "%s: inflates past the %llu bytes its header gives: a ZIP bomb "
                                 "or a damaged entry", nome, (unsigned long long)v.piena);
        else
            out.append((const char *)blocco, fatti);
        if (ok && r != Z_STREAM_END && fatti == 0 && s.avail_in == 0 && dentro == 0)
            ok = sbaglio(errore, "%s: the deflated data ends early: a truncated entry", nome);
    }
    inflateEnd(&s);
    if (ok && out.size() != v.piena)
        ok = sbaglio(errore, "%s: inflates to %zu bytes, its header says %llu", nome, out.size(),
                     (unsigned long long)v.piena);
    return ok;
}

}  // namespace

bool sembra_zip(const char *dati, size_t n)
{
    return n >= 4 && u32_le(dati) == LOCAL_FILE_HEADER_SIGNATURE;
}

bool apri_zip(const char *dati, size_t n, ArchivioZip &z, std::string &errore)
{
    const unsigned char *d = (const unsigned char *)dati;
    z = ArchivioZip{};
    z.dati = d;
    z.dimensione = n;
    const size_t fine = fine_archivio(d, n);
    if (fine == SIZE_MAX)
        return sbaglio(errore, "ZIP archive without its end record: truncated or not a ZIP");
    const unsigned char *e = d + fine;
    if (fine >= ZIP64_END_OF_CENTRAL_DIR_LOCATOR_SIZE &&
        u32_le(e - ZIP64_END_OF_CENTRAL_DIR_LOCATOR_SIZE) ==
            ZIP64_END_OF_CENTRAL_DIR_LOCATOR_SIGNATURE)
        return sbaglio(errore, "byte %zu: a ZIP64 archive, which this reader does not read",
                       fine - ZIP64_END_OF_CENTRAL_DIR_LOCATOR_SIZE);
    const uint16_t voci = u16_le(e + END_TOTAL_ENTRIES);
    const uint32_t dim_cd = u32_le(e + END_SIZE_OF_CENTRAL_DIR),
                   inizio_cd = u32_le(e + END_OFFSET_OF_CENTRAL_DIR);
    if (voci == 0xffff || dim_cd == 0xffffffffu || inizio_cd == 0xffffffffu)
        return sbaglio(errore, "byte %zu: a ZIP64 archive, which this reader does not read", fine);
    if (u16_le(e + END_NUMBER_OF_THIS_DISK) != 0 || u16_le(e + END_DISK_WITH_CENTRAL_DIR) != 0 ||
        u16_le(e + END_ENTRIES_ON_THIS_DISK) != voci)
        return sbaglio(errore, "byte %zu: an archive split over several disks", fine);
    if ((uint64_t)inizio_cd + dim_cd > fine)
        return sbaglio(errore, "byte %zu: the central directory (%u bytes at byte %u) runs past "
                               "the end record", fine, dim_cd, inizio_cd);
    if (!voci_centrali(z, inizio_cd, (size_t)inizio_cd + dim_cd, errore))
        return false;
    if (z.voci.size() != voci)
        return sbaglio(errore, "byte %zu: the end record counts %u entries, the central "
                               "directory holds %zu", fine, voci, z.voci.size());
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
    const std::string nome = citato(v.nome, MAX_NOME_CITATO);
    out.clear();
    uint64_t inizio;
    if (!dati_voce(z, v, nome.c_str(), &inizio, errore))
        return false;
    const unsigned char *sorgente = z.dati + inizio;
    if (v.metodo == STORED)
        out.assign((const char *)sorgente, v.compressa);
    else if (!inflata(v, sorgente, nome.c_str(), out, errore))
        return false;
    const uint32_t crc = (uint32_t)crc32_z(0L, (const Bytef *)out.data(), out.size());
    if (crc != v.crc) {
        out.clear();
        return sbaglio(errore, "%s: CRC %08x, its header says %08x: a corrupt entry",
                       nome.c_str(), crc, v.crc);
    }
    z.spacchettati += out.size();
    return true;
}
