// tremf.cpp: 3MF packages: the core model (objects with a mesh or with
// components, build items, base materials and colour groups) and the
// production extension's p:path to other model parts of the package.
//
// The package is a ZIP (zip.cpp); its parts are XML read by expat. A DTD is
// refused outright: a model never needs one, and entities are how an XML
// file of a few bytes asks for gigabytes. Each part is parsed once into its
// objects; the root part's build items are then walked down the components,
// every mesh instance placed by the product of the transforms on its way.
#include "packaged/pacchetti.h"
#include "packaged/zip.h"

#include <expat.h>
#include <fast_float/fast_float.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

namespace {

const char NS_CORE[] = "http://schemas.microsoft.com/3dmanufacturing/core/2015/02";
const char NS_MATERIALI[] = "http://schemas.microsoft.com/3dmanufacturing/material/2015/02";
const char NS_PRODUZIONE[] = "http://schemas.microsoft.com/3dmanufacturing/production/2015/06";
const char TIPO_MODELLO[] = "http://schemas.microsoft.com/3dmanufacturing/2013/01/3dmodel";
const char TIPO_CONTENUTO[] = "application/vnd.ms-package.3dmanufacturing-3dmodel+xml";
// Separates a namespace from the local name in what expat hands over.
constexpr char SEPARATORE = '|';
// Deeper nesting of components than this is taken for a runaway file.
constexpr int MAX_ANNIDAMENTO = 64;

struct Componente {
    std::string parte;   // "" for the part it is in
    long long id;
    Affine t;
    int riga;
};

struct Oggetto {
    int riga = 0;
    bool modello = true;             // type "model" (the others are not shown)
    std::vector<double> pos;
    std::vector<int> tri;
    std::vector<float> colori;       // per triangle
    std::vector<unsigned char> colorata;
    std::vector<Componente> componenti;
    long long pid = -1, pindex = -1; // the object's default property
};

struct Elemento {
    long long id;
    Affine t;
    int riga;
};

struct Parte {
    std::string nome;
    std::string citato;                                  // the name as messages quote it
    std::map<long long, Oggetto> oggetti;
    std::map<long long, std::vector<float>> proprieta;   // r g b per entry, by group id
    std::vector<Elemento> build;
};

// The local name of a qualified name when its namespace is ns (or has none).
const char *nome_locale(const char *nome, const char *ns)
{
    const char *s = std::strrchr(nome, SEPARATORE);
    if (!s)
        return nome;
    const size_t n = std::strlen(ns);
    return (size_t)(s - nome) == n && std::memcmp(nome, ns, n) == 0 ? s + 1 : "";
}

const char *attributo(const char **a, const char *nome)
{
    for (; *a; a += 2)
        if (std::strcmp(a[0], nome) == 0)
            return a[1];
    return nullptr;
}

// Parsing of one part: the handlers below write into it.
struct Analisi {
    XML_Parser x;
    Parte *parte;
    std::string *errore;   // the reading's
    // The rels part instead: the model part it names.
    bool relazioni = false;
    std::string radice;
    // Where the parser is.
    Oggetto *oggetto = nullptr;
    std::vector<float> *gruppo = nullptr;
    bool in_build = false, in_vertici = false, in_triangoli = false, in_componenti = false;
};

int riga(const Analisi &a) { return (int)XML_GetCurrentLineNumber(a.x); }

// The message at the parser's line, and no more parsing.
__attribute__((format(printf, 2, 3))) bool ferma(Analisi &a, const char *formato, ...)
{
    char b[400];
    va_list v;
    va_start(v, formato);
    std::vsnprintf(b, sizeof b, formato, v);
    va_end(v);
    XML_StopParser(a.x, XML_FALSE);
    return sbaglio(*a.errore, "%s:%d: %s", a.parte->citato.c_str(), riga(a), b);
}

bool spazio_xml(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool numero(Analisi &a, const char *s, const char *nome, double *v)
{
    if (!s)
        return ferma(a, "no %s", nome);
    const char *fine = s + std::strlen(s);
    const char *p = s;
    while (spazio_xml(*p))
        p++;
    const fast_float::from_chars_result r = fast_float::from_chars(p, fine, *v);
    const char *q = r.ptr;
    while (spazio_xml(*q))
        q++;
    if (r.ec != std::errc() || r.ptr == p || q != fine || !std::isfinite(*v))
        return ferma(a, "%s \"%s\" is not a finite number", nome, citato(s).c_str());
    return true;
}

bool indice(Analisi &a, const char *s, const char *nome, long long *v)
{
    if (!s)
        return ferma(a, "no %s", nome);
    const char *p = cifre(s, v);
    if (p == s || *p != '\0')
        return ferma(a, "%s \"%s\" is not a whole number", nome, citato(s).c_str());
    return true;
}

// 12 numbers, the rows of a 4x3 matrix that a row vector (x, y, z, 1) is
// multiplied by: column i of ours is row i of the file's.
bool trasformazione(Analisi &a, const char *s, Affine *t)
{
    *t = identita();
    if (!s)
        return true;
    double m[12];
    const char *p = s, *fine = s + std::strlen(s);
    for (int i = 0; i < 12; i++) {
        while (spazio_xml(*p))
            p++;
        const fast_float::from_chars_result r = fast_float::from_chars(p, fine, m[i]);
        if (r.ec != std::errc() || r.ptr == p || !std::isfinite(m[i]) ||
            (*r.ptr != '\0' && !spazio_xml(*r.ptr)))
            return ferma(a, "transform \"%s\" is not 12 finite numbers", citato(s).c_str());
        p = r.ptr;
    }
    while (spazio_xml(*p))
        p++;
    if (*p)
        return ferma(a, "transform \"%s\" is not 12 finite numbers", citato(s).c_str());
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 3; c++)
            t->a[c][r] = m[3 * r + c];
    return true;
}

// "#RRGGBB" or "#RRGGBBAA"; the alpha is not shown.
bool colore(Analisi &a, const char *s, const char *nome, std::vector<float> &gruppo)
{
    const size_t n = s ? std::strlen(s) : 0;
    bool ok = s && s[0] == '#' && (n == 7 || n == 9);
    for (size_t i = 1; ok && i < n; i++)
        ok = esadecimale(s[i]) >= 0;
    if (!s)
        return ferma(a, "no %s", nome);
    if (!ok)
        return ferma(a, "%s \"%s\" is not a colour #RRGGBB", nome, citato(s).c_str());
    for (int k = 0; k < 3; k++)
        gruppo.push_back((float)(esadecimale(s[1 + 2 * k]) * 16 + esadecimale(s[2 + 2 * k])) /
                         255.0f);
    return true;
}

void XMLCALL inizio_relazioni(void *dati, const char *nome, const char **att)
{
    Analisi &a = *static_cast<Analisi *>(dati);
    if (std::strcmp(
            nome_locale(nome, "http://schemas.openxmlformats.org/package/2006/relationships"),
            "Relationship") != 0)
        return;
    const char *tipo = attributo(att, "Type"), *meta = attributo(att, "Target");
    if (tipo && meta && std::strcmp(tipo, TIPO_MODELLO) == 0 && a.radice.empty())
        a.radice = meta;
}

// The elements of a model part, each with its handler.

// <basematerials id> and <m:colorgroup id>: a property group, filled by
// the <base> or <m:color> inside.
void gruppo(Analisi &a, const char **att)
{
    long long id;
    if (!indice(a, attributo(att, "id"), "id", &id))
        return;
    a.gruppo = &a.parte->proprieta[id];
    a.gruppo->clear();
}

void vertice(Analisi &a, const char **att)
{
    if (!a.oggetto || !a.in_vertici)
        return;
    double v[3];
    if (numero(a, attributo(att, "x"), "x", &v[0]) && numero(a, attributo(att, "y"), "y", &v[1]) &&
        numero(a, attributo(att, "z"), "z", &v[2]))
        a.oggetto->pos.insert(a.oggetto->pos.end(), v, v + 3);
}

// A triangle's colour: its pid and p1, else its object's default property.
bool colore_triangolo(Analisi &a, const char **att, float c[3], unsigned char *colorata)
{
    const Oggetto &o = *a.oggetto;
    long long pid = o.pid, p1 = o.pindex;
    const char *s = attributo(att, "pid");
    if (s && !indice(a, s, "pid", &pid))
        return false;
    s = attributo(att, "p1");
    if (s && !indice(a, s, "p1", &p1))
        return false;
    *colorata = 0;
    if (pid < 0)
        return true;
    const auto g = a.parte->proprieta.find(pid);
    if (g == a.parte->proprieta.end())
        return ferma(a, "property group %lld is not among the resources before it", pid);
    const long long voci = (long long)(g->second.size() / 3);
    if (p1 < 0)
        p1 = 0;
    if (p1 >= voci)
        return ferma(a, "property index %lld is not below the %lld of group %lld", p1, voci, pid);
    for (int k = 0; k < 3; k++)
        c[k] = g->second[3 * p1 + k];
    *colorata = 1;
    return true;
}

void triangolo(Analisi &a, const char **att)
{
    if (!a.oggetto || !a.in_triangoli)
        return;
    Oggetto &o = *a.oggetto;
    long long v[3];
    const long long nv = (long long)(o.pos.size() / 3);
    static const char *const nomi[3] = {"v1", "v2", "v3"};
    for (int k = 0; k < 3; k++) {
        if (!indice(a, attributo(att, nomi[k]), nomi[k], &v[k]))
            return;
        if (v[k] >= nv) {
            ferma(a, "%s=%lld is not below the object's %lld vertices", nomi[k], v[k], nv);
            return;
        }
    }
    for (int k = 0; k < 3; k++)
        o.tri.push_back((int)v[k]);
    float c[3] = {0.0f, 0.0f, 0.0f};
    unsigned char colorata;
    if (!colore_triangolo(a, att, c, &colorata))
        return;
    o.colori.insert(o.colori.end(), c, c + 3);
    o.colorata.push_back(colorata);
}

void oggetto(Analisi &a, const char **att)
{
    long long id;
    if (!indice(a, attributo(att, "id"), "id", &id))
        return;
    if (a.parte->oggetti.count(id)) {
        ferma(a, "a second object %lld", id);
        return;
    }
    Oggetto &o = a.parte->oggetti[id];
    o.riga = riga(a);
    const char *tipo = attributo(att, "type");
    o.modello = !tipo || std::strcmp(tipo, "model") == 0;
    const char *s = attributo(att, "pid");
    if (s && !indice(a, s, "pid", &o.pid))
        return;
    s = attributo(att, "pindex");
    if (s && !indice(a, s, "pindex", &o.pindex))
        return;
    a.oggetto = &o;
}

void componente(Analisi &a, const char **att)
{
    if (!a.oggetto || !a.in_componenti)
        return;
    Componente c;
    c.riga = riga(a);
    if (!indice(a, attributo(att, "objectid"), "objectid", &c.id) ||
        !trasformazione(a, attributo(att, "transform"), &c.t))
        return;
    static const std::string percorso = std::string(NS_PRODUZIONE) + SEPARATORE + "path";
    if (const char *s = attributo(att, percorso.c_str()))
        c.parte = s;
    a.oggetto->componenti.push_back(c);
}

void elemento_build(Analisi &a, const char **att)
{
    if (!a.in_build)
        return;
    Elemento e;
    e.riga = riga(a);
    if (indice(a, attributo(att, "objectid"), "objectid", &e.id) &&
        trasformazione(a, attributo(att, "transform"), &e.t))
        a.parte->build.push_back(e);
}

// The elements whose children count only within them: where the parser is.
bool *contenitore(Analisi &a, const char *n)
{
    static const struct {
        const char *nome;
        bool Analisi::*dentro;
    } contenitori[] = {
        {"vertices", &Analisi::in_vertici},     {"triangles", &Analisi::in_triangoli},
        {"components", &Analisi::in_componenti}, {"build", &Analisi::in_build},
    };
    for (const auto &c : contenitori)
        if (std::strcmp(n, c.nome) == 0)
            return &(a.*c.dentro);
    return nullptr;
}

void XMLCALL inizio(void *dati, const char *nome, const char **att)
{
    Analisi &a = *static_cast<Analisi *>(dati);
    const char *n = nome_locale(nome, NS_CORE);
    if (!*n) {
        const char *m = nome_locale(nome, NS_MATERIALI);
        if (std::strcmp(m, "colorgroup") == 0)
            gruppo(a, att);
        else if (a.gruppo && std::strcmp(m, "color") == 0)
            colore(a, attributo(att, "color"), "color", *a.gruppo);
        return;
    }
    static const struct {
        const char *nome;
        void (*leggi)(Analisi &, const char **);
    } elementi[] = {
        {"vertex", vertice},     {"triangle", triangolo}, {"object", oggetto},
        {"component", componente}, {"item", elemento_build}, {"basematerials", gruppo},
    };
    for (const auto &e : elementi)
        if (std::strcmp(n, e.nome) == 0)
            return e.leggi(a, att);
    if (bool *dentro = contenitore(a, n))
        *dentro = true;
    else if (std::strcmp(n, "base") == 0 && a.gruppo)
        colore(a, attributo(att, "displaycolor"), "displaycolor", *a.gruppo);
}

void XMLCALL fine(void *dati, const char *nome)
{
    Analisi &a = *static_cast<Analisi *>(dati);
    const char *n = nome_locale(nome, NS_CORE);
    if (std::strcmp(n, "object") == 0)
        a.oggetto = nullptr;
    else if (bool *dentro = contenitore(a, n))
        *dentro = false;
    else if (std::strcmp(n, "basematerials") == 0 ||
             std::strcmp(nome_locale(nome, NS_MATERIALI), "colorgroup") == 0)
        a.gruppo = nullptr;
}

void XMLCALL dtd(void *dati, const char *, const char *, const char *, int)
{
    ferma(*static_cast<Analisi *>(dati),
          "a DTD (<!DOCTYPE>): refused, its entities could expand without bound");
}

// Parses xml as the part a.parte names, or as the package relationships.
bool analizza(Analisi &a, const std::string &xml)
{
    a.x = XML_ParserCreateNS(nullptr, SEPARATORE);
    if (!a.x)
        return sbaglio(*a.errore, "expat could not start");
    XML_SetUserData(a.x, &a);
    XML_SetElementHandler(a.x, a.relazioni ? inizio_relazioni : inizio,
                          a.relazioni ? nullptr : fine);
    XML_SetStartDoctypeDeclHandler(a.x, dtd);
    const bool ok = XML_Parse(a.x, xml.data(), (int)xml.size(), XML_TRUE) == XML_STATUS_OK;
    if (!ok)
        sbaglio(*a.errore, "%s:%d: XML: %s", a.parte->citato.c_str(),
                (int)XML_GetCurrentLineNumber(a.x), XML_ErrorString(XML_GetErrorCode(a.x)));
    XML_ParserFree(a.x);
    return ok;
}

// The package being read.
struct Pacchetto {
    ArchivioZip zip;
    std::map<std::string, std::unique_ptr<Parte>> parti;
    Geometria *g;
    std::string errore;
};

std::string senza_barra(const std::string &s)
{
    return !s.empty() && s[0] == '/' ? s.substr(1) : s;
}

// The part named nome, parsed on first use; null with pk.errore set. richiedente
// says who names it ("PART:LINE: ").
Parte *parte(Pacchetto &pk, const std::string &nome, const std::string &richiedente)
{
    const std::string chiave = senza_barra(nome);
    const auto trovata = pk.parti.find(chiave);
    if (trovata != pk.parti.end())
        return trovata->second.get();
    const VoceZip *v = voce_zip(pk.zip, chiave);
    if (!v) {
        sbaglio(pk.errore, "%sthe package holds no part %s", richiedente.c_str(), citato(nome).c_str());
        return nullptr;
    }
    std::string xml;
    if (!estrai_voce(pk.zip, *v, xml, pk.errore))
        return nullptr;
    std::unique_ptr<Parte> nuova(new Parte);
    nuova->nome = chiave;
    nuova->citato = citato(chiave, MAX_NOME_CITATO);
    Analisi a;
    a.parte = nuova.get();
    a.errore = &pk.errore;
    if (!analizza(a, xml))
        return nullptr;
    Parte *p = nuova.get();
    pk.parti[chiave] = std::move(nuova);
    return p;
}

// On the way down the components: the objects being expanded.
struct Passo {
    const Parte *parte;
    long long id;
};

// Object o's mesh, placed by t, into pk.g.
bool metti_oggetto(Pacchetto &pk, const Oggetto &o, const Affine &t, const std::string &qui)
{
    Geometria &g = *pk.g;
    const size_t nv = o.pos.size() / 3, nt = o.tri.size() / 3;
    size_t massimo;
    if (!entro_istanze(g, nv, nt, pk.zip.dimensione + pk.zip.spacchettati, &massimo))
        return sbaglio(pk.errore, "%sthe build repeats its meshes past %zu vertices and triangles",
                       qui.c_str(), massimo);
    const size_t base = aggiungi_vertici(g, t, o.pos.data(), nv);
    const bool specchio = determinante(t) < 0.0;
    for (size_t k = 0; k < nt; k++) {
        const size_t v[3] = {(size_t)o.tri[3 * k], (size_t)o.tri[3 * k + 1],
                             (size_t)o.tri[3 * k + 2]};
        aggiungi_triangolo(g, base, v, specchio, o.colorata[k] ? &o.colori[3 * k] : nullptr);
    }
    return true;
}

// Object id of part p, placed by t, as referred to from qui ("PART:LINE: ").
bool espandi(Pacchetto &pk, Parte &p, long long id, const Affine &t, const std::string &qui,
             std::vector<Passo> &pila)
{
    const auto trovato = p.oggetti.find(id);
    if (trovato == p.oggetti.end())
        return sbaglio(pk.errore, "%sobject %lld is not among the part's resources", qui.c_str(),
                       id);
    for (const Passo &s : pila)
        if (s.parte == &p && s.id == id)
            return sbaglio(pk.errore, "%sa component cycle: object %lld contains itself",
                           qui.c_str(), id);
    if (pila.size() >= (size_t)MAX_ANNIDAMENTO)
        return sbaglio(pk.errore, "%scomponents nested deeper than %d", qui.c_str(),
                       MAX_ANNIDAMENTO);
    const Oggetto &o = trovato->second;
    if (!o.modello)
        return true;
    if (!metti_oggetto(pk, o, t, qui))
        return false;
    pila.push_back(Passo{&p, id});
    for (const Componente &c : o.componenti) {
        const std::string da = testo("%s:%d: ", p.citato.c_str(), c.riga);
        Parte *altra = &p;
        if (!c.parte.empty() && !(altra = parte(pk, c.parte, da)))
            return false;
        if (!espandi(pk, *altra, c.id, per(t, c.t), da, pila))
            return false;
    }
    pila.pop_back();
    return true;
}

// The root model part's name: the package relationships' 3D model, or the
// usual name without them.
bool nome_radice(Pacchetto &pk, std::string *radice)
{
    const VoceZip *tipi = voce_zip(pk.zip, "[Content_Types].xml");
    std::string xml;
    if (!tipi)
        return sbaglio(pk.errore, "a ZIP archive without [Content_Types].xml: not a 3MF package");
    if (!estrai_voce(pk.zip, *tipi, xml, pk.errore))
        return false;
    if (xml.find(TIPO_CONTENUTO) == std::string::npos)
        return sbaglio(pk.errore, "a ZIP archive whose [Content_Types].xml does not name the 3MF "
                                  "model: not a 3MF package");
    *radice = "3D/3dmodel.model";
    const VoceZip *rels = voce_zip(pk.zip, "_rels/.rels");
    if (!rels)
        return true;
    if (!estrai_voce(pk.zip, *rels, xml, pk.errore))
        return false;
    Parte r;
    r.nome = r.citato = "_rels/.rels";
    Analisi a;
    a.parte = &r;
    a.errore = &pk.errore;
    a.relazioni = true;
    if (!analizza(a, xml))
        return false;
    if (!a.radice.empty())
        *radice = a.radice;
    return true;
}

// The whole build: every item's object, down its components.
bool costruisci(Pacchetto &pk)
{
    std::string radice;
    if (!nome_radice(pk, &radice))
        return false;
    Parte *p = parte(pk, radice, "_rels/.rels: ");
    if (!p)
        return false;
    if (p->build.empty())
        return sbaglio(pk.errore, "%s: no build item: nothing to show", p->citato.c_str());
    std::vector<Passo> pila;
    for (const Elemento &e : p->build)
        if (!espandi(pk, *p, e.id, e.t, testo("%s:%d: ", p->citato.c_str(), e.riga), pila))
            return false;
    return true;
}

}  // namespace

bool sembra_3mf(const char *dati, size_t n) { return sembra_zip(dati, n); }

bool leggi_3mf_geometria(const char *dati, size_t n, Geometria &g, std::string &errore)
{
    Pacchetto pk;
    pk.g = &g;
    g = Geometria{};
    if (apri_zip(dati, n, pk.zip, pk.errore) && costruisci(pk))
        return true;
    errore = pk.errore;
    return false;
}
