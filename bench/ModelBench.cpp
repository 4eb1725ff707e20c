// Whole-model operations: deep copy, merging faces, deleting an object.
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

template <MgFace* (*Make)(MgObject&, int)> void BM_CopyObject(benchmark::State& state) {
    MgObject source;
    Make(source, int(state.range(0)))->RebuildEdges();
    for (auto _ : state) {
        auto* copy = new MgObject;
        copy->CopyObject(&source);
        benchmark::DoNotOptimize(copy->NumFacets());
        state.PauseTiming();
        delete copy;
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

// Two grids of n/2 facets side by side, sharing a column of positions, merged into one face.
void BM_FaceAddTo(benchmark::State& state) {
    const int half = int(state.range(0)) / 2;
    for (auto _ : state) {
        state.PauseTiming();
        MgObject object;
        MgFace* left = bench::Grid(object, half);
        MgFace* right = bench::Grid(object, half, float(bench::GridCells(half)));
        state.ResumeTiming();
        right->AddTo(left);
        benchmark::DoNotOptimize(left->NumEdges());
        state.PauseTiming();
        object.RemoveFaceId(0);
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

template <MgFace* (*Make)(MgObject&, int)> void BM_DeleteObject(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto* object = new MgObject;
        Make(*object, int(state.range(0)))->RebuildEdges();
        state.ResumeTiming();
        delete object;
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_CopyObject<MakeTorus>)->Apply(bench::MeshSizes);
BENCHMARK(BM_CopyObject<MakeGrid>)->Apply(bench::MeshSizes);
BENCHMARK(BM_FaceAddTo)->Apply(bench::MeshSizes);
BENCHMARK(BM_DeleteObject<MakeTorus>)->Apply(bench::MeshSizes);
BENCHMARK(BM_DeleteObject<MakeGrid>)->Apply(bench::MeshSizes);
