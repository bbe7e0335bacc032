// esamina_schermata.cpp: measures screenshots of the viewer for the
// end-to-end tests.
//
//   esamina_schermata conta FILE        pixel classes and centroids
//   esamina_schermata differenze A B    number of pixels that differ
//
// FILE, A and B are binary PPM files (P6, maxval 255), as xwdtopnm writes
// them. "conta" prints one line of name value pairs:
//   oggetto N ox X oy Y ombra N sx X sy Y
// oggetto: pixels of the lit objects (neither background grey nor shadow);
// ombra: shadow pixels; ox, oy and sx, sy their centroids, in window pixels
// with y growing downward (-1 when the class is empty).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// The clear colour 0.5 grey is 127 or 128 in an 8-bit buffer.
static const int TOLLERANZA_GRIGIO = 1;
// Shadows get the ambient term alone, 0.02 of full scale (5 of 255); the
// darkest lit surface is about 40.
static const int MASSIMO_OMBRA = 20;

struct Ppm {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
};

static bool leggi(const char *nome, Ppm &im)
{
    FILE *f = std::fopen(nome, "rb");
    if (!f)
        return false;
    int maxval = 0;
    const bool ok = std::fscanf(f, "P6 %d %d %d", &im.w, &im.h, &maxval) == 3 && maxval == 255 &&
                    std::fgetc(f) != EOF && im.w > 0 && im.h > 0;
    if (ok) {
        im.rgb.resize(3 * (size_t)im.w * im.h);
        if (std::fread(im.rgb.data(), 1, im.rgb.size(), f) != im.rgb.size()) {
            std::fclose(f);
            return false;
        }
    }
    std::fclose(f);
    return ok;
}

static int conta(const Ppm &im)
{
    long n[2] = {0, 0};
    double sx[2] = {0, 0}, sy[2] = {0, 0};
    for (int y = 0; y < im.h; y++)
        for (int x = 0; x < im.w; x++) {
            const unsigned char *p = &im.rgb[3 * ((size_t)y * im.w + x)];
            bool grigio = true, scuro = true;
            for (int c = 0; c < 3; c++) {
                grigio = grigio && std::abs(p[c] - 128) <= TOLLERANZA_GRIGIO;
                scuro = scuro && p[c] < MASSIMO_OMBRA;
            }
            if (grigio)
                continue;
            const int k = scuro ? 1 : 0;
            n[k]++;
            sx[k] += x;
            sy[k] += y;
        }
    std::printf("oggetto %ld ox %.1f oy %.1f ombra %ld sx %.1f sy %.1f\n", n[0],
                n[0] ? sx[0] / n[0] : -1.0, n[0] ? sy[0] / n[0] : -1.0, n[1],
                n[1] ? sx[1] / n[1] : -1.0, n[1] ? sy[1] / n[1] : -1.0);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "conta") == 0) {
        Ppm im;
        if (!leggi(argv[2], im)) {
            std::fprintf(stderr, "cannot read %s\n", argv[2]);
            return 2;
        }
        return conta(im);
    }
    if (argc == 4 && std::strcmp(argv[1], "differenze") == 0) {
        Ppm a, b;
        if (!leggi(argv[2], a) || !leggi(argv[3], b) || a.w != b.w || a.h != b.h) {
            std::fprintf(stderr, "cannot compare %s and %s\n", argv[2], argv[3]);
            return 2;
        }
        long n = 0;
        for (size_t i = 0; i < a.rgb.size(); i += 3)
            if (std::memcmp(&a.rgb[i], &b.rgb[i], 3) != 0)
                n++;
        std::printf("%ld\n", n);
        return 0;
    }
    std::fprintf(stderr, "usage: esamina_schermata conta FILE | differenze A B\n");
    return 2;
}
