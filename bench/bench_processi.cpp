// bench_processi.cpp: whole-process measurements of the viewer beside the bare
// program, on the X server named by $DISPLAY.
//
//   bench_processi start RUNS PROBE VIEWER BARE [STREAM]
//     Starts each program RUNS times, in turn, with the swap probe
//     preloaded and told to end the process at its first swap. Reports the
//     median time from fork to the first frame on the server, and the median
//     peak resident memory up to that frame.
//   bench_processi start RUNS PROBE -- ROLE PROGRAM [ARG...] [-- ROLE PROGRAM [ARG...]]...
//     The same, for programs with arguments (the viewer with a file), under
//     the roles given.
//   bench_processi settled RUNS -- ROLE PROGRAM [ARG...] [-- ROLE PROGRAM [ARG...]]...
//     Starts each program once to find its settled picture (the one that
//     stays the same for SERENO_S while the program is idle), then RUNS
//     times, in turn, with nothing preloaded (a peer is no GLX program of
//     ours), grabbing the whole screen over and over, and reports the median
//     time from fork to the first grab equal to the settled picture. Also
//     the median peak resident memory of the whole run.
//   bench_processi drag SECONDS RATE ROUNDS PROBE VIEWER BARE [STREAM]
//     Starts each program, waits for its first frame, holds the left button
//     in its window and moves the pointer RATE times a second for SECONDS
//     (after half a second of warm-up), counting the frames it swaps.
//     ROUNDS rounds, the programs in turn; reports the median frames per second, the
//     motion events per second actually sent, and the peak resident memory
//     over the whole run.
//
// Output: one "key role value" line per result, for scripts/bench to read;
// the roles are viewer, bare and stream, in the order the programs are given,
// unless named.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct Registro {
    uint64_t swaps;
    uint64_t primo_ns;
    uint64_t ultimo_ns;
};

// Window geometry the viewer and the bare program ask for; with no window
// manager on the virtual server they get it exactly.
constexpr int FINESTRA_X = 50, FINESTRA_Y = 50, FINESTRA_L = 1000, FINESTRA_A = 660;
constexpr double ATTESA_MASSIMA_S = 20.0;   // a first frame later than this is a failure
constexpr double RISCALDAMENTO_S = 0.5;     // drag time not counted
constexpr double RAGGIO_PX = 100.0;         // the pointer circles the window's middle
constexpr double GIRI_AL_SECONDO = 4.0;     // about 2.5 px between events at 1000/s

uint64_t adesso_ns()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint64_t)t.tv_sec * 1000000000u + (uint64_t)t.tv_nsec;
}

void dormi_fino(uint64_t ns)
{
    timespec t;
    t.tv_sec = (time_t)(ns / 1000000000u);
    t.tv_nsec = (long)(ns % 1000000000u);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) != 0) {
    }
}

double mediana(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// A shared, zeroed record file for the probe; unlinked once mapped.
struct FileRegistro {
    std::string nome;
    Registro *r = nullptr;
    FileRegistro()
    {
        char modello[] = "/tmp/bench_swapsXXXXXX";
        const int fd = mkstemp(modello);
        if (fd < 0) {
            std::perror("mkstemp");
            std::exit(1);
        }
        nome = modello;
        if (ftruncate(fd, sizeof(Registro)) != 0) {
            std::perror("ftruncate");
            std::exit(1);
        }
        void *p = mmap(nullptr, sizeof(Registro), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        close(fd);
        if (p == MAP_FAILED) {
            std::perror("mmap");
            std::exit(1);
        }
        r = static_cast<Registro *>(p);
    }
    ~FileRegistro()
    {
        munmap(r, sizeof(Registro));
        unlink(nome.c_str());
    }
    uint64_t swaps() const { return __atomic_load_n(&r->swaps, __ATOMIC_ACQUIRE); }
};

// A program to start: its role in the output, then its argv.
struct Programma {
    const char *ruolo;
    std::vector<const char *> argv;     // argv[0] is the program; null-terminated
};

// sonda null: nothing preloaded.
pid_t avvia(const Programma &programma, const char *sonda, const FileRegistro *reg, bool esci)
{
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (pid == 0) {
        if (sonda) {
            setenv("LD_PRELOAD", sonda, 1);
            setenv("BENCH_SWAP_FILE", reg->nome.c_str(), 1);
            setenv("BENCH_SWAP_EXIT", esci ? "1" : "0", 1);
        }
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0)
            dup2(null, STDOUT_FILENO);
        execv(programma.argv[0], const_cast<char *const *>(programma.argv.data()));
        std::perror(programma.argv[0]);
        _exit(127);
    }
    return pid;
}

// Waits for the child, up to the deadline; kills it past the deadline.
bool attendi(pid_t pid, uint64_t scadenza_ns, rusage *uso)
{
    int stato = 0;
    for (;;) {
        const pid_t r = wait4(pid, &stato, WNOHANG, uso);
        if (r == pid)
            return WIFEXITED(stato) && WEXITSTATUS(stato) == 0;
        if (adesso_ns() > scadenza_ns) {
            kill(pid, SIGKILL);
            wait4(pid, &stato, 0, uso);
            return false;
        }
        usleep(500);
    }
}

struct Avvio {
    double ms = NAN;
    double kib = NAN;
};

Avvio un_avvio(const Programma &programma, const char *sonda)
{
    FileRegistro reg;
    rusage uso{};
    const uint64_t t0 = adesso_ns();
    const pid_t pid = avvia(programma, sonda, &reg, true);
    const bool ok = attendi(pid, t0 + (uint64_t)(ATTESA_MASSIMA_S * 1e9), &uso);
    Avvio a;
    if (ok && reg.swaps() > 0) {
        a.ms = (double)(reg.r->primo_ns - t0) / 1e6;
        a.kib = (double)uso.ru_maxrss;
    }
    return a;
}

const char *const RUOLI[] = {"viewer", "bare", "stream"};
constexpr int MAX_PROGRAMMI = 8;

int comando_start(int runs, const char *sonda, const std::vector<Programma> &programmi)
{
    const size_t n = programmi.size();
    std::vector<double> ms[MAX_PROGRAMMI], kib[MAX_PROGRAMMI];
    // One run each first, not counted: file caches and the server warm up.
    for (size_t k = 0; k < n; k++)
        un_avvio(programmi[k], sonda);
    bool mancante = false;
    for (int i = 0; i < runs; i++)
        for (size_t k = 0; k < n; k++) {
            const Avvio a = un_avvio(programmi[k], sonda);
            if (std::isnan(a.ms)) {
                std::fprintf(stderr, "%s (%s): no first frame\n", programmi[k].argv[0],
                             programmi[k].ruolo);
                continue;
            }
            ms[k].push_back(a.ms);
            kib[k].push_back(a.kib);
        }
    for (size_t k = 0; k < n; k++) {
        const char *ruolo = programmi[k].ruolo;
        std::printf("first_frame_ms %s %.3f\n", ruolo, mediana(ms[k]));
        std::printf("first_frame_runs %s %zu\n", ruolo, ms[k].size());
        std::printf("first_frame_rss_kib %s %.0f\n", ruolo, mediana(kib[k]));
        mancante |= ms[k].empty();
    }
    return mancante ? 1 : 0;
}

struct Trascinamento {
    double fps = NAN;
    double eventi_al_s = NAN;
    double kib = NAN;
};

Trascinamento un_trascinamento(Display *dpy, const Programma &programma, const char *sonda,
                               double secondi, double frequenza)
{
    FileRegistro reg;
    Trascinamento esito;
    const uint64_t t0 = adesso_ns();
    const pid_t pid = avvia(programma, sonda, &reg, false);
    while (reg.swaps() == 0 && adesso_ns() < t0 + (uint64_t)(ATTESA_MASSIMA_S * 1e9))
        usleep(1000);
    if (reg.swaps() == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return esito;
    }
    usleep(300000);

    const double cx = FINESTRA_X + FINESTRA_L / 2.0, cy = FINESTRA_Y + FINESTRA_A / 2.0;
    const int schermo = DefaultScreen(dpy);
    XTestFakeMotionEvent(dpy, schermo, (int)(cx + RAGGIO_PX), (int)cy, CurrentTime);
    XSync(dpy, False);
    usleep(50000);
    XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
    XSync(dpy, False);

    const uint64_t passo = (uint64_t)(1e9 / frequenza);
    const uint64_t inizio = adesso_ns();
    const uint64_t misura = inizio + (uint64_t)(RISCALDAMENTO_S * 1e9);
    const uint64_t fine = misura + (uint64_t)(secondi * 1e9);
    uint64_t swaps0 = 0, t_misura = 0;
    long eventi = 0;
    uint64_t t = inizio;
    for (long k = 1;; k++) {
        t = inizio + (uint64_t)k * passo;
        if (t >= fine)
            break;
        dormi_fino(t);
        if (t_misura == 0 && t >= misura) {
            t_misura = adesso_ns();
            swaps0 = reg.swaps();
            eventi = 0;
        }
        const double a = 2.0 * M_PI * GIRI_AL_SECONDO * (double)(t - inizio) / 1e9;
        XTestFakeMotionEvent(dpy, schermo, (int)std::lround(cx + RAGGIO_PX * std::cos(a)),
                             (int)std::lround(cy + RAGGIO_PX * std::sin(a)), CurrentTime);
        XFlush(dpy);
        eventi++;
    }
    const uint64_t t_fine = adesso_ns();
    const uint64_t swaps1 = reg.swaps();
    XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
    XSync(dpy, False);

    kill(pid, SIGTERM);
    rusage uso{};
    if (!attendi(pid, adesso_ns() + 5000000000u, &uso) && uso.ru_maxrss == 0)
        return esito;
    const double durata = (double)(t_fine - t_misura) / 1e9;
    esito.fps = (double)(swaps1 - swaps0) / durata;
    esito.eventi_al_s = (double)eventi / durata;
    esito.kib = (double)uso.ru_maxrss;
    return esito;
}

int comando_drag(double secondi, double frequenza, int giri, const char *sonda,
                 const std::vector<Programma> &programmi)
{
    const size_t n = programmi.size();
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "cannot open display\n");
        return 1;
    }
    int ev, er, maj, min;
    if (!XTestQueryExtension(dpy, &ev, &er, &maj, &min)) {
        std::fprintf(stderr, "no XTest on this display\n");
        return 1;
    }
    std::vector<double> fps[MAX_PROGRAMMI], eventi[MAX_PROGRAMMI], kib[MAX_PROGRAMMI];
    for (int i = 0; i < giri; i++)
        for (size_t k = 0; k < n; k++) {
            const Trascinamento t = un_trascinamento(dpy, programmi[k], sonda, secondi, frequenza);
            if (std::isnan(t.fps)) {
                std::fprintf(stderr, "%s: no frames\n", programmi[k].argv[0]);
                continue;
            }
            fps[k].push_back(t.fps);
            eventi[k].push_back(t.eventi_al_s);
            kib[k].push_back(t.kib);
        }
    XCloseDisplay(dpy);
    bool mancante = false;
    for (size_t k = 0; k < n; k++) {
        const char *ruolo = programmi[k].ruolo;
        std::printf("drag_fps %s %.2f\n", ruolo, mediana(fps[k]));
        std::printf("drag_events_per_s %s %.1f\n", ruolo, mediana(eventi[k]));
        std::printf("drag_rss_kib %s %.0f\n", ruolo, mediana(kib[k]));
        mancante |= fps[k].empty();
    }
    return mancante ? 1 : 0;
}

constexpr double SERENO_S = 1.5;            // a picture unchanged this long has settled
constexpr double ATTESA_SERENA_S = 90.0;    // no settled picture by then is a failure

// The whole screen as one hash: the peer's window is wherever it puts it.
uint64_t impronta(Display *dpy)
{
    const int s = DefaultScreen(dpy);
    XImage *im = XGetImage(dpy, RootWindow(dpy, s), 0, 0, (unsigned)DisplayWidth(dpy, s),
                           (unsigned)DisplayHeight(dpy, s), AllPlanes, ZPixmap);
    if (!im)
        return 0;
    uint64_t h = 0xcbf29ce484222325ull;
    const size_t n = (size_t)im->bytes_per_line * (size_t)im->height / 8;
    for (size_t i = 0; i < n; i++) {
        uint64_t w;
        std::memcpy(&w, im->data + 8 * i, 8);
        h = (h ^ w) * 0x100000001b3ull;
    }
    XDestroyImage(im);
    return h;
}

// Some thread of pid is running or waiting to run (or on the disk): a
// program still at work, whatever its window shows.
bool al_lavoro(pid_t pid)
{
    char nome[64];
    std::snprintf(nome, sizeof nome, "/proc/%d/task", (int)pid);
    DIR *d = opendir(nome);
    if (!d)
        return false;
    bool lavora = false;
    while (dirent *e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        char stat[336], riga[512];
        std::snprintf(stat, sizeof stat, "%s/%s/stat", nome, e->d_name);
        FILE *f = std::fopen(stat, "r");
        if (!f)
            continue;
        const bool ok = std::fgets(riga, sizeof riga, f) != nullptr;
        std::fclose(f);
        const char *p = ok ? std::strrchr(riga, ')') : nullptr;
        if (p && (p[2] == 'R' || p[2] == 'D'))
            lavora = true;
    }
    closedir(d);
    return lavora;
}

// One launch. Without a reference (*settled == 0): waits for the picture
// that stays the same for SERENO_S while no thread of the process is seen
// at work, so that a program still loading behind a still window is not
// taken as done, and keeps it in *settled. With one: the time to the first
// grab equal to it. Both: the peak resident memory up to the kill.
Avvio un_assestamento(Display *dpy, const Programma &programma, uint64_t *settled)
{
    const uint64_t vuoto = impronta(dpy);
    const uint64_t t0 = adesso_ns();
    const pid_t pid = avvia(programma, nullptr, nullptr, false);
    uint64_t ultima = vuoto, dal = t0;
    Avvio a;
    for (;;) {
        const uint64_t h = impronta(dpy);
        const uint64_t t = adesso_ns();
        if (*settled != 0 && h == *settled) {
            a.ms = (double)(t - t0) / 1e6;
            break;
        }
        if (h != ultima || (*settled == 0 && al_lavoro(pid))) {
            ultima = h;
            dal = t;
        } else if (*settled == 0 && h != vuoto && t - dal >= (uint64_t)(SERENO_S * 1e9)) {
            *settled = h;
            a.ms = (double)(dal - t0) / 1e6;
            break;
        }
        if (t - t0 > (uint64_t)(ATTESA_SERENA_S * 1e9) || waitpid(pid, nullptr, WNOHANG) == pid)
            break;
        usleep(2000);
    }
    kill(pid, SIGKILL);
    rusage uso{};
    int stato;
    wait4(pid, &stato, 0, &uso);
    a.kib = (double)uso.ru_maxrss;
    // The next launch starts from the empty screen again.
    for (int i = 0; i < 500 && impronta(dpy) != vuoto; i++)
        usleep(10000);
    return a;
}

int comando_settled(int runs, const std::vector<Programma> &programmi)
{
    const size_t n = programmi.size();
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "cannot open display\n");
        return 1;
    }
    std::vector<double> ms[MAX_PROGRAMMI], kib[MAX_PROGRAMMI];
    // One launch each first, not counted: the file in the page cache, and
    // each program's settled picture.
    uint64_t settled[MAX_PROGRAMMI] = {};
    for (size_t k = 0; k < n; k++)
        un_assestamento(dpy, programmi[k], &settled[k]);
    for (int i = 0; i < runs; i++)
        for (size_t k = 0; k < n; k++) {
            if (settled[k] == 0)
                continue;
            const Avvio a = un_assestamento(dpy, programmi[k], &settled[k]);
            if (std::isnan(a.ms)) {
                std::fprintf(stderr, "%s (%s): no settled picture\n", programmi[k].argv[0],
                             programmi[k].ruolo);
                continue;
            }
            ms[k].push_back(a.ms);
            kib[k].push_back(a.kib);
        }
    XCloseDisplay(dpy);
    bool mancante = false;
    for (size_t k = 0; k < n; k++) {
        const char *ruolo = programmi[k].ruolo;
        std::printf("settled_ms %s %.3f\n", ruolo, mediana(ms[k]));
        std::printf("settled_runs %s %zu\n", ruolo, ms[k].size());
        std::printf("settled_rss_kib %s %.0f\n", ruolo, mediana(kib[k]));
        mancante |= ms[k].empty();
    }
    return mancante ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    // Programs: VIEWER BARE and optionally STREAM, after the fixed arguments,
    // with no arguments of their own.
    auto programmi = [&](int da) {
        std::vector<Programma> v;
        for (int i = da; i < argc; i++)
            v.push_back(Programma{RUOLI[i - da], {argv[i], nullptr}});
        return v;
    };
    // Or groups "-- ROLE PROGRAM [ARG...]", as many as MAX_PROGRAMMI.
    auto gruppi = [&](int da, std::vector<Programma> *v) {
        for (int i = da; i < argc;) {
            if (std::strcmp(argv[i], "--") != 0 || i + 2 >= argc)
                return false;
            Programma p{argv[i + 1], {}};
            for (i += 2; i < argc && std::strcmp(argv[i], "--") != 0; i++)
                p.argv.push_back(argv[i]);
            p.argv.push_back(nullptr);
            v->push_back(p);
        }
        return !v->empty() && v->size() <= MAX_PROGRAMMI;
    };
    std::vector<Programma> scelti;
    if (argc >= 7 && std::strcmp(argv[1], "start") == 0 && std::strcmp(argv[4], "--") == 0 &&
        gruppi(4, &scelti))
        return comando_start(std::atoi(argv[2]), argv[3], scelti);
    if (argc >= 6 && std::strcmp(argv[1], "settled") == 0 && gruppi(3, &scelti))
        return comando_settled(std::atoi(argv[2]), scelti);
    if ((argc == 6 || argc == 7) && std::strcmp(argv[1], "start") == 0)
        return comando_start(std::atoi(argv[2]), argv[3], programmi(4));
    if ((argc == 8 || argc == 9) && std::strcmp(argv[1], "drag") == 0)
        return comando_drag(std::atof(argv[2]), std::atof(argv[3]), std::atoi(argv[4]),
                            argv[5], programmi(6));
    std::fprintf(stderr,
                 "usage: %s start RUNS PROBE VIEWER BARE [STREAM]\n"
                 "       %s start RUNS PROBE -- ROLE PROGRAM [ARG...] [-- ROLE PROGRAM [ARG...]]...\n"
                 "       %s settled RUNS -- ROLE PROGRAM [ARG...] [-- ROLE PROGRAM [ARG...]]...\n"
                 "       %s drag SECONDS RATE ROUNDS PROBE VIEWER BARE [STREAM]\n",
                 argv[0], argv[0], argv[0], argv[0]);
    return 2;
}
