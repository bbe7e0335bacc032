/* sonda_scambi.c: preloaded into a measured program; notes its buffer swaps in
 * a small shared file that the harness reads while the program runs.
 *
 * BENCH_SWAP_FILE names the file (made by the harness, at least the size of
 * struct registro). With BENCH_SWAP_EXIT=1 the program ends right after its
 * first swap has reached the X server, so its exit time and peak memory are
 * those of its first frame. Without BENCH_SWAP_FILE the probe does nothing
 * but pass the swap on. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <GL/glx.h>
#include <X11/Xlib.h>

struct registro {
    uint64_t swaps;          /* buffer swaps so far */
    uint64_t primo_ns;       /* CLOCK_MONOTONIC after the first swap was on screen */
    uint64_t ultimo_ns;      /* CLOCK_MONOTONIC after the latest swap */
};

static struct registro *reg;
static int pronto;

static uint64_t adesso_ns(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint64_t)t.tv_sec * 1000000000u + (uint64_t)t.tv_nsec;
}

static void apri_registro(void)
{
    pronto = 1;
    const char *nome = getenv("BENCH_SWAP_FILE");
    if (!nome)
        return;
    int fd = open(nome, O_RDWR);
    if (fd < 0)
        return;
    void *p = mmap(NULL, sizeof *reg, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (p != MAP_FAILED)
        reg = p;
}

void glXSwapBuffers(Display *dpy, GLXDrawable drawable)
{
    static void (*vero)(Display *, GLXDrawable);
    if (!vero)
        vero = (void (*)(Display *, GLXDrawable))dlsym(RTLD_NEXT, "glXSwapBuffers");
    if (!pronto)
        apri_registro();
    vero(dpy, drawable);
    if (!reg)
        return;
    uint64_t n = __atomic_load_n(&reg->swaps, __ATOMIC_RELAXED);
    if (n == 0) {
        /* The round trip makes sure the server has the picture. */
        XSync(dpy, False);
        __atomic_store_n(&reg->primo_ns, adesso_ns(), __ATOMIC_RELAXED);
    }
    __atomic_store_n(&reg->ultimo_ns, adesso_ns(), __ATOMIC_RELAXED);
    __atomic_store_n(&reg->swaps, n + 1, __ATOMIC_RELEASE);
    if (n == 0) {
        const char *esci = getenv("BENCH_SWAP_EXIT");
        if (esci && strcmp(esci, "1") == 0)
            _exit(0);
    }
}
