// fuori_schermo.cpp: the window's frame, and thumbnails, drawn in an EGL
// pbuffer and written as PNG.
#include "viewer/fuori_schermo.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/freeglut.h>   // the key codes only: nothing here calls the toolkit
#include <GL/gl.h>
#include <png.h>

#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <sys/stat.h>

#include "input/input.h"
#include "model/poliedro.h"
#include "viewer/finestra.h"
#include "viewer/scena.h"
#include "state/vista.h"

// The handlers post a redisplay after every change, which the window needs.
// Here there is no window to post it to, and freeglut, never initialised,
// would end the process. The program is linked with
// --wrap=glutPostRedisplay (viewer/CMakeLists.txt): its own calls come here
// first and reach freeglut unchanged while a window is open.
static bool senza_finestra = false;
extern "C" void __real_glutPostRedisplay();
extern "C" void __wrap_glutPostRedisplay()
{
    if (!senza_finestra)
        __real_glutPostRedisplay();
}

// The window's framebuffer as freeglut gets it from Mesa's GLX: 8 bits for
// each of red, green and blue, no alpha, a 32-bit depth buffer and no
// stencil. The same depth precision decides the same nearly coincident
// faces, so the same pixels.
constexpr EGLint BIT_CANALE = 8;
constexpr EGLint BIT_ALFA = 0;
constexpr EGLint BIT_PROFONDITA = 32;

static EGLDisplay schermo = EGL_NO_DISPLAY;

// One line on standard error; the exit status that goes with it.
static int errore(const char *formato, ...) __attribute__((format(printf, 1, 2)));
static int errore(const char *formato, ...)
{
    va_list a;
    va_start(a, formato);
    std::fputs("superficie: ", stderr);
    std::vfprintf(stderr, formato, a);
    va_end(a);
    std::fputc('\n', stderr);
    return 2;
}

static bool estensione(const char *elenco, const char *nome)
{
    const size_t n = std::strlen(nome);
    for (const char *p = elenco; p && (p = std::strstr(p, nome)); p += n)
        if ((p == elenco || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0'))
            return true;
    return false;
}

// A current compatibility-profile context on a larghezza x altezza pbuffer
// of Mesa's surfaceless platform, which needs no display and, without
// /dev/dri, renders with llvmpipe. False after one line.
static bool apri_contesto(int larghezza, int altezza)
{
    const char *client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!estensione(client, "EGL_MESA_platform_surfaceless")) {
        errore("no EGL with the surfaceless platform (EGL_MESA_platform_surfaceless)");
        return false;
    }
    auto piattaforma = (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress(
        "eglGetPlatformDisplayEXT");
    EGLint maggiore, minore;
    if (piattaforma)
        schermo = piattaforma(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (schermo == EGL_NO_DISPLAY || !eglInitialize(schermo, &maggiore, &minore)) {
        errore("no EGL display on the surfaceless platform");
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        errore("EGL offers no desktop OpenGL");
        return false;
    }

    const EGLint richiesta[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
                                EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                EGL_RED_SIZE, BIT_CANALE, EGL_GREEN_SIZE, BIT_CANALE,
                                EGL_BLUE_SIZE, BIT_CANALE, EGL_ALPHA_SIZE, BIT_ALFA,
                                EGL_DEPTH_SIZE, BIT_PROFONDITA, EGL_NONE};
    EGLConfig configurazioni[64];
    EGLint n = 0;
    eglChooseConfig(schermo, richiesta, configurazioni, 64, &n);
    // EGL lists deeper colour and alpha first: take the exact sizes.
    EGLConfig scelta = nullptr;
    for (int i = 0; i < n && !scelta; i++) {
        EGLint r, g, b, a, z, stencil, campioni;
        eglGetConfigAttrib(schermo, configurazioni[i], EGL_RED_SIZE, &r);
        eglGetConfigAttrib(schermo, configurazioni[i], EGL_GREEN_SIZE, &g);
        eglGetConfigAttrib(schermo, configurazioni[i], EGL_BLUE_SIZE, &b);
        eglGetConfigAttrib(schermo, configurazioni[i], EGL_ALPHA_SIZE, &a);
        eglGetConfigAttrib(schermo, configurazioni[i], EGL_DEPTH_SIZE, &z);
        eglGetConfigAttrib(schermo, configurazioni[i], EGL_STENCIL_SIZE, &stencil);
        eglGetConfigAttrib(schermo, configurazioni[i], EGL_SAMPLES, &campioni);
        if (r == BIT_CANALE && g == BIT_CANALE && b == BIT_CANALE && a == BIT_ALFA &&
            z == BIT_PROFONDITA && stencil == 0 && campioni == 0)
            scelta = configurazioni[i];
    }
    if (!scelta) {
        errore("EGL has no pbuffer configuration with 8-bit RGB and a 32-bit depth buffer");
        return false;
    }

    const EGLint dimensioni[] = {EGL_WIDTH, larghezza, EGL_HEIGHT, altezza, EGL_NONE};
    const EGLSurface superficie = eglCreatePbufferSurface(schermo, scelta, dimensioni);
    if (superficie == EGL_NO_SURFACE) {
        char lati[32];
        std::snprintf(lati, sizeof lati, "%dx%d", larghezza, altezza);
        errore("EGL gives no %s pbuffer", lati);
        return false;
    }
    const EGLint profilo[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                              EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    const EGLContext contesto = eglCreateContext(schermo, scelta, EGL_NO_CONTEXT, profilo);
    if (contesto == EGL_NO_CONTEXT ||
        !eglMakeCurrent(schermo, superficie, superficie, contesto)) {
        errore("no OpenGL compatibility-profile context from EGL");
        return false;
    }
    return true;
}

static void chiudi_contesto()
{
    if (schermo == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(schermo, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglTerminate(schermo);
    eglReleaseThread();
    schermo = EGL_NO_DISPLAY;
}

// libpng's own handler prints; the caller gives the one line.
static void errore_png(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}
static void avviso_png(png_structp, png_const_charp) {}

// Rows top down, as PNG has them; GL reads them bottom up. A file that
// could not be written whole is removed.
static bool scrivi_png(const char *percorso, int larghezza, int altezza, int canali,
                       const unsigned char *pixel)
{
    FILE *f = std::fopen(percorso, "wb");
    if (!f) {
        errore("%s: cannot write: %s", percorso, std::strerror(errno));
        return false;
    }
    std::vector<png_const_bytep> righe((size_t)altezza);
    for (int y = 0; y < altezza; y++)
        righe[(size_t)y] = pixel + (size_t)(altezza - 1 - y) * (size_t)larghezza * (size_t)canali;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, errore_png,
                                              avviso_png);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    volatile bool scritto = false;   // read after a longjmp
    errno = 0;
    if (info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, f);
        png_set_IHDR(png, info, (png_uint_32)larghezza, (png_uint_32)altezza, 8,
                     canali == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_rows(png, info, const_cast<png_bytepp>(righe.data()));
        png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
        scritto = std::fflush(f) == 0;
    }
    int e = errno;
    png_destroy_write_struct(&png, &info);
    // Only a file of our own is removed, never a device named as output.
    struct stat st;
    const bool regolare = fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode);
    if (std::fclose(f) != 0 && scritto) {
        scritto = false;
        e = errno;
    }
    if (!scritto) {
        if (regolare)
            std::remove(percorso);
        errore("%s: cannot write: %s", percorso, std::strerror(e ? e : EIO));
    }
    return scritto;
}

namespace {

struct NomeTasto {
    const char *nome;
    int codice;
};
const NomeTasto FRECCE[] = {
    {"<Up>", GLUT_KEY_UP}, {"<Down>", GLUT_KEY_DOWN},
    {"<Left>", GLUT_KEY_LEFT}, {"<Right>", GLUT_KEY_RIGHT},
};

}  // namespace

// The arrow named at p, or nullptr.
static const NomeTasto *freccia(const char *p)
{
    for (const NomeTasto &t : FRECCE)
        if (!std::strncmp(p, t.nome, std::strlen(t.nome)))
            return &t;
    return nullptr;
}

bool tasti_validi(const char *tasti, char *messaggio, size_t dim_messaggio)
{
    for (const char *p = tasti; *p; p++) {
        if (*p != '<')
            continue;
        const NomeTasto *t = freccia(p);
        if (!t) {
            const char *fine = std::strchr(p, '>');
            const int n = fine ? (int)(fine - p + 1) : (int)std::strlen(p);
            std::snprintf(messaggio, dim_messaggio,
                          "--keys: unknown key name '%.*s' (the arrows are <Up>, <Down>, "
                          "<Left> and <Right>)", n, p);
            return false;
        }
        p += std::strlen(t->nome) - 1;
    }
    return true;
}

// The keys as typed into the window: ordinary ones to keyboard, arrows to
// keyboard_s, at pointer position (0, 0), which neither reads.
static void premi(const char *tasti)
{
    for (const char *p = tasti; *p;) {
        if (const NomeTasto *t = *p == '<' ? freccia(p) : nullptr) {
            keyboard_s(t->codice, 0, 0);
            p += std::strlen(t->nome);
        } else {
            keyboard((unsigned char)*p, 0, 0);
            p++;
        }
    }
}

static bool leggi_intero(const char *p, const char **fine, int *n)
{
    long v = 0;
    const char *q = p;
    for (; *q >= '0' && *q <= '9'; q++) {
        v = v * 10 + (*q - '0');
        if (v > LATO_MASSIMO)
            return false;
    }
    *fine = q;
    *n = (int)v;
    return q != p && v >= 1;
}

bool leggi_dimensioni(const char *testo, int *larghezza, int *altezza)
{
    const char *p;
    if (!leggi_intero(testo, &p, larghezza) || *p != 'x')
        return false;
    return leggi_intero(p + 1, &p, altezza) && *p == '\0';
}

bool leggi_lato(const char *testo, int *lato)
{
    const char *p;
    return leggi_intero(testo, &p, lato) && *p == '\0';
}

// The window's state before its first frame: the fixed OpenGL state, then
// the reshape with the picture's size.
static bool prepara(int larghezza, int altezza)
{
    senza_finestra = true;
    if (!apri_contesto(larghezza, altezza))
        return false;
    init();
    resize(larghezza, altezza);
    return true;
}

int scrivi_quadro(const char *uscita, int larghezza, int altezza, const char *tasti)
{
    if (!prepara(larghezza, altezza))
        return 2;
    premi(tasti);
    disegna_quadro();
    std::vector<unsigned char> pixel((size_t)larghezza * (size_t)altezza * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, larghezza, altezza, GL_RGB, GL_UNSIGNED_BYTE, pixel.data());
    chiudi_contesto();
    return scrivi_png(uscita, larghezza, altezza, 3, pixel.data()) ? 0 : 2;
}

// Model-view stays the window's, so the light falls as there; the framing
// goes into the projection, after eye space: the bounding sphere's centre
// to the spot 50 units in front of the eye, its radius scaled to fill
// FRAZIONE_MINIATURA of the view's height at that distance.
static void inquadra()
{
    double minimo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, massimo[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const Poliedro &p : ElencoPoliedri)
        for (int i = 0; p.numfacce > 0 && i < p.numpunti && i < MAX_PUNTI; i++) {
            const double v[3] = {p.punti_trasformati[i].x, p.punti_trasformati[i].y,
                                 p.punti_trasformati[i].z};
            for (int k = 0; k < 3; k++) {
                minimo[k] = std::fmin(minimo[k], v[k]);
                massimo[k] = std::fmax(massimo[k], v[k]);
            }
        }
    if (!(minimo[0] <= massimo[0]))
        return;
    double c[3], raggio2 = 0.0;
    for (int k = 0; k < 3; k++)
        c[k] = 0.5 * (minimo[k] + massimo[k]);
    for (const Poliedro &p : ElencoPoliedri)
        for (int i = 0; p.numfacce > 0 && i < p.numpunti && i < MAX_PUNTI; i++) {
            const double dx = p.punti_trasformati[i].x - c[0], dy = p.punti_trasformati[i].y - c[1],
                         dz = p.punti_trasformati[i].z - c[2];
            raggio2 = std::fmax(raggio2, dx * dx + dy * dy + dz * dz);
        }
    const double raggio = std::sqrt(raggio2);
    const double voluto = FRAZIONE_MINIATURA * DISTANZA_OCCHIO *
                          std::tan(CAMPO_VISIVO * M_PI / 360.0);
    const double k = raggio > 0.0 ? voluto / raggio : 1.0;
    glMatrixMode(GL_PROJECTION);
    glTranslated(0.0, 0.0, -DISTANZA_OCCHIO);
    glScaled(k, k, k);
    glTranslated(-c[0], -c[1], DISTANZA_OCCHIO - c[2]);
}

int scrivi_miniatura(const char *uscita, int lato)
{
    // Inside a file manager's sandbox nothing is writable but the output.
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    if (!prepara(lato, lato))
        return 2;
    ombra = 0;
    inquadra();
    disegna_quadro();
    const size_t n = (size_t)lato * (size_t)lato;
    std::vector<unsigned char> pixel(n * 4);
    std::vector<float> profondita(n);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, lato, lato, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    glReadPixels(0, 0, lato, lato, GL_DEPTH_COMPONENT, GL_FLOAT, profondita.data());
    chiudi_contesto();
    // What was drawn moved the depth off the cleared far plane: opaque,
    // whatever the face's own alpha; the rest is transparent.
    for (size_t i = 0; i < n; i++) {
        if (profondita[i] < 1.0f)
            pixel[4 * i + 3] = 255;
        else
            std::memset(&pixel[4 * i], 0, 4);
    }
    return scrivi_png(uscita, lato, lato, 4, pixel.data()) ? 0 : 2;
}
