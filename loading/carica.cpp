// carica.cpp: read files into the scene, placed side by side.
#include "loading/formati.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <unistd.h>

#include "mesh/adatta.h"
#include "mesh/aspetto.h"
#include "model/colori.h"
#include "model/faccia.h"
#include "model/poliedro.h"
#include "transform/trasforma.h"

const char LETTERE_SLOT[MAX_POLIEDRI] = {'y', 'l', 'p', 'g'};

static void crea_faccia(int slot, int j, const int *v, int n, char c)
{
    switch (n) {
    case 3: creafaccia3(slot, j, v[0], v[1], v[2], c); break;
    case 4: creafaccia4(slot, j, v[0], v[1], v[2], v[3], c); break;
    case 5: creafaccia5(slot, j, v[0], v[1], v[2], v[3], v[4], c); break;
    case 6: creafaccia6(slot, j, v[0], v[1], v[2], v[3], v[4], v[5], c); break;
    case 7: creafaccia7(slot, j, v[0], v[1], v[2], v[3], v[4], v[5], v[6], c); break;
    case 8: creafaccia8(slot, j, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], c); break;
    case 9: creafaccia9(slot, j, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], c); break;
    case 10:
        creafaccia10(slot, j, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], c);
        break;
    default: break;   // a Maglia holds 3 to MAX_VERTICI only
    }
}

// v[0..n) the other way round, starting from v[2], so that the first three
// corners, from which creafaccia takes the face's normal, still turn (the
// other way). Done twice it gives the face back: the export (scrivi.cpp)
// and reading undo each other.
void rovescia(const int *v, int n, int *dopo)
{
    for (int k = 0; k < n; k++)
        dopo[k] = v[(2 - k + 2 * n) % n];
}

// Centroid and radius as creapoliedro computes them, so that an object
// already at its place and size is built unchanged.
static void misura(const Maglia &m, double centro[3], double *raggio)
{
    double s[3] = {0.0, 0.0, 0.0};
    for (const PuntoLetto &p : m.punti)
        for (int k = 0; k < 3; k++)
            s[k] += p.pos[k];
    for (int k = 0; k < 3; k++)
        centro[k] = s[k] / (double)m.punti.size();
    double r = 0.0;
    for (const PuntoLetto &p : m.punti) {
        const double dx = p.pos[0] - centro[0];
        const double dy = p.pos[1] - centro[1];
        const double dz = p.pos[2] - centro[2];
        const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (d > r)
            r = d;
    }
    *raggio = r;
}

Posto PostiScena[MAX_POLIEDRI];

// Builds m into slot at dove. Files wind their faces outwards and point
// their normals out; the scene,
// like the built-in surface, inwards: the light comes from below the eye, so
// only then are the tops lit. Each object goes in wound the other way, its
// normals negated. Empties slot first.
static void costruisci(int slot, const Maglia &m, const Posto &dove)
{
    std::memset(&ElencoPoliedri[slot], 0, sizeof ElencoPoliedri[slot]);
    const double *c = dove.centro, s = dove.scala, posto = dove.spostamento;
    const int numpunti = (int)m.punti.size(), numfacce = (int)m.facce.size();
    for (int i = 0; i < numpunti; i++) {
        const PuntoLetto &p = m.punti[i];
        double nr[3] = {0.0, 0.0, 0.0};
        if (m.normali)
            for (int k = 0; k < 3; k++)
                nr[k] = -p.normale[k];
        creapunto(slot, i, (p.pos[0] - c[0]) * s + posto, (p.pos[1] - c[1]) * s,
                  (p.pos[2] - c[2]) * s, nr[0], nr[1], nr[2]);
    }
    for (int j = 0; j < numfacce; j++) {
        const FacciaLetta &f = m.facce[j];
        const char lettera = f.colorata ? lettera_vicina(f.colore) : LETTERE_SLOT[slot];
        int v[MAX_VERTICI];
        rovescia(&m.angoli[(size_t)f.primo], f.numvertici, v);
        crea_faccia(slot, j, v, f.numvertici, lettera);
    }
    creapoliedro(slot, numpunti, numfacce, m.normali ? 1 : 0);
}

void metti_in_scena(const Maglia *const *maglie, int n)
{
    // Every slot starts over from zero, as at start-up: the objects named
    // now, and nothing of what the slots held before.
    std::memset(ElencoPoliedri, 0, sizeof ElencoPoliedri);
    for (int slot = 0; slot < n && slot < MAX_POLIEDRI; slot++) {
        const Maglia &m = *maglie[slot];
        Posto &dove = PostiScena[slot];
        double r;
        misura(m, dove.centro, &r);
        // chiudi_maglia refused a file without extent, so r > 0; a radius so
        // small that the factor overflows keeps its size instead.
        dove.scala = RAGGIO_SCENA / r;
        if (!std::isfinite(dove.scala))
            dove.scala = 1.0;
        dove.spostamento = PASSO_SCENA * (slot - (n - 1) / 2.0);
        costruisci(slot, m, dove);
    }
}

bool ricarica_file(int slot, const char *percorso, char *errore, size_t dim_errore, char *nota,
                   size_t dim_nota)
{
    if (dim_nota)
        nota[0] = '\0';
    if (!slot_valido(slot)) {
        std::snprintf(errore, dim_errore, "%s: no slot %d", percorso, slot);
        return false;
    }
    Maglia m;
    if (!leggi_percorso(percorso, &m, errore, dim_errore))
        return false;
    adatta_file(percorso, &m, nota, dim_nota);
    // What the user did is in the matrices and the scale; the rest is the shape's.
    Poliedro &p = ElencoPoliedri[slot];
    const Matrice matrice = p.matrice, matrice_normali = p.matrice_normali;
    const double scala = p.scala;
    costruisci(slot, m, PostiScena[slot]);
    p.matrice = matrice;
    p.matrice_normali = matrice_normali;
    p.scala = scala;
    ApplicaTrasformazioni(slot);
    return true;
}

bool adatta_file(const char *nome, Maglia *m, char *nota, size_t dim_nota)
{
    const size_t prima = m->facce.size();
    if (dim_nota)
        nota[0] = '\0';
    raddrizza(*m);
    bool adattata = adatta_maglia(*m);
    if (!m->normali && (m->stampa || adattata))
        adattata = adatta_liscia(*m) || adattata;
    if (!adattata)
        return false;
    // What fitting left is all that is kept.
    m->punti.shrink_to_fit();
    m->angoli.shrink_to_fit();
    m->facce.shrink_to_fit();
    if (dim_nota)
        std::snprintf(nota, dim_nota, "%s: %zu faces shown as %zu (a polyhedron holds %d)", nome,
                      prima, m->facce.size(), MAX_FACCE);
    return true;
}

// Appends riga (and a '\n') to note[0..dim_note), cut where it must be.
static void annota(char *note, size_t dim_note, const char *riga)
{
    if (!dim_note || !riga[0])
        return;
    const size_t usati = std::strlen(note);
    std::snprintf(note + usati, dim_note - usati, "%s\n", riga);
}

void stampa_note(const char *note)
{
    for (const char *riga = note; *riga;) {
        const char *fine = std::strchr(riga, '\n');
        if (!fine)
            break;
        std::fprintf(stderr, "superficie: %.*s\n", (int)(fine - riga), riga);
        riga = fine + 1;
    }
}

// The progress line on a terminal: shown once reading has taken
// RITARDO_AVANZAMENTO, redrawn when the percentage changes.
constexpr double RITARDO_AVANZAMENTO = 0.5;   // seconds
// Reading is this share of the work of a large file; fitting the rest.
constexpr double QUOTA_LETTURA = 0.6;

namespace {
struct Avanzamento_file {
    const char *nome;
    double inizio;                  // seconds, CLOCK_MONOTONIC
    int mostrato;                   // the percentage on the line, -1 for no line
};
}  // namespace

static double adesso()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + 1e-9 * (double)t.tv_nsec;
}

// Fitting takes about this long a face (meshopt_simplify's pace here): its
// share of the wait is known before it starts.
constexpr double SECONDI_PER_FACCIA = 1e-6;

// The line at frazione, once reading has taken RITARDO_AVANZAMENTO or is
// expected to, with `ancora` seconds of work left.
static void mostra(Avanzamento_file &a, double frazione, double ancora = 0.0)
{
    // Never back: OBJ with normals is read twice.
    const int percento = (int)(100.0 * frazione);
    if (percento <= a.mostrato || adesso() - a.inizio + ancora < RITARDO_AVANZAMENTO)
        return;
    a.mostrato = percento;
    std::fprintf(stderr, "\rsuperficie: reading %s  %d %%", a.nome, percento);
    std::fflush(stderr);
}

static void avanza(void *chi, double frazione)
{
    mostra(*static_cast<Avanzamento_file *>(chi), QUOTA_LETTURA * frazione);
}

// Erases the line, if there is one.
static void chiudi(const Avanzamento_file &a)
{
    if (a.mostrato >= 0) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
}

// Reads files 0..n-1 with leggi(k, maglia, errore, dim, avanzamento, chi),
// fits each where it must be, and, if every one can be read, puts them in
// the scene. On a terminal, the progress line of each file that takes long.
template <class Leggi>
static bool carica(int n, const char *const *nomi, bool terminale, char *errore,
                   size_t dim_errore, char *note, size_t dim_note, Leggi leggi)
{
    if (dim_note)
        note[0] = '\0';
    if (n > MAX_POLIEDRI) {
        std::snprintf(errore, dim_errore, "more than %d files: the scene holds %d objects",
                      MAX_POLIEDRI, MAX_POLIEDRI);
        return false;
    }
    // One Maglia per file: all are read before the store is touched, and
    // go once the store has what it needs of them.
    Maglia maglie[MAX_POLIEDRI];
    const Maglia *lette[MAX_POLIEDRI];
    for (int k = 0; k < n; k++) {
        Maglia &m = maglie[k];
        Avanzamento_file a{nomi[k], adesso(), -1};
        if (!leggi(k, &m, errore, dim_errore, terminale ? avanza : nullptr, &a)) {
            chiudi(a);
            if (dim_note)
                note[0] = '\0';
            return false;
        }
        // Fitting gives no news of its own: the line says it has begun.
        if (terminale && (m.punti.size() > (size_t)MAX_PUNTI || m.facce.size() > (size_t)MAX_FACCE))
            mostra(a, QUOTA_LETTURA, SECONDI_PER_FACCIA * (double)m.facce.size());
        char nota[600];
        adatta_file(nomi[k], &m, nota, sizeof nota);
        chiudi(a);
        annota(note, dim_note, nota);
        lette[k] = &m;
    }
    metti_in_scena(lette, n);
    return true;
}

bool carica_file(const char *const *percorsi, int n, char *errore, size_t dim_errore, char *note,
                 size_t dim_note)
{
    const char *nomi[MAX_POLIEDRI];
    for (int k = 0; k < n && k < MAX_POLIEDRI; k++)
        nomi[k] = std::strcmp(percorsi[k], "-") ? percorsi[k] : "standard input";
    return carica(n, nomi, isatty(2), errore, dim_errore, note, dim_note,
                  [&](int k, Maglia *m, char *e, size_t d, Avanzamento av, void *chi) {
                      return leggi_percorso(percorsi[k], m, e, d, av, chi);
                  });
}

bool carica_dati(const char *const *nomi, const char *const *dati, const size_t *lunghezze, int n,
                 char *errore, size_t dim_errore, char *note, size_t dim_note,
                 const FileAccanto *accanto)
{
    return carica(n, nomi, false, errore, dim_errore, note, dim_note,
                  [&](int k, Maglia *m, char *e, size_t d, Avanzamento av, void *chi) {
                      return leggi_maglia_terminata(nomi[k], dati[k], lunghezze[k], m, e, d, av,
                                                    chi, accanto);
                  });
}
