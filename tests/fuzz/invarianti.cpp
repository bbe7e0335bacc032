// invarianti.cpp: snapshot, reset and invariant checks of the fuzzed viewer.
#include "tests/fuzz/invarianti.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "input/input.h"
#include "model/colori.h"
#include "model/poliedro.h"
#include "transform/matrice.h"
#include "viewer/finestra.h"
#include "viewer/vista.h"

Statistiche statistiche;

namespace {

// The start state. Static: four records are several megabytes.
Poliedro inizio[MAX_POLIEDRI];

struct Vista {
    int p_target, ombra, bordi, trasparenza;
    double alpha;
    int sinistro, destro, centrale;
    double old_mouX, old_mouY, new_mouX, new_mouY;
    double rotation_x, rotation_y, distanza;
    int screen_width, screen_height, m;
    void (*trascinamento)(int, int);
    GLboolean depth_test, blend;
} vista_inizio;

// Fill RGB and edge RGBA of every face of slot 0, by transparency mode.
struct ColoriFaccia {
    float rgb[3];
    float bordo[4];
};
ColoriFaccia colori_attesi[2][MAX_FACCE];

// Every (alpha, trasparenza) pair that "j" and "u" can reach from the start.
struct PassoAlpha {
    double alpha;
    int trasparenza;
};
enum { MAX_PASSI_ALPHA = 64 };
PassoAlpha cammino_alpha[MAX_PASSI_ALPHA];
int num_passi_alpha = 0;

// Size the last reshape handed over; the start size until then.
int larghezza_attesa, altezza_attesa;

const Evento *evento_corrente = nullptr;

[[noreturn]] void rotto(const char *fmt, ...)
{
    std::fprintf(stderr, "\n*** invariant broken after event %llu",
                 (unsigned long long)statistiche.eventi);
    if (evento_corrente)
        std::fprintf(stderr, " (kind %d, operands %d %d %d %d)", evento_corrente->tipo,
                     evento_corrente->a, evento_corrente->b, evento_corrente->c,
                     evento_corrente->d);
    std::fprintf(stderr, ": ");
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(stderr, fmt, ap);
    va_end(ap);
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
    std::abort();
}

// Bitwise equality, except that any two NaNs match: the same quantity
// computed by two expressions that differ only in operand order can carry a
// NaN of another sign or payload.
bool uguale(double a, double b)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool uguali4(const double *a, const double *b)
{
    return uguale(a[0], b[0]) && uguale(a[1], b[1]) && uguale(a[2], b[2]) &&
           uguale(a[3], b[3]);
}

bool finita(const Matrice &m)
{
    for (double v : m.e)
        if (!std::isfinite(v))
            return false;
    return true;
}

bool flag(int v) { return v == 0 || v == 1; }

void cammino_aggiungi(double a, int t)
{
    for (int i = 0; i < num_passi_alpha; i++)
        if (cammino_alpha[i].alpha == a && cammino_alpha[i].trasparenza == t)
            return;
    if (num_passi_alpha == MAX_PASSI_ALPHA)
        rotto("the alpha walk does not close within %d states", MAX_PASSI_ALPHA);
    cammino_alpha[num_passi_alpha++] = {a, t};
}

// Closure of the two alpha keys over the start pair: "j" switches
// transparency on and steps down while alpha is at least 0.05; "u" steps up
// while alpha is at most 0.75 and switches transparency off at exactly 0.8.
void calcola_cammino_alpha(double a0, int t0)
{
    num_passi_alpha = 0;
    cammino_aggiungi(a0, t0);
    for (int i = 0; i < num_passi_alpha; i++) {
        const PassoAlpha s = cammino_alpha[i];
        double giu = s.alpha;
        if (giu >= 0.05)
            giu -= 0.05;
        cammino_aggiungi(giu, 1);
        double su = s.alpha;
        int tsu = s.trasparenza;
        if (su <= 0.75)
            su += 0.05;
        if (su == 0.8)
            tsu = 0;
        cammino_aggiungi(su, tsu);
    }
}

bool sul_cammino(double a, int t)
{
    for (int i = 0; i < num_passi_alpha; i++)
        if (std::memcmp(&cammino_alpha[i].alpha, &a, sizeof a) == 0 &&
            cammino_alpha[i].trasparenza == t)
            return true;
    return false;
}

void leggi_vista(Vista &v)
{
    v.p_target = p_target;
    v.ombra = ombra;
    v.bordi = bordi;
    v.trasparenza = trasparenza;
    v.alpha = alpha;
    v.sinistro = sinistro;
    v.destro = destro;
    v.centrale = centrale;
    v.old_mouX = old_mouX;
    v.old_mouY = old_mouY;
    v.new_mouX = new_mouX;
    v.new_mouY = new_mouY;
    v.rotation_x = rotation_x;
    v.rotation_y = rotation_y;
    v.distanza = distanza;
    v.screen_width = screen_width;
    v.screen_height = screen_height;
    v.m = m;
    v.trascinamento = trascinamento;
    v.depth_test = glIsEnabled(GL_DEPTH_TEST);
    v.blend = glIsEnabled(GL_BLEND);
}

// Slots 1 to 3 the input has selected: the reset key gives even an empty
// slot identity matrices, and later turns and scalings then extend them.
unsigned selezionati = 0;

bool selezionato(int s) { return (selezionati >> s) & 1u; }

// Header fields of an empty slot, everything but the three big arrays: its
// placement (matrices, world centre, scala) may change once it has been
// selected, nothing else ever.
void confronta_testata(int s, const Poliedro &p, const Poliedro &q)
{
    if (p.numfacce != q.numfacce || p.numpunti != q.numpunti)
        rotto("slot %d counts %d/%d, were %d/%d", s, p.numfacce, p.numpunti, q.numfacce,
              q.numpunti);
    if (std::memcmp(p.centro, q.centro, sizeof p.centro) != 0 ||
        std::memcmp(&p.raggio, &q.raggio, sizeof p.raggio) != 0 || p.liscio != q.liscio)
        rotto("slot %d centre, raggio or liscio changed", s);
    if (selezionato(s))
        return;
    if (std::memcmp(&p.matrice, &q.matrice, sizeof p.matrice) != 0 ||
        std::memcmp(&p.matrice_normali, &q.matrice_normali, sizeof p.matrice_normali) != 0 ||
        std::memcmp(p.centro_trasformato, q.centro_trasformato, sizeof p.centro_trasformato) !=
            0 ||
        std::memcmp(&p.scala, &q.scala, sizeof p.scala) != 0)
        rotto("slot %d moved while never selected", s);
}

// Byte equality without memcmp: ASan's interceptor walks its shadow memory
// over the whole range, which costs more than the comparison itself.
bool stessi_byte(const void *a, const void *b, size_t n)
{
    const unsigned char *x = static_cast<const unsigned char *>(a);
    const unsigned char *y = static_cast<const unsigned char *>(b);
    uint64_t diff = 0;
    size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        uint64_t u, v;
        std::memcpy(&u, x + k, 8);
        std::memcpy(&v, y + k, 8);
        diff |= u ^ v;
    }
    for (; k < n; k++)
        diff |= (uint64_t)(x[k] ^ y[k]);
    return diff == 0;
}

// The world-space half of slot 0 as it was the last time it passed the full
// recomputation. The world data is a function of the matrices and the
// model-space data alone, so while all of them are bit-identical to a state
// that passed, the recomputation would only repeat itself.
struct Verificato {
    bool valido;
    Matrice matrice, matrice_normali;
    double centro_trasformato[4];
    Punto punti_trasformati[MAX_PUNTI];
    double normale[MAX_FACCE][4];
} verificato;

bool come_verificato(const Poliedro &p)
{
    const Verificato &v = verificato;
    if (!v.valido || !stessi_byte(&v.matrice, &p.matrice, sizeof v.matrice) ||
        !stessi_byte(&v.matrice_normali, &p.matrice_normali, sizeof v.matrice_normali) ||
        !stessi_byte(v.centro_trasformato, p.centro_trasformato, sizeof v.centro_trasformato) ||
        !stessi_byte(v.punti_trasformati, p.punti_trasformati, (size_t)p.numpunti * sizeof(Punto)))
        return false;
    uint64_t diff = 0;
    for (int j = 0; j < p.numfacce; j++)
        for (int k = 0; k < 4; k++) {
            uint64_t u, w;
            std::memcpy(&u, &v.normale[j][k], 8);
            std::memcpy(&w, &p.facce[j].normale[k], 8);
            diff |= u ^ w;
        }
    return diff == 0;
}

void segna_verificato(const Poliedro &p)
{
    Verificato &v = verificato;
    v.matrice = p.matrice;
    v.matrice_normali = p.matrice_normali;
    std::memcpy(v.centro_trasformato, p.centro_trasformato, sizeof v.centro_trasformato);
    std::memcpy(v.punti_trasformati, p.punti_trasformati, (size_t)p.numpunti * sizeof(Punto));
    for (int j = 0; j < p.numfacce; j++)
        std::memcpy(v.normale[j], p.facce[j].normale, sizeof v.normale[j]);
    v.valido = true;
}

// World space against the matrices, recomputed: vertices, normals, centre,
// face normals, and every fourth component.
void ricalcola_mondo(const Poliedro &p)
{
    const int np = p.numpunti;
    const int nf = p.numfacce;

    // Rotations only: the normal matrix cannot overflow, and its bottom row
    // stays (0, 0, 0, 1) to the bit.
    const double *mn = p.matrice_normali.e;
    if (!(mn[12] == 0.0 && mn[13] == 0.0 && mn[14] == 0.0 && mn[15] == 1.0))
        rotto("normal matrix bottom row %g %g %g %g", mn[12], mn[13], mn[14], mn[15]);
    // Growth is capped, so the position matrix stays finite and its bottom
    // row exact as well.
    if (!finita(p.matrice))
        rotto("position matrix is not finite");
    const double *mm = p.matrice.e;
    if (!(mm[12] == 0.0 && mm[13] == 0.0 && mm[14] == 0.0 && mm[15] == 1.0))
        rotto("matrix bottom row %g %g %g %g", mm[12], mm[13], mm[14], mm[15]);

    double r[4];
    for (int i = 0; i < np; i++) {
        const Punto &w = p.punti_trasformati[i];
        if (w.id != inizio[0].punti_trasformati[i].id)
            rotto("world vertex %d id %d", i, w.id);
        ApplicaMatrice(r, &p.matrice, &p.punti[i].x);
        if (!uguali4(r, &w.x))
            rotto("world vertex %d (%.17g %.17g %.17g %.17g) is not the matrix applied "
                  "(%.17g %.17g %.17g %.17g)",
                  i, w.x, w.y, w.z, w.w, r[0], r[1], r[2], r[3]);
        ApplicaMatrice(r, &p.matrice_normali, &p.punti[i].nx);
        if (!uguali4(r, &w.nx))
            rotto("world normal %d is not the normal matrix applied", i);
        if (w.nw != 1.0 || w.w != 1.0)
            rotto("world vertex %d w %.17g nw %.17g", i, w.w, w.nw);
    }
    ApplicaMatrice(r, &p.matrice, p.centro);
    if (!uguali4(r, p.centro_trasformato))
        rotto("world centre is not the matrix applied to the centre");
    if (p.centro_trasformato[3] != 1.0)
        rotto("world centre w %.17g", p.centro_trasformato[3]);

    for (int j = 0; j < nf; j++) {
        const Faccia &f = p.facce[j];
        // (b - a) x (c - a) of the first three world vertices; the indices
        // are the start's (checked at the end of every input).
        const int *vi = inizio[0].facce[j].vertici;
        const Punto &A = p.punti_trasformati[vi[0]];
        const Punto &B = p.punti_trasformati[vi[1]];
        const Punto &C = p.punti_trasformati[vi[2]];
        const double ux = B.x - A.x, uy = B.y - A.y, uz = B.z - A.z;
        const double vx = C.x - A.x, vy = C.y - A.y, vz = C.z - A.z;
        const double n[4] = {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx, 1.0};
        if (!uguali4(n, f.normale))
            rotto("face %d normal (%.17g %.17g %.17g %.17g) is not recomputed from the world "
                  "vertices (%.17g %.17g %.17g)",
                  j, f.normale[0], f.normale[1], f.normale[2], f.normale[3], n[0], n[1], n[2]);
    }
}

void controlla_slot0()
{
    const Poliedro &p = ElencoPoliedri[0];
    const Poliedro &q = inizio[0];

    if (p.numpunti != q.numpunti || p.numfacce != q.numfacce || p.liscio != q.liscio ||
        std::memcmp(&p.raggio, &q.raggio, sizeof p.raggio) != 0)
        rotto("slot 0 counts, liscio or raggio changed");
    if (!stessi_byte(p.punti, q.punti, (size_t)p.numpunti * sizeof(Punto)))
        rotto("slot 0 model-space vertices changed");
    if (std::memcmp(p.centro, q.centro, sizeof p.centro) != 0)
        rotto("slot 0 model-space centre changed");

    if (come_verificato(p)) {
        statistiche.risparmiati++;
    } else {
        ricalcola_mondo(p);
        segna_verificato(p);
    }

    const int t = trasparenza == 0 ? 0 : 1;
    const float a = (float)alpha;
    for (int j = 0; j < p.numfacce; j++) {
        const Faccia &f = p.facce[j];
        const ColoriFaccia &c = colori_attesi[t][j];
        if (f.colore[0] != c.rgb[0] || f.colore[1] != c.rgb[1] || f.colore[2] != c.rgb[2] ||
            f.colore[3] != a || f.colore_bordo[0] != c.bordo[0] ||
            f.colore_bordo[1] != c.bordo[1] || f.colore_bordo[2] != c.bordo[2] ||
            f.colore_bordo[3] != c.bordo[3])
            rotto("face %d colour (%g %g %g %g) does not follow trasparenza %d and alpha %.17g",
                  j, f.colore[0], f.colore[1], f.colore[2], f.colore[3], trasparenza, alpha);
    }
}

void controlla_vista(const Evento &e)
{
    if (!flag(ombra) || !flag(bordi) || !flag(trasparenza) || !flag(sinistro) ||
        !flag(destro) || !flag(centrale))
        rotto("flag outside 0/1: ombra %d bordi %d trasparenza %d sinistro %d destro %d "
              "centrale %d",
              ombra, bordi, trasparenza, sinistro, destro, centrale);
    if (p_target < -1 || p_target > 4)
        rotto("p_target %d", p_target);
    if (!sul_cammino(alpha, trasparenza))
        rotto("alpha %.17g with trasparenza %d is off the walk of the alpha keys", alpha,
              trasparenza);
    const GLboolean depth = glIsEnabled(GL_DEPTH_TEST);
    const GLboolean blend = glIsEnabled(GL_BLEND);
    if (depth != (trasparenza == 0) || blend != (trasparenza == 1))
        rotto("depth test %d and blending %d with trasparenza %d", depth, blend, trasparenza);
    if (distanza != vista_inizio.distanza)
        rotto("distanza %.17g", distanza);
    if (m != MAX_POLIEDRI)
        rotto("m %d after a frame", m);
    if (trascinamento != rotazione_mouse && trascinamento != riscalamento_mouse &&
        trascinamento != traslazione_mouse)
        rotto("the installed drag handler is none of the three");
    if (centrale && trascinamento != traslazione_mouse)
        rotto("middle button held, but the translation drag is not installed");
    if (screen_width != larghezza_attesa || screen_height != altezza_attesa)
        rotto("window size %d x %d, last reshape %d x %d", screen_width, screen_height,
              larghezza_attesa, altezza_attesa);

    switch (e.tipo) {
    case EV_TASTO:
        if (e.a >= '0' && e.a <= '4' && p_target != e.a - '0')
            rotto("p_target %d after key %c", p_target, e.a);
        if (e.a == ' ' && p_target != -1)
            rotto("p_target %d after space", p_target);
        break;
    case EV_SPECIALE: {
        double rx = 0.0, ry = 0.0;
        if (e.a == GLUT_KEY_UP)
            rx = PASSO_FRECCIA;
        else if (e.a == GLUT_KEY_DOWN)
            rx = -PASSO_FRECCIA;
        else if (e.a == GLUT_KEY_LEFT)
            ry = PASSO_FRECCIA;
        else if (e.a == GLUT_KEY_RIGHT)
            ry = -PASSO_FRECCIA;
        if (rotation_x != rx || rotation_y != ry)
            rotto("rotation %g %g after special key %d", rotation_x, rotation_y, e.a);
        break;
    }
    case EV_BOTTONE:
        if (old_mouX != e.c || old_mouY != e.d)
            rotto("pointer %g %g after a button event at %d %d", old_mouX, old_mouY, e.c, e.d);
        if (e.a == GLUT_LEFT_BUTTON && (e.b == GLUT_DOWN || e.b == GLUT_UP) &&
            sinistro != (e.b == GLUT_DOWN))
            rotto("sinistro %d after left button state %d", sinistro, e.b);
        if (e.a == GLUT_RIGHT_BUTTON && (e.b == GLUT_DOWN || e.b == GLUT_UP) &&
            destro != (e.b == GLUT_DOWN))
            rotto("destro %d after right button state %d", destro, e.b);
        break;
    case EV_MOTO:
        if (e.a && (old_mouX != e.c || old_mouY != e.d || new_mouX != e.c || new_mouY != e.d))
            rotto("pointer old %g %g new %g %g after a drag step to %d %d", old_mouX,
                  old_mouY, new_mouX, new_mouY, e.c, e.d);
        break;
    case EV_RIDIMENSIONA:
        break;
    case EV_FOTOGRAMMA:
        if (!centrale && sinistro == 1 && destro == 0 && trascinamento != rotazione_mouse)
            rotto("left flag alone, but the frame did not install the rotation drag");
        if (!centrale && destro == 1 && sinistro == 0 && trascinamento != riscalamento_mouse)
            rotto("right flag alone, but the frame did not install the rescale drag");
        break;
    }
}

} // namespace

void invarianti_fotografa()
{
    std::memcpy(inizio, ElencoPoliedri, sizeof inizio);
    leggi_vista(vista_inizio);
    larghezza_attesa = screen_width;
    altezza_attesa = screen_height;
    calcola_cammino_alpha(alpha, trasparenza);

    // The colours each face must show in either mode, as the palette gives
    // them for the face's own letter; slot 0 is put back afterwards.
    const int t0 = trasparenza;
    for (int t = 0; t < 2; t++) {
        trasparenza = t;
        for (int j = 0; j < inizio[0].numfacce; j++) {
            colorafaccia(0, j, inizio[0].facce[j].codicecolore);
            const Faccia &f = ElencoPoliedri[0].facce[j];
            std::memcpy(colori_attesi[t][j].rgb, f.colore, sizeof colori_attesi[t][j].rgb);
            std::memcpy(colori_attesi[t][j].bordo, f.colore_bordo,
                        sizeof colori_attesi[t][j].bordo);
        }
    }
    trasparenza = t0;
    std::memcpy(&ElencoPoliedri[0], &inizio[0], sizeof(Poliedro));
}

void invarianti_ripristina()
{
    const Vista &v = vista_inizio;
    std::memcpy(&ElencoPoliedri[0], &inizio[0], sizeof(Poliedro));
    // Empty slots differ from the start at most in their placement, and only
    // when selected (checked at the end of the input).
    for (int s = 1; s < MAX_POLIEDRI; s++)
        if (selezionato(s))
            std::memcpy(&ElencoPoliedri[s], &inizio[s], sizeof(Poliedro));
    selezionati = 0;
    // Viewport and projection as at start; resize also stores the size.
    resize(v.screen_width, v.screen_height);
    if (v.depth_test)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    if (v.blend)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    while (glGetError() != GL_NO_ERROR) {
    }
    p_target = v.p_target;
    ombra = v.ombra;
    bordi = v.bordi;
    trasparenza = v.trasparenza;
    alpha = v.alpha;
    sinistro = v.sinistro;
    destro = v.destro;
    // The handler saved at a middle press is read only after the next
    // press has overwritten it, so clearing the flag is enough.
    centrale = v.centrale;
    old_mouX = v.old_mouX;
    old_mouY = v.old_mouY;
    new_mouX = v.new_mouX;
    new_mouY = v.new_mouY;
    rotation_x = v.rotation_x;
    rotation_y = v.rotation_y;
    distanza = v.distanza;
    m = v.m;
    installa_trascinamento(v.trascinamento);
    larghezza_attesa = v.screen_width;
    altezza_attesa = v.screen_height;
    statistiche.input++;
}

void invarianti_controlla(const Evento &e)
{
    evento_corrente = &e;
    statistiche.eventi++;
    if (e.tipo == EV_RIDIMENSIONA) {
        larghezza_attesa = e.a;
        altezza_attesa = e.b;
    }
    controlla_slot0();
    if (p_target >= 1 && p_target < MAX_POLIEDRI)
        selezionati |= 1u << p_target;
    for (int s = 1; s < MAX_POLIEDRI; s++)
        confronta_testata(s, ElencoPoliedri[s], inizio[s]);
    controlla_vista(e);
    evento_corrente = nullptr;
}

void invarianti_fine_input()
{
    const Poliedro &p = ElencoPoliedri[0];
    const Poliedro &q = inizio[0];
    const int np = q.numpunti, nf = q.numfacce;
    if (!stessi_byte(p.punti + np, q.punti + np, (size_t)(MAX_PUNTI - np) * sizeof(Punto)) ||
        !stessi_byte(p.punti_trasformati + np, q.punti_trasformati + np,
                     (size_t)(MAX_PUNTI - np) * sizeof(Punto)))
        rotto("slot 0 vertices past numpunti changed");
    if (!stessi_byte(p.facce + nf, q.facce + nf, (size_t)(MAX_FACCE - nf) * sizeof(Faccia)))
        rotto("slot 0 faces past numfacce changed");
    for (int j = 0; j < nf; j++) {
        const Faccia &f = p.facce[j];
        const Faccia &g = q.facce[j];
        if (f.id != g.id || f.numvertici != g.numvertici || f.codicecolore != g.codicecolore ||
            std::memcmp(f.vertici, g.vertici, sizeof f.vertici) != 0)
            rotto("face %d topology or colour letter changed", j);
    }
    for (int s = 1; s < MAX_POLIEDRI; s++) {
        const Poliedro &e = ElencoPoliedri[s];
        const Poliedro &z = inizio[s];
        if (!stessi_byte(e.punti, z.punti, sizeof e.punti) ||
            !stessi_byte(e.punti_trasformati, z.punti_trasformati, sizeof e.punti_trasformati) ||
            !stessi_byte(e.facce, z.facce, sizeof e.facce))
            rotto("slot %d vertices or faces changed", s);
        confronta_testata(s, e, z);
    }
}
