// minimi.h: the floors shared by the GL-free and the GL benchmark programs,
// and the slot-0 set-up every case starts from.
//
// A floor does the useful work of its case, reading and writing the same
// bytes, with nothing in the way: no call per element, no guards, arrays laid
// out for the loop. Each floor checks once that it produced exactly what the
// case produced, so a ratio never compares unequal work.
#ifndef SUPERFICIE_BENCH_MINIMI_H
#define SUPERFICIE_BENCH_MINIMI_H

#include <benchmark/benchmark.h>

#include "model/poliedro.h"

// Skips a case whose slot 0 is empty (the surface did not build).
#define RICHIEDE_SUPERFICIE(state)                                    \
    do {                                                              \
        if (!superficie_presente()) {                                 \
            (state).SkipWithError("not available: slot 0 is empty"); \
            return;                                                   \
        }                                                             \
    } while (0)

// Slot 0 as start-up left it; filled by conserva_finito().
extern Poliedro finito;
void conserva_finito();
bool superficie_presente();

// Everything of a record from the matrices on (matrices, centres, radius,
// liscio, scala): small, copied whole.
void copia_coda(Poliedro *dst, const Poliedro *src);

// Slot 0's tables, vertices in both spaces, faces and the rest of the record
// copied back from finito: the start-up build's floor.
void copia_finito();

// Slot 0 back as start-up left it, then one turn and one scaling, so that a
// recomputation multiplies by matrices with no zero or unit entries.
void prepara_slot0();

// Recompute floor: slot 0's model space and matrices, one array per
// component. carica_ricalcolo copies them in; ricalcola runs the floor;
// ricalcolo_come_slot0 tells whether its results equal, bit for bit, what
// ApplicaTrasformazioni(0) left in slot 0.
void carica_ricalcolo();
void ricalcola();
bool ricalcolo_come_slot0();

// Key floor: the fill and edge colours every face of every slot ends up
// with after a recolouring, written into the records by scrivi_colori.
// The recompute floor as a benchmark case, for both programs.
void recompute_floor(benchmark::State &state);

void carica_colori();
void key_recolour_floor(benchmark::State &state);
void scrivi_colori();

#endif
