// Edge and corner building: RebuildEdges on closed, open and unconnected meshes, and corner
// re-attachment along a long boundary.
#include <benchmark/benchmark.h>

#include "MeshGen.h"
#include "MeshSizes.h"

namespace {

MgFace* MakeTorus(MgObject& object, int n) {
    return bench::Torus(object, n);
}
MgFace* MakeGrid(MgObject& object, int n) {
    return bench::Grid(object, n);
}

// n separate triangles: every side is open and every facet is a loop of its own.
MgFace* MakeSoup(MgObject& object, int n) {
    MgFace* face = object.NewFace();
    const float uv[2] = {0, 0};
    for (int i = 0; i < n; ++i) {
        MgFacet* f = face->NewFacet();
        for (int k = 0; k < 3; ++k)
            f->SetVertex(k, face->AddVertex(CGeoVector(float(i) + float(k == 1), float(k == 2), 0),
                                            CGeoVector(0, 0, 1), uv));
    }
    return face;
}

// The same face rebuilt again and again: each call deletes the edges and derives them anew.
template <MgFace* (*Make)(MgObject&, int)> void BM_RebuildEdges(benchmark::State& state) {
    MgObject object;
    MgFace* face = Make(object, int(state.range(0)));
    face->RebuildEdges();
    for (auto _ : state)
        benchmark::DoNotOptimize(face->RebuildEdges());
    state.SetComplexityN(face->NumFacets());
}

// A corner on every boundary vertex of an open grid, re-attached by position.
void BM_RebuildCorners(benchmark::State& state) {
    MgObject object;
    MgFace* face = bench::Grid(object, int(state.range(0)));
    face->RebuildEdges();
    for (const MgVertex* v : face->EdgeList().front()->VertexList())
        face->NewCorner()->SetPosition(v->Vertex() + CGeoVector(0.001f, 0, 0));
    for (auto _ : state) {
        face->RebuildCorners();
        benchmark::DoNotOptimize(face->CornerList().size());
    }
    state.SetComplexityN(face->EdgeList().front()->VertexList().size());
}

} // namespace

BENCHMARK(BM_RebuildEdges<MakeTorus>)->Apply(bench::MeshSizes);
BENCHMARK(BM_RebuildEdges<MakeGrid>)->Apply(bench::MeshSizes);
BENCHMARK(BM_RebuildEdges<MakeSoup>)->Apply(bench::MeshSizes);
BENCHMARK(BM_RebuildCorners)->Apply(bench::MeshSizes);
