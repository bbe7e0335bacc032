// scrivi_prova.cpp OUTPUT.off: the OFF file at the store's capacity of
// bench/maglie_prova.h, on disk, for the thumbnail's case.
#include <cstdio>

#include "bench/maglie_prova.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_scrivi_prova OUTPUT.off\n");
        return 2;
    }
    const FileProva f = file_prova(OFF_TESTO);
    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(f.dati.data(), 1, f.dati.size(), out) != f.dati.size())
        return 1;
    return std::fclose(out) == 0 ? 0 : 1;
}
