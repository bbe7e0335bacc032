// bench_grande.cpp: large binary STL files read and fitted to the store,
// beside their floor, with the peak resident memory of each.
//
//   bench_grande [DIR]
//     Writes into DIR (default: a new folder under $TMPDIR) a bumpy
//     icosphere subdivided 6, 8 and 9 times (81,920, 1,310,720 and
//     5,242,880 triangles; 4, 65 and 262 MB) as binary STL, then measures
//     each in processes of its own, RUNS times in turn (default 5):
//       read   leggi_percorso and adatta_file, as the viewer opens a file;
//              also the time of the fit alone;
//       floor  the file's bytes read into memory, plus meshopt_simplify
//              alone down to MAX_FACCE on the triangles already indexed
//              (built before the clock starts).
//     Prints one "case triangles key value" line per median, for a table.
//   bench_grande write LEVEL FILE
//     Only writes the file, for the start-up measurement of the viewer.
//   bench_grande read FILE, bench_grande floor FILE
//     One case of the above on any file, in this process.
//   bench_grande numbers FILE
//     The floor of a text format: its bytes read and its numbers parsed.
//
// Every process reports its own peak resident memory (ru_maxrss), so that
// the read's peak is not the generator's.
#include <meshoptimizer.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <fast_float/fast_float.h>

#include "mesh/adatta.h"
#include "loading/formati.h"

namespace {

double adesso_s()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Processor time of this process: what the case costs on a machine shared
// with others, where the wall clock also counts their work.
double cpu_s()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

double picco_mib()
{
    struct rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;   // KiB on Linux
}

// The test meshes' bumpy sphere: not a sphere, so the fit has a shape to keep.
double raggio(const double d[3])
{
    return 1.0 + 0.08 * std::sin(5.0 * d[0]) * std::sin(4.0 * d[1] + 1.0) *
                     std::sin(3.0 * d[2] + 2.0);
}

void unita(double v[3])
{
    const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int k = 0; k < 3; k++)
        v[k] /= n;
}

struct Scrittore {
    FILE *f;
    void triangolo(const double *a, const double *b, const double *c)
    {
        float t[12] = {};
        const double *v[3] = {a, b, c};
        for (int i = 0; i < 3; i++) {
            const double r = raggio(v[i]);
            for (int k = 0; k < 3; k++)
                t[3 + 3 * i + k] = (float)(v[i][k] * r);
        }
        char rec[50] = {};
        std::memcpy(rec, t, 48);
        std::fwrite(rec, 1, 50, f);
    }
    // The midpoint of an edge is normalise(a + b), the same from either face,
    // so the soup's copies of a vertex are equal to the bit.
    void suddividi(const double *a, const double *b, const double *c, int livelli)
    {
        if (livelli == 0) {
            triangolo(a, b, c);
            return;
        }
        double ab[3], bc[3], ca[3];
        for (int k = 0; k < 3; k++) {
            ab[k] = a[k] + b[k];
            bc[k] = b[k] + c[k];
            ca[k] = c[k] + a[k];
        }
        unita(ab);
        unita(bc);
        unita(ca);
        suddividi(a, ab, ca, livelli - 1);
        suddividi(b, bc, ab, livelli - 1);
        suddividi(c, ca, bc, livelli - 1);
        suddividi(ab, bc, ca, livelli - 1);
    }
};

bool scrivi_stl(int livelli, const std::string &percorso)
{
    FILE *f = std::fopen(percorso.c_str(), "wb");
    if (!f)
        return false;
    char testa[80] = "bumpy icosphere";
    std::fwrite(testa, 1, 80, f);
    const uint32_t n = 20u << (2 * livelli);
    std::fwrite(&n, 4, 1, f);
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    double v[12][3] = {{-1, t, 0}, {1, t, 0},  {-1, -t, 0}, {1, -t, 0},
                       {0, -1, t}, {0, 1, t},  {0, -1, -t}, {0, 1, -t},
                       {t, 0, -1}, {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    for (auto &p : v)
        unita(p);
    const int facce[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                              {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                              {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                              {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    Scrittore s{f};
    for (const auto &fa : facce)
        s.suddividi(v[fa[0]], v[fa[1]], v[fa[2]], livelli);
    return std::fclose(f) == 0;
}

// One case in this process: prints "key value" lines.
int misura_lettura(const char *percorso)
{
    static Maglia m;
    char errore[600], nota[600];
    const double t0 = adesso_s(), c0 = cpu_s();
    if (!leggi_percorso(percorso, &m, errore, sizeof errore)) {
        std::fprintf(stderr, "%s\n", errore);
        return 1;
    }
    const double t1 = adesso_s(), c1 = cpu_s();
    const double picco_lettura = picco_mib();
    adatta_file(percorso, &m, nota, sizeof nota);
    const double t2 = adesso_s(), c2 = cpu_s();
    std::printf("read_fit_s %.6f\nfit_s %.6f\nread_fit_cpu_s %.6f\nfit_cpu_s %.6f\n"
                "peak_mib %.1f\nread_peak_mib %.1f\nfaces %zu\nvertices %zu\n",
                t2 - t0, t2 - t1, c2 - c0, c2 - c1, picco_mib(), picco_lettura, m.facce.size(),
                m.punti.size());
    return 0;
}

// The file's bytes, read in blocks as the viewer's floor reads them.
std::string tutto(const char *percorso)
{
    std::string byte;
    if (FILE *f = std::fopen(percorso, "rb")) {
        char blocco[65536];
        size_t r;
        while ((r = std::fread(blocco, 1, sizeof blocco, f)) > 0)
            byte.append(blocco, r);
        std::fclose(f);
    }
    return byte;
}

int misura_floor(const char *percorso)
{
    // The indexed triangles, made before the clock starts, from the reader's
    // own welded vertices.
    static Maglia m;
    char errore[600];
    if (!leggi_percorso(percorso, &m, errore, sizeof errore)) {
        std::fprintf(stderr, "%s\n", errore);
        return 1;
    }
    std::vector<float> xyz(3 * m.punti.size());
    for (size_t i = 0; i < m.punti.size(); i++)
        for (int k = 0; k < 3; k++)
            xyz[3 * i + k] = (float)m.punti[i].pos[k];
    std::vector<unsigned int> indici;
    indici.reserve(3 * m.facce.size());
    for (const FacciaLetta &f : m.facce)
        for (int k = 0; k < 3; k++)
            indici.push_back((unsigned int)m.angoli[f.primo + k]);
    const size_t numpunti = m.punti.size();
    Maglia().punti.swap(m.punti);
    std::vector<int>().swap(m.angoli);
    std::vector<FacciaLetta>().swap(m.facce);
    std::vector<unsigned int> risultato(indici.size());

    const double t0 = adesso_s(), c0 = cpu_s();
    const std::string byte = tutto(percorso);
    const double t1 = adesso_s(), c1 = cpu_s();
    const size_t n = meshopt_simplify(risultato.data(), indici.data(), indici.size(), xyz.data(),
                                      numpunti, 3 * sizeof(float), 3 * MAX_FACCE, 1.0f, 0,
                                      nullptr);
    const double t2 = adesso_s(), c2 = cpu_s();
    std::printf("floor_s %.6f\nbytes_s %.6f\nsimplify_s %.6f\nfloor_cpu_s %.6f\n"
                "bytes_cpu_s %.6f\nsimplify_cpu_s %.6f\nfloor_faces %zu\nfile_bytes %zu\n",
                t2 - t0, t1 - t0, t2 - t1, c2 - c0, c1 - c0, c2 - c1, n / 3, byte.size());
    return 0;
}

// The floor of a text format: the file's bytes read as floor does, and every
// token that is a number parsed with fast_float, as the readers parse them;
// nothing else is checked or kept.
int misura_numeri(const char *percorso)
{
    const double c0 = cpu_s();
    const std::string byte = tutto(percorso);
    size_t numeri = 0;
    double somma = 0.0;
    const char *p = byte.data(), *fine = p + byte.size();
    while (p < fine) {
        while (p < fine && (unsigned char)*p <= ' ')
            p++;
        const char *q = p;
        while (q < fine && (unsigned char)*q > ' ')
            q++;
        double v;
        if (q > p && fast_float::from_chars(p, q, v).ec == std::errc()) {
            numeri++;
            somma += v;
        }
        p = q;
    }
    const double c1 = cpu_s();
    std::printf("numbers_cpu_s %.6f\nnumbers %zu\nsum %g\npeak_mib %.1f\n", c1 - c0, numeri, somma,
                picco_mib());
    return 0;
}

struct Risultato {
    std::vector<std::pair<std::string, double>> valori;
};

// Runs this program with args in a child and reads its "key value" lines.
bool in_processo(const char *io, const char *modo, const std::string &percorso, Risultato *r)
{
    int tubo[2];
    if (pipe(tubo) != 0)
        return false;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(tubo[1], 1);
        close(tubo[0]);
        close(tubo[1]);
        execl(io, io, modo, percorso.c_str(), (char *)nullptr);
        _exit(127);
    }
    close(tubo[1]);
    std::string uscita;
    char b[4096];
    ssize_t k;
    while ((k = read(tubo[0], b, sizeof b)) > 0)
        uscita.append(b, (size_t)k);
    close(tubo[0]);
    int stato = 0;
    waitpid(pid, &stato, 0);
    if (!WIFEXITED(stato) || WEXITSTATUS(stato) != 0)
        return false;
    size_t p = 0;
    while (p < uscita.size()) {
        const size_t fine = uscita.find('\n', p);
        const std::string riga = uscita.substr(p, fine - p);
        const size_t sp = riga.find(' ');
        if (sp != std::string::npos)
            r->valori.push_back({riga.substr(0, sp), std::atof(riga.c_str() + sp + 1)});
        if (fine == std::string::npos)
            break;
        p = fine + 1;
    }
    return true;
}

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? NAN : v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "write") == 0)
        return scrivi_stl(std::atoi(argv[2]), argv[3]) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "read") == 0)
        return misura_lettura(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "floor") == 0)
        return misura_floor(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "numbers") == 0)
        return misura_numeri(argv[2]);

    std::string cartella;
    if (argc >= 2) {
        cartella = argv[1];
    } else {
        const char *tmp = std::getenv("TMPDIR");
        std::string modello = std::string(tmp ? tmp : "/tmp") + "/bench_grande.XXXXXX";
        if (!mkdtemp(&modello[0])) {
            std::perror("mkdtemp");
            return 1;
        }
        cartella = modello;
    }
    const int giri = std::getenv("RUNS") ? std::max(1, std::atoi(std::getenv("RUNS"))) : 5;
    const int livelli[] = {6, 8, 9};
    std::string percorsi[3];
    for (int i = 0; i < 3; i++) {
        percorsi[i] = cartella + "/icosphere" + std::to_string(livelli[i]) + ".stl";
        struct stat st;
        if (stat(percorsi[i].c_str(), &st) != 0 && !scrivi_stl(livelli[i], percorsi[i])) {
            std::fprintf(stderr, "cannot write %s\n", percorsi[i].c_str());
            return 1;
        }
    }
    // The cases in turn, round after round, so drift reaches them alike.
    std::vector<std::vector<std::pair<std::string, double>>> tutti[3];
    for (int g = 0; g < giri; g++)
        for (int i = 0; i < 3; i++)
            for (const char *modo : {"read", "floor"}) {
                Risultato r;
                if (!in_processo("/proc/self/exe", modo, percorsi[i], &r)) {
                    std::fprintf(stderr, "%s %s failed\n", modo, percorsi[i].c_str());
                    return 1;
                }
                tutti[i].push_back(r.valori);
            }
    for (int i = 0; i < 3; i++) {
        const long triangoli = 20L << (2 * livelli[i]);
        std::vector<std::string> chiavi;
        for (const auto &v : tutti[i])
            for (const auto &kv : v)
                if (std::find(chiavi.begin(), chiavi.end(), kv.first) == chiavi.end())
                    chiavi.push_back(kv.first);
        for (const std::string &c : chiavi) {
            std::vector<double> x;
            for (const auto &v : tutti[i])
                for (const auto &kv : v)
                    if (kv.first == c)
                        x.push_back(kv.second);
            std::printf("icosphere%d %ld %s %.6g\n", livelli[i], triangoli, c.c_str(), mediana(x));
        }
    }
    return 0;
}
