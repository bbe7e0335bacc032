// ply.cpp: the PLY reader, ascii and binary in either byte order.
//
// The header becomes a small table of elements and their properties; the
// body is then read by that table alone, every value through leggi_valore,
// the one place that knows the types, the text form and both byte orders.
// Only "vertex" and "face" are kept; any other element or property, lists
// included, is read past. Counts are held in binary against the bytes left
// before any loop runs, and room is made only for what the bytes left can
// hold, so a count the file cannot hold costs nothing.
//
// Ascii bodies are read a record per line (blank lines between records are
// allowed): a value missing or left over is caught on the line where it
// happens rather than at the end of the file.
#include "text/lettura.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

enum Codifica { TESTO, BINARIO_LE, BINARIO_BE };

enum Tipo { INT8, UINT8, INT16, UINT16, INT32, UINT32, FLOAT32, FLOAT64, NESSUN_TIPO };

struct DatiTipo {
    const char *nome, *altro_nome;
    size_t byte;
    bool intero;
    double minimo, massimo;         // integer types only
};

const DatiTipo TIPI[] = {
    {"char", "int8", 1, true, -128.0, 127.0},
    {"uchar", "uint8", 1, true, 0.0, 255.0},
    {"short", "int16", 2, true, -32768.0, 32767.0},
    {"ushort", "uint16", 2, true, 0.0, 65535.0},
    {"int", "int32", 4, true, -2147483648.0, 2147483647.0},
    {"uint", "uint32", 4, true, 0.0, 4294967295.0},
    {"float", "float32", 4, false, 0.0, 0.0},
    {"double", "float64", 8, false, 0.0, 0.0},
};

// What a property means to the polyhedron; the first NUM_RUOLI are numbers
// a record keeps.
enum Ruolo { X, Y, Z, NX, NY, NZ, ROSSO, VERDE, BLU, NUM_RUOLI, INDICI = NUM_RUOLI, ALTRO };

struct Proprieta {
    const char *nome;
    size_t lunghezza;
    Tipo tipo;                      // of the value, or of a list's items
    Tipo conteggio;                 // of a list's length; NESSUN_TIPO for one value
    int ruolo;
    int riga;
};

enum Genere { VERTICI, FACCE, ALTRI };

struct Elemento {
    const char *nome;
    size_t lunghezza;
    long long numero;               // records, as the header claims
    int riga;
    int prima, quante;              // its properties in Intestazione::proprieta
    Genere genere;
    bool normali, colori;
};

// Far beyond any real header; they only bound the table.
constexpr int MAX_ELEMENTI = 64;
constexpr int MAX_PROPRIETA = 1024;

struct Intestazione {
    Codifica codifica;
    int numelementi;
    Elemento elementi[MAX_ELEMENTI];
    int numproprieta;
    Proprieta proprieta[MAX_PROPRIETA];
};

}  // namespace

static Tipo tipo(const char *p, size_t n)
{
    for (int t = 0; t < NESSUN_TIPO; t++)
        if (uguale(p, n, TIPI[t].nome) || uguale(p, n, TIPI[t].altro_nome))
            return (Tipo)t;
    return NESSUN_TIPO;
}

// ---- Header ----------------------------------------------------------------

static bool fine_riga(Lettura &l, Cursore &c, const char *cosa)
{
    const char *p;
    size_t n;
    if (parola(c, &p, &n))
        return errore(l, in_riga(c.riga), "unexpected '%s' at the end of the %s line",
                      citato(p, n).c_str(), cosa);
    return true;
}

static bool leggi_formato(Lettura &l, Cursore &c, Intestazione &h)
{
    const char *p;
    size_t n;
    if (!parola(c, &p, &n))
        return errore(l, in_riga(c.riga), "format line without an encoding: expected ascii, "
                      "binary_little_endian or binary_big_endian");
    if (uguale(p, n, "ascii"))
        h.codifica = TESTO;
    else if (uguale(p, n, "binary_little_endian"))
        h.codifica = BINARIO_LE;
    else if (uguale(p, n, "binary_big_endian"))
        h.codifica = BINARIO_BE;
    else
        return errore(l, in_riga(c.riga),
                      "unknown format '%s': expected ascii, binary_little_endian "
                      "or binary_big_endian",
                      citato(p, n).c_str());
    if (!parola(c, &p, &n) || !uguale(p, n, "1.0"))
        return errore(l, in_riga(c.riga), "the format line needs the version, 1.0");
    return fine_riga(l, c, "format");
}

static bool leggi_elemento_intestazione(Lettura &l, Cursore &c, Intestazione &h)
{
    const int riga = c.riga;
    if (h.numelementi == MAX_ELEMENTI)
        return errore(l, in_riga(riga), "more than %d elements in the header", MAX_ELEMENTI);
    Elemento &e = h.elementi[h.numelementi];
    if (!parola(c, &e.nome, &e.lunghezza))
        return errore(l, in_riga(riga), "element without a name: expected 'element NAME COUNT'");
    const Cursore prima = c;
    long long numero;
    if (!intero(c, &numero)) {
        Cursore t = prima;
        const char *p;
        size_t n;
        if (!parola(t, &p, &n))
            return errore(l, in_riga(riga), "element %s without a count",
                          citato(e.nome, e.lunghezza).c_str());
        return errore(l, in_riga(riga), "the count '%s' of element %s is not a whole number",
                      citato(p, n).c_str(), citato(e.nome, e.lunghezza).c_str());
    }
    if (numero < 0)
        return errore(l, in_riga(riga), "element %s has a negative count, %lld",
                      citato(e.nome, e.lunghezza).c_str(), numero);
    if (!fine_riga(l, c, "element"))
        return false;
    e.genere = uguale(e.nome, e.lunghezza, "vertex") ? VERTICI
               : uguale(e.nome, e.lunghezza, "face") ? FACCE : ALTRI;
    for (int i = 0; i < h.numelementi; i++) {
        const Genere g = h.elementi[i].genere;
        if (e.genere != ALTRI && g == e.genere)
            return errore(l, in_riga(riga), "a second element %s",
                          citato(e.nome, e.lunghezza).c_str());
        if (e.genere == VERTICI && g == FACCE)
            return errore(l, in_riga(riga),
                          "element vertex after element face: the faces need their "
                          "vertices first");
    }
    e.numero = numero;
    e.riga = riga;
    e.prima = h.numproprieta;
    e.quante = 0;
    e.normali = e.colori = false;
    h.numelementi++;
    return true;
}

static bool tipo_proprieta(Lettura &l, Cursore &c, Tipo *t)
{
    const char *p;
    size_t n;
    if (!parola(c, &p, &n))
        return errore(l, in_riga(c.riga), "incomplete property: expected 'property TYPE NAME' or "
                      "'property list COUNT_TYPE TYPE NAME'");
    *t = tipo(p, n);
    if (*t == NESSUN_TIPO)
        return errore(l, in_riga(c.riga),
                      "unknown type '%s': expected char, uchar, short, ushort, int, "
                      "uint, float or double (or int8 ... float64)",
                      citato(p, n).c_str());
    return true;
}

static bool leggi_proprieta(Lettura &l, Cursore &c, Intestazione &h)
{
    const int riga = c.riga;
    if (h.numelementi == 0)
        return errore(l, in_riga(riga), "property before any element");
    if (h.numproprieta == MAX_PROPRIETA)
        return errore(l, in_riga(riga), "more than %d properties in the header", MAX_PROPRIETA);
    Elemento &e = h.elementi[h.numelementi - 1];
    Proprieta &p = h.proprieta[h.numproprieta];
    p.conteggio = NESSUN_TIPO;
    if (parola_uguale(c, "list")) {
        if (!tipo_proprieta(l, c, &p.conteggio))
            return false;
        if (!TIPI[p.conteggio].intero)
            return errore(l, in_riga(riga), "a list's length must have an integer type, not %s",
                          TIPI[p.conteggio].nome);
    }
    if (!tipo_proprieta(l, c, &p.tipo))
        return false;
    if (!parola(c, &p.nome, &p.lunghezza))
        return errore(l, in_riga(riga), "property without a name");
    if (!fine_riga(l, c, "property"))
        return false;
    for (int i = e.prima; i < h.numproprieta; i++)
        if (h.proprieta[i].lunghezza == p.lunghezza &&
            std::memcmp(h.proprieta[i].nome, p.nome, p.lunghezza) == 0)
            return errore(l, in_riga(riga), "a second property %s in element %s",
                          citato(p.nome, p.lunghezza).c_str(), citato(e.nome, e.lunghezza).c_str());
    p.ruolo = ALTRO;
    p.riga = riga;
    h.numproprieta++;
    e.quante++;
    return true;
}

// Leaves c at the first byte of the body.
static bool leggi_intestazione(Lettura &l, Cursore &c, Intestazione &h)
{
    const char *const fine = l.dati + l.dimensione;
    h.numelementi = 0;
    h.numproprieta = 0;
    if (!riga_pulita(l, c))
        return false;
    if (!parola_uguale(c, "ply") || !a_fine_riga(c))
        return errore(l, in_riga(1), "the first line must be just 'ply'");
    vai_a_capo(c);
    bool formato = false;
    for (;;) {
        if (c.p >= fine)
            return errore(l, NEL_FILE, "the header has no end_header line");
        if (!riga_pulita(l, c))
            return false;
        const int riga = c.riga;
        const char *p;
        size_t n;
        if (!parola(c, &p, &n)) {
            vai_a_capo(c);   // a blank line
            continue;
        }
        if (uguale(p, n, "comment") || uguale(p, n, "obj_info")) {
            vai_a_capo(c);
            continue;
        }
        if (uguale(p, n, "end_header")) {
            if (!fine_riga(l, c, "end_header"))
                return false;
            if (!formato)
                return errore(l, in_riga(riga), "no format line before end_header");
            vai_a_capo(c);
            return true;
        }
        if (uguale(p, n, "format")) {
            if (formato)
                return errore(l, in_riga(riga), "a second format line");
            if (!leggi_formato(l, c, h))
                return false;
            formato = true;
        } else if (uguale(p, n, "element")) {
            if (!formato)
                return errore(l, in_riga(riga), "element before the format line");
            if (!leggi_elemento_intestazione(l, c, h))
                return false;
        } else if (uguale(p, n, "property")) {
            if (!leggi_proprieta(l, c, h))
                return false;
        } else {
            return errore(l, in_riga(riga), "unknown header line '%s': expected format, element, "
                          "property, comment or end_header", citato(p, n).c_str());
        }
        vai_a_capo(c);
    }
}

static int trova(const Intestazione &h, const Elemento &e, const char *nome)
{
    for (int i = e.prima; i < e.prima + e.quante; i++)
        if (uguale(h.proprieta[i].nome, h.proprieta[i].lunghezza, nome))
            return i;
    return -1;
}

// Three single numbers by these names, in any order, take roles ruolo..ruolo+2.
static bool terna(Intestazione &h, const Elemento &e, const char *const nomi[3], int ruolo)
{
    int i[3];
    for (int k = 0; k < 3; k++) {
        i[k] = trova(h, e, nomi[k]);
        if (i[k] < 0 || h.proprieta[i[k]].conteggio != NESSUN_TIPO)
            return false;
    }
    for (int k = 0; k < 3; k++)
        h.proprieta[i[k]].ruolo = ruolo + k;
    return true;
}

static const char *const NOMI_POSIZIONE[3] = {"x", "y", "z"};
static const char *const NOMI_NORMALE[3] = {"nx", "ny", "nz"};
static const char *const NOMI_COLORE[3] = {"red", "green", "blue"};
static const char *const NOMI_DIFFUSO[3] = {"diffuse_red", "diffuse_green", "diffuse_blue"};

static bool assegna_ruoli(Lettura &l, Intestazione &h)
{
    bool vertici = false;
    for (int j = 0; j < h.numelementi; j++) {
        Elemento &e = h.elementi[j];
        if (e.genere == VERTICI) {
            vertici = true;
            for (int k = 0; k < 3; k++) {
                const int i = trova(h, e, NOMI_POSIZIONE[k]);
                if (i < 0)
                    return errore(l, in_riga(e.riga),
                                  "element vertex has no property %s: x, y and z "
                                  "are all needed",
                                  NOMI_POSIZIONE[k]);
                if (h.proprieta[i].conteggio != NESSUN_TIPO)
                    return errore(l, in_riga(h.proprieta[i].riga),
                                  "property %s of element vertex is a "
                                  "list: a single number is expected",
                                  NOMI_POSIZIONE[k]);
            }
            terna(h, e, NOMI_POSIZIONE, X);
            e.normali = terna(h, e, NOMI_NORMALE, NX);
            e.colori = terna(h, e, NOMI_COLORE, ROSSO) || terna(h, e, NOMI_DIFFUSO, ROSSO);
        } else if (e.genere == FACCE) {
            if (!vertici)
                return errore(l, in_riga(e.riga), "element face with no element vertex before it");
            int i = trova(h, e, "vertex_indices");
            if (i < 0)
                i = trova(h, e, "vertex_index");
            if (i < 0)
                return errore(l, in_riga(e.riga), "element face has no vertex_indices list");
            if (h.proprieta[i].conteggio == NESSUN_TIPO)
                return errore(l, in_riga(h.proprieta[i].riga),
                              "property %s of element face is a single "
                              "number: a list is expected",
                              citato(h.proprieta[i].nome, h.proprieta[i].lunghezza).c_str());
            h.proprieta[i].ruolo = INDICI;
            e.colori = terna(h, e, NOMI_COLORE, ROSSO);
        }
    }
    return true;
}

// ---- Body ------------------------------------------------------------------

namespace {

struct Corpo {
    Lettura &l;
    Codifica codifica;
    Cursore &c;                     // ascii: the next value (the reading's own cursor)
    size_t pos;                     // binary: the next byte
    const Elemento *e;              // being read, for messages
    long long letti;                // its whole records so far
};

}  // namespace

// Where a message about the body points: the current line in ascii, the
// byte given in binary.
static Luogo luogo(const Corpo &b, size_t byte)
{
    return b.codifica == TESTO ? in_riga(b.c.riga) : al_byte(byte);
}

static bool finito(Corpo &b)
{
    return errore(b.l, luogo(b, b.pos), "the file ends after %lld of the %lld %s records", b.letti,
                        b.e->numero, citato(b.e->nome, b.e->lunghezza).c_str());
}

// The token at the cursor, which is not what the type wants.
static bool non_numero(Corpo &b, Tipo t, const Proprieta &p, const char *atteso)
{
    Cursore s = b.c;
    const char *q = s.p;
    size_t n = 0;
    parola(s, &q, &n);
    return errore(b.l, in_riga(b.c.riga), "'%s' is not %s (%s, %s)", citato(q, n).c_str(), atteso,
                  citato(p.nome, p.lunghezza).c_str(), TIPI[t].nome);
}

// One value of type t, which belongs to p (its length when p is a list).
static bool leggi_valore(Corpo &b, Tipo t, const Proprieta &p, double *v)
{
    const DatiTipo &d = TIPI[t];
    if (b.codifica == TESTO) {
        // The value first; only when there is none, why.
        long long x;
        if (!d.intero ? numero(b.c, v) : intero(b.c, &x)) {
            if (!d.intero)
                return true;
            if (x < d.minimo || x > d.massimo)
                return errore(b.l, in_riga(b.c.riga), "%lld does not fit the type %s (%s)", x,
                              d.nome, citato(p.nome, p.lunghezza).c_str());
            *v = (double)x;
            return true;
        }
        if (a_fine_riga(b.c))
            return errore(b.l, in_riga(b.c.riga), "too few values for one %s record: %s is missing",
                          citato(b.e->nome, b.e->lunghezza).c_str(),
                          citato(p.nome, p.lunghezza).c_str());
        return non_numero(b, t, p, d.intero ? "a whole number" : "a number");
    }
    if (b.l.dimensione - b.pos < d.byte)
        return finito(b);
    const char *q = b.l.dati + b.pos;
    // One load and, in the other byte order, one swap.
    const bool scambia = (b.codifica == BINARIO_BE) == (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
    uint64_t u;
    switch (d.byte) {
    case 1: u = (unsigned char)q[0]; break;
    case 2: {
        uint16_t x;
        std::memcpy(&x, q, 2);
        u = scambia ? __builtin_bswap16(x) : x;
        break;
    }
    case 4: {
        uint32_t x;
        std::memcpy(&x, q, 4);
        u = scambia ? __builtin_bswap32(x) : x;
        break;
    }
    default: {
        uint64_t x;
        std::memcpy(&x, q, 8);
        u = scambia ? __builtin_bswap64(x) : x;
        break;
    }
    }
    b.pos += d.byte;
    switch (t) {
    case INT8: *v = (int8_t)(uint8_t)u; break;
    case UINT8: *v = (uint8_t)u; break;
    case INT16: *v = (int16_t)(uint16_t)u; break;
    case UINT16: *v = (uint16_t)u; break;
    case INT32: *v = (int32_t)(uint32_t)u; break;
    case UINT32: *v = (uint32_t)u; break;
    case FLOAT32: {
        const uint32_t w = (uint32_t)u;
        float f;
        std::memcpy(&f, &w, sizeof f);
        *v = f;
        break;
    }
    default: {
        double f;
        std::memcpy(&f, &u, sizeof f);
        *v = f;
        break;
    }
    }
    return true;
}

// A list: kept in the reading's indici (*n of them) when it is the face's
// corners, otherwise read past.
static bool leggi_lista(Corpo &b, const Proprieta &p, int *n)
{
    const bool indici = p.ruolo == INDICI;
    const size_t inizio = b.pos;
    double v;
    if (!leggi_valore(b, p.conteggio, p, &v))
        return false;
    const long long conta = (long long)v;   // an integer type: v is whole
    if (conta < 0)
        return errore(b.l, luogo(b, inizio), "list %s has a negative length, %lld",
                      citato(p.nome, p.lunghezza).c_str(), conta);
    const size_t byte = TIPI[p.tipo].byte;
    if (b.codifica != TESTO) {
        if ((unsigned long long)conta > (b.l.dimensione - b.pos) / byte)
            return errore(b.l, al_byte(inizio), "list %s of %lld values runs past the end of the "
                               "file", citato(p.nome, p.lunghezza).c_str(), conta);
        if (!indici) {
            b.pos += (size_t)conta * byte;
            return true;
        }
    }
    if (indici)
        b.l.indici.clear();
    for (long long k = 0; k < conta; k++) {
        if (b.codifica == TESTO && a_fine_riga(b.c))
            return errore(b.l, in_riga(b.c.riga),
                          "list %s announces %lld values, the line holds %lld",
                          citato(p.nome, p.lunghezza).c_str(), conta, k);
        const size_t qui = b.pos;
        if (!leggi_valore(b, p.tipo, p, &v))
            return false;
        if (!indici)
            continue;
        if (v != std::floor(v))
            return errore(b.l, luogo(b, qui), "vertex index %g is not a whole number", v);
        if (v < INT_MIN || v > INT_MAX)
            return errore(b.l, luogo(b, qui),
                          "vertex index %.0f is outside the %d vertices (0 to %d)", v,
                          (int)b.l.maglia->punti.size(), (int)b.l.maglia->punti.size() - 1);
        b.l.indici.push_back((int)v);
    }
    if (indici)
        *n = (int)conta;
    return true;
}

namespace {

struct Record {
    double valore[NUM_RUOLI];
    Tipo tipo[NUM_RUOLI];
    int numindici;
};

}  // namespace

static bool leggi_record(Corpo &b, const Intestazione &h, const Elemento &e, Record &r)
{
    r.numindici = 0;
    for (int i = e.prima; i < e.prima + e.quante; i++) {
        const Proprieta &p = h.proprieta[i];
        if (p.conteggio != NESSUN_TIPO) {
            if (!leggi_lista(b, p, &r.numindici))
                return false;
            continue;
        }
        double v;
        if (!leggi_valore(b, p.tipo, p, &v))
            return false;
        if (p.ruolo < NUM_RUOLI) {
            r.valore[p.ruolo] = v;
            r.tipo[p.ruolo] = p.tipo;
        }
    }
    if (b.codifica == TESTO && !a_fine_riga(b.c))
        return errore(b.l, in_riga(b.c.riga), "more values than one %s record holds",
                      citato(e.nome, e.lunghezza).c_str());
    return true;
}

// Integer colours are 0..255 whatever their type; floats are left to
// converti_colore, which tells 0..1 from 0..255.
static bool colore(Corpo &b, const Record &r, Luogo dove, float rgb[3])
{
    double c[3];
    for (int k = 0; k < 3; k++) {
        c[k] = r.valore[ROSSO + k];
        if (TIPI[r.tipo[ROSSO + k]].intero)
            c[k] = (c[k] > 255.0 ? 255.0 : c[k]) / 255.0;
    }
    return converti_colore(b.l, dove, c, rgb);
}

// The least a record of e takes in binary: its single values and its lists'
// lengths.
static unsigned long long byte_minimi(const Intestazione &h, const Elemento &e)
{
    unsigned long long s = 0;
    for (int i = e.prima; i < e.prima + e.quante; i++) {
        const Proprieta &p = h.proprieta[i];
        s += TIPI[p.conteggio != NESSUN_TIPO ? p.conteggio : p.tipo].byte;
    }
    return s;
}

static bool leggi_elemento(Corpo &b, const Intestazione &h, const Elemento &e)
{
    Lettura &l = b.l;
    b.e = &e;
    b.letti = 0;
    if (e.quante == 0)
        return true;   // records of nothing, however many
    if (b.codifica != TESTO) {
        const unsigned long long minimo = byte_minimi(h, e);
        if ((unsigned long long)e.numero > (l.dimensione - b.pos) / minimo)
            return errore(l, al_byte(b.pos),
                          "%lld %s records of at least %llu bytes each cannot "
                          "fit in the %zu bytes left",
                          e.numero, citato(e.nome, e.lunghezza).c_str(), minimo,
                          l.dimensione - b.pos);
    }
    // The shortest ascii records: "0 0 0" and "3 0 1 2", with their line breaks.
    const size_t minimo = b.codifica == TESTO ? (e.genere == VERTICI ? 6 : 8) : byte_minimi(h, e);
    const size_t qui = b.codifica == TESTO ? byte_letti(l, b.c) : b.pos;
    if (e.genere == VERTICI)
        riserva_punti(l, e.numero, qui, minimo);
    else if (e.genere == FACCE)
        riserva_facce(l, e.numero, qui, minimo, 3);
    Record r;
    for (; b.letti < e.numero; b.letti++) {
        if (b.codifica == TESTO && !riga_utile(b.c, '\0'))
            return finito(b);
        const size_t inizio = b.pos;
        const Luogo riga = luogo(b, inizio);
        if (!leggi_record(b, h, e, r))
            return false;
        if (b.codifica == TESTO)
            vai_a_capo(b.c);
        if (e.genere == VERTICI) {
            const double pos[3] = {r.valore[X], r.valore[Y], r.valore[Z]};
            PuntoLetto *q = aggiungi_punto(l, riga, pos);
            if (!q)
                return false;
            if (e.normali) {
                const double n[3] = {r.valore[NX], r.valore[NY], r.valore[NZ]};
                if (!controlla_normale(l, riga, n))
                    return false;
                for (int k = 0; k < 3; k++)
                    q->normale[k] = n[k];
            }
            if (e.colori && !colore(b, r, riga, q->colore))
                return false;
        } else if (e.genere == FACCE) {
            float rgb[3];
            if (e.colori && !colore(b, r, riga, rgb))
                return false;
            if (!aggiungi_faccia(l, riga, l.indici.data(), r.numindici, 0,
                                 e.colori ? rgb : nullptr))
                return false;
        }
    }
    return true;
}

bool leggi_ply(Lettura &l)
{
    // Some 40 KiB: kept off the stack.
    const std::unique_ptr<Intestazione> intestazione = std::make_unique<Intestazione>();
    Intestazione &h = *intestazione;
    Cursore &c = l.c;
    if (!leggi_intestazione(l, c, h) || !assegna_ruoli(l, h))
        return false;
    if (h.codifica == TESTO && !testo_pulito(l))
        return false;
    Corpo b{l, h.codifica, c, byte_letti(l, c), nullptr, 0};
    for (int j = 0; j < h.numelementi; j++) {
        const Elemento &e = h.elementi[j];
        if (e.genere == VERTICI) {
            l.maglia->normali = e.normali;
            l.maglia->colori_punti = e.colori;
        }
        if (!leggi_elemento(b, h, e))
            return false;
    }
    // Anything past the last record means the header and the data disagree.
    if (b.codifica == TESTO) {
        if (riga_utile(b.c, '\0'))
            return errore(l, in_riga(b.c.riga),
                          "data after the last element: the header announces no more");
    } else if (b.pos < l.dimensione) {
        return errore(l, al_byte(b.pos), "%zu bytes after the last element: the header announces "
                           "no more", l.dimensione - b.pos);
    }
    return true;
}
