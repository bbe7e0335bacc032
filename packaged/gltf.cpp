// gltf.cpp: glTF 2.0, as JSON (.gltf) or in its binary container (.glb).
//
// JSON is parsed by RapidJSON: header-only, no exceptions (the page is
// built without them), iterative so that deep nesting cannot exhaust the
// stack, and small in the page. Every array index, offset, count and stride
// the JSON gives is checked against what is actually there before a byte is
// read through it; decoded data (base64, meshopt, external files) counts
// against one budget for the whole file.
#include "packaged/pacchetti.h"

#include <meshoptimizer.h>
#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text/lettura.h"
#include "mesh/maglia.h"

namespace {

using Valore = rapidjson::Value;

using ::citato;
std::string citato(const Valore &v)
{
    return v.IsString() ? citato(v.GetString(), v.GetStringLength()) : std::string("?");
}

const Valore *membro(const Valore &o, const char *k)
{
    if (!o.IsObject())
        return nullptr;
    const auto m = o.FindMember(k);
    return m == o.MemberEnd() ? nullptr : &m->value;
}

// A buffer as it is read: bytes owned here or in the file itself.
struct Buffer {
    bool pronto = false;
    std::string proprio;
    const unsigned char *dati = nullptr;
    size_t lunghezza = 0;
};

struct Vista {
    bool pronta = false;
    std::vector<unsigned char> decompressa;   // EXT_meshopt_compression
    const unsigned char *dati = nullptr;
    size_t lunghezza = 0;
    size_t passo = 0;                         // byteStride, 0 for none
};

// An accessor's elements as doubles, normalised where it says so.
struct Valori {
    std::vector<double> v;
    int componenti = 0;
    size_t numero = 0;
};

struct Gltf {
    const Valore *radice = nullptr;
    const unsigned char *bin = nullptr;       // the GLB's BIN chunk
    size_t bin_lunghezza = 0;
    bool glb = false;
    std::string cartella;                     // where external buffers are, "" for nowhere
    const FileAccanto *accanto = nullptr;     // or among these files, when given
    size_t dimensione = 0;                    // of the file itself
    size_t spacchettati = 0;
    std::vector<Buffer> buffer;
    std::vector<std::unique_ptr<Vista>> viste;
    Geometria *g = nullptr;
    std::string errore;
};

bool intero(const Valore *v, uint64_t *x)
{
    if (!v || !v->IsUint64())
        return false;
    *x = v->GetUint64();
    return true;
}

// Member k of o as an index or count; absent gives predefinito (or an error
// when there is none, predefinito < 0).
bool campo(Gltf &f, const Valore &o, const char *k, long long predefinito, uint64_t *x,
           const std::string &sede)
{
    const Valore *v = membro(o, k);
    *x = 0;
    if (!v) {
        if (predefinito < 0)
            return sbaglio(f.errore, "%s: no %s", sede.c_str(), k);
        *x = (uint64_t)predefinito;
        return true;
    }
    if (!intero(v, x))
        return sbaglio(f.errore, "%s: %s is not a whole number", sede.c_str(), k);
    return true;
}

// Element i of the top-level array nome, an object.
const Valore *elemento(Gltf &f, const char *nome, uint64_t i, const std::string &richiedente)
{
    const Valore *a = membro(*f.radice, nome);
    const size_t n = a && a->IsArray() ? a->Size() : 0;
    if (i >= n) {
        sbaglio(f.errore, "%s%s[%llu] is not there (the file has %zu)", richiedente.c_str(), nome,
                (unsigned long long)i, n);
        return nullptr;
    }
    const Valore &e = (*a)[(rapidjson::SizeType)i];
    if (!e.IsObject()) {
        sbaglio(f.errore, "%s[%llu]: not an object", nome, (unsigned long long)i);
        return nullptr;
    }
    return &e;
}

bool numeri(Gltf &f, const Valore &o, const char *k, int n, double *out, const std::string &sede)
{
    const Valore *v = membro(o, k);
    if (!v)
        return true;
    if (!v->IsArray() || v->Size() != (rapidjson::SizeType)n)
        return sbaglio(f.errore, "%s: %s is not %d numbers", sede.c_str(), k, n);
    for (int i = 0; i < n; i++) {
        const Valore &x = (*v)[i];
        if (!x.IsNumber() || !std::isfinite(x.GetDouble()))
            return sbaglio(f.errore, "%s: %s is not %d finite numbers", sede.c_str(), k, n);
        out[i] = x.GetDouble();
    }
    return true;
}

// The value of each base64 digit (either alphabet), 64 for any other byte.
struct TavolaBase64 {
    unsigned char v[256];
    constexpr TavolaBase64() : v()
    {
        for (int i = 0; i < 256; i++)
            v[i] = 64;
        for (int i = 0; i < 26; i++)
            v['A' + i] = (unsigned char)i, v['a' + i] = (unsigned char)(26 + i);
        for (int i = 0; i < 10; i++)
            v['0' + i] = (unsigned char)(52 + i);
        v[(unsigned char)'+'] = v[(unsigned char)'-'] = 62;
        v[(unsigned char)'/'] = v[(unsigned char)'_'] = 63;
    }
};
constexpr TavolaBase64 BASE64;

bool da_base64(const char *s, size_t n, std::string &out)
{
    while (n > 0 && s[n - 1] == '=')
        n--;
    if (n % 4 == 1)
        return false;
    out.resize(n / 4 * 3 + (n % 4 ? n % 4 - 1 : 0));
    const unsigned char *p = (const unsigned char *)s;
    char *o = &out[0];
    unsigned cattivi = 0;
    size_t i = 0;
    // Four digits, three bytes; a bad digit anywhere is found once, at the end.
    for (; i + 4 <= n; i += 4, o += 3) {
        const unsigned a = BASE64.v[p[i]], b = BASE64.v[p[i + 1]], c = BASE64.v[p[i + 2]],
                       d = BASE64.v[p[i + 3]];
        cattivi |= a | b | c | d;
        const uint32_t x = a << 18 | b << 12 | c << 6 | d;
        o[0] = (char)(x >> 16), o[1] = (char)(x >> 8), o[2] = (char)x;
    }
    uint32_t x = 0;
    const size_t resto = n - i;
    for (size_t k = 0; k < resto; k++) {
        cattivi |= BASE64.v[p[i + k]];
        x |= (uint32_t)BASE64.v[p[i + k]] << (18 - 6 * k);
    }
    for (size_t k = 0; k + 1 < resto; k++)
        o[k] = (char)(x >> (16 - 8 * k));
    return !(cattivi & 64);
}

// A relative URI as the path of a file beside the model, or "" when it
// would leave that folder: a scheme, an absolute path, a "..".
std::string percorso_vicino(const char *u, size_t n)
{
    std::string p;
    for (size_t i = 0; i < n; i++) {
        if (u[i] == '%' && i + 2 < n && esadecimale(u[i + 1]) >= 0 && esadecimale(u[i + 2]) >= 0) {
            p += (char)(esadecimale(u[i + 1]) * 16 + esadecimale(u[i + 2]));
            i += 2;
        } else {
            p += u[i];
        }
    }
    if (p.empty() || p[0] == '/' || p.find('\\') != std::string::npos ||
        p.find('\0') != std::string::npos)
        return "";
    const size_t barra = u[0] ? std::string(u, n).find('/') : std::string::npos;
    const size_t due = std::string(u, n).find(':');
    if (due != std::string::npos && (barra == std::string::npos || due < barra))
        return "";   // a scheme
    for (size_t a = 0; a <= p.size();) {
        size_t b = p.find('/', a);
        if (b == std::string::npos)
            b = p.size();
        if (p.compare(a, b - a, "..") == 0)
            return "";
        a = b + 1;
    }
    return p;
}

// Reads cartella/nome, at most `massimo` bytes.
bool leggi_vicino(const std::string &percorso, size_t massimo, std::string &dati,
                  std::string &errore)
{
    const int fd = open(percorso.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        errore = std::strerror(errno);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errore = "not a regular file";
        return false;
    }
    const int e = leggi_descrittore(fd, massimo, dati);
    close(fd);
    if (e != 0) {
        errore = std::strerror(e);
        return false;
    }
    if (dati.size() > massimo) {
        errore = testo("larger than the %zu MiB a file may hold with its buffers",
                       MAX_SPACCHETTATI >> 20);
        return false;
    }
    return true;
}

// A buffer among the files handed over: by its whole name, or else by the
// name's last part (the page's files come without their folders).
bool tra_accanto(const FileAccanto &a, const std::string &nome, std::string &dati,
                 std::string &errore)
{
    const size_t barra = nome.rfind('/');
    const std::string ultimo = barra == std::string::npos ? nome : nome.substr(barra + 1);
    for (const std::string &cercato : {nome, ultimo})
        for (int k = 0; k < a.n; k++)
            if (cercato == a.nomi[k]) {
                if (!a.dati[k]) {
                    errore = "could not be read";
                    return false;
                }
                dati.assign(a.dati[k], a.lunghezze[k]);
                return true;
            }
    errore = "not among the files given with the model";
    return false;
}

bool buffer(Gltf &f, uint64_t i, Buffer **out)
{
    const std::string sede = testo("buffers[%llu]", (unsigned long long)i);
    const Valore *b = elemento(f, "buffers", i, "");
    if (!b)
        return false;
    Buffer &r = f.buffer[i];   // the table holds the whole array: i is below its size
    *out = &r;
    if (r.pronto)
        return true;
    uint64_t dichiarata;
    if (!campo(f, *b, "byteLength", -1, &dichiarata, sede))
        return false;
    const Valore *u = membro(*b, "uri");
    const size_t resto = MAX_SPACCHETTATI - f.spacchettati;
    if (!u) {
        if (!f.glb || i != 0)
            return sbaglio(f.errore, "%s: no uri, and no GLB binary chunk to stand for it",
                           sede.c_str());
        r.dati = f.bin;
        r.lunghezza = f.bin_lunghezza;
    } else if (!u->IsString()) {
        return sbaglio(f.errore, "%s: uri is not a string", sede.c_str());
    } else if (u->GetStringLength() >= 5 && std::memcmp(u->GetString(), "data:", 5) == 0) {
        const char *s = u->GetString();
        const size_t n = u->GetStringLength();
        const char *virgola = static_cast<const char *>(std::memchr(s, ',', n));
        if (!virgola || virgola - s < 12 || std::memcmp(virgola - 7, ";base64", 7) != 0)
            return sbaglio(f.errore, "%s: a data: URI that is not base64", sede.c_str());
        if ((size_t)(s + n - virgola) / 4 * 3 > resto)
            return sbaglio(f.errore, "%s: its data takes the buffers past %zu MiB", sede.c_str(),
                           MAX_SPACCHETTATI >> 20);
        if (!da_base64(virgola + 1, (size_t)(s + n - virgola - 1), r.proprio))
            return sbaglio(f.errore, "%s: its data: URI is not valid base64", sede.c_str());
    } else {
        const std::string nome = percorso_vicino(u->GetString(), u->GetStringLength());
        if (nome.empty())
            return sbaglio(f.errore,
                           "%s: uri \"%s\" leaves the model's folder (only data: URIs and files "
                           "beside the model are read)",
                           sede.c_str(), citato(*u).c_str());
        std::string e;
        bool ok;
        if (f.accanto)
            ok = tra_accanto(*f.accanto, nome, r.proprio, e);
        else if (!f.cartella.empty())
            ok = leggi_vicino(f.cartella + "/" + nome, resto, r.proprio, e);
        else
            ok = (e = "the model was not read from a folder", false);
        if (!ok)
            return sbaglio(f.errore, "%s: %s: %s", sede.c_str(), citato(nome).c_str(), e.c_str());
        if (r.proprio.size() > resto)
            return sbaglio(f.errore, "%s: its file takes the buffers past %zu MiB", sede.c_str(),
                           MAX_SPACCHETTATI >> 20);
    }
    if (u) {
        r.dati = (const unsigned char *)r.proprio.data();
        r.lunghezza = r.proprio.size();
        f.spacchettati += r.proprio.size();
    }
    if (dichiarata > r.lunghezza)
        return sbaglio(f.errore, "%s: byteLength %llu, but its data holds %zu bytes", sede.c_str(),
                       (unsigned long long)dichiarata, r.lunghezza);
    r.lunghezza = (size_t)dichiarata;
    r.pronto = true;
    return true;
}

// bytes [inizio, inizio + lunghezza) of buffer b, checked.
bool fetta(Gltf &f, const Valore &o, const std::string &sede, const unsigned char **p,
           size_t *n)
{
    uint64_t b, inizio, lunghezza;
    if (!campo(f, o, "buffer", -1, &b, sede) || !campo(f, o, "byteOffset", 0, &inizio, sede) ||
        !campo(f, o, "byteLength", -1, &lunghezza, sede))
        return false;
    Buffer *buf;
    if (!buffer(f, b, &buf))
        return false;
    if (inizio > buf->lunghezza || lunghezza > buf->lunghezza - inizio)
        return sbaglio(f.errore, "%s: %llu bytes at byte %llu run past buffer %llu (%zu bytes)",
                       sede.c_str(), (unsigned long long)lunghezza, (unsigned long long)inizio,
                       (unsigned long long)b, buf->lunghezza);
    *p = buf->dati + inizio;
    *n = (size_t)lunghezza;
    return true;
}

bool stringa_uguale(const Valore *v, const char *s)
{
    return v && v->IsString() && std::strcmp(v->GetString(), s) == 0;
}

// A bufferView compressed by EXT_meshopt_compression, into v.decompressa.
bool decomprimi(Gltf &f, const Valore &e, const std::string &sede, Vista &v)
{
    const std::string qui = sede + ".extensions.EXT_meshopt_compression";
    const unsigned char *p = nullptr;
    size_t n = 0;
    uint64_t passo, numero;
    if (!fetta(f, e, qui, &p, &n) || !campo(f, e, "byteStride", -1, &passo, qui) ||
        !campo(f, e, "count", -1, &numero, qui))
        return false;
    const Valore *modo = membro(e, "mode");
    const Valore *filtro = membro(e, "filter");
    const bool attributi = stringa_uguale(modo, "ATTRIBUTES");
    const bool triangoli = stringa_uguale(modo, "TRIANGLES");
    const bool indici = stringa_uguale(modo, "INDICES");
    if (!attributi && !triangoli && !indici)
        return sbaglio(f.errore, "%s: mode is not ATTRIBUTES, TRIANGLES or INDICES", qui.c_str());
    if (attributi ? (passo == 0 || passo > 256 || passo % 4 != 0) : (passo != 2 && passo != 4))
        return sbaglio(f.errore, "%s: byteStride %llu does not suit mode %s", qui.c_str(),
                       (unsigned long long)passo, citato(*modo).c_str());
    if (triangoli && numero % 3 != 0)
        return sbaglio(f.errore, "%s: count %llu is not a whole number of triangles", qui.c_str(),
                       (unsigned long long)numero);
    // The codecs need at least a quarter bit a byte, and the decoded view
    // counts against the file's budget: both before any allocation.
    const size_t resto = MAX_SPACCHETTATI - f.spacchettati;
    if (numero > resto / passo || numero * passo > 64 * (uint64_t)n + 65536)
        return sbaglio(f.errore,
                       "%s: count %llu of %llu bytes is more than its %zu bytes could decode to",
                       qui.c_str(), (unsigned long long)numero, (unsigned long long)passo, n);
    v.decompressa.assign((size_t)(numero * passo), 0);
    int r;
    if (attributi)
        r = meshopt_decodeVertexBuffer(v.decompressa.data(), numero, passo, p, n);
    else if (triangoli)
        r = meshopt_decodeIndexBuffer(v.decompressa.data(), numero, passo, p, n);
    else
        r = meshopt_decodeIndexSequence(v.decompressa.data(), numero, passo, p, n);
    if (r != 0)
        return sbaglio(f.errore, "%s: the compressed data does not decode (%d)", qui.c_str(), r);
    if (filtro && !stringa_uguale(filtro, "NONE")) {
        if (!attributi)
            return sbaglio(f.errore, "%s: a filter on indices", qui.c_str());
        if (stringa_uguale(filtro, "OCTAHEDRAL") && (passo == 4 || passo == 8))
            meshopt_decodeFilterOct(v.decompressa.data(), numero, passo);
        else if (stringa_uguale(filtro, "QUATERNION") && passo == 8)
            meshopt_decodeFilterQuat(v.decompressa.data(), numero, passo);
        else if (stringa_uguale(filtro, "EXPONENTIAL"))
            meshopt_decodeFilterExp(v.decompressa.data(), numero, passo);
        else
            return sbaglio(f.errore, "%s: filter %s with byteStride %llu", qui.c_str(),
                           citato(*filtro).c_str(), (unsigned long long)passo);
    }
    f.spacchettati += v.decompressa.size();
    v.dati = v.decompressa.data();
    v.lunghezza = v.decompressa.size();
    return true;
}

bool vista(Gltf &f, uint64_t i, const std::string &richiedente, Vista **out)
{
    const Valore *o = elemento(f, "bufferViews", i, richiedente);
    if (!o)
        return false;
    if (f.viste.size() <= i)
        f.viste.resize(i + 1);
    if (!f.viste[i])
        f.viste[i].reset(new Vista);
    Vista &v = *f.viste[i];
    *out = &v;
    if (v.pronta)
        return true;
    const std::string sede = testo("bufferViews[%llu]", (unsigned long long)i);
    uint64_t passo;
    if (!campo(f, *o, "byteStride", 0, &passo, sede))
        return false;
    if (membro(*o, "byteStride") && (passo < 4 || passo > 252 || passo % 4 != 0))
        return sbaglio(f.errore, "%s: byteStride %llu is not a multiple of 4 from 4 to 252",
                       sede.c_str(), (unsigned long long)passo);
    v.passo = (size_t)passo;
    const Valore *est = membro(*o, "extensions");
    const Valore *mo = est ? membro(*est, "EXT_meshopt_compression") : nullptr;
    if (mo) {
        if (!mo->IsObject())
            return sbaglio(f.errore, "%s.extensions.EXT_meshopt_compression: not an object",
                           sede.c_str());
        if (!decomprimi(f, *mo, sede, v))
            return false;
        uint64_t lunghezza;
        if (!campo(f, *o, "byteLength", -1, &lunghezza, sede))
            return false;
        if (lunghezza < v.lunghezza)
            v.lunghezza = (size_t)lunghezza;
    } else if (!fetta(f, *o, sede, &v.dati, &v.lunghezza)) {
        return false;
    }
    v.pronta = true;
    return true;
}

// componentType, as the glTF document names its values.
enum TipoComponente : uint64_t {
    BYTE = 5120,
    UNSIGNED_BYTE = 5121,
    SHORT = 5122,
    UNSIGNED_SHORT = 5123,
    UNSIGNED_INT = 5125,
    FLOAT = 5126,
};

int dimensione_componente(uint64_t tipo)
{
    switch (tipo) {
    case BYTE: case UNSIGNED_BYTE: return 1;
    case SHORT: case UNSIGNED_SHORT: return 2;
    case UNSIGNED_INT: case FLOAT: return 4;
    default: return 0;
    }
}

const char *nome_componente(uint64_t tipo)
{
    switch (tipo) {
    case BYTE: return "BYTE";
    case UNSIGNED_BYTE: return "UNSIGNED_BYTE";
    case SHORT: return "SHORT";
    case UNSIGNED_SHORT: return "UNSIGNED_SHORT";
    case UNSIGNED_INT: return "UNSIGNED_INT";
    case FLOAT: return "FLOAT";
    default: return "?";
    }
}

double componente(const unsigned char *p, uint64_t tipo, bool normalizzato)
{
    switch (tipo) {
    case BYTE: {
        const double x = (double)(int8_t)p[0];
        return normalizzato ? std::fmax(x / 127.0, -1.0) : x;
    }
    case UNSIGNED_BYTE: return normalizzato ? p[0] / 255.0 : p[0];
    case SHORT: {
        const double x = (double)(int16_t)u16_le(p);
        return normalizzato ? std::fmax(x / 32767.0, -1.0) : x;
    }
    case UNSIGNED_SHORT: return normalizzato ? u16_le(p) / 65535.0 : u16_le(p);
    case UNSIGNED_INT: return u32_le(p);
    default: return f32_le(p);
    }
}

// What a use accepts: its types (a bit per componentType, BYTE + k), its
// element widths.
struct Uso {
    const char *nome;
    unsigned tipi;        // bit k: componentType BYTE + k
    int min_comp, max_comp;
};
constexpr unsigned bit(TipoComponente t) { return 1u << (t - BYTE); }
constexpr unsigned T_B = bit(BYTE), T_UB = bit(UNSIGNED_BYTE), T_S = bit(SHORT),
                   T_US = bit(UNSIGNED_SHORT), T_UI = bit(UNSIGNED_INT), T_F = bit(FLOAT);
const Uso POSIZIONE = {"POSITION", T_F | T_B | T_UB | T_S | T_US, 3, 3};
const Uso NORMALE = {"NORMAL", T_F | T_B | T_S, 3, 3};
const Uso COLORE = {"COLOR_0", T_F | T_UB | T_US, 3, 4};
const Uso INDICI = {"indices", T_UB | T_US | T_UI, 1, 1};

bool accessore(Gltf &f, uint64_t i, const Uso &uso, const std::string &richiedente, Valori &out)
{
    const Valore *a = elemento(f, "accessors", i, richiedente);
    if (!a)
        return false;
    const std::string sede = testo("accessors[%llu]", (unsigned long long)i);
    uint64_t tipo, numero, inizio, bv;
    if (!campo(f, *a, "componentType", -1, &tipo, sede) ||
        !campo(f, *a, "count", -1, &numero, sede) ||
        !campo(f, *a, "byteOffset", 0, &inizio, sede))
        return false;
    if (membro(*a, "sparse"))
        return sbaglio(f.errore, "%s: a sparse accessor, which this reader does not read",
                       sede.c_str());
    if (!membro(*a, "bufferView"))
        return sbaglio(f.errore, "%s: no bufferView (accessors of zeros are not read)",
                       sede.c_str());
    if (!campo(f, *a, "bufferView", -1, &bv, sede))
        return false;
    const Valore *t = membro(*a, "type");
    int nc = 0;
    static const char *const tipi[] = {"SCALAR", "VEC2", "VEC3", "VEC4"};
    for (int k = 0; k < 4; k++)
        if (stringa_uguale(t, tipi[k]))
            nc = k + 1;
    const int dc = dimensione_componente(tipo);
    if (dc == 0)
        return sbaglio(f.errore, "%s: componentType %llu is not a glTF type", sede.c_str(),
                       (unsigned long long)tipo);
    if (nc < uso.min_comp || nc > uso.max_comp || !(uso.tipi >> (tipo - BYTE) & 1))
        return sbaglio(f.errore, "%s: %s of %s cannot be %s", sede.c_str(),
                       t ? citato(*t).c_str() : "no type", nome_componente(tipo), uso.nome);
    const bool normalizzato = membro(*a, "normalized") && (*membro(*a, "normalized")).IsTrue();
    if (numero == 0)
        return sbaglio(f.errore, "%s: count 0", sede.c_str());
    Vista *v;
    if (!vista(f, bv, sede + ": ", &v))
        return false;
    const size_t elemento = (size_t)dc * nc;
    if (v->passo && v->passo < elemento)
        return sbaglio(
            f.errore,
            "%s: bufferView %llu's byteStride %zu is smaller than its element (%zu bytes)",
            sede.c_str(), (unsigned long long)bv, v->passo, elemento);
    const size_t passo = v->passo ? v->passo : elemento;
    if (inizio > v->lunghezza || elemento > v->lunghezza - inizio ||
        numero - 1 > (v->lunghezza - inizio - elemento) / passo)
        return sbaglio(f.errore, "%s: count %llu runs past bufferView %llu (%zu bytes)",
                       sede.c_str(), (unsigned long long)numero, (unsigned long long)bv,
                       v->lunghezza);
    // Now within the view: numero elements are there to read.
    out.componenti = nc;
    out.numero = (size_t)numero;
    out.v.resize(out.numero * nc);
    const unsigned char *p = v->dati + inizio;
    double *d = out.v.data();
    for (size_t e = 0; e < out.numero; e++, p += passo)
        for (int k = 0; k < nc; k++)
            *d++ = componente(p + k * dc, tipo, normalizzato);
    return true;
}

// A primitive's material colour, when it gives one.
bool colore_materiale(Gltf &f, const Valore &pr, const std::string &sede, float rgb[3], bool *ha)
{
    *ha = false;
    if (!membro(pr, "material"))
        return true;
    uint64_t m;
    if (!campo(f, pr, "material", -1, &m, sede))
        return false;
    const Valore *mat = elemento(f, "materials", m, sede + ": ");
    if (!mat)
        return false;
    const Valore *pbr = membro(*mat, "pbrMetallicRoughness");
    if (!pbr || !membro(*pbr, "baseColorFactor"))
        return true;
    double c[4];
    if (!numeri(f, *pbr, "baseColorFactor", 4, c,
                testo("materials[%llu].pbrMetallicRoughness", (unsigned long long)m)))
        return false;
    for (int k = 0; k < 3; k++)
        rgb[k] = (float)std::fmin(std::fmax(c[k], 0.0), 1.0);
    *ha = true;
    return true;
}

// glTF's primitive modes, as its document names them.
enum Modo : uint64_t { TRIANGLES = 4, TRIANGLE_STRIP = 5, TRIANGLE_FAN = 6 };

// A primitive's vertex data, each attribute checked against POSITION.
struct Attributi {
    Valori pos, nor, col;
    bool con_normali = false, con_colori = false;
};

// An optional attribute (NORMAL, COLOR_0), accessor *i, into v; false
// only on an error.
bool attributo(Gltf &f, const Valore &att, const Uso &uso, const std::string &sede,
               bool *presente, uint64_t *i, Valori &v)
{
    *presente = membro(att, uso.nome) != nullptr;
    return !*presente || (campo(f, att, uso.nome, -1, i, sede + ".attributes") &&
                          accessore(f, *i, uso, sede + ".attributes." + uso.nome + ": ", v));
}

bool attributi(Gltf &f, const Valore &pr, const std::string &sede, Attributi &a)
{
    const Valore *att = membro(pr, "attributes");
    uint64_t ip, in = 0, ic = 0;
    if (!att || !att->IsObject())
        return sbaglio(f.errore, "%s: no attributes", sede.c_str());
    if (!campo(f, *att, "POSITION", -1, &ip, sede + ".attributes") ||
        !accessore(f, ip, POSIZIONE, sede + ".attributes.POSITION: ", a.pos))
        return false;
    for (double x : a.pos.v)
        if (!std::isfinite(x) || std::fabs(x) > COORDINATA_MASSIMA)
            return sbaglio(f.errore, "accessors[%llu]: a position is not a finite number within "
                                     "%g", (unsigned long long)ip, COORDINATA_MASSIMA);
    if (!attributo(f, *att, NORMALE, sede, &a.con_normali, &in, a.nor) ||
        !attributo(f, *att, COLORE, sede, &a.con_colori, &ic, a.col))
        return false;
    const size_t nv = a.pos.numero;
    const bool normali_storte = a.con_normali && a.nor.numero != nv;
    if (normali_storte || (a.con_colori && a.col.numero != nv))
        return sbaglio(f.errore, "%s: %s has %zu elements, POSITION %zu", sede.c_str(),
                       normali_storte ? "NORMAL" : "COLOR_0",
                       normali_storte ? a.nor.numero : a.col.numero, nv);
    for (double x : a.nor.v)
        if (!std::isfinite(x))
            return sbaglio(f.errore, "accessors[%llu]: a normal is not a finite number",
                           (unsigned long long)in);
    for (double x : a.col.v)
        if (!std::isfinite(x))
            return sbaglio(f.errore, "accessors[%llu]: a colour is not a finite number",
                           (unsigned long long)ic);
    return true;
}

// The primitive's corners: its indices, each below nv, or none (empty).
bool indici(Gltf &f, const Valore &pr, const std::string &sede, size_t nv, bool *con, Valori &ind)
{
    uint64_t ii;
    *con = membro(pr, "indices") != nullptr;
    if (!*con)
        return true;
    if (!campo(f, pr, "indices", -1, &ii, sede) ||
        !accessore(f, ii, INDICI, sede + ".indices: ", ind))
        return false;
    for (double x : ind.v)
        if (x >= (double)nv)
            return sbaglio(f.errore, "accessors[%llu]: index %.0f is not below POSITION's count "
                                     "%zu", (unsigned long long)ii, x, nv);
    return true;
}

// Triangle k's corners of a list, strip or fan over nc corners.
void angoli(uint64_t modo, size_t k, size_t v[3])
{
    if (modo == TRIANGLES) {
        v[0] = 3 * k, v[1] = 3 * k + 1, v[2] = 3 * k + 2;
    } else if (modo == TRIANGLE_STRIP) {
        // Every other triangle of a strip runs the other way round.
        v[0] = k, v[1] = k + 1 + k % 2, v[2] = k + 2 - k % 2;
    } else {
        v[0] = k + 1, v[1] = k + 2, v[2] = 0;
    }
}

// The mean of a triangle's vertex colours, tinted by the material's.
void colore_vertici(const Valori &col, const size_t v[3], const float *materiale, float rgb[3])
{
    for (int j = 0; j < 3; j++) {
        rgb[j] = 0.0f;
        for (int c = 0; c < 3; c++)
            rgb[j] += (float)col.v[col.componenti * v[c] + j] / 3.0f;
        rgb[j] = std::fmin(std::fmax(rgb[j], 0.0f), 1.0f) * (materiale ? materiale[j] : 1.0f);
    }
}

bool primitiva(Gltf &f, const Valore &pr, const std::string &sede, const Affine &t)
{
    Geometria &g = *f.g;
    uint64_t modo;
    if (!campo(f, pr, "mode", TRIANGLES, &modo, sede))
        return false;
    if (modo < TRIANGLES)
        return true;   // points and lines: nothing to show as faces
    if (modo > TRIANGLE_FAN)
        return sbaglio(f.errore, "%s: mode %llu is not a glTF mode", sede.c_str(),
                       (unsigned long long)modo);
    Attributi a;
    Valori ind;
    bool con_indici;
    if (!attributi(f, pr, sede, a) || !indici(f, pr, sede, a.pos.numero, &con_indici, ind))
        return false;
    const size_t nv = a.pos.numero, nc = con_indici ? ind.numero : nv;
    const size_t nt = modo == TRIANGLES ? nc / 3 : nc >= 3 ? nc - 2 : 0;
    size_t massimo;
    if (!entro_istanze(g, nv, nt, f.dimensione + f.spacchettati, &massimo))
        return sbaglio(f.errore, "%s: the scene repeats its meshes past %zu vertices and "
                                 "triangles", sede.c_str(), massimo);
    float materiale[3];
    bool con_materiale;
    if (!colore_materiale(f, pr, sede, materiale, &con_materiale))
        return false;
    // Vertices into the world, then the triangles over them.
    const size_t base = aggiungi_vertici(g, t, a.pos.v.data(), nv);
    for (size_t i = 0; i < nv; i++) {
        double w[3] = {0.0, 0.0, 0.0};
        if (a.con_normali)
            applica_normale(t, &a.nor.v[3 * i], w);
        g.normali.insert(g.normali.end(), w, w + 3);
    }
    if (!a.con_normali)
        g.liscia = false;
    const bool specchio = determinante(t) < 0.0;
    for (size_t k = 0; k < nt; k++) {
        size_t v[3];
        angoli(modo, k, v);
        for (size_t &c : v)
            c = con_indici ? (size_t)ind.v[c] : c;
        float rgb[3];
        if (a.con_colori)
            colore_vertici(a.col, v, con_materiale ? materiale : nullptr, rgb);
        aggiungi_triangolo(g, base, v, specchio,
                           a.con_colori ? rgb : con_materiale ? materiale : nullptr);
    }
    return true;
}

bool maglia(Gltf &f, uint64_t m, const std::string &richiedente, const Affine &t)
{
    const Valore *o = elemento(f, "meshes", m, richiedente);
    if (!o)
        return false;
    const Valore *pr = membro(*o, "primitives");
    if (!pr || !pr->IsArray())
        return sbaglio(f.errore, "meshes[%llu]: no primitives", (unsigned long long)m);
    for (rapidjson::SizeType k = 0; k < pr->Size(); k++) {
        const std::string sede = testo("meshes[%llu].primitives[%u]", (unsigned long long)m, k);
        if (!(*pr)[k].IsObject())
            return sbaglio(f.errore, "%s: not an object", sede.c_str());
        if (!primitiva(f, (*pr)[k], sede, t))
            return false;
    }
    return true;
}

// A node's own transform: its matrix (column-major), or T * R * S.
bool trasformazione_nodo(Gltf &f, const Valore &n, const std::string &sede, Affine *t)
{
    *t = identita();
    if (membro(n, "matrix")) {
        double m[16];
        if (!numeri(f, n, "matrix", 16, m, sede))
            return false;
        for (int r = 0; r < 3; r++)
            for (int c = 0; c < 4; c++)
                t->a[r][c] = m[4 * c + r];
        return true;
    }
    double tr[3] = {0, 0, 0}, q[4] = {0, 0, 0, 1}, s[3] = {1, 1, 1};
    if (!numeri(f, n, "translation", 3, tr, sede) || !numeri(f, n, "rotation", 4, q, sede) ||
        !numeri(f, n, "scale", 3, s, sede))
        return false;
    const double l = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (!(l > 0.0))
        return sbaglio(f.errore, "%s: rotation is not a unit quaternion", sede.c_str());
    const double x = q[0] / l, y = q[1] / l, z = q[2] / l, w = q[3] / l;
    const double r[3][3] = {
        {1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
        {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
        {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)},
    };
    for (int i = 0; i < 3; i++) {
        for (int j = 0; j < 3; j++)
            t->a[i][j] = r[i][j] * s[j];
        t->a[i][3] = tr[i];
    }
    return true;
}

// The nodes the scene starts from: those of its scene, or with no scenes
// every node that is nobody's child.
bool radici(Gltf &f, std::vector<uint64_t> &radici)
{
    const Valore &radice = *f.radice;
    const Valore *scene = membro(radice, "scenes");
    if (!scene || !scene->IsArray() || scene->Size() == 0) {
        const Valore *nodi = membro(radice, "nodes");
        const size_t nn = nodi && nodi->IsArray() ? nodi->Size() : 0;
        std::vector<unsigned char> figlio(nn, 0);
        for (size_t i = 0; i < nn; i++) {
            const Valore *c = membro((*nodi)[(rapidjson::SizeType)i], "children");
            for (rapidjson::SizeType k = 0; c && c->IsArray() && k < c->Size(); k++) {
                uint64_t j;
                if (intero(&(*c)[k], &j) && j < nn)
                    figlio[j] = 1;
            }
        }
        for (size_t i = 0; i < nn; i++)
            if (!figlio[i])
                radici.push_back(i);
        return true;
    }
    uint64_t s;
    if (!campo(f, radice, "scene", 0, &s, "scene"))
        return false;
    const Valore *sc = elemento(f, "scenes", s, "scene: ");
    if (!sc)
        return false;
    const Valore *r = membro(*sc, "nodes");
    if (r && !r->IsArray())
        return sbaglio(f.errore, "scenes[%llu]: nodes is not an array", (unsigned long long)s);
    for (rapidjson::SizeType k = 0; r && k < r->Size(); k++) {
        uint64_t i;
        if (!intero(&(*r)[k], &i))
            return sbaglio(f.errore, "scenes[%llu]: nodes[%u] is not a whole number",
                           (unsigned long long)s, k);
        radici.push_back(i);
    }
    return true;
}

// The scene's node trees, depth first without recursion: a file can nest
// nodes as deep as it has bytes.
bool scena(Gltf &f)
{
    const Valore *nodi = membro(*f.radice, "nodes");
    std::vector<unsigned char> visto(nodi && nodi->IsArray() ? nodi->Size() : 0, 0);
    std::vector<uint64_t> da;
    if (!radici(f, da))
        return false;
    struct Passo {
        uint64_t nodo;
        Affine t;
        std::string richiedente;
    };
    std::vector<Passo> pila;
    for (size_t k = da.size(); k-- > 0;)
        pila.push_back(Passo{da[k], identita(), "scene: "});
    while (!pila.empty()) {
        const Passo p = pila.back();
        pila.pop_back();
        const Valore *n = elemento(f, "nodes", p.nodo, p.richiedente);
        if (!n)
            return false;
        const std::string sede = testo("nodes[%llu]", (unsigned long long)p.nodo);
        if (visto[p.nodo])
            return sbaglio(f.errore, "%s: reached twice: the node hierarchy has a cycle or a node "
                                     "with two parents", sede.c_str());
        visto[p.nodo] = 1;
        Affine t;
        if (!trasformazione_nodo(f, *n, sede, &t))
            return false;
        t = per(p.t, t);
        uint64_t m;
        if (membro(*n, "mesh") &&
            (!campo(f, *n, "mesh", -1, &m, sede) || !maglia(f, m, sede + ": ", t)))
            return false;
        const Valore *c = membro(*n, "children");
        if (c && !c->IsArray())
            return sbaglio(f.errore, "%s: children is not an array", sede.c_str());
        for (rapidjson::SizeType k = c ? c->Size() : 0; k-- > 0;) {
            uint64_t j;
            if (!intero(&(*c)[k], &j))
                return sbaglio(f.errore, "%s: children[%u] is not a whole number", sede.c_str(), k);
            pila.push_back(Passo{j, t, sede + ": "});
        }
    }
    return true;
}

// The GLB header and chunks, as the container's own layout names them.
constexpr uint32_t MAGIA_GLB = 0x46546c67, PEZZO_JSON = 0x4e4f534a, PEZZO_BIN = 0x004e4942;
constexpr size_t TESTA_GLB = 12, TESTA_PEZZO = 8;

// The GLB container: the JSON chunk into *json, the first BIN chunk into f.
bool pezzi_glb(Gltf &f, const char *dati, size_t n, const char **json, size_t *lunghezza)
{
    f.glb = true;
    if (n < TESTA_GLB + TESTA_PEZZO)
        return sbaglio(f.errore, "byte 0: a GLB shorter than its header");
    if (u32_le(dati + 4) != 2)
        return sbaglio(f.errore, "byte 4: GLB version %u (only glTF 2.0 is read)",
                       u32_le(dati + 4));
    const uint32_t totale = u32_le(dati + 8);
    if (totale > n)
        return sbaglio(f.errore, "byte 8: the GLB says it is %u bytes long, the file is %zu: "
                                 "truncated", totale, n);
    size_t p = TESTA_GLB;
    bool primo = true;
    while (p + TESTA_PEZZO <= totale) {
        const uint32_t lung = u32_le(dati + p), tipo = u32_le(dati + p + 4);
        if (lung > totale - p - TESTA_PEZZO)
            return sbaglio(f.errore, "byte %zu: a chunk of %u bytes runs past the GLB's %u", p,
                           lung, totale);
        if (primo && tipo != PEZZO_JSON)
            return sbaglio(f.errore, "byte 16: the GLB's first chunk is not JSON");
        if (primo) {
            *json = dati + p + TESTA_PEZZO;
            *lunghezza = lung;
        } else if (tipo == PEZZO_BIN && !f.bin) {
            f.bin = (const unsigned char *)dati + p + TESTA_PEZZO;
            f.bin_lunghezza = lung;
        }
        primo = false;
        p += TESTA_PEZZO + (size_t)lung;
    }
    if (primo)
        return sbaglio(f.errore, "byte 12: a GLB without its JSON chunk");
    return true;
}

// A glTF 2.0 document whose required extensions are all read here.
bool documento(Gltf &f, const Valore &d)
{
    if (!d.IsObject())
        return sbaglio(f.errore, "byte 0: the JSON is not an object");
    const Valore *asset = membro(d, "asset");
    const Valore *versione = asset ? membro(*asset, "version") : nullptr;
    if (!versione || !versione->IsString())
        return sbaglio(f.errore, "asset: no version: not a glTF file");
    if (versione->GetString()[0] != '2')
        return sbaglio(f.errore, "asset.version: %s (only glTF 2.0 is read)",
                       citato(*versione).c_str());
    if (const Valore *r = membro(d, "extensionsRequired")) {
        for (rapidjson::SizeType k = 0; r->IsArray() && k < r->Size(); k++) {
            const Valore &e = (*r)[k];
            if (!stringa_uguale(&e, "KHR_mesh_quantization") &&
                !stringa_uguale(&e, "EXT_meshopt_compression"))
                return sbaglio(f.errore, "extensionsRequired[%u]: %s, which this reader does not "
                                         "read", k, citato(e).c_str());
        }
    }
    f.radice = &d;
    // Sized once: a short buffer's bytes live inside its string, and views
    // keep pointing at them.
    const Valore *buffers = membro(d, "buffers");
    f.buffer.resize(buffers && buffers->IsArray() ? buffers->Size() : 0);
    return true;
}

}  // namespace

bool sembra_glb(const char *dati, size_t n) { return n >= 4 && u32_le(dati) == MAGIA_GLB; }

bool sembra_gltf(const char *nome, const char *dati, size_t n)
{
    const size_t l = std::strlen(nome);
    if (l > 5 && strcasecmp(nome + l - 5, ".gltf") == 0)
        return true;
    size_t i = 0;
    while (i < n && (dati[i] == ' ' || dati[i] == '\t' || dati[i] == '\n' || dati[i] == '\r'))
        i++;
    return i < n && dati[i] == '{' && memmem(dati + i, n - i, "\"asset\"", 7) != nullptr;
}

bool leggi_gltf_geometria(const char *dati, size_t n, const std::string &cartella,
                          const FileAccanto *accanto, Geometria &g, std::string &errore)
{
    Gltf f;
    f.dimensione = n;
    f.cartella = cartella;
    f.accanto = accanto;
    f.g = &g;
    g = Geometria{};
    g.liscia = true;
    const char *json = dati;
    size_t lunghezza_json = n;
    // Not kParseFullPrecisionFlag: RapidJSON 1.1's exact path misbehaves on
    // a zero with a large exponent ("0e76", found by the fuzzer); the
    // default one is within a few ulps, far below the floats of glTF data.
    rapidjson::Document d;
    bool ok = !sembra_glb(dati, n) || pezzi_glb(f, dati, n, &json, &lunghezza_json);
    if (ok) {
        d.Parse<rapidjson::kParseIterativeFlag>(json, lunghezza_json);
        if (d.HasParseError())
            ok = sbaglio(f.errore, "byte %zu: JSON: %s",
                         d.GetErrorOffset() + (size_t)(json - dati),
                         rapidjson::GetParseError_En(d.GetParseError()));
    }
    ok = ok && documento(f, d) && scena(f);
    if (ok && g.triangoli.empty())
        ok = sbaglio(f.errore, "no triangles in the scene: nothing to show");
    if (!ok) {
        errore = f.errore;
        return false;
    }
    if (!g.liscia)
        g.normali.clear();
    return true;
}
