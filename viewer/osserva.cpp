// osserva.cpp: inotify on the folders of the files on screen.
#include "viewer/osserva.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <strings.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

static_assert(LUNGHEZZA_PERCORSO >= PATH_MAX, "realpath writes up to PATH_MAX bytes");

// Writing in place ends with IN_CLOSE_WRITE, but a writer that keeps the file
// open gives IN_MODIFY only; renaming over gives IN_MOVED_TO alone. A
// deletion needs nothing: the name is read again when it comes back.
constexpr unsigned EVENTI = IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_CREATE;

namespace {
// A name and its folder's watch.
struct Nome {
    const char *nome;   // after the path's last '/'
    int cartella;       // inotify watch of its folder; -1 for none
};
struct Osservato {
    char percorso[LUNGHEZZA_PERCORSO];
    char vero[LUNGHEZZA_PERCORSO];   // where a symbolic link leads, or ""
    Nome nomi[2];                    // the path's, and the link's end's
    bool cambiato;                   // an event came and the file has not been read since
    double ultimo;                   // time of the last event
};
}  // namespace

static Osservato osservati[MAX_POLIEDRI];
static int numosservati;
static int descrittore = -1;

// Watches the folder of percorso for its name.
static Nome guarda(const char *percorso)
{
    char cartella[LUNGHEZZA_PERCORSO];
    const char *barra = std::strrchr(percorso, '/');
    if (!barra)
        std::strcpy(cartella, ".");
    else if (barra == percorso)
        std::strcpy(cartella, "/");
    else
        std::snprintf(cartella, sizeof cartella, "%.*s", (int)(barra - percorso), percorso);
    return Nome{barra ? barra + 1 : percorso, inotify_add_watch(descrittore, cartella, EVENTI)};
}

void osserva_file(const char *const *percorsi, int n)
{
    // A new descriptor drops every watch of the old one.
    if (descrittore >= 0)
        close(descrittore);
    numosservati = 0;
    descrittore = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descrittore < 0) {
        std::fprintf(stderr, "superficie: files are not followed: %s\n", std::strerror(errno));
        return;
    }
    for (int k = 0; k < n && k < MAX_POLIEDRI; k++) {
        Osservato &o = osservati[numosservati++];
        o = Osservato{};
        o.nomi[0].cartella = o.nomi[1].cartella = -1;
        if (!std::strcmp(percorsi[k], "-") || std::strlen(percorsi[k]) >= sizeof o.percorso)
            continue;
        std::strcpy(o.percorso, percorsi[k]);
        o.nomi[0] = guarda(o.percorso);
        if (o.nomi[0].cartella < 0)
            std::fprintf(stderr, "superficie: %s will not be followed: %s\n", o.percorso,
                         std::strerror(errno));
        // Saving through a symbolic link changes the file it leads to, in
        // that file's folder.
        struct stat s;
        if (lstat(o.percorso, &s) == 0 && S_ISLNK(s.st_mode) && realpath(o.percorso, o.vero))
            o.nomi[1] = guarda(o.vero);
    }
}

void osserva_leggi(double adesso)
{
    alignas(inotify_event) char dati[16384];
    for (;;) {
        const ssize_t letti = descrittore < 0 ? -1 : read(descrittore, dati, sizeof dati);
        if (letti <= 0)
            return;
        for (ssize_t i = 0; i < letti;) {
            const inotify_event *e = reinterpret_cast<const inotify_event *>(dati + i);
            i += (ssize_t)(sizeof *e + e->len);
            for (int k = 0; k < numosservati; k++)
                for (const Nome &nome : osservati[k].nomi) {
                    // Lost events may have named any file.
                    const bool questo = (e->mask & IN_Q_OVERFLOW) ||
                                        ((e->mask & EVENTI) && e->len > 0 &&
                                         nome.cartella == e->wd && !std::strcmp(e->name, nome.nome));
                    if (questo && nome.cartella >= 0) {
                        osservati[k].cambiato = true;
                        osservati[k].ultimo = adesso;
                    }
                }
        }
    }
}

unsigned osserva_pronti(double adesso)
{
    unsigned pronti = 0;
    for (int k = 0; k < numosservati; k++) {
        Osservato &o = osservati[k];
        if (!o.cambiato || adesso - o.ultimo < QUIETE)
            continue;
        o.cambiato = false;
        struct stat s;
        if (stat(o.percorso, &s) == 0)
            pronti |= 1u << k;
    }
    return pronti;
}

const char *osservato(int slot)
{
    return slot >= 0 && slot < numosservati && osservati[slot].nomi[0].cartella >= 0
               ? osservati[slot].percorso
               : nullptr;
}

static int cifra(char c)
{
    return c >= '0' && c <= '9' ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// One URI, riga[0..n), into percorso; false when it is no local file.
static bool decodifica(const char *riga, size_t n, char *percorso)
{
    if (n < 5 || strncasecmp(riga, "file:", 5))
        return false;
    size_t i = 5;
    if (n >= 7 && riga[5] == '/' && riga[6] == '/') {
        // An authority: this machine only, by no name or by "localhost".
        const char *fine = static_cast<const char *>(std::memchr(riga + 7, '/', n - 7));
        if (!fine)
            return false;
        const size_t host = (size_t)(fine - riga) - 7;
        if (host != 0 && !(host == 9 && !strncasecmp(riga + 7, "localhost", 9)))
            return false;
        i = (size_t)(fine - riga);
    }
    if (i >= n || riga[i] != '/')
        return false;
    size_t j = 0;
    for (; i < n; i++) {
        char c = riga[i];
        if (c == '%') {
            const int alto = i + 2 < n ? cifra(riga[i + 1]) : -1;
            const int basso = i + 2 < n ? cifra(riga[i + 2]) : -1;
            if (alto < 0 || basso < 0 || (alto == 0 && basso == 0))
                return false;
            c = (char)(alto * 16 + basso);
            i += 2;
        } else if (c == '?' || c == '#') {
            return false;
        }
        if (j + 1 >= LUNGHEZZA_PERCORSO)
            return false;
        percorso[j++] = c;
    }
    percorso[j] = '\0';
    return true;
}

int percorsi_da_uri(const char *testo, size_t n, char (*percorsi)[LUNGHEZZA_PERCORSO], int max,
                    char *errore, size_t dim_errore)
{
    int contati = 0;
    char scarto[LUNGHEZZA_PERCORSO];
    for (size_t i = 0; i < n;) {
        const char *a_capo = static_cast<const char *>(std::memchr(testo + i, '\n', n - i));
        const size_t fine = a_capo ? (size_t)(a_capo - testo) : n;
        size_t lunga = fine - i;
        while (lunga > 0 && (testo[i + lunga - 1] == '\r' || testo[i + lunga - 1] == '\0'))
            lunga--;
        if (lunga > 0 && testo[i] != '#') {
            if (!decodifica(testo + i, lunga, contati < max ? percorsi[contati] : scarto)) {
                std::snprintf(errore, dim_errore, "dropped %.*s%s: not a local file",
                              (int)(lunga > 200 ? 200 : lunga), testo + i,
                              lunga > 200 ? "..." : "");
                return -1;
            }
            contati++;
        }
        i = fine + 1;
    }
    if (contati == 0)
        std::snprintf(errore, dim_errore, "the drop names no file");
    return contati ? contati : -1;
}
