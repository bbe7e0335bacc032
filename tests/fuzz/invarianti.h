// invarianti.h: the start state of the fuzzed viewer, its reset, and the
// checks run after every event.
//
// Call order: start-up and the first frame, then invarianti_fotografa() once;
// for each input invarianti_ripristina(), then per event the event itself and
// invarianti_controlla(), and invarianti_fine_input() after the last one. A
// broken invariant prints what broke and aborts, which libFuzzer reports as a
// crash with the input that caused it.
#ifndef SUPERFICIE_TESTS_FUZZ_INVARIANTI_H
#define SUPERFICIE_TESTS_FUZZ_INVARIANTI_H

#include <cstdint>

enum TipoEvento {
    EV_TASTO,          // keyboard(a, 0, 0)
    EV_SPECIALE,       // keyboard_s(a, 0, 0)
    EV_BOTTONE,        // mouse(a = button, b = state, c = x, d = y)
    EV_MOTO,           // drag handler (c = x, d = y); a = 1 when one was installed
    EV_RIDIMENSIONA,   // resize(a = width, b = height)
    EV_FOTOGRAMMA      // display()
};

struct Evento {
    TipoEvento tipo;
    int a, b, c, d;    // operands as the handler received them
};

// Copies what start-up built: the four slots, the view state, the drag
// handler and the GL switches, plus the colours each face must carry in
// either transparency mode.
void invarianti_fotografa();

// Puts the scene, the view state, the drag handler and the GL state back as
// invarianti_fotografa() found them.
void invarianti_ripristina();

// Every invariant of the scene and the view state, and what the event just
// delivered must have left behind.
void invarianti_controlla(const Evento &e);

// The parts of the table no handler has any business touching (the vertices
// and faces of slots 1 to 3, and their placement unless selected; slot 0
// past its counts; face topology), compared in full once per input: nothing
// restores them in between, so a stray write stays until then.
void invarianti_fine_input();

// Counters for the final report.
struct Statistiche {
    uint64_t eventi;           // events checked
    uint64_t fotogrammi;       // frames drawn
    uint64_t input;            // inputs run
    uint64_t risparmiati;      // events whose world space was bit-identical to a checked one
};
extern Statistiche statistiche;

#endif
