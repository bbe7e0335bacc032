// unione.cpp: the weld's table (see unione.h).
#include "mesh/unione.h"

#include <sys/mman.h>

#include <cstdint>

constexpr size_t POSTI_MINIMI = 1024;

void pagine_grandi(const void *p, size_t n)
{
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t GRANDE = 2u << 20;
    const uintptr_t a = ((uintptr_t)p + GRANDE - 1) & ~(GRANDE - 1);
    const uintptr_t b = ((uintptr_t)p + n) & ~(GRANDE - 1);
    if (b > a)
        madvise((void *)a, b - a, MADV_HUGEPAGE);
#else
    (void)p;
    (void)n;
#endif
}

// An empty table of posti slots, asked for in huge pages before it is touched.
static void tavola_vuota(std::vector<uint64_t> &v, size_t posti)
{
    v.reserve(posti);
    pagine_grandi(v.data(), posti * sizeof(uint64_t));
    v.assign(posti, 0);
}

static void rifai(Unione &u, size_t posti)
{
    std::vector<uint64_t> vecchi;
    tavola_vuota(vecchi, posti);
    vecchi.swap(u.posti);
    const size_t maschera = posti - 1;
    for (const uint64_t s : vecchi)
        if (s) {
            size_t i = (s >> 32) & maschera;
            while (u.posti[i])
                i = (i + 1) & maschera;
            u.posti[i] = s;
        }
}

void prepara_unione(Unione &u, size_t attesi)
{
    size_t posti = POSTI_MINIMI;
    while (posti < 2 * attesi)
        posti *= 2;
    std::vector<uint64_t>().swap(u.posti);
    tavola_vuota(u.posti, posti);
    u.pieni = 0;
}

void metti(Unione &u, size_t posto, uint64_t h, int indice)
{
    u.posti[posto] = (uint64_t)breve(h) << 32 | (uint32_t)(indice + 1);
    if (2 * ++u.pieni > u.posti.size())
        rifai(u, 2 * u.posti.size());
}
