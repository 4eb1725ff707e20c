// Drawing a render object on Mesa llvmpipe: the first Draw (compiling the display list, with or
// without strips), the replayed Draw, and the strip builder alone; frames per second and the
// vertices the strips send per facet. And the sphere rows' drawing, beside a raw display list
// of strips (registered with the other sphere rows, see SphereBench.cpp).
#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <fstream>
#include <memory>

#include <benchmark/benchmark.h>

#include "GlContext.h"
#include "MeshGen.h"
#include "RawStrips.h"
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

// The sphere as a render object, and the same facets as a raw list of strips (RawStrips.h).
struct DrawScene {
    long facets = 0;
    std::unique_ptr<MgGrObject> object;
    MgFace* face = nullptr;
    std::unique_ptr<RawStrips> raw;

    explicit DrawScene(long n) : facets(n) {
        glcontext::EnsureContext(kFrameWidth, kFrameHeight);
        object = std::make_unique<MgGrObject>();
        std::ifstream in(SphereFile(facets));
        object->LoadSTL(in);
        face = object->FaceList().front();
        face->RebuildEdges();
        raw = std::make_unique<RawStrips>(CachedIcosphere(SphereLevel(facets)));
        SetSphereView();
        RawFirstFrame();
    }

    double LibraryFrame() const { return bench::LibraryFrame(*object); }
    double RawFirstFrame() const { return raw->FirstFrame(); }
    double RawReplayFrame() const { return raw->ReplayFrame(); }
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
