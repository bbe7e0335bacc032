/* schermata.c WINDOW: the window's contents as a binary PPM on standard
 * output, as xwd | xwdtopnm gives them. Built on first use by schermo.sh,
 * so that showing the viewer on a virtual display needs no screenshot
 * package (x11-apps brings man-db and its triggers with it).
 * schermata --display: status 0 when $DISPLAY answers, 1 otherwise. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The 8-bit value of a channel under mask, whatever its width and place. */
static unsigned canale(unsigned long pixel, unsigned long mask)
{
    if (!mask)
        return 0;
    int shift = 0, bits = 0;
    while (!((mask >> shift) & 1))
        shift++;
    while ((mask >> (shift + bits)) & 1)
        bits++;
    const unsigned long v = (pixel & mask) >> shift, max = (1ul << bits) - 1;
    return (unsigned)((v * 255 + max / 2) / max);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: schermata WINDOW\n");
        return 2;
    }
    Display *d = XOpenDisplay(NULL);
    if (!strcmp(argv[1], "--display")) {
        if (d)
            XCloseDisplay(d);
        return d ? 0 : 1;
    }
    if (!d) {
        fprintf(stderr, "schermata: no display\n");
        return 1;
    }
    const Window w = (Window)strtoul(argv[1], NULL, 0);
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a))
        return 1;
    XImage *im = XGetImage(d, w, 0, 0, (unsigned)a.width, (unsigned)a.height, AllPlanes, ZPixmap);
    if (!im)
        return 1;
    printf("P6\n%d %d\n255\n", a.width, a.height);
    for (int y = 0; y < a.height; y++)
        for (int x = 0; x < a.width; x++) {
            const unsigned long p = XGetPixel(im, x, y);
            putchar((int)canale(p, im->red_mask));
            putchar((int)canale(p, im->green_mask));
            putchar((int)canale(p, im->blue_mask));
        }
    XDestroyImage(im);
    XCloseDisplay(d);
    return fflush(stdout) == 0 ? 0 : 1;
}
