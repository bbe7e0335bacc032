// bench_pacchetti.cpp: glTF (embedded buffers), GLB and 3MF files at the
// store's capacity read from their bytes in memory to a finished Maglia,
// each beside the floor that only parses the same JSON with RapidJSON, or
// inflates and parses the same XML with zlib and expat. Part of bench_core.
//
// The mesh is a band around a cylinder, 500 vertices around and 6 rings:
// 3000 vertices and 5000 triangles, as floats, the way exporters write them.
#include <benchmark/benchmark.h>
#include <expat.h>
#include <rapidjson/document.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <string>

#include "loading/formati.h"
#include "model/poliedro.h"
#include "tests/formats/pacchetti_prova.h"

namespace {

constexpr int ATTORNO = 500, ANELLI = 6;

prova::Triangoli fascia()
{
    prova::Triangoli t;
    for (int r = 0; r < ANELLI; r++)
        for (int i = 0; i < ATTORNO; i++) {
            const double a = 2 * M_PI * i / ATTORNO;
            t.pos.insert(t.pos.end(), {(float)std::cos(a), (float)std::sin(a), (float)(0.1 * r)});
        }
    for (int r = 0; r + 1 < ANELLI; r++)
        for (int i = 0; i < ATTORNO; i++) {
            const uint32_t a = r * ATTORNO + i, b = r * ATTORNO + (i + 1) % ATTORNO;
            t.tri.insert(t.tri.end(), {a, b, a + ATTORNO, b, b + ATTORNO, a + ATTORNO});
        }
    return t;
}

enum Pacchetto { GLTF, GLB, TREMF, NUM_PACCHETTI };
const char *const NOMI[NUM_PACCHETTI] = {"fascia.gltf", "fascia.glb", "fascia.3mf"};

const std::string &file_di(Pacchetto p)
{
    static std::string file[NUM_PACCHETTI];
    if (file[p].empty()) {
        const prova::Triangoli t = fascia();
        file[p] = p == GLTF ? prova::gltf_incorporato(t)
                  : p == GLB ? prova::glb_di(t)
                             : prova::pacchetto_3mf({{"3D/3dmodel.model", prova::modello_3mf(t)}});
    }
    return file[p];
}

Maglia maglia;
char errore[600];

bool leggi(Pacchetto p)
{
    const std::string &f = file_di(p);
    return leggi_maglia_terminata(NOMI[p], f.c_str(), f.size(), &maglia, errore, sizeof errore);
}

void lettura(benchmark::State &state, Pacchetto p)
{
    // Checked in the store before timing: every vertex and triangle read.
    if (!leggi(p)) {
        state.SkipWithError(errore);
        return;
    }
    const Maglia *m = &maglia;
    metti_in_scena(&m, 1);
    if (ElencoPoliedri[0].numpunti != ATTORNO * ANELLI ||
        ElencoPoliedri[0].numfacce != 2 * ATTORNO * (ANELLI - 1)) {
        state.SkipWithError("not the whole mesh");
        return;
    }
    std::memset(ElencoPoliedri, 0, sizeof ElencoPoliedri);
    state.SetLabel(std::to_string(file_di(p).size()) + " bytes");
    for (auto _ : state) {
        bool ok = leggi(p);
        benchmark::DoNotOptimize(ok);
        benchmark::ClobberMemory();
    }
}

uint32_t u32(const char *p)
{
    const unsigned char *b = (const unsigned char *)p;
    return (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
}

void floor_json(benchmark::State &state, Pacchetto p)
{
    const std::string &f = file_di(p);
    // The GLB's JSON chunk sits after the 20 bytes of headers.
    const char *json = p == GLB ? f.data() + 20 : f.data();
    const size_t n = p == GLB ? (size_t)u32(f.data() + 12) : f.size();
    for (auto _ : state) {
        rapidjson::Document d;
        d.Parse<rapidjson::kParseIterativeFlag>(json, n);
        bool ok = !d.HasParseError();
        benchmark::DoNotOptimize(ok);
    }
}

void floor_xml(benchmark::State &state)
{
    const std::string xml = prova::modello_3mf(fascia());
    const std::string deflato = prova::deflato(xml);
    std::string pieno;
    for (auto _ : state) {
        z_stream s{};
        inflateInit2(&s, -MAX_WBITS);
        pieno.resize(xml.size());
        s.next_in = (Bytef *)deflato.data();
        s.avail_in = (uInt)deflato.size();
        s.next_out = (Bytef *)&pieno[0];
        s.avail_out = (uInt)pieno.size();
        inflate(&s, Z_FINISH);
        inflateEnd(&s);
        XML_Parser x = XML_ParserCreateNS(nullptr, '|');
        bool ok = XML_Parse(x, pieno.data(), (int)pieno.size(), XML_TRUE) == XML_STATUS_OK;
        XML_ParserFree(x);
        benchmark::DoNotOptimize(ok);
    }
}

}  // namespace

static const int registrati = [] {
    benchmark::RegisterBenchmark("read_gltf", lettura, GLTF);
    benchmark::RegisterBenchmark("read_gltf_floor", floor_json, GLTF);
    benchmark::RegisterBenchmark("read_glb", lettura, GLB);
    benchmark::RegisterBenchmark("read_glb_floor", floor_json, GLB);
    benchmark::RegisterBenchmark("read_3mf", lettura, TREMF);
    benchmark::RegisterBenchmark("read_3mf_floor", floor_xml);
    return 0;
}();
