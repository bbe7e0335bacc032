// costruzione.cpp: control mesh, subdivision, cut and normals of the built-in surface.
#include "data/costruzione.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

// The helper records stay local to this file (their member functions and
// containers must not meet same-named types elsewhere in a link).
namespace {

struct Vec {
    double x, y, z;
};

// A polygon mesh with its edges numbered: edge (u, v) with u < v.
struct Maglia {
    std::vector<Vec> punti;
    std::vector<std::vector<int>> facce;     // corners counter-clockwise from outside
    std::map<std::pair<int, int>, int> spigolo;  // (min, max) -> edge index
};

// One face of a lobe as offsets from its centre.
struct FacciaLobo {
    std::vector<Vec> offset;
    int asse_quadrato;      // axis of a square (0 x, 1 y, 2 z), -1 otherwise
    int segno_quadrato;     // side of a square, -1 or 1
};

}  // namespace

static Vec somma(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
static Vec differenza(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
static Vec per(Vec a, double k) { return {a.x * k, a.y * k, a.z * k}; }
static double scalare(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
static Vec vettoriale(Vec a, Vec b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
static double lunghezza(Vec a) { return std::sqrt(scalare(a, a)); }

static std::pair<int, int> chiave(int u, int v) { return {std::min(u, v), std::max(u, v)}; }

static const double A = 0.556;   // short offset of a lobe's control vertices
static const double B = 1.668;   // long offset

// Lobe order; the central lobe is the third.
static const Vec CENTRI[5] = {{-4, 0, 0}, {4, 0, 0}, {0, 0, 0}, {0, 0, -4}, {0, 0, 4}};
static const int CENTRALE = 2;

// Offset of a lobe's control vertex i (0..23) from the lobe's centre: -b
// in x, +b in x, then -a in x (b in y, then b in z), then +a in x; each four
// in the sign order (+,+) (+,-) (-,+) (-,-) of the remaining (y, z).
static Vec offset_lobo(int i)
{
    if (i < 8) {
        const double sx = i < 4 ? -B : B;
        const int c = i % 4;
        return {sx, c < 2 ? A : -A, c % 2 == 0 ? A : -A};
    }
    const double sx = i < 16 ? -A : A;
    const int r = (i - 8) % 8;
    const double s1 = (r % 4) < 2 ? 1 : -1;      // sign in y
    const double s2 = (r % 2) == 0 ? 1 : -1;     // sign in z
    if (r < 4)
        return {sx, s1 * B, s2 * A};
    return {sx, s1 * A, s2 * B};
}

// Vertex of a lobe with coordinates given as signed units of A and B.
static int vertice_lobo(const Vec &offset)
{
    for (int i = 0; i < 24; i++) {
        const Vec o = offset_lobo(i);
        if (std::fabs(o.x - offset.x) < 1e-9 && std::fabs(o.y - offset.y) < 1e-9 &&
            std::fabs(o.z - offset.z) < 1e-9)
            return i;
    }
    std::abort();
}

// Puts the corners counter-clockwise seen from `fuori` (the outward
// direction), starting at the smallest index.
static std::vector<int> ordina_giro(const std::vector<Vec> &punti, std::vector<int> angoli, Vec fuori)
{
    Vec c = {0, 0, 0};
    for (int v : angoli)
        c = somma(c, punti[v]);
    c = per(c, 1.0 / angoli.size());
    const Vec n = per(fuori, 1.0 / lunghezza(fuori));
    Vec u = differenza(punti[angoli[0]], c);
    u = differenza(u, per(n, scalare(u, n)));
    const Vec w = vettoriale(n, u);
    std::sort(angoli.begin(), angoli.end(), [&](int p, int q) {
        const Vec dp = differenza(punti[p], c), dq = differenza(punti[q], c);
        return std::atan2(scalare(dp, w), scalare(dp, u)) <
               std::atan2(scalare(dq, w), scalare(dq, u));
    });
    std::rotate(angoli.begin(), std::min_element(angoli.begin(), angoli.end()), angoli.end());
    return angoli;
}

// The 26 faces of a lobe as offset lists, in the order every lobe uses:
// -x and +x squares, then the eight triangles and the twelve rectangles,
// with the other squares at places 13 (+y), 14 (-y), 18 (+z) and 26 (-z).
static std::vector<FacciaLobo> facce_lobo()
{
    auto quadrato = [](int asse, int s) {
        FacciaLobo f;
        f.asse_quadrato = asse;
        f.segno_quadrato = s;
        for (int s1 : {1, -1})
            for (int s2 : {1, -1}) {
                double c[3];
                c[asse] = s * B;
                c[(asse + 1) % 3] = s1 * A;
                c[(asse + 2) % 3] = s2 * A;
                f.offset.push_back({c[0], c[1], c[2]});
            }
        return f;
    };
    std::vector<FacciaLobo> altre;
    // Triangles, one per octant.
    for (int sx : {1, -1})
        for (int sy : {1, -1})
            for (int sz : {1, -1}) {
                FacciaLobo f;
                f.asse_quadrato = -1;
                f.segno_quadrato = 0;
                f.offset.push_back({sx * B, sy * A, sz * A});
                f.offset.push_back({sx * A, sy * B, sz * A});
                f.offset.push_back({sx * A, sy * A, sz * B});
                altre.push_back(f);
            }
    // Rectangles across the box edges: long offsets on axes i and j.
    const int coppie[3][2] = {{0, 1}, {0, 2}, {1, 2}};
    for (const auto &cp : coppie)
        for (int si : {1, -1})
            for (int sj : {1, -1}) {
                FacciaLobo f;
                f.asse_quadrato = -1;
                f.segno_quadrato = 0;
                const int i = cp[0], j = cp[1], k = 3 - i - j;
                for (int lungo : {i, j})
                    for (int sk : {1, -1}) {
                        double c[3];
                        c[i] = (lungo == i ? B : A) * si;
                        c[j] = (lungo == j ? B : A) * sj;
                        c[k] = sk * A;
                        f.offset.push_back({c[0], c[1], c[2]});
                    }
                altre.push_back(f);
            }
    std::vector<FacciaLobo> tutte;
    size_t k = 0;
    for (int posto = 1; posto <= 26; posto++) {
        switch (posto) {
        case 1: tutte.push_back(quadrato(0, -1)); break;
        case 2: tutte.push_back(quadrato(0, 1)); break;
        case 13: tutte.push_back(quadrato(1, 1)); break;
        case 14: tutte.push_back(quadrato(1, -1)); break;
        case 18: tutte.push_back(quadrato(2, 1)); break;
        case 26: tutte.push_back(quadrato(2, -1)); break;
        default: tutte.push_back(altre[k++]); break;
        }
    }
    return tutte;
}

// True when the square of lobe `lobo` on axis `asse`, side `segno`, faces a
// neighbouring lobe and so gives way to a tube.
static bool quadrato_tolto(int lobo, int asse, int segno)
{
    if (asse == 1)
        return false;
    if (lobo == CENTRALE)
        return true;
    const double c = asse == 0 ? CENTRI[lobo].x : CENTRI[lobo].z;
    return c != 0.0 && (c > 0) != (segno > 0);
}

// The control vertices: lobe l's vertex i at 24 l + i.
static void punti_controllo(Maglia *m)
{
    m->punti.resize(SUP_CONTROLLO);
    for (int l = 0; l < 5; l++)
        for (int i = 0; i < 24; i++)
            m->punti[24 * l + i] = somma(CENTRI[l], offset_lobo(i));
}

// Edges of a lobe by smaller, then larger index, the same for all lobes.
static std::vector<std::pair<int, int>> spigoli_lobo(const std::vector<FacciaLobo> &modello)
{
    std::vector<Vec> centrati(24);
    for (int i = 0; i < 24; i++)
        centrati[i] = offset_lobo(i);
    std::vector<std::pair<int, int>> spigoli;
    for (const FacciaLobo &f : modello) {
        std::vector<int> v;
        Vec fuori = {0, 0, 0};
        for (const Vec &o : f.offset) {
            v.push_back(vertice_lobo(o));
            fuori = somma(fuori, o);
        }
        v = ordina_giro(centrati, v, fuori);
        for (size_t k = 0; k < v.size(); k++)
            spigoli.push_back(chiave(v[k], v[(k + 1) % v.size()]));
    }
    std::sort(spigoli.begin(), spigoli.end());
    spigoli.erase(std::unique(spigoli.begin(), spigoli.end()), spigoli.end());
    if (spigoli.size() != 48)
        std::abort();
    return spigoli;
}

// Lobe l's edges, then its faces but the squares that give way to tubes.
static void aggiungi_lobo(Maglia *m, int l, const std::vector<FacciaLobo> &modello,
                          const std::vector<std::pair<int, int>> &spigoli)
{
    for (const auto &e : spigoli) {
        const int n = (int)m->spigolo.size();
        m->spigolo[{24 * l + e.first, 24 * l + e.second}] = n;
    }
    for (const FacciaLobo &f : modello) {
        if (f.asse_quadrato >= 0 && quadrato_tolto(l, f.asse_quadrato, f.segno_quadrato))
            continue;
        std::vector<int> v;
        for (const Vec &o : f.offset)
            v.push_back(24 * l + vertice_lobo(o));
        Vec fuori = {0, 0, 0};
        for (const Vec &o : f.offset)
            fuori = somma(fuori, o);
        m->facce.push_back(ordina_giro(m->punti, v, fuori));
    }
}

// The four faces of the tube from the central lobe to lobe l, then its
// longitudinal edges, whose indices go to *spigolo_tubo.
static void aggiungi_tubo(Maglia *m, int l, std::vector<int> *spigolo_tubo)
{
    // Axis from the centre to the outer lobe; the faces turn about it
    // right-handed and end with the +y face.
    const Vec d = per(CENTRI[l], 0.25);
    const Vec sopra = {0, 1, 0};
    const Vec primo = vettoriale(d, sopra);   // +y a quarter turn on about d
    const Vec giro[4] = {primo, per(sopra, -1), per(primo, -1), sopra};
    for (int k = 0; k < 4; k++) {
        const Vec e = giro[k];
        // Corners: central square towards d, outer square towards -d, on side e.
        std::vector<int> v;
        for (int lobo : {CENTRALE, l}) {
            const double verso = lobo == CENTRALE ? 1 : -1;
            for (int s : {1, -1}) {
                const Vec t = vettoriale(d, e);   // along the face, across the tube
                Vec o = somma(per(d, verso * B), somma(per(e, A), per(t, s * A)));
                v.push_back(24 * lobo + vertice_lobo(o));
            }
        }
        std::vector<int> g = ordina_giro(m->punti, v, e);
        // Start at the central corner followed by the other central one.
        for (int r = 0; r < 4; r++) {
            if (g[0] / 24 == CENTRALE && g[1] / 24 == CENTRALE)
                break;
            std::rotate(g.begin(), g.begin() + 1, g.end());
        }
        m->facce.push_back(g);
    }
    // Longitudinal edges in the same turn, starting with face 0's edge
    // back to its first corner.
    const size_t prima = m->facce.size() - 4;
    for (int k = 0; k < 4; k++) {
        const std::vector<int> &f = m->facce[prima + k];
        const int n = (int)m->spigolo.size();
        m->spigolo[chiave(f[0], f[3])] = n;
        spigolo_tubo->push_back(n);
    }
}

// Builds the control mesh with its numbering: lobes and tubes in this order.
static void maglia_controllo(Maglia *m, std::vector<int> *spigolo_tubo)
{
    punti_controllo(m);
    const std::vector<FacciaLobo> modello = facce_lobo();
    const std::vector<std::pair<int, int>> spigoli = spigoli_lobo(modello);
    aggiungi_lobo(m, 0, modello, spigoli);
    aggiungi_lobo(m, 1, modello, spigoli);
    aggiungi_lobo(m, 2, modello, spigoli);
    aggiungi_tubo(m, 1, spigolo_tubo);
    aggiungi_tubo(m, 0, spigolo_tubo);
    aggiungi_lobo(m, 3, modello, spigoli);
    aggiungi_tubo(m, 3, spigolo_tubo);
    aggiungi_lobo(m, 4, modello, spigoli);
    aggiungi_tubo(m, 4, spigolo_tubo);
    if ((int)m->spigolo.size() != SUP_SPIGOLI || (int)m->facce.size() != SUP_FACCE_CONTROLLO)
        std::abort();
}

// One Catmull-Clark step. Face points get indices base_facce + face, edge
// points base_spigoli + edge index; old vertices keep theirs.
static void suddividi(const Maglia &m, int base_spigoli, int base_facce, std::vector<Vec> *nuovi)
{
    const int nv = (int)m.punti.size();
    const int nf = (int)m.facce.size();
    nuovi->assign(base_facce + nf, Vec{0, 0, 0});
    std::vector<Vec> fp(nf);
    for (int f = 0; f < nf; f++) {
        Vec s = {0, 0, 0};
        for (int v : m.facce[f])
            s = somma(s, m.punti[v]);
        fp[f] = per(s, 1.0 / m.facce[f].size());
        (*nuovi)[base_facce + f] = fp[f];
    }
    // Faces on each side of an edge, and faces and edges around a vertex.
    std::vector<std::vector<int>> facce_spigolo(m.spigolo.size());
    std::vector<std::vector<int>> facce_vertice(nv), vicini(nv);
    for (int f = 0; f < nf; f++) {
        const std::vector<int> &c = m.facce[f];
        for (size_t k = 0; k < c.size(); k++) {
            facce_spigolo[m.spigolo.at(chiave(c[k], c[(k + 1) % c.size()]))].push_back(f);
            facce_vertice[c[k]].push_back(f);
        }
    }
    for (const auto &e : m.spigolo) {
        vicini[e.first.first].push_back(e.first.second);
        vicini[e.first.second].push_back(e.first.first);
        const std::vector<int> &ff = facce_spigolo[e.second];
        if (ff.size() != 2)
            std::abort();
        const Vec s = somma(somma(m.punti[e.first.first], m.punti[e.first.second]),
                            somma(fp[ff[0]], fp[ff[1]]));
        (*nuovi)[base_spigoli + e.second] = per(s, 0.25);
    }
    for (int v = 0; v < nv; v++) {
        const double n = (double)vicini[v].size();
        Vec q = {0, 0, 0}, r = {0, 0, 0};
        for (int f : facce_vertice[v])
            q = somma(q, fp[f]);
        q = per(q, 1.0 / facce_vertice[v].size());
        for (int w : vicini[v])
            r = somma(r, per(somma(m.punti[v], m.punti[w]), 0.5));
        r = per(r, 1.0 / n);
        const Vec s = somma(somma(q, per(r, 2.0)), per(m.punti[v], n - 3.0));
        (*nuovi)[v] = per(s, 1.0 / n);
    }
}

// Quadrilaterals of a subdivided mesh: per face, one per corner in turn.
static void quadrilateri(const Maglia &m, int base_spigoli, int base_facce,
                         std::vector<std::vector<int>> *quad)
{
    quad->clear();
    for (size_t f = 0; f < m.facce.size(); f++) {
        const std::vector<int> &c = m.facce[f];
        const size_t n = c.size();
        for (size_t k = 0; k < n; k++) {
            const int dopo = base_spigoli + m.spigolo.at(chiave(c[k], c[(k + 1) % n]));
            const int prima = base_spigoli + m.spigolo.at(chiave(c[(k + n - 1) % n], c[k]));
            quad->push_back({c[k], dopo, base_facce + (int)f, prima});
        }
    }
}

double arrotonda_sei_cifre(double v)
{
    if (std::fabs(v) < 1e-12)
        return 0.0;
    char testo[32];
    std::snprintf(testo, sizeof testo, "%.6g", v);
    return std::strtod(testo, nullptr);
}

// First-step edges. A half of control edge e (u < v) gets 514 + e for the
// half at u and 770 + e for the other, tubes the other way round; the
// edges from a face point to its edge points follow in groups of the
// face, starting with the edge arriving at the face's first corner.
// Returns the number of edges.
static int spigoli_primo_passo(const Maglia &m0, const std::vector<int> &spigolo_tubo, Maglia *m1)
{
    std::vector<bool> di_tubo(SUP_SPIGOLI, false);
    for (int e : spigolo_tubo)
        di_tubo[e] = true;
    for (const auto &e : m0.spigolo) {
        const int u = e.first.first, v = e.first.second, p = SUP_CONTROLLO + e.second;
        const bool primo_u = !di_tubo[e.second];
        m1->spigolo[chiave(primo_u ? u : v, p)] = e.second;
        m1->spigolo[chiave(primo_u ? v : u, p)] = SUP_SPIGOLI + e.second;
    }
    int gruppo = 2 * SUP_SPIGOLI;
    for (size_t f = 0; f < m0.facce.size(); f++) {
        const std::vector<int> &c = m0.facce[f];
        const size_t n = c.size();
        const int fp = SUP_CONTROLLO + SUP_SPIGOLI + (int)f;
        for (size_t k = 0; k < n; k++) {
            const int ep = SUP_CONTROLLO + m0.spigolo.at(chiave(c[(k + n - 1) % n], c[k]));
            m1->spigolo[chiave(fp, ep)] = gruppo++;
        }
    }
    if ((int)m1->punti.size() != SUP_PUNTI1 || (int)m1->facce.size() != SUP_QUAD1 ||
        gruppo != 2 * SUP_SPIGOLI + SUP_QUAD1)
        std::abort();
    return gruppo;
}

// Cut along the shorter diagonal; each quad (c, e1, F, e2) is counter-
// clockwise from outside, its triangles run the other way.
static void taglia(const std::vector<Vec> &p2, const std::vector<std::vector<int>> &q2, Superficie *s)
{
    for (int q = 0; q < SUP_QUAD; q++) {
        const int c = q2[q][0], e1 = q2[q][1], f = q2[q][2], e2 = q2[q][3];
        for (int k = 0; k < 4; k++)
            s->quad[q][k] = q2[q][k];
        const double d_spigoli = lunghezza(differenza(p2[e1], p2[e2]));
        const double d_angolo = lunghezza(differenza(p2[c], p2[f]));
        s->scarto_diagonali[q] = std::fabs(d_spigoli - d_angolo) / std::max(d_spigoli, d_angolo);
        s->taglio_corto[q] = d_spigoli < d_angolo;
        int *t0 = s->faccia[2 * q], *t1 = s->faccia[2 * q + 1];
        if (s->taglio_corto[q]) {
            t0[0] = e1; t0[1] = c; t0[2] = e2;
            t1[0] = e1; t1[1] = e2; t1[2] = f;
        } else {
            t0[0] = c; t0[1] = e2; t0[2] = f;
            t1[0] = c; t1[1] = f; t1[2] = e1;
        }
    }
}

// Vertex normals: normalised sum of the unit triangle normals.
static void normali_vertici(const std::vector<Vec> &p2, Superficie *s)
{
    std::vector<Vec> somme(SUP_PUNTI, Vec{0, 0, 0});
    for (int t = 0; t < SUP_FACCE; t++) {
        const int *v = s->faccia[t];
        const Vec n = vettoriale(differenza(p2[v[1]], p2[v[0]]), differenza(p2[v[2]], p2[v[0]]));
        const Vec u = per(n, 1.0 / lunghezza(n));
        for (int k = 0; k < 3; k++)
            somme[v[k]] = somma(somme[v[k]], u);
    }
    for (int i = 0; i < SUP_PUNTI; i++) {
        const Vec n = per(somme[i], 1.0 / lunghezza(somme[i]));
        s->normale[i][0] = n.x;
        s->normale[i][1] = n.y;
        s->normale[i][2] = n.z;
    }
}

void costruisci_superficie(Superficie *s)
{
    Maglia m0;
    std::vector<int> spigolo_tubo;
    maglia_controllo(&m0, &spigolo_tubo);

    // First step: edge points 120 + edge, face points 376 + face.
    Maglia m1;
    suddividi(m0, SUP_CONTROLLO, SUP_CONTROLLO + SUP_SPIGOLI, &m1.punti);
    quadrilateri(m0, SUP_CONTROLLO, SUP_CONTROLLO + SUP_SPIGOLI, &m1.facce);
    const int spigoli1 = spigoli_primo_passo(m0, spigolo_tubo, &m1);

    // Second step: edge points 514 + edge, face points 1538 + quadrilateral.
    std::vector<Vec> p2;
    suddividi(m1, SUP_PUNTI1, SUP_PUNTI1 + spigoli1, &p2);
    std::vector<std::vector<int>> q2;
    quadrilateri(m1, SUP_PUNTI1, SUP_PUNTI1 + spigoli1, &q2);
    if ((int)p2.size() != SUP_PUNTI || (int)q2.size() != SUP_QUAD)
        std::abort();

    for (int i = 0; i < SUP_PUNTI; i++) {
        s->punto[i][0] = p2[i].x;
        s->punto[i][1] = p2[i].y;
        s->punto[i][2] = p2[i].z;
    }
    taglia(p2, q2, s);
    normali_vertici(p2, s);
}
