// compat_gl.cpp: the GL calls of the viewer on top of Emscripten's legacy GL
// emulation (see compat_gl.h). The emulation draws each glBegin/glEnd pair
// on its own, with some twenty WebGL calls, and mishandles a colour or
// normal given once per primitive; here every vertex carries GL's current
// normal and colour, primitives become triangles or lines, and those that
// share their material are drawn together as one vertex array.
#include <GL/glut.h>
#include <emscripten.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace {

struct Vertice {
    GLfloat x, y, z;
    GLfloat nx, ny, nz;
    GLfloat r, g, b, a;
};

// Primitives waiting to be drawn with one material.
struct Lotto {
    GLenum modo;                  // GL_TRIANGLES or GL_LINES
    GLfloat ambiente[4];
    GLfloat diffusa[4];
    std::vector<Vertice> vertici;
};

// The emulation uploads a draw's vertices through a buffer of
// GL_MAX_TEMP_BUFFER_SIZE (2 MiB) bytes; a multiple of 6 ends every chunk
// on a whole triangle and a whole line.
constexpr std::size_t VERTICI_PER_DISEGNO = (2u << 20) / sizeof(Vertice) / 6 * 6;

// GL's current values, which outlive each glBegin/glEnd pair: the edges of
// the viewer give no normal and are lit with the last one given.
GLfloat normale[3] = {0.0f, 0.0f, 1.0f};
GLfloat colore[4] = {1.0f, 1.0f, 1.0f, 1.0f};
GLfloat ambiente[4] = {0.2f, 0.2f, 0.2f, 1.0f};
GLfloat diffusa[4] = {0.8f, 0.8f, 0.8f, 1.0f};

bool aperta = false;              // between glBegin and glEnd
GLenum primitiva = GL_POINTS;
std::vector<Vertice> corrente;    // the vertices of the open primitive

std::vector<Lotto> lotti;         // kept with their capacity between frames
std::size_t lotti_usati = 0;

bool profondita = false;
bool fusione = false;
GLenum fattore_sorgente = GL_ONE;
GLenum fattore_destinazione = GL_ZERO;

int quadri = 0;

// Whether primitives drawn in another order give the same picture. With
// the depth test on and no blending the nearest fragment wins whatever the
// order (exact depth ties aside); with blending that adds the source to
// what is there, and no depth test, the sums do not depend on the order
// (up to the rounding of each step). Otherwise only neighbours are merged.
bool ordine_libero()
{
    if (profondita && !fusione)
        return true;
    const bool somma = fattore_destinazione == GL_ONE &&
                       (fattore_sorgente == GL_ONE || fattore_sorgente == GL_SRC_ALPHA ||
                        fattore_sorgente == GL_ZERO);
    return fusione && !profondita && somma;
}

Lotto &lotto_per(GLenum modo)
{
    const std::size_t primo = ordine_libero() || lotti_usati == 0 ? 0 : lotti_usati - 1;
    for (std::size_t i = primo; i < lotti_usati; i++) {
        Lotto &l = lotti[i];
        if (l.modo == modo && std::memcmp(l.ambiente, ambiente, sizeof ambiente) == 0 &&
            std::memcmp(l.diffusa, diffusa, sizeof diffusa) == 0)
            return l;
    }
    if (lotti_usati == lotti.size())
        lotti.emplace_back();
    Lotto &l = lotti[lotti_usati++];
    l.modo = modo;
    std::memcpy(l.ambiente, ambiente, sizeof ambiente);
    std::memcpy(l.diffusa, diffusa, sizeof diffusa);
    l.vertici.clear();
    return l;
}

// Draws what waits, lot by lot in the order each first appeared.
void disegna()
{
    if (lotti_usati == 0)
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    for (std::size_t i = 0; i < lotti_usati; i++) {
        Lotto &l = lotti[i];
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, l.ambiente);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, l.diffusa);
        for (std::size_t da = 0; da < l.vertici.size(); da += VERTICI_PER_DISEGNO) {
            const Vertice *v = l.vertici.data() + da;
            const std::size_t n = l.vertici.size() - da < VERTICI_PER_DISEGNO
                                      ? l.vertici.size() - da
                                      : VERTICI_PER_DISEGNO;
            glVertexPointer(3, GL_FLOAT, sizeof(Vertice), &v->x);
            glNormalPointer(GL_FLOAT, sizeof(Vertice), &v->nx);
            glColorPointer(4, GL_FLOAT, sizeof(Vertice), &v->r);
            glDrawArrays(l.modo, 0, (GLsizei)n);
        }
        l.vertici.clear();
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    lotti_usati = 0;
}

void aggiungi(std::vector<Vertice> &a, int i)
{
    a.push_back(corrente[i]);
}

// The open primitive as independent lines or triangles. The viewer draws
// only lines and convex polygons; a polygon is the fan from its first vertex.
void chiudi()
{
    const int n = (int)corrente.size();
    if (primitiva == GL_LINES) {
        auto &a = lotto_per(GL_LINES).vertici;
        for (int i = 0; i + 1 < n; i += 2) {
            aggiungi(a, i);
            aggiungi(a, i + 1);
        }
    } else {
        auto &a = lotto_per(GL_TRIANGLES).vertici;
        for (int i = 1; i + 1 < n; i++) {
            aggiungi(a, 0);
            aggiungi(a, i);
            aggiungi(a, i + 1);
        }
    }
    corrente.clear();
}

void copia4(GLfloat *a, const GLfloat *b)
{
    std::memcpy(a, b, 4 * sizeof(GLfloat));
}

} // namespace

extern "C" {

void compat_glBegin(GLenum mode)
{
    aperta = true;
    primitiva = mode;
    corrente.clear();
}

void compat_glEnd(void)
{
    if (!aperta)
        return;
    aperta = false;
    chiudi();
}

void compat_glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (!aperta)
        return;
    corrente.push_back({x, y, z, normale[0], normale[1], normale[2],
                        colore[0], colore[1], colore[2], colore[3]});
}

void compat_glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    normale[0] = x;
    normale[1] = y;
    normale[2] = z;
}

void compat_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    colore[0] = r;
    colore[1] = g;
    colore[2] = b;
    colore[3] = a;
}

// The material goes with each primitive (as set when it ends); the
// emulation knows ambient and diffuse only apart, and throws on both at once.
void compat_glMaterialfv(GLenum face, GLenum pname, const GLfloat *params)
{
    if (face == GL_BACK)
        return;                   // one-sided lighting never shows it
    switch (pname) {
    case GL_AMBIENT_AND_DIFFUSE:
        copia4(ambiente, params);
        copia4(diffusa, params);
        break;
    case GL_AMBIENT:
        copia4(ambiente, params);
        break;
    case GL_DIFFUSE:
        copia4(diffusa, params);
        break;
    default:
        disegna();
        glMaterialfv(face, pname, params);
        break;
    }
}

// Attenuation acts on positional lights only; the emulation has none, and
// the viewer's light is directional.
void compat_glLightf(GLenum, GLenum, GLfloat) {}

void compat_glLightfv(GLenum light, GLenum pname, const GLfloat *params)
{
    disegna();
    glLightfv(light, pname, params);
}

// The emulation always interpolates colours and reports glShadeModel as
// unsupported: smooth shading needs no call, flat would be reported.
void compat_glShadeModel(GLenum mode)
{
    if (mode != GL_SMOOTH)
        glShadeModel(mode);
}

static void stato(GLenum cap, bool acceso)
{
    disegna();
    if (cap == GL_DEPTH_TEST)
        profondita = acceso;
    else if (cap == GL_BLEND)
        fusione = acceso;
}

// GL_NORMALIZE needs nothing: the emulation's lighting normalises every normal.
void compat_glEnable(GLenum cap)
{
    stato(cap, true);
    glEnable(cap);
}

void compat_glDisable(GLenum cap)
{
    stato(cap, false);
    glDisable(cap);
}

void compat_glBlendFunc(GLenum sfactor, GLenum dfactor)
{
    disegna();
    fattore_sorgente = sfactor;
    fattore_destinazione = dfactor;
    glBlendFunc(sfactor, dfactor);
}

void compat_glClear(GLbitfield mask)
{
    disegna();
    glClear(mask);
}

void compat_glMatrixMode(GLenum mode)
{
    disegna();
    glMatrixMode(mode);
}

void compat_glLoadIdentity(void)
{
    disegna();
    glLoadIdentity();
}

void compat_glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    disegna();
    glTranslatef(x, y, z);
}

void compat_glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    disegna();
    glViewport(x, y, width, height);
}

void compat_glLineWidth(GLfloat width)
{
    disegna();
    glLineWidth(width);
}

void compat_glPolygonMode(GLenum face, GLenum mode)
{
    disegna();
    glPolygonMode(face, mode);
}

void compat_glFlush(void)
{
    disegna();
    glFlush();
}

void compat_gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble znear, GLdouble zfar)
{
    disegna();
    gluPerspective(fovy, aspect, znear, zfar);
}

// Emscripten's GLUT leaves the page's title alone.
int compat_glutCreateWindow(const char *title)
{
    EM_ASM({ document.title = UTF8ToString($0); }, title);
    return glutCreateWindow(title);
}

// Frames are counted on the page, and the first one timed from the start
// of the page's loading, for the tests and the benchmarks.
void compat_glutSwapBuffers(void)
{
    disegna();
    glutSwapBuffers();
    quadri++;
    EM_ASM({
        Module['quadri'] = $0;
        if ($0 == 1)
            Module['primoQuadro'] = performance.now();
    }, quadri);
}

} // extern "C"
