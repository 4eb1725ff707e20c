// Drawing a render object on Mesa llvmpipe: the first Draw (compiling the display list, with or
// without strips), the replayed Draw, and the strip builder alone; frames per second and the
// vertices the strips send per facet. And the sphere rows' drawing, beside a raw display list
// of strips (registered with the other sphere rows, see SphereBench.cpp).
#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <fstream>
#include <memory>
#include <unordered_map>
#include <vector>

#include <benchmark/benchmark.h>

#include "GlContext.h"
#include "MeshGen.h"
#include "SphereGen.h"
#include "SphereRows.h"
#include "Timing.h"

namespace {

// A closed torus of about n facets, linked, lit and seen whole.
struct Scene {
    MgGrObject object;
    MgGrFace* face;
    explicit Scene(int facets) {
        // the size the sphere benchmarks draw at, as whichever runs first makes the context;
        // without one this throws, which ends the run
        glcontext::EnsureContext(640, 480);
        face = dynamic_cast<MgGrFace*>(bench::Torus(object, facets));
        face->RebuildEdges();
        glViewport(0, 0, 256, 256);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-5, 5, -5, 5, -5, 5);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHT0);
    }
    void Frame() const {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        MgRenderMode mode{};
        mode.fill = 1;
        object.Draw(mode);
        glFinish();
    }
};

void Report(benchmark::State& state, const Scene& scene) {
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["facets"] = double(scene.face->NumFacets());
    state.SetComplexityN(scene.face->NumFacets());
}

// Every frame compiles the list again (the face is marked changed first).
template <bool strips> void BM_DrawCompile(benchmark::State& state) {
    Scene scene(int(state.range(0)));
    scene.object.SetUseStrip(strips);
    for (auto _ : state) {
        scene.face->PostChange();
        scene.Frame();
    }
    Report(state, scene);
}

void BM_DrawReplay(benchmark::State& state) {
    Scene scene(int(state.range(0)));
    scene.Frame();
    for (auto _ : state)
        scene.Frame();
    Report(state, scene);
}

// The strip builder alone, compiled into a list as the object does (no rasterization).
void BM_DrawFillStrip(benchmark::State& state) {
    Scene scene(int(state.range(0)));
    const GLuint list = glGenLists(1);
    for (auto _ : state) {
        glNewList(list, GL_COMPILE);
        scene.face->DrawFillStrip();
        glEndList();
    }
    glDeleteLists(list, 1);
    // the vertices GL receives from one immediate-mode pass of the strips
    auto genQueries = reinterpret_cast<PFNGLGENQUERIESPROC>(eglGetProcAddress("glGenQueries"));
    auto beginQuery = reinterpret_cast<PFNGLBEGINQUERYPROC>(eglGetProcAddress("glBeginQuery"));
    auto endQuery = reinterpret_cast<PFNGLENDQUERYPROC>(eglGetProcAddress("glEndQuery"));
    auto getQuery =
        reinterpret_cast<PFNGLGETQUERYOBJECTUIVPROC>(eglGetProcAddress("glGetQueryObjectuiv"));
    auto deleteQueries =
        reinterpret_cast<PFNGLDELETEQUERIESPROC>(eglGetProcAddress("glDeleteQueries"));
    if (genQueries && beginQuery && endQuery && getQuery && deleteQueries) {
        GLuint query = 0, vertices = 0;
        genQueries(1, &query);
        beginQuery(GL_VERTICES_SUBMITTED_ARB, query);
        scene.face->DrawFillStrip();
        endQuery(GL_VERTICES_SUBMITTED_ARB);
        getQuery(query, GL_QUERY_RESULT, &vertices);
        deleteQueries(1, &query);
        state.counters["vertices/facet"] = double(vertices) / scene.face->NumFacets();
    }
    Report(state, scene);
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->RangeMultiplier(4)
        ->Range(1 << 14, 1 << 20)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime() // llvmpipe renders on threads of its own
        ->Complexity(benchmark::oN);
}

} // namespace

BENCHMARK(BM_DrawCompile<true>)->Apply(Sizes);
BENCHMARK(BM_DrawCompile<false>)->Apply(Sizes);
BENCHMARK(BM_DrawReplay)->Apply(Sizes);
BENCHMARK(BM_DrawFillStrip)->Apply(Sizes);

// ---- the sphere drawn against a raw display list of strips ----

namespace bench {

namespace {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

// Triangle strips over the indexed sphere, built greedily along shared sides: the raw list's
// content, independent of the library's strip builder.
std::vector<std::vector<int>> Strips(const Icosphere& s) {
    const int n = s.Facets();
    std::unordered_map<std::uint64_t, int> bySide; // directed side -> facet
    bySide.reserve(std::size_t(3 * n));
    auto key = [](int a, int b) {
        return std::uint64_t(std::uint32_t(a)) << 32 | std::uint32_t(b);
    };
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
        glcontext::EnsureContext(kFrameWidth, kFrameHeight);
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
        RawFirstFrame();
    }
    ~DrawScene() { glDeleteLists(rawList, 1); }

    // Each frame clears, draws and waits for the picture: seconds.
    double LibraryFrame() const {
        const Clock::time_point start = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        MgRenderMode mode{};
        mode.fill = 1;
        object->Draw(mode);
        glFinish();
        return Since(start);
    }
    // The raw list as the library's first frame makes its own: compiled while drawn.
    double RawFirstFrame() const {
        const Clock::time_point start = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glNewList(rawList, GL_COMPILE_AND_EXECUTE);
        for (const std::vector<int>& strip : strips) {
            glBegin(GL_TRIANGLE_STRIP);
            for (int v : strip) {
                glNormal3fv(&normals[std::size_t(v)].x);
                glVertex3fv(&sphere->points[std::size_t(v)].x);
            }
            glEnd();
        }
        glEndList();
        glFinish();
        return Since(start);
    }
    double RawReplayFrame() const {
        const Clock::time_point start = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glCallList(rawList);
        glFinish();
        return Since(start);
    }
};

DrawScene& SphereScene(long facets) {
    static std::unique_ptr<DrawScene> scene;
    if (!scene || scene->facets != facets) {
        scene.reset();
        scene = std::make_unique<DrawScene>(facets);
    }
    return *scene;
}

} // namespace

void RawReplayRow(benchmark::State& state) {
    const std::string path = SphereFile(state.range(0));
    DrawScene& scene = SphereScene(state.range(0));
    Samples samples(state, "RawStripsReplay");
    for (auto _ : state) {
        const double bare = TimeBare(path);
        samples.Add(scene.RawReplayFrame(), bare);
    }
    samples.Finish();
}

void RawFirstRow(benchmark::State& state) {
    DrawScene& scene = SphereScene(state.range(0));
    Samples samples(state, "RawStripsFirst", "raw_replay");
    for (auto _ : state) {
        const double replay = scene.RawReplayFrame();
        samples.Add(scene.RawFirstFrame(), replay);
    }
    samples.Finish();
}

void DrawFirstRow(benchmark::State& state) {
    DrawScene& scene = SphereScene(state.range(0));
    Samples samples(state, "DrawFirst", "raw_replay");
    Samples againstFirst(state, "DrawFirst/RawFirst", "raw_first");
    for (auto _ : state) {
        const double replay = scene.RawReplayFrame();
        const double rawFirst = scene.RawFirstFrame();
        scene.face->PostChange(); // the list is compiled again
        const double first = scene.LibraryFrame();
        againstFirst.Add(first, rawFirst);
        samples.Add(first, replay);
    }
    againstFirst.Finish();
    samples.Finish();
}

void DrawReplayRow(benchmark::State& state) {
    DrawScene& scene = SphereScene(state.range(0));
    scene.LibraryFrame();
    Samples samples(state, "DrawReplay", "raw_replay");
    for (auto _ : state) {
        const double replay = scene.RawReplayFrame();
        samples.Add(scene.LibraryFrame(), replay);
    }
    samples.Finish();
}

} // namespace bench
