// bench_formati.cpp: a file at the store's capacity read from its bytes in
// memory to a finished Maglia, in each format, beside the floor that only
// finds the same numbers in the same bytes; and one full Maglia built into
// the scene, beside the scene's bytes written from a copy. Part of bench_core.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/minimi.h"
#include "bench/maglie_prova.h"
#include "loading/formati.h"
#include "model/poliedro.h"

namespace {

const char *const NOMI[NUM_FORMATI_PROVA] = {"off",        "obj",        "ply_ascii",
                                              "ply_binary", "stl_binary", "stl_ascii"};

// Made once, outside any timing.
const FileProva &file_di(FormatoProva f)
{
    static FileProva file[NUM_FORMATI_PROVA];
    static bool fatto[NUM_FORMATI_PROVA];
    if (!fatto[f]) {
        file[f] = file_prova(f);
        fatto[f] = true;
    }
    return file[f];
}

Maglia maglia;                  // kept from run to run, as the viewer keeps its own
char errore_lettura[600];

bool leggi(const FileProva &file)
{
    return leggi_maglia_terminata(file.nome, file.dati.c_str(), file.dati.size(), &maglia, errore_lettura,
                        sizeof errore_lettura);
}

void salta(benchmark::State &state, const std::string &perche)
{
    static std::string testo[16];
    static int k = 0;
    std::string &t = testo[k++ % 16];
    t = perche;
    state.SkipWithError(t.c_str());
}

void lettura(benchmark::State &state, FormatoProva f)
{
    const FileProva &file = file_di(f);
    if (!leggi(file)) {
        salta(state, errore_lettura);
        return;
    }
    state.SetLabel(std::to_string(file.dati.size()) + " bytes");
    for (auto _ : state) {
        bool ok = leggi(file);
        benchmark::DoNotOptimize(ok);
        benchmark::ClobberMemory();
    }
}

// Checked before timing: the numbers it finds are the very ones the reader
// put in the Maglia, so the two did the same reading.
void lettura_floor(benchmark::State &state, FormatoProva f)
{
    const FileProva &file = file_di(f);
    std::vector<double> v(numeri_massimi(file));
    if (!leggi(file)) {
        salta(state, errore_lettura);
        return;
    }
    std::string perche;
    if (!come_floor(f, file, v.data(), numeri_file(f, file, v.data()), maglia, &perche)) {
        salta(state, "floor differs from the reader: " + perche);
        return;
    }
    for (auto _ : state) {
        size_t n = numeri_file(f, file, v.data());
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
}

const int registrati = [] {
    for (int f = 0; f < NUM_FORMATI_PROVA; f++) {
        const std::string nome = std::string("read_") + NOMI[f];
        benchmark::RegisterBenchmark(nome.c_str(), lettura, (FormatoProva)f);
        benchmark::RegisterBenchmark((nome + "_floor").c_str(), lettura_floor, (FormatoProva)f);
    }
    return 0;
}();

// The scene as start-up leaves it for the other cases: only the surface.
void scena_iniziale()
{
    std::memset(ElencoPoliedri, 0, sizeof ElencoPoliedri);
    copia_finito();
}

// The OFF torus, read once: 3000 vertices and 5000 faces, 1000 of them quads.
bool maglia_piena(benchmark::State &state)
{
    if (!leggi(file_di(OFF_TESTO))) {
        salta(state, errore_lettura);
        return false;
    }
    return true;
}

} // namespace

static void scene_one_file(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    if (!maglia_piena(state))
        return;
    const Maglia *m = &maglia;
    for (auto _ : state) {
        metti_in_scena(&m, 1);
        benchmark::ClobberMemory();
    }
    scena_iniziale();
}
BENCHMARK(scene_one_file);

// What metti_in_scena leaves: every slot emptied, then slot 0's vertices in
// both spaces, its faces and the rest of its record, copied from the result.
static void scene_one_file_floor(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    if (!maglia_piena(state))
        return;
    const Maglia *m = &maglia;
    metti_in_scena(&m, 1);
    static Poliedro fatto;
    fatto = ElencoPoliedri[0];
    auto scrivi = [] {
        std::memset(ElencoPoliedri, 0, sizeof ElencoPoliedri);
        Poliedro &p = ElencoPoliedri[0];
        p.numpunti = fatto.numpunti;
        p.numfacce = fatto.numfacce;
        std::memcpy(p.punti, fatto.punti, sizeof(Punto) * fatto.numpunti);
        std::memcpy(p.punti_trasformati, fatto.punti_trasformati, sizeof(Punto) * fatto.numpunti);
        std::memcpy(p.facce, fatto.facce, sizeof(Faccia) * fatto.numfacce);
        copia_coda(&p, &fatto);
    };
    scrivi();
    bool uguale = std::memcmp(&ElencoPoliedri[0], &fatto, sizeof fatto) == 0;
    for (int s = 1; s < MAX_POLIEDRI; s++)
        for (size_t i = 0; i < sizeof(Poliedro) && uguale; i++)
            uguale = reinterpret_cast<const char *>(&ElencoPoliedri[s])[i] == 0;
    if (!uguale) {
        salta(state, "floor scene differs from metti_in_scena's");
        scena_iniziale();
        return;
    }
    for (auto _ : state) {
        scrivi();
        benchmark::ClobberMemory();
    }
    scena_iniziale();
}
BENCHMARK(scene_one_file_floor);
