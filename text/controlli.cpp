// controlli.cpp: the checks between every reader and its Maglia: room sized
// by the bytes left, each vertex, normal and colour as it comes, each face's
// indices (large faces cut into fans, progress told as they come), then the
// whole at the end (chiudi_maglia).
#include "text/lettura.h"

#include <algorithm>
#include <cmath>
#include <cstdio>


static_assert(MAX_DIMENSIONE_FILE < (1u << 31), "a file's vertices and corners are counted in int");

// Faces between two reports of how far reading has come.
constexpr size_t FACCE_PER_AVANZAMENTO = 1 << 16;

void riserva_punti(Lettura &l, long long dichiarati, size_t da, size_t byte_ciascuno)
{
    const size_t possibili = (l.dimensione - da) / byte_ciascuno;
    const size_t n = dichiarati < 0 ? 0 : (size_t)dichiarati < possibili ? (size_t)dichiarati
                                                                          : possibili;
    l.maglia->punti.reserve(l.maglia->punti.size() + n);
}

void riserva_facce(Lettura &l, long long dichiarati, size_t da, size_t byte_ciascuno,
                   int angoli_ciascuna)
{
    const size_t possibili = (l.dimensione - da) / byte_ciascuno;
    const size_t n = dichiarati < 0 ? 0 : (size_t)dichiarati < possibili ? (size_t)dichiarati
                                                                          : possibili;
    Maglia &m = *l.maglia;
    m.facce.reserve(m.facce.size() + n);
    m.angoli.reserve(m.angoli.size() + n * (size_t)angoli_ciascuna);
}

PuntoLetto *aggiungi_punto(Lettura &l, Luogo dove, const double pos[3])
{
    for (int k = 0; k < 3; k++) {
        if (!std::isfinite(pos[k])) {
            errore(l, dove, "a vertex coordinate is not a finite number");
            return nullptr;
        }
        if (std::fabs(pos[k]) > COORDINATA_MASSIMA) {
            errore(l, dove, "vertex coordinate %g is beyond %g", pos[k], COORDINATA_MASSIMA);
            return nullptr;
        }
    }
    PuntoLetto &p = l.maglia->punti.emplace_back();   // zero: no normal, no colour
    for (int k = 0; k < 3; k++)
        p.pos[k] = pos[k];
    return &p;
}

bool controlla_normale(Lettura &l, Luogo dove, const double n[3])
{
    for (int k = 0; k < 3; k++)
        if (!std::isfinite(n[k]) || std::fabs(n[k]) > COORDINATA_MASSIMA)
            return errore(l, dove, "a vertex normal is not a finite number within 1e30");
    return true;
}

bool converti_colore(Lettura &l, Luogo dove, const double *c, float rgb[3])
{
    bool byte = false;
    for (int k = 0; k < 3; k++) {
        if (!std::isfinite(c[k]) || c[k] < 0.0)
            return errore(l, dove, "a colour component is negative or not a number");
        if (c[k] > 1.0)
            byte = true;
    }
    for (int k = 0; k < 3; k++) {
        const double v = byte ? c[k] / 255.0 : c[k];
        rgb[k] = (float)(v > 1.0 ? 1.0 : v);
    }
    return true;
}

int togli_ripetuti(int *v, int n, int *allegati)
{
    int k = 0;
    for (int i = 0; i < n; i++)
        if (k == 0 || v[i] != v[k - 1]) {
            v[k] = v[i];
            if (allegati)
                allegati[k] = allegati[i];
            k++;
        }
    while (k > 1 && v[k - 1] == v[0])
        k--;
    return k;
}

// How far the reader has come: the byte of a binary record, the cursor's
// byte in text.
static void avanza(Lettura &l, Luogo dove)
{
    const size_t letti = dove.tipo == Luogo::BYTE ? dove.n : byte_letti(l, l.c);
    l.avanzamento(l.chi, l.dimensione ? (double)letti / (double)l.dimensione : 1.0);
}

bool aggiungi_faccia(Lettura &l, Luogo dove, const int *indici, int n, int base,
                     const float *rgb)
{
    Maglia &m = *l.maglia;
    const int numpunti = (int)m.punti.size();
    for (int k = 0; k < n; k++)
        if (indici[k] < 0 || indici[k] >= numpunti)
            return errore(l, dove, "vertex index %lld is outside the %d vertices (%d to %d)",
                          (long long)indici[k] + base, numpunti, base, numpunti - 1 + base);
    if (n < 3)
        return true;   // a point or a segment: no face
    if (n == 3) {
        // Most faces: a triangle with two equal corners is no face.
        if (indici[0] == indici[1] || indici[1] == indici[2] || indici[2] == indici[0])
            return true;
        FacciaLetta &f = m.facce.emplace_back();
        f.primo = (int)m.angoli.size();
        f.numvertici = 3;
        m.angoli.insert(m.angoli.end(), indici, indici + 3);
        f.colorata = rgb != nullptr;
        for (int k = 0; k < 3; k++)
            f.colore[k] = rgb ? rgb[k] : 0.0f;
        if (l.avanzamento && m.facce.size() % FACCE_PER_AVANZAMENTO == 0)
            avanza(l, dove);
        return true;
    }
    // Repeated neighbours say nothing about the shape. Most faces are small:
    // their corners stay on the stack.
    int piccola[MAX_VERTICI];
    if (n > MAX_VERTICI && l.distinti.size() < (size_t)n)
        l.distinti.resize((size_t)n);
    int *v = n > MAX_VERTICI ? l.distinti.data() : piccola;
    std::memcpy(v, indici, (size_t)n * sizeof *v);
    const int nv = togli_ripetuti(v, n, nullptr);
    if (nv < 3)
        return true;   // a point or a segment: no face
    // A fan from v[0]: each piece takes up to MAX_VERTICI - 2 more corners
    // past the one it shares with the piece before.
    for (int primo = 1; primo < nv - 1;) {
        const int ultimo = primo + (MAX_VERTICI - 2) < nv - 1 ? primo + (MAX_VERTICI - 2) : nv - 1;
        FacciaLetta &f = m.facce.emplace_back();
        f.primo = (int)m.angoli.size();
        f.numvertici = ultimo - primo + 2;
        m.angoli.push_back(v[0]);
        for (int k = primo; k <= ultimo; k++)
            m.angoli.push_back(v[k]);
        f.colorata = rgb != nullptr;
        for (int k = 0; k < 3; k++)
            f.colore[k] = rgb ? rgb[k] : 0.0f;
        primo = ultimo;
        if (l.avanzamento && m.facce.size() % FACCE_PER_AVANZAMENTO == 0)
            avanza(l, dove);
    }
    return true;
}

static bool girano(const Maglia &m, int a, int b, int c)
{
    return gira(m.punti[a].pos, m.punti[b].pos, m.punti[c].pos) > 0.0;
}

bool chiudi_maglia(Lettura &l)
{
    Maglia &m = *l.maglia;
    if (m.facce.empty())
        return errore(l, NEL_FILE, "no face: nothing to show");
    bool esteso = false;
    const size_t numpunti = m.punti.size();
    for (size_t i = 1; i < numpunti && !esteso; i++)
        for (int k = 0; k < 3; k++)
            if (m.punti[i].pos[k] != m.punti[0].pos[k])
                esteso = true;
    if (!esteso)
        return errore(l, NEL_FILE, "every vertex is at the same point: nothing to show");
    for (FacciaLetta &f : m.facce) {
        int *v = &m.angoli[(size_t)f.primo];
        const int n = f.numvertici;
        if (!f.colorata && m.colori_punti) {
            float s[3] = {0.0f, 0.0f, 0.0f};
            for (int k = 0; k < n; k++)
                for (int c = 0; c < 3; c++)
                    s[c] += m.punti[v[k]].colore[c];
            for (int c = 0; c < 3; c++)
                f.colore[c] = s[c] / (float)n;
            f.colorata = 1;
        }
        if (girano(m, v[0], v[1], v[2]))
            continue;
        // The normal comes from the first three corners: start where they turn.
        for (int s = 1; s < n; s++) {
            if (girano(m, v[s], v[(s + 1) % n], v[(s + 2) % n])) {
                int ruotati[MAX_VERTICI];
                for (int k = 0; k < n; k++)
                    ruotati[k] = v[(s + k) % n];
                for (int k = 0; k < n; k++)
                    v[k] = ruotati[k];
                break;
            }
        }
    }
    return true;
}
