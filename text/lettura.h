// lettura.h: what every reader shares: the reading of one file (its name and
// bytes, where the polyhedron goes, the progress, the message), the one
// place errors are written, and the checks that take vertices and faces into
// a Maglia; and, for the text readers (OFF, OBJ, PLY, STL), the cursor that
// walks the text, the numbers in it and the buffers of a face's corners.
//
// The packaged readers (glTF and 3MF, pacchetti.h) walk JSON, XML and ZIP
// with tools of their own, not the cursor. What they share with the text
// readers is the Lettura they are handed, errore, through which their message
// reaches the user like any other, and the Maglia checks: every vertex and
// triangle they gather goes through aggiungi_punto and aggiungi_faccia, and
// chiudi_maglia ends their reading as it ends every other.
//
// The bytes are followed by one '\0' sentinel. Text readers first make sure
// no other '\0' (or other binary byte) is in the file, so every loop may run
// until it meets '\0' or '\n' without an end check. Lines are counted only in
// vai_a_capo. Numbers are read with fast_float, independent of the locale.
//
// Every function that can fail writes the message into Lettura::errore and
// returns false (or nullptr); a reader returns false at once, so the first
// message is the one the user sees. The packaged readers (pacchetti.h) build
// theirs with sbaglio and hand it over the same way. Whatever a message
// quotes from the file goes through citato. All the state of a reading is in
// its Lettura: two files can be read at once.
//
//   lessico.cpp   the cursor, words, numbers, the messages and their quoting
//   binari.h      little- and big-endian values of binary files
//   maglia.cpp    vertices and faces into the Maglia, its closing, its fitting
//   lettura.cpp   the choice of a reader and the file's bytes
#ifndef SUPERFICIE_TEXT_LETTURA_H
#define SUPERFICIE_TEXT_LETTURA_H

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "mesh/maglia.h"
#include "text/binari.h"
#include "mesh/unione.h"

constexpr size_t MAX_DIMENSIONE_FILE = 256u << 20;  // bytes; the most a file may have

// Told now and then how far reading has come, 0..1.
using Avanzamento = void (*)(void *chi, double frazione);

// Files handed over beside the ones read (the page's, picked together with
// a .gltf): the buffers a glTF names by URI are looked up among them by name
// instead of in the .gltf's folder. nomi[k] names dati[k], lunghezze[k]
// bytes long.
struct FileAccanto {
    int n;
    const char *const *nomi;
    const char *const *dati;
    const size_t *lunghezze;
};

// The bytes of the open file fd into dati (which then holds its '\0' after
// them): at most `massimo`, and one more to tell a longer file, which ends
// the reading with dati.size() > massimo. A regular file's size sizes dati
// once, up front. avanzamento (may be null) is told the share of that size
// read. 0, or the errno of a failed read.
int leggi_descrittore(int fd, size_t massimo, std::string &dati,
                      Avanzamento avanzamento = nullptr, void *chi = nullptr);

struct Cursore {
    const char *p;                  // next byte; *p == '\0' only at the end
    int riga;                       // line of p, from 1
    const char *fine;               // the sentinel
    char commento;                  // ends a line's content wherever it stands ('#' in OFF); '\0' for none
};

// A place in a file, as a message names it.
struct Luogo {
    enum Tipo { FILE_INTERO, RIGA, BYTE } tipo;
    size_t n;                       // the line, from 1, or the byte offset, from 0
};
inline Luogo in_riga(int riga) { return Luogo{Luogo::RIGA, (size_t)riga}; }
inline Luogo al_byte(size_t byte) { return Luogo{Luogo::BYTE, byte}; }
constexpr Luogo NEL_FILE{Luogo::FILE_INTERO, 0};

struct Lettura {
    const char *nome;               // the file as messages name it
    const char *dati;               // its bytes, then the '\0' sentinel
    size_t dimensione;              // bytes before the sentinel
    Maglia *maglia;                 // where the polyhedron goes
    Cursore c;                      // text readers' place in the file
    char errore[512];               // "NAME:LINE: what is wrong" after a failure
    std::vector<int> indici;        // one face's corners as the file lists them
    std::vector<int> allegati;      // what goes with each corner (OBJ: its normal)
    std::vector<int> distinti;      // the corners without repeated neighbours
    Unione posti;                   // STL: the positions seen, as vertices of the Maglia
    Avanzamento avanzamento;        // told the share of the bytes read; may be null
    void *chi;                      // handed back to avanzamento
    const FileAccanto *file_accanto;  // where a glTF's buffers are, when not beside it; may be null
};

// Writes "NAME:LINE: message", "NAME: byte N: message" or "NAME: message"
// and returns false.
bool errore(Lettura &l, Luogo dove, const char *formato, ...)
    __attribute__((format(printf, 3, 4)));

// The packaged readers' one way to fail: the message into errore, unless
// one is there already (the first is the one the user sees); false.
bool sbaglio(std::string &errore, const char *formato, ...) __attribute__((format(printf, 2, 3)));
// printf into a message (at most 400 bytes).
std::string testo(const char *formato, ...) __attribute__((format(printf, 1, 2)));
// Names and words come from the file: a message quotes at most `massimo`
// bytes of them ("..." after), each control byte as '?', so that it stays
// one line and writes nothing to a terminal but text.
std::string citato(const char *s, size_t n, size_t massimo = 40);
inline std::string citato(const std::string &s, size_t massimo = 40)
{
    return citato(s.data(), s.size(), massimo);
}
// The older way, for the readers not yet on citato: at most 40 bytes, as
// '%.*s' takes them (no quoting: their text has no control byte).
inline int corto(size_t n) { return n < 40 ? (int)n : 40; }
// A hexadecimal digit's value, or -1.
int esadecimale(char c);
// The token p[0..n) is exactly testo. Inline: testo is a literal, its
// length known where it is called.
inline bool uguale(const char *p, size_t n, const char *testo)
{
    return std::strlen(testo) == n && std::memcmp(p, testo, n) == 0;
}
// The same with either case in p; testo is lower case.
inline bool uguale_maiuscole(const char *p, size_t n, const char *testo)
{
    if (std::strlen(testo) != n)
        return false;
    for (size_t i = 0; i < n; i++) {
        char b = p[i];
        if (b >= 'A' && b <= 'Z')
            b = (char)(b - 'A' + 'a');
        if (b != testo[i])
            return false;
    }
    return true;
}

// Refuses a '\0' or a control byte (DEL too) other than tab, CR, LF, VT and FF before
// the sentinel: binary data where text is expected.
bool testo_pulito(Lettura &l);
// The same, without a message.
bool solo_testo(const Lettura &l);
// The same for the line at c alone: the text header of a file whose body
// may hold any byte.
bool riga_pulita(Lettura &l, const Cursore &c);

inline Cursore cursore(const Lettura &l) { return Cursore{l.dati, 1, l.dati + l.dimensione, '\0'}; }
inline size_t byte_letti(const Lettura &l, const Cursore &c) { return (size_t)(c.p - l.dati); }

// Spaces, tabs, CR, VT and FF within the line.
inline bool spazio(char b) { return b == ' ' || b == '\t' || b == '\r' || b == '\v' || b == '\f'; }
inline bool separatore(const Cursore &c, char b)
{
    return spazio(b) || b == '\n' || b == '\0' || b == c.commento;
}
inline void salta_spazi(Cursore &c)
{
    while (spazio(*c.p))
        c.p++;
}
// After the spaces: the end of the line, of its content or of the file.
inline bool a_fine_riga(Cursore &c)
{
    salta_spazi(c);
    return *c.p == '\n' || *c.p == '\0' || *c.p == c.commento;
}
// Past the next '\n' (counting it), or to the end.
void vai_a_capo(Cursore &c);
// Skips lines that are blank or whose first non-space byte is `commento`
// ('\0' for none); false at the end of the file.
bool riga_utile(Cursore &c, char commento);

// One whitespace-separated token as a number; a leading '+' is allowed,
// "nan" and "inf" are read (so that they can be refused with a message).
// On false the cursor has not moved.
bool numero(Cursore &c, double *v);
// An integer token (decimal, optional sign); false for anything else,
// a fraction or exponent included. Saturates at +-2^62.
bool intero(Cursore &c, long long *v);
// The digits from p as a number saturating at 2^62; the byte after them, p
// itself when there is none. No end is needed: a run of digits stops at the
// sentinel, or at the whitespace after its token.
inline const char *cifre(const char *p, long long *v)
{
    long long x = 0;
    for (; *p >= '0' && *p <= '9'; p++)
        x = x < (1LL << 58) ? x * 10 + (*p - '0') : (1LL << 62);
    *v = x;
    return p;
}
// The next token, up to whitespace; false at the end of the line. Inline:
// the readers of words call it for every one.
inline bool parola(Cursore &c, const char **inizio, size_t *lunghezza)
{
    if (a_fine_riga(c))
        return false;
    const char *p = c.p;
    while (!separatore(c, *c.p))
        c.p++;
    *inizio = p;
    *lunghezza = (size_t)(c.p - p);
    return true;
}
// The token at the cursor is exactly `testo` (then passed over).
bool parola_uguale(Cursore &c, const char *testo);

// The token at c, which is not a number: "'TOKEN' is not a number", or
// "'TOKEN' AMBITO is not a number" when ambito ("in a vertex") is given.
bool non_numero(Lettura &l, Cursore &c, const char *ambito);

// The numbers at c until fine(c) into v[0..*n): at most `massimo`, "more
// than N numbers AMBITO" otherwise; a token that is no number is quoted, with
// ambito when nel_messaggio.
template <class Fine>
bool numeri(Lettura &l, Cursore &c, double *v, int massimo, int *n, const char *ambito,
            bool nel_messaggio, Fine fine)
{
    *n = 0;
    while (!fine(c)) {
        if (*n == massimo)
            return errore(l, in_riga(c.riga), "more than %d numbers %s", massimo, ambito);
        if (!numero(c, &v[*n]))
            return non_numero(l, c, nel_messaggio ? ambito : nullptr);
        ++*n;
    }
    return true;
}

// ---- maglia.cpp ----------------------------------------------------------

// Room for what the bytes after `da` can hold: `dichiarati` vertices or
// faces as a header claims, each taking at least `byte_ciascuno` bytes, so
// that a lying count costs nothing.
void riserva_punti(Lettura &l, long long dichiarati, size_t da, size_t byte_ciascuno);
void riserva_facce(Lettura &l, long long dichiarati, size_t da, size_t byte_ciascuno,
                   int angoli_ciascuna);

// A new vertex at pos, normal and colour zero. Refuses non-finite and absurd
// coordinates.
PuntoLetto *aggiungi_punto(Lettura &l, Luogo dove, const double pos[3]);
// Refuses a non-finite normal component.
bool controlla_normale(Lettura &l, Luogo dove, const double n[3]);
// Colour components as the file gives them: all within 0..1 are taken as
// they are, otherwise as 0..255. Refuses non-finite or negative values.
bool converti_colore(Lettura &l, Luogo dove, const double *c, float rgb[3]);

// Drops repeated neighbours from v[0..n), the closing pair too, moving
// allegati (if given) alongside; the count left.
int togli_ripetuti(int *v, int n, int *allegati);

// One face of the file: indices within 0..punti.size()-1 (messages show
// them plus `base`, the file's own numbering). Repeated neighbours are
// dropped; fewer than 3 distinct vertices and the face is skipped; more than
// MAX_VERTICI and it becomes a fan of faces of at most MAX_VERTICI. rgb may
// be null.
bool aggiungi_faccia(Lettura &l, Luogo dove, const int *indici, int n, int base,
                     const float *rgb);

// End of the file: at least one face, some extent, face colours from the
// vertex colours where the faces have none, every face listed from a corner
// whose first three vertices are not collinear.
bool chiudi_maglia(Lettura &l);

// ---- scrittura.cpp ---------------------------------------------------------

// The shortest of %.15g, %.16g, %.17g that reads back to v, in testo (32
// bytes).
const char *numero_scritto(double v, char *testo);
// A Maglia that fits the store, in its own coordinates: NOFF with its
// normals (OFF without them) and the colour of every coloured face, or OBJ
// (v, with vn and f a//a when it has normals; OBJ holds no colours). Read
// back, either gives the same vertices and faces.
void scrivi_maglia_off(FILE *f, const Maglia &m);
void scrivi_maglia_obj(FILE *f, const Maglia &m);

// ---- the readers -----------------------------------------------------------

// What tells formats apart by their content. The OFF keyword
// [ST][C][N][4][n]OFF as a whole token, its prefixes in *h when given; a
// binary STL's size, 84 bytes and 50 a triangle.
struct PrefissiOff {
    bool st, c, n;                  // texture coordinates, colours, normals per vertex
    bool quattro, dimensione;       // 4OFF, nOFF
};
bool parola_off(const char *p, size_t n, PrefissiOff *h);
bool misura_stl_binario(const Lettura &l);
constexpr size_t TESTA_BINARIO = 84;       // binary STL: 80-byte header, then the uint32 count
constexpr size_t TRIANGOLO_BINARIO = 50;   // 12 float32 and a uint16
// Binary STL triangles primo..primo+n-1, whose bytes start at `byte`, into
// the Maglia, welded in l.posti (made ready for them).
bool leggi_triangoli_stl(Lettura &l, const char *byte, uint32_t primo, uint32_t n);
// A binary STL from the open file fd, its size matching its count, in blocks:
// l.dati holds only its header, l.dimensione its size.
bool leggi_stl_a_blocchi(Lettura &l, int fd);

// Readers, one per format; each returns false with l.errore set.
bool leggi_off(Lettura &l);
bool leggi_obj(Lettura &l);
bool leggi_ply(Lettura &l);
bool leggi_stl(Lettura &l);

#endif
