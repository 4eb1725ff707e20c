// The library against a bare streaming parse and its peers, on closed icospheres of 20,480 to
// 1,310,720 facets read from ASCII STL files: loading, edge building, deep copy, the SCB round
// trip, the host import, and drawing beside a raw display list of strips. Every row is timed
// per iteration by hand; its median is kept, reported as counters (seconds and the ratio to
// the bare parse of the same file) and summed up as the goals' table at the end of the run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <unordered_map>
#include <vector>

#include <benchmark/benchmark.h>

#include "GlContext.h"
#include "Goals.h"
#include "SphereGen.h"
#include "mgmesh/mgmesh.h"

namespace bench {

namespace {

const long kSizes[] = {20480, 81920, 327680, 1310720};

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// ---- this run's medians, by row and size ----

std::map<std::string, std::map<long, double>>& Medians() {
    static std::map<std::string, std::map<long, double>> medians;
    return medians;
}

bool Measured(const std::string& row, long facets, double& value) {
    auto r = Medians().find(row);
    if (r == Medians().end())
        return false;
    auto f = r->second.find(facets);
    if (f == r->second.end())
        return false;
    value = f->second;
    return true;
}

// Peer timings handed in by bench/peers.sh: row name -> size -> seconds.
std::map<std::string, std::map<long, double>>& Peers() {
    static std::map<std::string, std::map<long, double>> peers;
    return peers;
}

// The bare parse of the size's file; measured here (median of 5) when its row did not run.
double BareSeconds(long facets) {
    double seconds = 0;
    if (Measured("BareParse", facets, seconds))
        return seconds;
    const std::string path = SphereFile(facets);
    std::vector<double> samples;
    for (int i = 0; i < 5; ++i) {
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(BareParse(path));
        samples.push_back(Since(start));
    }
    return Medians()["BareParse"][facets] = Median(samples);
}

// One row's samples: each iteration's seconds go to the benchmark as its manual time.
class Samples {
public:
    Samples(benchmark::State& state, const char* row) : m_state(state), m_row(row) {}
    void Add(double seconds) {
        m_state.SetIterationTime(seconds);
        m_seconds.push_back(seconds);
    }
    // Records the median and reports it with its ratio to the bare parse.
    double Finish() {
        const long facets = m_state.range(0);
        const double median = Median(m_seconds);
        Medians()[m_row][facets] = median;
        m_state.counters["median_s"] = median;
        if (m_row != "BareParse")
            m_state.counters["x_bare"] = median / BareSeconds(facets);
        m_state.SetComplexityN(facets);
        return median;
    }

private:
    benchmark::State& m_state;
    std::string m_row;
    std::vector<double> m_seconds;
};

// Reads a string in place, as a file stream reads its file, without the copy a string stream
// makes.
struct MemoryBuffer : std::streambuf {
    explicit MemoryBuffer(const std::string& s) {
        char* p = const_cast<char*>(s.data());
        setg(p, p, p + s.size());
    }
};

// Collects written text in a string that is kept between iterations (its capacity reused).
struct StringSink : std::streambuf {
    std::string text;
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        text.append(s, std::size_t(n));
        return n;
    }
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            text.push_back(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }
};

bool CheckSphere(benchmark::State& state, const MgObject& object) {
    const long facets = state.range(0);
    if (object.NumFacets() != facets || object.NumVertices() != facets / 2 + 2) {
        state.SkipWithError("the sphere did not load as expected");
        return false;
    }
    return true;
}

// The loaded sphere with its edges built, kept for the rows of one size.
const MgObject& Model(long facets) {
    static long cachedFacets = 0;
    static std::unique_ptr<MgObject> cached;
    if (cachedFacets != facets) {
        cached.reset();
        cached = std::make_unique<MgObject>();
        std::ifstream in(SphereFile(facets));
        cached->LoadSTL(in);
        cached->FaceList().front()->RebuildEdges();
        cachedFacets = facets;
    }
    return *cached;
}

// ---- rows ----

void BareParseRow(benchmark::State& state) {
    const std::string path = SphereFile(state.range(0));
    Samples samples(state, "BareParse");
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(BareParse(path));
        samples.Add(Since(start));
    }
    samples.Finish();
    struct stat info;
    stat(path.c_str(), &info);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(info.st_size));
}

void LoadStlRow(benchmark::State& state) {
    const long facets = state.range(0);
    const std::string path = SphereFile(facets);
    Samples samples(state, "LoadSTL");
    std::vector<double> deletes;
    for (auto _ : state) {
        auto object = std::make_unique<MgObject>();
        std::ifstream in(path);
        const Clock::time_point start = Clock::now();
        object->LoadSTL(in);
        samples.Add(Since(start));
        if (!CheckSphere(state, *object))
            return;
        const Clock::time_point gone = Clock::now();
        object.reset();
        deletes.push_back(Since(gone));
    }
    const double median = samples.Finish();
    state.counters["delete_s"] = Median(deletes);
    auto admesh = Peers()["admesh"].find(facets);
    if (admesh != Peers()["admesh"].end()) {
        state.counters["admesh_s"] = admesh->second;
        state.counters["admesh_x_faster"] = admesh->second / median;
    }
}

// The peak memory of a process that loads the file, measured in a child process of this
// program (see --peak-rss-load).
void PeakMemoryRow(benchmark::State& state) {
    const long facets = state.range(0);
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) {
        state.SkipWithError("cannot find this program");
        return;
    }
    const std::string command = std::string(self) + " --peak-rss-load=" + SphereFile(facets);
    double peakKb = 0, beforeKb = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        std::FILE* child = popen(command.c_str(), "r");
        long loaded = 0;
        if (!child || std::fscanf(child, "%ld %lf %lf", &loaded, &beforeKb, &peakKb) != 3 ||
            pclose(child) != 0 || loaded != facets) {
            state.SkipWithError("the loading process failed");
            return;
        }
        state.SetIterationTime(Since(start));
    }
    const double perFacet = peakKb * 1024 / double(facets);
    const double modelPerFacet = (peakKb - beforeKb) * 1024 / double(facets);
    Medians()["PeakBytesPerFacet"][facets] = perFacet;
    Medians()["ModelBytesPerFacet"][facets] = modelPerFacet;
    state.counters["peak_bytes_per_facet"] = perFacet;
    state.counters["model_bytes_per_facet"] = modelPerFacet;
}

void RebuildEdgesRow(benchmark::State& state) {
    MgFace* face = Model(state.range(0)).FaceList().front();
    Samples samples(state, "RebuildEdges");
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const bool built = face->RebuildEdges();
        samples.Add(Since(start));
        if (!built || face->NumEdges() != 0) {
            state.SkipWithError("the sphere is not closed");
            return;
        }
    }
    samples.Finish();
}

void CopyObjectRow(benchmark::State& state) {
    const MgObject& model = Model(state.range(0));
    Samples samples(state, "CopyObject");
    for (auto _ : state) {
        auto copy = std::make_unique<MgObject>();
        const Clock::time_point start = Clock::now();
        copy->CopyObject(&model);
        samples.Add(Since(start));
        if (!CheckSphere(state, *copy))
            return;
    }
    samples.Finish();
}

void ScbRoundTripRow(benchmark::State& state) {
    const long facets = state.range(0);
    const MgObject& model = Model(facets);
    Samples samples(state, "SaveLoadSCB");
    std::vector<double> saves, loads;
    StringSink sink;
    for (auto _ : state) {
        sink.text.clear();
        std::ostream out(&sink);
        auto copy = std::make_unique<MgObject>();
        const Clock::time_point start = Clock::now();
        model.SaveSCB(out, "icosphere");
        const double saved = Since(start);
        MemoryBuffer buffer(sink.text);
        std::istream in(&buffer);
        const Clock::time_point loadStart = Clock::now();
        copy->LoadSCB(in);
        const double loaded = Since(loadStart);
        samples.Add(saved + loaded);
        saves.push_back(saved);
        loads.push_back(loaded);
        if (!CheckSphere(state, *copy))
            return;
    }
    samples.Finish();
    Medians()["SaveSCB"][facets] = Median(saves);
    Medians()["LoadSCB"][facets] = Median(loads);
    state.counters["save_s"] = Median(saves);
    state.counters["load_s"] = Median(loads);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(sink.text.size()));
}

// The host's record of the sphere as a triangle soup, three record vertices per triangle,
// welded again by the import's merging.
struct SoupRecord {
    std::vector<double> positions, normals, uvs;
    std::vector<int> triangles;
    HostAPILinearFace record{};
    explicit SoupRecord(const Icosphere& s) {
        for (std::size_t i = 0; i < s.triangles.size(); ++i) {
            const CGeoVector& p = s.points[std::size_t(s.triangles[i])];
            const CGeoVector n = p.Unit();
            positions.insert(positions.end(), {p.x, p.y, p.z});
            normals.insert(normals.end(), {n.x, n.y, n.z});
            uvs.insert(uvs.end(), {0.0, 0.0});
            triangles.push_back(int(i));
        }
        record.mergeVertices = 1;
        record.numVertices = int(s.triangles.size());
        record.numTriangles = s.Facets();
        record.faceTolerance = 0.05;
        record.positions = positions.data();
        record.normals = normals.data();
        record.uvs = uvs.data();
        record.triangles = triangles.data();
    }
};

void FillFacesRow(benchmark::State& state) {
    const long facets = state.range(0);
    const SoupRecord soup(CachedIcosphere(SphereLevel(facets)));
    Samples samples(state, "FillFacesInObj");
    for (auto _ : state) {
        auto object = std::make_unique<MgObject>();
        const Clock::time_point start = Clock::now();
        object->FillFacesInObj(soup.record, nullptr);
        samples.Add(Since(start));
        if (!CheckSphere(state, *object))
            return;
    }
    const double median = samples.Finish();
    double load = 0;
    if (Measured("LoadSTL", facets, load))
        state.counters["x_load"] = median / load;
}

// ---- drawing ----

// Triangle strips over the indexed sphere, built greedily along shared sides: the raw list's
// content, independent of the library's strip builder.
std::vector<std::vector<int>> Strips(const Icosphere& s) {
    const int n = s.Facets();
    std::unordered_map<std::uint64_t, int> bySide; // directed side -> facet
    bySide.reserve(std::size_t(3 * n));
    auto key = [](int a, int b) { return std::uint64_t(std::uint32_t(a)) << 32 | std::uint32_t(b); };
    const int* t = s.triangles.data();
    for (int f = 0; f < n; ++f)
        for (int k = 0; k < 3; ++k)
            bySide[key(t[3 * f + k], t[3 * f + (k + 1) % 3])] = f;
    std::vector<char> used(std::size_t(n), 0);
    std::vector<std::vector<int>> strips;
    for (int first = 0; first < n; ++first) {
        if (used[std::size_t(first)])
            continue;
        std::vector<int> strip(t + 3 * first, t + 3 * first + 3);
        used[std::size_t(first)] = 1;
        for (;;) {
            // GL winds the triangles of a strip alternately; the next one must hold the last
            // side in the direction that its place in the strip gives it
            const std::size_t m = strip.size();
            const int p = strip[m - 2], q = strip[m - 1];
            const bool even = (m - 2) % 2 == 0;
            auto it = bySide.find(even ? key(p, q) : key(q, p));
            if (it == bySide.end() || used[std::size_t(it->second)])
                break;
            const int g = it->second;
            int third = t[3 * g];
            for (int k = 0; k < 3; ++k)
                if (t[3 * g + k] != p && t[3 * g + k] != q)
                    third = t[3 * g + k];
            strip.push_back(third);
            used[std::size_t(g)] = 1;
        }
        strips.push_back(std::move(strip));
    }
    return strips;
}

// The sphere as a render object, and the same facets as a raw list of strips.
struct DrawScene {
    long facets = 0;
    std::unique_ptr<MgGrObject> object;
    MgFace* face = nullptr;
    std::vector<std::vector<int>> strips;
    std::vector<CGeoVector> normals;
    const Icosphere* sphere = nullptr;
    GLuint rawList = 0;

    explicit DrawScene(long n) : facets(n) {
        EnsureContext();
        object = std::make_unique<MgGrObject>();
        std::ifstream in(SphereFile(facets));
        object->LoadSTL(in);
        face = object->FaceList().front();
        face->RebuildEdges();
        sphere = &CachedIcosphere(SphereLevel(facets));
        strips = Strips(*sphere);
        for (const CGeoVector& p : sphere->points)
            normals.push_back(p.Unit());
        rawList = glGenLists(1);
        glViewport(0, 0, kFrameWidth, kFrameHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-140, 140, -105, 105, -200, 200);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
    }
    ~DrawScene() { glDeleteLists(rawList, 1); }

    void LibraryFrame() const {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        MgRenderMode mode{};
        mode.fill = 1;
        object->Draw(mode);
        glFinish();
    }
    void RawStrips() const {
        for (const std::vector<int>& strip : strips) {
            glBegin(GL_TRIANGLE_STRIP);
            for (int v : strip) {
                glNormal3fv(&normals[std::size_t(v)].x);
                glVertex3fv(&sphere->points[std::size_t(v)].x);
            }
            glEnd();
        }
    }
    // The raw list as the library's first frame makes its own: compiled while drawn.
    void RawCompileFrame() const {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glNewList(rawList, GL_COMPILE_AND_EXECUTE);
        RawStrips();
        glEndList();
        glFinish();
    }
    void RawReplayFrame() const {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glCallList(rawList);
        glFinish();
    }
};

DrawScene& Scene(long facets) {
    static std::unique_ptr<DrawScene> scene;
    if (!scene || scene->facets != facets) {
        scene.reset();
        scene = std::make_unique<DrawScene>(facets);
    }
    return *scene;
}

void RawFirstRow(benchmark::State& state) {
    DrawScene& scene = Scene(state.range(0));
    Samples samples(state, "RawStripsFirst");
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        scene.RawCompileFrame();
        samples.Add(Since(start));
    }
    samples.Finish();
}

void RawReplayRow(benchmark::State& state) {
    DrawScene& scene = Scene(state.range(0));
    scene.RawCompileFrame();
    Samples samples(state, "RawStripsReplay");
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        scene.RawReplayFrame();
        samples.Add(Since(start));
    }
    samples.Finish();
}

void DrawFirstRow(benchmark::State& state) {
    const long facets = state.range(0);
    DrawScene& scene = Scene(facets);
    Samples samples(state, "DrawFirst");
    for (auto _ : state) {
        scene.face->PostChange(); // the list is compiled again
        const Clock::time_point start = Clock::now();
        scene.LibraryFrame();
        samples.Add(Since(start));
    }
    const double median = samples.Finish();
    double raw = 0;
    if (Measured("RawStripsReplay", facets, raw))
        state.counters["x_raw_replay"] = median / raw;
    if (Measured("RawStripsFirst", facets, raw))
        state.counters["x_raw_first"] = median / raw;
}

void DrawReplayRow(benchmark::State& state) {
    const long facets = state.range(0);
    DrawScene& scene = Scene(facets);
    scene.LibraryFrame();
    Samples samples(state, "DrawReplay");
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        scene.LibraryFrame();
        samples.Add(Since(start));
    }
    const double median = samples.Finish();
    double raw = 0;
    if (Measured("RawStripsReplay", facets, raw))
        state.counters["x_raw_replay"] = median / raw;
}

// ---- registration: every row of a size before the next size, so caches serve one size ----

int Iterations(long facets) { return facets >= 327680 ? 5 : facets >= 81920 ? 9 : 15; }

const bool kRegistered = [] {
    const std::pair<const char*, void (*)(benchmark::State&)> rows[] = {
        {"BareParse", BareParseRow},       {"LoadSTL", LoadStlRow},
        {"PeakMemory", PeakMemoryRow},     {"RebuildEdges", RebuildEdgesRow},
        {"CopyObject", CopyObjectRow},     {"SaveLoadSCB", ScbRoundTripRow},
        {"FillFacesInObj", FillFacesRow},  {"RawStripsFirst", RawFirstRow},
        {"RawStripsReplay", RawReplayRow}, {"DrawFirst", DrawFirstRow},
        {"DrawReplay", DrawReplayRow}};
    for (long facets : kSizes)
        for (const auto& row : rows) {
            const std::string name = std::string("Sphere/") + row.first;
            benchmark::RegisterBenchmark(name.c_str(), row.second)
                ->Arg(facets)
                ->Iterations(std::string(row.first) == "PeakMemory" ? 1 : Iterations(facets))
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    return true;
}();

// ---- the program's options ----

// Loads a file and prints the facets and the process's resident memory before the load and
// at its peak, in KiB.
int PeakRssLoad(const char* path) {
    auto statusKb = [](const char* field) {
        std::ifstream status("/proc/self/status");
        std::string line;
        const std::size_t length = std::strlen(field);
        while (std::getline(status, line))
            if (line.compare(0, length, field) == 0)
                return std::atof(line.c_str() + length + 1);
        return 0.0;
    };
    const double before = statusKb("VmRSS");
    MgObject object;
    std::ifstream in(path);
    try {
        object.LoadSTL(in);
    } catch (const char* message) {
        std::fprintf(stderr, "%s: %s\n", path, message);
        return 1;
    }
    std::printf("%d %.0f %.0f\n", object.NumFacets(), before, statusKb("VmHWM"));
    return 0;
}

bool ReadPeers(const char* path) {
    std::ifstream in(path);
    std::string name;
    long facets = 0;
    double seconds = 0;
    while (in >> name >> facets >> seconds)
        Peers()[name][facets] = seconds;
    return in.eof();
}

} // namespace

bool HandleOptions(int& argc, char** argv, int& exitCode) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--write-spheres") {
            for (long facets : kSizes)
                std::printf("%s\n", SphereFile(facets).c_str());
            exitCode = 0;
            return true;
        }
        if (arg.rfind("--peak-rss-load=", 0) == 0) {
            exitCode = PeakRssLoad(argv[i] + std::strlen("--peak-rss-load="));
            return true;
        }
        if (arg.rfind("--peers=", 0) == 0) {
            if (!ReadPeers(argv[i] + std::strlen("--peers="))) {
                std::fprintf(stderr, "cannot read the peer timings in %s\n", argv[i]);
                exitCode = 1;
                return true;
            }
            continue;
        }
        argv[kept++] = argv[i];
    }
    argc = kept;
    return false;
}

void PrintGoals() {
    auto& m = Medians();
    if (m.empty())
        return;
    long largest = 0;
    for (const auto& row : m)
        for (const auto& size : row.second)
            largest = std::max(largest, size.first);

    std::printf("\nMedians in seconds, and times the bare parse of the same file:\n");
    std::printf("%-20s", "row");
    for (long facets : kSizes)
        std::printf(" %19ld", facets);
    std::printf("   x4 growth\n");
    for (const auto& row : m) {
        if (row.first.find("Bytes") != std::string::npos)
            continue;
        std::printf("%-20s", row.first.c_str());
        for (long facets : kSizes) {
            double v = 0;
            if (Measured(row.first, facets, v))
                std::printf(" %9.4f (%6.2fx)", v, v / BareSeconds(facets));
            else
                std::printf(" %19s", "-");
        }
        double small = 0, big = 0;
        if (Measured(row.first, 327680, small) && Measured(row.first, 1310720, big) && small > 0)
            std::printf("   %6.2f", big / small);
        std::printf("\n");
    }

    std::printf("\nGoals at %ld facets (ratios of medians from this run):\n", largest);
    std::printf("%-58s %10s %8s  %s\n", "goal", "measured", "limit", "");
    auto goal = [](const char* what, bool known, double value, double limit, bool atMost) {
        if (!known) {
            std::printf("%-58s %10s %8.2f  not measured\n", what, "-", limit);
            return;
        }
        const bool met = atMost ? value <= limit : value >= limit;
        std::printf("%-58s %10.2f %8.2f  %s\n", what, value, limit, met ? "met" : "NOT MET");
    };
    const double bare = BareSeconds(largest);
    double v = 0, w = 0;
    bool k = Measured("LoadSTL", largest, v);
    goal("LoadSTL / bare parse (at most)", k, v / bare, 3.0, true);
    auto admesh = Peers()["admesh"].find(largest);
    const bool haveAdmesh = admesh != Peers()["admesh"].end();
    goal("admesh -e / LoadSTL (at least)", k && haveAdmesh, haveAdmesh ? admesh->second / v : 0,
         3.0, false);
    if (haveAdmesh)
        std::printf("%-58s %10.2f\n", "  admesh -e / bare parse", admesh->second / bare);
    k = Measured("PeakBytesPerFacet", largest, v);
    goal("peak RSS of a process loading it, bytes per facet", k, v, 200, true);
    // the peer figure was measured on this machine kind against the same bare parse
    k = Measured("RebuildEdges", largest, v);
    goal("RebuildEdges / bare parse (CGAL add_face: 0.57/0.34)", k, v / bare, 0.57 / 0.34, true);
    k = Measured("CopyObject", largest, v);
    goal("CopyObject / bare parse", k, v / bare, 3.0, true);
    k = Measured("SaveLoadSCB", largest, v);
    goal("SaveSCB + LoadSCB / bare parse", k, v / bare, 3.0, true);
    k = Measured("FillFacesInObj", largest, v) && Measured("LoadSTL", largest, w);
    goal("FillFacesInObj / LoadSTL", k, v / w, 2.0, true);
    k = Measured("DrawReplay", largest, v) && Measured("RawStripsReplay", largest, w);
    goal("MgGrObject::Draw replay / raw strip list replay", k, v / w, 1.5, true);
    k = Measured("DrawFirst", largest, v) && Measured("RawStripsReplay", largest, w);
    goal("MgGrObject::Draw first / raw strip list replay", k, v / w, 3.0, true);
    k = Measured("DrawFirst", largest, v) && Measured("RawStripsFirst", largest, w);
    goal("MgGrObject::Draw first / raw strip list first (compiling)", k, v / w, 3.0, true);
    for (const auto& row : m) {
        double small = 0, big = 0;
        if (row.first == "BareParse" || !Measured(row.first, 327680, small) ||
            !Measured(row.first, 1310720, big) || small <= 0)
            continue;
        const std::string what = "growth 327,680 -> 1,310,720: " + row.first;
        goal(what.c_str(), true, big / small, 4.6, true);
    }
}

} // namespace bench
