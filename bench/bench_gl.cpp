// bench_gl.cpp: the cases that need the viewer's window: one frame in four
// states against two floors (the viewer's own primitive stream from a float
// table, and the same triangles as one glBegin(GL_TRIANGLES)), drag steps
// through the real handlers, and the whole keyboard callback.
//
// The window is opened as start-up opens it and drawn once by the event loop
// before anything is timed. Every frame ends with glFinish, so a time is the
// whole frame, rasterisation and the copy to the X server included.
#include <benchmark/benchmark.h>

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "bench/minimi.h"
#include "bench/maglie_prova.h"
#include "bench/flusso.h"
#include "data/superficie.h"
#include "loading/formati.h"
#include "input/input.h"
#include "model/poliedro.h"
#include "transform/trasforma.h"
#include "viewer/finestra.h"
#include "viewer/scena.h"
#include "state/vista.h"


static int disegnati = 0;     // frames the event loop has drawn

static void display_contato()
{
    display();
    disegnati++;
}

// ---- frames -------------------------------------------------------------------

static void un_fotogramma()
{
    display();
    glFinish();
}

static void inizio_fotogramma()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, (float)-DISTANZA_OCCHIO);
    glEnable(GL_NORMALIZE);
}

// The one-glBegin floor: the same triangles, lit the same way from the same
// world-space normals, as one primitive from a float array made beforehand.
static void triangoli_floor(const std::vector<float> &angoli, const float *colore)
{
    inizio_fotogramma();
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, colore);
    glColor4fv(colore);
    glBegin(GL_TRIANGLES);
    const int n = (int)angoli.size() / 6;
    for (int i = 0; i < n; i++) {
        glNormal3fv(&angoli[6 * i]);
        glVertex3fv(&angoli[6 * i + 3]);
    }
    glEnd();
}

static std::vector<unsigned char> leggi_fotogramma()
{
    std::vector<unsigned char> rgb(3 * (size_t)screen_width * (size_t)screen_height);
    // Mesa's software path swaps by copying: the back buffer still holds the
    // frame just shown, and no other window can cover it.
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, screen_width, screen_height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// A one-glBegin floor pixel may differ from the viewer's by rounding alone:
// the viewer converts each double as it draws, the floor converted it beforehand.
constexpr int SCARTO_CANALE = 2;        // per colour channel, of 255
constexpr double PIXEL_DIVERSI_MAX = 0.001;  // share of the window allowed to differ

// The pixels of `floor` more than `scarto` from the viewer's in a channel;
// *disegnati: the viewer's pixels other than the grey background, since two
// empty frames would also agree.
static long pixel_diversi(const std::vector<unsigned char> &visore,
                          const std::vector<unsigned char> &floor, int scarto, long *disegnati)
{
    long diversi = 0;
    *disegnati = 0;
    for (size_t i = 0; i + 2 < floor.size(); i += 3) {
        bool diverso = false;
        for (int c = 0; c < 3; c++)
            diverso |= std::abs((int)floor[i + c] - (int)visore[i + c]) > scarto;
        diversi += diverso;
        *disegnati += !(visore[i] == 128 && visore[i + 1] == 128 && visore[i + 2] == 128) &&
                      !(visore[i] == 127 && visore[i + 1] == 127 && visore[i + 2] == 127);
    }
    return diversi;
}

// ---- the viewer's frame beside both floors, in turn ------------------------------
//
// One frame of each per iteration, in a shuffled order, so that whatever
// else runs on the machine, and whichever frame came before, slows all three
// alike; each frame is timed on its
// own and the medians go out as counters, in ms: wall time to glFinish, and
// CPU time of the whole process (rasteriser threads included).
//
// The stream floor (disegna_flusso) hands GL the very values display()
// hands it, so its frame must equal the viewer's pixel for pixel; that is
// checked once before timing. The one-glBegin floor draws what the viewer
// draws with the shadows off, so it is checked in that state, up to rounding.

struct Tempi {
    std::vector<double> reale, cpu;
};

static double mediana(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

static double cpu_processo_ms()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

static double adesso_ms()
{
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

template <class Disegno>
static void cronometra(Tempi &t, Disegno disegna)
{
    const double r0 = adesso_ms(), c0 = cpu_processo_ms();
    disegna();
    glFinish();
    t.reale.push_back(adesso_ms() - r0);
    t.cpu.push_back(cpu_processo_ms() - c0);
}

// Four files at the store's capacity, as `superficie A B C D` starts with
// them: the OFF torus of 3000 vertices and 5000 faces, read by the reader,
// in every slot. Flat, so every edge is drawn.
static bool quattro_file(benchmark::State &state)
{
    static Maglia maglia;
    char errore[600];
    const FileProva file = file_prova(OFF_TESTO);
    if (!leggi_maglia(file.nome, file.dati.data(), file.dati.size(), &maglia, errore,
                      sizeof errore)) {
        static std::string perche;
        perche = errore;
        state.SkipWithError(perche.c_str());
        return false;
    }
    const Maglia *maglie[MAX_POLIEDRI] = {&maglia, &maglia, &maglia, &maglia};
    metti_in_scena(maglie, MAX_POLIEDRI);
    return true;
}

// Slot 0 in the state that key `avanti` sets; `indietro` undoes it
// afterwards (0: no key). With `scena`, the four files instead, against the
// stream floor alone: the one-glBegin floor draws one object's triangles.
static void fotogrammi_a_turno(benchmark::State &state, unsigned char avanti,
                               unsigned char indietro, bool scena = false)
{
    RICHIEDE_SUPERFICIE(state);
    if (scena) {
        if (!quattro_file(state))
            return;
    } else {
        prepara_slot0();
        ApplicaTrasformazioni(0);
    }
    if (avanti)
        keyboard(avanti, 0, 0);
    // Only the surface in the scene again, as the other cases expect.
    auto ripristina = [&] {
        if (indietro)
            keyboard(indietro, 0, 0);
        if (scena) {
            std::memset(ElencoPoliedri, 0, sizeof ElencoPoliedri);
            copia_finito();
        }
    };
    const Poliedro &p = ElencoPoliedri[0];
    const TabellaFlusso tabella = scena ? tabella_scena(bordi == 1) : tabella_flusso(p);
    const Flusso s = tabella.flusso();
    const bool con_ombre = ombra == 1, con_bordi = p.liscio == 0 || bordi == 1;
    const std::vector<float> &angoli = tabella.angoli;
    const float *colore = p.facce[0].colore;

    un_fotogramma();
    const std::vector<unsigned char> visore = leggi_fotogramma();
    disegna_flusso(s, con_ombre, con_bordi);
    glFinish();
    long disegnati_px;
    const long diversi = pixel_diversi(visore, leggi_fotogramma(), 0, &disegnati_px);
    long diversi_bulk = 0;
    if (!scena && !con_ombre && !con_bordi) {
        triangoli_floor(angoli, colore);     // read back before any swap
        glFinish();
        long ignorati;
        diversi_bulk = pixel_diversi(visore, leggi_fotogramma(), SCARTO_CANALE, &ignorati);
    }
    if (diversi > 0 || disegnati_px == 0 ||
        diversi_bulk > PIXEL_DIVERSI_MAX * visore.size() / 3) {
        static std::string perche;
        perche = disegnati_px == 0 ? std::string("the viewer's frame is empty")
                 : diversi > 0     ? "stream floor differs from the viewer's frame in " +
                                     std::to_string(diversi) + " px"
                                   : "one-glBegin floor differs from the viewer's frame in " +
                                     std::to_string(diversi_bulk) + " px";
        state.SkipWithError(perche.c_str());
        ripristina();
        return;
    }

    Tempi t[3];                 // viewer, stream floor, one-glBegin floor
    int ordine[3] = {0, 1, 2};
    const int disegni = scena ? 2 : 3;
    std::mt19937 caso(1);
    for (auto _ : state) {
        std::shuffle(ordine, ordine + disegni, caso);
        for (int i = 0; i < disegni; i++)
            switch (ordine[i]) {
            case 0:
                cronometra(t[0], display);
                break;
            case 1:
                cronometra(t[1], [&] { disegna_flusso(s, con_ombre, con_bordi); });
                break;
            default:
                cronometra(t[2], [&] {
                    triangoli_floor(angoli, colore);
                    glFlush();
                    glutSwapBuffers();
                });
                break;
            }
    }
    ripristina();
    const char *nomi[3] = {"viewer", "stream", "bulk"};
    for (int j = 0; j < disegni; j++) {
        state.counters[std::string(nomi[j]) + "_ms"] = mediana(t[j].reale);
        state.counters[std::string(nomi[j]) + "_cpu_ms"] = mediana(t[j].cpu);
    }
}

static void frames_default(benchmark::State &state) { fotogrammi_a_turno(state, 0, 0); }
static void frames_shadows_off(benchmark::State &state) { fotogrammi_a_turno(state, 'o', 'o'); }
static void frames_edges_on(benchmark::State &state) { fotogrammi_a_turno(state, 'b', 'b'); }
// "j": blending on, depth test off, alpha 0.75; "u" goes back to opaque.
static void frames_transparency_on(benchmark::State &state) { fotogrammi_a_turno(state, 'j', 'u'); }
BENCHMARK(frames_default)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(frames_shadows_off)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(frames_edges_on)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(frames_transparency_on)->Unit(benchmark::kMillisecond)->UseRealTime();
static void frames_four_files(benchmark::State &state) { fotogrammi_a_turno(state, 0, 0, true); }
BENCHMARK(frames_four_files)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- drag steps through the real handlers (the redisplay they post is only
// a flag here: no event is run while timing) ---------------------------------------

static void drag_rotate(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    prepara_slot0();
    ApplicaTrasformazioni(0);
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 500, 330);
    long k = 0;
    for (auto _ : state) {
        // Three pixels right and two down, then back: the object rocks.
        if (k & 1)
            rotazione_mouse(500, 330);
        else
            rotazione_mouse(503, 332);
        benchmark::ClobberMemory();
        k++;
    }
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 500, 330);
    sinistro = 1;                  // as at start, so frames keep installing the turn
}
BENCHMARK(drag_rotate);

static void drag_rescale(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    prepara_slot0();
    ApplicaTrasformazioni(0);
    static Poliedro inizio;
    copia_coda(&inizio, &ElencoPoliedri[0]);
    mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 500, 330);
    long k = 0;
    for (auto _ : state) {
        // Ten pixels up, then ten down: 1.1 and 0.9 lose 1 % a pair, so the
        // matrices go back to where they started every 64 steps.
        if ((k & 63) == 0)
            copia_coda(&ElencoPoliedri[0], &inizio);
        if (k & 1)
            riscalamento_mouse(500, 330);
        else
            riscalamento_mouse(500, 320);
        benchmark::ClobberMemory();
        k++;
    }
    mouse(GLUT_RIGHT_BUTTON, GLUT_UP, 500, 330);
}
BENCHMARK(drag_rescale);

// ---- a drag as the user sees it: a step and its frame, for the built-in
// surface (0), a fitted scan-like mesh (1: a bumpy sphere of 80000
// triangles, smooth) and a fitted part-like one (2: 25 boxes of 768
// triangles, creased), both as STL files are shown -------------------------------

static void punto_maglia(Maglia &m, double x, double y, double z)
{
    PuntoLetto &p = m.punti.emplace_back();
    p = PuntoLetto{{x, y, z}, {0.0, 0.0, 0.0}, {0.0f, 0.0f, 0.0f}};
}
static void triangolo_maglia(Maglia &m, int a, int b, int c)
{
    m.facce.push_back(FacciaLetta{(int)m.angoli.size(), 3, {0.0f, 0.0f, 0.0f}, 0});
    m.angoli.insert(m.angoli.end(), {a, b, c});
}

static void maglia_grande(Maglia &m, int quale)
{
    m = Maglia{};
    m.stampa = 1;
    const int u = quale == 1 ? 82 : 8, v = u;   // quads a side
    for (int pezzo = 0; pezzo < (quale == 1 ? 1 : 25); pezzo++) {
        const double ox = 3.0 * (pezzo % 5), oy = 3.0 * (pezzo / 5);
        for (int lato = 0; lato < 6; lato++) {
            const int asse = lato / 2, base = (int)m.punti.size();
            const double segno = lato % 2 ? 1.0 : -1.0;
            for (int i = 0; i <= u; i++)
                for (int j = 0; j <= v; j++) {
                    double p[3];
                    p[asse] = segno;
                    p[(asse + 1) % 3] = segno * (2.0 * i / u - 1.0);
                    p[(asse + 2) % 3] = 2.0 * j / v - 1.0;
                    // The sphere: the cube's points pushed out, with bumps.
                    const double r = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
                    const double k = quale == 1 ? (1.0 + 0.1 * std::sin(5 * p[0]) * std::sin(4 * p[1])) / r : 1.0;
                    punto_maglia(m, p[0] * k + ox, p[1] * k + oy, p[2] * k);
                }
            for (int i = 0; i < u; i++)
                for (int j = 0; j < v; j++) {
                    const int a = base + i * (v + 1) + j;
                    triangolo_maglia(m, a, a + v + 1, a + v + 2);
                    triangolo_maglia(m, a, a + v + 2, a + 1);
                }
        }
    }
}

static void drag_frames(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    static Maglia m;
    if (state.range(0) > 0) {
        char nota[600];
        maglia_grande(m, (int)state.range(0));
        adatta_file("bench.stl", &m, nota, sizeof nota);
        const Maglia *una[] = {&m};
        metti_in_scena(una, 1);
    } else {
        prepara_slot0();
    }
    ApplicaTrasformazioni(0);
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 500, 330);
    long k = 0;
    for (auto _ : state) {
        rotazione_mouse(k & 1 ? 500 : 503, k & 1 ? 330 : 332);
        display();
        glFinish();
        k++;
    }
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 500, 330);
    sinistro = 1;
    state.counters["faces"] = ElencoPoliedri[0].numfacce;
    state.counters["fps"] = benchmark::Counter((double)k, benchmark::Counter::kIsRate);
    std::memset(ElencoPoliedri, 0, sizeof ElencoPoliedri);
    copia_finito();
}
BENCHMARK(drag_frames)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(recompute_floor);

// ---- key: the whole callback for a key it does not handle, which is just
// the common ending (recolour everything, post a redisplay) -----------------------

static void key_callback(benchmark::State &state)
{
    RICHIEDE_SUPERFICIE(state);
    prepara_slot0();
    for (auto _ : state) {
        keyboard('x', 0, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(key_callback);

BENCHMARK(key_recolour_floor);

int main(int argc, char **argv)
{
    inizializza_poliedro();
    conserva_finito();
    apri_finestra(&argc, argv);
    glutDisplayFunc(display_contato);
    // Mapped, reshaped and drawn once by the toolkit before timing starts.
    const auto fine = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (disegnati == 0 && std::chrono::steady_clock::now() < fine)
        glutMainLoopEvent();

    std::fprintf(stderr, "renderer: %s\n", (const char *)glGetString(GL_RENDERER));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
