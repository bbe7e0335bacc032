// minimi.cpp: the floors the cases are divided by, and the slot-0 set-up.
#include "bench/minimi.h"

#include <cstddef>
#include <cstring>

#include "transform/trasforma.h"

Poliedro finito;

void conserva_finito()
{
    finito = ElencoPoliedri[0];
}

bool superficie_presente()
{
    return finito.numpunti > 0 && finito.numfacce > 0;
}

void copia_coda(Poliedro *dst, const Poliedro *src)
{
    const size_t da = offsetof(Poliedro, matrice);
    std::memcpy(reinterpret_cast<char *>(dst) + da,
                reinterpret_cast<const char *>(src) + da, sizeof(Poliedro) - da);
}

void copia_finito()
{
    Poliedro &p = ElencoPoliedri[0];
    p.numpunti = finito.numpunti;
    p.numfacce = finito.numfacce;
    std::memcpy(p.punti, finito.punti, sizeof(Punto) * finito.numpunti);
    std::memcpy(p.punti_trasformati, finito.punti_trasformati,
                sizeof(Punto) * finito.numpunti);
    std::memcpy(p.facce, finito.facce, sizeof(Faccia) * finito.numfacce);
    copia_coda(&p, &finito);
}

void prepara_slot0()
{
    copia_finito();
    Ruota_oggetto(0.3, 0.5, 0);
    Scala_oggetto(1.1, 0);
}

// Model and world space as one array per component.
struct Colonne {
    alignas(64) double px[MAX_PUNTI], py[MAX_PUNTI], pz[MAX_PUNTI], pw[MAX_PUNTI];
    alignas(64) double nx[MAX_PUNTI], ny[MAX_PUNTI], nz[MAX_PUNTI], nw[MAX_PUNTI];
    alignas(64) double qx[MAX_PUNTI], qy[MAX_PUNTI], qz[MAX_PUNTI], qw[MAX_PUNTI];
    alignas(64) double mx[MAX_PUNTI], my[MAX_PUNTI], mz[MAX_PUNTI], mw[MAX_PUNTI];
    alignas(64) int fa[MAX_FACCE], fb[MAX_FACCE], fc[MAX_FACCE];
    alignas(64) double fx[MAX_FACCE], fy[MAX_FACCE], fz[MAX_FACCE], fw[MAX_FACCE];
    double m[16];               // positions
    double n[16];               // normals
    double c[4], ct[4];         // centre, model and world
    int np, nf;
};
static Colonne col;

void recompute_floor(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    prepara_slot0();
    carica_ricalcolo();
    ApplicaTrasformazioni(0);
    ricalcola();
    if (!ricalcolo_come_slot0()) {
        state.SkipWithError("floor differs from ApplicaTrasformazioni");
        return;
    }
    for (auto _ : state) {
        ricalcola();
        benchmark::ClobberMemory();
    }
}

void key_recolour_floor(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    prepara_slot0();
    carica_colori();
    for (auto _ : state) {
        scrivi_colori();
        benchmark::ClobberMemory();
    }
}

void carica_ricalcolo()
{
    const Poliedro &p = ElencoPoliedri[0];
    col.np = p.numpunti;
    col.nf = p.numfacce;
    for (int i = 0; i < p.numpunti; i++) {
        const Punto &s = p.punti[i];
        col.px[i] = s.x, col.py[i] = s.y, col.pz[i] = s.z, col.pw[i] = s.w;
        col.nx[i] = s.nx, col.ny[i] = s.ny, col.nz[i] = s.nz, col.nw[i] = s.nw;
    }
    for (int j = 0; j < p.numfacce; j++) {
        col.fa[j] = p.facce[j].vertici[0];
        col.fb[j] = p.facce[j].vertici[1];
        col.fc[j] = p.facce[j].vertici[2];
    }
    std::memcpy(col.m, p.matrice.e, sizeof col.m);
    std::memcpy(col.n, p.matrice_normali.e, sizeof col.n);
    std::memcpy(col.c, p.centro, sizeof col.c);
}

// Same products, same order of sums, same cross product as the real code.
void ricalcola()
{
    const double *m = col.m;
    const double m0 = m[0], m1 = m[1], m2 = m[2], m3 = m[3], m4 = m[4], m5 = m[5],
                 m6 = m[6], m7 = m[7], m8 = m[8], m9 = m[9], m10 = m[10], m11 = m[11],
                 m12 = m[12], m13 = m[13], m14 = m[14], m15 = m[15];
    const double *n = col.n;
    const double n0 = n[0], n1 = n[1], n2 = n[2], n3 = n[3], n4 = n[4], n5 = n[5],
                 n6 = n[6], n7 = n[7], n8 = n[8], n9 = n[9], n10 = n[10], n11 = n[11],
                 n12 = n[12], n13 = n[13], n14 = n[14], n15 = n[15];
    const int np = col.np;
    for (int i = 0; i < np; i++) {
        const double x = col.px[i], y = col.py[i], z = col.pz[i], w = col.pw[i];
        col.qx[i] = m0 * x + m1 * y + m2 * z + m3 * w;
        col.qy[i] = m4 * x + m5 * y + m6 * z + m7 * w;
        col.qz[i] = m8 * x + m9 * y + m10 * z + m11 * w;
        col.qw[i] = m12 * x + m13 * y + m14 * z + m15 * w;
        const double a = col.nx[i], b = col.ny[i], c = col.nz[i], d = col.nw[i];
        col.mx[i] = n0 * a + n1 * b + n2 * c + n3 * d;
        col.my[i] = n4 * a + n5 * b + n6 * c + n7 * d;
        col.mz[i] = n8 * a + n9 * b + n10 * c + n11 * d;
        col.mw[i] = n12 * a + n13 * b + n14 * c + n15 * d;
    }
    for (int r = 0; r < 4; r++)
        col.ct[r] = m[4 * r] * col.c[0] + m[4 * r + 1] * col.c[1] +
                    m[4 * r + 2] * col.c[2] + m[4 * r + 3] * col.c[3];
    const int nf = col.nf;
    for (int j = 0; j < nf; j++) {
        const int a = col.fa[j], b = col.fb[j], c = col.fc[j];
        const double ax = col.qx[a], ay = col.qy[a], az = col.qz[a];
        const double bx = col.qx[b], by = col.qy[b], bz = col.qz[b];
        const double cx = col.qx[c], cy = col.qy[c], cz = col.qz[c];
        col.fx[j] = (ay - by) * (az - cz) - (ay - cy) * (az - bz);
        col.fy[j] = (az - bz) * (ax - cx) - (ax - bx) * (az - cz);
        col.fz[j] = (ax - bx) * (ay - cy) - (ay - by) * (ax - cx);
        col.fw[j] = 1.0;
    }
}

static bool uguale(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool ricalcolo_come_slot0()
{
    const Poliedro &p = ElencoPoliedri[0];
    for (int i = 0; i < col.np; i++) {
        const Punto &t = p.punti_trasformati[i];
        if (!uguale(t.x, col.qx[i]) || !uguale(t.y, col.qy[i]) || !uguale(t.z, col.qz[i]) ||
            !uguale(t.w, col.qw[i]) || !uguale(t.nx, col.mx[i]) || !uguale(t.ny, col.my[i]) ||
            !uguale(t.nz, col.mz[i]) || !uguale(t.nw, col.mw[i]))
            return false;
    }
    for (int j = 0; j < col.nf; j++) {
        const double *f = p.facce[j].normale;
        if (!uguale(f[0], col.fx[j]) || !uguale(f[1], col.fy[j]) ||
            !uguale(f[2], col.fz[j]) || !uguale(f[3], col.fw[j]))
            return false;
    }
    for (int r = 0; r < 4; r++)
        if (!uguale(p.centro_trasformato[r], col.ct[r]))
            return false;
    return true;
}

// The fill and edge colours of every face, side by side as the record holds
// them (colore then colore_bordo), written back into the records.
struct ColoriFaccia {
    float colore[4];
    float colore_bordo[4];
};
static ColoriFaccia colori_finali[MAX_POLIEDRI][MAX_FACCE];
static_assert(offsetof(Faccia, colore_bordo) == offsetof(Faccia, colore) + 4 * sizeof(float),
              "fill and edge colours are adjacent");

void carica_colori()
{
    for (int s = 0; s < MAX_POLIEDRI; s++)
        for (int f = 0; f < ElencoPoliedri[s].numfacce; f++)
            std::memcpy(&colori_finali[s][f], ElencoPoliedri[s].facce[f].colore,
                        sizeof(ColoriFaccia));
}

void scrivi_colori()
{
    for (int s = 0; s < MAX_POLIEDRI; s++) {
        Faccia *facce = ElencoPoliedri[s].facce;
        const ColoriFaccia *src = colori_finali[s];
        const int nf = ElencoPoliedri[s].numfacce;
        for (int f = 0; f < nf; f++)
            std::memcpy(facce[f].colore, &src[f], sizeof(ColoriFaccia));
    }
}
