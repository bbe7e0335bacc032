// bench_core.cpp: the GL-free cases (start-up build, recompute, drag step
// through the transformations, key recolouring) beside their floors.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/minimi.h"
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
    for (auto _ : state) {
        copia_finito();
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

// The ending every ordinary key shares: every face of every slot recoloured
// from its own letter.
static void key_recolour(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    prepara_slot0();
    for (auto _ : state) {
        ricolora_facce();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(key_recolour);

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
