// disco.cpp: a file's bytes from its descriptor, bounded, in storage sized
// once from the file's own length.
#include "text/lettura.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "mesh/unione.h"

int leggi_descrittore(int fd, size_t massimo, std::string &dati, Avanzamento avanzamento,
                      void *chi)
{
    struct stat st;
    const size_t atteso = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0
                              ? std::min((size_t)st.st_size, massimo)
                              : 0;
    // Room for the size and the one byte that tells a file grown meanwhile
    // (or over the limit); a pipe's bytes double it as they come.
    const size_t primo = atteso ? atteso + 1 : 65536;
    dati.clear();
    dati.reserve(primo);
    pagine_grandi(dati.data(), primo);
    dati.resize(primo);
    size_t letti = 0;
    for (;;) {
        if (letti == dati.size())
            dati.resize(std::min(2 * letti, massimo + 1));
        // In large steps, so that progress can be told.
        const size_t passo = std::min(dati.size() - letti, size_t{16} << 20);
        const ssize_t r = read(fd, &dati[letti], passo);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            const int e = errno;
            dati.clear();
            return e;
        }
        if (r == 0)
            break;
        letti += (size_t)r;
        if (letti > massimo)
            break;
        if (avanzamento && atteso)
            avanzamento(chi, std::min(1.0, (double)letti / (double)atteso));
    }
    dati.resize(letti);
    return 0;
}
