// pacchetti_prova.h: glTF, GLB and 3MF files written by the tests, the
// fuzzer and the benchmark: ZIP archives built with zlib, binary buffers,
// base64, and the OFF of the same mesh to compare with.
#ifndef SUPERFICIE_TESTS_FORMATS_PACCHETTI_PROVA_H
#define SUPERFICIE_TESTS_FORMATS_PACCHETTI_PROVA_H

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

// A binary body in either byte order: b << x appends x's bytes.
struct Binario {
    bool grande;                    // big endian
    std::string s;
    template <class T> Binario &operator<<(T v)
    {
        char b[sizeof v];
        std::memcpy(b, &v, sizeof v);
        for (size_t i = 0; i < sizeof v; i++)
            s += b[(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__) == grande ? sizeof v - 1 - i : i];
        return *this;
    }
};

namespace prova {

// Raw bytes of an array of numbers, little-endian as glTF has them.
template <class T>
std::string byte_di(const std::vector<T> &v) { return std::string((const char *)v.data(), v.size() * sizeof(T)); }

// Raw deflate: zlib's stream without its 2-byte header and 4-byte check.
inline std::string deflato(const std::string &dati)
{
    uLongf n = compressBound(dati.size());
    std::string z(n, '\0');
    compress2((Bytef *)&z[0], &n, (const Bytef *)dati.data(), dati.size(), 9);
    return z.substr(2, n - 6);
}

// An entry of a ZIP archive; to build broken ones, the size its headers
// claim when not the data's (0: the truth).
struct Voce {
    std::string nome, dati;
    bool deflata = true;
    uint32_t piena = 0;
};

inline std::string zip_di(const std::vector<Voce> &voci)
{
    using u16 = uint16_t;
    using u32 = uint32_t;
    Binario z{false, ""}, cd{false, ""};
    for (const Voce &v : voci) {
        const std::string c = v.deflata ? deflato(v.dati) : v.dati;
        const u32 crc = (u32)crc32(0L, (const Bytef *)v.dati.data(), (uInt)v.dati.size());
        // The fields a local header and its central record share, version needed to extra length.
        Binario h{false, ""};
        h << (u16)20 << (u16)0 << (u16)(v.deflata ? 8 : 0) << (u16)0 << (u16)0 << crc << (u32)c.size()
          << (u32)(v.piena ? v.piena : v.dati.size()) << (u16)v.nome.size() << (u16)0;
        cd << (u32)0x02014b50 << (u16)20;
        cd.s += h.s;
        cd << (u16)0 << (u32)0 << (u32)0 << (u32)z.s.size();
        cd.s += v.nome;
        z << (u32)0x04034b50;
        z.s += h.s + v.nome + c;
    }
    const u32 inizio = (u32)z.s.size(), n = (u32)voci.size();
    z.s += cd.s;
    z << (u32)0x06054b50 << (u16)0 << (u16)0 << (u16)n << (u16)n << (u32)cd.s.size() << inizio << (u16)0;
    return z.s;
}

constexpr const char TIPI_3MF[] =
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"model\" "
    "ContentType=\"application/vnd.ms-package.3dmanufacturing-3dmodel+xml\"/></Types>\n";
inline std::string rels_3mf(const std::string &radice)
{
    return "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
           "<Relationship Target=\"/" + radice + "\" Id=\"rel0\" "
           "Type=\"http://schemas.microsoft.com/3dmanufacturing/2013/01/3dmodel\"/></Relationships>\n";
}

// A package of the given model parts (name, XML), the first the root.
inline std::string pacchetto_3mf(const std::vector<std::pair<std::string, std::string>> &parti, bool deflata = true)
{
    std::vector<Voce> v = {{"[Content_Types].xml", TIPI_3MF, deflata}, {"_rels/.rels", rels_3mf(parti[0].first), deflata}};
    for (const auto &p : parti) v.push_back(Voce{p.first, p.second, deflata});
    return zip_di(v);
}

inline std::string uri_dati(const std::string &s)
{
    static const char a[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string r;
    uint32_t bit = 0;
    int n = 0;   // bits in `bit` not yet written
    for (const char c : s) {
        bit = bit << 8 | (uint8_t)c;
        for (n += 8; n >= 6; n -= 6) r += a[bit >> (n - 6) & 63];
    }
    if (n) r += a[bit << (6 - n) & 63];
    r.resize((r.size() + 3) / 4 * 4, '=');
    return "data:application/octet-stream;base64," + r;
}

inline std::string glb_di(std::string json, std::string bin)
{
    json.resize((json.size() + 3) / 4 * 4, ' ');
    bin.resize((bin.size() + 3) / 4 * 4, '\0');
    Binario g{false, ""};
    g << (uint32_t)0x46546c67 << (uint32_t)2 << (uint32_t)(12 + 8 + json.size() + 8 + bin.size());
    g << (uint32_t)json.size() << (uint32_t)0x4e4f534a;
    g.s += json;
    g << (uint32_t)bin.size() << (uint32_t)0x004e4942;
    return g.s + bin;
}

inline std::string numero(double x)
{
    char b[40];
    std::snprintf(b, sizeof b, "%.17g", x);
    return b;
}

// A mesh of triangles: what the tests write in each format.
struct Triangoli {
    std::vector<float> pos;         // x y z
    std::vector<uint32_t> tri;      // three indices a triangle
    std::vector<float> nor;         // x y z a vertex, or none
};

// The unit cube, corners 0/1, its triangles counter-clockwise outside.
inline Triangoli cubo()
{
    Triangoli t;
    for (int i = 0; i < 8; i++) t.pos.insert(t.pos.end(), {(float)(i & 1), (float)(i >> 1 & 1), (float)(i >> 2 & 1)});
    t.tri = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4, 2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
    return t;
}

// t as binary STL, `testa` at the start of its header.
inline std::string stl_di(const Triangoli &t, const std::string &testa = "")
{
    Binario b{false, testa + std::string(80 - testa.size(), '\0')};
    b << (uint32_t)(t.tri.size() / 3);
    for (size_t k = 0; k < t.tri.size(); k++) {
        if (k % 3 == 0) b << 0.0f << 0.0f << 0.0f;   // the facet normal, which the reader ignores
        b << t.pos[3 * t.tri[k]] << t.pos[3 * t.tri[k] + 1] << t.pos[3 * t.tri[k] + 2];
        if (k % 3 == 2) b << (uint16_t)0;
    }
    return b.s;
}

// t as OFF (NOFF with its normals), vertex i through f(p, i) (the transform
// a test expects), face k with colore(k) ("r g b", or "" for none).
inline std::string off_di(const Triangoli &t, void (*f)(double *, size_t) = nullptr,
                          std::string (*colore)(size_t) = nullptr)
{
    std::string s = (t.nor.empty() ? "OFF\n" : "NOFF\n") + std::to_string(t.pos.size() / 3) + " " +
                    std::to_string(t.tri.size() / 3) + " 0\n";
    for (size_t i = 0; i < t.pos.size(); i += 3) {
        double p[3] = {t.pos[i], t.pos[i + 1], t.pos[i + 2]};
        if (f) f(p, i / 3);
        s += numero(p[0]) + " " + numero(p[1]) + " " + numero(p[2]);
        for (size_t k = i; k < i + 3 && !t.nor.empty(); k++) s += " " + numero(t.nor[k]);
        s += "\n";
    }
    for (size_t k = 0; k < t.tri.size(); k += 3)
        s += "3 " + std::to_string(t.tri[k]) + " " + std::to_string(t.tri[k + 1]) + " " + std::to_string(t.tri[k + 2]) +
             (colore ? " " + colore(k / 3) : "") + "\n";
    return s;
}

// A glTF of one mesh in one node from its pieces, each the members of its
// JSON array; `estensione`, when given, is used and required.
inline std::string gltf_da(const std::string &estensione, const std::string &primitive,
                           const std::string &buffers, const std::string &viste, const std::string &accessori)
{
    const std::string e = "\"extensionsUsed\":[\"" + estensione + "\"],\"extensionsRequired\":[\"" + estensione + "\"],";
    return "{\"asset\":{\"version\":\"2.0\"}," + (estensione.empty() ? "" : e) + "\"nodes\":[{\"mesh\":0}],"
           "\"meshes\":[{\"primitives\":[" + primitive + "]}],\"buffers\":[" + buffers + "],\"bufferViews\":[" +
           viste + "],\"accessors\":[" + accessori + "]}";
}
inline std::string vista(size_t da, size_t quanti, const std::string &altro = "", int buffer = 0)
{
    return "{\"buffer\":" + std::to_string(buffer) + ",\"byteOffset\":" + std::to_string(da) + ",\"byteLength\":" +
           std::to_string(quanti) + altro + "}";
}
inline std::string accessorio(int vista, const std::string &tipo, size_t quanti, const char *forma)
{
    return "{\"bufferView\":" + std::to_string(vista) + ",\"componentType\":" + tipo + ",\"count\":" +
           std::to_string(quanti) + ",\"type\":\"" + forma + "\"}";
}

// One glTF of t with a scene: positions, indices and any normals in buffer 0
// (whose uri is given, or the GLB's chunk for "").
inline std::string bin_di(const Triangoli &t) { return byte_di(t.pos) + byte_di(t.tri) + byte_di(t.nor); }
inline std::string gltf_di(const Triangoli &t, const std::string &uri)
{
    const size_t p = t.pos.size() * 4, i = t.tri.size() * 4, n = t.nor.size() * 4;
    const std::string u = uri.empty() ? "" : ",\"uri\":\"" + uri + "\"";
    std::string j = gltf_da("", std::string("{\"attributes\":{\"POSITION\":0") + (n ? ",\"NORMAL\":2" : "") +
                                    "},\"indices\":1}",
                            "{\"byteLength\":" + std::to_string(p + i + n) + u + "}",
                            vista(0, p) + "," + vista(p, i) + (n ? "," + vista(p + i, n) : ""),
                            accessorio(0, "5126", t.pos.size() / 3, "VEC3") + "," +
                                accessorio(1, "5125", t.tri.size(), "SCALAR") +
                                (n ? "," + accessorio(2, "5126", t.nor.size() / 3, "VEC3") : ""));
    return j.insert(j.find("\"nodes\""), "\"scene\":0,\"scenes\":[{\"nodes\":[0]}],");
}
inline std::string gltf_incorporato(const Triangoli &t) { return gltf_di(t, uri_dati(bin_di(t))); }
inline std::string glb_di(const Triangoli &t) { return glb_di(gltf_di(t, ""), bin_di(t)); }

// t as a 3MF object's <mesh>.
inline std::string mesh_3mf(const Triangoli &t)
{
    std::string s = "<mesh><vertices>\n";
    for (size_t i = 0; i < t.pos.size(); i += 3)
        s += "<vertex x=\"" + numero(t.pos[i]) + "\" y=\"" + numero(t.pos[i + 1]) + "\" z=\"" + numero(t.pos[i + 2]) + "\"/>\n";
    s += "</vertices><triangles>\n";
    for (size_t k = 0; k < t.tri.size(); k += 3)
        s += "<triangle v1=\"" + std::to_string(t.tri[k]) + "\" v2=\"" + std::to_string(t.tri[k + 1]) + "\" v3=\"" +
             std::to_string(t.tri[k + 2]) + "\"/>\n";
    return s + "</triangles></mesh>\n";
}

// A model part of these resources and build items.
inline std::string modello(const std::string &risorse, const std::string &build)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<model unit=\"millimeter\" xml:lang=\"en-US\" "
           "xmlns=\"http://schemas.microsoft.com/3dmanufacturing/core/2015/02\" "
           "xmlns:m=\"http://schemas.microsoft.com/3dmanufacturing/material/2015/02\" "
           "xmlns:p=\"http://schemas.microsoft.com/3dmanufacturing/production/2015/06\">\n<resources>" +
           risorse + "</resources><build>" + build + "</build></model>\n";
}
inline std::string modello_3mf(const Triangoli &t)
{ return modello("<object id=\"1\" type=\"model\">" + mesh_3mf(t) + "</object>", "<item objectid=\"1\"/>"); }

}  // namespace prova

#endif
