// tremf.cpp: 3MF packages: the core model (objects with a mesh or with
// components, build items, base materials and colour groups) and the
// production extension's p:path to other model parts of the package.
//
// The package is a ZIP (zip.cpp); its parts are XML read by expat. A DTD is
// refused outright: a model never needs one, and entities are how an XML
// file of a few bytes asks for gigabytes. Each part is parsed once into its
// objects; the root part's build items are then walked down the components,
// every mesh instance placed by the product of the transforms on its way.
#include "formats/pacchetti.h"

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
    std::map<long long, Oggetto> oggetti;
    std::map<long long, std::vector<float>> proprieta;   // r g b per entry, by group id
    std::vector<Elemento> build;
};

// The local name of a qualified name when its namespace is ns (or has none).
const char *locale(const char *nome, const char *ns)
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
    std::string errore;
    // The rels part instead: the model part it names.
    bool relazioni = false;
    std::string radice;
    // Where the parser is.
    Oggetto *oggetto = nullptr;
    std::vector<float> *gruppo = nullptr;
    bool in_build = false, in_vertici = false, in_triangoli = false, in_componenti = false;
};

int riga(const Analisi &a) { return (int)XML_GetCurrentLineNumber(a.x); }

void ferma(Analisi &a, const std::string &msg)
{
    if (a.errore.empty())
        a.errore = testo("%s:%d: %s", a.parte->nome.c_str(), riga(a), msg.c_str());
    XML_StopParser(a.x, XML_FALSE);
}

bool numero(Analisi &a, const char *s, const char *nome, double *v)
{
    if (!s) {
        ferma(a, testo("no %s", nome));
        return false;
    }
    const char *fine = s + std::strlen(s);
    const char *p = s;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
        p++;
    const fast_float::from_chars_result r = fast_float::from_chars(p, fine, *v);
    const char *q = r.ptr;
    while (*q == ' ' || *q == '\t' || *q == '\n' || *q == '\r')
        q++;
    if (r.ec != std::errc() || r.ptr == p || q != fine || !std::isfinite(*v)) {
        ferma(a, testo("%s \"%s\" is not a finite number", nome, citato(s).c_str()));
        return false;
    }
    return true;
}

bool indice(Analisi &a, const char *s, const char *nome, long long *v)
{
    if (!s) {
        ferma(a, testo("no %s", nome));
        return false;
    }
    long long x = 0;
    const char *p = s;
    for (; *p >= '0' && *p <= '9'; p++)
        x = x < (1LL << 58) ? x * 10 + (*p - '0') : (1LL << 62);
    if (p == s || *p != '\0') {
        ferma(a, testo("%s \"%s\" is not a whole number", nome, citato(s).c_str()));
        return false;
    }
    *v = x;
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
        while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
            p++;
        const fast_float::from_chars_result r = fast_float::from_chars(p, fine, m[i]);
        if (r.ec != std::errc() || r.ptr == p || !std::isfinite(m[i]) ||
            (*r.ptr != '\0' && *r.ptr != ' ' && *r.ptr != '\t' && *r.ptr != '\n' &&
             *r.ptr != '\r')) {
            ferma(a, testo("transform \"%s\" is not 12 finite numbers", citato(s).c_str()));
            return false;
        }
        p = r.ptr;
    }
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
        p++;
    if (*p) {
        ferma(a, testo("transform \"%s\" is not 12 finite numbers", citato(s).c_str()));
        return false;
    }
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 3; c++)
            t->a[c][r] = m[3 * r + c];
    return true;
}

// "#RRGGBB" or "#RRGGBBAA"; the alpha is not shown.
bool colore(Analisi &a, const char *s, const char *nome, std::vector<float> &dove)
{
    const size_t n = s ? std::strlen(s) : 0;
    bool ok = s && s[0] == '#' && (n == 7 || n == 9);
    for (size_t i = 1; ok && i < n; i++)
        ok = esadecimale(s[i]) >= 0;
    if (!ok) {
        ferma(a, s ? testo("%s \"%s\" is not a colour #RRGGBB", nome, citato(s).c_str())
                   : testo("no %s", nome));
        return false;
    }
    for (int k = 0; k < 3; k++)
        dove.push_back((float)(esadecimale(s[1 + 2 * k]) * 16 + esadecimale(s[2 + 2 * k])) / 255.0f);
    return true;
}

void XMLCALL inizio_relazioni(void *dati, const char *nome, const char **att)
{
    Analisi &a = *static_cast<Analisi *>(dati);
    if (std::strcmp(locale(nome, "http://schemas.openxmlformats.org/package/2006/relationships"),
                    "Relationship") != 0)
        return;
    const char *tipo = attributo(att, "Type"), *meta = attributo(att, "Target");
    if (tipo && meta && std::strcmp(tipo, TIPO_MODELLO) == 0 && a.radice.empty())
        a.radice = meta;
}

void XMLCALL inizio(void *dati, const char *nome, const char **att)
{
    Analisi &a = *static_cast<Analisi *>(dati);
    Parte &p = *a.parte;
    const char *n = locale(nome, NS_CORE);
    if (!*n) {
        if (std::strcmp(locale(nome, NS_MATERIALI), "colorgroup") == 0) {
            long long id;
            if (!indice(a, attributo(att, "id"), "id", &id))
                return;
            a.gruppo = &p.proprieta[id];
            a.gruppo->clear();
        } else if (a.gruppo && std::strcmp(locale(nome, NS_MATERIALI), "color") == 0) {
            colore(a, attributo(att, "color"), "color", *a.gruppo);
        }
        return;
    }
    if (std::strcmp(n, "vertex") == 0) {
        if (!a.oggetto || !a.in_vertici)
            return;
        double v[3];
        if (numero(a, attributo(att, "x"), "x", &v[0]) &&
            numero(a, attributo(att, "y"), "y", &v[1]) &&
            numero(a, attributo(att, "z"), "z", &v[2]))
            a.oggetto->pos.insert(a.oggetto->pos.end(), v, v + 3);
    } else if (std::strcmp(n, "triangle") == 0) {
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
                ferma(a, testo("%s=%lld is not below the object's %lld vertices", nomi[k], v[k],
                               nv));
                return;
            }
        }
        for (int k = 0; k < 3; k++)
            o.tri.push_back((int)v[k]);
        long long pid = o.pid, p1 = o.pindex;
        const char *s = attributo(att, "pid");
        if (s && !indice(a, s, "pid", &pid))
            return;
        s = attributo(att, "p1");
        if (s && !indice(a, s, "p1", &p1))
            return;
        float c[3] = {0.0f, 0.0f, 0.0f};
        unsigned char colorata = 0;
        if (pid >= 0) {
            const auto g = p.proprieta.find(pid);
            if (g == p.proprieta.end()) {
                ferma(a, testo("property group %lld is not among the resources before it", pid));
                return;
            }
            const long long voci = (long long)(g->second.size() / 3);
            if (p1 < 0)
                p1 = 0;
            if (p1 >= voci) {
                ferma(a, testo("property index %lld is not below the %lld of group %lld", p1,
                               voci, pid));
                return;
            }
            for (int k = 0; k < 3; k++)
                c[k] = g->second[3 * p1 + k];
            colorata = 1;
        }
        o.colori.insert(o.colori.end(), c, c + 3);
        o.colorata.push_back(colorata);
    } else if (std::strcmp(n, "object") == 0) {
        long long id;
        if (!indice(a, attributo(att, "id"), "id", &id))
            return;
        if (p.oggetti.count(id)) {
            ferma(a, testo("a second object %lld", id));
            return;
        }
        Oggetto &o = p.oggetti[id];
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
    } else if (std::strcmp(n, "vertices") == 0) {
        a.in_vertici = true;
    } else if (std::strcmp(n, "triangles") == 0) {
        a.in_triangoli = true;
    } else if (std::strcmp(n, "components") == 0) {
        a.in_componenti = true;
    } else if (std::strcmp(n, "component") == 0) {
        if (!a.oggetto || !a.in_componenti)
            return;
        Componente c;
        c.riga = riga(a);
        if (!indice(a, attributo(att, "objectid"), "objectid", &c.id) ||
            !trasformazione(a, attributo(att, "transform"), &c.t))
            return;
        const std::string percorso = std::string(NS_PRODUZIONE) + SEPARATORE + "path";
        const char *s = attributo(att, percorso.c_str());
        if (s)
            c.parte = s;
        a.oggetto->componenti.push_back(c);
    } else if (std::strcmp(n, "build") == 0) {
        a.in_build = true;
    } else if (std::strcmp(n, "item") == 0) {
        if (!a.in_build)
            return;
        Elemento e;
        e.riga = riga(a);
        if (indice(a, attributo(att, "objectid"), "objectid", &e.id) &&
            trasformazione(a, attributo(att, "transform"), &e.t))
            p.build.push_back(e);
    } else if (std::strcmp(n, "basematerials") == 0) {
        long long id;
        if (!indice(a, attributo(att, "id"), "id", &id))
            return;
        a.gruppo = &p.proprieta[id];
        a.gruppo->clear();
    } else if (std::strcmp(n, "base") == 0) {
        if (a.gruppo)
            colore(a, attributo(att, "displaycolor"), "displaycolor", *a.gruppo);
    }
}

void XMLCALL fine(void *dati, const char *nome)
{
    Analisi &a = *static_cast<Analisi *>(dati);
    const char *n = locale(nome, NS_CORE);
    if (std::strcmp(n, "object") == 0)
        a.oggetto = nullptr;
    else if (std::strcmp(n, "vertices") == 0)
        a.in_vertici = false;
    else if (std::strcmp(n, "triangles") == 0)
        a.in_triangoli = false;
    else if (std::strcmp(n, "components") == 0)
        a.in_componenti = false;
    else if (std::strcmp(n, "build") == 0)
        a.in_build = false;
    else if (std::strcmp(n, "basematerials") == 0 ||
             std::strcmp(locale(nome, NS_MATERIALI), "colorgroup") == 0)
        a.gruppo = nullptr;
}

void XMLCALL dtd(void *dati, const char *, const char *, const char *, int)
{
    ferma(*static_cast<Analisi *>(dati),
          "a DTD (<!DOCTYPE>): refused, its entities could expand without bound");
}

// Parses xml as the part a.parte names, or as the package relationships.
bool analizza(Analisi &a, const std::string &xml, std::string &errore)
{
    a.x = XML_ParserCreateNS(nullptr, SEPARATORE);
    if (!a.x) {
        errore = "expat could not start";
        return false;
    }
    XML_SetUserData(a.x, &a);
    XML_SetElementHandler(a.x, a.relazioni ? inizio_relazioni : inizio,
                          a.relazioni ? nullptr : fine);
    XML_SetStartDoctypeDeclHandler(a.x, dtd);
    const bool ok = XML_Parse(a.x, xml.data(), (int)xml.size(), XML_TRUE) == XML_STATUS_OK;
    if (!ok && a.errore.empty())
        a.errore = testo("%s:%d: XML: %s", a.parte->nome.c_str(),
                         (int)XML_GetCurrentLineNumber(a.x),
                         XML_ErrorString(XML_GetErrorCode(a.x)));
    XML_ParserFree(a.x);
    if (!ok)
        errore = a.errore;
    return ok;
}

// The package being read.
struct Pacchetto {
    ArchivioZip zip;
    std::map<std::string, std::unique_ptr<Parte>> parti;
    Geometria *g;
    std::string errore;
};

std::string senza_barra(const std::string &s) { return !s.empty() && s[0] == '/' ? s.substr(1) : s; }

// The part named nome, parsed on first use; null with pk.errore set.
Parte *parte(Pacchetto &pk, const std::string &nome, const std::string &chi)
{
    const std::string chiave = senza_barra(nome);
    const auto trovata = pk.parti.find(chiave);
    if (trovata != pk.parti.end())
        return trovata->second.get();
    const VoceZip *v = voce_zip(pk.zip, chiave);
    if (!v) {
        pk.errore = chi + testo("the package holds no part %s", citato(nome.c_str()).c_str());
        return nullptr;
    }
    std::string xml;
    if (!estrai_voce(pk.zip, *v, xml, pk.errore))
        return nullptr;
    std::unique_ptr<Parte> nuova(new Parte);
    nuova->nome = chiave;
    Analisi a;
    a.parte = nuova.get();
    if (!analizza(a, xml, pk.errore))
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

// Object id of part p, placed by t, as referred to from qui ("PART:LINE: ").
bool espandi(Pacchetto &pk, Parte &p, long long id, const Affine &t, const std::string &qui,
             std::vector<Passo> &pila)
{
    const auto trovato = p.oggetti.find(id);
    if (trovato == p.oggetti.end()) {
        pk.errore = qui + testo("object %lld is not among the part's resources", id);
        return false;
    }
    for (const Passo &s : pila)
        if (s.parte == &p && s.id == id) {
            pk.errore = qui + testo("a component cycle: object %lld contains itself", id);
            return false;
        }
    if (pila.size() >= (size_t)MAX_ANNIDAMENTO) {
        pk.errore = qui + testo("components nested deeper than %d", MAX_ANNIDAMENTO);
        return false;
    }
    const Oggetto &o = trovato->second;
    if (!o.modello)
        return true;
    Geometria &g = *pk.g;
    const size_t nt = o.tri.size() / 3;
    const size_t massimo = massimo_istanze(pk.zip.dimensione + pk.zip.spacchettati);
    if (g.pos.size() / 3 + g.triangoli.size() / 3 + o.pos.size() / 3 + nt > massimo) {
        pk.errore = qui + testo("the build repeats its meshes past %zu vertices and triangles",
                                massimo);
        return false;
    }
    const int base = (int)(g.pos.size() / 3);
    for (size_t i = 0; i < o.pos.size(); i += 3) {
        double w[3];
        applica_punto(t, &o.pos[i], w);
        g.pos.insert(g.pos.end(), w, w + 3);
    }
    // A mirroring transform turns the triangles inside out: turn them back.
    const bool specchio = determinante(t) < 0.0;
    for (size_t k = 0; k < nt; k++) {
        const int *v = &o.tri[3 * k];
        const int w[3] = {base + v[0], base + (specchio ? v[2] : v[1]), base + (specchio ? v[1] : v[2])};
        g.triangoli.insert(g.triangoli.end(), w, w + 3);
    }
    g.colori.insert(g.colori.end(), o.colori.begin(), o.colori.end());
    g.colorata.insert(g.colorata.end(), o.colorata.begin(), o.colorata.end());
    pila.push_back(Passo{&p, id});
    for (const Componente &c : o.componenti) {
        const std::string da = testo("%s:%d: ", p.nome.c_str(), c.riga);
        Parte *dove = &p;
        if (!c.parte.empty()) {
            dove = parte(pk, c.parte, da);
            if (!dove)
                return false;
        }
        if (!espandi(pk, *dove, c.id, per(t, c.t), da, pila))
            return false;
    }
    pila.pop_back();
    return true;
}

}  // namespace

bool sembra_3mf(const char *dati, size_t n) { return sembra_zip(dati, n); }

bool leggi_3mf_geometria(const char *dati, size_t n, Geometria &g, std::string &errore)
{
    Pacchetto pk;
    pk.g = &g;
    g = Geometria{};
    if (!apri_zip(dati, n, pk.zip, errore))
        return false;
    const VoceZip *tipi = voce_zip(pk.zip, "[Content_Types].xml");
    std::string xml;
    if (!tipi) {
        errore = "a ZIP archive without [Content_Types].xml: not a 3MF package";
        return false;
    }
    if (!estrai_voce(pk.zip, *tipi, xml, errore))
        return false;
    if (xml.find(TIPO_CONTENUTO) == std::string::npos) {
        errore = "a ZIP archive whose [Content_Types].xml does not name the 3MF model: not a 3MF "
                 "package";
        return false;
    }
    std::string radice = "3D/3dmodel.model";
    if (const VoceZip *rels = voce_zip(pk.zip, "_rels/.rels")) {
        if (!estrai_voce(pk.zip, *rels, xml, errore))
            return false;
        Parte r;
        r.nome = "_rels/.rels";
        Analisi a;
        a.parte = &r;
        a.relazioni = true;
        if (!analizza(a, xml, errore))
            return false;
        if (!a.radice.empty())
            radice = a.radice;
    }
    Parte *p = parte(pk, radice, "_rels/.rels: ");
    if (!p) {
        errore = pk.errore;
        return false;
    }
    if (p->build.empty()) {
        errore = p->nome + ": no build item: nothing to show";
        return false;
    }
    std::vector<Passo> pila;
    for (const Elemento &e : p->build)
        if (!espandi(pk, *p, e.id, e.t, testo("%s:%d: ", p->nome.c_str(), e.riga), pila)) {
            errore = pk.errore;
            return false;
        }
    return true;
}
