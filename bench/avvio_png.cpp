// avvio_png.cpp RUNS NAME=COMMAND...: process start to picture written, for
// programs that draw one picture and exit. Runs every COMMAND (split at
// spaces) RUNS times, in turn, so that drift on a shared machine reaches
// all alike; each run is timed from the spawn to its exit, after the PNG is
// closed. Prints "png_ms NAME median", "png_cpu_ms NAME median CPU time of
// all its threads" (steadier than wall time on a busy machine), "png_rss_kib
// NAME largest peak resident size" and "png_runs NAME RUNS"; nan for a
// program that failed.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

extern char **environ;

struct Caso {
    std::string nome;
    std::vector<std::string> argomenti;
    std::vector<double> ms, cpu_ms;
    long rss_kib = 0;
    bool fallito = false;
};

static double adesso_ms()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_avvio_png RUNS NAME=COMMAND...\n");
        return 2;
    }
    const int volte = std::atoi(argv[1]);
    std::vector<Caso> casi;
    for (int i = 2; i < argc; i++) {
        const std::string a = argv[i];
        const size_t uguale = a.find('=');
        Caso c;
        c.nome = a.substr(0, uguale);
        std::istringstream parole(a.substr(uguale + 1));
        for (std::string p; parole >> p;)
            c.argomenti.push_back(p);
        casi.push_back(c);
    }
    for (int v = 0; v < volte; v++)
        for (Caso &c : casi) {
            std::vector<char *> av;
            for (std::string &s : c.argomenti)
                av.push_back(&s[0]);
            av.push_back(nullptr);
            const double t0 = adesso_ms();
            pid_t pid;
            int stato = 0;
            rusage uso{};
            if (posix_spawn(&pid, av[0], nullptr, nullptr, av.data(), environ) != 0 ||
                wait4(pid, &stato, 0, &uso) != pid || !WIFEXITED(stato) ||
                WEXITSTATUS(stato) != 0) {
                c.fallito = true;
                continue;
            }
            c.ms.push_back(adesso_ms() - t0);
            c.cpu_ms.push_back((uso.ru_utime.tv_sec + uso.ru_stime.tv_sec) * 1e3 +
                               (uso.ru_utime.tv_usec + uso.ru_stime.tv_usec) / 1e3);
            c.rss_kib = std::max(c.rss_kib, uso.ru_maxrss);
        }
    for (Caso &c : casi) {
        std::sort(c.ms.begin(), c.ms.end());
        std::sort(c.cpu_ms.begin(), c.cpu_ms.end());
        const bool niente = c.fallito || c.ms.empty();
        std::printf("png_ms %s %.1f\n", c.nome.c_str(), niente ? NAN : c.ms[c.ms.size() / 2]);
        std::printf("png_cpu_ms %s %.1f\n", c.nome.c_str(),
                    niente ? NAN : c.cpu_ms[c.cpu_ms.size() / 2]);
        std::printf("png_rss_kib %s %ld\n", c.nome.c_str(), c.fallito ? -1L : c.rss_kib);
        std::printf("png_runs %s %zu\n", c.nome.c_str(), c.ms.size());
    }
    return 0;
}
