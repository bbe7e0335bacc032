// bench_core.cpp: the GL-free cases (start-up build, recompute, drag step
// through the transformations, key recolouring) beside their floors.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/floors.h"
#include "data/superficie.h"
#include "model/colori.h"
#include "model/poliedro.h"
#include "transform/trasforma.h"


static void startup_build(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    for (auto _ : state) {
        inizializza_poliedro();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(startup_build);

// The finished tables copied into the slot: what start-up writes, no more.
static void startup_build_floor(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    Poliedro &p = ElencoPoliedri[0];
    for (auto _ : state) {
        p.numfacce = finito.numfacce;
        p.numpunti = finito.numpunti;
        std::memcpy(p.punti, finito.punti, sizeof(Punto) * finito.numpunti);
        std::memcpy(p.punti_trasformati, finito.punti_trasformati,
                    sizeof(Punto) * finito.numpunti);
        std::memcpy(p.facce, finito.facce, sizeof(Faccia) * finito.numfacce);
        copia_coda(&p, &finito);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(startup_build_floor);

static void recompute(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    prepara_slot0();
    for (auto _ : state) {
        ApplicaTrasformazioni(0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(recompute);

BENCHMARK(recompute_floor);

// What rotazione_mouse does besides asking for a redisplay.
static void drag_rotate_core(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    prepara_slot0();
    ApplicaTrasformazioni(0);
    long k = 0;
    for (auto _ : state) {
        // Three pixels right and two down, then back: the object rocks.
        const double dx = (k & 1) ? -3.0 : 3.0;
        const double dy = (k & 1) ? -2.0 : 2.0;
        Ruota_oggetto(dy / 100.0, dx / 100.0, 0);
        ApplicaTrasformazioni(0);
        benchmark::ClobberMemory();
        k++;
    }
}
BENCHMARK(drag_rotate_core);

// What riscalamento_mouse does besides asking for a redisplay.
static void drag_rescale_core(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    prepara_slot0();
    ApplicaTrasformazioni(0);
    static Poliedro inizio;
    copia_coda(&inizio, &ElencoPoliedri[0]);
    long k = 0;
    for (auto _ : state) {
        // Ten pixels up, then ten down: 1.1 and 0.9 lose 1 % a pair, so the
        // matrices go back to where they started every 64 steps.
        if ((k & 63) == 0)
            copia_coda(&ElencoPoliedri[0], &inizio);
        const double dy = (k & 1) ? 10.0 : -10.0;
        Scala_oggetto(1.0 - dy / 100.0, 0);
        ApplicaTrasformazioni(0);
        benchmark::ClobberMemory();
        k++;
    }
}
BENCHMARK(drag_rescale_core);

// The ending every ordinary key shares: every face of every slot recoloured
// from its own letter.
static void key_recolour(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    prepara_slot0();
    for (auto _ : state) {
        for (int s = 0; s < MAX_POLIEDRI; s++)
            for (int f = 0; f < ElencoPoliedri[s].numfacce; f++)
                colorafaccia(s, f, ElencoPoliedri[s].facce[f].codicecolore);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(key_recolour);

static void key_recolour_floor(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    prepara_slot0();
    carica_colori();
    for (auto _ : state) {
        scrivi_colori();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(key_recolour_floor);

int main(int argc, char **argv)
{
    inizializza_poliedro();
    conserva_finito();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
