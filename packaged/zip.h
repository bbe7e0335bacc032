// zip.h: a ZIP archive in memory, as a 3MF package holds its parts: the
// central directory read once (ZIP64 sizes and offsets included), each
// entry unpacked on demand by zlib, its size and CRC checked as it goes, and
// everything unpacked from one file kept below MAX_SPACCHETTATI. Only the
// 3MF reader includes it.
#ifndef SUPERFICIE_PACKAGED_ZIP_H
#define SUPERFICIE_PACKAGED_ZIP_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A ZIP archive in memory: its central directory, entries unpacked on
// demand.
struct VoceZip {
    std::string nome;
    uint32_t crc;
    uint64_t compressa, piena;   // sizes as the central directory gives them
    uint16_t metodo;             // 0 stored, 8 deflated
    uint16_t segni;              // general purpose flags
    uint64_t testata;            // offset of its local header
};
struct ArchivioZip {
    const unsigned char *dati = nullptr;
    size_t dimensione = 0;
    std::vector<VoceZip> voci;
    size_t spacchettati = 0;     // bytes unpacked so far, against MAX_SPACCHETTATI
};
bool sembra_zip(const char *dati, size_t n);
bool apri_zip(const char *dati, size_t n, ArchivioZip &z, std::string &errore);
// The entry named nome (part names compare without case, a leading '/'
// ignored), or null.
const VoceZip *voce_zip(const ArchivioZip &z, const std::string &nome);
// Unpacks v into out, checking its size and CRC as it goes.
bool estrai_voce(ArchivioZip &z, const VoceZip &v, std::string &out, std::string &errore);

#endif
