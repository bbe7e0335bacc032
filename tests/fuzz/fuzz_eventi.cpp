// fuzz_eventi.cpp: libFuzzer target that replays its input as window events
// on a real window, through the real handlers and the real display.
//
// Start-up runs once, as main() runs it but on a small window (frames on a
// software renderer cost in proportion to the pixels), and the first reshape
// and frame come from the toolkit's own event loop. Every input then starts
// from that state again (invarianti_ripristina), so any finding replays
// alone.
//
// Input encoding: one opcode byte per event, operands after it; an operand
// cut off by the end of the input reads as zero.
//
//   0x00-0x3f  ordinary key      keyboard(k, 0, 0), k the next byte
//   0x40-0x5f  special key       keyboard_s(k, 0, 0), k the next byte (100-103 arrows)
//   0x60-0x7f  mouse button      b = next byte: button b & 7; state by (b >> 3) & 3:
//                                0 down, 1 up, 2 the small value 2 + (b >> 5), 3 any
//                                int32 that follows; then a position
//   0x80-0xdf  motion            a position, delivered to the drag handler the last
//                                frame (or middle press) installed
//   0xe0-0xef  reshape           width and height: opcode & 3 picks bytes, int16,
//                                int32, or int16 scaled by 65536 (huge, negative too)
//   0xf0-0xff  frame             display(), once EVENTI_PER_FOTOGRAMMA more events
//                                have been delivered since the input's previous
//                                frame (its start for the first); skipped before
//
// A position is a mode byte then either a step from the last position (mode
// below 0xc0: two signed bytes) or two raw int32 (any value at all).
#include <GL/freeglut.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include "data/superficie.h"
#include "input/input.h"
#include "tests/fuzz/invarianti.h"
#include "viewer/finestra.h"
#include "viewer/vista.h"

namespace {

// A tenth of the real window: a frame on llvmpipe still issues every
// primitive, but rasterises a hundredth of the pixels.
constexpr int LARGHEZZA_FINESTRA = 100;
constexpr int ALTEZZA_FINESTRA = 66;
// Under AddressSanitizer a frame costs as much as some 250 other events
// (Mesa allocates per primitive); rationing frames by events keeps them to
// about half of a run, and ten million events inside an hour.
constexpr int EVENTI_PER_FOTOGRAMMA = 256;

struct Lettore {
    const uint8_t *dati;
    size_t resto;

    bool vuoto() const { return resto == 0; }
    uint8_t byte()
    {
        if (resto == 0)
            return 0;
        resto--;
        return *dati++;
    }
    int16_t i16()
    {
        const uint16_t lo = byte();
        const uint16_t hi = byte();
        return (int16_t)(uint16_t)(lo | hi << 8);
    }
    int32_t i32()
    {
        uint32_t v = 0;
        for (int k = 0; k < 4; k++)
            v |= (uint32_t)byte() << (8 * k);
        return (int32_t)v;
    }
};

// Last pointer position the driver handed out, for relative steps.
int puntatore_x, puntatore_y;

// Adds without overflow: a step from an extreme position saturates.
int passo(int da, int d)
{
    const int64_t v = (int64_t)da + d;
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return (int)v;
}

void posizione(Lettore &l, int &x, int &y)
{
    const uint8_t modo = l.byte();
    if (modo < 0xc0) {
        const int dx = (int8_t)l.byte();
        const int dy = (int8_t)l.byte();
        x = passo(puntatore_x, dx);
        y = passo(puntatore_y, dy);
    } else {
        x = l.i32();
        y = l.i32();
    }
    puntatore_x = x;
    puntatore_y = y;
}

void lato(Lettore &l, int modo, int &v)
{
    switch (modo) {
    case 0:
        v = l.byte();
        break;
    case 1:
        v = l.i16();
        break;
    case 2:
        v = l.i32();
        break;
    default:
        v = (int)((int64_t)l.i16() * 65536);
        break;
    }
}

void stampa_statistiche()
{
    std::fprintf(stderr,
                 "superficie fuzz: %llu events in %llu inputs, %llu frames, "
                 "%llu checked against a verified copy\n",
                 (unsigned long long)statistiche.eventi, (unsigned long long)statistiche.input,
                 (unsigned long long)statistiche.fotogrammi,
                 (unsigned long long)statistiche.risparmiati);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    (void)argc;
    (void)argv;
    // The toolkit gets a command line of its own: libFuzzer's flags are not
    // its options.
    static char nome[] = "superficie";
    static char *argv_glut[] = {nome, nullptr};
    static int argc_glut = 1;

    inizializza_poliedro();
    glutInit(&argc_glut, argv_glut);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(LARGHEZZA_FINESTRA, ALTEZZA_FINESTRA);
    glutInitWindowPosition(50, 50);
    glutCreateWindow("Superficie");
    glutDisplayFunc(display);
    glutReshapeFunc(resize);
    glutKeyboardFunc(keyboard);
    glutSpecialFunc(keyboard_s);
    glutMouseFunc(mouse);
    init();
    // The toolkit's own first reshape and first frame, as at start-up.
    for (int k = 0; k < 5000 && trascinamento == nullptr; k++) {
        glutMainLoopEvent();
        usleep(1000);
    }
    if (trascinamento == nullptr) {
        std::fprintf(stderr, "superficie fuzz: the first frame never came\n");
        std::exit(1);
    }
    invarianti_fotografa();
    puntatore_x = (int)old_mouX;
    puntatore_y = (int)old_mouY;
    std::atexit(stampa_statistiche);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    invarianti_ripristina();
    puntatore_x = (int)old_mouX;
    puntatore_y = (int)old_mouY;
    int eventi = 0;
    int fotogrammi = 0;
    Lettore l{data, size};
    while (!l.vuoto()) {
        const uint8_t op = l.byte();
        Evento e{EV_TASTO, 0, 0, 0, 0};
        if (op < 0x40) {
            e.a = l.byte();
            keyboard((unsigned char)e.a, 0, 0);
        } else if (op < 0x60) {
            e.tipo = EV_SPECIALE;
            e.a = l.byte();
            keyboard_s(e.a, 0, 0);
        } else if (op < 0x80) {
            e.tipo = EV_BOTTONE;
            const uint8_t b = l.byte();
            e.a = b & 7;
            switch ((b >> 3) & 3) {
            case 0:
                e.b = GLUT_DOWN;
                break;
            case 1:
                e.b = GLUT_UP;
                break;
            case 2:
                e.b = 2 + (b >> 5);
                break;
            default:
                e.b = l.i32();
                break;
            }
            posizione(l, e.c, e.d);
            mouse(e.a, e.b, e.c, e.d);
        } else if (op < 0xe0) {
            e.tipo = EV_MOTO;
            posizione(l, e.c, e.d);
            // As the toolkit would: no motion callback, no call.
            e.a = trascinamento != nullptr;
            if (trascinamento)
                trascinamento(e.c, e.d);
        } else if (op < 0xf0) {
            e.tipo = EV_RIDIMENSIONA;
            lato(l, op & 3, e.a);
            lato(l, op & 3, e.b);
            resize(e.a, e.b);
        } else {
            e.tipo = EV_FOTOGRAMMA;
            if (eventi < EVENTI_PER_FOTOGRAMMA * (fotogrammi + 1))
                continue;
            fotogrammi++;
            statistiche.fotogrammi++;
            display();
        }
        invarianti_controlla(e);
        eventi++;
    }
    invarianti_fine_input();
    // libFuzzer counts inputs; the events are what a run is measured by.
    if (statistiche.input % 1024 == 0)
        stampa_statistiche();
    return 0;
}
