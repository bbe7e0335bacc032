// aspetto.cpp: a file's mesh stood up and smoothed (see aspetto.h).
#include "mesh/aspetto.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "mesh/adatta.h"

Su su_dei_file = SU_DAL_FORMATO;

void raddrizza(Maglia &m)
{
    if (su_dei_file == SU_Y || (su_dei_file == SU_DAL_FORMATO && !m.stampa))
        return;
    for (PuntoLetto &p : m.punti) {
        const double y = p.pos[1], ny = p.normale[1];
        p.pos[1] = p.pos[2];
        p.pos[2] = -y;
        if (m.normali) {
            p.normale[1] = p.normale[2];
            p.normale[2] = -ny;
        }
    }
}

namespace {
// The corners about each vertex, and what liscia needs of each face and
// corner. Corners are indices into Maglia::angoli.
struct Attorno {
    std::vector<int> inizio;        // the corners of vertex v: angoli[inizio[v] .. inizio[v + 1])
    std::vector<int> angoli;
    std::vector<int> faccia;        // of each corner
    std::vector<double> normale;    // unit, of each face (zero for a face of no area)
    std::vector<double> peso;       // of each corner: the face's angle there
};
}  // namespace

static void differenza(const double *a, const double *b, double *d)
{
    for (int k = 0; k < 3; k++)
        d[k] = a[k] - b[k];
}

static double lunghezza(const double *v)
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// The corner before and after c in its face.
static int prima(const Maglia &m, const Attorno &a, int c)
{
    const FacciaLetta &f = m.facce[(size_t)a.faccia[(size_t)c]];
    return m.angoli[(size_t)(f.primo + (c - f.primo + f.numvertici - 1) % f.numvertici)];
}
static int dopo(const Maglia &m, const Attorno &a, int c)
{
    const FacciaLetta &f = m.facce[(size_t)a.faccia[(size_t)c]];
    return m.angoli[(size_t)(f.primo + (c - f.primo + 1) % f.numvertici)];
}

// Newell's normal, from the first corner so that a mesh far from the origin
// keeps its digits.
static void normale_faccia(const Maglia &m, const FacciaLetta &f, double *n)
{
    const double *o = m.punti[(size_t)m.angoli[(size_t)f.primo]].pos;
    n[0] = n[1] = n[2] = 0.0;
    for (int k = 0; k < f.numvertici; k++) {
        double p[3], q[3];
        differenza(m.punti[(size_t)m.angoli[(size_t)(f.primo + k)]].pos, o, p);
        differenza(m.punti[(size_t)m.angoli[(size_t)(f.primo + (k + 1) % f.numvertici)]].pos, o, q);
        n[0] += (p[1] - q[1]) * (p[2] + q[2]);
        n[1] += (p[2] - q[2]) * (p[0] + q[0]);
        n[2] += (p[0] - q[0]) * (p[1] + q[1]);
    }
    const double l = lunghezza(n);
    for (int k = 0; k < 3; k++)
        n[k] = l > 0.0 && std::isfinite(l) ? n[k] / l : 0.0;
}

static void misura_attorno(const Maglia &m, Attorno &a)
{
    const size_t numangoli = m.angoli.size();
    a.inizio.assign(m.punti.size() + 1, 0);
    a.faccia.assign(numangoli, 0);
    a.normale.assign(3 * m.facce.size(), 0.0);
    for (size_t j = 0; j < m.facce.size(); j++) {
        const FacciaLetta &f = m.facce[j];
        normale_faccia(m, f, &a.normale[3 * j]);
        for (int k = 0; k < f.numvertici; k++) {
            a.faccia[(size_t)(f.primo + k)] = (int)j;
            a.inizio[(size_t)m.angoli[(size_t)(f.primo + k)] + 1]++;
        }
    }
    std::partial_sum(a.inizio.begin(), a.inizio.end(), a.inizio.begin());
    std::vector<int> posto(a.inizio.begin(), a.inizio.end() - 1);
    a.angoli.resize(numangoli);
    a.peso.resize(numangoli);
    for (size_t c = 0; c < numangoli; c++) {
        const int v = m.angoli[c];
        a.angoli[(size_t)posto[(size_t)v]++] = (int)c;
        double u[3], w[3];
        differenza(m.punti[(size_t)prima(m, a, (int)c)].pos, m.punti[(size_t)v].pos, u);
        differenza(m.punti[(size_t)dopo(m, a, (int)c)].pos, m.punti[(size_t)v].pos, w);
        const double x[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                             u[0] * w[1] - u[1] * w[0]};
        const double s = lunghezza(x);
        const double angolo = std::atan2(s, u[0] * w[0] + u[1] * w[1] + u[2] * w[2]);
        a.peso[c] = std::isfinite(angolo) ? angolo : 0.0;
    }
}

// Two corners at one vertex are one smooth vertex when their faces share an
// edge there and meet at no more than ANGOLO_SPIGOLO; a face of no area
// leans either way.
static bool lisci(const Maglia &m, const Attorno &a, int c, int d)
{
    const int fc = a.faccia[(size_t)c], fd = a.faccia[(size_t)d];
    if (fc == fd)
        return false;
    const int pc = prima(m, a, c), dc = dopo(m, a, c), pd = prima(m, a, d), dd = dopo(m, a, d);
    if (pc != pd && pc != dd && dc != pd && dc != dd)
        return false;
    const double *n = &a.normale[3 * (size_t)fc], *o = &a.normale[3 * (size_t)fd];
    const double coseno = n[0] * o[0] + n[1] * o[1] + n[2] * o[2];
    const bool piatta = (n[0] == 0.0 && n[1] == 0.0 && n[2] == 0.0) ||
                        (o[0] == 0.0 && o[1] == 0.0 && o[2] == 0.0);
    return piatta || coseno >= std::cos(ANGOLO_SPIGOLO * M_PI / 180.0);
}

static int radice(std::vector<int> &capo, int i)
{
    while (capo[(size_t)i] != i)
        i = capo[(size_t)i] = capo[(size_t)capo[(size_t)i]];
    return i;
}

// vertice[c]: the vertex corner c ends on once split. The first group of
// corners about v keeps v; the others are numbered on from m.punti.size()
// in the order of the vertices. Returns the count of vertices after.
static int dividi(const Maglia &m, const Attorno &a, std::vector<int> &vertice)
{
    int nuovi = (int)m.punti.size();
    vertice.assign(m.angoli.size(), 0);
    std::vector<int> capo, nome;
    for (size_t v = 0; v < m.punti.size(); v++) {
        const int *c = &a.angoli[(size_t)a.inizio[v]];
        const int d = a.inizio[v + 1] - a.inizio[v];
        capo.resize((size_t)d);
        std::iota(capo.begin(), capo.end(), 0);
        for (int i = 1; i < d; i++)
            for (int j = 0; j < i; j++)
                if (radice(capo, i) != radice(capo, j) && lisci(m, a, c[i], c[j]))
                    capo[(size_t)radice(capo, i)] = radice(capo, j);
        nome.assign((size_t)d, -1);
        for (int i = 0; i < d; i++) {
            const size_t r = (size_t)radice(capo, i);
            if (nome[r] < 0)
                nome[r] = i == 0 ? (int)v : nuovi++;
            vertice[(size_t)c[i]] = nome[r];
        }
    }
    return nuovi;
}

int punti_lisciati(const Maglia &m)
{
    Attorno a;
    misura_attorno(m, a);
    std::vector<int> vertice;
    return dividi(m, a, vertice);
}

void liscia(Maglia &m)
{
    Attorno a;
    misura_attorno(m, a);
    std::vector<int> vertice;
    const size_t prima_n = m.punti.size(), n = (size_t)dividi(m, a, vertice);
    m.punti.resize(n);
    std::vector<double> somma(3 * n, 0.0);
    for (size_t c = 0; c < m.angoli.size(); c++) {
        const size_t v = (size_t)vertice[c];
        if (v >= prima_n)
            m.punti[v] = m.punti[(size_t)m.angoli[c]];
        for (int k = 0; k < 3; k++)
            somma[3 * v + k] += a.peso[c] * a.normale[3 * (size_t)a.faccia[c] + k];
        m.angoli[c] = (int)v;
    }
    for (size_t v = 0; v < n; v++) {
        const double *s = &somma[3 * v];
        const double l = lunghezza(s);
        for (int k = 0; k < 3; k++)
            m.punti[v].normale[k] = l > 0.0 ? s[k] / l : 0.0;
    }
    m.normali = 1;
    m.saldata = 0;
}

// A smoothed mesh's split vertices count against the store: while they are
// too many it is fitted to fewer, in proportion; past PASSI_LISCIA passes to
// few enough triangles that three corners each fit.
constexpr int PASSI_LISCIA = 4;

bool adatta_liscia(Maglia &m)
{
    bool adattata = false;
    int limite = MAX_PUNTI;
    for (int passo = 0, n = punti_lisciati(m); n > MAX_PUNTI; passo++, n = punti_lisciati(m)) {
        const int punti = (int)m.punti.size();
        limite = std::max(3, std::min((int)((double)std::min(limite, punti) * MAX_PUNTI / n * 0.95),
                                      punti - 1));
        adattata = adatta_maglia(m, limite, passo < PASSI_LISCIA ? MAX_FACCE : MAX_PUNTI / 3 - 1) ||
                   adattata;
    }
    liscia(m);
    return adattata;
}
