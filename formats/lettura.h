// lettura.h: what every reader shares: the file in memory, the cursor that
// walks its text, the numbers in it, the one place errors are written, and
// the checks that take vertices and faces into a Maglia.
//
// The bytes are followed by one '\0' sentinel. Text readers first make sure
// no other '\0' (or other binary byte) is in the file, so every loop may run
// until it meets '\0' or '\n' without an end check. Lines are counted only in
// vai_a_capo. Numbers are read with fast_float, independent of the locale.
//
// Every function that can fail writes the message into Lettura::errore and
// returns false (or nullptr); a reader returns false at once, so the first
// message is the one the user sees.
#ifndef SUPERFICIE_FORMATS_LETTURA_H
#define SUPERFICIE_FORMATS_LETTURA_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/maglia.h"

// A face with more vertices cannot fit the store once split into fans of
// MAX_VERTICI (each piece after the first adds MAX_VERTICI - 2 vertices).
constexpr int MAX_VERTICI_FACCIA = (MAX_VERTICI - 2) * MAX_FACCE + 2;

struct Lettura {
    const char *nome;               // the file as messages name it
    const char *dati;               // its bytes, then the '\0' sentinel
    size_t dimensione;              // bytes before the sentinel
    Maglia *maglia;                 // where the polyhedron goes
    char errore[512];               // "NAME:LINE: what is wrong" after a failure
};

struct Cursore {
    const char *p;                  // next byte; *p == '\0' only at the end
    int riga;                       // line of p, from 1
    const char *fine;               // the sentinel
};

// errore(l, riga, ...) writes "NAME:RIGA: message" (just "NAME: message" for
// riga 0) and returns false; errore_byte gives a byte offset instead;
// errore_in either, the offset when riga < 0 (the readers that take text and
// binary alike).
bool errore(Lettura &l, int riga, const char *formato, ...)
    __attribute__((format(printf, 3, 4)));
bool errore_byte(Lettura &l, size_t posizione, const char *formato, ...)
    __attribute__((format(printf, 3, 4)));
bool errore_in(Lettura &l, int riga, size_t posizione, const char *formato, ...)
    __attribute__((format(printf, 4, 5)));

// Names and words come from the file: a message quotes at most this much.
inline int corto(size_t n) { return n < 40 ? (int)n : 40; }
// The token p[0..n) is exactly testo. Inline: testo is a literal, its
// length known where it is called.
inline bool uguale(const char *p, size_t n, const char *testo)
{
    return std::strlen(testo) == n && std::memcmp(p, testo, n) == 0;
}

// Refuses a '\0' or a control byte other than tab, CR, LF, VT and FF before
// the sentinel: binary data where text is expected.
bool testo_pulito(Lettura &l);
// The same, without a message.
bool solo_testo(const Lettura &l);
// The same for the line at c alone: the text header of a file whose body
// may hold any byte.
bool riga_pulita(Lettura &l, const Cursore &c);

inline Cursore cursore(const Lettura &l) { return Cursore{l.dati, 1, l.dati + l.dimensione}; }

// Spaces, tabs, CR, VT and FF within the line.
bool spazio(char b);
void salta_spazi(Cursore &c);
// After the spaces: the end of the line or of the file.
bool a_fine_riga(Cursore &c);
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
// The next token, up to whitespace; false at the end of the line.
bool parola(Cursore &c, const char **inizio, size_t *lunghezza);
// The token at the cursor is exactly `testo` (then passed over).
bool parola_uguale(Cursore &c, const char *testo);

// Counts from a header against the capacities, before anything is read by
// them; a negative count is one the header does not give.
bool entro_capacita(Lettura &l, int riga, size_t posizione, long long vertici, long long facce);

// A new vertex at pos, normal and colour zero. Refuses non-finite and absurd
// coordinates and a vertex past MAX_PUNTI (riga, or a byte offset when
// riga < 0 with posizione).
PuntoLetto *aggiungi_punto(Lettura &l, int riga, size_t posizione, const double pos[3]);
// Refuses a non-finite normal component.
bool controlla_normale(Lettura &l, int riga, size_t posizione, const double n[3]);
// Colour components as the file gives them: all within 0..1 are taken as
// they are, otherwise as 0..255. Refuses non-finite or negative values.
bool converti_colore(Lettura &l, int riga, size_t posizione, const double *c, float rgb[3]);

// Drops repeated neighbours from v[0..n), the closing pair too, moving
// accanto (if given) alongside; the count left.
int togli_ripetuti(int *v, int n, int *accanto);

// One face of the file: indices within 0..numpunti-1 (messages show them
// plus `base`, the file's own numbering). Repeated neighbours are dropped;
// fewer than 3 distinct vertices and the face is skipped; more than
// MAX_VERTICI and it becomes a fan of faces of at most MAX_VERTICI.
// rgb may be null.
bool aggiungi_faccia(Lettura &l, int riga, size_t posizione, const int *indici, int n,
                     int base, const float *rgb);

// End of the file: at least one face, some extent, face colours from the
// vertex colours where the faces have none, every face listed from a corner
// whose first three vertices are not collinear.
bool chiudi_maglia(Lettura &l);

// What tells formats apart by their content. The OFF keyword
// [ST][C][N][4][n]OFF as a whole token, its prefixes in *h when given; a
// binary STL's size, 84 bytes and 50 a triangle.
struct PrefissiOff {
    bool st, c, n;                  // texture coordinates, colours, normals per vertex
    bool quattro, dimensione;       // 4OFF, nOFF
};
bool parola_off(const char *p, size_t n, PrefissiOff *h);
bool misura_stl_binario(const Lettura &l);

// Readers, one per format; each returns false with l.errore set.
bool leggi_off(Lettura &l);
bool leggi_obj(Lettura &l);
bool leggi_ply(Lettura &l);
bool leggi_stl(Lettura &l);

// Byte order helpers for the binary forms.
uint32_t u32_le(const char *p);
uint32_t u32_be(const char *p);
float f32_le(const char *p);
float f32_be(const char *p);

#endif
