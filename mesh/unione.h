// unione.h: the one weld of equal vertices, shared by the STL reader (corners
// at one position become one vertex as they are read) and the fit (vertices
// equal in position, normal and colour become one).
//
// An open-addressing table, linear probing, over a power of two at least
// twice its entries, doubling as they grow. A slot holds the index of one of
// the caller's own records, whose contents are the key (nothing is stored
// twice), beside 32 bits of its hash: a probe past other keys reads no
// record, and the table can be rebuilt from its slots alone. The caller
// hashes a key (hash_numeri), may prefetch its slot (anticipa) while it
// prepares the next, looks it up (cerca) and, when it is new, puts its
// record's index in the slot found (metti).
#ifndef SUPERFICIE_FORMATS_UNIONE_H
#define SUPERFICIE_FORMATS_UNIONE_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

struct Unione {
    std::vector<uint64_t> posti;    // hash's 32 bits << 32 | (index + 1); 0: empty
    size_t pieni;                   // entries
};

// Asks the kernel for 2 MiB pages over the whole ones within p[0..n): a large
// array filled once then faults in 512 times less often.
void pagine_grandi(const void *p, size_t n);

// Empty, with room for `attesi` entries before the table first doubles.
void prepara_unione(Unione &u, size_t attesi);

// One hash of n doubles after a seed, alike for -0.0 and 0.0 (equal, so they
// must be one key).
inline uint64_t hash_numeri(const double *x, int n, uint64_t h)
{
    h ^= 0xcbf29ce484222325ull;
    for (int k = 0; k < n; k++) {
        const double v = x[k] + 0.0;
        uint64_t b;
        std::memcpy(&b, &v, sizeof b);
        h = (h ^ b ^ (b >> 29)) * 0x100000001b3ull;
    }
    return h ^ (h >> 32);
}

inline uint32_t breve(uint64_t h) { return (uint32_t)(h >> 32) ^ (uint32_t)h; }

// Asks for the slot of hash h ahead of the look-up.
inline void anticipa(const Unione &u, uint64_t h)
{
    __builtin_prefetch(&u.posti[breve(h) & (u.posti.size() - 1)]);
}

// The index of the record equal to the key of hash h, as uguale(index)
// tells, or -1 and in *posto the empty slot where the key goes.
template <class Uguale>
inline int cerca(const Unione &u, uint64_t h, Uguale uguale, size_t *posto)
{
    const uint32_t b = breve(h);
    const size_t maschera = u.posti.size() - 1;
    size_t i = b & maschera;
    for (uint64_t s; (s = u.posti[i]) != 0; i = (i + 1) & maschera)
        if ((uint32_t)(s >> 32) == b && uguale((int)(uint32_t)s - 1))
            return (int)(uint32_t)s - 1;
    *posto = i;
    return -1;
}

// Record `indice`, of hash h, into the slot cerca found; the table doubles
// when half full.
void metti(Unione &u, size_t posto, uint64_t h, int indice);

#endif
