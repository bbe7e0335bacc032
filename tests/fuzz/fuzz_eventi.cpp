// fuzz_eventi.cpp: libFuzzer target replaying its input as window events on a small
// real window through the real handlers and display, checking the state after each.
// One opcode byte per event, operands after it (cut off by the end: zero):
//   0x00-0x3f key k      0x40-0x5f special key k
//   0x60-0x7f button byte b: button b & 7, state by (b >> 3) & 3 down, up,
//             2 + (b >> 5) or an int32 that follows; then a position
//   0x80-0xdf motion to a position (a mode byte; below 0xc0 a step of two signed
//             bytes from the last one, else two raw int32), to the drag installed
//   0xe0-0xef reshape: width, height as byte, int16, int32 or int16 * 65536 (opcode & 3)
//   0xf0-0xf7 frame, once EVENTI_PER_FOTOGRAMMA events passed since the last
//   0xf8-0xfe the window's timer: changed files and drops looked at
//   0xff      slot 0's file read again, as the timer does once it has changed:
//             the first at once, then once EVENTI_PER_FOTOGRAMMA events passed
//             since the last (a sanitized reading costs about a frame)
#include <GL/freeglut.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include <unistd.h>

#include "data/superficie.h"
#include "loading/formati.h"
#include "input/input.h"
#include "model/poliedro.h"
#include "transform/trasforma.h"
#include "viewer/finestra.h"
#include "viewer/scena.h"
#include "state/vista.h"
#include "viewer/vivi.h"
#include "tests/fuzz/invarianti.h"

namespace {

// A tenth of the real window: all primitives, a hundredth of the pixels.
constexpr int LARGHEZZA_FINESTRA = 100, ALTEZZA_FINESTRA = 66;
// A sanitized frame costs some 250 other events (Mesa allocates per
// primitive): rationed, frames take about half of a run.
constexpr int EVENTI_PER_FOTOGRAMMA = 256;

Poliedro inizio[MAX_POLIEDRI];    // static: four records are several megabytes
Poliedro visto;                   // slot 0 as last verified: most events leave it alone
bool visto_valido;
const uint8_t *dati;              // rest of the input
size_t resto;
int puntatore_x, puntatore_y;     // last position handed out, for steps
unsigned long long eventi, fotogrammi, input;
// Slot 0 written out, the file the window follows: read again, it gives the
// same model, so the checks below hold across the timer's work.
char file_slot0[] = "/tmp/superficie-fuzz-XXXXXX";

// The view state an input starts from.
#define VISTA(X)                                                                           \
    X(p_target) X(ombra) X(bordi) X(trasparenza) X(alpha) X(sinistro) X(destro) X(centrale) \
    X(old_mouX) X(old_mouY) X(new_mouX) X(new_mouY) X(rotation_x) X(rotation_y)            \
    X(distanza) X(screen_width) X(screen_height) X(m) X(trascinamento)
#define CAMPO(n) decltype(::n) n;
struct { VISTA(CAMPO) } v0;

// Byte equality without memcmp: ASan's interceptor would walk its shadow over
// the whole range, which costs more than the comparison.
bool stessi_byte(const void *a, const void *b, size_t n)
{
    const unsigned char *x = static_cast<const unsigned char *>(a), *y = static_cast<const unsigned char *>(b);
    unsigned diff = 0;
    for (size_t k = 0; k < n; k++) diff |= x[k] ^ y[k];
    return diff == 0;
}

// From the matrices to the world centre, laid out together.
constexpr size_t TESTA = offsetof(Poliedro, raggio) - offsetof(Poliedro, matrice);

// World space of slot 0 is what its matrices give: recomputed (the
// recomputation itself is test_core's), it must not change by a bit. All of
// it is finite (growth is capped), so bytes compare.
void controlla_mondo(const Poliedro &p)
{
    const size_t mondo = p.numpunti * sizeof(Punto), facce = p.numfacce * sizeof(Faccia);
    if (visto_valido && stessi_byte(&visto.matrice, &p.matrice, TESTA) &&
        stessi_byte(visto.punti_trasformati, p.punti_trasformati, mondo) && stessi_byte(visto.facce, p.facce, facce))
        return;
    // Rotations only in one, growth capped in the other: finite, bottom row exact.
    for (const Matrice *mt : {&p.matrice, &p.matrice_normali})
        for (int k = 0; k < 16; k++)
            if (!std::isfinite(mt->e[k]) || (k >= 12 && mt->e[k] != (k == 15 ? 1.0 : 0.0)))
                ROTTO("matrix element %d of slot 0 is %g", k, mt->e[k]);
    std::memcpy(&visto.matrice, &p.matrice, TESTA);
    std::memcpy(visto.punti_trasformati, p.punti_trasformati, mondo);
    std::memcpy(visto.facce, p.facce, facce);
    ApplicaTrasformazioni(0);
    if (!stessi_byte(&visto.matrice, &p.matrice, TESTA) ||
        !stessi_byte(visto.punti_trasformati, p.punti_trasformati, mondo) || !stessi_byte(visto.facce, p.facce, facce))
        ROTTO("slot 0's world vertices, centre or face normals are not what its matrices give");
    visto_valido = true;
}

// After every event; tasto is the ordinary key just delivered, or -1.
void controlla(int tasto)
{
    const Poliedro &p = ElencoPoliedri[0], &q = inizio[0];
    if (p.numpunti != q.numpunti || p.numfacce != q.numfacce ||
        !stessi_byte(p.punti, q.punti, q.numpunti * sizeof(Punto)) ||
        !stessi_byte(p.centro, q.centro, sizeof p.centro))
        ROTTO("slot 0 model space changed");
    controlla_mondo(p);
    for (int flag : {ombra, bordi, trasparenza, sinistro, destro, centrale})
        if (flag != 0 && flag != 1) ROTTO("a flag outside 0/1: %d", flag);
    if (p_target < -1 || p_target > 4 || (tasto >= '0' && tasto <= '4' && p_target != tasto - '0'))
        ROTTO("p_target %d", p_target);
    // "j" and "u" step alpha by 0.05 below the start, which only "u" returns to, exactly.
    if (!(alpha > 0.0 && alpha <= v0.alpha) || (trasparenza == 0) != (alpha == v0.alpha))
        ROTTO("alpha %.17g with trasparenza %d", alpha, trasparenza);
    const GLboolean depth = glIsEnabled(GL_DEPTH_TEST), blend = glIsEnabled(GL_BLEND);
    if (depth != (trasparenza == 0) || blend != (trasparenza == 1))
        ROTTO("depth test %d, blending %d with trasparenza %d", depth, blend, trasparenza);
    if (trascinamento != rotazione_mouse && trascinamento != riscalamento_mouse &&
        trascinamento != traslazione_mouse)
        ROTTO("the installed drag handler is none of the three");
    if (centrale && trascinamento != traslazione_mouse)
        ROTTO("middle button held without the translation drag");
}

uint8_t byte() { return resto == 0 ? 0 : (resto--, *dati++); }

int16_t i16() { const uint16_t lo = byte(); return (int16_t)(uint16_t)(lo | byte() << 8); }

int32_t i32() { const uint32_t lo = (uint16_t)i16(); return (int32_t)(lo | (uint32_t)(uint16_t)i16() << 16); }

int lato(int modo)
{
    return modo == 0 ? byte() : modo == 1 ? i16() : modo == 2 ? i32() : (int)((int64_t)i16() * 65536);
}

// A step from an extreme position saturates instead of overflowing.
int passo(int da)
{
    const int64_t v = (int64_t)da + (int8_t)byte();
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int)v;
}

void posizione(int &x, int &y)
{
    const bool relativa = byte() < 0xc0;
    x = puntatore_x = relativa ? passo(puntatore_x) : i32();
    y = puntatore_y = relativa ? passo(puntatore_y) : i32();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static char nome[] = "superficie";    // libFuzzer's flags are not the toolkit's
    static char *argv[] = {nome, nullptr};
    static int argc = 1;
    inizializza_poliedro();
    const int fd = mkstemp(file_slot0);
    FILE *f = fd >= 0 ? fdopen(fd, "w") : nullptr;
    if (f == nullptr) ROTTO("no file for slot 0");
    scrivi_noff(f, 0);
    std::fclose(f);
    PostiScena[0] = Posto{{0.0, 0.0, 0.0}, 1.0, 0.0};    // the surface's own coordinates
    screen_width = LARGHEZZA_FINESTRA, screen_height = ALTEZZA_FINESTRA;
    apri_finestra(&argc, argv);
    const char *seguiti[] = {file_slot0};
    avvia_vivi(seguiti, 1);
    for (int k = 0; k < 5000 && trascinamento == nullptr; k++) {    // the first reshape and frame
        glutMainLoopEvent();
        usleep(1000);
    }
    if (trascinamento == nullptr) ROTTO("the first frame never came");
    std::memcpy(inizio, ElencoPoliedri, sizeof inizio);
#define SALVA(n) v0.n = ::n;
    VISTA(SALVA)
    std::atexit([] {
        unlink(file_slot0);
        std::fprintf(stderr, "superficie fuzz: %llu events in %llu inputs, %llu frames\n", eventi,
                     input, fotogrammi);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Back to the start, so that every finding replays alone; the whole table,
    // as the reset key gives even empty slots identity matrices.
    std::memcpy(ElencoPoliedri, inizio, sizeof inizio);
#define RIPRISTINA(n) ::n = v0.n;
    VISTA(RIPRISTINA)
    resize(v0.screen_width, v0.screen_height);    // viewport and projection
    installa_trascinamento(v0.trascinamento);
    (trasparenza ? glDisable : glEnable)(GL_DEPTH_TEST);
    (trasparenza ? glEnable : glDisable)(GL_BLEND);
    puntatore_x = (int)old_mouX, puntatore_y = (int)old_mouY;
    dati = data, resto = size, input++;
    int n = 0, frames = 0, letture = 0;
    while (resto > 0) {
        const uint8_t op = byte();
        int tasto = -1, a = 0, b = 0, x = 0, y = 0;
        if (op < 0x40)
            keyboard((unsigned char)(tasto = byte()), 0, 0);
        else if (op < 0x60)
            keyboard_s(byte(), 0, 0);
        else if (op < 0x80) {
            const uint8_t bb = byte(), stato = (bb >> 3) & 3;
            b = stato == 0 ? GLUT_DOWN : stato == 1 ? GLUT_UP : stato == 2 ? 2 + (bb >> 5) : i32();
            posizione(x, y);
            mouse(bb & 7, b, x, y);
        } else if (op < 0xe0) {
            posizione(x, y);
            if (trascinamento)    // no motion callback, no call
                trascinamento(x, y);
        } else if (op < 0xf0) {
            a = lato(op & 3), b = lato(op & 3), resize(a, b);
        } else if (op < 0xf8) {
            if (n < EVENTI_PER_FOTOGRAMMA * (frames + 1)) continue;
            frames++, display();
        } else if (op < 0xff) {
            vivi_passo();
        } else {
            if (letture > 0 && n < EVENTI_PER_FOTOGRAMMA * letture) continue;
            letture++;
            char errore[600], nota[600];
            if (!ricarica_file(0, file_slot0, errore, sizeof errore, nota, sizeof nota))
                ROTTO("slot 0's file no longer reads: %s", errore);
        }
        controlla(tasto);
        n++;
    }
    // What nothing restores within an input, the empty slots' counts too: a
    // stray write stays until here.
    for (int j = 0; j < inizio[0].numfacce; j++)
        if (!stessi_byte(&ElencoPoliedri[0].facce[j], &inizio[0].facce[j], offsetof(Faccia, colore)))
            ROTTO("face %d topology changed", j);
    for (int s = 1; s < MAX_POLIEDRI; s++)
        if (!stessi_byte(&ElencoPoliedri[s], &inizio[s], offsetof(Poliedro, matrice)))
            ROTTO("empty slot %d counts, vertices or faces changed", s);
    eventi += n, fotogrammi += frames;
    return 0;
}
