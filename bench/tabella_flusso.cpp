// tabella_flusso.cpp: the floats a frame issues, converted as display()
// converts them, so that the floor hands GL the very same values.
#include "bench/flusso.h"

#include "model/poliedro.h"
#include "viewer/finestra.h"

Flusso TabellaFlusso::flusso() const
{
    return Flusso{(int)inizio.size() - 1, inizio.data(),       angoli.data(),
                  sollevati.data(),       colori.data(),       colori_bordo.data(),
                  bordi_faccia.empty() ? nullptr : bordi_faccia.data()};
}

static void aggiungi_facce(TabellaFlusso &t, const Poliedro &p)
{
    const int nf = p.numfacce < MAX_FACCE ? p.numfacce : MAX_FACCE;
    for (int f = 0; f < nf; f++) {
        const Faccia &fa = p.facce[f];
        const int n = fa.numvertici < MAX_VERTICI ? fa.numvertici : MAX_VERTICI;
        for (int k = 0; k < n; k++) {
            const Punto &v = p.punti_trasformati[fa.vertici[k]];
            if (p.liscio != 0)
                t.angoli.insert(t.angoli.end(), {(float)v.nx, (float)v.ny, (float)v.nz});
            else
                t.angoli.insert(t.angoli.end(), {(float)fa.normale[0], (float)fa.normale[1],
                                                 (float)fa.normale[2]});
            t.angoli.insert(t.angoli.end(), {(float)v.x, (float)v.y, (float)v.z});
            // Lifted in double before the conversion, as the viewer does.
            t.sollevati.insert(t.sollevati.end(),
                               {(float)v.x, (float)v.y, (float)(v.z + SOLLEVO_BORDI)});
        }
        t.inizio.push_back((int)t.inizio.back() + n);
        t.colori.insert(t.colori.end(), fa.colore, fa.colore + 4);
        t.colori_bordo.insert(t.colori_bordo.end(), fa.colore_bordo, fa.colore_bordo + 4);
    }
}

TabellaFlusso tabella_flusso(const Poliedro &p)
{
    TabellaFlusso t;
    t.inizio.push_back(0);
    aggiungi_facce(t, p);
    return t;
}

TabellaFlusso tabella_scena(bool bordi)
{
    TabellaFlusso t;
    t.inizio.push_back(0);
    for (int slot = 0; slot < MAX_POLIEDRI; slot++) {
        const Poliedro &p = ElencoPoliedri[slot];
        const size_t prima = t.inizio.size();
        aggiungi_facce(t, p);
        t.bordi_faccia.insert(t.bordi_faccia.end(), t.inizio.size() - prima,
                              p.liscio == 0 || bordi);
    }
    return t;
}
