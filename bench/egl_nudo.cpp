// egl_nudo.cpp OUTPUT.png [SIZE]: the floor for pictures without a display:
// the least a program does to make the context superficie --output makes
// (Mesa's EGL, surfaceless platform, a 1000x660 pbuffer of 8-bit RGB with a
// 32-bit depth buffer, compatibility profile), draw the viewer's primitive
// stream of the built-in surface once, from floats made at build time, and
// write it as the same RGB PNG through libpng. With SIZE it draws a SIZE x
// SIZE picture with no shadows instead, the thumbnail's work on the same
// surface. It shares no code with the viewer, only the stream and the
// picture's fixed values.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/flusso.h"
#include "triangoli.inc"

static const Flusso flusso = {num_facce, inizio_faccia, angoli, sollevati, colori_faccia,
                              colori_bordo_faccia, nullptr};

static bool contesto(int w, int h)
{
    auto piattaforma = (PFNEGLGETPLATFORMDISPLAYEXTPROC)eglGetProcAddress(
        "eglGetPlatformDisplayEXT");
    EGLDisplay d = piattaforma ? piattaforma(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY,
                                             nullptr)
                               : EGL_NO_DISPLAY;
    EGLint a, b;
    if (d == EGL_NO_DISPLAY || !eglInitialize(d, &a, &b) || !eglBindAPI(EGL_OPENGL_API))
        return false;
    const EGLint richiesta[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                EGL_OPENGL_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 32,
                                EGL_NONE};
    EGLConfig c[64];
    EGLint n = 0;
    eglChooseConfig(d, richiesta, c, 64, &n);
    EGLConfig scelta = nullptr;
    for (int i = 0; i < n && !scelta; i++) {
        EGLint r, a, z, s, m;
        eglGetConfigAttrib(d, c[i], EGL_RED_SIZE, &r);
        eglGetConfigAttrib(d, c[i], EGL_ALPHA_SIZE, &a);
        eglGetConfigAttrib(d, c[i], EGL_DEPTH_SIZE, &z);
        eglGetConfigAttrib(d, c[i], EGL_STENCIL_SIZE, &s);
        eglGetConfigAttrib(d, c[i], EGL_SAMPLES, &m);
        if (r == 8 && a == 0 && z == 32 && s == 0 && m == 0)
            scelta = c[i];
    }
    const EGLint lati[] = {EGL_WIDTH, w, EGL_HEIGHT, h, EGL_NONE};
    const EGLint profilo[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                              EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLSurface s = scelta ? eglCreatePbufferSurface(d, scelta, lati) : EGL_NO_SURFACE;
    EGLContext x = s != EGL_NO_SURFACE ? eglCreateContext(d, scelta, EGL_NO_CONTEXT, profilo)
                                       : EGL_NO_CONTEXT;
    return x != EGL_NO_CONTEXT && eglMakeCurrent(d, s, s, x);
}

int main(int argc, char **argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: bench_nudo_egl OUTPUT.png [SIZE]\n");
        return 2;
    }
    const int lato = argc == 3 ? std::atoi(argv[2]) : 0;
    const int w = lato ? lato : 1000, h = lato ? lato : 660, canali = lato ? 4 : 3;
    if (!contesto(w, h)) {
        std::fprintf(stderr, "bench_nudo_egl: no EGL context\n");
        return 1;
    }
    static const GLfloat diffusa[] = {0.6f, 0.6f, 0.6f, 1.0f};
    static const GLfloat posizione[] = {0.0f, -10.0f, -5.0f, 0.0f};
    glClearColor(0.5f, 0.5f, 0.5f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffusa);
    glLightfv(GL_LIGHT1, GL_POSITION, posizione);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHTING);
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, (double)w / (double)h, 1.0, 1000.0);
    disegna_flusso(flusso, lato == 0, false);

    std::vector<unsigned char> pixel((size_t)w * (size_t)h * (size_t)canali);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, canali == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, pixel.data());
    std::FILE *f = std::fopen(argv[1], "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (!f || setjmp(png_jmpbuf(png)))
        return 1;
    std::vector<png_bytep> righe((size_t)h);
    for (int y = 0; y < h; y++)
        righe[(size_t)y] = pixel.data() + (size_t)(h - 1 - y) * (size_t)w * (size_t)canali;
    png_init_io(png, f);
    png_set_IHDR(png, info, (png_uint_32)w, (png_uint_32)h, 8,
                 canali == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, righe.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0 ? 0 : 1;
}
