// The built-in surface in slot 0 after inizializza_poliedro, its construction and superficie-export.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "data/costruzione.h"
#include "data/superficie.h"
#include "model/poliedro.h"

namespace {

const int V = 2050, F = 4096;
const double TOLL_UNITARIA = 1e-6;      // normal components rounded to six digits
const double TOLL_SIMMETRIA = 1e-6;     // mirrored positions may differ in the last kept digit
const double MEZZA_UNITA = 0.005;       // volume and area are quoted to two decimals
const double TOLL_CENTRO = 1e-16;       // the centre sum cancels exactly but for floating noise
const double TOLL_RAGGIO = 1e-12;       // square root of one square
const double ANGOLO_MASSIMO = 19.0;     // degrees, face normal to its vertex normals
const double TOLL_POSIZIONE = 6e-6;     // six-digit rounding of a position below 10
const double TOLL_NORMALE = 5e-7;       // six-digit rounding of a component below 1
const double SCARTO_DIAGONALI = 0.005;  // relative: the cut must not hinge on the rounding

struct P3 { double x, y, z; };
P3 meno(P3 a, P3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
P3 croce(P3 a, P3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double punto(P3 a, P3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double lung(P3 a) { return std::sqrt(punto(a, a)); }

const Poliedro &S() { static const Poliedro &p = (inizializza_poliedro(), ElencoPoliedri[0]); return p; }
P3 pos(int i) { const Punto &p = S().punti[i]; return {p.x, p.y, p.z}; }
P3 nor(int i) { const Punto &p = S().punti[i]; return {p.nx, p.ny, p.nz}; }
const int *tri(int j) { return S().facce[j].vertici; }

}  // namespace

// Every directed edge once and its reverse once: closed, manifold, oriented.
// A negative volume says the winding faces inwards; the unit vertex normals
// are within the bound of the winding's face normals, so inwards too.
TEST(Superficie, CountsTopologyNormalsVolumeAndArea)
{
    const Poliedro &p = S();
    EXPECT_TRUE(p.numpunti == V && p.numfacce == F && p.liscio == 1 && p.scala == 1.0);
    for (int i = 0; i < V; i++) EXPECT_NEAR(lung(nor(i)), 1.0, TOLL_UNITARIA) << i;
    std::map<std::pair<int, int>, int> diretti;
    double peggiore = 0.0, volume = 0.0, area = 0.0;
    for (int j = 0; j < F; j++) {
        const Faccia &f = p.facce[j];
        ASSERT_TRUE(f.numvertici == 3 && f.codicecolore == 'y') << j;
        const P3 a = pos(f.vertici[0]), b = pos(f.vertici[1]), c = pos(f.vertici[2]);
        const P3 n = croce(meno(b, a), meno(c, a));
        volume += punto(a, croce(b, c)) / 6.0, area += lung(n) / 2.0;
        for (int k = 0; k < 3; k++) {
            const int v = f.vertici[k], w = f.vertici[(k + 1) % 3];
            ASSERT_TRUE(v >= 0 && v < V && v != w) << j;
            diretti[{v, w}]++;
            const double cosa = punto(n, nor(v)) / (lung(n) * lung(nor(v)));
            peggiore = std::max(peggiore, std::acos(std::min(1.0, cosa)) * 180.0 / M_PI);
        }
    }
    for (const auto &d : diretti)
        EXPECT_TRUE(d.second == 1 && diretti.count({d.first.second, d.first.first}) == 1) << d.first.first;
    const int E = (int)diretti.size() / 2;
    EXPECT_TRUE(E == 6144 && V - E + F == 2) << E;
    EXPECT_LT(peggiore, ANGOLO_MASSIMO);
    EXPECT_NEAR(volume, -84.45, MEZZA_UNITA);
    EXPECT_NEAR(area, 157.94, MEZZA_UNITA);
}

// x -> -x, y -> -y and x <-> z generate all 16 symmetries of the surface:
// each maps every vertex onto a vertex, with its normal exactly.
TEST(Superficie, SymmetriesTheRoundedConstructionCentreAndRadius)
{
    std::multimap<long, int> per_x;
    for (int i = 0; i < V; i++) per_x.insert({std::lround(pos(i).x * 1000), i});
    const P3 s[3][3] = {{{-1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{1, 0, 0}, {0, -1, 0}, {0, 0, 1}},
                        {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}}};  // rows of each matrix
    for (const auto &m : s)
        for (int i = 0; i < V; i++) {
            const P3 q = {punto(m[0], pos(i)), punto(m[1], pos(i)), punto(m[2], pos(i))};
            const P3 n = {punto(m[0], nor(i)), punto(m[1], nor(i)), punto(m[2], nor(i))};
            const long k = std::lround(q.x * 1000);
            int img = -1;
            for (auto it = per_x.lower_bound(k - 1); it != per_x.upper_bound(k + 1); ++it)
                if (lung(meno(pos(it->second), q)) < TOLL_SIMMETRIA) img = it->second;
            ASSERT_GE(img, 0) << "generator " << &m - s << " vertex " << i;
            EXPECT_TRUE(n.x == nor(img).x && n.y == nor(img).y && n.z == nor(img).z) << i;
        }
    // Every row within its six-digit rounding of the construction, whose
    // quad cuts are never near a tie.
    static Superficie c;
    costruisci_superficie(&c);
    for (int i = 0; i < V; i++)
        for (int k = 0; k < 3; k++) {
            EXPECT_NEAR((&S().punti[i].x)[k], c.punto[i][k], TOLL_POSIZIONE) << i;
            EXPECT_NEAR((&S().punti[i].nx)[k], c.normale[i][k], TOLL_NORMALE) << i;
        }
    for (int j = 0; j < F; j++) ASSERT_TRUE(std::equal(tri(j), tri(j) + 3, c.faccia[j])) << j;
    EXPECT_GT(*std::min_element(c.scarto_diagonali, c.scarto_diagonali + SUP_QUAD), SCARTO_DIAGONALI);
    for (int k = 0; k < 3; k++)
        EXPECT_TRUE(std::fabs(S().centro[k]) <= TOLL_CENTRO && S().centro_trasformato[k] == S().centro[k]);
    EXPECT_NEAR(S().raggio, 5.59995, TOLL_RAGGIO);
}

// NOFF on standard output and OBJ (all v, all vn, then 1-based v//vn faces)
// in a file parse back to slot 0 exactly, in the files' convention: normals
// negated, faces wound the other way; a target that is a directory fails
// after the temporary file was written beside it, which must go.
TEST(Esporta, BothFormatsParseBackToSlotZeroAndAFailureLeavesNoFile)
{
    namespace fs = std::filesystem;
    char modello[] = "/tmp/superficie-export-test.XXXXXX";
    const fs::path dir = mkdtemp(modello);
    auto esegui = [](const std::string &argomenti) {
        const int r = std::system(("'" SUPERFICIE_EXPORT "' " + argomenti + " 2>/dev/null").c_str());
        return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
    };
    EXPECT_EQ(esegui("> '" + (dir / "s.off").string() + "'"), 0);
    EXPECT_EQ(esegui("--obj '" + (dir / "s.obj").string() + "'"), 0);
    std::ifstream off(dir / "s.off"), obj(dir / "s.obj");
    std::string parola;
    int nv = 0, nf = 0, ne = -1;
    off >> parola >> nv >> nf >> ne;
    EXPECT_TRUE(parola == "NOFF" && nv == V && nf == F && ne == 0) << parola << nv << nf << ne;
    for (int i = 0; i < 2 * V; i++) {  // off: i / 2 position, normal; obj: all v, then all vn
        const Punto &po = S().punti[i / 2], &pj = S().punti[i % V];
        double a[3], b[3];
        off >> a[0] >> a[1] >> a[2], obj >> parola >> b[0] >> b[1] >> b[2];
        const double no[3] = {-po.nx, -po.ny, -po.nz}, nj[3] = {-pj.nx, -pj.ny, -pj.nz};
        ASSERT_TRUE(std::equal(a, a + 3, i % 2 ? no : &po.x)) << "off " << i;
        ASSERT_TRUE(parola == (i < V ? "v" : "vn") && std::equal(b, b + 3, i < V ? &pj.x : nj)) << i;
    }
    for (int j = 0; j < F; j++) {
        int n = 0, a[3];
        std::string t[3];
        off >> n >> a[0] >> a[1] >> a[2], obj >> parola >> t[0] >> t[1] >> t[2];
        ASSERT_TRUE(n == 3 && a[0] == tri(j)[2] && a[1] == tri(j)[1] && a[2] == tri(j)[0] && parola == "f") << "face " << j;
        for (int k = 0; k < 3; k++) ASSERT_EQ(t[k], std::to_string(a[k] + 1) + "//" + std::to_string(a[k] + 1));
    }
    EXPECT_FALSE(off >> parola || obj >> parola) << "trailing " << parola;
    ASSERT_TRUE(fs::create_directory(dir / "d"));
    EXPECT_EQ(esegui("'" + (dir / "d").string() + "'"), 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
    EXPECT_TRUE(fs::is_empty(dir / "d"));
    fs::remove_all(dir);
}
